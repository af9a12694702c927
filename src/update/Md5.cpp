// MD5 after RFC 1321: 64-byte blocks, four rounds of sixteen steps, little-endian words.
#include "update/Md5.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace zarn {
namespace {

inline uint32_t Rotl(uint32_t x, int c) {
    return (x << c) | (x >> (32 - c));
}

inline uint32_t LoadLe(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// One step: a = b + ((a + f(b, c, d) + x + t) <<< s).
template <typename F>
inline void Step(F f, uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t t, int s) {
    a = b + Rotl(a + f(b, c, d) + x + t, s);
}

inline uint32_t FF(uint32_t x, uint32_t y, uint32_t z) {
    return z ^ (x & (y ^ z));
}
inline uint32_t GG(uint32_t x, uint32_t y, uint32_t z) {
    return y ^ (z & (x ^ y));
}
inline uint32_t HH(uint32_t x, uint32_t y, uint32_t z) {
    return x ^ y ^ z;
}
inline uint32_t II(uint32_t x, uint32_t y, uint32_t z) {
    return y ^ (x | ~z);
}

} // namespace

Md5::Md5() {
    Reset();
}

void Md5::Reset() {
    State_ = {0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u};
    Length_ = 0;
}

void Md5::Transform(const uint8_t* block) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = LoadLe(block + 4 * i);
    uint32_t a = State_[0], b = State_[1], c = State_[2], d = State_[3];

    Step(FF, a, b, c, d, x[0], 0xd76aa478, 7);
    Step(FF, d, a, b, c, x[1], 0xe8c7b756, 12);
    Step(FF, c, d, a, b, x[2], 0x242070db, 17);
    Step(FF, b, c, d, a, x[3], 0xc1bdceee, 22);
    Step(FF, a, b, c, d, x[4], 0xf57c0faf, 7);
    Step(FF, d, a, b, c, x[5], 0x4787c62a, 12);
    Step(FF, c, d, a, b, x[6], 0xa8304613, 17);
    Step(FF, b, c, d, a, x[7], 0xfd469501, 22);
    Step(FF, a, b, c, d, x[8], 0x698098d8, 7);
    Step(FF, d, a, b, c, x[9], 0x8b44f7af, 12);
    Step(FF, c, d, a, b, x[10], 0xffff5bb1, 17);
    Step(FF, b, c, d, a, x[11], 0x895cd7be, 22);
    Step(FF, a, b, c, d, x[12], 0x6b901122, 7);
    Step(FF, d, a, b, c, x[13], 0xfd987193, 12);
    Step(FF, c, d, a, b, x[14], 0xa679438e, 17);
    Step(FF, b, c, d, a, x[15], 0x49b40821, 22);

    Step(GG, a, b, c, d, x[1], 0xf61e2562, 5);
    Step(GG, d, a, b, c, x[6], 0xc040b340, 9);
    Step(GG, c, d, a, b, x[11], 0x265e5a51, 14);
    Step(GG, b, c, d, a, x[0], 0xe9b6c7aa, 20);
    Step(GG, a, b, c, d, x[5], 0xd62f105d, 5);
    Step(GG, d, a, b, c, x[10], 0x02441453, 9);
    Step(GG, c, d, a, b, x[15], 0xd8a1e681, 14);
    Step(GG, b, c, d, a, x[4], 0xe7d3fbc8, 20);
    Step(GG, a, b, c, d, x[9], 0x21e1cde6, 5);
    Step(GG, d, a, b, c, x[14], 0xc33707d6, 9);
    Step(GG, c, d, a, b, x[3], 0xf4d50d87, 14);
    Step(GG, b, c, d, a, x[8], 0x455a14ed, 20);
    Step(GG, a, b, c, d, x[13], 0xa9e3e905, 5);
    Step(GG, d, a, b, c, x[2], 0xfcefa3f8, 9);
    Step(GG, c, d, a, b, x[7], 0x676f02d9, 14);
    Step(GG, b, c, d, a, x[12], 0x8d2a4c8a, 20);

