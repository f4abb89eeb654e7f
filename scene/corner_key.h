#pragma once

#include <cstdint>
#include <cstring>

#include "math/vec.h"

// A corner's position as its bits: the key of the tables in which faces
// that share a corner find it taken to the screen already. Two positions
// are the same corner exactly when their bits are equal.
struct CornerKey {
    std::uint32_t words[4] = {0, 0, 0, 0};

    static CornerKey of(const Vec4& position) {
        CornerKey key;
        static_assert(sizeof key.words == sizeof position, "a Vec4 is four floats");
        std::memcpy(key.words, &position, sizeof key.words);
        return key;
    }

    // Word by word: WebAssembly would call memcmp for it.
    bool operator==(const CornerKey& other) const {
        return words[0] == other.words[0] && words[1] == other.words[1] &&
               words[2] == other.words[2] && words[3] == other.words[3];
    }

    // Mixes every bit of the four words into the low ones, which a table
    // whose size is a power of two takes.
    std::uint32_t hash() const {
        std::uint32_t h = words[0] * 0x9e3779b1u;
        h = (h ^ words[1]) * 0x85ebca77u;
        h = (h ^ words[2]) * 0xc2b2ae3du;
        h = (h ^ words[3]) * 0x27d4eb2fu;
        return h ^ (h >> 15);
    }
};
