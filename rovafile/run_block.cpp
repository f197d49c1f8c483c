#include "legacy.h"

#include "sizes.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kRunRecordBytes = 9;
constexpr std::uint32_t kRunsPerPiece = 4096;
constexpr std::uint32_t kSkipPieceBytes = 65536;

std::uint32_t LittleEndian32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Reads and discards count bytes, raising on a short read like every other
// read of the block.
void SkipBytes(CRovaReader& reader, std::uint32_t count)
{
    std::uint8_t scratch[4096];
    while (count > 0) {
        const std::uint32_t piece = std::min<std::uint32_t>(count, sizeof scratch);
        reader.ReadBytes(scratch, piece, true);
        count -= piece;
    }
}

}  // namespace

void CRovaRunBlock::Clear()
{
    m_runs.clear();
    m_runs.shrink_to_fit();
    m_pData.reset();
    m_nDataSize = 0;
    m_nOutputSize = 0;
}

void CRovaRunBlock::Read(CRovaReader& reader, std::uint32_t outputSize)
{
    Clear();
    m_nOutputSize = outputSize;

    // The run count is not trusted for an allocation: records are read in
    // bounded pieces, so a huge count in a short file fails at the first
    // short read instead of reserving memory for it.
    std::uint32_t remaining = reader.ReadDword();
    std::uint8_t piece[kRunsPerPiece * kRunRecordBytes];
    while (remaining > 0) {
        const std::uint32_t runs = std::min(remaining, kRunsPerPiece);
        reader.ReadBytes(piece, runs * kRunRecordBytes, true);
        ChargeBudget(std::uint64_t{runs} * sizeof(RovaRun));
        for (std::uint32_t i = 0; i < runs; ++i) {
            const std::uint8_t* record = piece + i * kRunRecordBytes;
            m_runs.push_back(RovaRun{LittleEndian32(record), LittleEndian32(record + 4), record[8]});
        }
        remaining -= runs;
    }

    // Literal j always lands at output index j or later, so literals at or
    // beyond the output size are never written: keeping at most outputSize
    // of them bounds the buffer by the layer that was already allocated.
    m_nDataSize = reader.ReadDword();
    const std::uint32_t kept = std::min(m_nDataSize, m_nOutputSize);
    m_pData = AllocBytes(kept);
    if (kept > 0)
        reader.ReadBytes(m_pData.get(), kept, true);
    SkipBytes(reader, m_nDataSize - kept);
}

void CRovaRunBlock::Expand(std::uint8_t* destination)
{
    // 64-bit output index: run lengths are unsigned 32-bit values and their
    // sum must never wrap back into the buffer.
    const std::uint64_t outputSize = m_nOutputSize;
    std::uint64_t o = 0;
    std::size_t r = 0;
    // Once o reaches the output size nothing more can be written.
    for (std::uint64_t j = 0; j <= m_nDataSize && o < outputSize; ++j) {
        for (; r < m_runs.size() && m_runs[r].position == j; ++r) {
            const RovaRun& run = m_runs[r];
            if (o < outputSize) {
                const std::uint64_t count = std::min<std::uint64_t>(run.length, outputSize - o);
                std::memset(destination + o, run.value, static_cast<std::size_t>(count));
            }
            o += run.length;
        }
        if (j < m_nDataSize) {
            if (o < outputSize)
                destination[o] = m_pData[j];
            ++o;
        }
    }
    Clear();
}
