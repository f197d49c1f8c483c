#include "plugin_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const std::string kFileType = "ROVA/ROVA2\x83\x74\x83\x40\x83\x43\x83\x8B";   // ROVA/ROVA2ファイル in CP932

// The full description string of an index, terminator included; empty for none.
std::string Described(int index)
{
    switch (index) {
    case 0: return std::string("00IN", 5);
    case 1: return std::string("ROVA2 Susie Plug-in Ver.0.90a (C) Quillmere") + '\0';
    case 2: return std::string("*.rov", 6);
    case 3: return kFileType + '\0';
    default: return {};
    }
}

TEST(PluginInfo, CopiesAPrefixBoundedByTheBufferAndNothingForOtherIndexes)
{
    for (int index = -1; index <= 4; ++index) {
        for (int length : {0, 3, 100}) {
            SCOPED_TRACE("index " + std::to_string(index) + ", length " + std::to_string(length));
            char buffer[120];
            std::memset(buffer, 0x5A, sizeof buffer);
            const std::string expected = Described(index).substr(0, static_cast<std::size_t>(length));

            const int copied = CopyPluginInfo(index, buffer, length);

            EXPECT_EQ(copied, static_cast<int>(expected.size()));
            EXPECT_EQ(std::string(buffer, expected.size()), expected);
            for (std::size_t i = expected.size(); i < sizeof buffer; ++i)
                ASSERT_EQ(buffer[i], 0x5A) << "byte " << i << " written";
        }
    }
}

TEST(PluginInfo, DescriptionStartsWithTheVersionAndABlank)
{
    char buffer[100];
    ASSERT_GT(CopyPluginInfo(1, buffer, sizeof buffer), 31);
    EXPECT_EQ(std::string(buffer, 30), "ROVA2 Susie Plug-in Ver.0.90a ");
}

TEST(PluginInfo, ExactFitAndNegativeOrHugeIndexes)
{
    char buffer[8];
    std::memset(buffer, 0x5A, sizeof buffer);
    EXPECT_EQ(CopyPluginInfo(0, buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), std::string("00IN", 5));
    EXPECT_EQ(CopyPluginInfo(0, buffer, 4), 4);   // one short: no terminator
    EXPECT_EQ(buffer[4], '\0');                   // left from the previous call

    std::memset(buffer, 0x5A, sizeof buffer);
    for (int index : {INT32_MIN, -4, 0x10000, INT32_MAX})
        EXPECT_EQ(CopyPluginInfo(index, buffer, sizeof buffer), 0) << index;
    EXPECT_EQ(CopyPluginInfo(0, buffer, -1), 0);
    EXPECT_EQ(CopyPluginInfo(0, buffer, INT32_MIN), 0);
    for (char c : buffer)
        EXPECT_EQ(c, 0x5A);
}

TEST(PluginInfo, HandleOrAddressArgument)
{
    struct Case {
        std::uintptr_t value;
        bool isHandle;
    };
    const Case cases[] = {
        {0, true}, {0x4, true}, {0xFFFF, true}, {0x10000, false}, {0x12345678, false},
#if UINTPTR_MAX > 0xFFFFFFFFu
        // Above 4 GiB a buffer's low 32 bits may look like a small handle.
        {0x200001234, false}, {0x100000000, false},
#endif
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsFileHandleArgument(c.value), c.isHandle) << std::hex << c.value;
}

}  // namespace
