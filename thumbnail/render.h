// The thumbnail of one file: the plug-in decodes it, the picture is reduced
// to at most 192 by 192 pixels and drawn on a white ground into a bitmap
// compatible with the display.
#pragma once

#include <windows.h>

// Null when there is no thumbnail. The plug-in and its memory blocks are
// released before it returns, on every path. May throw C++ exceptions
// (memory) of its own; a processor fault inside the plug-in does not escape.
HBITMAP RenderThumbnail(const WCHAR* path);
