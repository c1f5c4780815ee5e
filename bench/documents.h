// The documents the ticket benchmarks convert, as the core writes them: a
// base PrintTicket (DEVMODE to PrintTicket), the same ticket with the
// plug-in's five ParameterInits (PrintTicket to DEVMODE) and the base
// PrintCapabilities, each with `foreign` features of another vendor before
// the plug-in's; and a provider bound to FalconBT with the host's core
// helper.
#pragma once

#include "host/ptcore.h"
#include "src/core/intrface.h"
#include "src/ptprovider/oemptprovider.h"
#include "src/ptprovider/vocabulary.h"
#include "src/records/records.h"
#include "platform/linux/spooler/server.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace bench {

inline const std::u16string kNamespaces =
    u" xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\""
    u" xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\""
    u" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
    u" xmlns:ns0000=\"http://schemas.microsoft.com/windows/printing/oemdriverpt/Condor-private\""
    u" xmlns:oth=\"http://example.com/printing/other-vendor\"";

inline const long kForeignCounts[] = {0, 100, 1000};

// Features the plug-in does not know, each with an option and a property.
inline std::u16string ForeignFeatures(long count)
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

inline std::u16string Ticket(long foreign = 0, bool withParameters = false)
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
           u"</psf:Value></psf:ParameterInit>";
    // What DEVMODE to PrintTicket leaves for the way back.
    for (const TicketParameter &parameter : kTicketParameters)
        if (withParameters)
            xml += u"<psf:ParameterInit name=\"ns0000:" + std::u16string(parameter.name) +
                   u"\"><psf:Value xsi:type=\"xsd:integer\">3000</psf:Value></psf:ParameterInit>";
    return xml + u"</psf:PrintTicket>";
}

inline std::u16string Capabilities(long foreign = 0)
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

inline std::string Utf8(const std::u16string &text)
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

    // Nobody listens to the debugger output while a session converts, as
    // on a machine without a debugger or log viewer: the lines are still
    // made, they go nowhere.
    Session()
    {
        standin::DebugListen(false);
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
        standin::DebugListen(true);
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
        // The length is known: the text is not measured again.
        BSTR text = SysAllocStringLen(xml.data(), static_cast<UINT>(xml.size()));
        VARIANT_BOOL ok;
        document->loadXML(text, &ok);
        SysFreeString(text);
        return document;
    }
};

enum Conversion { kDevModeToTicket, kTicketToDevMode, kCapabilities };
inline const char *const kConversionNames[] = {"DEVMODE to PrintTicket", "PrintTicket to DEVMODE",
                                               "PrintCapabilities completion"};
// The debug files the description requires of each: the document as it
// came and, but for PrintTicket to DEVMODE, as it goes back.
inline const int kRequiredSaves[] = {2, 1, 2};

inline std::u16string Input(Conversion conversion, long foreign)
{
    return conversion == kCapabilities ? Capabilities(foreign) : Ticket(foreign, conversion == kTicketToDevMode);
}

// One conversion of the document; the DOM calls it made.
inline unsigned long long Convert(Session &session, Conversion conversion, IXMLDOMDocument2 *document)
{
    DEVMODEW devmode = {};
    devmode.dmSize = sizeof(devmode);
    OEMDEV record;
    SetDefaultOEMDev(&record);
    unsigned long long before = standin::GetMsxmlWork().calls;
    IPrintOemPrintTicketProvider *provider = session.provider;
    if (conversion == kDevModeToTicket)
        provider->ConvertDevModeToPrintTicket(sizeof(devmode), &devmode, sizeof(record), &record, document);
    else if (conversion == kTicketToDevMode)
        provider->ConvertPrintTicketToDevMode(document, sizeof(devmode), &devmode, sizeof(record), &record);
    else
        provider->CompletePrintCapabilities(nullptr, document);
    return standin::GetMsxmlWork().calls - before;
}

// The least a conversion must do, with libxml2 alone: parse the document
// and write the debug files the description requires, each as the plug-in
// writes them (a fresh file in the folder, renamed over the name). The
// second file holds the converted document, parsed beforehand.
class RequiredWork {
public:
    RequiredWork(Conversion conversion, const std::u16string &input, const std::string &converted)
        : input_(Utf8(input)), saves_(kRequiredSaves[conversion])
    {
        output_ =
            xmlReadMemory(converted.data(), static_cast<int>(converted.size()), nullptr, "UTF-8", XML_PARSE_NONET);
        folder_ = standin::MapWindowsPath(u"C:\\Users\\Public");
    }
    ~RequiredWork() { xmlFreeDoc(output_); }
    RequiredWork(const RequiredWork &) = delete;
    RequiredWork &operator=(const RequiredWork &) = delete;

    void Run()
    {
        xmlDocPtr doc = Parse();
        Save(doc, "floor-in.xml");
        if (saves_ == 2)
            Save(output_, "floor-out.xml");
        xmlFreeDoc(doc);
    }
    // The floor measured before: parse and one serialisation to memory.
    void RunParseAndSerialise()
    {
        xmlDocPtr doc = Parse();
        xmlChar *out = nullptr;
        int size = 0;
        xmlDocDumpMemory(doc, &out, &size);
        xmlFree(out);
        xmlFreeDoc(doc);
    }

private:
    xmlDocPtr Parse()
    {
        return xmlReadMemory(input_.data(), static_cast<int>(input_.size()), nullptr, "UTF-8", XML_PARSE_NONET);
    }
    void Save(xmlDocPtr doc, const char *name)
    {
        std::string fresh = folder_ + "/floorXXXXXX";
        int fd = mkstemp(&fresh[0]);
        if (fd < 0)
            return;
        xmlSaveCtxtPtr context = xmlSaveToFd(fd, nullptr, 0);
        if (context != nullptr) {
            xmlSaveDoc(context, doc);
            xmlSaveClose(context);
        }
        ::close(fd);
        std::rename(fresh.c_str(), (folder_ + "/" + name).c_str());
    }

    std::string input_;
    int saves_;
    xmlDocPtr output_ = nullptr;
    std::string folder_;
};

// The document's XML as UTF-8.
inline std::string DocumentUtf8(IXMLDOMDocument2 *document)
{
    BSTR text = nullptr;
    document->get_xml(&text);
    std::string out = text != nullptr ? Utf8(text) : std::string();
    SysFreeString(text);
    return out;
}

}  // namespace bench
