#pragma once
// Little-endian numbers in and out of byte buffers, for every binary file the
// game and its tools read or write. The reader checks the bytes left before
// each read, so no count in a file can make a loader read past its end or
// allocate more than the file could hold.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A cursor over bytes that outlive it. A read that does not fit leaves the
// cursor where it was and returns false.
struct ByteReader {
    const uint8_t* at = nullptr;
    size_t left = 0;
};

ByteReader byteReader(const std::vector<uint8_t>& bytes);
ByteReader byteReader(const uint8_t* bytes, size_t size);

bool readU16(ByteReader& in, uint16_t& value);
bool readU32(ByteReader& in, uint32_t& value);
bool readI32(ByteReader& in, int32_t& value);
bool readU64(ByteReader& in, uint64_t& value);
// The IEEE bits of a float, stored as a little-endian 32-bit word.
bool readF32(ByteReader& in, float& value);
// Copies n bytes out.
bool readBytes(ByteReader& in, void* out, size_t n);
// Hands out the next n bytes in place and steps over them.
bool takeBytes(ByteReader& in, size_t n, const uint8_t*& bytes);

// Whether count items of itemBytes each could still follow: checked before a
// loader sizes a vector by a count read from the file.
bool fitsItems(const ByteReader& in, size_t count, size_t itemBytes);

void putU16(std::vector<uint8_t>& out, uint16_t value);
void putU32(std::vector<uint8_t>& out, uint32_t value);
void putI32(std::vector<uint8_t>& out, int32_t value);
void putU64(std::vector<uint8_t>& out, uint64_t value);
void putF32(std::vector<uint8_t>& out, float value);
void putBytes(std::vector<uint8_t>& out, const void* bytes, size_t n);
