// The winspool calls of the stand-in against the platform's contract:
// handles and access, the packed buffers and their size queries, printer
// data, raw jobs, forms, the papers of DeviceCapabilitiesW, fault injection.
#include "platform/linux/spooler/tests/support.h"

#include <algorithm>
#include <cstring>
#include <functional>

using namespace spoolertest;

namespace {

const PRINTER_INFO_2W *Info2(Reply &reply) { return reinterpret_cast<const PRINTER_INFO_2W *>(reply.data()); }

Reply FetchInfo2(HANDLE h)
{
    return Fetch([&](LPBYTE buf, DWORD cb, LPDWORD needed) { return GetPrinterW(h, 2, buf, cb, needed); });
}

struct Papers {
    std::vector<std::u16string> names;  // each cut at its terminator or slot end
    std::vector<WORD> numbers;
};

Papers PapersOf(const char16_t *printer)
{
    Papers papers;
    int count = DeviceCapabilitiesW(printer, nullptr, DC_PAPERNAMES, nullptr, nullptr);
    EXPECT_GE(count, 0);
    std::vector<WCHAR> names(count * 64 + 1, 0xCCCC);
    EXPECT_EQ(DeviceCapabilitiesW(printer, nullptr, DC_PAPERNAMES, names.data(), nullptr), count);
    EXPECT_EQ(names.back(), 0xCCCC) << "wrote past the slots";
    std::vector<WORD> numbers(count);
    EXPECT_EQ(DeviceCapabilitiesW(printer, nullptr, DC_PAPERS, reinterpret_cast<LPWSTR>(numbers.data()), nullptr),
              count);
    for (int i = 0; i < count; ++i) {
        const WCHAR *slot = names.data() + i * 64;
        papers.names.emplace_back(slot, std::find(slot, slot + 64, WCHAR(0)));
    }
    papers.numbers = numbers;
    return papers;
}

bool Offers(const Papers &papers, const std::u16string &name)
{
    return std::find(papers.names.begin(), papers.names.end(), name) != papers.names.end();
}

FORM_INFO_1W Label(const char16_t *name, LONG cx, LONG cy) { return {FORM_USER, W(name), {cx, cy}, {0, 0, cx, cy}}; }

}  // namespace

// ---- Handles and access ---------------------------------------------------

TEST_F(SpoolerTest, OpenPrinterChecksNameAndAccess)
{
    HANDLE h = reinterpret_cast<HANDLE>(1);
    EXPECT_FAILS_WITH(OpenPrinterW(W(u"No Such Printer"), &h, nullptr), ERROR_INVALID_PRINTER_NAME);
    EXPECT_EQ(h, nullptr);

    for (DWORD access : {DWORD(PRINTER_ALL_ACCESS), DWORD(PRINTER_ACCESS_ADMINISTER)}) {
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, access};
        EXPECT_FAILS_WITH(OpenPrinterW(W(u"KestrelBT (limited)"), &h, &defaults), ERROR_ACCESS_DENIED);
    }
    // Use only: opens, reads, but may not change anything.
    SetLastError(kMagicDead);
    ASSERT_TRUE(OpenPrinterW(W(u"kestrelbt (LIMITED)"), &h, nullptr));
    EXPECT_EQ(GetLastError(), kMagicDead);
    BYTE byte = 1;
    EXPECT_EQ(SetPrinterDataW(h, W(u"X"), REG_BINARY, &byte, 1), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(ClosePrinter(h));

    sp::SetRefuseFullAccess(u"KestrelBT (limited)", false);
    EXPECT_NE(Printer(u"KestrelBT (limited)").get(), nullptr);
}

// ---- PRINTER_INFO_2 and the default DEVMODE -------------------------------

