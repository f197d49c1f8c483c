#include "palette.h"

#include "sizes.h"

#include <algorithm>
#include <cstring>

static_assert(sizeof(CRovaEntryTriple) == 6, "entry triples are read byte for byte");

namespace {

constexpr std::size_t kBytesPerEntry[CRovaPalette::kEntryArrayCount] = {3, 2, 1, 1, 6, 1};

bool IsIndexedDepth(std::int32_t bitDepth)
{
    return bitDepth == 1 || bitDepth == 4 || bitDepth == 8;
}

bool HasColors24(std::int32_t bitDepth, std::int32_t format)
{
    return (IsIndexedDepth(bitDepth) && format == 0) || bitDepth == 24;
}

bool HasColors16(std::int32_t bitDepth, std::int32_t format)
{
    return (IsIndexedDepth(bitDepth) && (format == 1 || format == 2)) || bitDepth == 15 || bitDepth == 16;
}

template <class T>
std::unique_ptr<T[]> FilledArray(std::size_t count, const T& value)
{
    auto array = AllocArray<T>(static_cast<std::int64_t>(count));
    std::fill_n(array.get(), count, value);
    return array;
}

// The 16-bit values are little-endian on disk; assembling them from their
// bytes after a raw read keeps them right on any host (a no-op on x86).
void AssembleLittleEndian16(std::uint8_t* bytes, std::size_t length)
{
    for (std::size_t i = 0; i + 1 < length; i += 2) {
        const auto value = static_cast<std::uint16_t>(bytes[i] | (bytes[i + 1] << 8));
        std::memcpy(bytes + i, &value, sizeof value);
    }
}

}  // namespace

CRovaPalette::~CRovaPalette()
{
    m_pColors24.reset();
    m_pColors16.reset();
    m_pEntryByteA.reset();
    m_pEntryByteB.reset();
    m_pEntryTriples.reset();
    m_pEntryByteC.reset();
    m_pSelection.reset();
}

bool CRovaPalette::Create(std::uint32_t count, std::int32_t number, std::int32_t bitDepth, std::int32_t format,
                          std::uint8_t withSelection)
{
    m_nBitDepth = bitDepth;
    m_nCount = count;
    m_nFormat = format;
    m_nNumber = number;

    // Everything is allocated before anything is stored, so a failed
    // allocation leaves the palette's arrays as they were.
    std::unique_ptr<std::uint8_t[]> colors24;
    std::unique_ptr<std::uint16_t[]> colors16;
    if (HasColors24(bitDepth, format))
        colors24 = FilledArray<std::uint8_t>(BufferSize(count, 3), 0);
    else if (HasColors16(bitDepth, format))
        colors16 = FilledArray<std::uint16_t>(count, 0);
    auto byteA = FilledArray<std::uint8_t>(count, 0);
    auto byteB = FilledArray<std::uint8_t>(count, 255);
    auto triples = FilledArray<CRovaEntryTriple>(count, CRovaEntryTriple{0, 0, 0});
    auto byteC = FilledArray<std::uint8_t>(count, 0);
    auto selection = withSelection ? std::make_unique<CRovaPaletteSelection>() : nullptr;

    m_pColors24 = std::move(colors24);
    m_pColors16 = std::move(colors16);
    m_pEntryByteA = std::move(byteA);
    m_pEntryByteB = std::move(byteB);
    m_pEntryTriples = std::move(triples);
    m_pEntryByteC = std::move(byteC);
    m_strName = CString::Format("%d", number);
    if (selection)
        m_pSelection = std::move(selection);
    return true;
}

bool CRovaPalette::CreateLike(const CRovaPalette& other, std::int32_t count, std::uint8_t withSelection)
{
    if (count < -1)
        return false;
    const std::uint32_t entries = count == -1 ? other.m_nCount : static_cast<std::uint32_t>(count);
    return Create(entries, 0, other.m_nBitDepth, other.m_nFormat, withSelection);
}

std::size_t CRovaPalette::EntryArrayBytes(EntryArray which) const
{
    if (which < 0 || which >= kEntryArrayCount || !EntryArrayData(which))
        return 0;
    return BufferSize(m_nCount, static_cast<std::int64_t>(kBytesPerEntry[which]));
}

