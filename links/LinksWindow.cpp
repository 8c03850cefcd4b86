#include "links/LinksWindow.h"

#include "links/LinkStore.h"
#include "links/OpenLink.h"
#include "platform/ExactSize.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/WindowManager.h"
#include "widgets/CaptionFrame.h"
#include "widgets/CommandLabel.h"
#include "widgets/DockPosition.h"
#include "widgets/Fonts.h"
#include "widgets/Twips.h"

#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QTextDocument>

namespace {

const QColor background{0, 128, 0};
const QColor frameCaption{0, 255, 255};
const QColor frameLine{192, 192, 192};
const QColor rowNumberText{128, 255, 255};
const QColor slotText{255, 255, 128};
const QColor editText{192, 255, 255};
const QColor closeNormal{255, 255, 255};
const QColor closeHighlighted{255, 224, 192};
const QColor commandGreen{0, 192, 0};
const QColor commandPale{255, 255, 192};
const QColor borderColor{0, 0, 0};

const QString emptyTitle = QStringLiteral("[none]");
const QString emptyAddress = QStringLiteral("none");
const QString missingValue = QStringLiteral("[inside error]");
const QString urlType = QStringLiteral("URL");
const QString programType = QStringLiteral("Computer program");
const QString errorCaption = QStringLiteral("Error");

const QList<FileDialog::Filter> browseFilters = {
    {QStringLiteral("All Files (*.*)"), QStringLiteral("*.*")},
    {QStringLiteral("Applications (*.exe)"), QStringLiteral("*.exe")},
    {QStringLiteral("Batch Files (*.bat)"), QStringLiteral("*.bat")},
};

// The client area starts inside the one-pixel window border.
constexpr int borderPx = 1;

// Top of row n (1 to 10) in twips.
constexpr int rowTop(int n) {
    return 360 + 240 * (n - 1);
}

QFont makeFont(const char* face, qreal points, bool bold = false) {
    QFont font = layoutFont(QLatin1String(face), points);
    font.setBold(bold);
    return font;
}

void setColors(QWidget* widget, const QColor& text, const QColor& back) {
    QPalette p = widget->palette();
    if (p.color(QPalette::WindowText) == text && p.color(QPalette::Window) == back &&
        widget->autoFillBackground() == back.isValid()) {
        return;
    }
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::WindowText, text);
        p.setColor(group, QPalette::ButtonText, text);
        if (back.isValid()) {
            p.setColor(group, QPalette::Window, back);
            p.setColor(group, QPalette::Button, back);
        }
    }
    widget->setPalette(p);
    widget->setAutoFillBackground(back.isValid());
}

QString key(int slot, char field) {
    return LinkStore::keyName(slot, field);
}

QString readLink(int slot, char field, const QString& defaultValue) {
    return LinkStore::readValue(LinkStore::configFilePath(), LinkStore::configSection,
                                key(slot, field), defaultValue);
}

// Writes fields of one link together, so that a refused write leaves the whole link as it was.
bool writeLink(int slot, const QList<std::pair<char, QString>>& fields, QString* errorText) {
    QList<std::pair<QString, QString>> values;
    for (const auto& [field, value] : fields)
        values.append({key(slot, field), value});
    return LinkStore::writeValues(LinkStore::configFilePath(), LinkStore::configSection, values,
                                  errorText);
}

} // namespace

struct LinksWindowLayout {
    struct Command {
        CommandLabel* LinksWindow::*member;
        const char* name;
        const char* caption;
        int left, top, width, height; // twips
    };
    static const Command commands[4];
};

// In the order the hover rules list them: Browse, Save, Cancel, Erase.
const LinksWindowLayout::Command LinksWindowLayout::commands[4] = {
    {&LinksWindow::browseCommand, "browseCommand", "Browse", 1320, 1560, 735, 255},
    {&LinksWindow::saveCommand, "saveCommand", "Save", 360, 1920, 480, 240},
    {&LinksWindow::cancelCommand, "cancelCommand", "Cancel", 2040, 1920, 600, 240},
    {&LinksWindow::eraseCommand, "eraseCommand", "Erase", 1155, 1920, 540, 240},
};

