#pragma once

#include "platform/Services.h"

#include <QWidget>
#include <array>
#include <optional>

class CaptionFrame;
class CommandLabel;
class QLineEdit;
class QRadioButton;

// The quick-links window, docked beside a window it follows: ten link slots that start
// their link with one click, and the editor for one slot below them.
class LinksWindow : public QWidget {
    Q_OBJECT
public:
    // Outer heights in twips, with the editor hidden and shown.
    static constexpr int CollapsedHeight = 3060;
    static constexpr int ExpandedHeight = 5580;
    static constexpr int ClientWidth = 3270;
    // Where the window sits relative to the window it follows (twips).
    static constexpr int DockRight = 10;
    static constexpr int DockBelow = 1800;
    // Height the address box is held at (twips).
    static constexpr int AddressBoxHeight = 255;

    // Docks beside anchor and follows it as it moves or changes size.
    LinksWindow(const Services& services, QWidget* anchor);

    // Starts link slot (1 to 10).
    void startLink(qint16 slot);
    // Opens the editor on slot (1 to 10).
    void openEditor(qint16 slot);

    // The slot whose editor was opened last; empty until the first "Edit" click.
    std::optional<qint16> EditSlot;

signals:
    // The close command was clicked.
    void closeRequested();
    // A link was saved or erased: the window wants loading afresh.
    void reloadRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
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

    Services m_services;
    QWidget* m_anchor;

    CaptionFrame* linksFrame = nullptr;
    CaptionFrame* editorFrame = nullptr;
    // One row per slot: its number, its title (clicked to start the link) and its "Edit" command.
    std::array<CommandLabel*, 10> m_rowNumbers{};
    std::array<CommandLabel*, 10> m_slots{};
    std::array<CommandLabel*, 10> m_editCommands{};
    CommandLabel* closeCommand = nullptr;

    CommandLabel* titleCaption = nullptr;
    CommandLabel* addressCaption = nullptr;
    QLineEdit* titleEdit = nullptr;
    QLineEdit* addressEdit = nullptr;
    QRadioButton* urlOption = nullptr;
    QRadioButton* programOption = nullptr;
    CommandLabel* browseCommand = nullptr;
    CommandLabel* saveCommand = nullptr;
    CommandLabel* cancelCommand = nullptr;
    CommandLabel* eraseCommand = nullptr;

    // The editor's commands in a row, for the hover rules.
    std::array<CommandLabel*, 4> m_commands{};

    // The file Browse chose last; a cancelled dialog leaves it as it was.
    QString m_browsedFile;
    // Set while the window is being put back where it docks.
    bool m_puttingBack = false;
};
