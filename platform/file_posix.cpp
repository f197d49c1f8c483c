// CFile over POSIX file descriptors, so the portable core runs natively.
#include "file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

struct CFile::Handle {
    int fd;
};

CFile::CFile() = default;

CFile::~CFile()
{
    CFile::Close();
}

bool CFile::Open(const char* fileName, unsigned /*openFlags*/)
{
    Close();
    if (!fileName)
        return false;
    const int fd = ::open(fileName, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    m_handle.reset(new Handle{fd});
    return true;
}

std::uint32_t CFile::Read(void* buffer, std::uint32_t count)
{
    if (!m_handle)
        AfxThrowFileException(CFileException::genericException);
    std::uint32_t total = 0;
    while (total < count) {
        const ssize_t n = ::read(m_handle->fd, static_cast<char*>(buffer) + total, count - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            AfxThrowFileException(CFileException::hardIO, errno);
        if (n == 0)
            break;
        total += static_cast<std::uint32_t>(n);
    }
    return total;
}

std::int64_t CFile::FileSize() const
{
    const off_t size = ::lseek(m_handle->fd, 0, SEEK_END);
    if (size < 0)
        AfxThrowFileException(CFileException::badSeek, errno);
    return size;
}

void CFile::MoveTo(std::int32_t position)
{
    if (::lseek(m_handle->fd, position, SEEK_SET) < 0)
        AfxThrowFileException(CFileException::badSeek, errno);
}

std::int32_t CFile::GetPosition() const
{
    if (!m_handle)
        AfxThrowFileException(CFileException::genericException);
    const off_t position = ::lseek(m_handle->fd, 0, SEEK_CUR);
    if (position < 0 || position > kMaxPosition)
        AfxThrowFileException(CFileException::badSeek, errno);
    return static_cast<std::int32_t>(position);
}

void CFile::Close()
{
    if (m_handle) {
        ::close(m_handle->fd);
        m_handle.reset();
    }
}
