// Whole conversions: capabilities, the debug files, and settings that go
// into a ticket and come back unchanged.
#include "src/base/unique.h"
#include "src/ptprovider/conversions.h"
#include "src/ptprovider/vocabulary.h"
#include "tests/host/expect.h"
#include "tests/support/hostrun.h"
#include "tests/support/tickets.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <tuple>

namespace {

const std::u16string kCapabilities =
    u"<psf:PrintCapabilities version=\"1\"" PT_NAMESPACES u" xmlns:ns0000=\"" PT_PRIVATE u"\">"
    u"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA4\"/></psf:Feature>"
    u"</psf:PrintCapabilities>";

using CapabilitiesTest = TicketTest;

// What a completion declares, and where, the golden dumps pin byte for byte
// (unbound schema namespaces included); here: QName values take the
// document's own prefixes, and a second completion declares nothing twice.
TEST_F(CapabilitiesTest, QNameValuesUseTheDocumentsPrefixesOnce)
{
    Bind(u"KestrelBT");
    IXMLDOMDocument2 *caps = LoadDocument(
        u"<psf:PrintCapabilities version=\"1\""
        u" xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\""
        u" xmlns:k=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\""
        u" xmlns:s=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"/>");
    ASSERT_EQ(provider->CompletePrintCapabilities(nullptr, caps), S_OK);
    std::string xml = DocumentXml(caps);
    EXPECT_EQ(Count(xml, ">s:integer</psf:Value>"), 5u) << xml;
    EXPECT_EQ(Count(xml, ">k:Optional</psf:Value>"), 5u);
    EXPECT_TRUE(Lacks(xml, "xsd:") && Lacks(xml, "psk:")) << "no prefix the document does not bind";
    ASSERT_EQ(provider->CompletePrintCapabilities(nullptr, caps), S_OK);
    EXPECT_EQ(DocumentXml(caps), xml);
    caps->Release();
    EXPECT_EQ(provider->CompletePrintCapabilities(nullptr, nullptr), E_INVALIDARG);
}

// Every mapped field and every value it may hold: stored, written into a
// ticket, read back into a fresh record and the printer, the same.
TEST_F(CapabilitiesTest, EveryValueSurvivesARoundTrip)
{
    std::u16string all = u"<psf:PrintTicket version=\"1\"" PT_NAMESPACES u" xmlns:ns0000=\"" PT_PRIVATE u"\">" +
                         FeatureXml(u"psk:PageResolution", u"ns0000:Standard");
    for (const TicketFeature &feature : kPrivateFeatures)
        all += FeatureXml(u"ns0000:" + std::u16string(feature.name), u"ns0000:Option1");
    all += u"</psf:PrintTicket>";
    std::vector<std::tuple<size_t, LONG, bool>> fields;  // offset, values 0..count-1, a parameter
    for (const TicketFeature &feature : kPrivateFeatures)
        fields.push_back({feature.field, feature.options->readCount, false});
    for (const TicketParameter &parameter : kTicketParameters)
        fields.push_back({parameter.field, 3, true});
    for (const char16_t *model : {u"KestrelBT", u"FalconBT"}) {
        Bind(model);
        if (std::u16string(model) == u"FalconBT")
            fields.push_back({kResolutionFeature.field, 4, false});
        for (auto [offset, count, parameter] : fields) {
            for (LONG value = 0; value < count; ++value) {
                REGSTRUCT stored = Defaults();
                OEMDEV wanted;
                SetDefaultOEMDev(&wanted);
                CopySettingsToTicketFields(stored, wanted);
                // Parameters also go negative and large.
                LONG v = parameter ? (value - 1) * 99 : value;
                FieldOf(wanted, offset) = v;
                CopyTicketFieldsToSettings(wanted, stored);
                StoreRecord(model, &stored, sizeof(stored));

                com_ptr<IXMLDOMDocument2> ticket(LoadDocument(all));
                ASSERT_TRUE(ticket);
                OEMDEV record;
                SetDefaultOEMDev(&record);
                ASSERT_EQ(ToTicket(ticket.get(), &record), S_OK);
                standin::spooler::RemoveData(model, u"OrvoPrinterData");
                OEMDEV back = {};
                back.Rotate = -1;
                ASSERT_EQ(ToDevMode(ticket.get(), &back), S_OK);
                EXPECT_EQ(FieldOf(back, offset), v) << Utf8Of(model) << " field at " << offset << " value " << v;
                EXPECT_EQ(Stored(model).Version, 5);
            }
        }
        provider->Release();
        provider = nullptr;
        ClosePrinter(printer);
        printer = nullptr;
    }
}

// Each conversion keeps its own settings buffer: eight at once, each on its
// own printer, each gets its own values.
TEST_F(CapabilitiesTest, ConcurrentConversionsKeepTheirOwnValues)
{
    struct Work {
        std::u16string printer;
        LONG density;
        bool ok;
    };
    std::vector<Work> work;
    for (int i = 0; i < 8; ++i) {
        std::u16string name = u"Shop " + std::u16string(1, static_cast<char16_t>(u'A' + i));
        AddPrinter(name, u"KestrelBT");
        REGSTRUCT stored = Defaults();
        stored.Density = i + 3;
        StoreRecord(name, &stored, sizeof(stored));
        work.push_back({name, i + 3, false});
    }
    auto run = [](LPVOID p) -> DWORD {
        Work &w = *static_cast<Work *>(p);
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        IClassFactory *factory = nullptr;
        DllGetClassObject(CLSID_OEMPTPROVIDER, IID_IClassFactory, reinterpret_cast<void **>(&factory));
        IPrintOemPrintTicketProvider *provider = nullptr;
        factory->CreateInstance(nullptr, IID_IPrintOemPrintTicketProvider, reinterpret_cast<void **>(&provider));
        factory->Release();
        HANDLE printer = OpenForUse(w.printer);
        OEMPTOPTS options = 0;
        INT count = 0;
        BSTR *namespaces = nullptr;
        provider->BindPrinter(printer, 1, &options, &count, &namespaces);
        SysFreeString(namespaces[0]);
        CoTaskMemFree(namespaces);
        CoreHelper core;
        provider->PublishPrintTicketHelperInterface(&core);
        DEVMODEW devmode = {};
        devmode.dmSize = sizeof(devmode);
        const std::u16string xml =
            u"<psf:PrintTicket version=\"1\"" PT_NAMESPACES u" xmlns:ns0000=\"" PT_PRIVATE u"\">" +
            FeatureXml(u"ns0000:DocumentOEMPrintDensity", u"ns0000:Option1") + u"</psf:PrintTicket>";
        w.ok = true;
        for (int round = 0; round < 20 && w.ok; ++round) {
            com_ptr<IXMLDOMDocument2> ticket(LoadDocument(xml));
            OEMDEV record, back;
            SetDefaultOEMDev(&record);
            SetDefaultOEMDev(&back);
            w.ok = ticket &&
                   provider->ConvertDevModeToPrintTicket(sizeof(devmode), &devmode, sizeof(record), &record,
                                                         ticket.get()) == S_OK &&
                   provider->ConvertPrintTicketToDevMode(ticket.get(), sizeof(devmode), &devmode, sizeof(back),
                                                         &back) == S_OK &&
                   record.Density == w.density && back.Density == w.density;
        }
        provider->Release();
        ClosePrinter(printer);
        CoUninitialize();
        return 0;
    };
    std::vector<HANDLE> threads;
    for (Work &w : work)
        threads.push_back(CreateThread(nullptr, 0, run, &w, 0, nullptr));
    for (HANDLE thread : threads) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    for (const Work &w : work)
        EXPECT_TRUE(w.ok) << Utf8Of(w.printer.c_str());
}

// A ticket as large as the DOM loads (10,000,000 bytes), 9,000 foreign features before ours: both
// conversions work in steps linear in the ticket (the stand-in counts child links and scopes visited).
TEST_F(CapabilitiesTest, ATicketAtTheSizeLimitConvertsInLinearWork)
{
    Bind(u"KestrelBT");
    const TicketFeature &feature = kPrivateFeatures[0];
    ASSERT_GE(feature.options->readCount, 2);
    std::u16string xml =
        u"<psf:PrintTicket "
        u"version=\"1\"" PT_NAMESPACES u" xmlns:ns0000=\"" PT_PRIVATE u"\" xmlns:oth=\"urn:other-vendor\">";
    std::u16string tail =
        FeatureXml(u"ns0000:" + std::u16string(feature.name), u"ns0000:" + std::u16string(feature.options->names[1])) +
        u"</psf:PrintTicket>";
    const std::u16string pad(880, u'x');
    const size_t limit = 10000000;
    size_t foreign = 0;
    for (;; ++foreign) {
        std::string digits = std::to_string(foreign);
        std::u16string n(digits.begin(), digits.end());
        std::u16string one = u"<psf:Feature name=\"oth:F" + n + u"\"><psf:Option name=\"oth:O" + n +
                             u"\"><psf:ScoredProperty name=\"oth:Pad\"><psf:Value xsi:type=\"xsd:string\">" + pad +
                             u"</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature>";
        if (xml.size() + one.size() + tail.size() > limit)
            break;
        xml += one;
    }
    xml += tail;
    ASSERT_GT(foreign, 9000u);
    IXMLDOMDocument2 *ticket = LoadDocument(xml);
    ASSERT_NE(ticket, nullptr);
    xml.clear();

    standin::MsxmlWork before = standin::GetMsxmlWork();
    OEMDEV record;
    SetDefaultOEMDev(&record);
    FieldOf(record, feature.field) = 0;
    ASSERT_EQ(ToDevMode(ticket, &record), S_OK);
    EXPECT_EQ(FieldOf(record, feature.field), 1) << "our feature after the foreign ones is read";
    ASSERT_EQ(ToTicket(ticket, &record), S_OK);
    standin::MsxmlWork after = standin::GetMsxmlWork();
    EXPECT_LT(after.childSteps - before.childSteps, 6 * foreign);
    EXPECT_LT(after.scopeSteps - before.scopeSteps, 20000u);
    ticket->Release();
}

// A link planted under a debug file's fixed name is replaced, never written
// through (what the files hold: the golden dumps).
TEST_F(CapabilitiesTest, DebugFilesReplacePlantedLinks)
{
    Bind(u"KestrelBT");
    std::string inPath = standin::MapWindowsPath(kPtToDevIn);
    std::string victim = inPath + ".victim";
    std::ofstream(victim) << "precious";
    unlink(inPath.c_str());
    ASSERT_EQ(symlink(victim.c_str(), inPath.c_str()), 0);

    IXMLDOMDocument2 *ticket = LoadDocument(u"<psf:PrintTicket version=\"1\"" PT_NAMESPACES u"/>");
    OEMDEV record;
    SetDefaultOEMDev(&record);
    ASSERT_EQ(ToDevMode(ticket, &record), S_OK);
    struct stat info;
    ASSERT_EQ(lstat(inPath.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode)) << "the link is gone";
    EXPECT_EQ(ReadFile(victim), "precious");
    unlink(victim.c_str());
    ticket->Release();

    EXPECT_EQ(SaveDocument(nullptr, kPtToDevIn), E_INVALIDARG);
}

}  // namespace
