#include "tests/support/fixture.h"

#include <string>

namespace {

using LogTest = PluginTest;

// Which call sites write at which level is pinned by the golden dumps, taken
// at the build's level and at the verbose one.

TEST_F(LogTest, WideLinesAreCutTo259Units)
{
    std::u16string text(300, u'x');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(u'a' + i % 26);
    for (size_t length : {300, 259}) {
        ClearDebug();
        ASSERT_TRUE(LogMsgW(TEXT("%s"), text.substr(0, length).c_str()));
        ASSERT_EQ(standin::DebugCaptureCount(), 1u);
        EXPECT_EQ(std::string(standin::DebugCaptureLine(0)), std::string(text.begin(), text.begin() + 259));
    }
}

TEST_F(LogTest, NarrowLinesGrowUntilTheyFitAndFormatAsOnWindows)
{
    std::string big(5000, 'n');
    big[4999] = 'Z';
    ASSERT_TRUE(LogMsgA("%s", big.c_str()));
    EXPECT_EQ(Debug(), big);

    // %s and %S have their Windows meaning.
    ClearDebug();
    ASSERT_TRUE(LogMsgW(TEXT("UI:  %s|%S|%d|%#x\r\n"), TEXT("wide"), "narrow", -7, 0x4D534654u));
    EXPECT_EQ(Debug(), "UI:  wide|narrow|-7|0x4d534654\r\n");
    ClearDebug();
    ASSERT_TRUE(LogMsgA("%s|%S", "narrow", TEXT("wide")));
    EXPECT_EQ(Debug(), "narrow|wide");
}

TEST_F(LogTest, NullFormatOrNoMemoryWritesNothing)
{
    EXPECT_FALSE(LogMsgW(nullptr));
    EXPECT_FALSE(LogMsgA(nullptr));
    standin::FailNext("HeapAlloc", 1);
    EXPECT_FALSE(LogMsgW(TEXT("lost")));
    standin::FailNext("HeapAlloc", 1);
    EXPECT_FALSE(LogMsgA("lost"));
    EXPECT_EQ(standin::DebugCaptureCount(), 0u);
}

TEST_F(LogTest, ConcurrentWritersKeepWholeLines)
{
    auto writer = [](LPVOID) -> DWORD {
        for (int i = 0; i < 200; ++i)
            LogMsgW(TEXT("line %d of one writer"), i);
        return 0;
    };
    HANDLE threads[2];
    for (HANDLE &thread : threads) {
        thread = CreateThread(nullptr, 0, writer, nullptr, 0, nullptr);
        ASSERT_NE(thread, nullptr);
    }
    for (HANDLE thread : threads) {
        EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
        CloseHandle(thread);
    }
    ASSERT_EQ(standin::DebugCaptureCount(), 400u);
    for (size_t i = 0; i < 400; ++i)
        EXPECT_NE(std::string(standin::DebugCaptureLine(i)).find(" of one writer"), std::string::npos);
}

}  // namespace
