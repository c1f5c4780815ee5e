// The print server's controls and its state: the sample's contents, the
// JSON round trip, the atomic save, and states that must be refused.
#include "platform/linux/spooler/tests/support.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

using namespace spoolertest;
namespace fs = std::filesystem;

namespace {

int32_t Int32At(const std::vector<BYTE> &bytes, size_t offset)
{
    int32_t v;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}

const DEVMODEW &Public(const std::vector<BYTE> &devmode) { return *reinterpret_cast<const DEVMODEW *>(devmode.data()); }

std::string ReadFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path &path, const std::string &text) { std::ofstream(path, std::ios::binary) << text; }

class StateTest : public SpoolerTest {
protected:
    void SetUp() override
    {
        SpoolerTest::SetUp();
        char pattern[] = "/tmp/spooler-state-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override
    {
        fs::remove_all(dir_);
        SpoolerTest::TearDown();
    }
    fs::path dir_;
};

}  // namespace

// What the plug-in's tests take from the sample: each model's default paper
// is one the printer offers, under its number; the plug-in's record with its
// defaults is the DEVMODE's last 108 bytes; the stored settings are a record
// of version 5, but for Osprey, which predates the plug-in.
TEST_F(StateTest, SampleHasEveryModel)
{
    for (const char16_t *model : {u"KestrelBT", u"KestrelBT PRO", u"MerlinBT", u"Osprey", u"Heron", u"HeronBT PRO",
                                  u"Plover", u"Wren", u"Robin", u"FalconBT", u"Condor Printer"}) {
        sp::PrinterConfig printer;
        ASSERT_TRUE(sp::GetPrinter(model, printer)) << U8(model);
        const DEVMODEW &dm = Public(printer.devmode);
        int count = DeviceCapabilitiesW(model, nullptr, DC_PAPERS, nullptr, nullptr);
        std::vector<WORD> numbers(count);
        std::vector<WCHAR> names(64 * count);
        DeviceCapabilitiesW(model, nullptr, DC_PAPERS, reinterpret_cast<LPWSTR>(numbers.data()), nullptr);
        DeviceCapabilitiesW(model, nullptr, DC_PAPERNAMES, names.data(), nullptr);
        auto at = std::find(numbers.begin(), numbers.end(), WORD(dm.dmPaperSize));
        ASSERT_NE(at, numbers.end()) << U8(model);
        EXPECT_EQ(Str(names.data() + 64 * (at - numbers.begin())), Str(dm.dmFormName));

        ASSERT_EQ(dm.dmDriverExtra, 300);
        ASSERT_EQ(printer.devmode.size(), 520u);
        EXPECT_EQ(Int32At(printer.devmode, 412), 108);
        EXPECT_EQ(Int32At(printer.devmode, 416), 0x4D534654);
        EXPECT_EQ(Int32At(printer.devmode, 420), 3);
        sp::DataValue settings;
        bool stored = sp::GetData(model, u"OrvoPrinterData", settings);
        ASSERT_EQ(stored, std::u16string(model) != u"Osprey") << U8(model);
        if (stored) {
            EXPECT_EQ(settings.type, DWORD(REG_BINARY));
            ASSERT_EQ(settings.bytes.size(), 116u);
            EXPECT_EQ(Int32At(settings.bytes, 0), 5);
        }
    }
}