    Step(HH, a, b, c, d, x[5], 0xfffa3942, 4);
    Step(HH, d, a, b, c, x[8], 0x8771f681, 11);
    Step(HH, c, d, a, b, x[11], 0x6d9d6122, 16);
    Step(HH, b, c, d, a, x[14], 0xfde5380c, 23);
    Step(HH, a, b, c, d, x[1], 0xa4beea44, 4);
    Step(HH, d, a, b, c, x[4], 0x4bdecfa9, 11);
    Step(HH, c, d, a, b, x[7], 0xf6bb4b60, 16);
    Step(HH, b, c, d, a, x[10], 0xbebfbc70, 23);
    Step(HH, a, b, c, d, x[13], 0x289b7ec6, 4);
    Step(HH, d, a, b, c, x[0], 0xeaa127fa, 11);
    Step(HH, c, d, a, b, x[3], 0xd4ef3085, 16);
    Step(HH, b, c, d, a, x[6], 0x04881d05, 23);
    Step(HH, a, b, c, d, x[9], 0xd9d4d039, 4);
    Step(HH, d, a, b, c, x[12], 0xe6db99e5, 11);
    Step(HH, c, d, a, b, x[15], 0x1fa27cf8, 16);
    Step(HH, b, c, d, a, x[2], 0xc4ac5665, 23);

    Step(II, a, b, c, d, x[0], 0xf4292244, 6);
    Step(II, d, a, b, c, x[7], 0x432aff97, 10);
    Step(II, c, d, a, b, x[14], 0xab9423a7, 15);
    Step(II, b, c, d, a, x[5], 0xfc93a039, 21);
    Step(II, a, b, c, d, x[12], 0x655b59c3, 6);
    Step(II, d, a, b, c, x[3], 0x8f0ccc92, 10);
    Step(II, c, d, a, b, x[10], 0xffeff47d, 15);
    Step(II, b, c, d, a, x[1], 0x85845dd1, 21);
    Step(II, a, b, c, d, x[8], 0x6fa87e4f, 6);
    Step(II, d, a, b, c, x[15], 0xfe2ce6e0, 10);
    Step(II, c, d, a, b, x[6], 0xa3014314, 15);
    Step(II, b, c, d, a, x[13], 0x4e0811a1, 21);
    Step(II, a, b, c, d, x[4], 0xf7537e82, 6);
    Step(II, d, a, b, c, x[11], 0xbd3af235, 10);
    Step(II, c, d, a, b, x[2], 0x2ad7d2bb, 15);
    Step(II, b, c, d, a, x[9], 0xeb86d391, 21);

    State_[0] += a;
    State_[1] += b;
    State_[2] += c;
    State_[3] += d;
}

void Md5::Update(const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    size_t used = static_cast<size_t>(Length_ % 64);
    Length_ += size;
    if (used) {
        const size_t take = std::min(size, 64 - used);
        std::memcpy(Buffer_.data() + used, p, take);
        p += take;
        size -= take;
        if (used + take < 64)
            return;
        Transform(Buffer_.data());
    }
    for (; size >= 64; p += 64, size -= 64)
        Transform(p);
    if (size)
        std::memcpy(Buffer_.data(), p, size);
}

std::array<uint8_t, 16> Md5::Final() {
    const uint64_t bits = Length_ * 8;
    static constexpr uint8_t Padding[64] = {0x80};
    const size_t used = static_cast<size_t>(Length_ % 64);
    Update(Padding, used < 56 ? 56 - used : 120 - used);
    uint8_t lengthBytes[8];
    for (int i = 0; i < 8; ++i)
        lengthBytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    Update(lengthBytes, 8);
    std::array<uint8_t, 16> digest{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            digest[4 * i + j] = static_cast<uint8_t>(State_[i] >> (8 * j));
    return digest;
}

std::string DigestHex(const std::array<uint8_t, 16>& digest) {
    static constexpr char Hex[] = "0123456789abcdef";
    std::string text;
    text.reserve(32);
    for (uint8_t b : digest) {
        text.push_back(Hex[b >> 4]);
        text.push_back(Hex[b & 15]);
    }
    return text;
}

std::string Md5Hex(std::string_view bytes) {
    Md5 md5;
    md5.Update(bytes.data(), bytes.size());
    return DigestHex(md5.Final());
}

std::string Md5OfStream(std::FILE* file) {
    if (!file)
        return {};
    Md5 md5;
    std::vector<uint8_t> piece(64 * 1024);
    for (;;) {
        const size_t got = std::fread(piece.data(), 1, piece.size(), file);
        md5.Update(piece.data(), got);
        if (got < piece.size())
            break;
    }
    if (std::ferror(file))
        return {};
    return DigestHex(md5.Final());
}

} // namespace zarn
