#include "tests/support/tickets.h"

#include <cstdlib>

IXMLDOMDocument2 *LoadDocument(const std::u16string &xml)
{
    IXMLDOMDocument2 *document = nullptr;
    if (FAILED(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, msxml6::IID_Document2,
                                reinterpret_cast<void **>(&document))))
        return nullptr;
    BSTR text = SysAllocString(xml.c_str());
    VARIANT_BOOL ok = VARIANT_FALSE;
    document->loadXML(text, &ok);
    SysFreeString(text);
    if (ok != VARIANT_TRUE) {
        document->Release();
        return nullptr;
    }
    return document;
}

std::string Utf8Of(const char16_t *text)
{
    if (text == nullptr)
        return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

std::string DocumentXml(IXMLDOMDocument2 *document)
{
    BSTR xml = nullptr;
    document->get_xml(&xml);
    std::string text = Utf8Of(xml);
    SysFreeString(xml);
    return text;
}

std::u16string FeatureXml(const std::u16string &name, const std::u16string &option)
{
    return u"<psf:Feature name=\"" + name + u"\"><psf:Option name=\"" + option + u"\"/></psf:Feature>";
}

void TicketTest::SetUp()
{
    SpoolerTest::SetUp();
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    AddPrinter(u"KestrelBT", u"KestrelBT");
    AddPrinter(u"FalconBT", u"FalconBT");
    devmode.dmSize = sizeof(DEVMODEW);
    devmode.dmDriverExtra = sizeof(OEMDEV);
}

void TicketTest::TearDown()
{
    if (provider != nullptr) {
        EXPECT_EQ(provider->Release(), 0u);
        provider = nullptr;
    }
    if (printer != nullptr)
        ClosePrinter(printer);
    EXPECT_EQ(core.refs, 1) << "the provider keeps no reference to the core helper";
    CoUninitialize();
    SpoolerTest::TearDown();
}

void TicketTest::Bind(const std::u16string &name, bool withHelper)
{
    IClassFactory *factory = nullptr;
    ASSERT_EQ(DllGetClassObject(CLSID_OEMPTPROVIDER, IID_IClassFactory, reinterpret_cast<void **>(&factory)), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemPrintTicketProvider, reinterpret_cast<void **>(&provider)),
              S_OK);
    factory->Release();
    printer = OpenForUse(name);
    OEMPTOPTS options = 0;
    INT count = 0;
    BSTR *namespaces = nullptr;
    ASSERT_EQ(provider->BindPrinter(printer, 1, &options, &count, &namespaces), S_OK);
    SysFreeString(namespaces[0]);
    CoTaskMemFree(namespaces);
    if (withHelper) {
        ASSERT_EQ(provider->PublishPrintTicketHelperInterface(&core), S_OK);
    }
}

HRESULT TicketTest::ToDevMode(IXMLDOMDocument2 *ticket, OEMDEV *record)
{
    return provider->ConvertPrintTicketToDevMode(ticket, sizeof(devmode), &devmode, sizeof(OEMDEV), record);
}

HRESULT TicketTest::ToTicket(IXMLDOMDocument2 *ticket, OEMDEV *record)
{
    return provider->ConvertDevModeToPrintTicket(sizeof(devmode), &devmode, sizeof(OEMDEV), record, ticket);
}

REGSTRUCT TicketTest::Stored(const std::u16string &name)
{
    REGSTRUCT settings = {};
    std::vector<BYTE> bytes = StoredRecord(name);
    if (bytes.size() == sizeof(settings))
        std::memcpy(&settings, bytes.data(), sizeof(settings));
    return settings;
}
