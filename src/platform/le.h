// Little-endian field access over byte spans.
//
// Every layout that reaches the keyboard or a file is read and written field
// by field through these helpers at the offsets of its layout table, so the
// byte order never depends on the host and no buffer is reinterpreted as a
// struct. Callers pass spans that hold the field; an offset past the end is a
// programming error and is caught by the assertion in debug builds.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>

namespace velkarn::le {

inline uint8_t U8(std::span<const uint8_t> b, size_t off) {
    assert(off + 1 <= b.size());
    return b[off];
}

inline uint16_t U16(std::span<const uint8_t> b, size_t off) {
    assert(off + 2 <= b.size());
    return static_cast<uint16_t>(b[off] | (b[off + 1] << 8));
}

inline uint32_t U32(std::span<const uint8_t> b, size_t off) {
    assert(off + 4 <= b.size());
    return static_cast<uint32_t>(b[off]) | (static_cast<uint32_t>(b[off + 1]) << 8) |
           (static_cast<uint32_t>(b[off + 2]) << 16) | (static_cast<uint32_t>(b[off + 3]) << 24);
}

inline void PutU8(std::span<uint8_t> b, size_t off, uint8_t v) {
    assert(off + 1 <= b.size());
    b[off] = v;
}

inline void PutU16(std::span<uint8_t> b, size_t off, uint16_t v) {
    assert(off + 2 <= b.size());
    b[off] = static_cast<uint8_t>(v);
    b[off + 1] = static_cast<uint8_t>(v >> 8);
}

inline void PutU32(std::span<uint8_t> b, size_t off, uint32_t v) {
    assert(off + 4 <= b.size());
    b[off] = static_cast<uint8_t>(v);
    b[off + 1] = static_cast<uint8_t>(v >> 8);
    b[off + 2] = static_cast<uint8_t>(v >> 16);
    b[off + 3] = static_cast<uint8_t>(v >> 24);
}

} // namespace velkarn::le
