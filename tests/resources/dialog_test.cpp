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
constexpr uint32_t kCbsTypeMask = 3, kCbsDropDownList = 3;
constexpr uint32_t kUdsAlignRight = 0x4, kUdsAutoBuddy = 0x10, kUdsArrowKeys = 0x20, kUdsSetBuddyInt = 0x2;
constexpr uint32_t kLvsTypeMask = 3, kLvsReport = 1;

// The 17 languages of the resources: Simplified Chinese first.
const WORD kLanguages[] = {0x0804, 0x0409, 0x0404, 0x0411, 0x0412, 0x0407, 0x040C, 0x0C0A, 0x0410,
                           0x0416, 0x0419, 0x0415, 0x0413, 0x041F, 0x0405, 0x041E, 0x042A};
constexpr WORD kChineseSimplified = 0x0804;

// ---------------------------------------------------------------------------
// Parsing.

struct Item {
    uint32_t style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    int32_t id = 0;
    std::u16string cls;  // class name, or empty when it is an ordinal
    int clsOrdinal = -1, titleOrdinal = -1;
    bool titled = false;  // a text rather than a resource ordinal (a picture)
};

struct Template {
    uint32_t style = 0;
    std::u16string font;
    int pointSize = 0;
    std::vector<Item> items;
};

// Little-endian fields of a resource, read within its size.
struct Reader {
    const uint8_t *data;
    size_t size, pos = 0;
    bool ok = true;
    uint32_t Read(size_t bytes)
    {
        uint32_t v = 0;
        for (size_t i = 0; i < bytes && (ok = ok && pos < size); ++i)
            v |= uint32_t(data[pos++]) << (8 * i);
        return v;
    }
    std::u16string Str()
    {
        std::u16string s;
        for (uint16_t c; ok && (c = uint16_t(Read(2))) != 0;)
            s += char16_t(c);
        return s;
    }
    // A sz_Or_Ord: the ordinal, or -1 with the string in *s.
    int SzOrOrd(std::u16string *s)
    {
        if (pos + 2 <= size && data[pos] == 0xFF && data[pos + 1] == 0xFF)
            return Read(2), int(Read(2));
        *s = Str();
        return -1;
    }
    void Skip(size_t n) { pos + n > size ? void(ok = false) : void(pos += n); }
};

std::optional<Template> Parse(const uint8_t *data, size_t size)
{
    Reader r{data, size};
    Template t;
    if (r.Read(2) != 1 || r.Read(2) != 0xFFFF)
        return std::nullopt;  // a DLGTEMPLATEEX
    r.Skip(8);                // helpID, exStyle
    t.style = r.Read(4);
    int count = int(r.Read(2));
    r.Skip(8);  // x, y, cx, cy
    std::u16string ignored;
    r.SzOrOrd(&ignored);  // menu
    r.SzOrOrd(&ignored);  // window class
    r.Str();              // title
    if (t.style & kDsSetFont) {
        t.pointSize = int(r.Read(2));
        r.Skip(4);  // weight, italic, charset
        t.font = r.Str();
    }
    for (int i = 0; i < count && r.ok; ++i) {
        r.pos = std::min(r.size, (r.pos + 3) & ~size_t(3));  // DWORD aligned
        Item it;
        r.Skip(8);  // helpID, exStyle
        it.style = r.Read(4);
        it.x = int16_t(r.Read(2)), it.y = int16_t(r.Read(2)), it.cx = int16_t(r.Read(2)), it.cy = int16_t(r.Read(2));
        it.id = int32_t(r.Read(4));
        it.clsOrdinal = r.SzOrOrd(&it.cls);
        std::u16string title;
        it.titleOrdinal = r.SzOrOrd(&title);
        it.titled = !title.empty();
        r.Skip(r.Read(2));  // creation data
        t.items.push_back(it);
    }
    if (!r.ok)
        return std::nullopt;
    return t;
}

// ---------------------------------------------------------------------------
// What the templates must hold.

// The kinds of control with rules of their own; any other known kind is Other.
enum class Kind { Other, DefPush, Picture, Combo, Edit, UpDown, ListView };

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

bool ClassIs(const Item &it, int ordinal, std::u16string name)
{
    if (it.clsOrdinal != -1)
        return it.clsOrdinal == ordinal;
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    return std::equal(it.cls.begin(), it.cls.end(), name.begin(), name.end(),
                      [&](char16_t a, char16_t b) { return lower(a) == lower(b); });
}

