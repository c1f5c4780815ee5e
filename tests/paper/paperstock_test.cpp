// The paper stock dialog, run modally on the stand-in's windows from its
// template, with a user script, against the sample print server.
#include "host/text.h"
#include "platform/linux/user/automation.h"
#include "resources/res_blob.h"
#include "resources/resource.h"
#include "src/base/unique.h"
#include "src/paper/paperstock.h"
#include "src/paper/stockvalues.h"
#include "tests/support/spooler.h"

#include <cstring>
#include <functional>

namespace {

using host::Utf16;
using host::Utf8;

namespace ui = standin::ui;

class PaperStockTest : public SpoolerTest {
protected:
    void SetUp() override
    {
        ghInstance = PluginResources();
        SetThreadUILanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        ui::ResetAutomation();
        SpoolerTest::SetUp();
        standin::spooler::LoadSample();
        ResetPaperStockState();
    }

    void TearDown() override
    {
        context_.hPrinter = nullptr;
        printer_.reset();
        gpCurrentContext = nullptr;
        ui::ResetAutomation();
        SpoolerTest::TearDown();
        ResetPaperStockState();
        SetThreadUILanguage(0);
    }

    // The sheet of this printer becomes the current page context.
    void UsePrinter(const std::u16string &name, DWORD access = PRINTER_ALL_ACCESS)
    {
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, access};
        HANDLE handle = nullptr;
        ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(name.c_str()), &handle, &defaults));
        printer_.reset(handle);
        context_.hPrinter = handle;
        gpCurrentContext = &context_;
    }

    // The block as the Page Setup page fills it.
    static STOCKPARAM Param(const std::u16string &model, const std::u16string &form, DWORD mode = STOCK_EDIT,
                            DWORD unit = 0)
    {
        STOCKPARAM param = {};
        param.Mode = mode;
        param.Unit = unit;
        std::memcpy(param.FormName, form.c_str(), (form.size() + 1) * sizeof(WCHAR));
        std::memcpy(param.ModelName, model.c_str(), (model.size() + 1) * sizeof(WCHAR));
        FillStockLimits(&param, param.ModelName, model == u"FalconBT");
        return param;
    }

    // Runs the dialog with the script as the user; the block goes in and
    // comes back through global memory, as from the page.
    INT_PTR Run(STOCKPARAM &param, ui::DialogScript script)
    {
        HGLOBAL block = GlobalAlloc(GPTR, sizeof(STOCKPARAM));
        EXPECT_NE(block, nullptr);
        if (block == nullptr)
            return -1;
        std::memcpy(block, &param, sizeof(param));
        ui::OnDialog(IDD_PAPER_STOCK, std::move(script));
        INT_PTR result = DialogBoxParamW(ghInstance, MAKEINTRESOURCEW(IDD_PAPER_STOCK), nullptr, PaperStockProc,
                                         reinterpret_cast<LPARAM>(block));
        std::memcpy(&param, block, sizeof(param));
        GlobalFree(block);
        return result;
    }

    static std::string Text(HWND dialog, int id) { return Utf8(ui::Text(GetDlgItem(dialog, id))); }

    static int Selection(HWND dialog) { return int(SendDlgItemMessageW(dialog, IDC_STOCK_WIDTH, CB_GETCURSEL, 0, 0)); }

    static std::vector<std::string> Widths(HWND dialog)
    {
        std::vector<std::string> labels;
        int count = int(SendDlgItemMessageW(dialog, IDC_STOCK_WIDTH, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            WCHAR text[64] = {};
            SendDlgItemMessageW(dialog, IDC_STOCK_WIDTH, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            labels.push_back(Utf8(text));
        }
        return labels;
    }

    static standin::spooler::FormConfig Form(const std::u16string &name)
    {
        for (const auto &form : standin::spooler::Forms())
            if (form.name == name)
                return form;
        ADD_FAILURE() << "no form " << Utf8(name);
        return {};
    }

    // The stored form as a whole: width, length, left and right margins
    // (thousandths of a millimetre), printable over its whole length.
    static void ExpectForm(const std::u16string &name, LONG width, LONG length, LONG left, LONG right)
    {
        RECTL area = Form(name).imageableArea;
        SIZEL size = Form(name).size;
        EXPECT_EQ(std::vector<LONG>({size.cx, size.cy, area.left, area.top, area.right, area.bottom}),
                  std::vector<LONG>({width, length, left, 0, width - right, length}))
            << Utf8(name);
    }

    static void AddMarginForm(const std::u16string &name, LONG width, LONG length, LONG left, LONG right)
    {
        standin::spooler::FormConfig form;
        form.name = name;
        form.size = {width, length};
        form.imageableArea = {left, 0, width - right, length};
        ASSERT_TRUE(standin::spooler::AddForm(form));
    }

    static std::vector<ui::MessageBoxCall> Boxes() { return ui::MessageBoxes(); }

    unique_printer printer_;
    PAGECONTEXT context_ = {};
};

// ---- Numbers and the form record -------------------------------------------------

TEST(PaperStockValues, NumberTextAcceptsTwoDecimalsAtMost)
{
    struct Case {
        const char16_t *text;
        bool valid;
    } cases[] = {{u"", true},      {u"0", true},       {u"12", true},   {u"12.", true}, {u"12.3", true},
                 {u"12.34", true}, {u"12.345", false}, {u".5", false},  {u"-1", false}, {u"1.2.", false},
                 {u"1a", false},   {u" 1", false},     {u"1e3", false}, {u"1,5", false}};
    for (const Case &c : cases)
        EXPECT_EQ(IsNumberText(c.text), c.valid) << Utf8(c.text);
}

// The text's number when it is one, else the value kept; bounded either
// way, and marked for a rewrite whenever the edit must show another text.
TEST(PaperStockValues, ParseAndClampKeepsBoundsAndSaysWhenToRewrite)
{
    struct Case {
        const char16_t *text;
        double low, high, current, result;
        bool marked;
    } cases[] = {{u"5", 0, 10, 7, 5, false}, {u"10", 0, 10, 7, 10, false}, {u"10.01", 0, 10, 7, 10, true},
                 {u"1", 2, 10, 7, 2, true},  {u"2", 2, 10, 7, 2, false},   {u"x", 0, 10, 7, 7, true},
                 {u"x", 0, 5, 7, 5, true},   {u"", 0, 10, 7, 0, false},    {u"x", 8, 10, 7, 8, true}};
    for (const Case &c : cases) {
        double current = c.current;
        EXPECT_EQ(ParseAndClamp(c.text, c.low, c.high, current), c.marked) << Utf8(c.text) << " " << c.low;
        EXPECT_DOUBLE_EQ(current, c.result) << Utf8(c.text) << " " << c.low;
    }
}

TEST(PaperStockValues, ThousandthsRoundOnlyWhatIsWholeButForBinaryError)
{
    struct Case {
        double millimetres;
        LONG expected;
    } cases[] = {
        {1.00 * 25.4, 25400}, {0.50 * 25.4, 12700},   {12.5, 12500},        {0.04 * 25.4, 1016},
        {1.57 * 25.4, 39878}, {39.37 * 25.4, 999998}, {0.47 * 25.4, 11938}, {1000, 1000000},
        {0.0001, 0},          {1.0159, 1015},         {-1.0159, -1015},     {0, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Thousandths(c.millimetres), c.expected) << c.millimetres;
    // Truncation of a value that is not whole: 0.0254 x 1000 = 25.4.
    EXPECT_EQ(Thousandths(0.0254), 25);
    EXPECT_EQ(Thousandths(1e12), 0x7FFFFFFF);
    EXPECT_EQ(Thousandths(-1e12), LONG(-0x7FFFFFFF - 1));

    FORM_INFO_1W form = {};
    BuildFormSize(12, 1.57 * 25.4, 0.04 * 25.4, 0.5 * 25.4, &form);
    EXPECT_EQ(form.Size.cx, 12000);
    EXPECT_EQ(form.Size.cy, 39878);
    EXPECT_EQ(form.ImageableArea.left, 1016);
    EXPECT_EQ(form.ImageableArea.top, 0);
    EXPECT_EQ(form.ImageableArea.right, 12000 - 12700);
    EXPECT_EQ(form.ImageableArea.bottom, 39878);
}

// ---- The parameter block ----------------------------------------------------------

TEST(PaperStockParam, LimitsFollowTheModelAndTheUnit)
{
    struct Row {
        const char16_t *model;
        bool extended;
        LONG count;
        double mm[4];
    } rows[] = {
        {u"Wren", false, 5, {10, 1000, 12, 15}},
        {u"Robin", false, 3, {10, 1000, 12, 15}},
        {u"KestrelBT", false, 4, {5, 1000, 0, 18}},
        {u"KestrelBT PRO", false, 4, {5, 1000, 0, 18}},
        {u"MerlinBT", false, 5, {25, 1000, 0, 24}},
        {u"Heron", false, 5, {24, 1000, 0, 24}},
        {u"wren", false, 5, {24, 1000, 0, 24}},  // names compare exactly
        {u"KestrelBT PRO ", false, 5, {24, 1000, 0, 24}},
        {u"FalconBT", false, 5, {24, 1000, 0, 24}},  // not on the standard page
        {u"FalconBT", true, 7, {24, 1000, 0, 36}},
    };
    for (const Row &r : rows) {
        for (DWORD unit : {0u, 1u}) {
            STOCKPARAM param = {};
            param.Unit = unit;
            FillStockLimits(&param, r.model, r.extended);
            // Inches are the same lengths, not rounded.
            double perUnit = unit == 1 ? 25.4 : 1;
            SCOPED_TRACE(Utf8(r.model) + (unit ? " in" : " mm") + (r.extended ? " extended" : ""));
            EXPECT_EQ(param.WidthCount, r.count);
            EXPECT_DOUBLE_EQ(param.MinLength, r.mm[0] / perUnit);
            EXPECT_DOUBLE_EQ(param.MaxLength, r.mm[1] / perUnit);
            EXPECT_DOUBLE_EQ(param.MinWidth, r.mm[2] / perUnit);
            EXPECT_DOUBLE_EQ(param.MaxWidth, r.mm[3] / perUnit);
        }
    }
    FillStockLimits(nullptr, u"Wren", false);  // nothing to fill
}

// ---- Opening -------------------------------------------------------------------------

TEST_F(PaperStockTest, EditShowsTheFormInMillimetres)
{
    UsePrinter(u"Wren");
    AddMarginForm(u"Wren margins", 12500, 40000, 1500, 2000);
    STOCKPARAM param = Param(u"Wren", u"Wren margins");
    INT_PTR result = Run(param, [&](HWND d) {
        EXPECT_EQ(Text(d, IDC_STOCK_NAME), "Wren margins");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_STOCK_NAME)));
        EXPECT_EQ(SendDlgItemMessageW(d, IDC_STOCK_TYPE, CB_GETCOUNT, 0, 0), 1);
        EXPECT_EQ(SendDlgItemMessageW(d, IDC_STOCK_TYPE, CB_GETCURSEL, 0, 0), 0);
        WCHAR type[64] = {};
        SendDlgItemMessageW(d, IDC_STOCK_TYPE, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(type));
        EXPECT_EQ(Utf8(type), "Label");
        EXPECT_EQ(Widths(d), (std::vector<std::string>{"12mm", "12.5mm", "13mm", "14mm", "15mm"}));
        EXPECT_EQ(Selection(d), 1);
        EXPECT_EQ(Text(d, IDC_STOCK_LENGTH), "40.00");
        EXPECT_EQ(Text(d, IDC_STOCK_LEFT), "1.50");
        EXPECT_EQ(Text(d, IDC_STOCK_RIGHT), "2.00");
        for (int id : {IDC_STOCK_LENGTH_UNIT, IDC_STOCK_LEFT_UNIT, IDC_STOCK_RIGHT_UNIT})
            EXPECT_EQ(Text(d, id), "mm");
        for (int id : {IDC_STOCK_LENGTH, IDC_STOCK_LEFT, IDC_STOCK_RIGHT})
            EXPECT_EQ(SendDlgItemMessageW(d, id, EM_GETLIMITTEXT, 0, 0), 8);
        EXPECT_EQ(SendDlgItemMessageW(d, IDC_STOCK_NAME, EM_GETLIMITTEXT, 0, 0), CCHFORMNAME - 1);
        for (int id : {IDC_STOCK_LENGTH_SPIN, IDC_STOCK_LEFT_SPIN, IDC_STOCK_RIGHT_SPIN})
            EXPECT_EQ(static_cast<DWORD>(SendDlgItemMessageW(d, id, UDM_GETRANGE, 0, 0)), MAKELONG(100, -100)) << id;
        EXPECT_TRUE(ui::Click(d, IDCANCEL));
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Form(u"Wren margins").imageableArea.right, 10500) << "Cancel saves nothing";
}

