#include "platform/linux/crt/crt.h"
#include "resources/res_blob.h"
#include "platform/linux/res/res.h"
#include "platform/linux/testing/leakcheck.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

// The languages of the string tables, Simplified Chinese first.
const LANGID kLanguages[] = {0x0804, 0x0409, 0x0404, 0x0411, 0x0412, 0x0407, 0x040C, 0x0C0A, 0x0410,
                             0x0416, 0x0419, 0x0415, 0x0413, 0x041F, 0x0405, 0x041E, 0x042A};
const UINT kTextIds[] = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39};

class ResTest : public standin_testing::LeakCheckTest {
protected:
    static void SetUpTestSuite() { module_ = RegisterPluginResources(); }
    static void TearDownTestSuite() { standin::UnregisterModule(module_); }
    void SetUp() override
    {
        ASSERT_NE(module_, nullptr);
        LeakCheckTest::SetUp();
    }
    void TearDown() override
    {
        SetThreadUILanguage(0);  // follow the user's language again
        unsetenv("STANDIN_UI_LANGUAGE");
        LeakCheckTest::TearDown();
    }

    static std::u16string Load(UINT id, HINSTANCE module = module_)
    {
        WCHAR buffer[260];
        int n = LoadStringW(module, id, buffer, 260);
        return std::u16string(buffer, size_t(n > 0 ? n : 0));
    }
    // The string in exactly one language, read through the block resource,
    // so that a language that is missing is not hidden by the fallback.
    static std::u16string Exact(LANGID lang, UINT id)
    {
        HRSRC block = FindResourceExW(module_, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), lang);
        if (!block)
            return u"<no block>";
        auto *p = static_cast<const WCHAR *>(LockResource(LoadResource(module_, block)));
        const WCHAR *end = p + SizeofResource(module_, block) / 2;
        for (UINT i = 0; i < id % 16 && p < end; ++i)
            p += 1 + *p;
        return p < end ? std::u16string(p + 1, *p) : u"<bad block>";
    }

    static HINSTANCE module_;
};
HINSTANCE ResTest::module_ = nullptr;

TEST_F(ResTest, EveryLanguageHasEveryText)
{
    WORD langs[32];
    ASSERT_EQ(standin::ResourceLanguages(module_, RT_STRING, MAKEINTRESOURCEW(2), langs, 32), 17u);
    for (LANGID lang : kLanguages) {
        EXPECT_NE(std::find(langs, langs + 17, lang), langs + 17) << std::hex << lang;
        for (UINT id : kTextIds) {
            std::u16string text = Exact(lang, id);
            EXPECT_FALSE(text.empty() || text[0] == u'<') << std::hex << lang << std::dec << " id " << id;
        }
        // Blanks that the texts are joined with survive translation.
        std::u16string height = Exact(lang, 13);
        EXPECT_TRUE(!height.empty() && height.back() == u' ') << std::hex << lang;
        EXPECT_EQ(Exact(lang, 34).substr(0, 3), u" - ") << std::hex << lang;
        // Texts that are formats take the printer's name, then a count.
        for (auto [id, count] : {std::pair<UINT, bool>{37, false}, {38, true}}) {
            std::u16string format = Exact(lang, id);
            size_t name = format.find(u"%s"), number = format.find(u"%d");
            EXPECT_NE(name, std::u16string::npos) << std::hex << lang << std::dec << " id " << id;
            EXPECT_EQ(number != std::u16string::npos && number > name, count) << std::hex << lang << " id " << id;
            size_t percents = std::count(format.begin(), format.end(), u'%');
            EXPECT_EQ(percents, count ? 2u : 1u) << std::hex << lang << std::dec << " id " << id;
        }
        if (lang != 0x0409) {
            EXPECT_NE(Exact(lang, 12), Exact(0x0409, 12)) << "untranslated in " << std::hex << lang;
        }
        // Only the ids that are used exist.
        for (UINT id : {1u, 10u, 22u, 27u, 40u, 299u, 667u}) {
            std::u16string text = Exact(lang, id);
            EXPECT_TRUE(text.empty() || text[0] == u'<') << std::hex << lang << std::dec << " id " << id;
        }
    }
}

TEST_F(ResTest, NumbersAreTheSameInEveryLanguage)
{
    for (LANGID lang : kLanguages) {
        for (UINT id = IDS_NUMBER_FIRST; id <= IDS_SMALL_NUMBER_LAST; ++id) {
            std::string n = std::to_string(int(id) - (id <= IDS_NUMBER_LAST ? IDS_NUMBER_BASE : IDS_SMALL_NUMBER_BASE));
            ASSERT_EQ(Exact(lang, id), std::u16string(n.begin(), n.end()))
                << std::hex << lang << std::dec << " id " << id;
        }
    }
    SetThreadUILanguage(0x0804);
    EXPECT_EQ(Load(300) + Load(555) + Load(655) + Load(656) + Load(666), u"-100155255010");
}

