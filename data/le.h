#pragma once

#include <cstdint>
#include <cstring>

// Little-endian field access, independent of the host's byte order.
namespace le {

inline std::int32_t GetInt32(const unsigned char* p) {
    return static_cast<std::int32_t>(std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                     std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
}

inline std::uint16_t GetUInt16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

inline float GetFloat32(const unsigned char* p) {
    const auto n = static_cast<std::uint32_t>(GetInt32(p));
    float f;
    std::memcpy(&f, &n, sizeof f);
    return f;
}

inline void PutInt32(unsigned char* p, std::int32_t v) {
    const auto n = static_cast<std::uint32_t>(v);
    p[0] = static_cast<unsigned char>(n);
    p[1] = static_cast<unsigned char>(n >> 8);
    p[2] = static_cast<unsigned char>(n >> 16);
    p[3] = static_cast<unsigned char>(n >> 24);
}

inline void PutUInt16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

inline void PutFloat32(unsigned char* p, float f) {
    std::uint32_t n;
    std::memcpy(&n, &f, sizeof n);
    PutInt32(p, static_cast<std::int32_t>(n));
}

} // namespace le
