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

TEST_F(CrtFormat, StringWidthsFollowMsvc)
{
    EXPECT_EQ(W(u"[%s|%S|%ls|%hs|%ws]", u"wide", "narrow", u"l", "h", u"w"), u"[wide|narrow|l|h|w]");
    EXPECT_EQ(A("[%s|%S|%hs|%ls]", "narrow", u"wide", "h", u"l"), "[narrow|wide|h|l]");
    EXPECT_EQ(W(u"%S", "caf\xc3\xa9"), u"caf\u00e9");
    EXPECT_EQ(A("%S", u"\u4e2d\U0001F600"), "\xe4\xb8\xad\xf0\x9f\x98\x80");
    EXPECT_EQ(W(u"%c%C%hc%lc", u'\u00e9', 'n', 'h', u'l'), u"\u00e9nhl");
    EXPECT_EQ(A("%c%C", 'n', u'\u00e9'), "n\xc3\xa9");
    EXPECT_EQ(W(u"%s/%S", static_cast<WCHAR *>(nullptr), static_cast<char *>(nullptr)), u"(null)/(null)");
    EXPECT_EQ(A("%s", static_cast<char *>(nullptr)), "(null)");
}

TEST_F(CrtFormat, IntegersFlagsWidthAndPrecision)
{
    EXPECT_EQ(A("%d %i %u", -42, 7, 4294967295u), "-42 7 4294967295");
    EXPECT_EQ(A("[%5d|%-5d|%05d|%+d|% d|%.3d|%.0d]", -3, 3, -3, 3, 3, 7, 0), "[   -3|3    |-0003|+3| 3|007|]");
    EXPECT_EQ(A("%x %X %#x %#X %#x %o %#o", 255, 255, 255, 255, 0, 8, 8), "ff FF 0xff 0XFF 0 10 010");
    EXPECT_EQ(W(u"%#lx %ld %lu", 0xABCDu, -1, 4000000000u), u"0xabcd -1 4000000000");
    EXPECT_EQ(A("%lld %I64d %I64u %Iu %zu", -5LL, 1LL << 40, ~0ULL, size_t(9), size_t(10)),
              "-5 1099511627776 18446744073709551615 9 10");
    EXPECT_EQ(A("%hd %hu %hhd %hhu", 70000, 70000, 200, 511), "4464 4464 -56 255");
    EXPECT_EQ(A("[%*d|%-*d|%*d|%.*d]", 4, 1, 4, 2, -4, 3, 2, 4), "[   1|2   |3   |04]");
    // MSVC reads long as 32 bits: a pointer given to %#lx shows its low half.
    EXPECT_EQ(A("%#lx", reinterpret_cast<void *>(0x1234567890ULL)), "0x34567890");
}

TEST_F(CrtFormat, PointersAndOthers)
{
    EXPECT_EQ(A("%p", reinterpret_cast<void *>(0xDEADBEEFULL)), "00000000DEADBEEF");
    EXPECT_EQ(W(u"%p", reinterpret_cast<void *>(0x1ULL)), u"0000000000000001");
    EXPECT_EQ(A("[%.2f|%8.3f|%e|%g|%G]", 3.14159, -2.5, 1.0, 0.0001, 1e20),
              "[3.14|  -2.500|1.000000e+00|0.0001|1E+20]");
    EXPECT_EQ(A("100%% [%5s|%-5s|%.2s]", "ab", "ab", "abc"), "100% [   ab|ab   |ab]");
    EXPECT_EQ(W(u"[%.3s|%.3S]", u"abcdef", "abcdef"), u"[abc|abc]");
    // %n is disabled and writes nothing; the following argument still lines up.
    int stored = -1;
    EXPECT_EQ(A("a%nb%d", &stored, 5), "ab5");
    EXPECT_EQ(stored, -1);
    EXPECT_EQ(A("x%yz%"), "xz");
}

TEST_F(CrtFormat, WideLogLineIsCutTo259Units)
{
    std::u16string line(300, u'x');
    WCHAR buffer[260];
    EXPECT_EQ(_snwprintf_s(buffer, 260, _TRUNCATE, u"%s", line.c_str()), -1);
    EXPECT_EQ(wcslen(buffer), 259u);
    EXPECT_EQ(std::u16string(buffer), line.substr(0, 259));
    EXPECT_EQ(_snwprintf_s(buffer, 260, _TRUNCATE, u"%s", line.substr(0, 259).c_str()), 259);

    // A count below the size cuts there; swprintf_s empties what does not fit.
    EXPECT_EQ(_snwprintf_s(buffer, 260, 4, u"abcdef"), -1);
    EXPECT_EQ(std::u16string(buffer), u"abcd");
    EXPECT_EQ(swprintf_s(buffer, 5, u"abcdef"), -1);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(swprintf_s(buffer, 7, u"abc%d", 123), 6);
    EXPECT_EQ(std::u16string(buffer), u"abc123");
}

// The narrow log writer doubles its buffer while the formatting reports -1:
// a cut text reports it, a text that fits its length.
TEST_F(CrtFormat, NarrowLogTellsACutText)
{
    char small[8];
    EXPECT_EQ(_snprintf_s(small, sizeof(small), _TRUNCATE, "%s", "123456789"), -1);
    EXPECT_STREQ(small, "1234567");
    EXPECT_EQ(_snprintf_s(small, sizeof(small), _TRUNCATE, "%s", "1234567"), 7);
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
    EXPECT_EQ(towlower(u'\u0416'), u'\u0436');
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
