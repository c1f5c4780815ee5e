// The dialog templates in the compiled resources, read as the platform reads
// them (FindResourceExW with RT_DIALOG, per language): every control with
// its id, kind and style, the shell font, the English texts, one layout for
// every language, and a layout that holds in every language: controls
// inside the dialog, no two overlapping, every text fitting its control, the
// distributed printing list's column headers fitting their columns. Text
// widths here are an estimate; tests/windows/layout.cpp measures them in
// real fonts under Wine.
//
// A template made from DIALOGEX is a DLGTEMPLATEEX, all fields little-endian:
//   WORD dlgVer (1), WORD signature (0xFFFF), DWORD helpID, DWORD exStyle,
//   DWORD style, WORD cDlgItems, short x, y, cx, cy,
//   menu, window class: each a sz_Or_Ord (see below), title: a string,
//   when the style has DS_SETFONT: WORD pointsize, WORD weight, BYTE italic,
//   BYTE charset, typeface (a string);
// then cDlgItems DLGITEMTEMPLATEEX, each starting on a 4-byte boundary:
//   DWORD helpID, DWORD exStyle, DWORD style, short x, y, cx, cy, DWORD id,
//   window class and title: each a sz_Or_Ord, WORD extraCount and that many
//   bytes of creation data.
// A sz_Or_Ord is 0x0000 (none), 0xFFFF followed by a WORD ordinal, or a
// NUL-terminated UTF-16 string. The predefined classes have the ordinals
// 0x80 Button, 0x81 Edit, 0x82 Static, 0x83 ListBox, 0x84 ScrollBar and
// 0x85 ComboBox; a picture control's title is the ordinal of its bitmap.
// Coordinates are dialog units.
#include "platform/linux/res/res.h"
#include "platform/linux/testing/leakcheck.h"
#include "resources/res_blob.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
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

// UTF-8 and UTF-16, converted as the platform converts them.
std::string Utf8(const std::u16string &s)
{
    std::string out(s.size() * 3, '\0');
    int n = s.empty()
                ? 0
                : WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), &out[0], int(out.size()), nullptr, nullptr);
    out.resize(size_t(n));
    return out;
}

std::u16string U16(const char *utf8)
{
    std::u16string out(std::strlen(utf8), u'\0');
    int n = out.empty() ? 0 : MultiByteToWideChar(CP_UTF8, 0, utf8, int(out.size()), &out[0], int(out.size()));
    out.resize(size_t(n));
    return out;
}

// ---------------------------------------------------------------------------
// How wide a text is, estimated in dialog units. A dialog unit is a quarter
// of the font's average character width, so the estimate does not depend on
// the point size: an average Latin, Greek or Cyrillic letter is 4 units,
// capitals and the wide m and w more, the narrow letters and punctuation
// less; a CJK ideograph, kana, Hangul syllable or full-width form is 8; a
// Thai letter is 5 and a Thai or Latin combining mark takes no room. Text
// lines are 8 units high.

bool IsCombining(char16_t c)
{
    return (c >= 0x0300 && c <= 0x036F) || c == 0x0E31 || (c >= 0x0E34 && c <= 0x0E3A) || (c >= 0x0E47 && c <= 0x0E4E);
}
bool IsWide(char16_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6);
}
bool IsThai(char16_t c) { return c >= 0x0E00 && c <= 0x0E7F; }

int CharWidth(char16_t c)
{
    if (IsCombining(c))
        return 0;
    if (IsWide(c))
        return 8;
    if (IsThai(c))
        return 5;
    if (c == u'm' || c == u'w' || c == u'M' || c == u'W' || c == u'Ш' || c == u'Щ' || c == u'Ж' || c == u'ш' ||
        c == u'щ' || c == u'ж' || c == u'Ю' || c == u'ю' || c == u'Ы' || c == u'ы' || c == u'м' || c == u'М')
        return 6;
    if (c == u' ' || c == u'i' || c == u'l' || c == u'j' || c == u'I' || c == u'.' || c == u',' || c == u':' ||
        c == u';' || c == u'\'' || c == u'!' || c == u'|' || c == u'·' || c == u'í' || c == u'ì' || c == u'ï' ||
        c == u'î' || c == u'ı' || c == u'İ')
        return 2;
    if (c == 0x2026 || c == 0x2014)
        return 8;  // ellipsis, em dash
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE) || (c >= 0x0410 && c <= 0x042F))
        return 5;
    return 4;
}

