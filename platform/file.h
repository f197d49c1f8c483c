// Seekable byte sources: a disk file opened read-only (CFile) and a window on
// a caller's buffer (CMemFile). Positions are signed 32-bit values, as in the
// class library the readers were designed for: a seek to 2^31 or beyond, or
// before the start, raises a CFileException (badSeek).
#pragma once

#include "exceptions.h"

#include <cstdint>
#include <memory>

class CFile {
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        shareDenyWrite = 0x0020,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };
    static constexpr std::int64_t kMaxPosition = 0x7FFFFFFF;

    CFile();
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens an existing file read-only, denying writers (flags: modeRead | shareDenyWrite).
    // Returns false when the file cannot be opened.
    bool Open(const char* fileName, unsigned openFlags = modeRead | shareDenyWrite);

    // Reads up to count bytes; returns how many arrived (0 at the end).
    virtual std::uint32_t Read(void* buffer, std::uint32_t count);
    // Moves the position; returns the new position.
    virtual std::int32_t Seek(std::int64_t offset, SeekPosition from);
    virtual std::int32_t GetPosition() const;
    virtual void Close();

    std::int32_t SeekToBegin() { return Seek(0, begin); }

protected:
    // The position a seek would reach, checked against the 32-bit range.
    static std::int32_t CheckedTarget(std::int64_t base, std::int64_t offset);

private:
    // Platform-specific parts of Seek: the size of the open file, and moving
    // to a position already checked.
    std::int64_t FileSize() const;
    void MoveTo(std::int32_t position);

    struct Handle;
    std::unique_ptr<Handle> m_handle;   // platform-specific; null while closed
};

class CMemFile : public CFile {
public:
    // Lays the file over the caller's buffer: no copy, no growth, never freed here.
    CMemFile(const void* buffer, std::uint32_t size, std::uint32_t growBytes = 0);
    ~CMemFile() override = default;

    std::uint32_t Read(void* buffer, std::uint32_t count) override;
    std::int32_t Seek(std::int64_t offset, SeekPosition from) override;
    std::int32_t GetPosition() const override { return m_position; }
    void Close() override { Detach(); }

    // Gives the buffer back to its owner; the file is empty afterwards.
    const void* Detach();
    std::uint32_t GetLength() const { return m_size; }

private:
    const std::uint8_t* m_buffer;
    std::uint32_t m_size;
    std::int32_t m_position = 0;
};
