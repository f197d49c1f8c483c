// The ROVA2 container: a 12-byte header and a zlib stream that inflates to
// the document body, a run of chunks read by ReadDocumentChunk.
#include "document.h"

#include "sizes.h"
#include "texts.h"
#include "messagebox.h"

#include <zlib.h>

#include <cstring>

namespace {

constexpr std::uint32_t kInputBufferBytes = 10240;

// Ends the inflate stream on every path once it was initialised.
class InflateStream {
public:
    InflateStream() { std::memset(&m_stream, 0, sizeof m_stream); }
    ~InflateStream()
    {
        if (m_initialised)
            inflateEnd(&m_stream);
    }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;

    bool Init(std::uint8_t* output, std::uint32_t outputBytes)
    {
        // Default allocators: zalloc, zfree and opaque stay null.
        m_initialised = inflateInit(&m_stream) == Z_OK;
        m_stream.next_out = output;
        m_stream.avail_out = outputBytes;
        return m_initialised;
    }
    z_stream& Get() { return m_stream; }

private:
    z_stream m_stream;
    bool m_initialised = false;
};

// Inflates the rest of the source into exactly bodySize bytes of body.
// False on any zlib error, an input that ends early, or a stream that
// ends short of or runs past bodySize.
bool InflateBody(CRovaReader& sourceReader, std::uint8_t* body, std::uint32_t bodySize, CString& error)
{
    InflateStream inflater;
    if (!inflater.Init(body, bodySize)) {
        error = texts::kZlibInitFailed;
        return false;
    }
    z_stream& stream = inflater.Get();
    std::uint8_t input[kInputBufferBytes];
    for (;;) {
        if (stream.avail_in == 0) {
            stream.next_in = input;
            stream.avail_in = sourceReader.ReadBytes(input, kInputBufferBytes, false);
        }
        const int result = inflate(&stream, Z_NO_FLUSH);
        if (result == Z_OK)
            continue;
        if (result == Z_STREAM_END && stream.avail_out == 0)
            return true;
        // Z_STREAM_END short of bodySize, or a data, buffer, dictionary or
        // memory error: zlib reports Z_BUF_ERROR when no progress is
        // possible, so neither an exhausted input nor a full output loops.
        error = texts::kInflateFailed;
        return false;
    }
}

bool LoadBody(CRovaDocument& document, CFile& source, bool warnNewer)
{
    CRovaReader sourceReader(&source);
    char signature[6] = {};
    sourceReader.ReadBytes(signature, 5, true);
    if (std::strcmp(signature, "ROVA2") != 0) {
        document.m_strError = texts::kNotRova2;
        return false;
    }
    const std::uint16_t version = sourceReader.ReadWord();
    if (version != 0 && warnNewer)
        AfxMessageBox(texts::kNewerVersionWarning, MB_OK_ONLY);
    if (sourceReader.ReadByte() != 1) {
        document.m_strError = texts::kUnsupportedCompression;
        return false;
    }
    const std::uint32_t bodySize = sourceReader.ReadDword();
    // AllocBytes hands out at least one byte, so zlib always sees a real
    // output pointer, also for an empty body.
    std::unique_ptr<std::uint8_t[]> body = AllocBytes(bodySize);
    if (!InflateBody(sourceReader, body.get(), bodySize, document.m_strError))
        return false;

    CMemFile bodyFile(body.get(), bodySize);
    CRovaReader bodyReader(&bodyFile);
    WalkChunks(&bodyReader, bodySize, &CRovaDocument::ReadDocumentChunk, &document);
    return true;
}

}  // namespace

bool CRovaDocument::LoadRova2(CFile& source, const CString& /*name*/, bool warnNewer)
{
    try {
        return LoadBody(*this, source, warnNewer);
    } catch (const CException& exception) {
        m_strError = ExceptionMessage(exception);
    } catch (...) {
        m_strError = texts::kUnknownError;
    }
    return false;
}
