// The exception family of the platform layer. Library failures travel as
// these (thrown by value, caught by reference) and are turned into result
// codes or stored messages only at the module boundaries.
#pragma once

#include "cstring.h"

#include <cstddef>

class CException {
public:
    virtual ~CException() = default;
    // Writes a description of at most maxChars - 1 characters and a terminator;
    // returns false when there is nothing to say.
    virtual bool GetErrorMessage(char* buffer, unsigned maxChars, unsigned* helpContext = nullptr) const;

protected:
    virtual const char* Description() const = 0;
};

class CFileException : public CException {
public:
    enum Cause {
        none,
        genericException,
        fileNotFound,
        badPath,
        accessDenied,
        sharingViolation,
        badSeek,
        hardIO,
        endOfFile,
    };

    explicit CFileException(Cause cause = genericException, long osError = -1)
        : m_cause(cause), m_lOsError(osError) {}

    Cause m_cause;
    long m_lOsError;

protected:
    const char* Description() const override;
};

class CMemoryException : public CException {
protected:
    const char* Description() const override;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowFileException(CFileException::Cause cause, long osError = -1);

// The description an exception of the family gives of itself, read through a
// 1024-character buffer as the library's loaders store it.
CString ExceptionMessage(const CException& exception);