TEST_F(PaperStockTest, WidthsTakeTheNearestEntryAndTheWiderOnAMidpoint)
{
    UsePrinter(u"FalconBT");
    struct Case {
        const char16_t *model;
        LONG width;
        int index;
    } cases[] = {
        {u"Wren", 12249, 0},  {u"Wren", 12250, 1},    {u"Wren", 14500, 4},     {u"Robin", 12999, 0},
        {u"Robin", 13000, 1}, {u"FalconBT", 4750, 1}, {u"FalconBT", 29999, 5}, {u"FalconBT", 30000, 6},
        {u"Heron", 7499, 0},  {u"Heron", 21000, 4},   {u"Heron", 3500, 0},
    };
    int n = 0;
    for (const Case &c : cases) {
        std::u16string name = u"w" + Utf16(std::to_string(n++));
        AddMarginForm(name, c.width, 30000, 0, 0);
        STOCKPARAM param = Param(c.model, name);
        Run(param, [&](HWND d) {
            EXPECT_EQ(Selection(d), c.index) << Utf8(c.model) << " " << c.width;
            ui::Click(d, IDCANCEL);
        });
    }
}

TEST_F(PaperStockTest, InchesShowTheInchLabelsAndKeepWhatTheUserDidNotTouch)
{
    UsePrinter(u"Wren");
    AddMarginForm(u"12 mm margins", 12000, 40000, 1000, 1000);
    STOCKPARAM param = Param(u"Wren", u"12 mm margins", STOCK_EDIT, 1);
    INT_PTR result = Run(param, [&](HWND d) {
        EXPECT_EQ(Widths(d), (std::vector<std::string>{"0.47\"", "0.49\"", "0.51\"", "0.55\"", "0.59\""}));
        EXPECT_EQ(Selection(d), 0);
        EXPECT_EQ(Text(d, IDC_STOCK_LENGTH), "1.57");
        EXPECT_EQ(Text(d, IDC_STOCK_LEFT), "0.04");
        EXPECT_EQ(Text(d, IDC_STOCK_RIGHT), "0.04");
        EXPECT_EQ(Text(d, IDC_STOCK_LEFT_UNIT), "in");
        EXPECT_TRUE(ui::Click(d, IDC_STOCK_OK));
    });
    EXPECT_EQ(result, 1);
    // Nothing touched: the form stays as it was, not two decimals of an inch.
    ExpectForm(u"12 mm margins", 12000, 40000, 1000, 1000);
    EXPECT_EQ(Utf8(param.FormName), "12 mm margins");
    // Another form that shows the same inches keeps its own length.
    AddMarginForm(u"39.9 long", 12000, 39900, 1000, 1000);
    param = Param(u"Wren", u"39.9 long", STOCK_EDIT, 1);
    Run(param, [&](HWND d) {
        EXPECT_EQ(Text(d, IDC_STOCK_LENGTH), "1.57");
        EXPECT_TRUE(ui::Click(d, IDC_STOCK_OK));
    });
    EXPECT_EQ(Form(u"39.9 long").size.cy, 39900);

    // Only the fields the user changed are taken from their text; a width
    // picked is the table's millimetres, not 0.49 x 25.4.
    param = Param(u"Wren", u"12 mm margins", STOCK_EDIT, 1);
    Run(param, [&](HWND d) {
        EXPECT_TRUE(ui::Choose(d, IDC_STOCK_WIDTH, 1));
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_LEFT, u"0.1"));
        EXPECT_TRUE(ui::Click(d, IDC_STOCK_OK));
    });
    ExpectForm(u"12 mm margins", 12500, 40000, 2540, 1000);
}

