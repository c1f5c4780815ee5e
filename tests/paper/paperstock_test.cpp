// The paper stock dialog, run modally on the stand-in's windows from its
// template, with a user script, against the sample print server.
#include "host/text.h"
#include "resources/resource.h"
#include "src/base/unique.h"
#include "src/paper/paperstock.h"
#include "src/paper/stockvalues.h"
#include "tests/support/sheet.h"

#include <cstring>
#include <map>
#include <sstream>

namespace {

using host::Utf16;
using host::Utf8;

namespace ui = standin::ui;

// A form as the spooler keeps it: size and margins in thousandths of a
// millimetre.
struct Form {
    const char16_t *name;
    LONG width, length, left, right, top = 0, bottom = 0;
};

class PaperStockTest : public SheetTest {
protected:
    void SetUp() override
    {
        SheetTest::SetUp();
        ResetPaperStockState();
    }
    void TearDown() override
    {
        context_.hPrinter = nullptr;
        printer_.reset();
        gpCurrentContext = nullptr;
        SheetTest::TearDown();
        ResetPaperStockState();
    }

    // The sheet of this printer becomes the current page context; access 0:
    // no printer at all.
    void UsePrinter(const std::u16string &name, DWORD access = PRINTER_ALL_ACCESS)
    {
        printer_.reset();
        gpCurrentContext = nullptr;
        if (access == 0)
            return;
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

    // A control's text; for the width list the selected entry, empty without one.
    static std::string Text(HWND dialog, int id)
    {
        if (id != IDC_STOCK_WIDTH)
            return Utf8(ui::Text(GetDlgItem(dialog, id)));
        WCHAR text[64] = {};
        LRESULT index = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
        if (index != CB_ERR)
            SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, WPARAM(index), LPARAM(text));
        return Utf8(text);
    }

    static standin::spooler::FormConfig Stored(const std::u16string &name)
    {
        for (const auto &form : standin::spooler::Forms())
            if (form.name == name)
                return form;
        ADD_FAILURE() << "no form " << Utf8(name);
        return {};
    }

    static void AddForm(const Form &f)
    {
        standin::spooler::FormConfig form;
        form.name = f.name;
        form.size = {f.width, f.length};
        form.imageableArea = {f.left, f.top, f.width - f.right, f.length - f.bottom};
        ASSERT_TRUE(standin::spooler::AddForm(form));
    }

    // The spooler's form of the name the description starts with, described
    // as "name: width length left right", then the top and bottom margins
    // when there are any, in thousandths of a millimetre.
    static std::string Describe(const std::string &described)
    {
        std::string name = described.substr(0, described.find(':'));
        auto form = Stored(Utf16(name));
        const RECTL &area = form.imageableArea;
        std::string out = name + ": " + std::to_string(form.size.cx) + " " + std::to_string(form.size.cy) + " " +
                          std::to_string(area.left) + " " + std::to_string(form.size.cx - area.right);
        if (area.top != 0 || area.bottom != form.size.cy)
            out += " " + std::to_string(area.top) + " " + std::to_string(form.size.cy - area.bottom);
        return out + (form.flags == FORM_USER ? "" : " (not a user form)");
    }

    // The messages the user met, split by '|', each over the dialog or "unowned".
    static std::string Told(HWND dialog)
    {
        std::string told;
        for (const auto &box : ui::MessageBoxes()) {
            const char *over = box.owner == dialog ? "" : box.owner == nullptr ? "unowned: " : "elsewhere: ";
            told += (told.empty() ? "" : "|") + std::string(over) + Utf8(box.text);
        }
        return told;
    }

