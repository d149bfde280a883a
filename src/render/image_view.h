// Views of the renderer's images: a plane holds one value per pixel of the
// render region (a distance component, the height field), a pixel view
// `channels` bytes per pixel. Both are row-major and own nothing; stages take
// them instead of loose pointer, width and height arguments, so the layout
// and its bounds check live in this one file.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>

#include "render/page_block.h"

// The row-major index of element (x, y) of a width x height grid, checked
// against the grid in builds with assertions.
inline size_t gridIndex(int x, int y, int width, [[maybe_unused]] int height)
{
    assert(x >= 0 && x < width && y >= 0 && y < height);
    return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
}

template <class T>
struct PlaneView {
    T* data = nullptr;
    int width = 0;
    int height = 0;

    PlaneView() = default;
    PlaneView(T* data, int width, int height) : data(data), width(width), height(height) {}
    // Any plane can be read through a view of constant values.
    template <class U, std::enable_if_t<std::is_same_v<const U, T>, int> = 0>
    PlaneView(const PlaneView<U>& other) : PlaneView(other.data, other.width, other.height)
    {
    }

    size_t count() const { return static_cast<size_t>(width) * static_cast<size_t>(height); }
    T* row(int y) const { return data + gridIndex(0, y, width, height); }
    T& at(int x, int y) const { return data[gridIndex(x, y, width, height)]; }
};

// A plane that owns its values. They start uninitialised: every stage
// writes each value before anything reads it.
template <class T>
struct Plane : PlaneView<T> {
    static_assert(std::is_trivially_default_constructible_v<T> && std::is_trivially_destructible_v<T>,
                  "plane values live in raw pages");
    PageBlock memory;

    Plane() = default;
    Plane(int width, int height) { reshape(width, height); }

    // Makes this a width x height plane, on the memory it has when that is
    // large enough. The old memory goes back before the new is taken, so
    // the two are never held at once.
    void reshape(int width, int height)
    {
        const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
        if (count > memory.size() / sizeof(T)) {
            if (count > SIZE_MAX / sizeof(T))
                throw std::bad_alloc();
            memory = PageBlock();
            memory = PageBlock(count * sizeof(T));
        }
        static_cast<PlaneView<T>&>(*this) = PlaneView<T>(static_cast<T*>(memory.data()), width, height);
    }
};

template <class Byte>
struct PixelView {
    Byte* data = nullptr;
    int width = 0;
    int height = 0;
    int channels = 0;  // bytes per pixel, 3 or 4 (alpha last)

    PixelView() = default;
    PixelView(Byte* data, int width, int height, int channels)
        : data(data), width(width), height(height), channels(channels)
    {
    }
    template <class U, std::enable_if_t<std::is_same_v<const U, Byte>, int> = 0>
    PixelView(const PixelView<U>& other) : PixelView(other.data, other.width, other.height, other.channels)
    {
    }

    size_t byteCount() const { return static_cast<size_t>(width) * static_cast<size_t>(height) * channels; }
    Byte* row(int y) const { return at(0, y); }
    // The first of the pixel's `channels` bytes.
    Byte* at(int x, int y) const { return data + gridIndex(x, y, width, height) * channels; }
};
