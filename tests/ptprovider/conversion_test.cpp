#include "src/ptprovider/conversions.h"
#include "tests/host/expect.h"
#include "tests/support/tickets.h"

namespace {

const std::u16string kTicketStart = u"<psf:PrintTicket version=\"1\"" PT_NAMESPACES u" xmlns:p=\"" PT_PRIVATE u"\">";
const std::u16string kTicketEnd = u"</psf:PrintTicket>";

std::u16string Parameter(const std::u16string &name, const std::u16string &value, const std::u16string &prefix = u"p")
{
    return u"<psf:ParameterInit name=\"" + prefix + u":" + name + u"\"><psf:Value xsi:type=\"xsd:integer\">" + value +
           u"</psf:Value></psf:ParameterInit>";
}

OEMDEV Record(LONG fill)
{
    OEMDEV record = {};
    SetDefaultOEMDev(&record);
    record.standardPaperSizeChoose = fill;
    return record;
}

using ToDevModeTest = TicketTest;

// Rotate, Density, GrayLevel, a private feature under any prefix bound to
// the private namespace, the feature's first option, the resolution for
// every model: read. The rest leave the record as it was.
TEST_F(ToDevModeTest, ReadsFeaturesByNamespaceNotByPrefix)
{
    Bind(u"KestrelBT");
    IXMLDOMDocument2 *ticket = LoadDocument(
        kTicketStart + FeatureXml(u"p:DocumentOEMRotate", u"p:Landspace180") +
        FeatureXml(u"p:DocumentOEMPrintDensity", u"p:Option15") +
        FeatureXml(u"p:DocumentOEMBlackLevel", u"p:Option8") +  // beyond the seven read
        FeatureXml(u"p:DocumentOEMGrayLevel", u"p:Option7") +
        FeatureXml(u"p:DocumentOEMGray", u"psk:OrderedDithering") +  // not in the private namespace
        FeatureXml(u"p:DocumentOEMPrintSpeed", u"p:option2") +       // case matters
        u"<psf:Feature name=\"q:DocumentOEMMirror\" "
        u"xmlns:q=\"" PT_PRIVATE u"\"><psf:Option name=\"q:YES\"/></psf:Feature>" +
        FeatureXml(u"undeclared:DocumentOEMChain", u"p:YES") +
        u"<psf:Feature><psf:Option name=\"p:YES\"/></psf:Feature>" + u"<psf:Feature name=\"p:DocumentOEMPOST\">" +
        FeatureXml(u"p:DocumentOEMAutoCut", u"p:YES") +  // nested: not found from the root
        u"<psf:Option name=\"p:PeelOff\"/></psf:Feature>" + FeatureXml(u"psk:PageResolution", u"p:HighSpeed") +
        kTicketEnd);
    ASSERT_NE(ticket, nullptr);
    OEMDEV record = Record(0);
    OEMDEV expected = record;
    ASSERT_EQ(ToDevMode(ticket, &record), S_OK);
    expected.Rotate = 2, expected.Density = 14, expected.GrayLevel = 6, expected.Mirror = 1;
    expected.Settear = 2, expected.iQuality = 3;
    EXPECT_EQ(std::memcmp(&record, &expected, sizeof(record)), 0);
    ticket->Release();
}

// A parameter's value is its framework Value element, whatever comes
// before it; the parameters read are removed.
TEST_F(ToDevModeTest, ParametersAreConsumed)
{
    Bind(u"KestrelBT");
    IXMLDOMDocument2 *ticket = LoadDocument(
        kTicketStart +
        u"<psf:ParameterInit name=\"p:PageGapHeight\"><!-- set by the app --><?app x?>"
        u"<psf:Value xsi:type=\"xsd:integer\">3000</psf:Value></psf:ParameterInit>" +
        Parameter(u"PageHorizontalOffset", u"-1500") + Parameter(u"PageVerticalOffset", u"2500") +
        Parameter(u"PageAfterPrint", u"many") +
        u"<psf:ParameterInit name=\"p:PageGapOffset\"><!-- no value --><Value>5000</Value></psf:ParameterInit>" +
        kTicketEnd);
    ASSERT_NE(ticket, nullptr);
    // Not a number reads as 0; a Value outside the framework namespace is no value.
    OEMDEV record = Record(0);
    record.Gappara[1] = 9;
    OEMDEV expected = record;
    expected.Gappara[0] = 3, expected.Reference[0] = -1, expected.Reference[1] = 2, expected.Offset = 0;
    ASSERT_EQ(ToDevMode(ticket, &record), S_OK);
    EXPECT_EQ(std::memcmp(&record, &expected, sizeof(record)), 0);
    std::string xml = DocumentXml(ticket);
    EXPECT_TRUE(Lacks(xml, "PageGapHeight") && Lacks(xml, "PageHorizontalOffset"));
    EXPECT_TRUE(Has(xml, "PageGapOffset")) << "only parameters read are removed";
    ticket->Release();
}

// The ticket's and the record's values go to the printer's stored record;
// what neither carries stays, unless the stored record is outdated: then
// the defaults.
TEST_F(ToDevModeTest, TicketChangesThePrinterSettings)
{
    for (LONG version : {5, 4}) {
        REGSTRUCT stored = Defaults();
        stored.Version = version;
        stored.Contrast = 13;
        stored.Unit = 1;
        StoreRecord(u"KestrelBT", &stored, sizeof(stored));
        Bind(u"KestrelBT");
        IXMLDOMDocument2 *ticket =
            LoadDocument(kTicketStart + FeatureXml(u"p:DocumentOEMMirror", u"p:YES") + kTicketEnd);
        OEMDEV record = Record(0);
        record.Speed = 1;
        ASSERT_EQ(ToDevMode(ticket, &record), S_OK);
        EXPECT_EQ(record.Mirror, 1);
        REGSTRUCT expected = version == 5 ? stored : Defaults();
        CopyTicketFieldsToSettings(record, expected);
        EXPECT_EQ(StoredRecord(u"KestrelBT"), Bytes(expected)) << version;
        ticket->Release();
        EXPECT_EQ(standin::GetCounters().printerHandles, 1) << "only the test's own handle is open";
        EXPECT_EQ(provider->Release(), 0u);
        provider = nullptr;
        ClosePrinter(printer);
        printer = nullptr;
    }
}

// Refused arguments; without a core helper neither conversion reads or
// writes the ticket; a private area too small for the record is not written.
TEST_F(ToDevModeTest, BadArgumentsAndMissingPieces)
{
    Bind(u"KestrelBT", false);
    IXMLDOMDocument2 *ticket = LoadDocument(kTicketStart + FeatureXml(u"p:DocumentOEMMirror", u"p:YES") + kTicketEnd);
    OEMDEV record = Record(0);
    EXPECT_EQ(provider->ConvertPrintTicketToDevMode(ticket, 0, &devmode, 108, &record), E_INVALIDARG);
    EXPECT_EQ(provider->ConvertPrintTicketToDevMode(nullptr, 220, &devmode, 108, &record), E_INVALIDARG);
    EXPECT_EQ(provider->ConvertPrintTicketToDevMode(ticket, 220, nullptr, 108, &record), E_INVALIDARG);
    EXPECT_EQ(provider->ConvertDevModeToPrintTicket(219, &devmode, 108, &record, ticket), E_INVALIDARG);
    EXPECT_EQ(provider->ConvertDevModeToPrintTicket(220, nullptr, 108, &record, ticket), E_INVALIDARG);
    EXPECT_EQ(provider->ConvertDevModeToPrintTicket(220, &devmode, 108, &record, nullptr), E_INVALIDARG);
    std::string before = DocumentXml(ticket);
    EXPECT_EQ(ToTicket(ticket, &record), E_INVALIDARG) << "no core helper to start the DOM with";
    EXPECT_EQ(DocumentXml(ticket), before);
    EXPECT_EQ(ToDevMode(ticket, &record), S_OK);
    EXPECT_EQ(record.Mirror, 0);
    EXPECT_EQ(provider->PublishPrintTicketHelperInterface(&core), S_OK);
    BYTE small[64] = {};
    EXPECT_EQ(provider->ConvertPrintTicketToDevMode(ticket, 220, &devmode, sizeof(small), small), S_OK);
    EXPECT_EQ(std::count(small, small + sizeof(small), 0), static_cast<long>(sizeof(small)));
    EXPECT_EQ(provider->ConvertPrintTicketToDevMode(ticket, 220, &devmode, 0, nullptr), S_OK);
    ticket->Release();
}

using ToTicketTest = TicketTest;

const std::u16string kCoreTicketStart =
    u"<psf:PrintTicket version=\"1\"" PT_NAMESPACES u" xmlns:ns0000=\"" PT_PRIVATE u"\">";

std::u16string CoreTicket()
{
    return kCoreTicketStart + FeatureXml(u"ns0000:DocumentOEMRotate", u"ns0000:Porital") +
           FeatureXml(u"ns0000:DocumentOEMPrintSpeed", u"ns0000:Option1") +
           FeatureXml(u"ns0000:DocumentOEMPrintDensity", u"ns0000:Option1") +
           FeatureXml(u"psk:PageResolution", u"ns0000:Standard") + Parameter(u"PageGapHeight", u"1000", u"ns0000") +
           kTicketEnd;
}

// The printer's stored record, not the DEVMODE's, goes into the core's
// ticket; the record comes back with it.
TEST_F(ToTicketTest, PrinterSettingsGoIntoTheTicket)
{
    // The stored record (of that size), the record's speed and rotation
    // afterwards, and what the ticket has (or, after a '!', lacks).
    auto row = [this](const char *what, const char16_t *name, const REGSTRUCT &stored, size_t storedSize, LONG speed,
                      LONG rotate, const std::vector<std::string> &parts) {
        SCOPED_TRACE(what);
        StoreRecord(name, &stored, storedSize);
        Bind(name);
        IXMLDOMDocument2 *ticket = LoadDocument(CoreTicket());
        ASSERT_NE(ticket, nullptr);
        OEMDEV record = Record(0);
        record.Rotate = record.Speed = 0;
        ASSERT_EQ(ToTicket(ticket, &record), S_OK);
        EXPECT_EQ(record.Speed, speed);
        EXPECT_EQ(record.Rotate, rotate);
        std::string xml = DocumentXml(ticket);
        for (const std::string &part : parts)
            EXPECT_TRUE(part[0] == '!' ? Lacks(xml, part.substr(1)) : Has(xml, part));
        EXPECT_EQ(StoredRecord(name).size(), storedSize);
        ticket->Release();
        provider->Release();
        provider = nullptr;
        ClosePrinter(printer);
        printer = nullptr;
    };
    REGSTRUCT r = Defaults();
    r.Rotate = 3, r.Reference[0] = -2, r.iQuality = 2;
    row("stored values; the resolution is the extended model's only, no feature the core did not write", u"KestrelBT",
        r, sizeof(r), 4, 3,
        {"<psf:Option name=\"ns0000:Landspace\"", "name=\"ns0000:Option5\"", "name=\"ns0000:Option6\"",
         "<psf:ParameterInit name=\"ns0000:PageGapHeight\"><psf:Value xsi:type=\"xsd:integer\">3000</psf:Value>",
         ">-2000</psf:Value>", "name=\"ns0000:Standard\"", "!DocumentOEMMirror"});
    r = Defaults(), r.iQuality = 3;
    row("the extended model's resolution", u"FalconBT", r, sizeof(r), 4, 2, {"name=\"ns0000:HighSpeed\""});
    r = Defaults(), r.Speed = 1;
    row("an invalid record: the defaults, not repaired", u"KestrelBT", r, 100, 4, 2,
        {"name=\"ns0000:Option5\"", "name=\"ns0000:Landspace180\""});
    r = Defaults(), r.Speed = 5, r.Density = 15, r.Reference[0] = 1000000;
    row("values without an option or too large are left out", u"KestrelBT", r, sizeof(r), 5, 2,
        {"<psf:Feature name=\"ns0000:DocumentOEMPrintSpeed\"><psf:Option name=\"ns0000:Option1\"/>",
         "!PageHorizontalOffset"});
}

// The ticket's own ParameterInit, a comment before its value, takes the new
// value and is read back; none is added beside it. (Under another prefix
// bound to the private namespace: the golden dumps' rebound case.)
TEST_F(ToTicketTest, ExistingParameterTakesTheNewValue)
{
    REGSTRUCT stored = Defaults();
    stored.Gappara[0] = 7;
    StoreRecord(u"KestrelBT", &stored, sizeof(stored));
    Bind(u"KestrelBT");
    IXMLDOMDocument2 *ticket = LoadDocument(kCoreTicketStart +
                                            u"<psf:ParameterInit name=\"ns0000:PageGapHeight\"><!-- old --><psf:Value "
                                            u"xsi:type=\"xsd:integer\">1000</psf:Value></psf:ParameterInit>" +
                                            kTicketEnd);
    ASSERT_NE(ticket, nullptr);
    OEMDEV record = Record(0);
    ASSERT_EQ(ToTicket(ticket, &record), S_OK);
    std::string xml = DocumentXml(ticket);
    EXPECT_EQ(Count(xml, "PageGapHeight"), 1u) << xml;
    EXPECT_TRUE(Has(xml, ">7000</psf:Value>") && Lacks(xml, ">1000</psf:Value>"));
    OEMDEV back = Record(0);
    ASSERT_EQ(ToDevMode(ticket, &back), S_OK);
    EXPECT_EQ(back.Gappara[0], 7);
    ticket->Release();
}

// Option names under the prefix the ticket binds where the feature stands,
// never one bound to another namespace there: the golden dumps' rebound case.

}  // namespace
