#include "src/ptprovider/oemptprovider.h"

#include "src/base/debug.h"
#include "src/ptprovider/conversions.h"
#include "src/ptprovider/ptconst.h"
#include "src/settings/settings.h"

#include <cassert>

IOEMPTProvider::IOEMPTProvider() : m_cRef(1), m_hPrinter(nullptr), m_pCoreHelper(nullptr)
{
    InterlockedIncrement(&gcComponents);
}

IOEMPTProvider::~IOEMPTProvider()
{
    if (m_pCoreHelper != nullptr) {
        m_pCoreHelper->Release();
        m_pCoreHelper = nullptr;
    }
    InterlockedDecrement(&gcComponents);
    assert(0 == m_cRef);
}

STDMETHODIMP IOEMPTProvider::QueryInterface(REFIID riid, void **ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IPrintOemPrintTicketProvider) {
        *ppv = static_cast<IPrintOemPrintTicketProvider *>(this);
        AddRef();
        WARNING(TEXT("IOEMPTProvider::QueryInterface: query success"));
        return S_OK;
    }
    *ppv = nullptr;
    WARNING(TEXT("IOEMPTProvider::QueryInterface: query fail"));
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) IOEMPTProvider::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_cRef)); }

STDMETHODIMP_(ULONG) IOEMPTProvider::Release()
{
    LONG count = InterlockedDecrement(&m_cRef);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP IOEMPTProvider::GetSupportedVersions(HANDLE, INT *ppVersions[], INT *cVersions)
{
    INFO(TEXT("UI:  IOEMPTProvider::GetSupportedVersions: entry.\r\n"));
    if (ppVersions == nullptr || cVersions == nullptr)
        return E_INVALIDARG;

    // The caller frees the list with CoTaskMemFree.
    auto *versions = static_cast<INT *>(CoTaskMemAlloc(sizeof(INT)));
    *ppVersions = versions;
    if (versions == nullptr) {
        *cVersions = 0;
        return E_OUTOFMEMORY;
    }
    versions[0] = 1;
    *cVersions = 1;
    return S_OK;
}

STDMETHODIMP IOEMPTProvider::BindPrinter(HANDLE hPrinter, INT version, POEMPTOPTS pOptions, INT *pcNamespaces,
                                         BSTR **ppNamespaces)
{
    INFO(TEXT("UI:  IOEMPTProvider::BindPrinter: entry.\r\n"));
    if (pOptions == nullptr || pcNamespaces == nullptr || ppNamespaces == nullptr || hPrinter == nullptr) {
        WARNING(TEXT(":BindPrinter:E_POINTER"));
        return E_POINTER;
    }

    // The caller frees the array with CoTaskMemFree and its string with
    // SysFreeString.
    HRESULT hr = S_OK;
    *pcNamespaces = 1;
    *ppNamespaces = static_cast<BSTR *>(CoTaskMemAlloc(sizeof(BSTR)));
    if (*ppNamespaces != nullptr) {
        (*ppNamespaces)[0] = SysAllocString(kPrivateNamespace);
    } else {
        WARNING(TEXT("IOEMPTProvider::BindPrinter fail E_OUTOFMEMORY "));
        hr = E_OUTOFMEMORY;
    }

    if (version != 1)
        return E_VERSION_NOT_SUPPORTED;

    m_hPrinter = hPrinter;
    *pOptions = OEMPT_DEFAULT;
    INFO(TEXT("UI:  IOEMPTProvider::BindPrinter: end.\r\n"));
    return hr;
}

STDMETHODIMP IOEMPTProvider::PublishPrintTicketHelperInterface(IUnknown *pHelper)
{
    INFO(TEXT("UI:  IOEMPTProvider::PublishPrintTicketHelperInterface: entry.\r\n"));
    if (pHelper == nullptr)
        return E_INVALIDARG;

    HRESULT hr = S_OK;
    if (m_pCoreHelper == nullptr) {
        hr = pHelper->QueryInterface(IID_IPrintCoreHelperUni, reinterpret_cast<void **>(&m_pCoreHelper));
        if (FAILED(hr))
            m_pCoreHelper = nullptr;
        // A helper without the Unidrv interface is accepted; the conversions
        // then find no core helper.
        if (hr == E_NOINTERFACE)
            hr = S_OK;
    }
    INFO(TEXT("UI:  IOEMPTProvider::PublishPrintTicketHelperInterface: end. and hr is %x\r\n"), hr);
    return hr;
}

STDMETHODIMP IOEMPTProvider::QueryDeviceDefaultNamespace(BSTR *pbstrNamespaceUri)
{
    INFO(TEXT("UI:  IOEMPTProvider::QueryDeviceDefaultNamespace: entry.\r\n"));
    HRESULT hr = S_OK;
    if (pbstrNamespaceUri == nullptr) {
        WARNING(TEXT("IOEMPTProvider::QueryDeviceDefaultNamespace:E_POINTER"));
        hr = E_POINTER;
    } else {
        // A string already there belongs to the caller: shown, not freed.
        if (*pbstrNamespaceUri != nullptr)
            OutputDebugStringW(*pbstrNamespaceUri);
        *pbstrNamespaceUri = SysAllocString(kPrivateNamespace);
    }
    INFO(TEXT("UI:  IOEMPTProvider::QueryDeviceDefaultNamespace: end.\r\n"));
    return hr;
}

namespace {

// The plug-in's record in the private DEVMODE the core hands over; null
// when there is none or it is too small to be one. The record may sit at
// any address: the conversions work on an aligned copy.
PVOID PrivateRecord(ULONG cbDrvPrivateSize, PVOID pPrivateDevmode)
{
    if (pPrivateDevmode == nullptr)
        return nullptr;
    if (cbDrvPrivateSize < sizeof(OEMDEV)) {
        WARNING(TEXT("UI:  private devmode of %d bytes is too small, not used\r\n"), cbDrvPrivateSize);
        return nullptr;
    }
    return pPrivateDevmode;
}

}  // namespace

STDMETHODIMP IOEMPTProvider::ConvertPrintTicketToDevMode(IXMLDOMDocument2 *pPrintTicket, ULONG cbDevmode,
                                                         PDEVMODEW pDevmode, ULONG cbDrvPrivateSize,
                                                         PVOID pPrivateDevmode)
{
    INFO(TEXT("UI:  IOEMPTProvider::ConvertPrintTicketToDevMode: entry.\r\n"));
    if (cbDevmode == 0 || pDevmode == nullptr || pPrintTicket == nullptr)
        return E_INVALIDARG;

    SaveDocument(pPrintTicket, kPtToDevIn);
    CXmlDomHelper dom;
    HRESULT hr = S_OK;
    if (SUCCEEDED(dom.Initialize(pPrintTicket, m_pCoreHelper))) {
        RecordAt<OEMDEV> record(PrivateRecord(cbDrvPrivateSize, pPrivateDevmode));
        if (!record) {
            OutputDebugStringA("oemdev is null");
        } else {
            // A ticket that could not be read whole changes nothing: neither
            // the record nor the printer's settings get some of its rows.
            OEMDEV read = *record;
            hr = ReadTicketSettings(dom, &read);
            if (SUCCEEDED(hr)) {
                *record = read;
                // A ticket changes the printer-wide settings too.
                StoreTicketSettings(m_hPrinter, read);
            }
        }
    }
    INFO(TEXT("UI:  IOEMPTProvider::ConvertPrintTicketToDevMode: end.\r\n"));
    dom.Clear();
    return hr;
}

STDMETHODIMP IOEMPTProvider::ConvertDevModeToPrintTicket(ULONG cbDevmode, PDEVMODEW pDevmode, ULONG cbDrvPrivateSize,
                                                         PVOID pPrivateDevmode, IXMLDOMDocument2 *pPrintTicket)
{
    INFO(TEXT("UI:  IOEMPTProvider::ConvertDevModeToPrintTicket: entry.\r\n"));
    if (cbDevmode < PUBLIC_DEVMODE_SIZE || pDevmode == nullptr || pPrintTicket == nullptr)
        return E_INVALIDARG;

    // The printer's settings, not the DEVMODE's, are what the ticket gets.
    RecordAt<OEMDEV> record(PrivateRecord(cbDrvPrivateSize, pPrivateDevmode));
    REGSTRUCT settings = {};
    SettingsRead read = ReadStoredSettings(m_hPrinter, &settings);
    if (read.state != StoredSettings::Valid) {
        WARNING(TEXT("ConvertDevModeToPrintTicket:get current configure fail and error code is %d"),
                read.result != ERROR_SUCCESS ? read.result : GetLastError());
        WARNING(TEXT("ConvertDevModeToPrintTicket:stuff verson is %d"), settings.Version);
        WARNING(TEXT("ConvertDevModeToPrintTicket:stuff type is %d"), read.type);
        WARNING(TEXT("ConvertDevModeToPrintTicket:stuff size is %d and REGSTRUCT size is %d"), read.size,
                REGSTRUCT_SIZE);
        SetDefaultSettings(&settings);
    }
    if (record)
        CopySettingsToTicketFields(settings, *record);

    SaveDocument(pPrintTicket, kDevToPtIn);
    CXmlDomHelper dom;
    HRESULT hr = dom.Initialize(pPrintTicket, m_pCoreHelper);
    if (SUCCEEDED(hr)) {
        WriteTicketSettings(dom, record.get());
        if (record && IsFalconPrinter(m_hPrinter))
            changeFeatureNode(dom, kResolutionFeature, record->iQuality);
    }
    SaveDocument(pPrintTicket, kDevToPtOut);
    if (hr == S_FALSE)
        hr = S_OK;
    INFO(TEXT("UI:  IOEMPTProvider::ConvertDevModeToPrintTicket: end.\r\n"));
    dom.Clear();
    return hr;
}

STDMETHODIMP IOEMPTProvider::CompletePrintCapabilities(IXMLDOMDocument2 *, IXMLDOMDocument2 *pCapabilities)
{
    INFO(TEXT("UI:  IOEMPTProvider::CompletePrintCapabilities: entry.\r\n"));
    if (pCapabilities == nullptr)
        return E_INVALIDARG;

    CXmlDomHelper dom;
    HRESULT hr = dom.Initialize(pCapabilities, m_pCoreHelper);
    SaveDocument(pCapabilities, kCapabilitiesIn);
    if (SUCCEEDED(hr)) {
        com_ptr<IXMLDOMElement> model;
        for (const TicketParameter *parameter : kDeclaredParameters)
            CreateParameterDefNode(dom, kPrivateNamespace, *parameter, &model);
    }
    SaveDocument(pCapabilities, kCapabilitiesOut);
    INFO(TEXT("UI:  IOEMPTProvider::CompletePrintCapabilities:end.\r\n"));
    dom.Clear();
    return S_OK;
}

STDMETHODIMP IOEMPTProvider::ExpandIntentOptions(IXMLDOMDocument2 *pPrintTicket)
{
    INFO(TEXT("UI:  IOEMPTProvider::ExpandIntentOptions: entry.\r\n"));
    if (pPrintTicket == nullptr)
        return E_INVALIDARG;
    INFO(TEXT("UI:  IOEMPTProvider::ExpandIntentOptions: end.\r\n"));
    return S_OK;
}

STDMETHODIMP IOEMPTProvider::ValidatePrintTicket(IXMLDOMDocument2 *pBaseTicket)
{
    INFO(TEXT("UI:  IOEMPTProvider::ValidatePrintTicket: entry.\r\n"));
    if (pBaseTicket == nullptr)
        return E_INVALIDARG;
    INFO(TEXT("UI:  IOEMPTProvider::ValidatePrintTicket: end.\r\n"));
    return S_NO_CONFLICT;
}
