#include "heap_meter.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::atomic<size_t> liveBytes{0};
std::atomic<size_t> peakBytes{0};
std::atomic<size_t> bytesAtReset{0};

void countLive(size_t bytes)
{
    const size_t live = liveBytes.fetch_add(bytes) + bytes;
    size_t peak = peakBytes.load();
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
    }
}

// Sizes are taken from the allocator itself, so that delete needs no header.
void* track(void* block)
{
    if (!block)
        throw std::bad_alloc();
    countLive(malloc_usable_size(block));
    return block;
}

void untrack(void* block)
{
    if (!block)
        return;
    liveBytes.fetch_sub(malloc_usable_size(block));
    std::free(block);
}

size_t roundUp(size_t size, size_t alignment)
{
    return (size + alignment - 1) / alignment * alignment;
}

} // namespace

void heapMeterReset()
{
    bytesAtReset = liveBytes.load();
    peakBytes = bytesAtReset.load();
}

size_t heapMeterPeakAboveReset()
{
    return peakBytes.load() - bytesAtReset.load();
}

void* operator new(size_t size)
{
    return track(std::malloc(size ? size : 1));
}

void* operator new[](size_t size)
{
    return track(std::malloc(size ? size : 1));
}

void* operator new(size_t size, std::align_val_t alignment)
{
    const size_t a = static_cast<size_t>(alignment);
    return track(std::aligned_alloc(a, roundUp(size ? size : 1, a)));
}

void* operator new[](size_t size, std::align_val_t alignment)
{
    return operator new(size, alignment);
}

void operator delete(void* block) noexcept { untrack(block); }
void operator delete[](void* block) noexcept { untrack(block); }
void operator delete(void* block, size_t) noexcept { untrack(block); }
void operator delete[](void* block, size_t) noexcept { untrack(block); }
void operator delete(void* block, std::align_val_t) noexcept { untrack(block); }
void operator delete[](void* block, std::align_val_t) noexcept { untrack(block); }
void operator delete(void* block, size_t, std::align_val_t) noexcept { untrack(block); }
void operator delete[](void* block, size_t, std::align_val_t) noexcept { untrack(block); }

// Every mapping made through these calls is live memory until unmapped, so
// that what munmap takes off was added here; the renderer unmaps exactly the
// ranges it mapped or cut off.
extern "C" void* mmap(void* address, size_t length, int protection, int flags, int fd, off_t offset)
{
    void* block = reinterpret_cast<void*>(syscall(SYS_mmap, address, length, protection, flags, fd, offset));
    if (block != MAP_FAILED)
        countLive(length);
    return block;
}

extern "C" int munmap(void* address, size_t length)
{
    const int result = static_cast<int>(syscall(SYS_munmap, address, length));
    if (result == 0)
        liveBytes.fetch_sub(length);
    return result;
}
