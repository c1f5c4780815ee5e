// The dialog templates in the compiled resources, read as the platform reads
// them (FindResourceExW with RT_DIALOG, per language): every template in its
// languages, as a DLGTEMPLATEEX with the shell font, every control of a known
// kind keeping that kind's rules, and one layout for every language. Whether
// the controls lie apart and their texts fit is measured in real fonts by the
// layout check under Wine (tests/windows/layout.cpp).
#include "platform/linux/res/res.h"
#include "platform/linux/testing/leakcheck.h"
#include "resources/res_blob.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Styles (the published values) that the checks look at.
constexpr uint32_t kWsPopup = 0x80000000u, kWsChild = 0x40000000u, kWsVisible = 0x10000000u, kWsCaption = 0x00C00000u,
                   kWsSysMenu = 0x00080000u;
constexpr uint32_t kDsSetFont = 0x40, kDsModalFrame = 0x80, kDsControl = 0x400, kDsShellFont = 0x48;
constexpr uint32_t kBsTypeMask = 0xF, kBsPush = 0, kBsDefPush = 1, kBsAutoCheck = 3, kBsGroupBox = 7, kBsAutoRadio = 9;
constexpr uint32_t kSsTypeMask = 0x1F, kSsLeft = 0, kSsCenter = 1, kSsRight = 2, kSsBitmap = 0xE, kSsEtchedHorz = 0x10;
constexpr uint32_t kCbsTypeMask = 3, kCbsDropDownList = 3;
constexpr uint32_t kUdsAlignRight = 0x4, kUdsAutoBuddy = 0x10, kUdsArrowKeys = 0x20, kUdsSetBuddyInt = 0x2;
constexpr uint32_t kLvsTypeMask = 3, kLvsReport = 1;

// The 17 languages of the resources: Simplified Chinese first.
struct Language {
    WORD id;
    const char *tag;
};
const Language kLanguages[] = {
    {0x0804, "zh-CN"}, {0x0409, "en-US"}, {0x0404, "zh-TW"}, {0x0411, "ja-JP"}, {0x0412, "ko-KR"}, {0x0407, "de-DE"},
    {0x040C, "fr-FR"}, {0x0C0A, "es-ES"}, {0x0410, "it-IT"}, {0x0416, "pt-BR"}, {0x0419, "ru-RU"}, {0x0415, "pl-PL"},
    {0x0413, "nl-NL"}, {0x041F, "tr-TR"}, {0x0405, "cs-CZ"}, {0x041E, "th-TH"}, {0x042A, "vi-VN"},
};
constexpr WORD kChineseSimplified = 0x0804;

// ---------------------------------------------------------------------------
// Parsing.

struct Item {
    uint32_t style = 0, exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    int32_t id = 0;
    std::u16string cls;     // class name, or empty when it is an ordinal
    int clsOrdinal = -1;    // predefined class, or -1
    std::u16string title;   // text, or empty when it is an ordinal
    int titleOrdinal = -1;  // resource ordinal (picture), or -1
};

struct Template {
    uint32_t style = 0, exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::u16string title, font;
    int pointSize = 0;
    std::vector<Item> items;
};

