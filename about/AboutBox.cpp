#include "about/AboutBox.h"

#include "platform/WindowManager.h"
#include "version.h"
#include "widgets/Colors.h"
#include "widgets/DockPosition.h"
#include "widgets/ExactSize.h"
#include "widgets/FittedLabel.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>

namespace {

QFont makeFont(const char* family, qreal pointSize, bool bold) {
    QFont f(QString::fromLatin1(family));
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}

// A frame with an etched outline and its title set into the top line.
class TitledFrame : public QFrame {
public:
    TitledFrame(const QString& title, QWidget* parent)
        : QFrame(parent)
        , m_title(title) {
        setFont(makeFont("Tahoma", 8.25, false));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Colors::darkGreen);
        const QFontMetrics metrics(font());
        const int lineY = metrics.height() / 2;
        const QRect box(0, lineY, width() - 2, height() - lineY - 2);
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawRect(box);
        painter.setPen(Colors::white);
        painter.drawRect(box.translated(1, 1));

        const int textLeft = 8;
        const QRect textRect(textLeft - 2, 0, metrics.horizontalAdvance(m_title) + 4,
                             metrics.height());
        painter.fillRect(textRect, Colors::darkGreen);
        painter.setPen(Colors::cyan);
        painter.drawText(textRect, Qt::AlignCenter, m_title);
    }

private:
    QString m_title;
};

struct LabelLayout {
    const char* name;
    int left, top, width, height; // twips, inside the frame
    const char* family;
    qreal pointSize;
    bool bold;
    const QColor& color;
    Qt::Alignment alignment;
};

// The creator's line is wider than the contact line would suggest, so the whole name fits.
const LabelLayout labels[] = {
    {"productLabel", 120, 240, 2895, 255, "Tahoma", 9.75, true, Colors::lightGrey,
     Qt::AlignHCenter},
    {"creatorCaption", 120, 600, 975, 255, "Arial", 8.25, true, Colors::white, Qt::AlignHCenter},
    {"contactCaption", 360, 960, 735, 255, "Arial", 8.25, true, Colors::white, Qt::AlignHCenter},
    {"creatorLabel", 1200, 600, 1815, 255, "Arial", 8.25, false, Colors::white, Qt::AlignLeft},
    {"contactLabel", 1200, 960, 1815, 255, "Arial", 8.25, false, Colors::white, Qt::AlignLeft},
};

// The client area starts inside the border.
constexpr QPoint clientOrigin(1, 1);

} // namespace

AboutBox::AboutBox(const QRect& clock, const QRect& available, const Services& services)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(Twips::toPx(ClientWidth) + 2, Twips::toPx(ClientHeight) + 2);
    keepExactSize(this);
    services.windows->keepOffTaskbar(this);

    auto* aboutFrame = new TitledFrame(QStringLiteral("About box"), this);
    aboutFrame->setObjectName(QStringLiteral("aboutFrame"));
    aboutFrame->setGeometry(Twips::rect(120, 0, 3135, 1695).translated(clientOrigin));

    const QString texts[] = {
        QString::fromUtf8(Version::product), QStringLiteral("Created by:"),
        QStringLiteral("Contact:"),          QStringLiteral("The Tempivo authors"),
        QStringLiteral("see README.md"),
    };
    int i = 0;
    for (const LabelLayout& l : labels) {
        auto* label = new FittedLabel(aboutFrame);
        label->setText(texts[i++]);
        label->setObjectName(QLatin1String(l.name));
        label->setGeometry(Twips::rect(l.left, l.top, l.width, l.height));
        label->setFont(makeFont(l.family, l.pointSize, l.bold));
        label->setAlignment(l.alignment | Qt::AlignTop);
        label->setAutoFillBackground(true);
        QPalette p = label->palette();
        p.setColor(QPalette::Window, Colors::darkGreen);
        p.setColor(QPalette::WindowText, l.color);
        label->setPalette(p);
    }

    okButton = new QPushButton(QStringLiteral("OK"), aboutFrame);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setGeometry(Twips::rect(1080, 1320, 855, 255));
    okButton->setFont(makeFont("Tahoma", 8.25, false));
    okButton->setDefault(true);
    okButton->setFocus();
    connect(okButton, &QPushButton::clicked, this, &AboutBox::closeRequested);

    move(dockPosition(clock, size(), GapRight, RowTop, available));
}

void AboutBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Colors::darkGreen);
    painter.setPen(Colors::black);
    painter.drawRect(0, 0, width() - 1, height() - 1);
}

void AboutBox::keyPressEvent(QKeyEvent* event) {
    // A plain window has no dialog keys of its own: Enter and Escape answer the box as OK does.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        okButton->click();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void AboutBox::closeEvent(QCloseEvent* event) {
    // Closed from outside (the window manager): go as with OK.
    event->accept();
    emit closeRequested();
}
