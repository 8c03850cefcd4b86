#include "platform/StartupMemory.h"

#include <QFont>
#include <QIcon>
#include <QPixmapCache>

#include <fontconfig/fontconfig.h>
#include <malloc.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

void StartupMemory::shareOneHeap() {
    mallopt(M_ARENA_MAX, 1);
}

void StartupMemory::dropTextResources() {
    // The font engines first: they hold fontconfig's patterns, which keep its caches.
    QFont::cleanup();
    // fontconfig reads its configuration anew at its next use.
    FcFini();
    // Setting the search path anew empties the icon loader's theme index.
    QIcon::setThemeSearchPaths(QIcon::themeSearchPaths());
    QPixmapCache::clear();
}

void StartupMemory::returnFreeHeap() {
    // malloc keeps up to seven freed blocks of each size up to 1032 bytes for the thread that
    // freed them, off the heap's free lists, where no trim reaches them: a closed message box
    // leaves hundreds, spread over the heap. Take them, and have a thread of our own free
    // them: its end hands them over to the heap's free lists.
    constexpr int cachedSizes = 64;
    constexpr int cachedPerSize = 7;
    std::vector<void*> blocks;
    blocks.reserve(cachedSizes * cachedPerSize);
    for (int i = 0; i < cachedSizes; ++i) {
        for (int k = 0; k < cachedPerSize; ++k)
            blocks.push_back(std::malloc(24 + 16 * i));
    }
    std::thread([&blocks] {
        for (void* block : blocks)
            std::free(block);
    }).join();
    malloc_trim(0);
}

void StartupMemory::returnStackBelowCaller() {
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0)
        return;
    void* lowest = nullptr;
    size_t size = 0;
    const bool known = pthread_attr_getstack(&attributes, &lowest, &size) == 0;
    pthread_attr_destroy(&attributes);
    if (!known)
        return;
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    // A page below this frame stays for the calls made from here.
    const auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    const uintptr_t end = (here & ~(page - 1)) - page;
    const uintptr_t start = (reinterpret_cast<uintptr_t>(lowest) + page - 1) & ~(page - 1);
    if (end <= start)
        return;
    // Beyond the part of the stack the kernel has mapped so far the advice finds nothing to
    // drop and says so; that is no fault.
    madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
}
