#include "host/ptcore.h"

#include "host/text.h"

#include <atomic>
#include <cstdio>

namespace host {

namespace {

std::atomic<long> g_liveHelpers{0};

// The one provider interface version this core speaks.
constexpr INT kCoreVersion = 1;

}  // namespace

CorePrintHelper *CorePrintHelper::Create() { return new CorePrintHelper(); }

long CorePrintHelper::LiveCount() { return g_liveHelpers.load(); }

CorePrintHelper::CorePrintHelper() { ++g_liveHelpers; }

CorePrintHelper::~CorePrintHelper() { --g_liveHelpers; }

HRESULT STDMETHODCALLTYPE CorePrintHelper::QueryInterface(REFIID riid, void **ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPrintCoreHelper) ||
        IsEqualIID(riid, IID_IPrintCoreHelperUni)) {
        *ppv = static_cast<IPrintCoreHelperUni *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CorePrintHelper::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG STDMETHODCALLTYPE CorePrintHelper::Release()
{
    LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0)
        delete this;
    return static_cast<ULONG>(refs);
}

HRESULT STDMETHODCALLTYPE CorePrintHelper::GetOption(const DEVMODEW *, DWORD, PCSTR, PCSTR *) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CorePrintHelper::SetOptions(PDEVMODEW, DWORD, BOOL, const PRINT_FEATURE_OPTION *, DWORD,
                                                      DWORD *, DWORD *)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CorePrintHelper::EnumConstrainedOptions(const DEVMODEW *, DWORD, PCSTR, PCSTR **, DWORD *)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CorePrintHelper::WhyConstrained(const DEVMODEW *, DWORD, PCSTR, PCSTR,
                                                          const PRINT_FEATURE_OPTION **, DWORD *)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CorePrintHelper::EnumFeatures(PCSTR **, DWORD *) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CorePrintHelper::EnumOptions(PCSTR, PCSTR **, DWORD *) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CorePrintHelper::GetFontSubstitution(PCWSTR, PCWSTR *) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CorePrintHelper::SetFontSubstitution(PCWSTR, PCWSTR) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CorePrintHelper::CreateInstanceOfMSXMLObject(REFCLSID rclsid, IUnknown *punkOuter,
                                                                       DWORD dwClsContext, REFIID riid, LPVOID *ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    return CoCreateInstance(rclsid, punkOuter, dwClsContext == 0 ? CLSCTX_INPROC_SERVER : dwClsContext, riid, ppv);
}

HRESULT STDMETHODCALLTYPE CorePrintHelper::CreateGDLSnapshot(PDEVMODEW, DWORD, DWORD, IStream **) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CorePrintHelper::CreateDefaultGDLSnapshot(DWORD, IStream **) { return E_NOTIMPL; }

TicketSession::~TicketSession() { Close(); }

bool TicketSession::Open(const std::string &modulePath, const std::u16string &printer, std::string &error)
{
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(hr)) {
        error = "CoInitializeEx failed: " + HresultText(hr);
        return false;
    }
    comStarted_ = true;

    if (!module_.Load(modulePath, error)) {
        error = "cannot load " + modulePath + ": " + error;
        return false;
    }
    hr = module_.CreateInstance(CLSID_OEMPTPROVIDER, IID_IPrintOemPrintTicketProvider,
                                reinterpret_cast<void **>(&provider_));
    if (FAILED(hr) || provider_ == nullptr) {
        provider_ = nullptr;
        error = "no print ticket provider: " + HresultText(hr);
        return false;
    }

    std::u16string name = printer;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
    if (!OpenPrinterW(&name[0], &printer_, &defaults)) {
        printer_ = nullptr;
        error = "cannot open printer '" + Utf8(printer) + "': error " + std::to_string(GetLastError());
        return false;
    }

    INT *versions = nullptr;
    INT count = 0;
    hr = provider_->GetSupportedVersions(printer_, &versions, &count);
    if (versions != nullptr) {
        for (INT i = 0; i < count; ++i)
            versions_.push_back(versions[i]);
        CoTaskMemFree(versions);
    }
    if (FAILED(hr)) {
        error = "GetSupportedVersions: " + HresultText(hr);
        return false;
    }
    bool spoken = false;
    for (INT version : versions_)
        spoken = spoken || version == kCoreVersion;
    if (!spoken) {
        error = "the provider supports no version this core speaks (1)";
        return false;
    }

    INT namespaceCount = 0;
    BSTR *namespaces = nullptr;
    hr = provider_->BindPrinter(printer_, kCoreVersion, &options_, &namespaceCount, &namespaces);
    if (namespaces != nullptr) {
        for (INT i = 0; i < namespaceCount; ++i) {
            if (namespaces[i] != nullptr) {
                namespaces_.push_back(namespaces[i]);
                SysFreeString(namespaces[i]);
            }
        }
        CoTaskMemFree(namespaces);
    }
    if (FAILED(hr)) {
        error = "BindPrinter: " + HresultText(hr);
        return false;
    }

    helper_ = CorePrintHelper::Create();
    hr = provider_->PublishPrintTicketHelperInterface(static_cast<IPrintCoreHelperUni *>(helper_));
    if (FAILED(hr)) {
        error = "PublishPrintTicketHelperInterface: " + HresultText(hr);
        return false;
    }
    return true;
}

void TicketSession::Close()
{
    // The provider holds a reference on the helper: release it first.
    if (provider_ != nullptr) {
        provider_->Release();
        provider_ = nullptr;
    }
    if (helper_ != nullptr) {
        helper_->Release();
        helper_ = nullptr;
    }
    if (printer_ != nullptr) {
        ClosePrinter(printer_);
        printer_ = nullptr;
    }
    if (comStarted_) {
        CoUninitialize();
        comStarted_ = false;
    }
}

HRESULT TicketSession::CreateDocument(IXMLDOMDocument2 **document) const
{
    if (document == nullptr)
        return E_POINTER;
    *document = nullptr;
    return CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, msxml6::IID_Document2,
                            reinterpret_cast<void **>(document));
}

bool LoadDocumentText(IXMLDOMDocument2 *document, const std::string &text, std::string &error)
{
    // A byte order mark is file framing, not part of the text loadXML takes.
    std::string body = text;
    if (body.compare(0, 3, "\xEF\xBB\xBF") == 0)
        body.erase(0, 3);
    std::u16string wide = Utf16(body);
    if (wide.empty() && !body.empty()) {
        error = "the text is not UTF-8";
        return false;
    }
    BSTR xml = SysAllocString(wide.c_str());
    if (xml == nullptr) {
        error = "out of memory";
        return false;
    }
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr = document->loadXML(xml, &loaded);
    SysFreeString(xml);
    if (hr != S_OK || loaded != VARIANT_TRUE) {
        error = "not a well-formed XML document (loadXML: " + HresultText(hr) + ")";
        return false;
    }
    return true;
}

std::string DocumentText(IXMLDOMDocument2 *document)
{
    BSTR xml = nullptr;
    if (FAILED(document->get_xml(&xml)) || xml == nullptr)
        return {};
    std::string text = Utf8(xml);
    SysFreeString(xml);
    return text;
}

}  // namespace host
