// CFile over Win32 file handles: read-only, other readers welcome, writers refused.
#include "file.h"

#include <windows.h>

struct CFile::Handle {
    HANDLE file;
};

CFile::CFile() = default;

CFile::~CFile()
{
    CFile::Close();
}

bool CFile::Open(const char* fileName, unsigned openFlags)
{
    Close();
    if (!fileName)
        return false;
    const DWORD share = (openFlags & shareDenyWrite) ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
    const HANDLE file = ::CreateFileA(fileName, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    m_handle.reset(new Handle{file});
    return true;
}

std::uint32_t CFile::Read(void* buffer, std::uint32_t count)
{
    if (!m_handle)
        AfxThrowFileException(CFileException::genericException);
    DWORD read = 0;
    if (count && !::ReadFile(m_handle->file, buffer, count, &read, nullptr))
        AfxThrowFileException(CFileException::hardIO, static_cast<long>(::GetLastError()));
    return read;
}

std::int64_t CFile::FileSize() const
{
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(m_handle->file, &size))
        AfxThrowFileException(CFileException::badSeek);
    return size.QuadPart;
}

void CFile::MoveTo(std::int32_t position)
{
    LARGE_INTEGER distance;
    distance.QuadPart = position;
    if (!::SetFilePointerEx(m_handle->file, distance, nullptr, FILE_BEGIN))
        AfxThrowFileException(CFileException::badSeek, static_cast<long>(::GetLastError()));
}

std::int32_t CFile::GetPosition() const
{
    if (!m_handle)
        AfxThrowFileException(CFileException::genericException);
    LARGE_INTEGER zero, position;
    zero.QuadPart = 0;
    if (!::SetFilePointerEx(m_handle->file, zero, &position, FILE_CURRENT) || position.QuadPart > kMaxPosition)
        AfxThrowFileException(CFileException::badSeek);
    return static_cast<std::int32_t>(position.QuadPart);
}

void CFile::Close()
{
    if (m_handle) {
        ::CloseHandle(m_handle->file);
        m_handle.reset();
    }
}
