#pragma once
// SHA-256 of a byte string, written here so that the tools that check shared
// runs need no crypto library and no graphics.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

using Sha256Digest = std::array<uint8_t, 32>;

// The digest of size bytes at data; data may be null when size is 0.
Sha256Digest sha256(const uint8_t* data, size_t size);

// Lower-case hex, 64 characters.
std::string hexDigest(const Sha256Digest& digest);