    static void Play(HWND d, const std::string &script)
    {
        static const std::map<std::string, int> kFields = {{"name", IDC_STOCK_NAME},     {"width", IDC_STOCK_WIDTH},
                                                           {"length", IDC_STOCK_LENGTH}, {"left", IDC_STOCK_LEFT},
                                                           {"right", IDC_STOCK_RIGHT},   {"unit", IDC_STOCK_LEFT_UNIT},
                                                           {"type", IDC_STOCK_TYPE}};
        static const std::map<int, int> kSpins = {{IDC_STOCK_LENGTH, IDC_STOCK_LENGTH_SPIN},
                                                  {IDC_STOCK_LEFT, IDC_STOCK_LEFT_SPIN},
                                                  {IDC_STOCK_RIGHT, IDC_STOCK_RIGHT_SPIN}};
        std::istringstream steps(script);
        for (std::string step; std::getline(steps, step, ';');) {
            SCOPED_TRACE(step);
            if (step == "OK" || step == "Cancel") {
                EXPECT_TRUE(ui::Click(d, step == "OK" ? IDC_STOCK_OK : IDCANCEL));
                continue;
            }
            size_t at = step.find_first_of("=<^?");
            ASSERT_NE(at, std::string::npos);
            int id = kFields.at(step.substr(0, at));
            std::string text = step.substr(at + 1);
            switch (step[at]) {
            case '=':
                EXPECT_TRUE(id == IDC_STOCK_WIDTH ? ui::ChooseText(d, id, Utf16(text)) : ui::Type(d, id, Utf16(text)));
                break;
            case '<':
                for (char16_t c : Utf16(text))
                    SendDlgItemMessageW(d, id, WM_CHAR, c, 1);
                break;
            case '^':
                EXPECT_TRUE(ui::Spin(d, kSpins.at(id), std::stoi(text)));
                break;
            default:
                EXPECT_EQ(Text(d, id), text);
            }
        }
    }

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

TEST(PaperStockValues, ThousandthsRoundOnlyWhatIsWholeButForBinaryError)
{
    struct Case {
        double millimetres;
        LONG expected;
    } cases[] = {
        {1.00 * 25.4, 25400}, {0.50 * 25.4, 12700},
        {12.5, 12500},        {0.04 * 25.4, 1016},
        {1.57 * 25.4, 39878}, {39.37 * 25.4, 999998},
        {0.47 * 25.4, 11938}, {1000, 1000000},
        {0.0001, 0},          {1.0159, 1015},
        {-1.0159, -1015},     {0, 0},
        {0.0254, 25},  // 25.4 is not whole: truncated
        {1e12, 0x7FFFFFFF},   {-1e12, LONG(-0x7FFFFFFF - 1)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Thousandths(c.millimetres), c.expected) << c.millimetres;
    FORM_INFO_1W form = {};
    BuildFormSize(12, 1.57 * 25.4, 0.04 * 25.4, 0.5 * 25.4, &form);
    const RECTL &area = form.ImageableArea;
    EXPECT_EQ(std::vector<LONG>({form.Size.cx, form.Size.cy, area.left, area.top, area.right, area.bottom}),
              std::vector<LONG>({12000, 39878, 1016, 0, 12000 - 12700, 39878}));
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
            double in = unit == 1 ? 25.4 : 1;
            EXPECT_EQ(std::vector<double>(
                          {double(param.WidthCount), param.MinLength, param.MaxLength, param.MinWidth, param.MaxWidth}),
                      std::vector<double>({double(r.count), r.mm[0] / in, r.mm[1] / in, r.mm[2] / in, r.mm[3] / in}))
                << Utf8(r.model) << (unit ? " in" : " mm") << (r.extended ? " extended" : "");
        }
    }
    FillStockLimits(nullptr, u"Wren", false);  // nothing to fill
}

// ---- The dialog --------------------------------------------------------------------

// Edit keeps the form's name; the dialog offers one type; the edits are
// bounded in length and the spins step both ways.
TEST_F(PaperStockTest, EditLocksTheNameAndBoundsTheEdits)
{
    UsePrinter(u"Wren");
    STOCKPARAM param = Param(u"Wren", u"12 x 40mm");
    Run(param, [&](HWND d) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_STOCK_NAME)));
        EXPECT_EQ(SendDlgItemMessageW(d, IDC_STOCK_TYPE, CB_GETCOUNT, 0, 0), 1);
        for (int id : {IDC_STOCK_LENGTH, IDC_STOCK_LEFT, IDC_STOCK_RIGHT})
            EXPECT_EQ(SendDlgItemMessageW(d, id, EM_GETLIMITTEXT, 0, 0), 8);
        EXPECT_EQ(SendDlgItemMessageW(d, IDC_STOCK_NAME, EM_GETLIMITTEXT, 0, 0), CCHFORMNAME - 1);
        for (int id : {IDC_STOCK_LENGTH_SPIN, IDC_STOCK_LEFT_SPIN, IDC_STOCK_RIGHT_SPIN})
            EXPECT_EQ(static_cast<DWORD>(SendDlgItemMessageW(d, id, UDM_GETRANGE, 0, 0)), MAKELONG(100, -100)) << id;
        ui::Click(d, IDCANCEL);
    });
}

