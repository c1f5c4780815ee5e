#include "src/ptprovider/oemptprovider.h"

#include "src/core/debug.h"
#include "src/ptprovider/ptconst.h"

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

STDMETHODIMP_(ULONG) IOEMPTProvider::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

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

// The three conversions need the DOM helpers and the settings record, which
// are not built yet; they refuse rather than leave the documents half done.
STDMETHODIMP IOEMPTProvider::ConvertPrintTicketToDevMode(IXMLDOMDocument2 *, ULONG, PDEVMODEW, ULONG, PVOID)
{
    INFO(TEXT("UI:  IOEMPTProvider::ConvertPrintTicketToDevMode: entry.\r\n"));
    return E_NOTIMPL;
}

STDMETHODIMP IOEMPTProvider::ConvertDevModeToPrintTicket(ULONG, PDEVMODEW, ULONG, PVOID, IXMLDOMDocument2 *)
{
    INFO(TEXT("UI:  IOEMPTProvider::ConvertDevModeToPrintTicket: entry.\r\n"));
    return E_NOTIMPL;
}

STDMETHODIMP IOEMPTProvider::CompletePrintCapabilities(IXMLDOMDocument2 *, IXMLDOMDocument2 *)
{
    INFO(TEXT("UI:  IOEMPTProvider::CompletePrintCapabilities: entry.\r\n"));
    return E_NOTIMPL;
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
