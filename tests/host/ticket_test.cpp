// The print ticket core of the host: the base documents it writes, the
// helper and session it binds the provider with, and the ticket and caps
// commands that run the provider's conversions.
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
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
#include <tuple>
#include <type_traits>
#include <unistd.h>

namespace {

using namespace host;

// The host is linked into one program with the plug-in's library (these
// tests, the benchmark), so its types live in their own namespace: a second
// global type of the same name would break the one definition rule.
static_assert(!std::is_same_v<host::TicketFeature, ::TicketFeature>);

// ---- reading the generated XML independently of the DOM under test ----

struct XmlDoc {
    explicit XmlDoc(const std::string &text)
        : doc(xmlReadMemory(text.data(), static_cast<int>(text.size()), "mem.xml", nullptr, XML_PARSE_NONET))
    {
    }
    ~XmlDoc()
    {
        if (doc != nullptr)
            xmlFreeDoc(doc);
    }
    xmlNode *Root() const { return doc != nullptr ? xmlDocGetRootElement(doc) : nullptr; }
    xmlDoc *doc;
};

std::string Attr(xmlNode *node, const char *name)
{
    xmlChar *value = xmlGetProp(node, reinterpret_cast<const xmlChar *>(name));
    std::string out = value != nullptr ? reinterpret_cast<const char *>(value) : "";
    xmlFree(value);
    return out;
}

std::string Uri(xmlNode *node)
{
    return node->ns != nullptr && node->ns->href != nullptr ? reinterpret_cast<const char *>(node->ns->href) : "";
}

bool Is(xmlNode *node, const char *uri, const char *local)
{
    return node->type == XML_ELEMENT_NODE && Uri(node) == uri &&
           std::strcmp(reinterpret_cast<const char *>(node->name), local) == 0;
}

std::vector<xmlNode *> Children(xmlNode *parent, const char *local)
{
    std::vector<xmlNode *> out;
    for (xmlNode *child = parent->children; child != nullptr; child = child->next) {
        if (Is(child, kFrameworkUri, local))
            out.push_back(child);
    }
    return out;
}

xmlNode *FeatureNamed(xmlNode *root, const std::string &name)
{
    for (xmlNode *feature : Children(root, "Feature")) {
        if (Attr(feature, "name") == name)
            return feature;
    }
    return nullptr;
}

std::string Text(xmlNode *node)
{
    xmlChar *text = xmlNodeGetContent(node);
    std::string out = text != nullptr ? reinterpret_cast<const char *>(text) : "";
    xmlFree(text);
    return out;
}

DEVMODEW LabelDevMode(const char16_t *form, short widthTenths, short lengthTenths)
{
    DEVMODEW devmode;
    std::memset(&devmode, 0, sizeof(devmode));
    devmode.dmSize = sizeof(DEVMODEW);
    devmode.dmOrientation = DMORIENT_PORTRAIT;
    devmode.dmPaperWidth = widthTenths;
    devmode.dmPaperLength = lengthTenths;
    devmode.dmCopies = 1;
    for (size_t i = 0; form[i] != 0 && i + 1 < CCHFORMNAME; ++i)
        devmode.dmFormName[i] = form[i];
    return devmode;
}

// ---- base documents ----

using BaseTicket = standin_testing::LeakCheckTest;
using CoreHelper = standin_testing::LeakCheckTest;
using TicketSessionTest = standin_testing::LeakCheckTest;
using TicketFile = standin_testing::LeakCheckTest;

// The sample printers' base documents are pinned byte for byte by the golden
// dumps (they are the conversions' input files); here, what no sample
// printer has: landscape, copies, a Falcon's name slightly off, awkward
// paper names.
TEST_F(BaseTicket, WhatTheSamplePrintersDoNotShow)
{
    DEVMODEW devmode = LabelDevMode(u"18 x 100mm", 180, 1000);
    devmode.dmOrientation = DMORIENT_LANDSCAPE;
    devmode.dmCopies = 3;
    XmlDoc doc(MakeBaseTicket(devmode, u"FalconBT"));
    ASSERT_NE(doc.Root(), nullptr);
    EXPECT_EQ(Attr(Children(FeatureNamed(doc.Root(), "psk:PageOrientation"), "Option").at(0), "name"), "psk:Landscape");
    EXPECT_EQ(Attr(Children(FeatureNamed(doc.Root(), "psk:PageResolution"), "Option").at(0), "name"),
              "ns0000:Standard");
    std::vector<xmlNode *> inits = Children(doc.Root(), "ParameterInit");
    ASSERT_EQ(inits.size(), 1u) << "the plug-in's parameters are its own to add";
    EXPECT_EQ(Text(Children(inits[0], "Value").at(0)), "3");
    EXPECT_EQ(MakeBaseTicket(devmode, u"FalconBT ").find("PageResolution"), std::string::npos);

    EXPECT_EQ(PaperOptionName(u"12.5 x 40mm"), "Paper12.5_x_40mm");
    EXPECT_EQ(PaperOptionName(u"A4"), "A4");
    EXPECT_EQ(PaperOptionName(u"Etikett \u00e4 & <x>"), "Etikett______x_");
    EXPECT_EQ(PaperOptionName(u""), "Paper");
    EXPECT_NE(XmlDoc(MakeBaseTicket(LabelDevMode(u"<&\"> 1", 100, 100), u"Wren")).Root(), nullptr);
    XmlDoc caps(MakeBaseCapabilities(u"Robin", {{u"A & B", 50000, 70000}}));
    ASSERT_NE(caps.Root(), nullptr);
    std::vector<xmlNode *> media = Children(FeatureNamed(caps.Root(), "psk:PageMediaSize"), "Option");
    ASSERT_EQ(media.size(), 1u);
    EXPECT_EQ(Attr(media[0], "name"), "ns0000:A___B");
    EXPECT_EQ(Text(Children(media[0], "Property").at(0)), "A & B");
    EXPECT_EQ(FeatureNamed(caps.Root(), "psk:PageResolution"), nullptr);
}

// ---- the core helper and the session ----

TEST_F(CoreHelper, ServesItsThreeInterfacesAndMakesXmlObjects)
{
    CorePrintHelper *helper = CorePrintHelper::Create();
    long live = CorePrintHelper::LiveCount();
    const IID *served[] = {&IID_IUnknown, &IID_IPrintCoreHelper, &IID_IPrintCoreHelperUni};
    for (const IID *iid : served) {
        void *out = nullptr;
        EXPECT_EQ(helper->QueryInterface(*iid, &out), S_OK);
        EXPECT_EQ(out, static_cast<IPrintCoreHelperUni *>(helper));
        static_cast<IUnknown *>(out)->Release();
    }
    void *out = reinterpret_cast<void *>(1);
    EXPECT_EQ(helper->QueryInterface(IID_IPrintOemPrintTicketProvider, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);

    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    IXMLDOMDocument2 *document = nullptr;
    HRESULT hr = helper->CreateInstanceOfMSXMLObject(CLSID_DOMDocument60, nullptr, 0, msxml6::IID_Document2,
                                                     reinterpret_cast<void **>(&document));
    EXPECT_EQ(hr, S_OK) << "a class context of 0 means in-process";
    if (document != nullptr) {
        std::string error;
        EXPECT_TRUE(LoadDocumentText(document, "\xEF\xBB\xBF<a xmlns=\"urn:x\"><b/></a>", error)) << error;
        EXPECT_NE(DocumentText(document).find("<b/>"), std::string::npos);
        EXPECT_FALSE(LoadDocumentText(document, "<a><b></a>", error));
        EXPECT_TRUE(Has(error, "not a well-formed XML document"));
        document->Release();
    }
    CoUninitialize();
    EXPECT_EQ(helper->Release(), 0u);
    EXPECT_EQ(CorePrintHelper::LiveCount(), live - 1);
}

TEST_F(TicketSessionTest, BindsTheProviderAndReleasesEverythingOrFailsCleanly)
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
        ASSERT_EQ(session.Versions(), std::vector<INT>{1});
        ASSERT_EQ(session.Namespaces().size(), 1u);
        EXPECT_EQ(session.Namespaces()[0], u"http://schemas.microsoft.com/windows/printing/oemdriverpt/Condor-private");
        EXPECT_EQ(session.Options(), 0u);
        // The provider keeps one reference on the helper, the session another.
        EXPECT_EQ(session.Helper()->AddRef(), 3u);
        session.Helper()->Release();
        EXPECT_EQ(CorePrintHelper::LiveCount(), helpersBefore + 1);
        EXPECT_EQ(session.Module().CanUnloadNow(), S_FALSE) << "the provider is alive";

        session.Close();
        EXPECT_EQ(session.Provider(), nullptr);
        EXPECT_EQ(CorePrintHelper::LiveCount(), helpersBefore);
        EXPECT_EQ(standin::ComInitCount(), comBefore);
        EXPECT_EQ(session.Module().CanUnloadNow(), S_OK);
        session.Close();  // a second close does nothing
        EXPECT_EQ(standin::ComInitCount(), comBefore);
    }
    EXPECT_EQ(standin::ComInitCount(), comBefore);

