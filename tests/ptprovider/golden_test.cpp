// Every output of the three conversions (document, debug files, debugger output at two levels,
// records) pinned as length and FNV-1a hash in golden.txt, for each sample printer's base documents
// and for FalconBT's with foreign features and unusual namespace bindings.
// ORVOUI_GOLDEN_DUMPS=folder writes the dumps whole; ORVOUI_GOLDEN_WRITE=file
// writes the table anew instead of comparing with it.
#include "host/tickets.h"
#include "tests/support/hostrun.h"
#include "tests/support/tickets.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

namespace {

const std::string kPrivate = "http://schemas.microsoft.com/windows/printing/oemdriverpt/Condor-private";

std::string Replace(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The document with `count` features of another vendor before the rest.
std::string Foreign(const std::string &xml, int count)
{
    std::string features;
    for (int i = 0; i < count; ++i) {
        std::string n = std::to_string(i);
        features += "<psf:Feature name=\"oth:F" + n + "\"><psf:Option name=\"oth:C" + n +
                    "\"><psf:ScoredProperty name=\"oth:L\"><psf:Value xsi:type=\"xsd:integer\">" + n +
                    "</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature>";
    }
    size_t end = xml.find('>', xml.find("<psf:Print"));
    return xml.substr(0, end) + " xmlns:oth=\"urn:other-vendor\">" + features + xml.substr(end + 1);
}

// Our namespace bound on each feature instead of the root.
std::string LocalPrivate(const std::string &xml)
{
    std::string binding = " xmlns:ns0000=\"" + kPrivate + "\"";
    return Replace(Replace(xml, binding, ""), "<psf:Feature ", "<psf:Feature" + binding + " ");
}

// The framework namespace also the default one, its elements unprefixed.
std::string DefaultFramework(const std::string &xml)
{
    std::string out = Replace(Replace(xml, "<psf:", "<"), "</psf:", "</");
    return Replace(out, " xmlns:psf=",
                   " xmlns=\"http://schemas.microsoft.com/windows/2003/08/printing/"
                   "printschemaframework\" xmlns:psf=");
}

// No schema namespaces on the root; our prefix rebound inside a feature and
// on parameters the document already has.
const std::string kReboundTicket =
    "<psf:PrintTicket xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
    "xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" xmlns:ns0000=\"" +
    kPrivate + "\"><psf:Feature name=\"q:DocumentOEMRotate\" xmlns:ns0000=\"urn:not-ours\" xmlns:q=\"" + kPrivate +
    "\"><psf:Option name=\"q:Porital\"/></psf:Feature><psf:Feature name=\"ns0000:DocumentOEMMirror\"><psf:Option "
    "name=\"ns0000:NO\"/></psf:Feature><psf:Feature name=\"psk:PageResolution\"><psf:Option "
    "name=\"ns0000:Standard\"/></psf:Feature><psf:ParameterInit name=\"q:PageGapHeight\" xmlns:q=\"" +
    kPrivate +
    "\" xmlns:xsi=\"urn:not-xsi\"><!-- kept --><psf:Value>7000</psf:Value></psf:ParameterInit>"
    "</psf:PrintTicket>";
const std::string kReboundCapabilities =
    "<psf:PrintCapabilities xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
    "xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\"><psf:ParameterDef "
    "name=\"q:PageGapOffset\" xmlns:q=\"" +
    kPrivate +
    "\" xmlns:xsi=\"urn:not-xsi\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"><psf:Property name=\"psf:Old\"/>"
    "</psf:ParameterDef><f:ParameterDef name=\"q:PageAfterPrint\" xmlns:q=\"" +
    kPrivate +
    "\" xmlns:psf=\"urn:not-framework\" xmlns:f=\"http://schemas.microsoft.com/windows/2003/08/printing/"
    "printschemaframework\"/></psf:PrintCapabilities>";

struct Case {
    std::string name;
    std::u16string printer;
    std::string (*change)(const std::string &);  // null: the base documents as they are
};

uint64_t Fnv1a(const std::string &text)
{
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text)
        hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

std::string Hex(const void *bytes, size_t size)
{
    std::string out;
    for (const BYTE *b = static_cast<const BYTE *>(bytes); b != static_cast<const BYTE *>(bytes) + size; ++b)
        out += {"0123456789abcdef"[*b >> 4], "0123456789abcdef"[*b & 15]};
    return out;
}

class GoldenTest : public TicketTest {
protected:
    void SetUp() override
    {
        TicketTest::SetUp();
        char folder[] = "/tmp/orvoui-golden-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        drives_ = folder;
        setenv("STANDIN_DRIVE_ROOT", folder, 1);
    }
    void TearDown() override
    {
        unsetenv("STANDIN_DRIVE_ROOT");
        std::system(("rm -rf '" + drives_ + "'").c_str());
        TicketTest::TearDown();
    }

    // Runs the conversion at the build's level and at the verbose one, each
    // on a fresh copy of the document: the converted document, the debug
    // files and both levels' debugger output.
    template <typename Convert>
    std::string Run(const std::string &xml, std::initializer_list<const WCHAR *> files, Convert convert)
    {
        std::string dump;
        for (INT level : {DBG_WARNING, DBG_VERBOSE}) {
            IXMLDOMDocument2 *document = LoadDocument(std::u16string(xml.begin(), xml.end()));
            EXPECT_NE(document, nullptr) << xml.substr(0, 200);
            if (document == nullptr)
                return dump;
            gDebugLevel = level;
            ClearDebug();
            HRESULT hr = convert(document);
            // The record's address differs from run to run.
            std::string log = Debug();
            for (size_t at = log.find("test address        = "); at != std::string::npos;
                 at = log.find("test address        = ", at + 1))
                log.replace(at + 22, log.find('\r', at) - at - 22, "(address)");
            gDebugLevel = DBG_WARNING;
            dump += "== level " + std::to_string(level) + ", result " + std::to_string(hr) + "\n" + log + "\n";
            if (level == DBG_WARNING) {
                dump += "== document\n" + DocumentXml(document) + "\n";
                for (const WCHAR *file : files)
                    dump += "== " + Utf8Of(file) + "\n" + ReadFile(standin::MapWindowsPath(file)) + "\n";
            }
            lastXml_ = DocumentXml(document);
            document->Release();
        }
        return dump;
    }

    // Every dump of a case, by conversion.
    std::map<std::string, std::string> Convert(const Case &c)
    {
        standin::spooler::LoadSample();
        standin::spooler::PrinterConfig config;
        EXPECT_TRUE(standin::spooler::GetPrinter(c.printer, config));
        std::vector<host::TicketPaper> papers;
        EXPECT_TRUE(host::ReadPrinterPapers(config.name, config.port, papers));
        std::vector<BYTE> bytes = config.devmode;
        auto *dm = reinterpret_cast<DEVMODEW *>(bytes.data());
        ULONG size = dm->dmSize + dm->dmDriverExtra;
        auto *record = reinterpret_cast<OEMDEV *>(bytes.data() + size - sizeof(OEMDEV));
        std::string ticket = host::MakeBaseTicket(*dm, config.driver);
        std::string caps = host::MakeBaseCapabilities(config.driver, papers);
        if (c.change != nullptr) {
            ticket = c.change(ticket);
            caps = c.change(caps);
        }
        Bind(c.printer);
        std::map<std::string, std::string> dumps;
        dumps["devmode-to-ticket"] = Run(ticket, {kDevToPtIn, kDevToPtOut}, [&](IXMLDOMDocument2 *d) {
            return provider->ConvertDevModeToPrintTicket(size, dm, dm->dmDriverExtra, record, d);
        });
        dumps["devmode-to-ticket"] += "== record\n" + Hex(record, sizeof(OEMDEV)) + "\n";
        dumps["ticket-to-devmode"] = Run(lastXml_, {kPtToDevIn}, [&](IXMLDOMDocument2 *d) {
            return provider->ConvertPrintTicketToDevMode(d, size, dm, dm->dmDriverExtra, record);
        });
        std::vector<BYTE> stored = StoredRecord(c.printer);
        dumps["ticket-to-devmode"] +=
            "== record\n" + Hex(record, sizeof(OEMDEV)) + "\n== stored\n" + Hex(stored.data(), stored.size()) + "\n";
        dumps["capabilities"] = Run(caps, {kCapabilitiesIn, kCapabilitiesOut}, [&](IXMLDOMDocument2 *d) {
            return provider->CompletePrintCapabilities(nullptr, d);
        });
        provider->Release();
        provider = nullptr;
        ClosePrinter(printer);
        printer = nullptr;
        return dumps;
    }

    std::string drives_, lastXml_;
};

TEST_F(GoldenTest, ConversionsGiveThePinnedBytes)
{
    std::vector<Case> cases;
    standin::spooler::LoadSample();
    for (const std::u16string &name : standin::spooler::PrinterNames())
        cases.push_back({"sample " + Utf8Of(name.c_str()), name, nullptr});
    cases.push_back({"foreign 100", u"FalconBT", [](const std::string &xml) { return Foreign(xml, 100); }});
    cases.push_back({"foreign 100, ours bound on each feature", u"FalconBT",
                     [](const std::string &xml) { return LocalPrivate(Foreign(xml, 100)); }});
    cases.push_back({"framework as default namespace", u"FalconBT", DefaultFramework});
    cases.push_back({"prefixes rebound, schema namespaces unbound", u"FalconBT", [](const std::string &xml) {
                         return xml.find("<psf:PrintTicket") != std::string::npos ? kReboundTicket
                                                                                  : kReboundCapabilities;
                     }});

    const char *dumpFolder = std::getenv("ORVOUI_GOLDEN_DUMPS");
    std::string table;
    for (const Case &c : cases) {
        for (const auto &[conversion, dump] : Convert(c)) {
            std::string key = c.name + " / " + conversion;
            char line[64];
            std::snprintf(line, sizeof(line), "\t%zu\t%016llx\n", dump.size(),
                          static_cast<unsigned long long>(Fnv1a(dump)));
            table += key + line;
            if (dumpFolder != nullptr)
                std::ofstream(std::string(dumpFolder) + "/" + Replace(Replace(key, " / ", "."), " ", "_") + ".txt",
                              std::ios::binary)
                    << dump;
        }
    }
    if (const char *write = std::getenv("ORVOUI_GOLDEN_WRITE")) {
        std::ofstream(write, std::ios::binary) << table;
        return;
    }
    EXPECT_EQ(table, ReadFile(ORVOUI_TEST_SOURCE "/tests/ptprovider/golden.txt"))
        << "set ORVOUI_GOLDEN_DUMPS to a folder to see the dumps whole";
}

}  // namespace
