#include "reader.h"

#include "inflate_file.h"
#include "sizes.h"

std::uint32_t CRovaReader::ReadBytes(void* buffer, std::uint32_t count, bool raise)
{
    const std::uint32_t read = m_pFile->Read(buffer, count);
    if (read < count && raise)
        AfxThrowFileException(CFileException::endOfFile);
    return read;
}

std::uint8_t CRovaReader::ReadByte()
{
    std::uint8_t b = 0;
    ReadBytes(&b, 1, true);
    return b;
}

std::uint16_t CRovaReader::ReadWord()
{
    std::uint8_t b[2];
    ReadBytes(b, 2, true);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t CRovaReader::ReadDword()
{
    std::uint8_t b[4];
    ReadBytes(b, 4, true);
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

CString CRovaReader::ReadString(std::int32_t length)
{
    std::uint32_t n = length == -1 ? ReadWord() : static_cast<std::uint32_t>(length);
    n &= 0xFFFF;
    std::string text(n, '\0');
    if (n)
        ReadBytes(text.data(), n, true);
    return CString(std::move(text));
}

RovaRect CRovaReader::ReadRect()
{
    std::uint8_t b[16];
    ReadBytes(b, 16, true);
    auto at = [&b](int i) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[i]) | (static_cast<std::uint32_t>(b[i + 1]) << 8) |
                                         (static_cast<std::uint32_t>(b[i + 2]) << 16) |
                                         (static_cast<std::uint32_t>(b[i + 3]) << 24));
    };
    return RovaRect{at(0), at(4), at(8), at(12)};
}

RovaValuePairData CRovaReader::ReadValuePair()
{
    RovaValuePairData pair;
    pair.dwValue = ReadDword();
    pair.byValue = ReadByte();
    return pair;
}

void WalkChunks(CRovaReader* reader, std::uint32_t rangeLength, ChunkHandler handler, void* userData)
{
    CFile* file = reader->m_pFile;
    // Positions are 32-bit, ends are summed in 64 bits so nothing wraps; a
    // seek beyond the 32-bit range raises in the file.
    const std::uint64_t start = static_cast<std::uint32_t>(file->GetPosition());
    const std::uint64_t end = start + rangeLength;
    std::uint64_t pos = start;
    // A body that inflates as it is read keeps what these seeks may return to.
    InflateRangeScope range(file, end);
    while (pos < end) {
        // One read for the whole header: bodies of millions of empty chunks
        // are walked at the cost of their headers.
        std::uint8_t header[6];
        reader->ReadBytes(header, sizeof header, true);
        const std::uint32_t id = static_cast<std::uint32_t>(header[0] | (header[1] << 8));
        const std::uint32_t size = static_cast<std::uint32_t>(header[2]) | (static_cast<std::uint32_t>(header[3]) << 8) |
                                   (static_cast<std::uint32_t>(header[4]) << 16) |
                                   (static_cast<std::uint32_t>(header[5]) << 24);
        const std::uint64_t next = pos + 6 + size;
        range.SetChunkEnd(next);
        handler(reader, id, size, userData);
        if (static_cast<std::uint64_t>(static_cast<std::uint32_t>(file->GetPosition())) != next)
            file->Seek(static_cast<std::int64_t>(next), CFile::begin);
        pos = next;
    }
    file->Seek(static_cast<std::int64_t>(end), CFile::begin);
}
