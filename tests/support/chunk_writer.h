// Test-side writer: builds the little-endian bytes and chunk sequences of
// ROVA documents from short descriptions, so every test shows the bytes it needs.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace rova_test {

using Bytes = std::vector<std::uint8_t>;

class ByteWriter {
public:
    ByteWriter& U8(std::uint8_t v);
    ByteWriter& U16(std::uint16_t v);
    ByteWriter& U32(std::uint32_t v);
    ByteWriter& I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
    ByteWriter& Raw(const Bytes& bytes);
    ByteWriter& Raw(const std::string& text);
    ByteWriter& Fill(std::size_t count, std::uint8_t value);
    // A chunk: u16 id, u32 payload size, payload.
    ByteWriter& Chunk(std::uint16_t id, const Bytes& payload);
    // A chunk whose size field says declaredSize whatever the payload holds.
    ByteWriter& ChunkDeclaring(std::uint16_t id, std::uint32_t declaredSize, const Bytes& payload);

    const Bytes& bytes() const { return m_bytes; }
    operator Bytes() const { return m_bytes; }

private:
    Bytes m_bytes;
};

// Payload helpers for scalar chunks.
Bytes U8(std::uint8_t v);
Bytes U16(std::uint16_t v);
Bytes U32(std::uint32_t v);
Bytes Text(const std::string& text);
Bytes Rect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
Bytes ValuePair(std::uint32_t dw, std::uint8_t by);
Bytes Concat(std::initializer_list<Bytes> parts);

// A chunk as bytes: Chunk(id, payload).
Bytes Chunk(std::uint16_t id, const Bytes& payload);

}  // namespace rova_test
