// The regression corpus's manifest: one "<file> <GetPictureInfo code>
// <GetPicture code>" per line; '#' starts a comment. Read by the native
// replay and by the replay through the real plug-in.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace rova_test {

struct Regression {
    std::string file;
    int info;
    int picture;
};

inline std::vector<Regression> ReadRegressionManifest(const std::string& manifestPath)
{
    std::vector<Regression> entries;
    std::ifstream manifest(manifestPath);
    std::string line;
    while (std::getline(manifest, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream fields(line);
        Regression entry;
        if (fields >> entry.file >> entry.info >> entry.picture)
            entries.push_back(entry);
    }
    return entries;
}

}  // namespace rova_test
