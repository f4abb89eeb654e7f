#pragma once

#include <cstdint>
#include <cstring>

#include "math/vec.h"

// A corner's position as its bits: the key of the tables in which faces
// that share a corner find it taken to the screen already. Two positions
// are the same corner exactly when their bits are equal.
struct CornerKey {
    // The four floats' bits, two to a half: two compares for equality, in
    // line on x86 and in WebAssembly alike (WebAssembly would call memcmp).
    std::uint64_t halves[2] = {0, 0};

    static CornerKey of(const Vec4& position) {
        CornerKey key;
        static_assert(sizeof key.halves == sizeof position, "a Vec4 is four floats");
        std::memcpy(key.halves, &position, sizeof key.halves);
        return key;
    }

    bool operator==(const CornerKey& other) const {
        return halves[0] == other.halves[0] && halves[1] == other.halves[1];
    }

    // Mixes every bit of the four floats into the low ones, which a table
    // whose size is a power of two takes.
    std::uint32_t hash() const {
        std::uint32_t h = static_cast<std::uint32_t>(halves[0]) * 0x9e3779b1u;
        h = (h ^ static_cast<std::uint32_t>(halves[0] >> 32)) * 0x85ebca77u;
        h = (h ^ static_cast<std::uint32_t>(halves[1])) * 0xc2b2ae3du;
        h = (h ^ static_cast<std::uint32_t>(halves[1] >> 32)) * 0x27d4eb2fu;
        return h ^ (h >> 15);
    }
};
