// Planes on each kind of memory they get: the heap below 2 MB, huge pages
// mapped for them from 2 MB on.
#include <climits>
#include <cstdint>
#include <new>

#include <gtest/gtest.h>

#include "render/image_view.h"

namespace {

struct Shape {
    int width;
    int height;
};

// Sizes on both sides of 2 MB, for 4-byte and 8-byte values, with widths
// that are not powers of two.
const Shape shapes[] = {{1, 1}, {127, 129}, {128, 128}, {129, 130}, {300, 301},
                        {512, 256}, {724, 725}, {1000, 700}, {2048, 1024}};

template <class T>
void expectEveryValueHeld(const char* type)
{
    for (const Shape& shape : shapes) {
        Plane<T> plane(shape.width, shape.height);
        const void* memory = plane.data;
        ASSERT_NE(memory, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(memory) % alignof(T), 0u) << type << " " << shape.width;
        for (int y = 0; y < shape.height; ++y)
            for (int x = 0; x < shape.width; ++x)
                plane.at(x, y) = static_cast<T>(y * 4099 + x);
        bool held = true;
        for (int y = 0; y < shape.height && held; ++y)
            for (int x = 0; x < shape.width && held; ++x)
                held = plane.at(x, y) == static_cast<T>(y * 4099 + x);
        EXPECT_TRUE(held) << type << " " << shape.width << "x" << shape.height;

        // A shape of no more values stays on the same memory.
        plane.reshape(shape.height, shape.width);
        EXPECT_EQ(static_cast<const void*>(plane.data), memory) << type << " " << shape.width;
        plane.reshape(shape.width + 1, shape.height + 1);
        plane.at(shape.width, shape.height) = T(7);
        EXPECT_EQ(plane.at(shape.width, shape.height), T(7));
    }
}

TEST(PlaneMemory, HoldsEveryValueOnEachKindOfMemory)
{
    expectEveryValueHeld<float>("float");
    expectEveryValueHeld<double>("double");
}

TEST(PlaneMemory, MovesItsMemoryWithIt)
{
    Plane<float> first(600, 600);
    first.at(599, 599) = 5.0f;
    const float* memory = first.data;
    Plane<float> second = std::move(first);
    EXPECT_EQ(second.data, memory);
    EXPECT_EQ(second.at(599, 599), 5.0f);
    EXPECT_EQ(first.memory.data(), nullptr);
    // A plane moved from takes memory of its own again.
    first.reshape(2, 2);
    first.at(1, 1) = 4.0f;
    EXPECT_EQ(first.at(1, 1), 4.0f);
    EXPECT_EQ(second.at(599, 599), 5.0f);
    second = Plane<float>(3, 3);
    second.at(2, 2) = 1.0f;
    EXPECT_EQ(second.at(2, 2), 1.0f);
}

#if !defined(__SANITIZE_ADDRESS__)
// A plane too large for the system is refused like any allocation, and the
// plane can take a sensible shape afterwards. (AddressSanitizer stops the
// process on such a request instead, by design.)
TEST(PlaneMemory, RefusesAPlaneLargerThanMemory)
{
    Plane<double> roots;
    EXPECT_THROW(roots.reshape(INT_MAX, INT_MAX), std::bad_alloc);
    Plane<float> heights(4, 4);
    EXPECT_THROW(heights.reshape(INT_MAX, INT_MAX), std::bad_alloc);
    heights.reshape(2, 2);
    heights.at(1, 1) = 3.0f;
    EXPECT_EQ(heights.at(1, 1), 3.0f);
}
#endif

} // namespace
