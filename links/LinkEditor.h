#pragma once

#include "platform/Services.h"
#include "widgets/CaptionFrame.h"

#include <array>
#include <optional>

class CommandLabel;
class QLineEdit;
class QRadioButton;

// The editor for one link slot, below the slot list: title, type and address, with Browse,
// Save, Cancel and Erase. Save and Erase write the settings file and announce the change.
class LinkEditor : public CaptionFrame {
    Q_OBJECT
public:
    LinkEditor(const Services& services, QWidget* parent);

    // Shows slot (1 to 10) as the settings file holds it.
    void open(int slot);
    // Back to how it was built: no slot, empty fields, no file browsed, no command highlighted.
    void reset();

signals:
    // A link was saved or erased.
    void linkChanged();
    // Cancel cleared the fields; the editor wants hiding.
    void cancelled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend struct LinkEditorLayout;

    // Height the address box is kept at (twips).
    static constexpr int AddressBoxHeight = 255;

    // Puts the address box back to its height should anything have changed it.
    void keepAddressBoxHeight();
    void onTypeSelected(bool program);
    void onBrowseClicked();
    void onSaveClicked();
    void onCancelClicked();
    void onEraseClicked();
    void showError(const QString& text);

    Services m_services;
    // The slot opened last; empty until the first open.
    std::optional<int> m_slot;

    CommandLabel* m_titleCaption = nullptr;
    CommandLabel* m_addressCaption = nullptr;
    QLineEdit* m_titleEdit = nullptr;
    QLineEdit* m_addressEdit = nullptr;
    QRadioButton* m_urlOption = nullptr;
    QRadioButton* m_programOption = nullptr;
    CommandLabel* m_browseCommand = nullptr;
    CommandLabel* m_saveCommand = nullptr;
    CommandLabel* m_cancelCommand = nullptr;
    CommandLabel* m_eraseCommand = nullptr;
    // The commands in a row, for the hover rules.
    std::array<CommandLabel*, 4> m_commands{};

    // The file Browse chose last; a cancelled dialog leaves it as it was.
    QString m_browsedFile;
};