TEST_F(StateTest, ControlsCheckWhatTheyAreGiven)
{
    sp::PrinterConfig config;
    config.name = u"wren";
    config.port = u"USB020";
    config.driver = u"Wren";
    EXPECT_FALSE(sp::AddPrinter(config)) << "names are taken without regard to case";
    config.name = u"A,B";
    EXPECT_FALSE(sp::AddPrinter(config));
    config.name = u"New Model Printer";
    config.driver = u"Unknown Driver";
    config.devmode = std::vector<BYTE>(219);
    EXPECT_FALSE(sp::AddPrinter(config)) << "a DEVMODE shorter than its public part";
    config.devmode = sp::MakeDefaultDevMode(config.name, config.driver, u"12 x 40mm");
    ASSERT_EQ(config.devmode.size(), 520u);
    config.devmode.push_back(0);
    EXPECT_FALSE(sp::AddPrinter(config)) << "bytes beyond dmDriverExtra";
    config.devmode.pop_back();
    ASSERT_TRUE(sp::AddPrinter(config));

    // An unknown driver offers every form, whatever its width.
    sp::DriverConfig driver;
    ASSERT_TRUE(sp::GetDriver(u"Unknown Driver", driver));
    EXPECT_EQ(DeviceCapabilitiesW(u"New Model Printer", nullptr, DC_PAPERS, nullptr, nullptr), int(sp::Forms().size()));

    // Paper numbers: an explicit one is kept, a taken one refused.
    EXPECT_FALSE(sp::AddForm({u"Again", FORM_USER, {1000, 1000}, {0, 0, 1000, 1000}, 9}));
    EXPECT_TRUE(sp::AddForm({u"B5", FORM_BUILTIN, {182000, 257000}, {0, 0, 182000, 257000}, 13}));
    EXPECT_TRUE(sp::RemoveForm(u"b5"));

    // A handle outlives a change of its printer, not its removal.
    Printer h(u"New Model Printer");
    config.comment = u"moved";
    ASSERT_TRUE(sp::UpdatePrinter(u"New Model Printer", config));
    DWORD needed = 0;
    EXPECT_FAILS_WITH(GetPrinterW(h.get(), 4, nullptr, 0, &needed), ERROR_INSUFFICIENT_BUFFER);
    ASSERT_TRUE(sp::RemovePrinter(u"New Model Printer"));
    EXPECT_FAILS_WITH(GetPrinterW(h.get(), 4, nullptr, 0, &needed), ERROR_INVALID_HANDLE);
}

TEST_F(StateTest, JsonRoundTripIsExact)
{
    // Change what a session changes: data, forms, a DEVMODE, a version.
    ASSERT_TRUE(sp::SetData(u"FalconBT", u"DISTRIBUTEDLIST", REG_BINARY, std::vector<BYTE>(1056, 0xA5)));
    ASSERT_TRUE(sp::SetData(u"FalconBT", u"OEMUI_VALUE", REG_DWORD, {7, 0, 0, 0}));
    ASSERT_TRUE(sp::AddForm({u"12 x 12mm", FORM_USER, {12000, 12000}, {500, 0, 11500, 12000}, 0}));
    ASSERT_TRUE(sp::AddForm({u"Gone", FORM_USER, {12000, 12000}, {0, 0, 12000, 12000}, 0}));
    WORD goneNumber = sp::Forms().back().paper;
    ASSERT_TRUE(sp::RemoveForm(u"Gone"));  // its number, the highest, stays taken
    std::vector<BYTE> devmode = sp::DefaultDevMode(u"Wren");
    devmode.back() = 0x5A;
    ASSERT_TRUE(sp::SetDefaultDevMode(u"Wren", devmode));
    ASSERT_TRUE(sp::SetDriverVersion(u"Wren", sp::DriverVersion(65535, 0, 1, 2)));
    ASSERT_TRUE(sp::SetRefuseFullAccess(u"Osprey", true));
    std::string saved = sp::ToJson();
    std::vector<WORD> papers(64);
    int count = DeviceCapabilitiesW(u"Wren", nullptr, DC_PAPERS, reinterpret_cast<LPWSTR>(papers.data()), nullptr);

    sp::Reset();
    EXPECT_TRUE(sp::PrinterNames().empty());
    std::string error;
    ASSERT_TRUE(sp::FromJson(saved, &error)) << error;
    EXPECT_EQ(sp::ToJson(), saved);
    EXPECT_EQ(sp::DefaultDevMode(u"Wren"), devmode);
    std::vector<WORD> again(64);
    EXPECT_EQ(DeviceCapabilitiesW(u"Wren", nullptr, DC_PAPERS, reinterpret_cast<LPWSTR>(again.data()), nullptr), count);
    EXPECT_EQ(again, papers);
    HANDLE h = nullptr;
    PRINTER_DEFAULTSW all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    EXPECT_FAILS_WITH(OpenPrinterW(W(u"Osprey"), &h, &all), ERROR_ACCESS_DENIED);

    // The number of the removed form is not given out after the reload.
    ASSERT_TRUE(sp::AddForm({u"Late", FORM_USER, {12000, 30000}, {0, 0, 12000, 30000}, 0}));
    EXPECT_GT(sp::Forms().back().paper, goneNumber);
}