TEST_F(PaperStockTest, AMillimetreLimitHoldsInInches)
{
    UsePrinter(u"MerlinBT");
    AddMarginForm(u"24 x 25mm", 24000, 25000, 0, 0);
    STOCKPARAM param = Param(u"MerlinBT", u"24 x 25mm", STOCK_EDIT, 1);
    INT_PTR result = Run(param, [&](HWND d) {
        EXPECT_EQ(Text(d, IDC_STOCK_LENGTH), "0.98");
        EXPECT_TRUE(ui::Click(d, IDC_STOCK_OK));
    });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Form(u"24 x 25mm").size.cy, 25000);

    // Below it the limits are said rounded outward: 25 mm is 0.984 in.
    param = Param(u"MerlinBT", u"24 x 25mm", STOCK_EDIT, 1);
    Run(param, [&](HWND d) {
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_LENGTH, u"0.97"));
        EXPECT_TRUE(ui::Click(d, IDC_STOCK_OK));
        EXPECT_EQ(Text(d, IDC_STOCK_LENGTH), "0.98");
        EXPECT_TRUE(ui::Click(d, IDC_STOCK_OK));
    });
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Utf8(Boxes()[0].text), "Printable Height: 0.98~39.38 in");
    EXPECT_EQ(Form(u"24 x 25mm").size.cy, 25000);
}