LinksWindow::LinksWindow(const Services& services, QWidget* anchor)
    : QWidget(nullptr, Qt::FramelessWindowHint)
    , m_services(services)
    , m_anchor(anchor) {
    setObjectName(QStringLiteral("linksWindow"));
    setWindowTitle(QStringLiteral("Tempivo Links"));
    m_services.windows->keepOffTaskbar(this);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFixedSize(Twips::toPx(ClientWidth) + 2 * borderPx, Twips::toPx(CollapsedHeight));
    keepExactSize(this);

    buildSlots();
    buildEditor();
    setOuterHeight(CollapsedHeight);

    // A first start finds no settings file: begin one with ten empty links.
    const QString path = LinkStore::configFilePath();
    if (!LinkStore::isSettingsFileThere()) {
        QString reason;
        if (!LinkStore::writeDefaultFile(path, &reason)) {
            m_services.messages->showError(
                nullptr, errorCaption,
                path.isEmpty()
                    ? QStringLiteral("Could not create the settings file: %1").arg(reason)
                    : QStringLiteral("Could not create the settings file \"%1\": %2")
                          .arg(path, reason));
        }
    }
    dock();
    for (int n = 1; n <= 10; ++n)
        showTitle(n, readLink(n, 'T', missingValue));
    holdAddressBoxHeight();

    // Docking and the address box's height follow their events: nothing here polls.
    m_anchor->installEventFilter(this);
    addressEdit->installEventFilter(this);
}

void LinksWindow::buildSlots() {
    linksFrame = new CaptionFrame(this);
    linksFrame->setObjectName(QStringLiteral("linksFrame"));
    linksFrame->setCaption(QStringLiteral("Quick Links"));
    linksFrame->setFont(makeFont("Tahoma", 8.25));
    linksFrame->setCaptionColor(frameCaption);
    linksFrame->setLineColor(frameLine);
    linksFrame->setBackgroundColor(background);
    linksFrame->setGeometry(Twips::rect(120, 0, 3015, 2895).translated(borderPx, borderPx));
    connect(linksFrame, &CaptionFrame::pointerMoved, this, [this] {
        for (CommandLabel* slot : m_slots)
            slot->setUnderlined(false);
    });

    auto label = [this](QWidget* parent, const QString& name, const QString& text, QRect twips,
                        const QFont& font, const QColor& color, const QColor& back) {
        auto* l = new CommandLabel(parent);
        l->setObjectName(name);
        l->setText(text);
        l->setGeometry(Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
        l->setFont(font);
        setColors(l, color, back);
        return l;
    };

    for (int n = 1; n <= 10; ++n) {
        const QString number = QString::number(n);
        const int top = rowTop(n);
        m_rowNumbers[n - 1] = label(linksFrame, QStringLiteral("rowNumber") + number, number + u'.',
                                    QRect(n == 10 ? 120 : 225, top, 255, 255),
                                    makeFont("OCR A Extended", 9), rowNumberText, QColor());
        CommandLabel* slot =
            label(linksFrame, QStringLiteral("slot") + number, emptyTitle,
                  QRect(480, top, 2055, 255), makeFont("Arial", 8.25), slotText, QColor());
        // Titles come from the settings file: markup in one is shown, never followed (an
        // <img> naming /dev/zero would read without end).
        slot->setTextFormat(Qt::PlainText);
        m_slots[n - 1] = slot;
        CommandLabel* edit =
            label(linksFrame, QStringLiteral("editCommand") + number, QStringLiteral("Edit"),
                  QRect(2640, top, 255, 135), makeFont("Arial", 6.75), editText, background);
        m_editCommands[n - 1] = edit;

        connect(slot, &CommandLabel::clicked, this, [this, n] { onSlotClicked(n); });
        connect(slot, &CommandLabel::pointerMoved, this, [this, n] { onSlotHovered(n); });
        connect(edit, &CommandLabel::clicked, this, [this, n] { onEditClicked(n); });
    }

    closeCommand =
        label(linksFrame, QStringLiteral("closeCommand"), QStringLiteral("X"),
              QRect(2760, 120, 135, 255), makeFont("Arial", 9.75, true), closeNormal, background);
    connect(closeCommand, &CommandLabel::pointerMoved, this,
            [this] { closeCommand->setTextColor(closeHighlighted); });
    connect(closeCommand, &CommandLabel::clicked, this, &LinksWindow::closeRequested);
}

void LinksWindow::buildEditor() {
    editorFrame = new CaptionFrame(this);
    editorFrame->setObjectName(QStringLiteral("editorFrame"));
    editorFrame->setCaption(QStringLiteral("Configuration for #"));
    editorFrame->setFont(makeFont("Tahoma", 8.25));
    editorFrame->setCaptionColor(frameCaption);
    editorFrame->setLineColor(frameLine);
    editorFrame->setBackgroundColor(background);
    editorFrame->setGeometry(Twips::rect(120, 3120, 3015, 2295).translated(borderPx, borderPx));
    connect(editorFrame, &CaptionFrame::pointerMoved, this, [this] {
        for (CommandLabel* command : m_commands)
            setColors(command, commandPale, commandGreen);
    });

    const QFont captionFont = makeFont("Arial", 8.25);
    auto caption = [&](const char* name, const char* text, int top, int width) {
        auto* l = new CommandLabel(editorFrame);
        l->setObjectName(QLatin1String(name));
        l->setText(QLatin1String(text));
        l->setGeometry(Twips::rect(120, top, width, 255));
        l->setFont(captionFont);
        setColors(l, slotText, QColor());
        return l;
    };
    auto textBox = [&](const char* name, int top) {
        auto* box = new QLineEdit(editorFrame);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(Twips::rect(840, top, 1695, 315));
        box->setFont(makeFont("Times New Roman", 11.25));
        box->setAttribute(Qt::WA_NoMousePropagation);
        // No longer than the store gives back, so that what is saved is what is used.
        box->setMaxLength(LinkStore::maxValueLength);
        return box;
    };
    auto option = [&](const char* name, const char* text, int top, int width) {
        auto* button = new QRadioButton(QLatin1String(text), editorFrame);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(Twips::rect(840, top, width, 195));
        button->setFont(captionFont);
        // The stand-in face runs wider than the layout's: narrow the caption until the
        // button's box holds it beside the indicator.
        for (int stretch = 98; button->sizeHint().width() > button->width() && stretch >= 75;
             stretch -= 2) {
            QFont narrower = captionFont;
            narrower.setStretch(stretch);
            button->setFont(narrower);
        }
        button->setAttribute(Qt::WA_NoMousePropagation);
        setColors(button, slotText, background);
        return button;
    };

    titleCaption = caption("titleCaption", "Title:", 290, 495);
    titleEdit = textBox("titleEdit", 240);
    urlOption = option("urlOption", "URL", 720, 615);
    programOption = option("programOption", "Computer program", 960, 1695);
    addressCaption = caption("addressCaption", "Address:", 1250, 735);
    addressEdit = textBox("addressEdit", 1200);
    setTabOrder(titleEdit, addressEdit);
    setTabOrder(addressEdit, urlOption);
    setTabOrder(urlOption, programOption);

    const QFont commandFont = makeFont("Tahoma", 8.25, true);
    for (int i = 0; i < 4; ++i) {
        const LinksWindowLayout::Command& c = LinksWindowLayout::commands[i];
        auto* l = new CommandLabel(editorFrame);
        l->setObjectName(QLatin1String(c.name));
        l->setText(QLatin1String(c.caption));
        l->setGeometry(Twips::rect(c.left, c.top, c.width, c.height));
        l->setFont(commandFont);
        l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        setColors(l, commandPale, commandGreen);
        connect(l, &CommandLabel::pointerMoved, this,
                [l] { setColors(l, commandGreen, commandPale); });
        this->*c.member = l;
        m_commands[i] = l;
    }

    connect(urlOption, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            onTypeSelected(false);
    });
    connect(programOption, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            onTypeSelected(true);
    });
    programOption->setChecked(true);
    titleEdit->clear();
    addressEdit->clear();

    connect(browseCommand, &CommandLabel::clicked, this, &LinksWindow::onBrowseClicked);
    connect(saveCommand, &CommandLabel::clicked, this, &LinksWindow::onSaveClicked);
    connect(cancelCommand, &CommandLabel::clicked, this, &LinksWindow::onCancelClicked);
    connect(eraseCommand, &CommandLabel::clicked, this, &LinksWindow::onEraseClicked);
}