TEST_F(SpoolerTest, GetPrinterPacksOneBuffer)
{
    Printer p(u"FalconBT", PRINTER_ACCESS_USE);
    DWORD needed = 0;
    ASSERT_FALSE(GetPrinterW(p.get(), 2, nullptr, 0, &needed));
    std::vector<BYTE> small(needed);
    DWORD again = 0;
    EXPECT_FAILS_WITH(GetPrinterW(p.get(), 2, small.data(), needed - 1, &again), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(again, needed);

    Reply reply = FetchInfo2(p.get());
    const PRINTER_INFO_2W *info = Info2(reply);
    EXPECT_EQ(info->pServerName, nullptr);
    for (const WCHAR *s : {info->pPrinterName, info->pShareName, info->pPortName, info->pDriverName, info->pComment,
                           info->pLocation, info->pDatatype, info->pPrintProcessor})
        EXPECT_TRUE(reply.Inside(s));
    EXPECT_EQ(Str(info->pPrinterName), u"FalconBT");
    EXPECT_EQ(Str(info->pPortName), u"USB010");

    ASSERT_TRUE(reply.Inside(info->pDevMode));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(info->pDevMode) % alignof(void *), 0u);
    std::vector<BYTE> stored = sp::DefaultDevMode(u"FalconBT");
    ASSERT_EQ(info->pDevMode->dmSize + info->pDevMode->dmDriverExtra, stored.size());
    EXPECT_TRUE(reply.Inside(reinterpret_cast<const BYTE *>(info->pDevMode) + stored.size() - 1));
    EXPECT_EQ(std::memcmp(info->pDevMode, stored.data(), stored.size()), 0);

    sp::SetDefaultDevMode(u"FalconBT", {});
    Reply bare = FetchInfo2(p.get());
    EXPECT_EQ(Info2(bare)->pDevMode, nullptr);
}

// The plug-in reads the printer's PRINTER_INFO_2, changes its record in the
// DEVMODE's last bytes and writes the block back: every private byte must
// come back as written.
TEST_F(SpoolerTest, SetPrinterKeepsTheDevModeByteForByte)
{
    Printer p(u"KestrelBT");
    Reply reply = FetchInfo2(p.get());
    auto *info = reinterpret_cast<PRINTER_INFO_2W *>(reply.data());
    BYTE *dm = reinterpret_cast<BYTE *>(info->pDevMode);
    size_t total = info->pDevMode->dmSize + info->pDevMode->dmDriverExtra;
    for (size_t i = 220; i < total; ++i)
        dm[i] = static_cast<BYTE>(255 - i);
    info->pDevMode->dmPaperSize = 300;
    info->pComment = W(u"changed");
    info->pPrinterName = W(u"Renamed");
    info->pDriverName = W(u"OtherDriver");
    std::vector<BYTE> expected(dm, dm + total);

    Printer useOnly(u"KestrelBT", PRINTER_ACCESS_USE);
    EXPECT_FAILS_WITH(SetPrinterW(useOnly.get(), 2, reply.data(), 0), ERROR_ACCESS_DENIED);
    EXPECT_NE(sp::DefaultDevMode(u"KestrelBT"), expected);

    SetLastError(kMagicDead);
    ASSERT_TRUE(SetPrinterW(p.get(), 2, reply.data(), 0));
    EXPECT_EQ(GetLastError(), kMagicDead);
    EXPECT_EQ(sp::DefaultDevMode(u"KestrelBT"), expected);
    Reply after = FetchInfo2(p.get());
    EXPECT_EQ(Str(Info2(after)->pComment), u"changed");
    EXPECT_EQ(Str(Info2(after)->pPrinterName), u"KestrelBT");
    EXPECT_EQ(Str(Info2(after)->pDriverName), u"KestrelBT");
    EXPECT_EQ(std::memcmp(Info2(after)->pDevMode, expected.data(), total), 0);
}

