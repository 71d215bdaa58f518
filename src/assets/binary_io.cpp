#include "assets/binary_io.h"

#include <cstring>

ByteReader byteReader(const std::vector<uint8_t>& bytes) { return byteReader(bytes.data(), bytes.size()); }

ByteReader byteReader(const uint8_t* bytes, size_t size)
{
    ByteReader in;
    in.at = bytes;
    in.left = bytes ? size : 0;
    return in;
}

bool takeBytes(ByteReader& in, size_t n, const uint8_t*& bytes)
{
    if (in.left < n)
        return false;
    bytes = in.at;
    in.at += n;
    in.left -= n;
    return true;
}

bool readBytes(ByteReader& in, void* out, size_t n)
{
    const uint8_t* bytes = nullptr;
    if (!takeBytes(in, n, bytes))
        return false;
    if (n > 0)
        std::memcpy(out, bytes, n);
    return true;
}

bool readU16(ByteReader& in, uint16_t& value)
{
    const uint8_t* b = nullptr;
    if (!takeBytes(in, 2, b))
        return false;
    value = static_cast<uint16_t>(b[0] | b[1] << 8);
    return true;
}

bool readU32(ByteReader& in, uint32_t& value)
{
    const uint8_t* b = nullptr;
    if (!takeBytes(in, 4, b))
        return false;
    value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return true;
}

bool readI32(ByteReader& in, int32_t& value)
{
    uint32_t bits;
    if (!readU32(in, bits))
        return false;
    std::memcpy(&value, &bits, sizeof value);
    return true;
}

bool readU64(ByteReader& in, uint64_t& value)
{
    if (in.left < 8)
        return false;
    uint32_t low = 0, high = 0;
    readU32(in, low);
    readU32(in, high);
    value = uint64_t(high) << 32 | low;
    return true;
}

bool readF32(ByteReader& in, float& value)
{
    uint32_t bits;
    if (!readU32(in, bits))
        return false;
    std::memcpy(&value, &bits, sizeof value);
    return true;
}

bool fitsItems(const ByteReader& in, size_t count, size_t itemBytes)
{
    return itemBytes == 0 || count <= in.left / itemBytes;
}

void putU16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void putU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void putI32(std::vector<uint8_t>& out, int32_t value) { putU32(out, static_cast<uint32_t>(value)); }

void putU64(std::vector<uint8_t>& out, uint64_t value)
{
    putU32(out, static_cast<uint32_t>(value));
    putU32(out, static_cast<uint32_t>(value >> 32));
}

void putF32(std::vector<uint8_t>& out, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    putU32(out, bits);
}

void putBytes(std::vector<uint8_t>& out, const void* bytes, size_t n)
{
    const uint8_t* b = static_cast<const uint8_t*>(bytes);
    out.insert(out.end(), b, b + n);
}
