// MD5 message digest (RFC 1321), used for the self-update's version key. Portable.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace zarn {

class Md5 {
  public:
    Md5();
    void Update(const void* data, size_t size);
    // Pads, finishes and returns the 16-byte digest; the object is then spent until Reset.
    std::array<uint8_t, 16> Final();
    void Reset();

  private:
    void Transform(const uint8_t* block);

    std::array<uint32_t, 4> State_{};
    uint64_t Length_ = 0; // bytes fed so far
    std::array<uint8_t, 64> Buffer_{};
};

// 32 lower-case hexadecimal digits ("%02x" per byte, in digest order).
std::string DigestHex(const std::array<uint8_t, 16>& digest);

// The digest of a text's bytes, as hex.
std::string Md5Hex(std::string_view bytes);

// Reads an open binary stream to its end and returns its digest as hex; empty when a read fails.
std::string Md5OfStream(std::FILE* file);

} // namespace zarn