TEST_F(ResTest, LanguageFollowsTheThread)
{
    // en-AU and es-MX find another form of their language; zh-SG reads
    // Simplified and zh-HK Traditional; Afrikaans is not there at all.
    const std::pair<LANGID, std::u16string> cases[] = {{0x0409, u"About"},     {0x0804, u"关于"},  {0x0404, u"關於"},
                                                       {0x0C09, u"About"},     {0x1004, u"关于"},  {0x0C04, u"關於"},
                                                       {0x080A, u"Acerca de"}, {0x0816, u"Sobre"}, {0x0436, u"About"}};
    for (auto &[lang, text] : cases) {
        SetThreadUILanguage(lang);
        EXPECT_EQ(Load(IDS_ABOUT), text) << std::hex << lang;
    }
    // The user's language comes before English, in any form of it.
    setenv("STANDIN_UI_LANGUAGE", "0x0C0C", 1);  // fr-CA
    SetThreadUILanguage(0x0436);
    EXPECT_EQ(Load(IDS_ABOUT), u"À propos");
}

TEST_F(ResTest, LoadStringWBufferProtocol)
{
    SetThreadUILanguage(0x0409);
    WCHAR buffer[8];
    std::fill(buffer, buffer + 8, u'#');
    EXPECT_EQ(LoadStringW(module_, IDS_ABOUT, buffer, 8), 5);
    EXPECT_EQ(std::u16string(buffer), u"About");
    EXPECT_EQ(LoadStringW(module_, IDS_ABOUT, buffer, 4), 3);
    EXPECT_EQ(std::u16string(buffer), u"Abo");
    EXPECT_EQ(LoadStringW(module_, IDS_ABOUT, buffer, 1), 0);
    EXPECT_EQ(buffer[0], 0);

    // A missing string in a block that exists, and a block that does not.
    for (UINT id : {22u, 1000u}) {
        buffer[0] = u'#';
        SetLastError(kSentinel);
        EXPECT_EQ(LoadStringW(module_, id, buffer, 8), 0);
        EXPECT_EQ(buffer[0], 0);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND)) << id;
    }
}

TEST_F(ResTest, AFailedLoadEmptiesTheBuffer)
{
    WCHAR buffer[8] = u"#";
    standin::FailNext("LoadStringW", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(LoadStringW(module_, IDS_ABOUT, buffer, 8), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(LoadStringW(module_, IDS_ABOUT, buffer, 8), 5);
}

// A .res image made by hand: the empty first record, then the records added.
struct Image {
    std::vector<unsigned char> bytes;
    std::vector<size_t> ends;  // where the image may end: after each record, with or without padding

    Image() : bytes{0, 0, 0, 0, 32, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0}, ends{32} { bytes.resize(32); }
    void Put16(unsigned v)
    {
        bytes.insert(bytes.end(), {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)});
    }
    void Put32(size_t at, unsigned v)
    {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<unsigned char>(v >> (8 * i));
    }
    void PutId(const std::u16string &id)
    {
        if (id[0] == u'#') {
            Put16(0xFFFF);
            Put16(unsigned(std::stoi(std::string(id.begin() + 1, id.end()))));
            return;
        }
        for (char16_t c : id)
            Put16(c);
        Put16(0);
    }
    // Returns the record's offset.
    size_t Add(const std::u16string &type, const std::u16string &name, WORD lang,
               const std::vector<unsigned char> &data)
    {
        size_t at = bytes.size();
        bytes.resize(at + 8);
        PutId(type), PutId(name);
        bytes.resize((bytes.size() + 3) & ~size_t(3));
        bytes.resize(bytes.size() + 16);
        bytes[bytes.size() - 10] = LOBYTE(lang), bytes[bytes.size() - 9] = static_cast<unsigned char>(lang >> 8);
        Put32(at, unsigned(data.size())), Put32(at + 4, unsigned(bytes.size() - at));
        bytes.insert(bytes.end(), data.begin(), data.end());
        for (size_t end = bytes.size(); end <= ((bytes.size() + 3) & ~size_t(3)); ++end)
            ends.push_back(end);
        bytes.resize((bytes.size() + 3) & ~size_t(3));
        return at;
    }
    static std::vector<unsigned char> Strings(UINT index, const std::u16string &text)
    {
        std::vector<unsigned char> block;
        for (UINT i = 0; i < 16; ++i) {
            std::u16string s = i == index ? text : u"";
            block.insert(block.end(), {static_cast<unsigned char>(s.size()), 0});
            for (char16_t c : s)
                block.insert(block.end(), {static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8)});
        }
        return block;
    }
};