QPoint LinksWindow::dockPosition() const {
    return ::dockPosition(m_anchor->frameGeometry(), frameGeometry().size(), DockRight, DockBelow,
                          availableAreaOf(*m_anchor));
}

void LinksWindow::dock() {
    const QPoint target = dockPosition();
    if (pos() != target)
        move(target);
}

void LinksWindow::setOuterHeight(int twips) {
    setFixedHeight(Twips::toPx(twips));
    keepExactSize(this);
    // The editor below the bottom edge takes no keys: a box there would blink its cursor for
    // nobody, and keys typed into it would change a link unseen.
    editorFrame->setVisible(twips == ExpandedHeight);
    // The opened editor must not reach below the screen.
    dock();
}

void LinksWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // Something else moved the window: put it back, once in a row, so that a window manager
    // that keeps it elsewhere is not fought.
    if (pos() == dockPosition()) {
        m_puttingBack = false;
    } else if (!m_puttingBack) {
        m_puttingBack = true;
        dock();
    }
}

void LinksWindow::holdAddressBoxHeight() {
    const int boxHeight = Twips::toPx(AddressBoxHeight);
    if (addressEdit->height() != boxHeight)
        addressEdit->resize(addressEdit->width(), boxHeight);
}

// The caption and its tooltip change together.
void LinksWindow::showTitle(int slot, const QString& title) {
    CommandLabel* label = m_slots[slot - 1];
    label->setText(title);
    QString tip = title != emptyTitle ? QStringLiteral("Run ") + title
                                      : QStringLiteral("click edit to modify");
    // Tooltips have no plain-text switch: a tip that looks like markup is escaped instead.
    if (Qt::mightBeRichText(tip))
        tip = Qt::convertFromPlainText(tip, Qt::WhiteSpaceNoWrap);
    label->setToolTip(tip);
}