TEST_F(PaperStockTest, WholeInchValuesAreStoredExactly)
{
    UsePrinter(u"KestrelBT");
    STOCKPARAM param = Param(u"KestrelBT", u"12 x 40mm", STOCK_EDIT, 1);
    ASSERT_EQ(Run(param,
                  [&](HWND d) {
                      EXPECT_TRUE(ui::Choose(d, IDC_STOCK_WIDTH, 3));  // 0.70 in, 18 mm
                      EXPECT_TRUE(ui::Type(d, IDC_STOCK_LENGTH, u"1.00"));
                      EXPECT_TRUE(ui::Type(d, IDC_STOCK_LEFT, u"0.50"));
                      EXPECT_TRUE(ui::Type(d, IDC_STOCK_RIGHT, u"0"));
                      ui::Click(d, IDC_STOCK_OK);
                  }),
              1);
    ExpectForm(u"12 x 40mm", 18000, 25400, 12700, 0);

    param = Param(u"KestrelBT", u"12 x 40mm");
    ASSERT_EQ(Run(param,
                  [&](HWND d) {
                      EXPECT_TRUE(ui::Type(d, IDC_STOCK_LENGTH, u"12.5"));
                      EXPECT_TRUE(ui::Type(d, IDC_STOCK_LEFT, u"0.01"));
                      ui::Click(d, IDC_STOCK_OK);
                  }),
              1);
    ExpectForm(u"12 x 40mm", 18000, 12500, 10, 0);
}

