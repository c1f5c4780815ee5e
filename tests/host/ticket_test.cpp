// The host's print ticket core: its base documents, helper and session, and the ticket and caps commands.
#include "platform/linux/testing/leakcheck.h"
#include "host/ptcore.h"
#include "host/ticketfile.h"
#include "host/tickets.h"
#include "host/text.h"
#include "platform/linux/spooler/server.h"
#include "src/ptprovider/vocabulary.h"

#include "tests/host/expect.h"
#include "tests/support/hostrun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <tuple>
#include <type_traits>
#include <unistd.h>

namespace {

using namespace host;

// The host is linked into one program with the plug-in's library, so its
// types live in their own namespace (one definition rule).
static_assert(!std::is_same_v<host::TicketFeature, ::TicketFeature>);

// The option a feature of the text selects, "(none)" without the feature.
std::string Selected(const std::string &xml, const std::string &feature)
{
    size_t at = xml.find("<psf:Feature name=\"" + feature + "\"");
    const std::string option = "<psf:Option name=\"";
    at = at == std::string::npos ? at : xml.find(option, at);
    if (at == std::string::npos)
        return "(none)";
    at += option.size();
    return xml.substr(at, xml.find('"', at) - at);
}

bool WellFormed(const std::string &text)
{
    std::string xml, error;
    return DecodeTicket(text, "t.xml", xml, error);
}

DEVMODEW LabelDevMode(const char16_t *form, short widthTenths, short lengthTenths)
{
    DEVMODEW devmode = {};
    devmode.dmSize = sizeof(DEVMODEW);
    devmode.dmOrientation = DMORIENT_PORTRAIT;
    devmode.dmPaperWidth = widthTenths, devmode.dmPaperLength = lengthTenths, devmode.dmCopies = 1;
    lstrcpynW(devmode.dmFormName, form, CCHFORMNAME);
    return devmode;
}

// The text in UTF-16, little or big endian, with a byte order mark.
std::string Utf16Bytes(const std::string &utf8, bool bigEndian)
{
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : Utf16(utf8)) {
        char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

using TicketCore = standin_testing::LeakCheckTest;

// The sample printers' base documents are pinned byte for byte by the golden
// dumps; here, what no sample printer has.
TEST_F(TicketCore, BaseDocumentsWhatTheSamplePrintersDoNotShow)
{
    DEVMODEW devmode = LabelDevMode(u"18 x 100mm", 180, 1000);
    devmode.dmOrientation = DMORIENT_LANDSCAPE;
    devmode.dmCopies = 3;
    std::string ticket = MakeBaseTicket(devmode, u"FalconBT");
    EXPECT_EQ(Selected(ticket, "psk:PageOrientation"), "psk:Landscape");
    EXPECT_EQ(Selected(ticket, "psk:PageResolution"), "ns0000:Standard");
    EXPECT_EQ(Count(ticket, "<psf:ParameterInit"), 1u) << "the plug-in's parameters are its own to add";
    EXPECT_TRUE(Has(ticket, "JobCopiesAllDocuments\"><psf:Value xsi:type=\"xsd:integer\">3</psf:Value>"));
    EXPECT_EQ(Selected(MakeBaseTicket(devmode, u"FalconBT "), "psk:PageResolution"), "(none)");

    for (auto [form, option] : {std::pair<const char16_t *, const char *>{u"12.5 x 40mm", "Paper12.5_x_40mm"},
                                {u"A4", "A4"},
                                {u"Etikett \u00e4 & <x>", "Etikett______x_"},
                                {u"", "Paper"}})
        EXPECT_EQ(PaperOptionName(form), option);
    EXPECT_TRUE(WellFormed(MakeBaseTicket(LabelDevMode(u"<&\"> 1", 100, 100), u"Wren")));
    std::string caps = MakeBaseCapabilities(u"Robin", {{u"A & B", 50000, 70000}});
    EXPECT_TRUE(WellFormed(caps));
    EXPECT_EQ(Count(caps, "<psf:Option name=\"ns0000:A___B\">"), 1u);
    EXPECT_TRUE(Has(caps, "<psf:Value xsi:type=\"xsd:string\">A &amp; B</psf:Value>"));
    EXPECT_TRUE(Lacks(caps, "psk:PageResolution"));
}

// The provider asks the helper for IPrintCoreHelperUni on every command run.
TEST_F(TicketCore, HelperServesItsInterfacesAndMakesXmlObjects)
{
    CorePrintHelper *helper = CorePrintHelper::Create();
    long live = CorePrintHelper::LiveCount();
    void *out = reinterpret_cast<void *>(1);
    EXPECT_EQ(helper->QueryInterface(IID_IPrintOemPrintTicketProvider, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    IXMLDOMDocument2 *document = nullptr;
    EXPECT_EQ(helper->CreateInstanceOfMSXMLObject(CLSID_DOMDocument60, nullptr, 0, msxml6::IID_Document2,
                                                  reinterpret_cast<void **>(&document)),
              S_OK)
        << "a class context of 0 means in-process";
    if (document != nullptr) {
        std::string error;
        EXPECT_TRUE(LoadDocumentText(document, "\xEF\xBB\xBF<a xmlns=\"urn:x\"><b/></a>", error)) << error;
        EXPECT_TRUE(Has(DocumentText(document), "<b/>"));
        EXPECT_FALSE(LoadDocumentText(document, "<a><b></a>", error));
        EXPECT_TRUE(Has(error, "not a well-formed XML document"));
        document->Release();
    }
    CoUninitialize();
    EXPECT_EQ(helper->Release(), 0u);
    EXPECT_EQ(CorePrintHelper::LiveCount(), live - 1);
}

TEST_F(TicketCore, SessionBindsTheProviderAndReleasesEverythingOrFailsCleanly)
{
    standin::spooler::LoadSample();
    long comBefore = standin::ComInitCount();
    long helpersBefore = CorePrintHelper::LiveCount();
    {
        TicketSession session;
        std::string error;
        ASSERT_TRUE(session.Open(ORVOUI_TEST_MODULE, u"KestrelBT", error)) << error;
        EXPECT_EQ(standin::ComInitCount(), comBefore + 1);
        ASSERT_NE(session.Provider(), nullptr);
        ASSERT_NE(session.Printer(), nullptr);
        ASSERT_EQ(session.Namespaces().size(), 1u) << "what the binding handed out, kept";
        // The provider keeps one reference on the helper, the session another.
        EXPECT_EQ(session.Helper()->AddRef(), 3u);
        session.Helper()->Release();
        EXPECT_EQ(CorePrintHelper::LiveCount(), helpersBefore + 1);
        EXPECT_EQ(session.Module().CanUnloadNow(), S_FALSE) << "the provider is alive";

        for (int twice = 0; twice < 2; ++twice) {
            session.Close();
            EXPECT_EQ(session.Provider(), nullptr);
            EXPECT_EQ(CorePrintHelper::LiveCount(), helpersBefore);
            EXPECT_EQ(standin::ComInitCount(), comBefore);
            EXPECT_EQ(session.Module().CanUnloadNow(), S_OK);
        }
    }
    for (auto [module, printer, message] : {std::tuple<const char *, const char16_t *, const char *>{
                                                ORVOUI_TEST_MODULE, u"Nobody", "cannot open printer 'Nobody'"},
                                            {"/nonexistent/liborvoui.so", u"KestrelBT", "cannot load"}}) {
        TicketSession session;
        std::string error;
        EXPECT_FALSE(session.Open(module, printer, error));
        EXPECT_TRUE(Has(error, message));
    }
    EXPECT_EQ(standin::ComInitCount(), comBefore);
}

// What follows the result line of a conversion.
std::string Document(const HostRun &run) { return run.out.substr(run.out.find('\n') + 1); }

// The commands run in the folder, so nothing they leave behind lands in the
// build tree.
class TicketCommands : public HostFolderTest {
protected:
    void SetUp() override
    {
        HostFolderTest::SetUp();
        ASSERT_NE(getcwd(cwd_, sizeof(cwd_)), nullptr);
        ASSERT_EQ(chdir(dir_.c_str()), 0);
    }
    void TearDown() override
    {
        ASSERT_EQ(chdir(cwd_), 0);
        HostFolderTest::TearDown();
    }
    void Write(const char *name, const std::string &bytes) { std::ofstream(Path(name), std::ios::binary) << bytes; }

    char cwd_[4096] = {};
};

TEST_F(TicketCommands, TicketToDevModeReproducesTheSettings)
{
    std::string state = " --state " + Path("server.json");
    HostRun out = RunHost(state + " ticket --printer MerlinBT --out " + Path("merlin.xml"));
    ASSERT_TRUE(Ended(out, 0, "written to " + Path("merlin.xml")));
    std::string merlin = ReadFile(Path("merlin.xml"));
    EXPECT_EQ(Selected(merlin, "ns0000:DocumentOEMPrintSpeed"), "ns0000:Option3");
    EXPECT_EQ(Selected(merlin, "ns0000:DocumentOEMMirror"), "ns0000:YES");

    // On another printer it carries Merlin's job settings over, not its unit;
    // the record is printed and the change saved with the state. The ticket
    // as a Windows tool writes it, in UTF-16.
    Write("merlin16.xml", Utf16Bytes(merlin, false));
    HostRun other = RunHost(state + " ticket --printer Wren --in " + Path("merlin16.xml"));
    ASSERT_TRUE(Ended(other, 0, "ConvertPrintTicketToDevMode S_OK (0x00000000)\nOEMDEV:\n"));
    EXPECT_TRUE(Has(other.out, "  Speed                      2\n"));
    EXPECT_TRUE(Has(other.out, "  Mirror                     1\n"));
    EXPECT_TRUE(Has(RunHost(state + " printers").out,
                    "Wren\n  driver    Wren\n  port      USB008\n  paper     12.5 x 40mm (paper 263)\n"
                    "  settings  Speed 2, Mirror 1 (the rest at the defaults)"));
}

// A customer's base ticket without the mirror feature gets none; the paper
// is the file's, not the printer's. The provider's additions are pinned by
// the golden dumps; caps hands the core's document through it.
TEST_F(TicketCommands, BaseTicketAndCapabilitiesFromTheCore)
{
    std::string base = MakeBaseTicket(LabelDevMode(u"Customer label", 500, 300), u"Heron");
    size_t mirror = base.find("  <psf:Feature name=\"ns0000:DocumentOEMMirror\">");
    ASSERT_NE(mirror, std::string::npos);
    base.erase(mirror, base.find("</psf:Feature>\n", mirror) + 15 - mirror);
    Write("customer.xml", base);
    HostRun run = RunHost("ticket --printer MerlinBT --base " + Path("customer.xml"));
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(Lacks(run.out, "DocumentOEMMirror"));
    EXPECT_EQ(Selected(Document(run), "ns0000:DocumentOEMPrintSpeed"), "ns0000:Option3") << run.out;
    EXPECT_EQ(Selected(Document(run), "psk:PageMediaSize"), "ns0000:Customer_label");

    HostRun caps = RunHost("caps --printer FalconBT --out " + Path("caps.xml"));
    ASSERT_TRUE(Ended(caps, 0, "CompletePrintCapabilities S_OK (0x00000000)"));
    std::string xml = ReadFile(Path("caps.xml"));
    EXPECT_EQ(Count(xml, "<psf:ParameterDef "), 6u) << "the five and the core's copies";
    EXPECT_TRUE(Has(xml, "<psf:Feature name=\"psk:PageResolution\">"));
}

using TicketFile = standin_testing::LeakCheckTest;

TEST_F(TicketFile, EncodingsAreReadAsXmlReadsThem)
{
    const std::string body = "<a xmlns=\"urn:x\"><b n=\"", e = "\xC3\xA9\xE4\xB8\xAD\"/></a>";
    const struct {
        const char *what;
        std::string bytes;
        const char *value;
    } cases[] = {
        {"UTF-8", body + e, "\xC3\xA9\xE4\xB8\xAD"},
        {"UTF-8 with a byte order mark", "\xEF\xBB\xBF" + body + e, "\xC3\xA9\xE4\xB8\xAD"},
        {"UTF-16LE with a byte order mark", Utf16Bytes(body + e, false), "\xC3\xA9\xE4\xB8\xAD"},
        {"UTF-16BE with a byte order mark", Utf16Bytes(body + e, true), "\xC3\xA9\xE4\xB8\xAD"},
        {"UTF-16LE declared so", Utf16Bytes("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + body + e, false),
         "\xC3\xA9\xE4\xB8\xAD"},
        {"ISO-8859-1 declared", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + body + "\xE9\"/></a>", "\xC3\xA9"},
        {"windows-1252 declared: 0x80 is the euro sign",
         "<?xml version=\"1.0\" encoding=\"windows-1252\"?>" + body + "\xE9\x80\"/></a>", "\xC3\xA9\xE2\x82\xAC"},
    };
    for (const auto &c : cases) {
        std::string xml, error;
        ASSERT_TRUE(DecodeTicket(c.bytes, "t.xml", xml, error)) << c.what << ": " << error;
        EXPECT_TRUE(Has(xml, "n=\"" + std::string(c.value) + "\"")) << c.what;
    }
}

// Where a NUL after the ticket's last line is.
std::string NulAfter(const std::string &ticket)
{
    return ": not well-formed at line " + std::to_string(std::count(ticket.begin(), ticket.end(), '\n') + 1) +
           ", column 1 (byte " + std::to_string(ticket.size()) + "): a NUL byte";
}

TEST_F(TicketFile, RefusalsSayWhatTheyWere)
{
    std::string ticket = MakeBaseTicket(LabelDevMode(u"12 x 40mm", 120, 400), u"Wren");
    std::string nulAt = "t.xml" + NulAfter(ticket);
    std::string deep;
    for (int i = 0; i < 300; ++i)
        deep += "<a>";
    const struct {
        const char *what;
        std::string bytes;
        const char *message;
    } cases[] = {
        {"garbage after a NUL", ticket + std::string("\0<garbage><<<", 14), nulAt.c_str()},
        {"a NUL inside", std::string("<a>\n<b>x\0y</b></a>", 16),
         "t.xml: not well-formed at line 2, column 5 (byte 8): a NUL byte"},
        {"invalid UTF-8", "<a>\n  <b>\xFF\xFE</b></a>", "t.xml: not well-formed at line 2, column "},
        {"invalid UTF-8 named", "<a>\xC3\x28</a>", "not proper UTF-8"},
        {"a DOCTYPE", "<?xml version=\"1.0\"?>\n<!DOCTYPE a [<!ENTITY e \"x\">]>\n<a>&e;</a>",
         "t.xml: DOCTYPE refused (line 2): tickets are read without document type declarations, on purpose"},
        {"an external DOCTYPE", "<!DOCTYPE a SYSTEM \"http://example.com/a.dtd\"><a/>", "DOCTYPE refused"},
        {"too deep", deep + "</a>", "t.xml: too deep: more than 256 nested elements at line 1, column "},
        {"tags that do not match", "<a>\n<b></a>", "t.xml: not well-formed at line 2, column "},
        {"empty", "", "t.xml: not well-formed"},
        {"an unknown encoding", "<?xml version=\"1.0\" encoding=\"x-klingon\"?><a/>",
         "t.xml: not well-formed at line 1"},
        {"too large", std::string(kMaxTicketBytes + 1, ' '), "t.xml: too large: 16777217 bytes"},
    };
    for (const auto &c : cases) {
        std::string xml, error;
        EXPECT_FALSE(DecodeTicket(c.bytes, "t.xml", xml, error)) << c.what;
        EXPECT_TRUE(Has(error, c.message)) << c.what;
        EXPECT_TRUE(Lacks(error, "loadXML")) << c.what;  // one printable line: the ticket file fuzz target
    }
}

TEST_F(TicketCommands, RefusedTicketsSayWhyAndChangeNothing)
{
    std::string state = Path("server.json");
    ASSERT_EQ(RunHost("--state " + state + " install --printer Wren").status, 0);
    std::string before = ReadFile(state);
    std::string ticket = MakeBaseTicket(LabelDevMode(u"12 x 40mm", 120, 400), u"Wren");
    Write("nul.xml", ticket + std::string("\0<garbage><<<", 14));
    for (const char *option : {"--in", "--base"}) {
        HostRun nul = RunHost("--state " + state + " ticket --printer Wren " + option + " " + Path("nul.xml"));
        EXPECT_TRUE(Ended(nul, 1, Path("nul.xml") + NulAfter(ticket))) << option;
    }

    // Refused by its size before it is read: a sparse 50 MB file.
    std::string big = Path("big.xml");
    Write("big.xml", ticket);
    ASSERT_EQ(truncate(big.c_str(), 50L << 20), 0);
    auto start = std::chrono::steady_clock::now();
    HostRun large = RunHost("--state " + state + " ticket --printer Wren --in " + big, 30);
    EXPECT_TRUE(Ended(large, 1, big + ": too large: 52428800 bytes, a ticket is at most 16 MB"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    EXPECT_EQ(ReadFile(state), before) << "a refused ticket saves nothing";
}

}  // namespace
