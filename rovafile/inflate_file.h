// The inflated body of a ROVA2 file as a read-only CFile that inflates as it
// is read, so the body never has to be held whole: long reads (layer pixels)
// go from zlib straight into the reader's buffer, short ones through a
// window of body bytes.
//
// What the window must keep: the chunk walker seeks only to the end of the
// current chunk or of an enclosing range, never before the smallest of
// those ends (the fence). Bytes before the fence are never read again; bytes
// at or past it may be, when a handler read beyond its chunk, and stay in
// the window until the fence passes them.
#pragma once

#include "file.h"
#include "reader.h"

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <vector>

// Raised when the zlib stream fails or does not end exactly at the body's
// size. Deliberately not a CException: the load tells it apart from every
// failure of the chunk handlers.
struct InflateFailure {};

class CInflateFile : public CFile {
public:
    // The compressed stream is read from source through one fixed buffer.
    CInflateFile(CRovaReader& source, std::uint32_t bodySize);
    ~CInflateFile() override;
    CInflateFile(const CInflateFile&) = delete;
    CInflateFile& operator=(const CInflateFile&) = delete;

    // False when zlib cannot be initialised.
    bool Init();

    std::uint32_t Read(void* buffer, std::uint32_t count) override;
    std::int32_t Seek(std::int64_t offset, SeekPosition from) override;
    std::int32_t GetPosition() const override { return m_position; }
    void Close() override {}

    // Inflates whatever is left of the body and checks that the stream ends
    // exactly there; raises InflateFailure otherwise.
    void Finish();

    // The walker's ranges and chunks, innermost last (see WalkChunks).
    void EnterRange(std::uint64_t end);
    void SetChunkEnd(std::uint64_t chunkEnd, std::uint64_t rangeEnd);
    void LeaveRange();

private:
    std::uint64_t Fence() const { return m_fences.empty() ? 0 : m_fences.back(); }
    // Inflates exactly count bytes into output; raises InflateFailure when
    // the stream fails or ends first.
    void InflateInto(std::uint8_t* output, std::uint32_t count);
    // Drops what lies before the fence and adds the next body bytes to the window.
    void FillWindow();
    void AdvanceTo(std::uint32_t target);
    void RefillInput();

    CRovaReader& m_source;
    z_stream m_stream;
    bool m_initialised = false;
    bool m_ended = false;
    std::unique_ptr<std::uint8_t[]> m_input;
    std::vector<std::uint8_t> m_window;   // body bytes from m_windowStart up to m_produced
    std::uint32_t m_windowStart = 0;
    std::uint32_t m_produced = 0;         // body bytes inflated so far
    std::uint32_t m_bodySize;
    std::int32_t m_position = 0;
    std::vector<std::uint64_t> m_fences;  // per open range: smallest end in force, outermost first
};

// Tells a body file about one walk's range for as long as the walk runs;
// does nothing for any other file.
class InflateRangeScope {
public:
    InflateRangeScope(CFile* file, std::uint64_t end);
    ~InflateRangeScope();
    InflateRangeScope(const InflateRangeScope&) = delete;
    InflateRangeScope& operator=(const InflateRangeScope&) = delete;

    void SetChunkEnd(std::uint64_t chunkEnd)
    {
        if (m_body)
            m_body->SetChunkEnd(chunkEnd, m_end);
    }

private:
    CInflateFile* m_body;
    std::uint64_t m_end;
};
