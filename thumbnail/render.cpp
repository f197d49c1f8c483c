#include "render.h"

#include "fault_guard.h"
#include "plugin.h"
#include "preview.h"
#include "sizes.h"

#include <cwchar>

namespace {

constexpr LONG kMaxSide = 192;

// The two blocks GetPicture hands over, released on every path: both
// unlocked first, then both freed.
struct PictureBlocks {
    HLOCAL header = nullptr;
    HLOCAL pixels = nullptr;
    void* headerBits = nullptr;
    void* pixelBits = nullptr;

    PictureBlocks() = default;
    PictureBlocks(const PictureBlocks&) = delete;
    PictureBlocks& operator=(const PictureBlocks&) = delete;
    ~PictureBlocks()
    {
        if (headerBits)
            LocalUnlock(header);
        if (pixelBits)
            LocalUnlock(pixels);
        if (header)
            LocalFree(header);
        if (pixels)
            LocalFree(pixels);
    }
};

// The path in the ANSI code page, or false when it does not convert or its
// ANSI form would not leave room for the terminator in MAX_PATH bytes.
bool ToAnsiPath(const WCHAR* path, char (&ansi)[MAX_PATH])
{
    const int length = static_cast<int>(wcsnlen(path, MAX_PATH));
    if (length == 0)
        return false;
    const int needed = WideCharToMultiByte(CP_ACP, 0, path, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0 || needed >= MAX_PATH)
        return false;
    // No terminator is converted: the zero fill of the buffer ends the string.
    WideCharToMultiByte(CP_ACP, 0, path, length, ansi, MAX_PATH - 1, nullptr, nullptr);
    return true;
}

struct InfoCall {
    GetPictureInfoProc proc;
    const char* path;
    PictureInfo* info;
    int result;
};

struct PictureCall {
    GetPictureProc proc;
    const char* path;
    PictureBlocks* blocks;
    int result;
};

// A C++ exception must not leave the guarded call (the guard would stay
// armed): one escaping the plug-in counts as a failed call.
void CallGetPictureInfo(void* context)
{
    auto* call = static_cast<InfoCall*>(context);
    try {
        call->result = call->proc(call->path, 0, 0, call->info);
    } catch (...) {
        call->result = -1;
    }
}

void CallGetPicture(void* context)
{
    auto* call = static_cast<PictureCall*>(context);
    try {
        call->result = call->proc(call->path, 0, 0, &call->blocks->header, &call->blocks->pixels, nullptr, 0);
    } catch (...) {
        call->result = -1;
    }
}

template <class Proc>
Proc ExportOf(HMODULE module, const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Row length of an 8-bit DIB row of the given width, in bytes.
std::int64_t Stride(LONG width)
{
    return (static_cast<std::int64_t>(width) + 3) & ~std::int64_t{3};
}

// The header block must be what the plug-in promises: a 40-byte
// BITMAPINFOHEADER of an uncompressed 8-bit DIB and its whole colour table.
BITMAPINFOHEADER* CheckedHeader(const PictureBlocks& blocks)
{
    const SIZE_T bytes = LocalSize(blocks.header);
    if (bytes < sizeof(BITMAPINFOHEADER))
        return nullptr;
    auto* header = static_cast<BITMAPINFOHEADER*>(blocks.headerBits);
    if (header->biSize != sizeof(BITMAPINFOHEADER) || header->biBitCount != 8 || header->biCompression != BI_RGB ||
        header->biClrUsed > 256)
        return nullptr;
    const DWORD colors = header->biClrUsed ? header->biClrUsed : 256;
    if (bytes < sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD))
        return nullptr;
    return header;
}

// White ground, the picture in columns 1 to width, the bitmap width raised
// to the multiple of 4 that leaves at least one white column on the right.
HBITMAP Draw(const BITMAPINFO* dib, const void* pixels, LONG width, LONG height)
{
    const LONG bitmapWidth = (width + 4) & ~3;
    HDC display = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    HDC memory = CreateCompatibleDC(display);
    HBITMAP bitmap = CreateCompatibleBitmap(display, bitmapWidth, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);

    RECT all = {0, 0, bitmapWidth, height};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(memory, &all, white);
    DeleteObject(white);

    SetDIBitsToDevice(memory, 1, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                      static_cast<UINT>(height), pixels, dib, DIB_RGB_COLORS);

    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteDC(display);
    return bitmap;
}

}  // namespace

HBITMAP RenderThumbnail(const WCHAR* path)
{
    char ansiPath[MAX_PATH] = {};
    if (!ToAnsiPath(path, ansiPath))
        return nullptr;

    // Declared after the blocks so that the plug-in is freed first.
    PictureBlocks blocks;
    PluginModule plugin(LoadRovaPlugin());
    if (!plugin.Get())
        return nullptr;
    auto getPicture = ExportOf<GetPictureProc>(plugin.Get(), "GetPicture");
    auto getPictureInfo = ExportOf<GetPictureInfoProc>(plugin.Get(), "GetPictureInfo");
    if (!getPicture || !getPictureInfo)
        return nullptr;

    PictureInfo info = {};
    InfoCall infoCall = {getPictureInfo, ansiPath, &info, -1};
    if (!CallWithFaultGuard(CallGetPictureInfo, &infoCall) || infoCall.result != 0)
        return nullptr;
    LONG width = static_cast<LONG>(info.width);
    LONG height = static_cast<LONG>(info.height);
    if (width <= 0 || height <= 0)
        return nullptr;

    PictureCall pictureCall = {getPicture, ansiPath, &blocks, -1};
    if (!CallWithFaultGuard(CallGetPicture, &pictureCall) || pictureCall.result != 0)
        return nullptr;
    if (!blocks.header || !blocks.pixels)
        return nullptr;
    blocks.headerBits = LocalLock(blocks.header);
    blocks.pixelBits = LocalLock(blocks.pixels);
    if (!blocks.headerBits || !blocks.pixelBits)
        return nullptr;

    // The size in the record is the plug-in's word only: the blocks must hold
    // what it promises before anything reads them.
    BITMAPINFOHEADER* header = CheckedHeader(blocks);
    if (!header || LocalSize(blocks.pixels) < BufferSize(Stride(width), height))
        return nullptr;
    auto* pixels = static_cast<BYTE*>(blocks.pixelBits);

    if (width > kMaxSide || height > kMaxSide) {
        const LONG newWidth = width < kMaxSide ? width : kMaxSide;
        const LONG newHeight = height < kMaxSide ? height : kMaxSide;
        if (!CRovaPreview::ReducePixels(pixels, width, height, newWidth, newHeight))
            return nullptr;
    }

    header->biWidth = width;
    header->biHeight = height;
    header->biSizeImage = static_cast<DWORD>(height * (((width * header->biBitCount + 31) / 32) * 4));
    return Draw(reinterpret_cast<const BITMAPINFO*>(header), pixels, width, height);
}
