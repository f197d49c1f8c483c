#include "file.h"

#include <algorithm>
#include <cstring>

std::int32_t CFile::CheckedTarget(std::int64_t base, std::int64_t offset)
{
    if (offset > kMaxPosition || offset < -kMaxPosition - 1)
        AfxThrowFileException(CFileException::badSeek);
    // base is a 32-bit position, so the sum cannot wrap.
    const std::int64_t target = base + offset;
    if (target < 0 || target > kMaxPosition)
        AfxThrowFileException(CFileException::badSeek);
    return static_cast<std::int32_t>(target);
}

std::int32_t CFile::Seek(std::int64_t offset, SeekPosition from)
{
    if (!m_handle)
        AfxThrowFileException(CFileException::genericException);
    std::int64_t base = 0;
    if (from == current) {
        base = GetPosition();
    } else if (from == end) {
        base = FileSize();
        if (base > kMaxPosition)
            AfxThrowFileException(CFileException::badSeek);
    }
    const std::int32_t target = CheckedTarget(base, offset);
    MoveTo(target);
    return target;
}

CMemFile::CMemFile(const void* buffer, std::uint32_t size, std::uint32_t /*growBytes*/)
    : m_buffer(static_cast<const std::uint8_t*>(buffer)), m_size(buffer ? size : 0)
{
}

std::uint32_t CMemFile::Read(void* buffer, std::uint32_t count)
{
    const std::uint32_t position = static_cast<std::uint32_t>(m_position);
    if (position >= m_size || count == 0)
        return 0;
    const std::uint32_t n = std::min(count, m_size - position);
    std::memcpy(buffer, m_buffer + position, n);
    m_position += static_cast<std::int32_t>(n);
    return n;
}

std::int32_t CMemFile::Seek(std::int64_t offset, SeekPosition from)
{
    const std::int64_t base = from == begin ? 0 : from == current ? m_position : m_size;
    m_position = CheckedTarget(base, offset);
    return m_position;
}

const void* CMemFile::Detach()
{
    const void* buffer = m_buffer;
    m_buffer = nullptr;
    m_size = 0;
    m_position = 0;
    return buffer;
}