TEST_F(PaperStockTest, WidthsTakeTheNearestEntryAndTheWiderOnAMidpoint)
{
    UsePrinter(u"FalconBT");
    int n = 0;
    const std::tuple<const char16_t *, LONG, int> cases[] = {
        {u"Wren", 12249, 0},  {u"Wren", 12250, 1},    {u"Wren", 14500, 4},     {u"Robin", 12999, 0},
        {u"Robin", 13000, 1}, {u"FalconBT", 4750, 1}, {u"FalconBT", 29999, 5}, {u"FalconBT", 30000, 6},
        {u"Heron", 7499, 0},  {u"Heron", 21000, 4},   {u"Heron", 3500, 0}};
    for (auto [model, width, index] : cases) {
        std::u16string name = u"w" + Utf16(std::to_string(n++));
        AddForm({name.c_str(), width, 30000, 0, 0});
        STOCKPARAM param = Param(model, name);
        Run(param, [&, model = model, width = width, index = index](HWND d) {
            EXPECT_EQ(SendDlgItemMessageW(d, IDC_STOCK_WIDTH, CB_GETCURSEL, 0, 0), index)
                << Utf8(model) << " " << width;
            ui::Click(d, IDCANCEL);
        });
    }
}

// A user's session in the dialog, from the block the page fills to the form
// the spooler keeps, the name handed back, the current paper and what the
// user was told. The script's steps, split by ';': "field=text" types the
// text (the width list: chooses the entry), "field<text" sends its
// characters at the caret, "field^n" spins n steps, "field?text" expects the
// text shown (the width list: the selected entry), "OK" and "Cancel" click.
struct Session {
    const char16_t *printer;  // the model too
    const char16_t *form;
    DWORD mode, unit;
    const char *script;
    INT_PTR result;
    const char *told;                   // the messages, split by '|'
    const char *stored;                 // "name: width length left right [top bottom]"; null: no form looked at
    const char *handedBack = nullptr;   // null: not looked at
    const char *current = nullptr;      // the current paper after, "before" as it was; null: not looked at
    DWORD access = PRINTER_ALL_ACCESS;  // 0: no printer
    const char *failing = nullptr;      // a spooler call that fails once, out of memory
};

