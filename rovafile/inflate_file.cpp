#include "inflate_file.h"

#include "sizes.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kInputBufferBytes = 10240;
// Body bytes inflated ahead at a time for short reads.
constexpr std::uint32_t kWindowBytes = 64 * 1024;
// Reads at least this long bypass the window.
constexpr std::uint32_t kDirectBytes = 16 * 1024;

}  // namespace

CInflateFile::CInflateFile(CRovaReader& source, std::uint32_t bodySize) : m_source(source), m_bodySize(bodySize)
{
    std::memset(&m_stream, 0, sizeof m_stream);
}

CInflateFile::~CInflateFile()
{
    if (m_initialised)
        inflateEnd(&m_stream);
}

bool CInflateFile::Init()
{
    m_input = AllocBytes(kInputBufferBytes);
    m_window.reserve(kWindowBytes);
    // Default allocators: zalloc, zfree and opaque stay null.
    m_initialised = inflateInit(&m_stream) == Z_OK;
    return m_initialised;
}

void CInflateFile::RefillInput()
{
    m_stream.next_in = m_input.get();
    m_stream.avail_in = m_source.ReadBytes(m_input.get(), kInputBufferBytes, false);
}

void CInflateFile::InflateInto(std::uint8_t* output, std::uint32_t count)
{
    if (count == 0)
        return;
    if (m_ended || count > m_bodySize - m_produced)
        throw InflateFailure{};
    m_stream.next_out = output;
    m_stream.avail_out = count;
    while (m_stream.avail_out != 0) {
        if (m_stream.avail_in == 0)
            RefillInput();
        const int result = inflate(&m_stream, Z_NO_FLUSH);
        if (result == Z_STREAM_END) {
            m_ended = true;
            if (m_stream.avail_out != 0)
                throw InflateFailure{};   // the stream ends short of the body
        } else if (result != Z_OK) {
            // Data, dictionary or memory errors; Z_BUF_ERROR when the input
            // ran out and nothing more could be made.
            throw InflateFailure{};
        }
    }
    m_produced += count;
}

void CInflateFile::FillWindow()
{
    const std::uint64_t keepFrom = std::max<std::uint64_t>(m_windowStart, std::min<std::uint64_t>(Fence(), m_produced));
    const auto dropped = static_cast<std::uint32_t>(keepFrom - m_windowStart);
    if (dropped != 0) {
        m_window.erase(m_window.begin(), m_window.begin() + dropped);
        m_windowStart += dropped;
    }
    const std::size_t held = m_window.size();
    const std::uint32_t count = std::min(kWindowBytes, m_bodySize - m_produced);
    m_window.resize(held + count);
    InflateInto(m_window.data() + held, count);
}

void CInflateFile::AdvanceTo(std::uint32_t target)
{
    while (m_produced < target)
        FillWindow();
}

std::uint32_t CInflateFile::Read(void* buffer, std::uint32_t count)
{
    const auto position = static_cast<std::uint32_t>(m_position);
    if (position >= m_bodySize || count == 0)
        return 0;
    count = std::min(count, m_bodySize - position);
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::uint32_t done = 0;
    while (done < count) {
        const std::uint32_t at = position + done;
        if (at < m_produced) {
            // Never before the fence, so always in the window.
            if (at < m_windowStart)
                AfxThrowFileException(CFileException::badSeek);
            const std::uint32_t n = std::min(count - done, m_produced - at);
            std::memcpy(out + done, m_window.data() + (at - m_windowStart), n);
            done += n;
            continue;
        }
        // Bytes before the fence are never read again, so they need not be kept.
        const std::uint64_t direct = std::min<std::uint64_t>(count - done, Fence() > at ? Fence() - at : 0);
        if (direct >= kDirectBytes) {
            InflateInto(out + done, static_cast<std::uint32_t>(direct));
            m_window.clear();
            m_windowStart = m_produced;
            done += static_cast<std::uint32_t>(direct);
        } else {
            FillWindow();
        }
    }
    m_position += static_cast<std::int32_t>(done);
    return done;
}

std::int32_t CInflateFile::Seek(std::int64_t offset, SeekPosition from)
{
    const std::int64_t base = from == begin ? 0 : from == current ? m_position : m_bodySize;
    const std::int32_t target = CheckedTarget(base, offset);
    AdvanceTo(std::min(static_cast<std::uint32_t>(target), m_bodySize));
    m_position = target;
    return m_position;
}

void CInflateFile::Finish()
{
    m_fences.clear();
    AdvanceTo(m_bodySize);
    // The stream must end right here: with no room for output, inflate only
    // consumes what is left of the stream's end, and fails on more data.
    std::uint8_t unused = 0;
    while (!m_ended) {
        if (m_stream.avail_in == 0)
            RefillInput();
        m_stream.next_out = &unused;
        m_stream.avail_out = 0;
        const int result = inflate(&m_stream, Z_NO_FLUSH);
        if (result == Z_STREAM_END)
            m_ended = true;
        else if (result != Z_OK)
            throw InflateFailure{};
    }
}

void CInflateFile::EnterRange(std::uint64_t end)
{
    m_fences.push_back(std::min(end, m_fences.empty() ? end : m_fences.back()));
}

void CInflateFile::SetChunkEnd(std::uint64_t chunkEnd, std::uint64_t rangeEnd)
{
    const std::size_t n = m_fences.size();
    std::uint64_t fence = std::min(chunkEnd, rangeEnd);
    if (n >= 2)
        fence = std::min(fence, m_fences[n - 2]);
    m_fences.back() = fence;
}

void CInflateFile::LeaveRange()
{
    m_fences.pop_back();
}

InflateRangeScope::InflateRangeScope(CFile* file, std::uint64_t end)
    : m_body(dynamic_cast<CInflateFile*>(file)), m_end(end)
{
    if (m_body)
        m_body->EnterRange(end);
}

InflateRangeScope::~InflateRangeScope()
{
    if (m_body)
        m_body->LeaveRange();
}
