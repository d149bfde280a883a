// Memory for the renderer's per-pixel planes. A render writes every value of
// its planes right after allocating them, so on Linux planes of 2 MB and
// more come straight from the kernel in 2 MB pages, filled in one call where
// the system allows it, instead of one page fault per 4 KB on first touch.
// In the virtual machines we measure on, those faults took more than half of
// a 2048 x 2048 Flat render.
#pragma once

#include <cstddef>

class PageBlock {
public:
    PageBlock() = default;
    // At least `bytes` bytes, aligned for any value type, uninitialised.
    // Throws std::bad_alloc when the system has no memory for it.
    explicit PageBlock(size_t bytes);
    ~PageBlock();
    PageBlock(PageBlock&& other) noexcept;
    PageBlock& operator=(PageBlock&& other) noexcept;
    PageBlock(const PageBlock&) = delete;
    PageBlock& operator=(const PageBlock&) = delete;

    void* data() const { return data_; }
    // What the block holds; 0 for an empty or moved-from block.
    size_t size() const { return size_; }

private:
    void release() noexcept;

    void* data_ = nullptr;
    size_t size_ = 0;
    size_t mappedBytes_ = 0;  // 0 when the block came from operator new
};