TEST_F(PaperStockTest, SessionsFromTheOpenedFormToTheStoredOne)
{
    const Session sessions[] = {
        // Edit shows the form in millimetres; Cancel saves nothing.
        {u"Wren", u"Wren margins", STOCK_EDIT, 0,
         "name?Wren margins;type?Label;width?12.5mm;length?40.00;left?1.50;right?2.00;unit?mm;Cancel", 0, "",
         "Wren margins: 12500 40000 1500 2000"},
        // Inches: what the user did not touch stays as it was, not two
        // decimals of an inch, even where another length shows the same
        // text; a width picked is the table's millimetres.
        {u"Wren", u"12 mm margins", STOCK_EDIT, 1, "width?0.47\";length?1.57;left?0.04;unit?in;OK", 1, "",
         "12 mm margins: 12000 40000 1000 1000", "12 mm margins"},
        {u"Wren", u"39.9 long", STOCK_EDIT, 1, "length?1.57;OK", 1, "", "39.9 long: 12000 39900 1000 1000"},
        {u"Wren", u"12 mm margins", STOCK_EDIT, 1, "width=0.49\";left=0.1;OK", 1, "",
         "12 mm margins: 12500 40000 2540 1000"},
        // A millimetre limit holds in inches; below it the limits are said
        // rounded outward: 25 mm is 0.984 in.
        {u"MerlinBT", u"24 x 25mm", STOCK_EDIT, 1, "length?0.98;length=0.97;OK;length?0.98;OK", 1,
         "Printable Height: 0.98~39.38 in", "24 x 25mm: 24000 25000 0 0"},
        {u"KestrelBT", u"12 x 40mm", STOCK_EDIT, 1, "width=0.70\";length=1.00;left=0.50;right=0;OK", 1, "",
         "12 x 40mm: 18000 25400 12700 0"},
        {u"KestrelBT", u"12 x 40mm", STOCK_EDIT, 0, "length=12.5;left=0.01;OK", 1, "",
         "12 x 40mm: 12000 12500 10 1000"},
        // The margins the dialog has no field for stay as they were, where
        // the new length still holds them.
        {u"Wren", u"top and bottom", STOCK_EDIT, 0, "length=30;OK", 1, "",
         "top and bottom: 12000 30000 500 500 25000 2000"},
        {u"Wren", u"top and bottom", STOCK_EDIT, 0, "length=20;OK", 1, "",
         "top and bottom: 12000 20000 500 500 0 2000"},
        // Wider than the model's widths: no width selected, the form keeps
        // its own, each margin bounded by the widest tape.
        {u"KestrelBT", u"24 x 60mm", STOCK_EDIT, 0, "width?;length=70;right=20;right?18.00;right=12;left=11;OK", 1, "",
         "24 x 60mm: 24000 70000 11000 12000"},
        // A form that cannot be read leaves the edits empty, the width at
        // its fallback entry.
        {u"MerlinBT", u"no such form", STOCK_NEW, 0, "name?New;width?18mm;length?;left?;right?;Cancel", 0, "", nullptr},
        // A refused text puts back the last value; a margin past the widest
        // tape is bounded by it and then reaches the width. The rewrite
        // keeps the caret where the user was typing: "-" is refused in front
        // of the value, the "1" and "5" that follow go on from there.
        {u"MerlinBT", u"24 x 60mm", STOCK_EDIT, 0,
         "left=12.345;left?12.34;left=-;left?12.34;left=a;left?12.34;left=.;left?12.34;left=2.;left?2.;"
         "right=30;right?0;left?0;length=abc;length?60.00;left=-1;left<5;left?015.00;Cancel",
         0, "unowned: Invalid margin value: beyond the valid paper range.", "24 x 60mm: 24000 60000 0 0"},
        // An empty length is taken while typing, corrected at OK with the
        // limits said over the dialog, which stays.
        {u"Wren", u"12.5 x 40mm", STOCK_EDIT, 0, "length=;length?;OK;length?10.00;Cancel", 0,
         "Printable Height: 10.00~1000.00 mm", "12.5 x 40mm: 12500 40000 0 0"},
        {u"MerlinBT", u"24 x 60mm", STOCK_EDIT, 0,
         "length=10;length^1;length?10.01;length^-3;length?9.98;length=1000;length^1;length?1000.00;"
         "left^2;left?0.02;right=0;right^-1;right?0.00;Cancel",
         0, "", nullptr},
        // Margins that reach the width are reset, said over nothing; a wider
        // tape alone runs no check, the next margin does, and a spin up to
        // the width is refused the same way.
        {u"Wren", u"12 x 40mm", STOCK_EDIT, 0,
         "left=6;right=5.99;right?5.99;right=6;right?0;left?0;width=15mm;left=7;right=7.5;right?7.5;left=0;"
         "right=14.99;right^1;right?0;OK",
         1,
         "unowned: Invalid margin value: beyond the valid paper range.|unowned: Invalid margin value: beyond the valid "
         "paper range.",
         "12 x 40mm: 15000 40000 0 0"},
        // New adds a user form and makes it the current paper; without a
        // printer OK ends the dialog and saves nothing, the name not even
        // taken.
        {u"Robin", u"14 x 50mm", STOCK_NEW, 0, "width?14mm;name=Robin 14 x 30;length=30;right=1.25;OK", 1, "",
         "Robin 14 x 30: 14000 30000 0 1250", "Robin 14 x 30", "Robin 14 x 30"},
        {u"Wren", u"12 x 40mm", STOCK_NEW, 0, "width?14mm;name=never;OK", 1, "", nullptr, "12 x 40mm", "before", 0},
        // A form the spooler takes neither way is said over the dialog,
        // which stays for the user to try again; for a new name the
        // addition is the save, whatever the change said.
        {u"Wren", u"12 x 40mm", STOCK_NEW, 0, "name=Wren new;OK;OK", 1, "The form could not be saved. Error code: 8",
         "Wren new: 12000 40000 1000 1000", "Wren new", "Wren new", PRINTER_ALL_ACCESS, "AddFormW"},
        {u"Wren", u"12 x 40mm", STOCK_EDIT, 0, "length=50;OK;Cancel", 0, "The form could not be saved. Error code: 8",
         "12 x 40mm: 12000 40000 1000 1000", nullptr, "before", PRINTER_ALL_ACCESS, "SetFormW"},
        {u"Wren", u"12 x 40mm", STOCK_NEW, 0, "name=Wren other;OK", 1, "", "Wren other: 12000 40000 1000 1000", nullptr,
         nullptr, PRINTER_ALL_ACCESS, "SetFormW"},
        {u"KestrelBT", u"12 x 40mm", STOCK_NEW, 0, "name=Kestrel new;OK;Cancel", 0,
         "The form could not be saved. Error code: 5", nullptr, nullptr, "before", PRINTER_ACCESS_USE},
    };
    for (const Session &s : sessions) {
        SCOPED_TRACE(Utf8(s.printer) + ": " + s.script);
        UsePrinter(s.printer, 0);
        standin::spooler::Reset();
        standin::spooler::LoadSample();
        for (const Form &form :
             {Form{u"12 mm margins", 12000, 40000, 1000, 1000}, Form{u"39.9 long", 12000, 39900, 1000, 1000},
              Form{u"24 x 25mm", 24000, 25000, 0, 0}, Form{u"Wren margins", 12500, 40000, 1500, 2000},
              Form{u"top and bottom", 12000, 40000, 500, 500, 25000, 2000}})
            AddForm(form);
        ResetPaperStockState();
        ui::ResetAutomation();
        UsePrinter(s.printer, s.access);
        lstrcpynW(gszCurrentPaper, u"before", NAME_UNITS);
        size_t forms = standin::spooler::Forms().size();
        if (s.failing != nullptr)
            standin::FailNext(s.failing, 1, ERROR_NOT_ENOUGH_MEMORY);
        STOCKPARAM param = Param(s.printer, s.form, s.mode, s.unit);
        HWND dialog = nullptr;
        EXPECT_EQ(Run(param,
                      [&](HWND d) {
                          dialog = d;
                          Play(d, s.script);
                      }),
                  s.result);
        EXPECT_EQ(Told(dialog), s.told);
        if (s.stored != nullptr) {
            EXPECT_EQ(Describe(s.stored), s.stored);
        } else if (s.mode == STOCK_NEW) {
            EXPECT_EQ(standin::spooler::Forms().size(), forms);
        }
        EXPECT_TRUE(s.handedBack == nullptr || Utf8(param.FormName) == s.handedBack) << Utf8(param.FormName);
        EXPECT_TRUE(s.current == nullptr || Utf8(gszCurrentPaper) == s.current) << Utf8(gszCurrentPaper);
    }
}

