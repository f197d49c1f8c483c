// Paths whose ANSI form takes more bytes than characters. Run by its own
// ctest entry with a Japanese locale, where Wine's ANSI code page is 932
// and each hiragana takes two bytes.
#include "test_support.h"

#include <gtest/gtest.h>

using namespace thumb_test;

TEST(MultibyteAnsiPath, PathWhoseAnsiFormDoesNotFitGivesNoThumbnail)
{
    ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
    Server server(EnvPath(L"beside\\rovaprev.dll"));
    ComPtr<IExtractImage> extractor = server.NewExtractor();
    ASSERT_TRUE(extractor);

    // The size mark comes first, so a name cut short would still be served:
    // only a refusal gives no bitmap.
    const std::wstring start = EnvPath(L"files\\a_16x16");
    const std::wstring end = L".rov";
    const std::size_t room = 259 - start.size() - end.size();   // ANSI bytes left for hiragana
    const std::wstring fits = start + std::wstring(room / 2, L'\u3042') + end;
    const std::wstring overflows = start + std::wstring(room / 2 + 1, L'\u3042') + end;
    ASSERT_LT(overflows.size(), 260u) << "the wide path itself fits";

    HBITMAP bitmap = LoadAndExtract(extractor.Get(), fits);
    EXPECT_NE(bitmap, nullptr) << "259 ANSI bytes still fit";
    DeleteObject(bitmap);
    bitmap = LoadAndExtract(extractor.Get(), overflows);
    EXPECT_EQ(bitmap, nullptr);
}
