// The three conversions on a ticket and capabilities document as the core
// writes them, beside what merely parsing and serialising the same document
// costs, so the ratio shows what the plug-in adds. Each document comes with
// 0, 100 and 1,000 features of another vendor before ours, as a core with
// many installed features writes them: a conversion should cost the same
// multiple of the floor whatever their number. The debug files go to the
// folder the drive root names: a disk folder, then a memory one.
#include "host/ptcore.h"
#include "src/core/intrface.h"
#include "src/ptprovider/oemptprovider.h"
#include "src/ptprovider/vocabulary.h"
#include "src/records/records.h"
#include "platform/linux/spooler/server.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdlib>
#include <string>

namespace {

const std::u16string kNamespaces =
    u" xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\""
    u" xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\""
    u" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
    u" xmlns:ns0000=\"http://schemas.microsoft.com/windows/printing/oemdriverpt/Condor-private\""
    u" xmlns:oth=\"http://example.com/printing/other-vendor\"";

const long kForeignCounts[] = {0, 100, 1000};

// Features the plug-in does not know, each with an option and a property.
std::u16string ForeignFeatures(long count)
{
    std::u16string xml;
    for (long i = 0; i < count; ++i) {
        std::u16string n = std::u16string(u"") + static_cast<char16_t>(u'0' + i / 1000 % 10) +
                           static_cast<char16_t>(u'0' + i / 100 % 10) + static_cast<char16_t>(u'0' + i / 10 % 10) +
                           static_cast<char16_t>(u'0' + i % 10);
        xml += u"<psf:Feature name=\"oth:Feature" + n + u"\"><psf:Option name=\"oth:Choice" + n +
               u"\"><psf:ScoredProperty name=\"oth:Level\"><psf:Value xsi:type=\"xsd:integer\">" + n +
               u"</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature>";
    }
    return xml;
}

std::u16string Ticket(long foreign = 0)
{
    std::u16string xml = u"<psf:PrintTicket version=\"1\"" + kNamespaces + u">" + ForeignFeatures(foreign);
    xml += u"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"ns0000:Label50x70\">"
           u"<psf:ScoredProperty name=\"psk:MediaSizeWidth\"><psf:Value xsi:type=\"xsd:integer\">50000</psf:Value>"
           u"</psf:ScoredProperty><psf:ScoredProperty name=\"psk:MediaSizeHeight\"><psf:Value "
           u"xsi:type=\"xsd:integer\">70000</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature>"
           u"<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:Portrait\"/></psf:Feature>"
           u"<psf:Feature name=\"psk:PageResolution\"><psf:Option name=\"ns0000:Standard\"/></psf:Feature>";
    for (const TicketFeature &feature : kPrivateFeatures)
        xml += u"<psf:Feature name=\"ns0000:" + std::u16string(feature.name) + u"\"><psf:Option name=\"ns0000:" +
               feature.options->names[0] + u"\"/></psf:Feature>";
    xml += u"<psf:ParameterInit name=\"psk:JobCopiesAllDocuments\"><psf:Value xsi:type=\"xsd:integer\">1"
           u"</psf:Value></psf:ParameterInit></psf:PrintTicket>";
    return xml;
}

std::u16string Capabilities(long foreign = 0)
{
    std::u16string xml = u"<psf:PrintCapabilities version=\"1\"" + kNamespaces + u">" + ForeignFeatures(foreign);
    for (const TicketFeature &feature : kPrivateFeatures) {
        xml += u"<psf:Feature name=\"ns0000:" + std::u16string(feature.name) + u"\">";
        for (INT i = 0; i < feature.options->writeCount; ++i)
            xml += u"<psf:Option name=\"ns0000:" + std::u16string(feature.options->names[i]) + u"\"/>";
        xml += u"</psf:Feature>";
    }
    return xml + u"</psf:PrintCapabilities>";
}

std::string Utf8(const std::u16string &text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
    out.pop_back();
    return out;
}

// The provider bound to a printer, with the host's core helper (it makes
// the stand-in's MSXML objects).
struct Session {
    host::CorePrintHelper *helper = host::CorePrintHelper::Create();
    IPrintOemPrintTicketProvider *provider = nullptr;
    HANDLE printer = nullptr;

    Session()
    {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        standin::spooler::LoadSample();
        IClassFactory *factory = nullptr;
        DllGetClassObject(CLSID_OEMPTPROVIDER, IID_IClassFactory, reinterpret_cast<void **>(&factory));
        factory->CreateInstance(nullptr, IID_IPrintOemPrintTicketProvider, reinterpret_cast<void **>(&provider));
        factory->Release();
        WCHAR name[] = TEXT("FalconBT");
        OpenPrinterW(name, &printer, nullptr);
        OEMPTOPTS options;
        INT count;
        BSTR *namespaces;
        provider->BindPrinter(printer, 1, &options, &count, &namespaces);
        SysFreeString(namespaces[0]);
        CoTaskMemFree(namespaces);
        provider->PublishPrintTicketHelperInterface(helper);
    }
    ~Session()
    {
        provider->Release();
        helper->Release();
        ClosePrinter(printer);
        CoUninitialize();
    }
    static IXMLDOMDocument2 *Load(const std::u16string &xml)
    {
        IXMLDOMDocument2 *document = nullptr;
        CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, msxml6::IID_Document2,
                         reinterpret_cast<void **>(&document));
        BSTR text = SysAllocString(xml.c_str());
        VARIANT_BOOL ok;
        document->loadXML(text, &ok);
        SysFreeString(text);
        return document;
    }
};