// The levels the plug-in asks for: every printer, each name (and the
// DEVMODE at level 2) inside the one buffer; with no printers the size
// query itself succeeds.
TEST_F(SpoolerTest, EnumPrintersLevels4And2)
{
    DWORD needed = 0, count = 7;
    std::vector<std::u16string> names = sp::PrinterNames();
    for (DWORD level : {4u, 2u}) {
        Reply reply = Fetch([&](LPBYTE b, DWORD cb, LPDWORD n) {
            return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, level, b, cb, n, &count);
        });
        ASSERT_EQ(count, names.size());
        for (DWORD i = 0; i < count; ++i) {
            auto *info2 = reinterpret_cast<PRINTER_INFO_2W *>(reply.data()) + i;
            const WCHAR *name =
                level == 4 ? reinterpret_cast<PRINTER_INFO_4W *>(reply.data())[i].pPrinterName : info2->pPrinterName;
            EXPECT_EQ(Str(name), names[i]);
            EXPECT_TRUE(reply.Inside(name) && (level == 4 || reply.Inside(info2->pDevMode)));
        }
    }
    sp::Reset();
    EXPECT_TRUE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count));
    EXPECT_EQ(needed, 0u);
    EXPECT_EQ(count, 0u);
}

// ---- Printer data ---------------------------------------------------------

