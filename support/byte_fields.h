// Little-endian fields, as the setup file's trailer, the PE header, the system's binary security
// descriptors and zip archives store their numbers. Plain code with no platform calls.
#pragma once
#include <stdint.h>

inline uint16_t ReadField16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t ReadField32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
inline uint64_t ReadField64(const unsigned char* p) {
    return static_cast<uint64_t>(ReadField32(p)) | static_cast<uint64_t>(ReadField32(p + 4)) << 32;
}
inline void WriteField32(unsigned char* p, uint32_t nValue) {
    p[0] = static_cast<unsigned char>(nValue);
    p[1] = static_cast<unsigned char>(nValue >> 8);
    p[2] = static_cast<unsigned char>(nValue >> 16);
    p[3] = static_cast<unsigned char>(nValue >> 24);
}