// The conversions' trace lines are captured by the stand-in; a capture
// that grew over thousands of iterations would be timed too.
void KeepCaptureSmall()
{
    if (standin::DebugCaptureCount() > 10000)
        standin::DebugCaptureClear();
}

// range(1) 0: debug files on disk (the system temporary folder); 1: in memory.
void PointDumps(benchmark::State &state)
{
    setenv("STANDIN_DRIVE_ROOT", state.range(1) ? "/dev/shm/orvoui-bench" : "/tmp/orvoui-bench", 1);
}

// The conversions' arguments: foreign features, then dumps on disk or in memory.
void ConversionArgs(benchmark::internal::Benchmark *b)
{
    b->ArgNames({"foreign", "memory"});
    for (long foreign : kForeignCounts)
        for (long memory : {0, 1})
            b->Args({foreign, memory});
}

// The floor's and the DOM's: capabilities or ticket, then foreign features.
void DocumentArgs(benchmark::internal::Benchmark *b)
{
    b->ArgNames({"capabilities", "foreign"});
    for (long capabilities : {0, 1})
        for (long foreign : kForeignCounts)
            b->Args({capabilities, foreign});
}

// What reading and writing the document costs at the least: libxml2's own
// parse and serialisation, no DOM objects, no conversion.
void BM_ParseAndSerialise(benchmark::State &state)
{
    std::string xml = Utf8(state.range(0) ? Capabilities(state.range(1)) : Ticket(state.range(1)));
    for (auto _ : state) {
        xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, "UTF-8", XML_PARSE_NONET);
        xmlChar *out = nullptr;
        int size = 0;
        xmlDocDumpMemory(doc, &out, &size);
        benchmark::DoNotOptimize(out);
        xmlFree(out);
        xmlFreeDoc(doc);
    }
}
BENCHMARK(BM_ParseAndSerialise)->Apply(DocumentArgs);

// The same documents through the DOM the conversions use, loaded and
// serialised only: the share of a conversion that is the DOM's, not the
// plug-in's.
void BM_LoadAndSerialiseDom(benchmark::State &state)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::u16string xml = state.range(0) ? Capabilities(state.range(1)) : Ticket(state.range(1));
    for (auto _ : state) {
        IXMLDOMDocument2 *document = Session::Load(xml);
        BSTR text = nullptr;
        document->get_xml(&text);
        benchmark::DoNotOptimize(text);
        SysFreeString(text);
        document->Release();
    }
    CoUninitialize();
}
BENCHMARK(BM_LoadAndSerialiseDom)->Apply(DocumentArgs);

// One conversion per iteration on a freshly loaded copy of the ticket.
template <typename Convert>
void ConvertTickets(benchmark::State &state, Convert convert)
{
    PointDumps(state);
    Session session;
    std::u16string xml = Ticket(state.range(0));
    DEVMODEW devmode = {};
    devmode.dmSize = sizeof(devmode);
    for (auto _ : state) {
        IXMLDOMDocument2 *ticket = Session::Load(xml);
        OEMDEV record;
        SetDefaultOEMDev(&record);
        convert(session.provider, ticket, devmode, record);
        ticket->Release();
        KeepCaptureSmall();
    }
    standin::DebugCaptureClear();
}

void BM_DevModeToTicket(benchmark::State &state)
{
    ConvertTickets(
        state, [](IPrintOemPrintTicketProvider *provider, IXMLDOMDocument2 *ticket, DEVMODEW &devmode, OEMDEV &record) {
            provider->ConvertDevModeToPrintTicket(sizeof(devmode), &devmode, sizeof(record), &record, ticket);
        });
}
BENCHMARK(BM_DevModeToTicket)->Apply(ConversionArgs);

void BM_TicketToDevMode(benchmark::State &state)
{
    ConvertTickets(
        state, [](IPrintOemPrintTicketProvider *provider, IXMLDOMDocument2 *ticket, DEVMODEW &devmode, OEMDEV &record) {
            provider->ConvertPrintTicketToDevMode(ticket, sizeof(devmode), &devmode, sizeof(record), &record);
        });
}
BENCHMARK(BM_TicketToDevMode)->Apply(ConversionArgs);

void BM_CompleteCapabilities(benchmark::State &state)
{
    PointDumps(state);
    Session session;
    std::u16string xml = Capabilities(state.range(0));
    for (auto _ : state) {
        IXMLDOMDocument2 *caps = Session::Load(xml);
        session.provider->CompletePrintCapabilities(nullptr, caps);
        caps->Release();
        KeepCaptureSmall();
    }
    standin::DebugCaptureClear();
}
BENCHMARK(BM_CompleteCapabilities)->Apply(ConversionArgs);

}  // namespace