TEST_F(StateTest, SaveIsAtomic)
{
    fs::path file = dir_ / "server.json";
    std::string error;
    ASSERT_TRUE(sp::SaveJson(file.string(), &error)) << error;
    EXPECT_EQ(ReadFile(file), sp::ToJson());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1) << "a temporary file is left";

    EXPECT_FALSE(sp::SaveJson((dir_ / "missing" / "server.json").string(), &error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;

    // A target whose temporary name would be too long: the save fails
    // before the old file is touched.
    fs::path longName = dir_ / std::string(250, 'n');
    WriteFile(longName, "old contents");
    error.clear();
    EXPECT_FALSE(sp::SaveJson(longName.string(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFile(longName), "old contents");

    sp::Reset();
    ASSERT_TRUE(sp::LoadJson(file.string(), &error)) << error;
    EXPECT_EQ(sp::PrinterNames().size(), 18u);
}

TEST_F(StateTest, BadStatesAreRefusedAndChangeNothing)
{
    std::string good = sp::ToJson();
    auto edited = [&](const std::function<void(nlohmann::json &)> &edit) {
        nlohmann::json j = nlohmann::json::parse(good);
        edit(j);
        return j.dump();
    };
    const std::pair<const char *, std::string> cases[] = {
        {"not JSON", "{ \"format\": "},
        {"another format", edited([](auto &j) { j["format"] = "something else"; })},
        {"a later version", edited([](auto &j) { j["version"] = 2; })},
        {"odd hex", edited([](auto &j) { j["printers"][0]["devmode"] = "abc"; })},
        {"short DEVMODE", edited([](auto &j) { j["printers"][0]["devmode"] = "00"; })},
        {"data not hex", edited([](auto &j) { j["printers"][1]["data"][0]["bytes"] = "zz"; })},
        {"same name twice", edited([](auto &j) { j["printers"][1]["name"] = "KESTRELBT"; })},
        {"unknown driver", edited([](auto &j) { j["printers"][2]["driver"] = "Nobody"; })},
        {"paper number twice", edited([](auto &j) { j["forms"][5]["paper"] = j["forms"][4]["paper"]; })},
        {"bad version", edited([](auto &j) { j["drivers"][0]["version"] = "1.5"; })},
        {"missing field", edited([](auto &j) { j["forms"][0].erase("width"); })},
        {"wrong type", edited([](auto &j) { j["printers"][0]["attributes"] = "1"; })},
        {"form kind", edited([](auto &j) { j["forms"][0]["flags"] = 4; })},
    };
    ASSERT_TRUE(sp::SetData(u"Heron", u"Marker", REG_DWORD, {1, 2, 3, 4}));
    std::string before = sp::ToJson();

    // Of several duplicate names, the first form that has one is named with
    // its own first duplicate, not the first duplicate met.
    auto refusal = [&](const std::function<void(nlohmann::json &)> &edit) {
        std::string error;
        EXPECT_FALSE(sp::FromJson(edited(edit), &error));
        return error;
    };
    std::string names = refusal([](auto &j) {
        j["forms"][4]["name"] = "Dup One";
        j["forms"][5]["name"] = "Dup Two";
        j["forms"][6]["name"] = "DUP TWO";
        j["forms"][7]["name"] = "dup one";
    });
    EXPECT_NE(names.find("two forms named \"dup one\""), std::string::npos) << names;
    for (const auto &[what, text] : cases) {
        std::string error;
        EXPECT_FALSE(sp::FromJson(text, &error)) << what;
        EXPECT_FALSE(error.empty()) << what;
        EXPECT_EQ(sp::ToJson(), before) << what;
    }
}

TEST_F(StateTest, NamesWithControlCharactersAreRefusedAndShownEscaped)
{
    nlohmann::json base = nlohmann::json::parse(sp::ToJson());
    const struct {
        const char *what;
        std::function<void(nlohmann::json &)> edit;
        const char *message;
    } cases[] = {
        {"form", [](auto &j) { j["forms"][0]["name"] = "Tab\there"; }, "form name \"Tab\\u0009here\""},
        {"driver", [](auto &j) { j["drivers"][0]["name"] = "Esc\x1b[2J"; }, "driver name \"Esc\\u001B[2J\""},
        {"data value", [](auto &j) { j["printers"][1]["data"][0]["name"] = "Line\nBreak"; },
         "data value name \"Line\\u000ABreak\""},
    };
    std::string before = sp::ToJson();
    for (const auto &c : cases) {
        nlohmann::json j = base;
        c.edit(j);
        std::string error;
        EXPECT_FALSE(sp::FromJson(j.dump(), &error)) << c.what;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(error.find_first_of(std::string("\x00\x07\x09\x0a\x1b", 5)), std::string::npos) << c.what;
        EXPECT_EQ(sp::ToJson(), before) << c.what;
    }
    // The controls refuse them too; other characters are names as any.
    sp::PrinterConfig printer;
    ASSERT_TRUE(sp::GetPrinter(u"Wren", printer));
    printer.name = u"Wren\u0001";
    EXPECT_FALSE(sp::AddPrinter(printer));
    printer.name = u"Wren \u4e2d\U0001F5A8";
    EXPECT_TRUE(sp::AddPrinter(printer));
}

namespace {

// The change count is what the host saves by: each call that changes what
// ToJson saves moves it, one that stores what is there already does not,
// and an equal count means an equal state.
TEST_F(SpoolerTest, ChangeCountFollowsTheSavedState)
{
    Printer printer(u"KestrelBT");
    ASSERT_TRUE(printer);
    HANDLE h = printer.get();
    BYTE one[] = {1, 0, 0, 0}, read[8];
    DWORD type, needed;
    FORM_INFO_1W form = {FORM_USER, W(u"Counted"), {30000, 40000}, {0, 0, 30000, 40000}};
    auto *formBytes = reinterpret_cast<LPBYTE>(&form);
    sp::PrinterConfig config;
    ASSERT_TRUE(sp::GetPrinter(u"KestrelBT", config));
    PRINTER_INFO_2W info = {};
    info.pDevMode = reinterpret_cast<DEVMODEW *>(config.devmode.data());
    info.Attributes = config.attributes;
    auto step = [](const char *what, bool changes, const std::function<bool()> &call) {
        unsigned long long before = sp::Changes();
        std::string json = sp::ToJson();
        EXPECT_TRUE(call()) << what;
        EXPECT_EQ(sp::Changes() != before, changes) << what;
        EXPECT_EQ(sp::ToJson() != json, changes) << what;
    };
    step("new value", true, [&] { return SetPrinterDataW(h, W(u"V"), REG_BINARY, one, 4) == 0; });
    step("same bytes", false, [&] { return SetPrinterDataW(h, W(u"V"), REG_BINARY, one, 4) == 0; });
    step("other type", true, [&] { return SetPrinterDataW(h, W(u"V"), REG_DWORD, one, 4) == 0; });
    step("AddFormW", true, [&] { return AddFormW(h, 1, formBytes) != FALSE; });
    step("SetFormW, same size", false, [&] { return SetFormW(h, W(u"Counted"), 1, formBytes) != FALSE; });
    step("SetPrinterW, same", false, [&] { return SetPrinterW(h, 2, reinterpret_cast<LPBYTE>(&info), 0) != FALSE; });
    step("DeleteFormW", true, [&] { return DeleteFormW(h, W(u"Counted")) != FALSE; });
    step("SetData, same", false, [] { return sp::SetData(u"KestrelBT", u"V", REG_DWORD, {1, 0, 0, 0}); });
    step("RemoveData", true, [] { return sp::RemoveData(u"KestrelBT", u"V"); });
    step("SetRefuseFullAccess", true, [] { return sp::SetRefuseFullAccess(u"Wren", true); });
    step("AddForm", true, [] { return sp::AddForm({u"Counted 2", FORM_USER, {3000, 4000}, {0, 0, 3000, 4000}, 0}); });
    step("a read", false, [&] { return GetPrinterDataW(h, W(u"X"), &type, read, 8, &needed) != 0; });
}

}  // namespace
