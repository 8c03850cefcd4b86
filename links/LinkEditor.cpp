#include "links/LinkEditor.h"

#include "links/LinkStore.h"
#include "links/LinksLook.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "widgets/Colors.h"
#include "widgets/CommandLabel.h"
#include "widgets/Fonts.h"
#include "widgets/Twips.h"

#include <QEvent>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QValidator>
#include <algorithm>

using namespace LinksLook;
using LinkStore::LinkField;

namespace {

const QList<FileDialog::Filter> browseFilters = {
    {QStringLiteral("All Files (*.*)"), QStringLiteral("*.*")},
    {QStringLiteral("Applications (*.exe)"), QStringLiteral("*.exe")},
    {QStringLiteral("Batch Files (*.bat)"), QStringLiteral("*.bat")},
};

// No more characters than the store gives back, counted as it counts them: QLineEdit's own limit
// counts UTF-16 units, which takes half as many characters outside the Basic Multilingual Plane.
class CharacterLimit : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override {
        qsizetype excess = -LinkStore::maxValueLength;
        for (qsizetype i = 0; i < input.size(); ++i)
            excess += isPairEnd(input, i) ? 0 : 1;
        // Cut what was just typed or pasted, before the cursor, as a length limit does; then,
        // should that not be enough, the end. A surrogate pair goes whole or stays whole.
        qsizetype start = pos;
        for (; excess > 0 && start > 0; --excess)
            start -= isPairEnd(input, start - 1) ? 2 : 1;
        input.remove(start, pos - start);
        pos = int(start);
        qsizetype end = input.size();
        for (; excess > 0; --excess)
            end -= isPairEnd(input, end - 1) ? 2 : 1;
        input.truncate(end);
        pos = std::min(pos, int(end));
        return Acceptable;
    }

private:
    static bool isPairEnd(const QString& text, qsizetype i) {
        return i > 0 && text[i].isLowSurrogate() && text[i - 1].isHighSurrogate();
    }
};

} // namespace

struct LinkEditorLayout {
    struct Command {
        CommandLabel* LinkEditor::*member;
        const char* name;
        const char* caption;
        int left, top, width, height; // twips
    };
    static const Command commands[4];
};

// In the order the hover rules list them: Browse, Save, Cancel, Erase.
const LinkEditorLayout::Command LinkEditorLayout::commands[4] = {
    {&LinkEditor::m_browseCommand, "browseCommand", "Browse", 1320, 1560, 735, 255},
    {&LinkEditor::m_saveCommand, "saveCommand", "Save", 360, 1920, 480, 240},
    {&LinkEditor::m_cancelCommand, "cancelCommand", "Cancel", 2040, 1920, 600, 240},
    {&LinkEditor::m_eraseCommand, "eraseCommand", "Erase", 1155, 1920, 540, 240},
};

LinkEditor::LinkEditor(const Services& services, QWidget* parent)
    : CaptionFrame(parent)
    , m_services(services) {
    setUpFrame(this, "editorFrame", QStringLiteral("Configuration for #"), 120, 3120, 3015, 2295);
    connect(this, &CaptionFrame::pointerMoved, this, [this] {
        for (CommandLabel* command : m_commands)
            setColors(command, Colors::paleYellow, Colors::midGreen);
    });

    const QFont captionFont = layoutFont(QStringLiteral("Arial"), 8.25);
    auto caption = [&](const char* name, const char* text, int top, int width) {
        auto* l = new CommandLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setText(QLatin1String(text));
        l->setGeometry(Twips::rect(120, top, width, 255));
        l->setFont(captionFont);
        setColors(l, Colors::lightYellow, QColor());
        return l;
    };
    auto textBox = [&](const char* name, int top) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(Twips::rect(840, top, 1695, 315));
        box->setFont(layoutFont(QStringLiteral("Times New Roman"), 11.25));
        box->setAttribute(Qt::WA_NoMousePropagation);
        // No longer than the store gives back, so that what is saved is what is used.
        box->setValidator(new CharacterLimit(box));
        return box;
    };
    auto option = [&](const char* name, const char* text, int top, int width) {
        auto* button = new QRadioButton(QLatin1String(text), this);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(Twips::rect(840, top, width, 195));
        button->setFont(captionFont);
        // The stand-in face runs wider than the layout's: narrow the caption until the
        // button's box holds it beside the indicator; each try lays the button out again, so
        // the steps are coarse.
        if (button->sizeHint().width() > button->width()) {
            button->setFont(narrowedToFit(captionFont, 98, 2, [button](const QFont& font) {
                button->setFont(font);
                return button->sizeHint().width() <= button->width();
            }));
        }
        button->setAttribute(Qt::WA_NoMousePropagation);
        setColors(button, Colors::lightYellow, Colors::darkGreen);
        return button;
    };

    m_titleCaption = caption("titleCaption", "Title:", 290, 495);
    m_titleEdit = textBox("titleEdit", 240);
    m_titleEdit->setAccessibleName(QStringLiteral("Title"));
    m_urlOption = option("urlOption", "URL", 720, 615);
    m_programOption = option("programOption", "Computer program", 960, 1695);
    m_addressCaption = caption("addressCaption", "Address:", 1250, 735);
    m_addressEdit = textBox("addressEdit", 1200);
    m_addressEdit->setAccessibleName(QStringLiteral("Address"));
    setTabOrder(m_titleEdit, m_addressEdit);
    setTabOrder(m_addressEdit, m_urlOption);
    setTabOrder(m_urlOption, m_programOption);

    const QFont commandFont = layoutFont(QStringLiteral("Tahoma"), 8.25, true);
    for (int i = 0; i < 4; ++i) {
        const LinkEditorLayout::Command& c = LinkEditorLayout::commands[i];
        auto* l = new CommandLabel(this);
        l->setObjectName(QLatin1String(c.name));
        l->setText(QLatin1String(c.caption));
        l->setGeometry(Twips::rect(c.left, c.top, c.width, c.height));
        l->setFont(commandFont);
        l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        setColors(l, Colors::paleYellow, Colors::midGreen);
        connect(l, &CommandLabel::pointerMoved, this,
                [l] { setColors(l, Colors::midGreen, Colors::paleYellow); });
        this->*c.member = l;
        m_commands[i] = l;
    }

    connect(m_urlOption, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            onTypeSelected(false);
    });
    connect(m_programOption, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            onTypeSelected(true);
    });
    reset();
    keepAddressBoxHeight();
    // The address box's height follows its own resizes: nothing polls it.
    m_addressEdit->installEventFilter(this);

    connect(m_browseCommand, &CommandLabel::clicked, this, &LinkEditor::onBrowseClicked);
    connect(m_saveCommand, &CommandLabel::clicked, this, &LinkEditor::onSaveClicked);
    connect(m_cancelCommand, &CommandLabel::clicked, this, &LinkEditor::onCancelClicked);
    connect(m_eraseCommand, &CommandLabel::clicked, this, &LinkEditor::onEraseClicked);
}