// A bound that two decimals cannot show ends its own rewrite.
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

// New with the name of a form that exists, in any letter case, asks first:
// No keeps the dialog with the name selected for another; Yes replaces the
// form, which keeps its name and paper number, and hands the name back.
TEST_F(PaperStockTest, NewWithAnExistingNameAsksBeforeReplacingThatForm)
{
    UsePrinter(u"Wren");
    lstrcpynW(gszCurrentPaper, u"12.5 x 40mm", NAME_UNITS);
    size_t forms = standin::spooler::Forms().size();
    auto old = Stored(u"13 x 40mm");
    STOCKPARAM param = Param(u"Wren", u"12.5 x 40mm", STOCK_NEW);
    ui::AnswerMessageBox(IDNO);
    ui::AnswerMessageBox(IDYES);
    INT_PTR result = Run(param, [&](HWND d) {
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_NAME, u"13 X 40MM"));
        EXPECT_TRUE(ui::Type(d, IDC_STOCK_LENGTH, u"45"));
        ui::Click(d, IDC_STOCK_OK);
        EXPECT_EQ(Stored(u"13 x 40mm").size.cy, old.size.cy);
        DWORD from = 0, to = 0;
        SendDlgItemMessageW(d, IDC_STOCK_NAME, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                            reinterpret_cast<LPARAM>(&to));
        EXPECT_TRUE(from == 0 && to == 9);
        ui::Click(d, IDC_STOCK_OK);
    });
    EXPECT_EQ(result, 1);
    ASSERT_EQ(ui::MessageBoxes().size(), 2u);
    EXPECT_TRUE(ui::MessageBoxes()[0].text == u"A form with this name already exists. Replace it?" &&
                ui::MessageBoxes()[0].caption == u"13 X 40MM");
    EXPECT_EQ(Utf8(param.FormName), "13 x 40mm");
    EXPECT_EQ(Utf8(gszCurrentPaper), "12.5 x 40mm") << "only an added form becomes the current paper";
    EXPECT_EQ(standin::spooler::Forms().size(), forms);
    EXPECT_TRUE(Stored(u"13 x 40mm").size.cy == 45000 && Stored(u"13 x 40mm").paper == old.paper);
}

}  // namespace
