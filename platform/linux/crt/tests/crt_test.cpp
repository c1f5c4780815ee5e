#include "platform/win32.h"
#include "platform/linux/testing/leakcheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::u16string W(const WCHAR *format, ...)
{
    WCHAR buffer[512];
    va_list args;
    va_start(args, format);
    int n = _vsnwprintf_s(buffer, _countof(buffer), _TRUNCATE, format, args);
    va_end(args);
    EXPECT_GE(n, 0);
    return buffer;
}

std::string A(const char *format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    int n = _vsnprintf_s(buffer, sizeof(buffer), _TRUNCATE, format, args);
    va_end(args);
    EXPECT_GE(n, 0);
    return buffer;
}

using CrtFormat = standin_testing::LeakCheckTest;
using CrtNumbers = standin_testing::LeakCheckTest;
using CrtStrings = standin_testing::LeakCheckTest;
using CrtCodePages = standin_testing::LeakCheckTest;

// The conversions the plug-in formats with, as MSVC reads them: %s is the
// function's own width and %S the other, long is 32 bits, %p has 16 digits.
// (How the log writers cut a line is checked with the log itself.)
TEST_F(CrtFormat, TheConversionsThePlugInUsesFollowMsvc)
{
    EXPECT_EQ(W(u"[%s|%S]", u"wide", "narrow"), u"[wide|narrow]");
    EXPECT_EQ(A("[%s|%S]", "narrow", u"wide"), "[narrow|wide]");
    EXPECT_EQ(W(u"%S", "caf\xc3\xa9"), u"caf\u00e9");
    EXPECT_EQ(A("%S", u"\u4e2d\U0001F600"), "\xe4\xb8\xad\xf0\x9f\x98\x80");
    EXPECT_EQ(W(u"%s/%S", static_cast<WCHAR *>(nullptr), static_cast<char *>(nullptr)), u"(null)/(null)");
    EXPECT_EQ(A("%d %u %x %#x %08x %.4X", -42, 4294967295u, 255, 255, 255, 0x2A),
              "-42 4294967295 ff 0xff 000000ff 002A");
    EXPECT_EQ(A("%lld|%.2f|%#lx", -5LL, 3.14159, 0xABCDu), "-5|3.14|0xabcd");
    EXPECT_EQ(A("%#lx", reinterpret_cast<void *>(0x1234567890ULL)), "0x34567890");
    EXPECT_EQ(A("%p", reinterpret_cast<void *>(0xDEADBEEFULL)), "00000000DEADBEEF");
    EXPECT_EQ(W(u"%s%.2f~%.2f %s", u"H: ", 10.0, 1000.0, u"mm"), u"H: 10.00~1000.00 mm");
}

TEST_F(CrtNumbers, ParseLikeMsvc)
{
    EXPECT_EQ(_wtoi(u"  -42abc"), -42);
    EXPECT_EQ(_wtoi(u"+7"), 7);
    EXPECT_EQ(_wtoi(u"x1"), 0);
    EXPECT_EQ(_wtoi(u"99999999999"), INT32_MAX);
    EXPECT_DOUBLE_EQ(_wtof(u" 2.5e2mm"), 250.0);
    EXPECT_DOUBLE_EQ(_wtof(u"-0.125;"), -0.125);
}

TEST_F(CrtStrings, CopiesFollowTheirContracts)
{
    WCHAR buffer[6];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    wcsncpy(buffer, u"ab", 5);
    EXPECT_EQ(std::u16string(buffer, 6), std::u16string(u"ab\0\0\0#", 6));
    wcsncpy(buffer, u"abcdefg", 3);  // no terminator when the source is long
    EXPECT_EQ(buffer[3], 0);         // left from before
}

TEST_F(CrtStrings, Win32CopiesAndComparisons)
{
    WCHAR buffer[4];
    EXPECT_EQ(lstrcpynW(buffer, u"abcdef", 4), buffer);
    EXPECT_EQ(std::u16string(buffer), u"abc");
    EXPECT_EQ(lstrcpynW(buffer, u"xy", 1), buffer);
    EXPECT_EQ(buffer[0], 0);

    EXPECT_LT(lstrcmpW(u"abc", u"ABD"), 0);  // case-insensitive first
    EXPECT_LT(lstrcmpW(u"abc", u"ABC"), 0);  // then lower case before upper
    EXPECT_GT(lstrcmpW(u"Abc", u"abc"), 0);
    EXPECT_EQ(lstrcmpW(u"abc", u"abc"), 0);
    EXPECT_LT(lstrcmpW(u"_x", u"1"), 0);  // symbols before digits before letters
    EXPECT_LT(lstrcmpW(u"9", u"a"), 0);
}

