// SHA-256 of a byte string, as lowercase hex: the digest that `sha256sum`
// prints for the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string sha256Hex(const uint8_t* data, size_t size);
