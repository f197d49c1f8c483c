// The fixed identifiers of the thumbnail server. CMake reads the three *_TEXT
// lines to fill in the registry script and the type library source, so this
// header is the only place where they are written.
#pragma once

#define ROVA_CLSID_ROVAPREVIEW_TEXT "DC327129-C647-456C-B482-8328AEE769B1"
#define ROVA_LIBID_GLIMLETLIB_TEXT "1A782633-1278-4837-8F47-7C317C52EE4E"
#define ROVA_IID_IROVAPREVIEW_TEXT "510053EA-3771-43C8-AF05-6DA4960820A3"

#include <guiddef.h>

namespace rova_guid_detail {

constexpr unsigned HexDigit(char c)
{
    return c >= '0' && c <= '9' ? unsigned(c - '0')
         : c >= 'A' && c <= 'F' ? unsigned(c - 'A' + 10)
         : c >= 'a' && c <= 'f' ? unsigned(c - 'a' + 10)
                                : throw "not a hexadecimal digit";
}

constexpr unsigned long Hex(const char* text, int digits)
{
    unsigned long value = 0;
    for (int i = 0; i < digits; ++i)
        value = value * 16 + HexDigit(text[i]);
    return value;
}

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" to a GUID, at compile time.
constexpr GUID Parse(const char (&t)[37])
{
    return GUID{Hex(t, 8),
                static_cast<unsigned short>(Hex(t + 9, 4)),
                static_cast<unsigned short>(Hex(t + 14, 4)),
                {static_cast<unsigned char>(Hex(t + 19, 2)), static_cast<unsigned char>(Hex(t + 21, 2)),
                 static_cast<unsigned char>(Hex(t + 24, 2)), static_cast<unsigned char>(Hex(t + 26, 2)),
                 static_cast<unsigned char>(Hex(t + 28, 2)), static_cast<unsigned char>(Hex(t + 30, 2)),
                 static_cast<unsigned char>(Hex(t + 32, 2)), static_cast<unsigned char>(Hex(t + 34, 2))}};
}

}  // namespace rova_guid_detail

inline constexpr GUID CLSID_RovaPreview = rova_guid_detail::Parse(ROVA_CLSID_ROVAPREVIEW_TEXT);
inline constexpr GUID LIBID_GLIMLETLib = rova_guid_detail::Parse(ROVA_LIBID_GLIMLETLIB_TEXT);
inline constexpr GUID IID_IRovaPreview = rova_guid_detail::Parse(ROVA_IID_IROVAPREVIEW_TEXT);

static_assert(CLSID_RovaPreview.Data1 == 0xDC327129 && CLSID_RovaPreview.Data4[7] == 0xB1, "identifier parsing");
