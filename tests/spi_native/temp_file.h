// A file in the test's temporary folder, removed when the object goes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace rova_test {

class TempFile {
public:
    TempFile(const std::string& name, const std::vector<std::uint8_t>& contents)
        : m_path(::testing::TempDir() + name)
    {
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(contents.data()), static_cast<std::streamsize>(contents.size()));
    }
    ~TempFile() { std::remove(m_path.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const char* path() const { return m_path.c_str(); }

private:
    std::string m_path;
};

}  // namespace rova_test