TEST_F(PaperStockTest, AFormWiderThanTheModelsListSelectsNoWidthAndKeepsItsWidth)
{
    UsePrinter(u"KestrelBT");
    STOCKPARAM param = Param(u"KestrelBT", u"24 x 60mm");
    INT_PTR result = Run(param, [&](HWND d) {
        EXPECT_EQ(Widths(d), (std::vector<std::string>{"6mm", "9mm", "12mm", "18mm"}));
        EXPECT_EQ(Selection(d), -1);
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_LENGTH, u"70"));
        // With no selection the margins are checked against the group's last entry, 24.
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_RIGHT, u"20"));
        EXPECT_EQ(Text(d, IDC_STOCK_RIGHT), "18.00") << "each margin stays within the model's widest tape";
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_RIGHT, u"12"));
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_LEFT, u"11"));
        EXPECT_TRUE(Boxes().empty());
        ui::Click(d, IDC_STOCK_OK);
    });
    EXPECT_EQ(result, 1);
    ExpectForm(u"24 x 60mm", 24000, 70000, 11000, 12000);
}

TEST_F(PaperStockTest, AFormThatCannotBeReadLeavesTheEditsEmpty)
{
    UsePrinter(u"MerlinBT");
    STOCKPARAM param = Param(u"MerlinBT", u"no such form", STOCK_NEW);
    Run(param, [&](HWND d) {
        EXPECT_EQ(Text(d, IDC_STOCK_NAME), "New");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_STOCK_NAME)));
        EXPECT_EQ(Selection(d), 3);
        for (int id : {IDC_STOCK_LENGTH, IDC_STOCK_LEFT, IDC_STOCK_RIGHT})
            EXPECT_EQ(Text(d, id), "");
        ui::Click(d, IDCANCEL);
    });
    standin::FailNext("GetFormW", 1, ERROR_NOT_ENOUGH_MEMORY, 1);  // the fetch, after the size query
    param = Param(u"MerlinBT", u"24 x 60mm");
    Run(param, [&](HWND d) {
        EXPECT_EQ(Selection(d), 3);
        EXPECT_EQ(Text(d, IDC_STOCK_LENGTH), "");
        ui::Click(d, IDCANCEL);
    });
}

// ---- Typing and spinning ---------------------------------------------------------

TEST_F(PaperStockTest, RefusedTypingRestoresTheLastValue)
{
    UsePrinter(u"MerlinBT");
    STOCKPARAM param = Param(u"MerlinBT", u"24 x 60mm");
    Run(param, [&](HWND d) {
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_LEFT, u"12.345"));
        EXPECT_EQ(Text(d, IDC_STOCK_LEFT), "12.34");
        for (const char16_t *refused : {u"-", u"a", u"."}) {
            EXPECT_TRUE(ui::Type(d, IDC_STOCK_LEFT, refused));
            EXPECT_EQ(Text(d, IDC_STOCK_LEFT), "12.34") << Utf8(refused);
        }
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_LEFT, u"2."));
        EXPECT_EQ(Text(d, IDC_STOCK_LEFT), "2.") << "a trailing point is accepted as typed";
        EXPECT_TRUE(Boxes().empty());
        // A margin past the widest tape is bounded by it, and then reaches the width.
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_RIGHT, u"30"));
        EXPECT_EQ(Text(d, IDC_STOCK_RIGHT), "0");
        EXPECT_EQ(Text(d, IDC_STOCK_LEFT), "0");
        EXPECT_EQ(Boxes().size(), 1u);
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_LENGTH, u"abc"));
        EXPECT_EQ(Text(d, IDC_STOCK_LENGTH), "60.00");
        // The rewrite keeps the caret where the user was typing: "-" is
        // refused in front of the value, the "1" and "5" that follow go on
        // from there instead of in front of it.
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_LEFT, u"-1"));
        SendDlgItemMessageW(d, IDC_STOCK_LEFT, WM_CHAR, u'5', 1);
        EXPECT_EQ(Text(d, IDC_STOCK_LEFT), "015.00");
        EXPECT_EQ(Boxes().size(), 1u);
        ui::Click(d, IDCANCEL);
    });
}