class Reader {
public:
    Reader(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    uint16_t U16()
    {
        if (pos_ + 2 > size_)
            return Fail(), 0;
        uint16_t v = uint16_t(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return v;
    }
    uint32_t U32()
    {
        uint32_t lo = U16();
        return lo | uint32_t(U16()) << 16;
    }
    int S16() { return int16_t(U16()); }
    uint8_t U8()
    {
        if (pos_ + 1 > size_)
            return Fail(), 0;
        return data_[pos_++];
    }
    std::u16string Str()
    {
        std::u16string s;
        for (uint16_t c; ok_ && (c = U16()) != 0;)
            s += char16_t(c);
        return s;
    }
    // A sz_Or_Ord: returns the ordinal, or -1 with the string in *s.
    int SzOrOrd(std::u16string *s)
    {
        s->clear();
        if (pos_ + 2 > size_)
            return Fail(), -1;
        uint16_t first = uint16_t(data_[pos_] | data_[pos_ + 1] << 8);
        if (first == 0xFFFF) {
            pos_ += 2;
            return U16();
        }
        *s = Str();
        return -1;
    }
    void Skip(size_t n)
    {
        if (pos_ + n > size_)
            return Fail();
        pos_ += n;
    }
    void Align4() { pos_ = std::min(size_, (pos_ + 3) & ~size_t(3)); }

private:
    void Fail() { ok_ = false; }
    const uint8_t *data_;
    size_t size_, pos_ = 0;
    bool ok_ = true;
};

std::optional<Template> Parse(const uint8_t *data, size_t size)
{
    Reader r(data, size);
    Template t;
    if (r.U16() != 1 || r.U16() != 0xFFFF)
        return std::nullopt;  // a DLGTEMPLATEEX
    r.U32();                  // helpID
    t.exStyle = r.U32();
    t.style = r.U32();
    int count = r.U16();
    t.x = r.S16(), t.y = r.S16(), t.cx = r.S16(), t.cy = r.S16();
    std::u16string ignored;
    r.SzOrOrd(&ignored);  // menu
    r.SzOrOrd(&ignored);  // window class
    t.title = r.Str();
    if (t.style & kDsSetFont) {
        t.pointSize = r.U16();
        r.U16();  // weight
        r.U8();   // italic
        r.U8();   // charset
        t.font = r.Str();
    }
    for (int i = 0; i < count && r.ok(); ++i) {
        r.Align4();
        Item it;
        r.U32();  // helpID
        it.exStyle = r.U32();
        it.style = r.U32();
        it.x = r.S16(), it.y = r.S16(), it.cx = r.S16(), it.cy = r.S16();
        it.id = int32_t(r.U32());
        it.clsOrdinal = r.SzOrOrd(&it.cls);
        it.titleOrdinal = r.SzOrOrd(&it.title);
        r.Skip(r.U16());  // creation data
        t.items.push_back(it);
    }
    if (!r.ok())
        return std::nullopt;
    return t;
}

// UTF-8, converted as the platform converts it.
std::string Utf8(const std::u16string &s)
{
    std::string out(s.size() * 3, '\0');
    int n = s.empty()
                ? 0
                : WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), &out[0], int(out.size()), nullptr, nullptr);
    out.resize(size_t(n));
    return out;
}

// ---------------------------------------------------------------------------
// What the templates must hold.

enum class Kind {
    Push,
    DefPush,
    Check,
    Radio,
    GroupBox,
    Text,
    Picture,
    Etched,
    Combo,
    Edit,
    UpDown,
    Trackbar,
    ListView,
    Progress
};

// The templates and where they are: every language, or Simplified Chinese
// only; a property page (child) or a modal dialog.
struct Dialog {
    int id;
    bool everyLanguage;
    bool page;
};
const Dialog kDialogs[] = {
    {IDD_PAGE_SETUP, true, true},    {IDD_PAGE_SETUP_EX, true, true}, {IDD_GRAPHICS, true, true},
    {IDD_OTHER, true, true},         {IDD_PAPER_STOCK, true, false},  {IDD_DISTRIBUTED_PRINTING, true, false},
    {IDD_RIBBON_WIDTH, true, false}, {IDD_ABOUT, false, true},        {IDD_RIBBON_QUERY, false, false},
};

bool ClassIs(const Item &it, int ordinal, const char16_t *name)
{
    if (it.clsOrdinal == ordinal)
        return true;
    if (it.clsOrdinal != -1)
        return false;
    std::u16string a = it.cls, b = name;
    auto lower = [](std::u16string s) {
        for (auto &c : s)
            if (c >= u'A' && c <= u'Z')
                c = char16_t(c + 32);
        return s;
    };
    return lower(a) == lower(b);
}

