// The ROVA2 container: a 12-byte header and a zlib stream that inflates to
// the document body, a run of chunks read by ReadDocumentChunk. The body is
// walked as it inflates (CInflateFile), so layer pixels go from zlib straight
// into the layers.
#include "document.h"

#include "inflate_file.h"

#include "sizes.h"
#include "texts.h"
#include "messagebox.h"

#include <cstring>

namespace {

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
    // The body is inflated while it is walked and never held whole, but it
    // is charged as if it were, so a document is accepted or refused as
    // when the whole body took a buffer of its own.
    ChargeBudget(BufferSize(bodySize));
    CInflateFile bodyFile(sourceReader, bodySize);
    if (!bodyFile.Init()) {
        document.m_strError = texts::kZlibInitFailed;
        return false;
    }
    CRovaReader bodyReader(&bodyFile);
    try {
        WalkChunks(&bodyReader, bodySize, &CRovaDocument::ReadDocumentChunk, &document);
        bodyFile.Finish();
    } catch (const InflateFailure&) {
        // A body that does not inflate to exactly bodySize fails as such,
        // whatever the chunks read so far held.
        document.m_strError = texts::kInflateFailed;
        return false;
    } catch (...) {
        // A failing inflation outranks what the chunk handlers raised: check
        // the rest of the stream before passing their exception on.
        try {
            bodyFile.Finish();
        } catch (const InflateFailure&) {
            document.m_strError = texts::kInflateFailed;
            return false;
        }
        throw;
    }
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