void LinkEditor::open(int slot) {
    m_slot = slot;
    setCaption(QStringLiteral("Configuration for #") + QString::number(slot));
    if (LinkStore::readLink(slot, LinkField::Type, LinkStore::missingValue) == LinkStore::urlType)
        m_urlOption->setChecked(true);
    else
        m_programOption->setChecked(true);
    m_titleEdit->setText(LinkStore::readLink(slot, LinkField::Title, LinkStore::missingValue));
    m_addressEdit->setText(LinkStore::readLink(slot, LinkField::Address, LinkStore::missingValue));
}

void LinkEditor::reset() {
    m_slot.reset();
    m_browsedFile.clear();
    setCaption(QStringLiteral("Configuration for #"));
    m_programOption->setChecked(true);
    m_titleEdit->clear();
    m_addressEdit->clear();
    for (CommandLabel* command : m_commands)
        setColors(command, Colors::paleYellow, Colors::midGreen);
}

void LinkEditor::keepAddressBoxHeight() {
    const int boxHeight = Twips::toPx(AddressBoxHeight);
    if (m_addressEdit->height() != boxHeight)
        m_addressEdit->resize(m_addressEdit->width(), boxHeight);
}

bool LinkEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_addressEdit && event->type() == QEvent::Resize)
        keepAddressBoxHeight();
    return CaptionFrame::eventFilter(watched, event);
}

void LinkEditor::onTypeSelected(bool program) {
    m_browseCommand->setVisible(program);
    m_addressEdit->setText(program ? Shell::rootFolder() : QStringLiteral("http://"));
}

void LinkEditor::onBrowseClicked() {
    const FileDialog::Result result = m_services.files->getOpenFileName(window(), browseFilters);
    if (result.status == FileDialog::Result::Failed) {
        showError(QStringLiteral("An inside error"));
        return;
    }
    if (result.status == FileDialog::Result::Chosen)
        m_browsedFile = result.path;
    m_addressEdit->setText(m_browsedFile);
}

void LinkEditor::onSaveClicked() {
    const QString title = m_titleEdit->text();
    const QString address = m_addressEdit->text();
    if (title.isEmpty() || title == LinkStore::emptyTitle) {
        showError(QStringLiteral("Invalid title"));
        return;
    }
    if (address.isEmpty() || address == LinkStore::emptyAddress) {
        showError(QStringLiteral("Invalid file address or ulr"));
        return;
    }
    if (!m_slot)
        return;
    const QString type = m_urlOption->isChecked() ? LinkStore::urlType : LinkStore::programType;
    QString reason;
    // While a save waits for the settings lock, events run: the window may be closed meanwhile.
    const QPointer<LinkEditor> alive(this);
    const bool saved = LinkStore::writeLink(
        *m_slot,
        {{LinkField::Title, title}, {LinkField::Address, address}, {LinkField::Type, type}},
        &reason);
    if (!alive)
        return;
    if (!saved) {
        // The editor stays as it is, so that nothing typed is lost.
        showError(QStringLiteral("Could not save link %1: %2").arg(*m_slot).arg(reason));
        return;
    }
    emit linkChanged();
}

void LinkEditor::onCancelClicked() {
    m_titleEdit->clear();
    m_addressEdit->setText(Shell::rootFolder());
    emit cancelled();
}

void LinkEditor::onEraseClicked() {
    if (!m_slot)
        return;
    QString reason;
    const QPointer<LinkEditor> alive(this);
    const bool erased = LinkStore::writeLink(
        *m_slot,
        {{LinkField::Title, LinkStore::emptyTitle}, {LinkField::Address, LinkStore::emptyAddress}},
        &reason);
    if (!alive)
        return;
    if (!erased) {
        showError(QStringLiteral("Could not erase link %1: %2").arg(*m_slot).arg(reason));
        return;
    }
    emit linkChanged();
}

void LinkEditor::showError(const QString& text) {
    m_services.messages->showError(window(), errorCaption, text);
}
