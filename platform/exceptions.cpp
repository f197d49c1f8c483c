#include "exceptions.h"

#include <algorithm>
#include <cstring>

bool CException::GetErrorMessage(char* buffer, unsigned maxChars, unsigned* helpContext) const
{
    if (helpContext)
        *helpContext = 0;
    if (!buffer || maxChars == 0)
        return false;
    const char* text = Description();
    const std::size_t length = std::min<std::size_t>(std::strlen(text), maxChars - 1);
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    return length > 0;
}

const char* CFileException::Description() const
{
    switch (m_cause) {
    case fileNotFound: return "The file could not be found.";
    case badPath: return "The file name is not valid.";
    case accessDenied: return "Access to the file was denied.";
    case sharingViolation: return "The file is in use by another program.";
    case badSeek: return "The file position could not be set.";
    case hardIO: return "The file could not be read.";
    case endOfFile: return "The file ended unexpectedly.";
    case none:
    case genericException: break;
    }
    return "A file error occurred.";
}

const char* CMemoryException::Description() const
{
    return "Not enough memory.";
}

void AfxThrowMemoryException()
{
    throw CMemoryException();
}

void AfxThrowFileException(CFileException::Cause cause, long osError)
{
    throw CFileException(cause, osError);
}

CString ExceptionMessage(const CException& exception)
{
    char buffer[1024] = {};
    exception.GetErrorMessage(buffer, 1023, nullptr);
    return CString(buffer);
}
