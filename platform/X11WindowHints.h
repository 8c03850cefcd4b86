#pragma once

class QWindow;

namespace X11WindowHints {

// Marks a window that is about to be mapped as a utility window that taskbars, pagers and
// window switchers leave out. Does nothing off X11.
void markAsUtility(QWindow* window);

} // namespace X11WindowHints
