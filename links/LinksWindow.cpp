#include "links/LinksWindow.h"

#include "links/LinkEditor.h"
#include "links/LinkStore.h"
#include "links/LinksLook.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/WindowManager.h"
#include "widgets/CaptionFrame.h"
#include "widgets/Colors.h"
#include "widgets/CommandLabel.h"
#include "widgets/DockPosition.h"
#include "widgets/Fonts.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QEvent>
#include <QMouseEvent>
#include <QTextDocument>

using namespace LinksLook;
using LinkStore::LinkField;

namespace {

// Top of row n (1 to 10) in twips.
constexpr int rowTop(int n) {
    return 360 + 240 * (n - 1);
}

} // namespace

LinksWindow::LinksWindow(const Services& services, QWidget* followed)
    : m_services(services)
    , m_followed(followed) {
    setObjectName(QStringLiteral("linksWindow"));
    setWindowTitle(QStringLiteral("Tempivo Links"));
    m_services.windows->keepOffTaskbar(this);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFixedSize(Twips::toPx(ClientWidth) + 2 * borderPx, Twips::toPx(CollapsedHeight));

    buildSlots();
    m_emptySlots.fill(true);
    m_editor = new LinkEditor(m_services, this);
    connect(m_editor, &LinkEditor::linkChanged, this, &LinksWindow::reload);
    connect(m_editor, &LinkEditor::cancelled, this, [this] { setOuterHeight(CollapsedHeight); });
    setOuterHeight(CollapsedHeight);

    // Docking answers that window's moves and resizes: nothing here polls.
    m_followed->installEventFilter(this);
}

void LinksWindow::load() {
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
    for (int n = 1; n <= 10; ++n)
        showTitle(n, LinkStore::readLink(n, LinkField::Title, LinkStore::missingValue));
}

void LinksWindow::reload() {
    load();
    m_editor->reset();
    setOuterHeight(CollapsedHeight);
    for (CommandLabel* slot : m_slots)
        slot->setUnderlined(false);
    m_closeCommand->setTextColor(Colors::white);
}

void LinksWindow::buildSlots() {
    m_linksFrame = new CaptionFrame(this);
    setUpFrame(m_linksFrame, "linksFrame", QStringLiteral("Quick Links"), 120, 0, 3015, 2895);
    connect(m_linksFrame, &CaptionFrame::pointerMoved, this, [this] {
        for (CommandLabel* slot : m_slots)
            slot->setUnderlined(false);
    });

    auto label = [this](const QString& name, const QString& text, QRect twips, const QFont& font,
                        const QColor& color, const QColor& back) {
        auto* l = new CommandLabel(m_linksFrame);
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
        m_rowNumbers[n - 1] =
            label(QStringLiteral("rowNumber") + number, number + u'.',
                  QRect(n == 10 ? 120 : 225, top, 255, 255),
                  layoutFont(QStringLiteral("OCR A Extended"), 9), Colors::lightCyan, QColor());
        CommandLabel* slot = label(
            QStringLiteral("slot") + number, LinkStore::emptyTitle, QRect(480, top, 2055, 255),
            layoutFont(QStringLiteral("Arial"), 8.25), Colors::lightYellow, QColor());
        // Titles come from the settings file: markup in one is shown, never followed (an
        // <img> naming /dev/zero would read without end).
        slot->setTextFormat(Qt::PlainText);
        m_slots[n - 1] = slot;
        CommandLabel* edit =
            label(QStringLiteral("editCommand") + number, QStringLiteral("Edit"),
                  QRect(2640, top, 255, 135), layoutFont(QStringLiteral("Arial"), 6.75),
                  Colors::paleCyan, Colors::darkGreen);
        edit->setAccessibleName(QStringLiteral("Edit link ") + number);
        m_editCommands[n - 1] = edit;

        connect(slot, &CommandLabel::clicked, this, [this, n] { onSlotClicked(n); });
        connect(slot, &CommandLabel::pointerMoved, this, [this, n] { onSlotHovered(n); });
        connect(edit, &CommandLabel::clicked, this, [this, n] { openEditor(n); });
    }

    m_closeCommand =
        label(QStringLiteral("closeCommand"), QStringLiteral("X"), QRect(2760, 120, 135, 255),
              layoutFont(QStringLiteral("Arial"), 9.75, true), Colors::white, Colors::darkGreen);
    m_closeCommand->setAccessibleName(QStringLiteral("Close"));
    connect(m_closeCommand, &CommandLabel::pointerMoved, this,
            [this] { m_closeCommand->setTextColor(Colors::peach); });
    connect(m_closeCommand, &CommandLabel::clicked, this, &LinksWindow::closeRequested);
}

QPoint LinksWindow::dockPosition() const {
    return ::dockPosition(m_followed->frameGeometry(), frameGeometry().size(), DockRight, DockBelow,
                          m_services.windows->freeArea(m_followed->frameGeometry().center()));
}

void LinksWindow::dock() {
    const QPoint target = dockPosition();
    if (pos() != target)
        move(target);
}

void LinksWindow::setOuterHeight(int twips) {
    setFixedHeight(Twips::toPx(twips));
    // The editor below the bottom edge takes no keys: a box there would blink its cursor for
    // nobody, and keys typed into it would change a link unseen.
    m_editor->setVisible(twips == ExpandedHeight);
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

// The caption and its tooltip change together.
void LinksWindow::showTitle(int slot, const QString& title) {
    const bool empty = title == LinkStore::emptyTitle;
    m_emptySlots[slot - 1] = empty;
    CommandLabel* label = m_slots[slot - 1];
    label->setText(title);
    QString tip = empty ? QStringLiteral("click edit to modify") : QStringLiteral("Run ") + title;
    // Tooltips have no plain-text switch: a tip that looks like markup is escaped instead.
    if (Qt::mightBeRichText(tip))
        tip = Qt::convertFromPlainText(tip, Qt::WhiteSpaceNoWrap);
    label->setToolTip(tip);
}

bool LinksWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_followed && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        dock();
    return QWidget::eventFilter(watched, event);
}

void LinksWindow::closeEvent(QCloseEvent* event) {
    // Closed from outside (the window manager): ask to go as "X" does.
    event->accept();
    emit closeRequested();
}

void LinksWindow::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    m_closeCommand->setTextColor(Colors::white);
}

void LinksWindow::onSlotHovered(int slot) {
    CommandLabel* hovered = m_slots[slot - 1];
    hovered->setUnderlined(!m_emptySlots[slot - 1]);
    for (CommandLabel* other : m_slots) {
        if (other != hovered)
            other->setUnderlined(false);
    }
}

void LinksWindow::onSlotClicked(int slot) {
    if (m_emptySlots[slot - 1])
        return;
    startLink(slot);
}

void LinksWindow::startLink(int slot) {
    const QString type = LinkStore::readLink(slot, LinkField::Type, LinkStore::urlType);
    if (type == LinkStore::programType) {
        const QString commandLine =
            LinkStore::readLink(slot, LinkField::Address, Shell::rootFolder());
        if (!m_services.shell->startProgram(commandLine)) {
            showError(QStringLiteral("Could not start the program \"%1\".").arg(commandLine));
        }
        return;
    }
    m_services.shell->openAddress(
        LinkStore::readLink(slot, LinkField::Address, Shell::portalAddress()));
}

void LinksWindow::openEditor(int slot) {
    setOuterHeight(ExpandedHeight);
    m_editor->open(slot);
}

void LinksWindow::showError(const QString& text) {
    m_services.messages->showError(this, errorCaption, text);
}