// The kind of a control by its class and the type bits of its style; none
// for any other.
std::optional<Kind> KindOf(const Item &it)
{
    using K = std::optional<Kind>;
    if (ClassIs(it, 0x80, u"Button")) {  // push, default push, auto check box, group box, auto radio button
        uint32_t type = it.style & 0xF;
        return type == 1 ? K(Kind::DefPush) : type == 0 || type == 3 || type == 7 || type == 9 ? K(Kind::Other) : K();
    }
    if (ClassIs(it, 0x82, u"Static")) {  // left, centred or right text, a bitmap, an etched line
        uint32_t type = it.style & 0x1F;
        return type == 0xE ? K(Kind::Picture) : type <= 2 || type == 0x10 ? K(Kind::Other) : K();
    }
    for (auto [ordinal, name, kind] : {std::tuple<int, const char16_t *, Kind>{0x81, u"Edit", Kind::Edit},
                                       {0x85, u"ComboBox", Kind::Combo},
                                       {-2, u"msctls_updown32", Kind::UpDown},
                                       {-2, u"msctls_trackbar32", Kind::Other},
                                       {-2, u"SysListView32", Kind::ListView},
                                       {-2, u"msctls_progress32", Kind::Other}})
        if (ClassIs(it, ordinal, name))
            return kind;
    return K();
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
        const void *p = res != nullptr ? LockResource(LoadResource(module_, res)) : nullptr;
        if (p == nullptr)
            return std::nullopt;
        return Parse(static_cast<const uint8_t *>(p), SizeofResource(module_, res));
    }
    static HINSTANCE module_;
};
HINSTANCE DialogTest::module_ = nullptr;

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
        return std::make_tuple(i.id, i.style, i.x, i.y, i.cx, i.cy, i.titleOrdinal, i.titled);
    };
    for (const Dialog &d : kDialogs) {
        auto base = Load(d.id, kChineseSimplified);
        ASSERT_TRUE(base);
        for (WORD lang : kLanguages) {
            if (!d.everyLanguage && lang != kChineseSimplified)
                continue;
            SCOPED_TRACE("dialog " + std::to_string(d.id) + " language " + std::to_string(lang));
            auto t = Load(d.id, lang);
            ASSERT_TRUE(t);
            EXPECT_EQ(t->style & kDsShellFont, kDsShellFont);
            EXPECT_TRUE(t->font == u"MS Shell Dlg" && t->pointSize == 8);
            if (d.page) {
                EXPECT_EQ(t->style & (kWsChild | kDsControl | kWsPopup | kWsVisible | kDsModalFrame),
                          kWsChild | kDsControl);
            } else {
                EXPECT_EQ(t->style & (kWsPopup | kWsCaption | kDsModalFrame | kWsChild),
                          kWsPopup | kWsCaption | kDsModalFrame);
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
                ASSERT_TRUE(kind) << "control " << it.id;
                EXPECT_EQ(it.style & (kWsChild | kWsVisible), kWsChild | kWsVisible) << "control " << it.id;
                defaults += *kind == Kind::DefPush;
                if (*kind == Kind::Picture && it.titleOrdinal > 0) {
                    EXPECT_NE(FindResourceW(module_, MAKEINTRESOURCEW(it.titleOrdinal), RT_BITMAP), nullptr);
                }
                if (*kind == Kind::Combo) {
                    EXPECT_TRUE((it.style & kCbsTypeMask) == kCbsDropDownList && it.cy >= 60) << "control " << it.id;
                }
                if (*kind == Kind::UpDown) {
                    EXPECT_EQ(it.style & (kUdsArrowKeys | kUdsAutoBuddy | kUdsAlignRight | kUdsSetBuddyInt),
                              kUdsArrowKeys | kUdsAutoBuddy | kUdsAlignRight);
                    EXPECT_TRUE(i > 0 && KindOf(t->items[i - 1]) == Kind::Edit) << "control " << it.id;
                }
                EXPECT_TRUE(*kind != Kind::ListView || (it.style & kLvsTypeMask) == kLvsReport);
            }
            EXPECT_LE(defaults, 1);
        }
    }
}

}  // namespace
