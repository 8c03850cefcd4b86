#pragma once

#include "platform/Services.h"

#include "widgets/BoxWindow.h"

#include <array>

class CaptionFrame;
class CommandLabel;
class LinkEditor;

// The quick-links window, docked beside a window it follows: ten link slots that start
// their link with one click, and the editor for one slot below them.
class LinksWindow : public BoxWindow {
    Q_OBJECT
public:
    // Outer heights in twips, with the editor hidden and shown.
    static constexpr int CollapsedHeight = 3060;
    static constexpr int ExpandedHeight = 5580;
    static constexpr int ClientWidth = 3270;
    // Where the window sits relative to the window it follows (twips).
    static constexpr int DockRight = 10;
    static constexpr int DockBelow = 1800;

    // Docks beside the window followed and moves with it as it moves or changes size. Shows
    // empty slots until load().
    LinksWindow(const Services& services, QWidget* followed);

    // Shows the titles the settings file holds, first writing the file with ten empty links
    // when there is none (and saying so when that fails).
    void load();

    // Opens the editor on slot (1 to 10).
    void openEditor(int slot);

signals:
    // The close command was clicked, or the window manager closed the window.
    void closeRequested();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildSlots();
    QPoint dockPosition() const;
    void dock();
    void setOuterHeight(int twips);
    void showTitle(int slot, const QString& title);
    // After a save or an erase: the titles afresh, the editor closed, nothing highlighted.
    void reload();

    // Starts link slot (1 to 10).
    void startLink(int slot);
    void onSlotClicked(int slot);
    void onSlotHovered(int slot);
    void showError(const QString& text);

    Services m_services;
    QWidget* m_followed;

    CaptionFrame* m_linksFrame = nullptr;
    // One row per slot: its number, its title (clicked to start the link) and its "Edit" command.
    std::array<CommandLabel*, 10> m_rowNumbers{};
    std::array<CommandLabel*, 10> m_slots{};
    std::array<CommandLabel*, 10> m_editCommands{};
    // Whether each slot holds no link; such a slot starts nothing and never underlines.
    std::array<bool, 10> m_emptySlots{};
    CommandLabel* m_closeCommand = nullptr;

    LinkEditor* m_editor = nullptr;
    // Set while the window is being put back where it docks.
    bool m_puttingBack = false;
};
