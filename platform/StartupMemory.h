#pragma once

// Memory that start-up used and a clock sitting on screen for hours does not need again.
namespace StartupMemory {

// Lets every thread allocate from the main thread's heap. Qt's event reader and D-Bus threads
// would each get a heap of their own, mostly empty; they allocate little and seldom. Call it
// before any thread starts.
void shareOneHeap();

// Drops what drawing text and icons loaded: font engines, fontconfig's configuration and
// caches, the icon theme's index and cached pixmaps. Qt loads them again when it next draws
// text. Only while no window holds a laid-out text, such as right after a start-up message
// box has closed and before the panel first unfolds.
void dropTextResources();

// Hands the heap's free pages back to the system, with those of the blocks malloc still keeps
// for the main thread.
void returnFreeHeap();

// Hands back the main thread's stack pages below the caller's frame, which deep calls made
// earlier (laying out a message box's text) left written. The caller must be on the main
// thread.
void returnStackBelowCaller();

} // namespace StartupMemory