bool LinksWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_anchor && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        dock();
    else if (watched == addressEdit && event->type() == QEvent::Resize)
        holdAddressBoxHeight();
    return QWidget::eventFilter(watched, event);
}

void LinksWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background);
    painter.setPen(borderColor);
    painter.drawRect(0, 0, width() - 1, height() - 1);
}

void LinksWindow::closeEvent(QCloseEvent* event) {
    // Closed from outside (the window manager): unload as "X" does.
    event->accept();
    emit closeRequested();
}

void LinksWindow::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    closeCommand->setTextColor(closeNormal);
}

void LinksWindow::onSlotHovered(int slot) {
    CommandLabel* hovered = m_slots[slot - 1];
    hovered->setUnderlined(hovered->text() != emptyTitle);
    for (CommandLabel* other : m_slots) {
        if (other != hovered)
            other->setUnderlined(false);
    }
}

void LinksWindow::onSlotClicked(int slot) {
    if (m_slots[slot - 1]->text() == emptyTitle)
        return;
    startLink(static_cast<qint16>(slot));
}

void LinksWindow::startLink(qint16 slot) {
    const QString type = readLink(slot, 'S', urlType);
    if (type == programType) {
        const QString commandLine = readLink(slot, 'A', Shell::rootFolder());
        if (!m_services.shell->startProgram(commandLine)) {
            showError(QStringLiteral("Could not start the program \"%1\".").arg(commandLine));
        }
        return;
    }
    openLink(*m_services.shell, readLink(slot, 'A', Shell::portalAddress()));
}

void LinksWindow::onEditClicked(int slot) {
    EditSlot = static_cast<qint16>(slot);
    openEditor(*EditSlot);
}

void LinksWindow::openEditor(qint16 slot) {
    editorFrame->setCaption(QStringLiteral("Configuration for #") + QString::number(slot));
    setOuterHeight(ExpandedHeight);
    if (readLink(slot, 'S', missingValue) == urlType)
        urlOption->setChecked(true);
    else
        programOption->setChecked(true);
    titleEdit->setText(readLink(slot, 'T', missingValue));
    addressEdit->setText(readLink(slot, 'A', missingValue));
}

void LinksWindow::onTypeSelected(bool program) {
    browseCommand->setVisible(program);
    addressEdit->setText(program ? Shell::rootFolder() : QStringLiteral("http://"));
}

void LinksWindow::onBrowseClicked() {
    const FileDialog::Result result = m_services.files->getOpenFileName(this, browseFilters);
    if (result.status == FileDialog::Result::Failed) {
        showError(QStringLiteral("An inside error"));
        return;
    }
    if (result.status == FileDialog::Result::Chosen)
        m_browsedFile = result.path;
    addressEdit->setText(m_browsedFile);
}

void LinksWindow::onSaveClicked() {
    const QString title = titleEdit->text();
    const QString address = addressEdit->text();
    if (title.isEmpty() || title == emptyTitle) {
        showError(QStringLiteral("Invalid title"));
        return;
    }
    if (address.isEmpty() || address == emptyAddress) {
        showError(QStringLiteral("Invalid file address or ulr"));
        return;
    }
    if (!EditSlot)
        return;
    const int slot = *EditSlot;
    QString reason;
    if (!writeLink(
            slot,
            {{'T', title}, {'A', address}, {'S', urlOption->isChecked() ? urlType : programType}},
            &reason)) {
        // The editor stays as it is, so that nothing typed is lost.
        showError(QStringLiteral("Could not save link %1: %2").arg(slot).arg(reason));
        return;
    }
    emit reloadRequested();
}

void LinksWindow::onCancelClicked() {
    titleEdit->clear();
    addressEdit->setText(Shell::rootFolder());
    setOuterHeight(CollapsedHeight);
}

void LinksWindow::onEraseClicked() {
    if (!EditSlot)
        return;
    const int slot = *EditSlot;
    QString reason;
    if (!writeLink(slot, {{'T', emptyTitle}, {'A', emptyAddress}}, &reason)) {
        showError(QStringLiteral("Could not erase link %1: %2").arg(slot).arg(reason));
        return;
    }
    emit reloadRequested();
}

void LinksWindow::showError(const QString& text) {
    m_services.messages->showError(this, errorCaption, text);
}
