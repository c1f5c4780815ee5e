// Print tickets without the test framework, for the tests and the fuzz
// targets alike: a DOM document of a text and its text back, and a provider
// bound to a printer as the core binds it.
#pragma once

#include "host/text.h"
#include "platform/win32.h"
#include "src/core/intrface.h"
#include "src/ptprovider/oemptprovider.h"

#include <string>

// A DOM document of the text, NULs included; null when MSXML refuses it.
inline IXMLDOMDocument2 *LoadDocument(const std::u16string &xml)
{
    IXMLDOMDocument2 *document = nullptr;
    if (FAILED(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, msxml6::IID_Document2,
                                reinterpret_cast<void **>(&document))))
        return nullptr;
    BSTR text = SysAllocStringLen(xml.data(), static_cast<UINT>(xml.size()));
    VARIANT_BOOL ok = VARIANT_FALSE;
    document->loadXML(text, &ok);
    SysFreeString(text);
    if (ok != VARIANT_TRUE) {
        document->Release();
        return nullptr;
    }
    return document;
}

inline std::string Utf8Of(const char16_t *text) { return host::Utf8(text); }

inline std::string DocumentXml(IXMLDOMDocument2 *document)
{
    BSTR xml = nullptr;
    document->get_xml(&xml);
    std::string text = Utf8Of(xml);
    SysFreeString(xml);
    return text;
}

// A print ticket provider bound to the printer (opened for use into
// `printer`), its namespaces let go; null, and nothing left open, when a step
// fails. The caller publishes the core's helper to it.
inline IPrintOemPrintTicketProvider *BindProvider(const char16_t *name, HANDLE &printer)
{
    IClassFactory *factory = nullptr;
    IPrintOemPrintTicketProvider *provider = nullptr;
    if (DllGetClassObject(CLSID_OEMPTPROVIDER, IID_IClassFactory, reinterpret_cast<void **>(&factory)) == S_OK) {
        factory->CreateInstance(nullptr, IID_IPrintOemPrintTicketProvider, reinterpret_cast<void **>(&provider));
        factory->Release();
    }
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
    OEMPTOPTS options = 0;
    INT count = 0;
    BSTR *namespaces = nullptr;
    if (provider != nullptr && OpenPrinterW(const_cast<LPWSTR>(name), &printer, &defaults) &&
        provider->BindPrinter(printer, 1, &options, &count, &namespaces) == S_OK) {
        for (INT i = 0; i < count; ++i)
            SysFreeString(namespaces[i]);
        CoTaskMemFree(namespaces);
        return provider;
    }
    if (provider != nullptr)
        provider->Release();
    if (printer != nullptr)
        ClosePrinter(printer);
    printer = nullptr;
    return nullptr;
}