std::optional<Kind> KindOf(const Item &it)
{
    if (ClassIs(it, 0x80, u"Button")) {
        switch (it.style & kBsTypeMask) {
        case kBsPush:
            return Kind::Push;
        case kBsDefPush:
            return Kind::DefPush;
        case kBsAutoCheck:
            return Kind::Check;
        case kBsAutoRadio:
            return Kind::Radio;
        case kBsGroupBox:
            return Kind::GroupBox;
        }
        return std::nullopt;
    }
    if (ClassIs(it, 0x82, u"Static")) {
        switch (it.style & kSsTypeMask) {
        case kSsLeft:
        case kSsCenter:
        case kSsRight:
            return Kind::Text;
        case kSsBitmap:
            return Kind::Picture;
        case kSsEtchedHorz:
            return Kind::Etched;
        }
        return std::nullopt;
    }
    if (ClassIs(it, 0x81, u"Edit"))
        return Kind::Edit;
    if (ClassIs(it, 0x85, u"ComboBox"))
        return Kind::Combo;
    if (ClassIs(it, -2, u"msctls_updown32"))
        return Kind::UpDown;
    if (ClassIs(it, -2, u"msctls_trackbar32"))
        return Kind::Trackbar;
    if (ClassIs(it, -2, u"SysListView32"))
        return Kind::ListView;
    if (ClassIs(it, -2, u"msctls_progress32"))
        return Kind::Progress;
    return std::nullopt;
}

std::string Describe(const Item &it)
{
    return "control " + std::to_string(it.id) + " \"" + Utf8(it.title) + "\" at " + std::to_string(it.x) + "," +
           std::to_string(it.y) + " " + std::to_string(it.cx) + "x" + std::to_string(it.cy);
}

class DialogTest : public standin_testing::LeakCheckTest {
protected:
    static void SetUpTestSuite() { module_ = RegisterPluginResources(); }
    static void TearDownTestSuite() { standin::UnregisterModule(module_); }
    void SetUp() override
    {
        ASSERT_NE(module_, nullptr);
        LeakCheckTest::SetUp();
    }

    static std::optional<Template> Load(int id, WORD lang)
    {
        HRSRC res = FindResourceExW(module_, RT_DIALOG, MAKEINTRESOURCEW(id), lang);
        if (!res)
            return std::nullopt;
        const void *p = LockResource(LoadResource(module_, res));
        if (!p)
            return std::nullopt;
        return Parse(static_cast<const uint8_t *>(p), SizeofResource(module_, res));
    }
    static std::vector<WORD> LanguagesOf(const Dialog &d)
    {
        std::vector<WORD> langs;
        for (const Language &l : kLanguages)
            if (d.everyLanguage || l.id == kChineseSimplified)
                langs.push_back(l.id);
        return langs;
    }
    static const char *Tag(WORD lang)
    {
        for (const Language &l : kLanguages)
            if (l.id == lang)
                return l.tag;
        return "?";
    }
    static HINSTANCE module_;
};
HINSTANCE DialogTest::module_ = nullptr;

TEST_F(DialogTest, EveryTemplateIsInItsLanguages)
{
    for (const Dialog &d : kDialogs) {
        SCOPED_TRACE("dialog " + std::to_string(d.id));
        WORD langs[32] = {};
        size_t n = standin::ResourceLanguages(module_, RT_DIALOG, MAKEINTRESOURCEW(d.id), langs, 32);
        EXPECT_EQ(n, d.everyLanguage ? std::size(kLanguages) : 1u);
        for (const Language &l : kLanguages) {
            bool expected = d.everyLanguage || l.id == kChineseSimplified;
            SetLastError(0);
            HRSRC res = FindResourceExW(module_, RT_DIALOG, MAKEINTRESOURCEW(d.id), l.id);
            EXPECT_EQ(res != nullptr, expected) << l.tag;
            if (!expected) {
                EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_LANG_NOT_FOUND)) << l.tag;
            }
            if (expected) {
                EXPECT_TRUE(Load(d.id, l.id).has_value()) << l.tag << ": not a DLGTEMPLATEEX";
            }
        }
        // Any user's language finds a template of the one-language dialogs.
        if (!d.everyLanguage) {
            EXPECT_NE(FindResourceW(module_, MAKEINTRESOURCEW(d.id), RT_DIALOG), nullptr);
        }
    }
}