TEST_F(SpoolerTest, PrinterDataAnswersWithErrorCodes)
{
    Printer p(u"Wren");
    DWORD type = 99, needed = 99;
    BYTE buf[200];
    std::memset(buf, 0xCC, sizeof buf);
    SetLastError(kMagicDead);
    EXPECT_EQ(GetPrinterDataW(p.get(), W(u"Missing"), &type, buf, sizeof buf, &needed), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetPrinterDataW(p.get(), W(u"OrvoPrinterData"), &type, buf, 115, &needed), DWORD(ERROR_MORE_DATA));
    EXPECT_EQ(needed, 116u);
    EXPECT_EQ(type, DWORD(REG_BINARY));
    EXPECT_EQ(buf[0], 0xCC) << "copied although too small";
    EXPECT_EQ(GetPrinterDataW(p.get(), W(u"orvoprinterdata"), nullptr, buf, sizeof buf, &needed), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(buf[0], 5);
    EXPECT_EQ(buf[116], 0xCC);
    EXPECT_EQ(GetLastError(), kMagicDead);

    Printer reader(u"Wren", PRINTER_ACCESS_USE);
    EXPECT_EQ(SetPrinterDataW(reader.get(), W(u"OEMUI_VALUE"), REG_DWORD, buf, 4), DWORD(ERROR_ACCESS_DENIED));

    // An empty value exists and reads with no buffer at all.
    EXPECT_EQ(SetPrinterDataW(p.get(), W(u"Empty"), REG_SZ, nullptr, 0), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(GetPrinterDataW(p.get(), W(u"Empty"), &type, nullptr, 0, &needed), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(needed, 0u);
}

// ---- Jobs -----------------------------------------------------------------

TEST_F(SpoolerTest, RawJobsAreRecorded)
{
    sp::ClearJobs();
    Printer p(u"KestrelBT", PRINTER_ACCESS_USE);
    DWORD written = 7;
    BYTE command[] = {0x1F, 0x11, 0x27};
    EXPECT_FAILS_WITH(WritePrinter(p.get(), command, 3, &written), ERROR_SPL_NO_STARTDOC);
    EXPECT_EQ(written, 0u);
    EXPECT_FAILS_WITH(EndDocPrinter(p.get()), ERROR_SPL_NO_STARTDOC);

    DOC_INFO_1W doc = {W(u"label cmd"), nullptr, W(u"RAW")};
    DWORD id = StartDocPrinterW(p.get(), 1, reinterpret_cast<LPBYTE>(&doc));
    ASSERT_GT(id, 0u);
    EXPECT_FAILS_WITH(StartDocPrinterW(p.get(), 1, reinterpret_cast<LPBYTE>(&doc)), ERROR_INVALID_PRINTER_STATE);
    EXPECT_TRUE(WritePrinter(p.get(), command, 3, &written));
    EXPECT_TRUE(sp::Jobs().empty()) << "recorded once it ends";
    EXPECT_TRUE(EndDocPrinter(p.get()));
    ASSERT_EQ(sp::Jobs().size(), 1u);
    EXPECT_EQ(sp::Jobs()[0].id, id);
    DOC_INFO_1W bad = {W(u"x"), nullptr, W(u"PDF")};
    EXPECT_FAILS_WITH(StartDocPrinterW(p.get(), 1, reinterpret_cast<LPBYTE>(&bad)), ERROR_INVALID_DATATYPE);
}

// ---- Forms ----------------------------------------------------------------

TEST_F(SpoolerTest, GetFormPacksAndComparesNamesWithoutCase)
{
    Printer p(u"FalconBT", PRINTER_ACCESS_USE);
    DWORD needed = 0;
    EXPECT_FAILS_WITH(GetFormW(p.get(), W(u"18 x 100"), 1, nullptr, 0, &needed), ERROR_INVALID_FORM_NAME);

    Reply reply =
        Fetch([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetFormW(p.get(), W(u"18 X 100MM"), 1, b, cb, n); });
    auto *form = reinterpret_cast<const FORM_INFO_1W *>(reply.data());
    EXPECT_TRUE(reply.Inside(form->pName));
    EXPECT_EQ(Str(form->pName), u"18 x 100mm");
    EXPECT_EQ(form->Flags, DWORD(FORM_PRINTER));
    EXPECT_EQ(form->Size.cx, 18000);
    EXPECT_EQ(form->Size.cy, 100000);

    // One blank apart is another form.
    Reply spaced =
        Fetch([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetFormW(p.get(), W(u"18 x 100 mm"), 1, b, cb, n); });
    EXPECT_EQ(Str(reinterpret_cast<const FORM_INFO_1W *>(spaced.data())->pName), u"18 x 100 mm");
    EXPECT_EQ(reinterpret_cast<const FORM_INFO_1W *>(spaced.data())->Flags, DWORD(FORM_USER));
}

TEST_F(SpoolerTest, FormStoreRules)
{
    Printer admin(u"Wren");
    Printer user(u"Wren", PRINTER_ACCESS_USE);
    auto bytes = [](FORM_INFO_1W &f) { return reinterpret_cast<LPBYTE>(&f); };

    FORM_INFO_1W fresh = Label(u"12 x 33mm", 12000, 33000);
    EXPECT_FAILS_WITH(AddFormW(user.get(), 1, bytes(fresh)), ERROR_ACCESS_DENIED);
    FORM_INFO_1W taken = Label(u"18 X 100MM", 18000, 100000);
    EXPECT_FAILS_WITH(AddFormW(admin.get(), 1, bytes(taken)), ERROR_FILE_EXISTS);
    FORM_INFO_1W empty = Label(u"", 12000, 40000);
    EXPECT_FAILS_WITH(AddFormW(admin.get(), 1, bytes(empty)), ERROR_INVALID_PARAMETER);
    FORM_INFO_1W flat = Label(u"Flat", 12000, 0);
    EXPECT_FAILS_WITH(AddFormW(admin.get(), 1, bytes(flat)), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(AddFormW(admin.get(), 1, bytes(fresh)));

    // Server-wide: another printer's handle sees and changes it.
    Printer other(u"Robin");
    FORM_INFO_1W longer = Label(u"ignored", 12500, 50000);
    EXPECT_FAILS_WITH(SetFormW(other.get(), W(u"nope"), 1, bytes(longer)), ERROR_INVALID_FORM_NAME);
    EXPECT_FAILS_WITH(SetFormW(user.get(), W(u"12 x 33mm"), 1, bytes(longer)), ERROR_ACCESS_DENIED);
    EXPECT_FAILS_WITH(SetFormW(other.get(), W(u"A4"), 1, bytes(longer)), ERROR_INVALID_PARAMETER);
    EXPECT_FAILS_WITH(SetFormW(other.get(), W(u"50 x 70mm"), 1, bytes(longer)), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(SetFormW(other.get(), W(u"12 X 33MM"), 1, bytes(longer)));
    std::vector<sp::FormConfig> forms = sp::Forms();
    auto found =
        std::find_if(forms.begin(), forms.end(), [](const sp::FormConfig &f) { return f.name == u"12 x 33mm"; });
    ASSERT_NE(found, forms.end());
    EXPECT_EQ(found->size.cy, 50000);
    EXPECT_EQ(found->flags, DWORD(FORM_USER));

    EXPECT_FAILS_WITH(DeleteFormW(admin.get(), W(u"nope")), ERROR_INVALID_FORM_NAME);
    EXPECT_FAILS_WITH(DeleteFormW(user.get(), W(u"12 x 33mm")), ERROR_ACCESS_DENIED);
    EXPECT_FAILS_WITH(DeleteFormW(admin.get(), W(u"A4")), ERROR_INVALID_PARAMETER);
    EXPECT_FAILS_WITH(DeleteFormW(admin.get(), W(u"50 x 70mm")), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(DeleteFormW(admin.get(), W(u"12 x 33MM")));
    EXPECT_EQ(sp::Forms().size(), forms.size() - 1);
}

// ---- Papers ---------------------------------------------------------------

TEST_F(SpoolerTest, PapersFollowTheModelsWidths)
{
    Papers wren = PapersOf(u"Wren"), falcon = PapersOf(u"FalconBT");
    EXPECT_EQ(wren.names.front(), u"50 x 70mm") << "the driver's own paper comes first";
    const struct {
        const Papers &papers;
        const char16_t *name;
        bool offered;
    } rows[] = {{wren, u"12.5 x 40mm", true},   {wren, u"15 x 50mm", true},    {wren, u"9 x 40mm", false},
                {wren, u"18 x 50mm", false},    {wren, u"A4", false},          {falcon, u"18 x 100mm", true},
                {falcon, u"18 x 100 mm", true}, {falcon, u"3.5 x 30mm", true}, {falcon, u"36 x 80mm", true},
                {falcon, u"50 x 70mm", false}};
    for (const auto &row : rows)
        EXPECT_EQ(Offers(row.papers, row.name), row.offered) << U8(row.name);

    // Each number is the form's own, paired by index with its name.
    std::vector<sp::FormConfig> forms = sp::Forms();
    for (size_t i = 0; i < falcon.names.size(); ++i) {
        auto form = std::find_if(forms.begin(), forms.end(),
                                 [&](const sp::FormConfig &f) { return f.name == falcon.names[i]; });
        ASSERT_NE(form, forms.end());
        EXPECT_EQ(falcon.numbers[i], form->paper);
    }

    SetLastError(kMagicDead);
    EXPECT_EQ(DeviceCapabilitiesW(u"No Such Printer", nullptr, DC_PAPERS, nullptr, nullptr), -1);
    EXPECT_EQ(DeviceCapabilitiesW(nullptr, nullptr, DC_PAPERS, nullptr, nullptr), -1);
    EXPECT_EQ(DeviceCapabilitiesW(u"Wren", nullptr, 6 /* DC_BINS */, nullptr, nullptr), -1);
}

TEST_F(SpoolerTest, PaperNumbersStayWithTheirForms)
{
    Papers before = PapersOf(u"Robin");
    Printer p(u"Robin");
    FORM_INFO_1W added = Label(u"13 x 20mm", 13000, 20000);
    ASSERT_TRUE(AddFormW(p.get(), 1, reinterpret_cast<LPBYTE>(&added)));
    Papers with = PapersOf(u"Robin");
    ASSERT_EQ(with.names.size(), before.names.size() + 1);
    for (size_t i = 0; i < before.names.size(); ++i) {
        EXPECT_EQ(with.names[i], before.names[i]);
        EXPECT_EQ(with.numbers[i], before.numbers[i]);
    }
    WORD first = with.numbers.back();
    EXPECT_GE(first, sp::kFirstUserPaper);

    // Deleted and added again: a new number, the old one is not given out.
    ASSERT_TRUE(DeleteFormW(p.get(), W(u"13 x 20mm")));
    ASSERT_TRUE(AddFormW(p.get(), 1, reinterpret_cast<LPBYTE>(&added)));
    EXPECT_GT(PapersOf(u"Robin").numbers.back(), first);
}

// Names fill 64-unit slots: a 64-unit name has no terminator, a longer one
// is cut, shorter ones are zero-filled to the slot's end.
TEST_F(SpoolerTest, PaperNamesFillSixtyFourUnitSlots)
{
    sp::Reset();
    ASSERT_TRUE(sp::AddDriver({u"Test", 0, 0, 100000, {}}));
    sp::PrinterConfig printer;
    printer.name = u"T";
    printer.port = u"USB001";
    printer.driver = u"Test";
    ASSERT_TRUE(sp::AddPrinter(printer));
    std::u16string exact(64, u'e'), longer(70, u'l');
    for (const std::u16string &name : {exact, longer, std::u16string(u"short")})
        ASSERT_TRUE(sp::AddForm({name, FORM_USER, {12000, 40000}, {0, 0, 12000, 40000}, 0}));
    std::vector<WCHAR> slots(3 * 64, 0xCCCC);
    ASSERT_EQ(DeviceCapabilitiesW(u"T", nullptr, DC_PAPERNAMES, slots.data(), nullptr), 3);
    EXPECT_EQ(std::u16string(slots.data(), 64), exact);
    EXPECT_EQ(std::u16string(slots.data() + 64, 64), longer.substr(0, 64));
    EXPECT_EQ(std::u16string(slots.data() + 128, 5), u"short");
    EXPECT_TRUE(std::all_of(slots.begin() + 133, slots.end(), [](WCHAR c) { return c == 0; }));
}

// ---- Fault injection and threads ------------------------------------------

TEST_F(SpoolerTest, EveryCallCanBeMadeToFail)
{
    Printer p(u"FalconBT");
    BYTE buf[4096];
    DWORD needed = 0, count = 0, written = 0;
    FORM_INFO_1W form = Label(u"12 x 11mm", 12000, 11000);
    DOC_INFO_1W doc = {W(u"d"), nullptr, nullptr};
    HANDLE opened = nullptr;
    struct Case {
        const char *api;
        std::function<bool()> call;  // true when the call failed
    };
    const Case cases[] = {
        {"OpenPrinterW", [&] { return !OpenPrinterW(W(u"FalconBT"), &opened, nullptr); }},
        {"GetPrinterW", [&] { return !GetPrinterW(p.get(), 2, buf, sizeof buf, &needed); }},
        {"SetPrinterW", [&] { return !SetPrinterW(p.get(), 2, buf, 0); }},
        {"EnumPrintersW",
         [&] { return !EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, buf, sizeof buf, &needed, &count); }},
        {"GetPrinterDriverW", [&] { return !GetPrinterDriverW(p.get(), nullptr, 8, buf, sizeof buf, &needed); }},
        {"GetPrinterDataW",
         [&] { return GetPrinterDataW(p.get(), W(u"OrvoPrinterData"), nullptr, buf, 116, &needed) == 0x4321; }},
        {"SetPrinterDataW", [&] { return SetPrinterDataW(p.get(), W(u"V"), REG_BINARY, buf, 1) == 0x4321; }},
        {"StartDocPrinterW", [&] { return StartDocPrinterW(p.get(), 1, reinterpret_cast<LPBYTE>(&doc)) == 0; }},
        {"StartPagePrinter", [&] { return !StartPagePrinter(p.get()); }},
        {"WritePrinter", [&] { return !WritePrinter(p.get(), buf, 1, &written); }},
        {"EndPagePrinter", [&] { return !EndPagePrinter(p.get()); }},
        {"EndDocPrinter", [&] { return !EndDocPrinter(p.get()); }},
        {"GetFormW", [&] { return !GetFormW(p.get(), W(u"A4"), 1, buf, sizeof buf, &needed); }},
        {"AddFormW", [&] { return !AddFormW(p.get(), 1, reinterpret_cast<LPBYTE>(&form)); }},
        {"SetFormW", [&] { return !SetFormW(p.get(), W(u"12 x 11mm"), 1, reinterpret_cast<LPBYTE>(&form)); }},
        {"DeleteFormW", [&] { return !DeleteFormW(p.get(), W(u"12 x 11mm")); }},
        {"DeviceCapabilitiesW",
         [&] { return DeviceCapabilitiesW(u"FalconBT", nullptr, DC_PAPERS, nullptr, nullptr) == -1; }},
    };
    // GetPrinterW runs before SetPrinterW and leaves a PRINTER_INFO_2 in buf.
    for (const Case &c : cases) {
        standin::FailNext(c.api, 1, 0x4321);
        SetLastError(kMagicDead);
        EXPECT_TRUE(c.call()) << c.api << " did not fail";
        EXPECT_EQ(GetLastError(), 0x4321u) << c.api;
        EXPECT_FALSE(c.call()) << c.api << " failed twice";
    }
    EXPECT_TRUE(ClosePrinter(opened));
    standin::FailNext("ClosePrinter", 1, 0x4321);
    HANDLE h = nullptr;
    ASSERT_TRUE(OpenPrinterW(W(u"FalconBT"), &h, nullptr));
    EXPECT_FAILS_WITH(ClosePrinter(h), 0x4321);
    EXPECT_TRUE(ClosePrinter(h)) << "a failed close leaves the handle open";
}

// A write that reports failure after writing: the server has changed, the
// caller hears of a failure.
TEST_F(SpoolerTest, AWriteCanFailAfterWriting)
{
    Printer p(u"FalconBT");
    BYTE data = 7;
    FORM_INFO_1W form = Label(u"12 x 11mm", 12000, 11000);
    Reply info = FetchInfo2(p.get());
    reinterpret_cast<PRINTER_INFO_2W *>(info.data())->pComment = W(u"written");
    auto hasForm = [] {
        std::vector<sp::FormConfig> forms = sp::Forms();
        return std::any_of(forms.begin(), forms.end(), [](const sp::FormConfig &f) { return f.name == u"12 x 11mm"; });
    };
    const struct {
        const char *api;
        std::function<bool()> call;     // true when it failed
        std::function<bool()> written;  // the change is there
    } cases[] = {
        {"SetPrinterDataW", [&] { return SetPrinterDataW(p.get(), W(u"V"), REG_BINARY, &data, 1) == 0x4321; },
         [] {
             sp::DataValue v;
             return sp::GetData(u"FalconBT", u"V", v) && v.bytes == std::vector<BYTE>{7};
         }},
        {"SetPrinterW", [&] { return !SetPrinterW(p.get(), 2, info.data(), 0); },
         [&] {
             Reply after = FetchInfo2(p.get());
             return Str(Info2(after)->pComment) == u"written";
         }},
        {"AddFormW", [&] { return !AddFormW(p.get(), 1, reinterpret_cast<LPBYTE>(&form)); }, hasForm},
        {"DeleteFormW", [&] { return !DeleteFormW(p.get(), W(u"12 x 11mm")); }, [&] { return !hasForm(); }},
    };
    for (const auto &c : cases) {
        standin::FailAfterWriting(c.api, 1, 0x4321);
        SetLastError(kMagicDead);
        EXPECT_TRUE(c.call()) << c.api << " did not fail";
        if (std::string(c.api) != "SetPrinterDataW") {
            EXPECT_EQ(GetLastError(), 0x4321u) << c.api;
        }
        EXPECT_TRUE(c.written()) << c.api << " did not write";
        EXPECT_EQ(standin::PlannedSkips(c.api), -1) << "the plan is spent";
    }
}
