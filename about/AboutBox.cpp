#include "about/AboutBox.h"

#include "platform/WindowManager.h"
#include "version.h"
#include "widgets/CaptionFrame.h"
#include "widgets/Colors.h"
#include "widgets/DockPosition.h"
#include "widgets/FittedLabel.h"
#include "widgets/Fonts.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace {

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

} // namespace

AboutBox::AboutBox(const QRect& clock, const QRect& available, const Services& services) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(Twips::toPx(ClientWidth) + 2 * borderPx, Twips::toPx(ClientHeight) + 2 * borderPx);
    services.windows->keepOffTaskbar(this);

    auto* aboutFrame = new CaptionFrame(this);
    aboutFrame->setObjectName(QStringLiteral("aboutFrame"));
    aboutFrame->setCaption(QStringLiteral("About box"));
    aboutFrame->setFont(layoutFont(QStringLiteral("Tahoma"), 8.25));
    aboutFrame->setCaptionColor(Colors::cyan);
    aboutFrame->setLineColor(Colors::grey);
    aboutFrame->setEtchColor(Colors::white);
    aboutFrame->setBackgroundColor(Colors::darkGreen);
    aboutFrame->setGeometry(Twips::rect(120, 0, 3135, 1695).translated(borderPx, borderPx));

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
        label->setFont(layoutFont(QLatin1String(l.family), l.pointSize, l.bold));
        label->setAlignment(l.alignment | Qt::AlignTop);
        setColors(label, l.color, Colors::darkGreen);
    }

    m_okButton = new QPushButton(QStringLiteral("OK"), aboutFrame);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setGeometry(Twips::rect(1080, 1320, 855, 255));
    m_okButton->setFont(layoutFont(QStringLiteral("Tahoma"), 8.25));
    m_okButton->setDefault(true);
    m_okButton->setFocus();
    connect(m_okButton, &QPushButton::clicked, this, &AboutBox::closeRequested);

    move(dockPosition(clock, size(), GapRight, RowTop, available));
}

void AboutBox::keyPressEvent(QKeyEvent* event) {
    // A plain window has no dialog keys of its own: Enter and Escape answer the box as OK does.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        m_okButton->click();
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
