#pragma once

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <optional>

class QScreen;
class QWindow;

// What Tempivo tells and asks the X window manager directly, where Qt has no say. Every call
// does nothing (or answers nothing) off X11.
namespace X11WindowHints {

// Marks a window that is about to be mapped as a utility window that taskbars, pagers and
// window switchers leave out, shown on every workspace. A window that takes no focus stops
// offering WM_TAKE_FOCUS, which some window managers read as "focusable".
void markAsUtility(QWindow* window);

// Keeps a window that is about to be mapped off taskbars and pagers.
void skipTaskbar(QWindow* window);

// Raises the window above the others of its layer without giving it the keyboard: a restack
// or activation request from a pager, which window managers honour where they ignore a plain
// raise from a program.
void raise(QWindow* window);

// Whether a shown window that the window manager stacks above this one overlaps it.
bool isCovered(QWindow* window);

// Whether the window manager has let go of a hidden window (its WM_STATE gone or Withdrawn); also
// true off X11, where there is nothing to wait for.
bool isWithdrawn(QWindow* window);

// The window's top-left corner as the X server has it, which a window manager may have put
// elsewhere than Qt believes.
std::optional<QPoint> reportedPosition(QWindow* window);

// Whether a pointer button is held down, as the X server sees it (also while the window
// manager has grabbed the pointer for a move).
std::optional<bool> pointerButtonDown();

// The frame the window manager draws around the window, asked for before the window is mapped.
std::optional<QMargins> frameExtents(QWindow* window);

// The screen's area less the part the docks (panels) reserve on it with their struts; no
// reserved edge when they cannot be read.
QRect freeArea(QScreen* screen);

// The part of a monitor (X pixels) that the docks' struts leave free: each strut, as
// _NET_WM_STRUT_PARTIAL's 12 values or _NET_WM_STRUT's 4, reserves a band along an edge of the
// whole X screen of size `root`, over a span of that edge, and narrows the monitors it crosses.
QRect unreserved(const QRect& monitor, const QSize& root, const QList<QList<uint32_t>>& struts);

} // namespace X11WindowHints