// The text as shown: "&&" is one '&', a single '&' marks the mnemonic.
std::u16string Shown(const std::u16string &s, bool prefix)
{
    if (!prefix)
        return s;
    std::u16string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'&') {
            if (i + 1 < s.size() && s[i + 1] == u'&')
                out += u'&', ++i;
            continue;
        }
        out += s[i];
    }
    return out;
}

int TextWidth(const std::u16string &s)
{
    int w = 0;
    for (char16_t c : s)
        w += CharWidth(c);
    return w;
}

// Lines that the text needs in a width, wrapped as a multi-line static
// wraps: at blanks, and between any two CJK or Thai characters (Thai is
// written without blanks between words); a word wider than the line is
// broken where it overflows.
int LinesNeeded(const std::u16string &s, int width)
{
    // Split into unbreakable pieces, each with the blanks that follow it.
    struct Piece {
        int word, trailing;
    };
    std::vector<Piece> pieces;
    Piece cur{0, 0};
    bool inBlanks = false;
    for (size_t i = 0; i < s.size(); ++i) {
        char16_t c = s[i];
        if (c == u' ') {
            cur.trailing += CharWidth(c);
            inBlanks = true;
            continue;
        }
        bool breakBefore = inBlanks || (i > 0 && !IsCombining(c) &&
                                        (IsWide(c) || IsWide(s[i - 1]) || (IsThai(c) && IsThai(s[i - 1]))));
        if (breakBefore && (cur.word || cur.trailing))
            pieces.push_back(cur), cur = {0, 0};
        inBlanks = false;
        cur.word += CharWidth(c);
    }
    if (cur.word || cur.trailing)
        pieces.push_back(cur);
    int lines = 1, used = 0;
    for (const Piece &p : pieces) {
        if (used > 0 && used + p.word > width)
            ++lines, used = 0;
        int word = p.word;
        while (word > width)
            ++lines, word -= width;  // broken inside
        used += word + p.trailing;
    }
    return lines;
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

// The rectangle a control takes on the dialog. A drop-down list's template
// height includes its opened list, which may reach beyond the dialog and
// over other controls; closed it is one line, taken as 14 units.
struct Rect {
    int left, top, right, bottom;
};
Rect Extent(const Item &it)
{
    int cy = KindOf(it) == Kind::Combo ? std::min(it.cy, 14) : it.cy;
    return {it.x, it.y, it.x + it.cx, it.y + cy};
}
bool Intersect(const Rect &a, const Rect &b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
bool Contains(const Rect &outer, const Rect &inner)
{
    return outer.left <= inner.left && outer.top <= inner.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Room a text has in its control: the box and gap of a check box or radio
// button, the frame of a push button and the indent of a group box title
// are taken off the width.
int TextRoom(Kind kind, int cx)
{
    switch (kind) {
    case Kind::Check:
    case Kind::Radio:
        return cx - 14;
    case Kind::Push:
    case Kind::DefPush:
        return cx - 8;
    case Kind::GroupBox:
        return cx - 14;
    default:
        return cx;
    }
}

std::string Describe(const Item &it)
{
    return "control " + std::to_string(it.id) + " \"" + Utf8(it.title) + "\" at " + std::to_string(it.x) + "," +
           std::to_string(it.y) + " " + std::to_string(it.cx) + "x" + std::to_string(it.cy);
}

// Checks that a text fits a rectangle of the given room and height: one
// line for buttons and group boxes, as many lines as the height holds for a
// static text.
void ExpectFits(const std::u16string &text, Kind kind, int room, int cy, const std::string &what)
{
    if (text.empty())
        return;
    if (kind == Kind::Text && cy >= 16) {
        int lines = cy / 8;
        EXPECT_LE(LinesNeeded(text, room), lines)
            << what << ": \"" << Utf8(text) << "\" needs more than " << lines << " lines of " << room;
    } else {
        EXPECT_LE(TextWidth(text), room) << what << ": \"" << Utf8(text) << "\" is wider than " << room;
    }
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
    // A string of the string table in exactly one language.
    static std::u16string String(UINT id, WORD lang)
    {
        HRSRC res = FindResourceExW(module_, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), lang);
        if (!res)
            return {};
        const uint8_t *p = static_cast<const uint8_t *>(LockResource(LoadResource(module_, res)));
        for (UINT i = 0; i < id % 16; ++i)
            p += 2 + 2 * size_t(p[0] | p[1] << 8);
        size_t n = size_t(p[0] | p[1] << 8);
        std::u16string s;
        for (size_t i = 0; i < n; ++i)
            s += char16_t(p[2 + 2 * i] | p[3 + 2 * i] << 8);
        return s;
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

TEST_F(DialogTest, StylesAndFonts)
{
    for (const Dialog &d : kDialogs)
        for (WORD lang : LanguagesOf(d)) {
            SCOPED_TRACE("dialog " + std::to_string(d.id) + " " + Tag(lang));
            auto t = Load(d.id, lang);
            ASSERT_TRUE(t);
            // The shell font in every language: a property sheet lays out
            // its pages in its own font unless they carry DS_SHELLFONT.
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
        }
}

// Rules of each kind of control, whatever its id: a list drops down with
// room to open, an up-down's buddy is the edit before it, one default push
// button at most, nothing starts hidden.
TEST_F(DialogTest, EveryControlKeepsTheRulesOfItsKind)
{
    for (const Dialog &d : kDialogs)
        for (WORD lang : LanguagesOf(d)) {
            SCOPED_TRACE("dialog " + std::to_string(d.id) + " " + Tag(lang));
            auto t = Load(d.id, lang);
            ASSERT_TRUE(t);
            int defaults = 0;
            for (size_t i = 0; i < t->items.size(); ++i) {
                const Item &it = t->items[i];
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

// One layout for every language: the same controls in the same places, in
// the same order; only the texts and the font differ.
TEST_F(DialogTest, OneLayoutForEveryLanguage)
{
    for (const Dialog &d : kDialogs) {
        if (!d.everyLanguage)
            continue;
        auto base = Load(d.id, kChineseSimplified);
        ASSERT_TRUE(base);
        for (WORD lang : LanguagesOf(d)) {
            SCOPED_TRACE("dialog " + std::to_string(d.id) + " " + Tag(lang));
            auto t = Load(d.id, lang);
            ASSERT_TRUE(t);
            EXPECT_EQ(t->style, base->style);
            ASSERT_EQ(t->items.size(), base->items.size());
            for (size_t i = 0; i < t->items.size(); ++i) {
                const Item &a = t->items[i], &b = base->items[i];
                EXPECT_EQ(a.id, b.id) << i;
                EXPECT_EQ(a.style, b.style) << i;
                EXPECT_EQ(a.x, b.x) << i;
                EXPECT_EQ(a.y, b.y) << i;
                EXPECT_EQ(a.cx, b.cx) << i;
                EXPECT_EQ(a.cy, b.cy) << i;
                EXPECT_EQ(a.titleOrdinal, b.titleOrdinal) << i;
                EXPECT_EQ(a.title.empty(), b.title.empty()) << i;
            }
        }
    }
}

TEST_F(DialogTest, ControlsInsideAndApart)
{
    for (const Dialog &d : kDialogs)
        for (WORD lang : LanguagesOf(d)) {
            SCOPED_TRACE("dialog " + std::to_string(d.id) + " " + Tag(lang));
            auto t = Load(d.id, lang);
            ASSERT_TRUE(t);
            const Rect dialog{0, 0, t->cx, t->cy};
            for (const Item &it : t->items) {
                EXPECT_GT(it.cx, 0) << Describe(it);
                EXPECT_GT(it.cy, 0) << Describe(it);
                EXPECT_TRUE(Contains(dialog, Extent(it))) << Describe(it) << " is not inside the dialog";
            }
            for (size_t i = 0; i < t->items.size(); ++i)
                for (size_t j = i + 1; j < t->items.size(); ++j) {
                    const Item &a = t->items[i], &b = t->items[j];
                    if (!(a.style & kWsVisible) || !(b.style & kWsVisible))
                        continue;
                    Rect ra = Extent(a), rb = Extent(b);
                    if (!Intersect(ra, rb))
                        continue;
                    // A group box holds controls wholly inside it.
                    if (KindOf(a) == Kind::GroupBox && Contains(ra, rb))
                        continue;
                    if (KindOf(b) == Kind::GroupBox && Contains(rb, ra))
                        continue;
                    ADD_FAILURE() << Describe(a) << " overlaps " << Describe(b);
                }
        }
}

TEST_F(DialogTest, EveryTextFitsInEveryLanguage)
{
    for (const Dialog &d : kDialogs)
        for (WORD lang : LanguagesOf(d)) {
            SCOPED_TRACE("dialog " + std::to_string(d.id) + " " + Tag(lang));
            auto t = Load(d.id, lang);
            ASSERT_TRUE(t);
            for (const Item &it : t->items) {
                auto kind = KindOf(it);
                ASSERT_TRUE(kind) << Describe(it);
                if (it.titleOrdinal >= 0)
                    continue;
                bool prefix = *kind != Kind::Text || !(it.style & 0x80);  // SS_NOPREFIX
                ExpectFits(Shown(it.title, prefix), *kind, TextRoom(*kind, it.cx), it.cy, Describe(it));
            }
        }
}

// Texts that the dialogs put in at run time fit, too: the About page (one
// template for every language) shows the copyright line and the version
// line of the user's language; the unit labels of the stock dialog show
// "mm" or "in".
TEST_F(DialogTest, TextsSetAtRunTimeFit)
{
    auto about = Load(IDD_ABOUT, kChineseSimplified);
    ASSERT_TRUE(about);
    for (const Language &l : kLanguages) {
        SCOPED_TRACE(l.tag);
        std::u16string copyright = String(IDS_COPYRIGHT, l.id);
        std::u16string version = String(IDS_VERSION_PREFIX, l.id) + u"65535.65535.65535";
        EXPECT_FALSE(copyright.empty());
        for (const Item &it : about->items) {
            if (it.id == IDC_ABOUT_COPYRIGHT) {
                ExpectFits(copyright, Kind::Text, it.cx, it.cy, Describe(it));
            }
            if (it.id == IDC_ABOUT_VERSION) {
                ExpectFits(version, Kind::Text, it.cx, it.cy, Describe(it));
            }
        }
    }
    auto stock = Load(IDD_PAPER_STOCK, kChineseSimplified);
    ASSERT_TRUE(stock);
    for (const Item &it : stock->items)
        if (it.id == IDC_STOCK_LENGTH_UNIT || it.id == IDC_STOCK_LEFT_UNIT || it.id == IDC_STOCK_RIGHT_UNIT) {
            ExpectFits(u"mm", Kind::Text, it.cx, it.cy, Describe(it));
            ExpectFits(u"in", Kind::Text, it.cx, it.cy, Describe(it));
        }
}

// The distributed printing list's column headers (strings 28 to 33, in
// columns 1 to 6 of widths 160, 100, 100, 100, 100 and 100 pixels) fit their
// columns: a header item keeps 6 pixels either side of its text, and in the
// 8-point shell font a dialog unit is 1.5 pixels wide at 96 dpi.
TEST_F(DialogTest, ColumnHeadersFitTheirColumns)
{
    const int widths[] = {160, 100, 100, 100, 100, 100};
    for (const Language &l : kLanguages)
        for (int i = 0; i < 6; ++i) {
            std::u16string header = String(IDS_COLUMN_PRINTER_NAME + i, l.id);
            EXPECT_FALSE(header.empty()) << l.tag << " column " << i + 1;
            EXPECT_LE(TextWidth(header) * 3, (widths[i] - 12) * 2)
                << l.tag << " column " << i + 1 << ": \"" << Utf8(header) << "\" is wider than its column";
        }
}

// The estimate itself.
using TextEstimate = standin_testing::LeakCheckTest;

TEST_F(TextEstimate, WidthsAndLines)
{
    EXPECT_EQ(TextWidth(u"Edit"), 5 + 4 + 2 + 4);
    EXPECT_EQ(TextWidth(U16("打印")), 16);
    EXPECT_EQ(TextWidth(U16("ที่")), 5);  // a consonant with two marks above
    EXPECT_EQ(LinesNeeded(u"aaaa aaaa", 16), 2);
    EXPECT_EQ(LinesNeeded(u"aaaa aaaa", 40), 1);
    EXPECT_EQ(LinesNeeded(U16("打印打印"), 16), 2);
    EXPECT_EQ(LinesNeeded(u"aaaaaaaa", 16), 2);  // broken inside the word
    EXPECT_EQ(Shown(u"&Save && go", true), u"Save & go");
}

}  // namespace
