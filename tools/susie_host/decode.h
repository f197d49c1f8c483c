// Decoding a picture through the plug-in and saving it as a .bmp file.
#pragma once

#include "plugin.h"

#include <string>

namespace susie {

// GetPictureInfo + GetPicture on the file, then the DIB as a .bmp at
// bmpPath. Prints what it did; false (with a message) on any failure.
bool DecodeToBmp(const Plugin& plugin, const std::string& path, const std::string& bmpPath);

}  // namespace susie
