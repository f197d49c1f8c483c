// Little-endian reader over a CFile, and the walker of chunk sequences
// (u16 identifier, u32 payload size, payload) that every ROVA2 object uses.
#pragma once

#include "cstring.h"
#include "file.h"

#include <cstdint>

struct RovaRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

struct RovaValuePairData {
    std::uint32_t dwValue = 0;
    std::uint8_t byValue = 0;
};

class CRovaReader {
public:
    CRovaReader() = default;
    explicit CRovaReader(CFile* file) : m_pFile(file) {}
    virtual ~CRovaReader() = default;

    void Attach(CFile* file) { m_pFile = file; }
    CFile* GetFile() const { return m_pFile; }

    // Reads up to count bytes; with raise set a short read throws CFileException.
    std::uint32_t ReadBytes(void* buffer, std::uint32_t count, bool raise);
    std::uint8_t ReadByte();
    std::uint16_t ReadWord();
    std::uint32_t ReadDword();
    // length -1 reads a u16 length first; only the low 16 bits of a length count.
    CString ReadString(std::int32_t length = -1);
    RovaRect ReadRect();
    RovaValuePairData ReadValuePair();

    CFile* m_pFile = nullptr;   // not owned
};

using ChunkHandler = int (*)(CRovaReader* reader, std::uint32_t id, std::uint32_t size, void* userData);

// Hands each chunk of the next rangeLength bytes to handler and always leaves
// the file at the range's end, whatever the handlers read.
void WalkChunks(CRovaReader* reader, std::uint32_t rangeLength, ChunkHandler handler, void* userData);