TEST_F(PaperStockTest, AnEmptyLengthIsCorrectedAtOkAndTheDialogStays)
{
    UsePrinter(u"Wren");
    STOCKPARAM param = Param(u"Wren", u"12.5 x 40mm");
    INT_PTR result = Run(param, [&](HWND d) {
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_LENGTH, u""));
        EXPECT_EQ(Text(d, IDC_STOCK_LENGTH), "") << "accepted while typing";
        EXPECT_TRUE(Boxes().empty());
        EXPECT_TRUE(ui::Click(d, IDC_STOCK_OK));
        EXPECT_TRUE(IsWindowVisible(d)) << "still open";
        EXPECT_EQ(Text(d, IDC_STOCK_LENGTH), "10.00");
        auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(Utf8(boxes[0].text), "Printable Height: 10.00~1000.00 mm");
        EXPECT_EQ(boxes[0].caption, u"");
        EXPECT_EQ(boxes[0].owner, d);
        EXPECT_EQ(boxes[0].type, UINT(MB_OK));
        EXPECT_TRUE(ui::Click(d, IDCANCEL));
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Form(u"12.5 x 40mm").size.cy, 40000);
}

TEST_F(PaperStockTest, SpinStepsAHundredthAndLogsEachStep)
{
    UsePrinter(u"MerlinBT");
    STOCKPARAM param = Param(u"MerlinBT", u"24 x 60mm");
    Run(param, [&](HWND d) {
        ASSERT_TRUE(ui::Type(d, IDC_STOCK_LENGTH, u"10"));
        EXPECT_TRUE(ui::Spin(d, IDC_STOCK_LENGTH_SPIN, 1));
        EXPECT_EQ(Text(d, IDC_STOCK_LENGTH), "10.01");
        EXPECT_TRUE(ui::Spin(d, IDC_STOCK_LENGTH_SPIN, -3));
        EXPECT_EQ(Text(d, IDC_STOCK_LENGTH), "9.98");
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_LENGTH, u"1000"));
        EXPECT_TRUE(ui::Spin(d, IDC_STOCK_LENGTH_SPIN, 1));
        EXPECT_EQ(Text(d, IDC_STOCK_LENGTH), "1000.00") << "bounded by the longest length";
        EXPECT_TRUE(ui::Spin(d, IDC_STOCK_LEFT_SPIN, 2));
        EXPECT_EQ(Text(d, IDC_STOCK_LEFT), "0.02");
        ui::Click(d, IDCANCEL);
    });
    // A step below 0 is bounded too.
    Run(param, [&](HWND d) {
        ASSERT_TRUE(ui::Type(d, IDC_STOCK_RIGHT, u"0"));
        EXPECT_TRUE(ui::Spin(d, IDC_STOCK_RIGHT_SPIN, -1));
        EXPECT_EQ(Text(d, IDC_STOCK_RIGHT), "0.00");
        ui::Click(d, IDCANCEL);
    });
}