std::uint8_t* CRovaPalette::EntryArrayData(EntryArray which) const
{
    switch (which) {
    case kColors24: return m_pColors24.get();
    case kColors16: return reinterpret_cast<std::uint8_t*>(m_pColors16.get());
    case kEntryByteA: return m_pEntryByteA.get();
    case kEntryByteB: return m_pEntryByteB.get();
    case kEntryTriples: return reinterpret_cast<std::uint8_t*>(m_pEntryTriples.get());
    case kEntryByteC: return m_pEntryByteC.get();
    default: return nullptr;
    }
}

void CRovaPalette::CopyEntries(const CRovaPalette& other)
{
    // Only arrays both palettes have, and only the entries both hold.
    for (int i = 0; i < kEntryArrayCount; ++i) {
        const auto which = static_cast<EntryArray>(i);
        const std::size_t bytes = std::min(EntryArrayBytes(which), other.EntryArrayBytes(which));
        if (bytes)
            std::memcpy(EntryArrayData(which), other.EntryArrayData(which), bytes);
    }
}

void CRovaPalette::ReadEntryArray(CRovaReader* reader, EntryArray which, std::uint32_t payloadSize)
{
    const std::size_t capacity = EntryArrayBytes(which);
    if (capacity == 0)
        return;
    const auto bytes = static_cast<std::uint32_t>(std::min<std::size_t>(payloadSize, capacity));
    std::uint8_t* data = EntryArrayData(which);
    reader->ReadBytes(data, bytes, true);
    if (which == kColors16 || which == kEntryTriples)
        AssembleLittleEndian16(data, bytes);
}

void CRovaPalette::Load(CRovaReader* reader, std::uint32_t payloadSize, std::uint32_t count, std::int32_t bitDepth,
                        std::int32_t format)
{
    Create(count, 0, bitDepth, format, 1);
    WalkChunks(reader, payloadSize, ReadPaletteChunk, this);
}

int CRovaPalette::ReadPaletteChunk(CRovaReader* reader, std::uint32_t id, std::uint32_t size, void* userData)
{
    auto* palette = static_cast<CRovaPalette*>(userData);
    switch (id) {
    case 1000:
        // Only the low 16 bits of a string length count; masking first also
        // keeps a size of 0xFFFFFFFF from reading as the prefixed form (-1).
        palette->m_strName = reader->ReadString(static_cast<std::int32_t>(size & 0xFFFF));
        break;
    case 1001: palette->m_nNumber = static_cast<std::int32_t>(reader->ReadDword()); break;
    case 1002: palette->SetMarked(reader->ReadByte()); break;
    case 1003: palette->m_bEnabled = reader->ReadByte(); break;
    case 1004: palette->SetSelected(reader->ReadByte()); break;
    case 1005: case 1006: case 1007: case 1008: case 1009: case 1010:
        palette->ReadEntryArray(reader, static_cast<EntryArray>(id - 1005), size);
        break;
    case 1011:
        if (palette->m_pSelection)
            palette->m_pSelection->Load(reader, size, palette->m_nBitDepth, palette->m_nFormat);
        break;
    case 2000: palette->m_settings.SetSetting(reader->ReadDword(), 0); break;
    case 2001: palette->m_settings.SetSettingA(reader->ReadByte(), 1); break;
    case 2002: palette->m_settings.SetSettingB(reader->ReadByte(), 1); break;
    default: break;
    }
    return 0;
}

std::unique_ptr<CRovaItem> CRovaPalette::Clone() const
{
    auto copy = std::make_unique<CRovaPalette>();
    if (!copy->CreateLike(*this, -1, 1))
        return copy;
    copy->CopyEntries(*this);
    if (m_pSelection && !copy->m_pSelection->CopyFrom(*m_pSelection))
        return copy;
    copy->m_strName = m_strName;
    copy->m_settings.m_dwSetting = m_settings.m_dwSetting;
    copy->m_settings.m_bySettingA = m_settings.m_bySettingA;
    copy->m_settings.m_bySettingB = m_settings.m_bySettingB;
    copy->m_nNumber = m_nNumber;
    return copy;
}
