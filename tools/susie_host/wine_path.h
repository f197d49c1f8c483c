// Programs run under Wine get their paths from CMake in Unix form; Wine maps
// the Unix root to drive Z:.
#pragma once

#include <string>

namespace susie {

// The Windows form of a path: "/x/y" -> "Z:\x\y"; other paths keep their
// drive and get backslashes.
inline std::string WindowsPath(std::string path)
{
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

}  // namespace susie