TEST_F(CrtCodePages, MultiByteToWideCharSizeProtocol)
{
    const char *text = "caf\xc3\xa9 \xf0\x9f\x98\x80";  // U+1F600 takes a surrogate pair
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0), 8);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, 3, nullptr, 0), 3);  // no terminator counted

    WCHAR buffer[8];
    EXPECT_RESULT_AND_ERROR(MultiByteToWideChar(CP_UTF8, 0, text, -1, buffer, 7), 0, ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, buffer, 8), 8);
    EXPECT_EQ(std::u16string(buffer), u"caf\u00e9 \U0001F600");

    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0,
                                  "a\xff"
                                  "b",
                                  3, buffer, 8),
              3);
    EXPECT_EQ(buffer[1], 0xFFFD);
    EXPECT_RESULT_AND_ERROR(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xff", 2, buffer, 8), 0,
                            ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_RESULT_AND_ERROR(MultiByteToWideChar(CP_UTF8, 0, nullptr, -1, buffer, 8), 0, ERROR_INVALID_PARAMETER);
}

TEST_F(CrtCodePages, WideCharToMultiByteRoundTrip)
{
    const WCHAR *text = u"\u4e2d\u6587";
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr), 7);
    char buffer[7];
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, 7, nullptr, nullptr), 7);
    EXPECT_STREQ(buffer, "\xe4\xb8\xad\xe6\x96\x87");
    EXPECT_RESULT_AND_ERROR(WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, 6, nullptr, nullptr), 0,
                            ERROR_INSUFFICIENT_BUFFER);
    standin::FailNext("WideCharToMultiByte", 1, ERROR_OUTOFMEMORY);
    EXPECT_RESULT_AND_ERROR(WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, 7, nullptr, nullptr), 0,
                            ERROR_OUTOFMEMORY);
}

// ASCII is copied a block at a time: characters of every length and bad
// sequences at and around the block edges convert as one by one.
TEST_F(CrtCodePages, ConversionAcrossAsciiBlocks)
{
    const std::string others[] = {"\xc3\xa9", "\xe4\xb8\xad", "\xf0\x9f\x98\x80"};
    const std::u16string wide[] = {u"\u00e9", u"\u4e2d", u"\U0001F600"};
    for (size_t at : {0u, 1u, 15u, 16u, 17u, 31u, 32u, 33u, 40u}) {
        for (size_t k = 0; k < 3; ++k) {
            std::string narrow = std::string(at, 'a') + others[k] + std::string(20, 'b');
            std::u16string expected = std::u16string(at, u'a') + wide[k] + std::u16string(20, u'b');
            int units = MultiByteToWideChar(CP_UTF8, 0, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0);
            ASSERT_EQ(units, static_cast<int>(expected.size())) << at;
            std::u16string back(static_cast<size_t>(units), u'\0');
            MultiByteToWideChar(CP_UTF8, 0, narrow.data(), static_cast<int>(narrow.size()), &back[0], units);
            EXPECT_EQ(back, expected) << at << " " << k;
            int bytes = WideCharToMultiByte(CP_UTF8, 0, expected.data(), units, nullptr, 0, nullptr, nullptr);
            std::string again(static_cast<size_t>(bytes), '\0');
            WideCharToMultiByte(CP_UTF8, 0, expected.data(), units, &again[0], bytes, nullptr, nullptr);
            EXPECT_EQ(again, narrow) << at << " " << k;
        }
        // A cut sequence and an unpaired surrogate become U+FFFD.
        std::string cut = std::string(at, 'a') + "\xe4\xb8" + "z";
        std::u16string replaced(static_cast<size_t>(at) + 2, u'a');
        replaced[at] = 0xFFFD;
        replaced[at + 1] = u'z';
        std::u16string got(replaced.size(), u'\0');
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, cut.data(), static_cast<int>(cut.size()), &got[0],
                                      static_cast<int>(got.size())),
                  static_cast<int>(replaced.size()));
        EXPECT_EQ(got, replaced) << at;
        std::u16string lone = std::u16string(at, u'a') + u'\xD800' + u'z';
        char narrow[64];
        int n = WideCharToMultiByte(CP_UTF8, 0, lone.data(), static_cast<int>(lone.size()), narrow, sizeof narrow,
                                    nullptr, nullptr);
        EXPECT_EQ(std::string(narrow, static_cast<size_t>(n)), std::string(at, 'a') + "\xef\xbf\xbdz") << at;
    }
}

}  // namespace
