#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// The bits of a float, and the float with given bits.
inline std::uint32_t floatBits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

inline float floatFromBits(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// FNV-1a, 64 bit. Words go in low byte first, so a digest names the same
// values on every machine.
class Fnv1a {
  public:
    void addByte(std::uint8_t byte) {
        hash_ ^= byte;
        hash_ *= 1099511628211ull;
    }
    void addWord(std::uint32_t word) {
        for (int b = 0; b < 4; ++b) addByte(static_cast<std::uint8_t>(word >> (8 * b)));
    }
    void add(float value) { addWord(floatBits(value)); }
    void add(std::int32_t value) { addWord(static_cast<std::uint32_t>(value)); }
    std::uint64_t value() const { return hash_; }

  private:
    std::uint64_t hash_ = 14695981039346656037ull;
};

// Digest of the raw bits of the first `count` floats.
inline std::uint64_t fnv1a(const float* values, std::size_t count) {
    Fnv1a hash;
    for (std::size_t i = 0; i < count; ++i) hash.add(values[i]);
    return hash.value();
}

// Digest of 32-bit words, such as float bits read from a file.
inline std::uint64_t fnv1a(const std::vector<std::uint32_t>& words) {
    Fnv1a hash;
    for (std::uint32_t word : words) hash.addWord(word);
    return hash.value();
}
