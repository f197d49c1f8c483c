#include "chunk_writer.h"

namespace rova_test {

ByteWriter& ByteWriter::U8(std::uint8_t v)
{
    m_bytes.push_back(v);
    return *this;
}

ByteWriter& ByteWriter::U16(std::uint16_t v)
{
    m_bytes.push_back(static_cast<std::uint8_t>(v));
    m_bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    return *this;
}

ByteWriter& ByteWriter::U32(std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        m_bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
}

ByteWriter& ByteWriter::Raw(const Bytes& bytes)
{
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

ByteWriter& ByteWriter::Raw(const std::string& text)
{
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    return *this;
}

ByteWriter& ByteWriter::Fill(std::size_t count, std::uint8_t value)
{
    m_bytes.insert(m_bytes.end(), count, value);
    return *this;
}

ByteWriter& ByteWriter::Chunk(std::uint16_t id, const Bytes& payload)
{
    return ChunkDeclaring(id, static_cast<std::uint32_t>(payload.size()), payload);
}

ByteWriter& ByteWriter::ChunkDeclaring(std::uint16_t id, std::uint32_t declaredSize, const Bytes& payload)
{
    U16(id);
    U32(declaredSize);
    return Raw(payload);
}

Bytes U8(std::uint8_t v) { return ByteWriter().U8(v); }
Bytes U16(std::uint16_t v) { return ByteWriter().U16(v); }
Bytes U32(std::uint32_t v) { return ByteWriter().U32(v); }
Bytes Text(const std::string& text) { return ByteWriter().Raw(text); }

Bytes Rect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
{
    return ByteWriter().I32(left).I32(top).I32(right).I32(bottom);
}

Bytes ValuePair(std::uint32_t dw, std::uint8_t by)
{
    return ByteWriter().U32(dw).U8(by);
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes Chunk(std::uint16_t id, const Bytes& payload)
{
    return ByteWriter().Chunk(id, payload);
}

}  // namespace rova_test
