// Reader of first-generation ROVA files: a fixed header, one palette and
// run-coded layers, read into the same document model as ROVA2 files.
#pragma once

#include "document.h"
#include "file.h"
#include "reader.h"

#include <cstdint>
#include <memory>
#include <vector>

struct RovaRun {
    std::uint32_t position;
    std::uint32_t length;
    std::uint8_t value;
};

// One layer's pixel block while it is expanded.
class CRovaRunBlock {
public:
    CRovaRunBlock() = default;
    virtual ~CRovaRunBlock() = default;

    // Reads the run records and the literals. Counts come from the file, so
    // storage grows only as the bytes actually arrive; literals that could
    // only land past outputSize are read and dropped.
    void Read(CRovaReader& reader, std::uint32_t outputSize);
    // Writes at most m_nOutputSize bytes to destination, then clears the block.
    void Expand(std::uint8_t* destination);
    void Clear();

    std::vector<RovaRun> m_runs;
    std::unique_ptr<std::uint8_t[]> m_pData;   // the first min(N, output size) literals
    std::uint32_t m_nDataSize = 0;              // N, the literal count of the file
    std::uint32_t m_nOutputSize = 0;
};

// False when the signature field is not "ROVA" followed by a zero byte.
// Short reads raise CFileException; a size the document cannot be created
// with raises CMemoryException.
bool ReadLegacyDocument(CFile& source, CRovaDocument& document);