    // A missing printer or module fails cleanly.
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

// ---- the commands ----

// The selected option of a top-level feature of a ticket's text.
std::string SelectedOption(const std::string &xml, const std::string &feature)
{
    XmlDoc doc(xml);
    if (doc.Root() == nullptr)
        return "(not XML)";
    xmlNode *node = FeatureNamed(doc.Root(), feature);
    if (node == nullptr)
        return "(no feature)";
    std::vector<xmlNode *> options = Children(node, "Option");
    return options.empty() ? "(no option)" : Attr(options[0], "name");
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

    char cwd_[4096] = {};
};

TEST_F(TicketCommands, TicketToDevModeReproducesTheSettings)
{
    std::string state = Path("server.json");
    HostRun out = RunHost("--state " + state + " ticket --printer MerlinBT --out " + Path("merlin.xml"));
    ASSERT_TRUE(Ended(out, 0, "written to " + Path("merlin.xml")));
    std::string merlin = ReadFile(Path("merlin.xml"));
    EXPECT_EQ(SelectedOption(merlin, "ns0000:DocumentOEMPrintSpeed"), "ns0000:Option3");
    EXPECT_EQ(SelectedOption(merlin, "ns0000:DocumentOEMMirror"), "ns0000:YES");

    // Merlin's own ticket on Merlin changes nothing.
    HostRun back = RunHost("--state " + state + " ticket --printer MerlinBT --in " + Path("merlin.xml"));
    ASSERT_TRUE(Ended(back, 0, "ConvertPrintTicketToDevMode S_OK (0x00000000)"));
    EXPECT_TRUE(Has(back.out, "  Speed                      2\n"));
    EXPECT_TRUE(Has(back.out, "  Mirror                     1\n"));
    EXPECT_TRUE(Has(back.out, "settings  Speed 2, Mirror 1, Unit 1 (the rest at the defaults)"));

    // On another printer it carries Merlin's job settings over, not its unit,
    // and the change is saved with the state; the ticket as a Windows tool
    // writes it, in UTF-16.
    {
        std::ofstream file(Path("merlin16.xml"), std::ios::binary);
        file << Utf16Bytes(merlin, false);
    }
    HostRun other = RunHost("--state " + state + " ticket --printer Wren --in " + Path("merlin16.xml"));
    ASSERT_TRUE(Ended(other, 0, "settings  Speed 2, Mirror 1 (the rest at the defaults)"));
    HostRun printers = RunHost("--state " + state + " printers");
    EXPECT_TRUE(Has(printers.out, "Wren\n  driver    Wren\n"));
    EXPECT_TRUE(Has(printers.out, "  settings  Speed 2, Mirror 1 (the rest at the defaults)"));

    // And Wren's ticket now says so.
    HostRun wren = RunHost("--state " + state + " ticket --printer Wren");
    ASSERT_EQ(wren.status, 0) << wren.out;
    EXPECT_EQ(SelectedOption(Document(wren), "ns0000:DocumentOEMPrintSpeed"), "ns0000:Option3") << wren.out;
    EXPECT_EQ(SelectedOption(Document(wren), "ns0000:DocumentOEMMirror"), "ns0000:YES");
}

TEST_F(TicketCommands, BaseTicketFromAFile)
{
    std::string base = MakeBaseTicket(LabelDevMode(u"Customer label", 500, 300), u"Heron");
    std::string mirrorless;
    {
        // A customer's ticket without the mirror feature gets none.
        XmlDoc doc(base);
        ASSERT_NE(doc.Root(), nullptr);
        xmlNode *mirror = FeatureNamed(doc.Root(), "ns0000:DocumentOEMMirror");
        ASSERT_NE(mirror, nullptr);
        xmlUnlinkNode(mirror);
        xmlFreeNode(mirror);
        xmlChar *text = nullptr;
        int size = 0;
        xmlDocDumpMemory(doc.doc, &text, &size);
        mirrorless.assign(reinterpret_cast<char *>(text), static_cast<size_t>(size));
        xmlFree(text);
    }
    {
        std::ofstream file(Path("customer.xml"), std::ios::binary);
        file << mirrorless;
    }
    HostRun run = RunHost("ticket --printer MerlinBT --base " + Path("customer.xml"));
    ASSERT_TRUE(Ended(run, 0, "ns0000:Customer_label")) << "the file's paper, not Merlin's";
    EXPECT_TRUE(Lacks(run.out, "DocumentOEMMirror"));
    EXPECT_EQ(SelectedOption(Document(run), "ns0000:DocumentOEMPrintSpeed"), "ns0000:Option3") << run.out;
    EXPECT_EQ(SelectedOption(Document(run), "psk:PageMediaSize"), "ns0000:Customer_label");
}

// What the provider adds is pinned by the golden dumps; here, that the
// command hands the core's document through it.
TEST_F(TicketCommands, CapabilitiesGetThePluginsParameters)
{
    HostRun run = RunHost("caps --printer FalconBT --out " + Path("caps.xml"));
    ASSERT_TRUE(Ended(run, 0, "CompletePrintCapabilities S_OK (0x00000000)"));
    XmlDoc doc(ReadFile(Path("caps.xml")));
    ASSERT_NE(doc.Root(), nullptr);
    EXPECT_EQ(Children(doc.Root(), "ParameterDef").size(), 6u) << "the five and the core's copies";
    EXPECT_NE(FeatureNamed(doc.Root(), "psk:PageResolution"), nullptr);
}

// ---- ticket files as XML reads them ----

TEST_F(TicketFile, EncodingsAreReadAsXmlReadsThem)
{
    const std::string body = "<a xmlns=\"urn:x\"><b n=\"";
    const struct {
        const char *what;
        std::string bytes;
    } cases[] = {
        {"UTF-8", body + "\xC3\xA9\xE4\xB8\xAD\"/></a>"},
        {"UTF-8 with a byte order mark", "\xEF\xBB\xBF" + body + "\xC3\xA9\xE4\xB8\xAD\"/></a>"},
        {"UTF-16LE with a byte order mark", Utf16Bytes(body + "\xC3\xA9\xE4\xB8\xAD\"/></a>", false)},
        {"UTF-16BE with a byte order mark", Utf16Bytes(body + "\xC3\xA9\xE4\xB8\xAD\"/></a>", true)},
        {"UTF-16LE declared so",
         Utf16Bytes("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + body + "\xC3\xA9\xE4\xB8\xAD\"/></a>", false)},
        {"ISO-8859-1 declared", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + body + "\xE9\"/></a>"},
        {"windows-1252 declared", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>" + body + "\xE9\x80\"/></a>"},
    };
    for (const auto &c : cases) {
        std::string xml, error;
        ASSERT_TRUE(DecodeTicket(c.bytes, "t.xml", xml, error)) << c.what << ": " << error;
        XmlDoc doc(xml);
        ASSERT_NE(doc.Root(), nullptr) << c.what << "\n" << xml;
        std::string value = Attr(doc.Root()->children, "n");
        EXPECT_EQ(value.rfind("\xC3\xA9", 0), 0u) << c.what << ": " << value;
    }
    std::string xml, error;
    ASSERT_TRUE(DecodeTicket(cases[6].bytes, "t.xml", xml, error));
    EXPECT_TRUE(Has(xml, "\xC3\xA9\xE2\x82\xAC")) << "0x80 is the euro sign in windows-1252";
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
    };
    for (const auto &c : cases) {
        std::string xml, error;
        EXPECT_FALSE(DecodeTicket(c.bytes, "t.xml", xml, error)) << c.what;
        EXPECT_TRUE(Has(error, c.message)) << c.what << ": "
                                           << "\nnot: " << c.message;
        EXPECT_TRUE(Lacks(error, "loadXML")) << c.what;
        for (char byte : error)
            EXPECT_TRUE(byte >= 0x20 && byte != 0x7F && static_cast<unsigned char>(byte) != 0xFF)
                << c.what << ": " << error;
    }
    std::string xml, error;
    EXPECT_FALSE(DecodeTicket(std::string(kMaxTicketBytes + 1, ' '), "t.xml", xml, error));
    EXPECT_TRUE(Has(error, "t.xml: too large: 16777217 bytes"));
}