TEST_F(PaperStockTest, MarginsThatReachTheWidthAreResetWithAMessage)
{
    UsePrinter(u"Wren");
    STOCKPARAM param = Param(u"Wren", u"12 x 40mm");
    INT_PTR result = Run(param, [&](HWND d) {
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_LEFT, u"6"));
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_RIGHT, u"5.99"));
        EXPECT_TRUE(Boxes().empty()) << "below the width";
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_RIGHT, u"6"));
        EXPECT_EQ(Text(d, IDC_STOCK_LEFT), "0");
        EXPECT_EQ(Text(d, IDC_STOCK_RIGHT), "0");
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Utf8(Boxes()[0].text), "Invalid margin value: beyond the valid paper range.");
        EXPECT_EQ(Boxes()[0].owner, nullptr);
        EXPECT_EQ(Boxes()[0].caption, u"");
        // A wider tape alone runs no check; the next margin change does.
        EXPECT_TRUE(ui::Choose(d, IDC_STOCK_WIDTH, 4));
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_LEFT, u"7"));
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_RIGHT, u"7.5"));
        EXPECT_EQ(Boxes().size(), 1u) << "14.5 on 15 mm";
        // Spinning the right margin up to the tape's width is refused the same way.
        ASSERT_TRUE(ui::Type(d, IDC_STOCK_LEFT, u"0"));
        ASSERT_TRUE(ui::Type(d, IDC_STOCK_RIGHT, u"14.99"));
        EXPECT_TRUE(ui::Spin(d, IDC_STOCK_RIGHT_SPIN, 1));
        EXPECT_EQ(Boxes().size(), 2u);
        EXPECT_EQ(Text(d, IDC_STOCK_RIGHT), "0");
        EXPECT_TRUE(ui::Click(d, IDC_STOCK_OK));
    });
    EXPECT_EQ(result, 1);
    ExpectForm(u"12 x 40mm", 15000, 40000, 0, 0);
}

TEST_F(PaperStockTest, ABoundTwoDecimalsCannotShowEndsItsRewrite)
{
    UsePrinter(u"MerlinBT");
    STOCKPARAM param = Param(u"MerlinBT", u"24 x 60mm");
    param.MaxLength = 39.375;  // shown as 39.38, above the bound
    param.MaxWidth = -1;       // no margin text is ever in range
    Run(param, [&](HWND d) {
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_LENGTH, u"45"));
        EXPECT_EQ(Text(d, IDC_STOCK_LENGTH), "39.38");
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_LEFT, u"1"));
        EXPECT_EQ(Text(d, IDC_STOCK_LEFT), "-1.00");
        ui::Click(d, IDCANCEL);
    });
}

// ---- Saving -----------------------------------------------------------------------

TEST_F(PaperStockTest, NewAddsTheFormAndMakesItTheCurrentPaper)
{
    UsePrinter(u"Robin");
    lstrcpynW(gszCurrentPaper, u"12 x 40mm", NAME_UNITS);
    STOCKPARAM param = Param(u"Robin", u"14 x 50mm", STOCK_NEW);
    INT_PTR result = Run(param, [&](HWND d) {
        EXPECT_EQ(Widths(d), (std::vector<std::string>{"12mm", "14mm", "15mm"}));
        EXPECT_EQ(Selection(d), 1);
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_NAME, u"Robin 14 x 30"));
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_LENGTH, u"30"));
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_RIGHT, u"1.25"));
        ui::Click(d, IDC_STOCK_OK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Utf8(param.FormName), "Robin 14 x 30");
    EXPECT_EQ(Utf8(gszCurrentPaper), "Robin 14 x 30");
    EXPECT_EQ(Form(u"Robin 14 x 30").flags, DWORD(FORM_USER));
    ExpectForm(u"Robin 14 x 30", 14000, 30000, 0, 1250);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(PaperStockTest, NewWithAnExistingNameAsksBeforeReplacingThatForm)
{
    UsePrinter(u"Wren");
    lstrcpynW(gszCurrentPaper, u"12.5 x 40mm", NAME_UNITS);
    size_t forms = standin::spooler::Forms().size();
    auto old = Form(u"13 x 40mm");
    STOCKPARAM param = Param(u"Wren", u"12.5 x 40mm", STOCK_NEW);
    // Names compare as the spooler compares them: in any letter case.
    ui::AnswerMessageBox(IDNO);
    ui::AnswerMessageBox(IDYES);
    INT_PTR result = Run(param, [&](HWND d) {
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_NAME, u"13 X 40MM"));
        EXPECT_TRUE(ui::Choose(d, IDC_STOCK_WIDTH, 2));
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_LENGTH, u"45"));
        ui::Click(d, IDC_STOCK_OK);
        // No: the dialog stays, the name selected for another, the form as it was.
        EXPECT_EQ(Form(u"13 x 40mm").size.cy, old.size.cy);
        DWORD from = 0, to = 0;
        SendDlgItemMessageW(d, IDC_STOCK_NAME, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                            reinterpret_cast<LPARAM>(&to));
        EXPECT_EQ(from, 0u);
        EXPECT_EQ(to, 9u);
        ui::Click(d, IDC_STOCK_OK);
    });
    EXPECT_EQ(result, 1);
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[0].text, u"A form with this name already exists. Replace it?");
    EXPECT_EQ(Utf8(Boxes()[0].caption), "13 X 40MM");
    // Yes: the form keeps its name, which goes back for the page to select.
    EXPECT_EQ(Utf8(param.FormName), "13 x 40mm");
    EXPECT_EQ(Utf8(gszCurrentPaper), "12.5 x 40mm") << "only an added form becomes the current paper";
    EXPECT_EQ(standin::spooler::Forms().size(), forms);
    auto form = Form(u"13 x 40mm");
    EXPECT_EQ(form.size.cy, 45000);
    EXPECT_EQ(form.paper, old.paper);
}