// Each template in each of its languages: the shell font (a property sheet
// lays out its pages in its own font unless they carry DS_SHELLFONT), the
// styles of a page or a modal dialog, the rules of each kind of control
// whatever its id (a list drops down with room to open, an up-down's buddy
// is the edit before it, one default push button at most, nothing starts
// hidden), and one layout for every language: the same controls in the same
// places and order as in Simplified Chinese, only the texts differing.
TEST_F(DialogTest, EveryTemplateKeepsItsRulesInEveryLanguage)
{
    auto layout = [](const Item &i) {
        return std::make_tuple(i.id, i.style, i.x, i.y, i.cx, i.cy, i.titleOrdinal, i.title.empty());
    };
    for (const Dialog &d : kDialogs) {
        auto base = Load(d.id, kChineseSimplified);
        ASSERT_TRUE(base);
        for (WORD lang : LanguagesOf(d)) {
            SCOPED_TRACE("dialog " + std::to_string(d.id) + " " + Tag(lang));
            auto t = Load(d.id, lang);
            ASSERT_TRUE(t);
            EXPECT_EQ(t->style & kDsShellFont, kDsShellFont);
            EXPECT_EQ(Utf8(t->font), "MS Shell Dlg");
            EXPECT_EQ(t->pointSize, 8);
            if (d.page) {
                EXPECT_EQ(t->style & (kWsChild | kDsControl), kWsChild | kDsControl);
                EXPECT_EQ(t->style & (kWsPopup | kWsVisible | kDsModalFrame), 0u);
            } else {
                EXPECT_EQ(t->style & (kWsPopup | kWsCaption | kDsModalFrame), kWsPopup | kWsCaption | kDsModalFrame);
                EXPECT_EQ(t->style & kWsChild, 0u);
                // The progress dialog has no close box: the query ends it.
                EXPECT_EQ((t->style & kWsSysMenu) != 0, d.id != IDD_RIBBON_QUERY);
            }
            EXPECT_EQ(t->style, base->style);
            ASSERT_EQ(t->items.size(), base->items.size());
            int defaults = 0;
            for (size_t i = 0; i < t->items.size(); ++i) {
                const Item &it = t->items[i];
                EXPECT_EQ(layout(it), layout(base->items[i])) << i;
                auto kind = KindOf(it);
                ASSERT_TRUE(kind) << Describe(it);
                EXPECT_EQ(it.style & (kWsChild | kWsVisible), kWsChild | kWsVisible) << Describe(it);
                defaults += *kind == Kind::DefPush;
                if (*kind == Kind::Picture && it.titleOrdinal > 0) {
                    EXPECT_NE(FindResourceW(module_, MAKEINTRESOURCEW(it.titleOrdinal), RT_BITMAP), nullptr);
                }
                if (*kind == Kind::Combo) {
                    EXPECT_EQ(it.style & kCbsTypeMask, kCbsDropDownList) << Describe(it);
                    EXPECT_GE(it.cy, 60) << Describe(it);
                }
                if (*kind == Kind::UpDown) {
                    EXPECT_EQ(it.style & (kUdsArrowKeys | kUdsAutoBuddy | kUdsAlignRight | kUdsSetBuddyInt),
                              kUdsArrowKeys | kUdsAutoBuddy | kUdsAlignRight);
                    ASSERT_GT(i, 0u);
                    EXPECT_EQ(KindOf(t->items[i - 1]), Kind::Edit) << Describe(it);
                }
                if (*kind == Kind::ListView) {
                    EXPECT_EQ(it.style & kLvsTypeMask, kLvsReport);
                }
            }
            EXPECT_LE(defaults, 1);
        }
    }
}

}  // namespace
