#include "render/page_block.h"

#include <cstdint>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>

namespace {

// AddressSanitizer checks bounds only on memory it hands out itself, so its
// builds keep every plane on the heap.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitizedAddresses = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool sanitizedAddresses = true;
#else
constexpr bool sanitizedAddresses = false;
#endif
#else
constexpr bool sanitizedAddresses = false;
#endif

// Smaller planes stay on the heap, which hands the memory of one render to
// the next in a batch; mapping and filling them anew for every render cost
// more than it saved (Round2 on text 40 px thick: 6 ms instead of 5).
constexpr size_t hugePage = 2 * 1024 * 1024;

size_t roundUp(size_t bytes, size_t unit)
{
    return (bytes + unit - 1) / unit * unit;
}

char* mapAnonymous(size_t bytes)
{
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        throw std::bad_alloc();
    return static_cast<char*>(block);
}

// A block of whole huge pages: the kernel gives 2 MB pages only to aligned
// 2 MB ranges of a mapping marked for them, and fills each with one fault
// instead of 512. Recent kernels align large mappings by themselves; where
// one does not, the block is cut out of a mapping one huge page larger and
// the rest goes back at once. Its pages are filled here, where the kernel
// supports it, in one call.
char* mapHugePages(size_t length)
{
    char* block = mapAnonymous(length);
    if (reinterpret_cast<uintptr_t>(block) % hugePage != 0) {
        munmap(block, length);
        char* base = mapAnonymous(length + hugePage);
        const size_t head = roundUp(reinterpret_cast<uintptr_t>(base), hugePage) - reinterpret_cast<uintptr_t>(base);
        block = base + head;
        if (head > 0)
            munmap(base, head);
        munmap(block + length, hugePage - head);
    }
    // Both calls are advice: without huge pages or without the populating
    // call (older kernels), the pages fault in on first touch as usual.
    madvise(block, length, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
    madvise(block, length, MADV_POPULATE_WRITE);
#endif
    return block;
}

} // namespace

PageBlock::PageBlock(size_t bytes)
{
    if (sanitizedAddresses || bytes < hugePage) {
        data_ = ::operator new(bytes);
        size_ = bytes;
        return;
    }
    if (bytes > SIZE_MAX - hugePage)
        throw std::bad_alloc();
    const size_t length = roundUp(bytes, hugePage);
    data_ = mapHugePages(length);
    mappedBytes_ = length;
    size_ = bytes;
}

void PageBlock::release() noexcept
{
    if (mappedBytes_ > 0)
        munmap(data_, mappedBytes_);
    else
        ::operator delete(data_);
    data_ = nullptr;
    size_ = mappedBytes_ = 0;
}

#else

PageBlock::PageBlock(size_t bytes) : data_(::operator new(bytes)), size_(bytes) {}

void PageBlock::release() noexcept
{
    ::operator delete(data_);
    data_ = nullptr;
    size_ = 0;
}

#endif

PageBlock::~PageBlock()
{
    release();
}

PageBlock::PageBlock(PageBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      mappedBytes_(std::exchange(other.mappedBytes_, 0))
{
}

PageBlock& PageBlock::operator=(PageBlock&& other) noexcept
{
    if (this != &other) {
        release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        mappedBytes_ = std::exchange(other.mappedBytes_, 0);
    }
    return *this;
}
