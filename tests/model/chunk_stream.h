// Lays a memory file and a reader over bytes built by the test writer, so a
// test can hand them to Load or to a chunk handler.
#pragma once

#include "chunk_writer.h"
#include "file.h"
#include "reader.h"

#include <cstdint>
#include <utility>

namespace rova_test {

class ByteStream {
public:
    explicit ByteStream(Bytes bytes)
        : m_bytes(std::move(bytes)),
          m_file(m_bytes.data(), static_cast<std::uint32_t>(m_bytes.size())),
          m_reader(&m_file)
    {
    }

    CRovaReader* reader() { return &m_reader; }
    std::uint32_t size() const { return static_cast<std::uint32_t>(m_bytes.size()); }
    std::int32_t position() const { return m_file.GetPosition(); }

private:
    Bytes m_bytes;
    CMemFile m_file;
    CRovaReader m_reader;
};

// Walks all of bytes with handler, as a loader walks a body or a payload.
inline void WalkBytes(const Bytes& bytes, ChunkHandler handler, void* userData)
{
    ByteStream stream(bytes);
    WalkChunks(stream.reader(), stream.size(), handler, userData);
}

}  // namespace rova_test