Image Sample()
{
    Image image;
    image.Add(u"#6", u"#2", 0x0405, Image::Strings(1, u"O aplikaci"));
    image.Add(u"#6", u"#2", 0x0411, Image::Strings(1, u"バージョン情報"));
    image.Add(u"png", u"Logo", 0x0409, {'x', 'y', 'z'});
    return image;
}

using ResImageTest = standin_testing::LeakCheckTest;

TEST_F(ResImageTest, HandMadeImagesAreReadAtAnyAlignment)
{
    Image image = Sample();
    std::vector<unsigned char> shifted(image.bytes.size() + 1);
    std::copy(image.bytes.begin(), image.bytes.end(), shifted.begin() + 1);
    HINSTANCE modules[] = {standin::RegisterModule(image.bytes.data(), image.bytes.size(), "/opt/orvo/sample.dll"),
                           standin::RegisterModule(shifted.data() + 1, image.bytes.size(), "shifted.dll")};
    for (HINSTANCE m : modules) {
        ASSERT_NE(m, nullptr);
        HRSRC logo = FindResourceW(m, u"LOGO", u"PNG");
        ASSERT_NE(logo, nullptr);
        EXPECT_EQ(SizeofResource(m, logo), 3u);
        EXPECT_EQ(std::string(static_cast<const char *>(LockResource(LoadResource(m, logo))), 3), "xyz");
        WORD langs[1];
        EXPECT_EQ(standin::ResourceLanguages(m, RT_STRING, MAKEINTRESOURCEW(2), langs, 1), 2u);
        EXPECT_EQ(langs[0], 0x0405);
        // No language of the thread or the user: the first in the file.
        SetThreadUILanguage(0x0436);
        WCHAR buffer[16];
        EXPECT_EQ(LoadStringW(m, 17, buffer, 16), 10);
        EXPECT_EQ(std::u16string(buffer), u"O aplikaci");
        SetThreadUILanguage(0x0411);
        EXPECT_EQ(LoadStringW(m, 17, buffer, 16), 7);
        SetThreadUILanguage(0);
    }
    for (HINSTANCE m : modules)
        standin::UnregisterModule(m);
}

TEST_F(ResImageTest, TruncatedImagesAreRejected)
{
    // Every prefix is read from a block of exactly its size, so that a read
    // past the end shows under AddressSanitizer.
    Image image = Sample();
    for (size_t size = 0; size < image.bytes.size(); ++size) {
        std::vector<unsigned char> prefix(image.bytes.begin(), image.bytes.begin() + long(size));
        HINSTANCE m = standin::RegisterModule(prefix.data(), size, "prefix.dll");
        bool boundary = std::find(image.ends.begin(), image.ends.end(), size) != image.ends.end();
        EXPECT_EQ(m != nullptr, boundary) << size;
        if (m)
            standin::UnregisterModule(m);
    }
}

TEST_F(ResImageTest, MalformedImagesAreRejected)
{
    Image base;
    size_t strings = base.Add(u"#6", u"#2", 0x0409, Image::Strings(1, u"About"));
    size_t named = base.Add(u"PNG", u"LOGO", 0x0409, {1, 2, 3});
    const std::pair<const char *, std::function<void(Image &)>> cases[] = {
        {"first record not empty", [](Image &i) { i.Put32(0, 4); }},
        {"first header not 32", [](Image &i) { i.bytes[4] = 36; }},
        {"header below the minimum", [&](Image &i) { i.Put32(strings + 4, 28); }},
        {"header not aligned", [&](Image &i) { i.Put32(strings + 4, 34); }},
        {"header past the end", [&](Image &i) { i.Put32(strings + 4, 0x7FFFFFF0); }},
        {"data past the end", [&](Image &i) { i.Put32(strings, 0xFFFFFFF0); }},
        {"names past the header", [&](Image &i) { i.Put32(named + 4, 32); }},
        {"string runs past its block", [&](Image &i) { i.bytes[strings + 32 + 2] = 200; }},
        {"string block 0", [&](Image &i) { i.bytes[strings + 14] = 0; }},
        {"the same resource twice", [](Image &i) { i.Add(u"#6", u"#2", 0x0409, Image::Strings(1, u"Again")); }},
        {"trailing bytes",
         [](Image &i) {
             i.bytes.insert(i.bytes.end(), {0, 0, 0, 0});
         }},
    };
    ASSERT_NE(standin::RegisterModule(base.bytes.data(), base.bytes.size(), "base.dll"), nullptr);
    standin::UnregisterModule(GetModuleHandleW(u"base.dll"));
    for (auto &[what, damage] : cases) {
        Image image = base;
        damage(image);
        SetLastError(kSentinel);
        EXPECT_EQ(standin::RegisterModule(image.bytes.data(), image.bytes.size(), "bad.dll"), nullptr) << what;
        EXPECT_EQ(GetLastError(), DWORD(ERROR_BAD_EXE_FORMAT)) << what;
    }
}

}  // namespace