TEST_F(PaperStockTest, WithoutAPrinterOkEndsAndSavesNothing)
{
    gpCurrentContext = nullptr;
    size_t forms = standin::spooler::Forms().size();
    STOCKPARAM param = Param(u"Wren", u"12 x 40mm", STOCK_NEW);
    INT_PTR result = Run(param, [&](HWND d) {
        EXPECT_EQ(Selection(d), 3) << "no form read without a printer";
        ui::Type(d, IDC_STOCK_NAME, u"never");
        ui::Click(d, IDC_STOCK_OK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(standin::spooler::Forms().size(), forms);
    EXPECT_EQ(Utf8(param.FormName), "12 x 40mm") << "the name is not even taken";
}

TEST_F(PaperStockTest, AFormTheSpoolerTakesNeitherWayKeepsTheDialogOpen)
{
    UsePrinter(u"Wren");
    lstrcpynW(gszCurrentPaper, u"12 x 40mm", NAME_UNITS);
    size_t forms = standin::spooler::Forms().size();
    // A new name: the change finds no form, the addition fails.
    STOCKPARAM param = Param(u"Wren", u"12 x 40mm", STOCK_NEW);
    INT_PTR result = Run(param, [&](HWND d) {
        ui::Type(d, IDC_STOCK_NAME, u"Wren new");
        standin::FailNext("AddFormW", 1, ERROR_NOT_ENOUGH_MEMORY);
        EXPECT_TRUE(ui::Click(d, IDC_STOCK_OK));
        EXPECT_TRUE(IsWindowVisible(d)) << "still open";
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Utf8(Boxes()[0].text), "The form could not be saved. Error code: 8");
        EXPECT_EQ(Boxes()[0].owner, d);
        EXPECT_EQ(standin::spooler::Forms().size(), forms);
        EXPECT_EQ(Utf8(gszCurrentPaper), "12 x 40mm");
        // The user tries again, and the spooler takes it.
        EXPECT_TRUE(ui::Click(d, IDC_STOCK_OK));
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(standin::spooler::Forms().size(), forms + 1);
    EXPECT_EQ(Utf8(gszCurrentPaper), "Wren new");

    // An existing name: the change fails, and the addition finds the form
    // there; the change's error is the reason.
    ui::ResetAutomation();
    param = Param(u"Wren", u"12 x 40mm");
    result = Run(param, [&](HWND d) {
        ui::Type(d, IDC_STOCK_LENGTH, u"50");
        standin::FailNext("SetFormW", 1, ERROR_ACCESS_DENIED);
        EXPECT_TRUE(ui::Click(d, IDC_STOCK_OK));
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Utf8(Boxes()[0].text), "The form could not be saved. Error code: 5");
        EXPECT_TRUE(IsWindowVisible(d)) << "still open";
        EXPECT_TRUE(ui::Click(d, IDCANCEL));
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Form(u"12 x 40mm").size.cy, 40000);

    // One of the two taking effect is a save: a new name whose change is refused.
    ui::ResetAutomation();
    param = Param(u"Wren", u"12 x 40mm", STOCK_NEW);
    result = Run(param, [&](HWND d) {
        ui::Type(d, IDC_STOCK_NAME, u"Wren other");
        standin::FailNext("SetFormW", 1, ERROR_ACCESS_DENIED);
        ui::Click(d, IDC_STOCK_OK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(PaperStockTest, APrinterOpenedOnlyToPrintCannotSaveAndSaysWhy)
{
    UsePrinter(u"KestrelBT", PRINTER_ACCESS_USE);
    STOCKPARAM param = Param(u"KestrelBT", u"12 x 40mm", STOCK_NEW);
    SetThreadUILanguage(0x0407);  // German
    INT_PTR result = Run(param, [&](HWND d) {
        ui::Type(d, IDC_STOCK_NAME, u"Kestrel new");
        ui::Click(d, IDC_STOCK_OK);
        ui::Click(d, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Utf8(Boxes()[0].text), "Das Papierformat konnte nicht gespeichert werden. Fehlercode: 5");
}

}  // namespace
