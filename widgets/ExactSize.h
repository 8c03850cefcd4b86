#pragma once

class QWidget;

// When scaling, Qt asks the window manager to size windows in steps of round(ratio) device
// pixels from a base size; at a ratio like 1.5 the window manager then cuts a fixed odd size
// short by one pixel, with the window's edge. This gives the window a base size from which its
// exact size (its fixed size, when it has one) can be reached, now and after every resize.
void keepExactSize(QWidget* window);