TEST_F(TicketCommands, RefusedTicketsSayWhyAndChangeNothing)
{
    std::string state = Path("server.json");
    ASSERT_EQ(RunHost("--state " + state + " install --printer Wren").status, 0);
    std::string before = ReadFile(state);
    std::string ticket = MakeBaseTicket(LabelDevMode(u"12 x 40mm", 120, 400), u"Wren");
    {
        std::ofstream file(Path("nul.xml"), std::ios::binary);
        file << ticket << std::string("\0<garbage><<<", 14);
    }
    for (const char *option : {"--in", "--base"}) {
        HostRun nul = RunHost("--state " + state + " ticket --printer Wren " + option + " " + Path("nul.xml"));
        EXPECT_TRUE(Ended(nul, 1, Path("nul.xml") + NulAfter(ticket))) << option;
    }

    // Refused by its size before it is read: a sparse 50 MB file.
    std::string big = Path("big.xml");
    {
        std::ofstream file(big, std::ios::binary);
        file << ticket;
    }
    ASSERT_EQ(truncate(big.c_str(), 50L << 20), 0);
    auto start = std::chrono::steady_clock::now();
    HostRun large = RunHost("ticket --printer Wren --in " + big, 30);
    EXPECT_TRUE(Ended(large, 1, big + ": too large: 52428800 bytes, a ticket is at most 16 MB"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    EXPECT_EQ(ReadFile(state), before) << "a refused ticket saves nothing";
}

}  // namespace
