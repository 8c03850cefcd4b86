#pragma once

#include "platform/FileDialog.h"
#include "platform/Services.h"

#include <QWidget>
#include <array>
#include <optional>

class CaptionFrame;
class ClockWindow;
class CommandLabel;
class CompanionWindows;
class QLineEdit;
class QRadioButton;

// The quick-links window beside the clock window: ten link slots that start
// their link with one click, and the editor for one slot below them.
class LinksWindow : public QWidget {
    Q_OBJECT
public:
    // Outer heights in twips, with the editor hidden and shown.
    static constexpr int CollapsedHeight = 3060;
    static constexpr int ExpandedHeight = 5580;
    static constexpr int ClientWidth = 3270;
    // Where the window sits relative to the clock window (twips).
    static constexpr int DockRight = 10;
    static constexpr int DockBelow = 1800;
    // Height the address box is held at (twips).
    static constexpr int AddressBoxHeight = 255;

    LinksWindow(ClockWindow& clock, CompanionWindows& companions, const Services& services);

    // Sets Exist to 1 when path names a normal file, else to 0.
    void FileExists(const QString& path);
    // Starts link slot (1 to 10).
    void Check(qint16 slot);
    // Opens the editor on slot (1 to 10).
    void Bigger(qint16 slot);

    qint16 Exist = 0;
    // The slot whose editor was opened last; empty until the first "Edit" click.
    std::optional<qint16> EditSlot;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The file-dialog component: its file name outlives each showing, as the
    // component's property does.
    struct FileDialogComponent {
        FileDialog* service = nullptr;
        QList<FileDialog::Filter> Filter;
        QString FileName;
        // False when the dialog failed; a cancel keeps the last file name.
        bool ShowOpen(QWidget* parent);
    };

    friend struct LinksWindowLayout;

    void buildSlots();
    void buildEditor();
    QPoint dockPosition() const;
    void dock();
    void holdAddressBoxHeight();
    void showTitle(int slot, const QString& title);
    void setOuterHeight(int twips);

    void onSlotClicked(int slot);
    void onSlotHovered(int slot);
    void onEditClicked(int slot);
    void onTypeSelected(bool program);
    void onBrowseClicked();
    void onSaveClicked();
    void onCancelClicked();
    void onEraseClicked();
    void showError(const QString& text);

    ClockWindow& m_clock;
    CompanionWindows& m_companions;
    Services m_services;

    CaptionFrame* Frame1 = nullptr;
    CaptionFrame* Frame2 = nullptr;
    // Row numbers.
    CommandLabel* Label1 = nullptr;
    CommandLabel* Label2 = nullptr;
    CommandLabel* Label3 = nullptr;
    CommandLabel* Label4 = nullptr;
    CommandLabel* Label5 = nullptr;
    CommandLabel* Label6 = nullptr;
    CommandLabel* Label7 = nullptr;
    CommandLabel* Label8 = nullptr;
    CommandLabel* Label9 = nullptr;
    CommandLabel* Label10 = nullptr;
    // Slot labels.
    CommandLabel* lbl1 = nullptr;
    CommandLabel* lbl2 = nullptr;
    CommandLabel* lbl3 = nullptr;
    CommandLabel* lbl4 = nullptr;
    CommandLabel* lbl5 = nullptr;
    CommandLabel* lbl6 = nullptr;
    CommandLabel* lbl7 = nullptr;
    CommandLabel* lbl8 = nullptr;
    CommandLabel* lbl9 = nullptr;
    CommandLabel* lbl10 = nullptr;
    // "Edit" labels.
    CommandLabel* lbl11 = nullptr;
    CommandLabel* lbl22 = nullptr;
    CommandLabel* lbl33 = nullptr;
    CommandLabel* lbl44 = nullptr;
    CommandLabel* lbl55 = nullptr;
    CommandLabel* lbl66 = nullptr;
    CommandLabel* lbl77 = nullptr;
    CommandLabel* lbl88 = nullptr;
    CommandLabel* lbl99 = nullptr;
    CommandLabel* lbl1010 = nullptr;
    CommandLabel* lblClose = nullptr;

    CommandLabel* Label11 = nullptr;
    CommandLabel* Label12 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    CommandLabel* lblBrowse = nullptr;
    CommandLabel* Label13 = nullptr;
    CommandLabel* Label14 = nullptr;
    CommandLabel* Label15 = nullptr;

    // The slot labels and the editor's commands in a row, for the hover rules.
    std::array<CommandLabel*, 10> m_slots{};
    std::array<CommandLabel*, 4> m_commands{};

    FileDialogComponent CommonDialog1;
    // Set while the window is being put back where it docks.
    bool m_puttingBack = false;
};
