#include "src/core/intrface.h"

#include "src/base/debug.h"
#include "src/pages/optitems.h"
#include "src/pages/propsheets.h"
#include "src/ptprovider/oemptprovider.h"
#include "src/settings/devmode.h"
#include "src/settings/printerinit.h"

#include <cassert>

namespace {

constexpr WCHAR kColorProfile[] = TEXT("OEMPROFILE.icm");
constexpr ULONG kColorProfileBytes = 32;

}  // namespace

////////////////////////////////////////////////////////////////////////////////
// IOemUI

IOemUI::IOemUI() : m_cRef(1), pOEMHelp(nullptr) { InterlockedIncrement(&gcComponents); }

IOemUI::~IOemUI()
{
    if (pOEMHelp != nullptr) {
        pOEMHelp->Release();
        pOEMHelp = nullptr;
    }
    InterlockedDecrement(&gcComponents);
    assert(0 == m_cRef);
}

STDMETHODIMP IOemUI::QueryInterface(REFIID riid, void **ppv)
{
    VERBOSE(TEXT("UI:  IOemUI:QueryInterface entry.\r\n\r\n"));
    if (ppv == nullptr)
        return E_POINTER;

    if (riid == IID_IUnknown) {
        *ppv = static_cast<IUnknown *>(this);
        VERBOSE(TEXT("UI:  IOemUI:Return pointer to IUnknown.\r\n\r\n"));
    } else if (riid == IID_IPrintOemUI) {
        *ppv = static_cast<IPrintOemUI *>(this);
        VERBOSE(TEXT("UI:  IOemUI:Return pointer to IPrintOemUI.\r\n"));
    } else {
        GuidText name(riid);
        WARNING(TEXT("UI:  IOemUI::QueryInterface %s not supported.\r\n"), name.text);
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    static_cast<IUnknown *>(*ppv)->AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) IOemUI::AddRef()
{
    VERBOSE(TEXT("UI:  IOemUI:AddRef entry.\r\n"));
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) IOemUI::Release()
{
    VERBOSE(TEXT("UI:  IOemUI:Release entry.\r\n"));
    LONG count = InterlockedDecrement(&m_cRef);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP IOemUI::GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, PDWORD pcbNeeded)
{
    VERBOSE(TEXT("UI:  IOemUI::GetInfo(%d) entry.\r\r\n"), dwMode);

    if (pcbNeeded == nullptr) {
        WARNING(TEXT("UI:  IOemUI::GetInfo() exit pcbNeeded is NULL! ERROR_INVALID_PARAMETER\r\r\n"));
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    if (dwMode != OEMGI_GETSIGNATURE && dwMode != OEMGI_GETVERSION && dwMode != OEMGI_GETREQUESTEDHELPERINTERFACES) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }

    *pcbNeeded = sizeof(DWORD);
    if (cbSize < sizeof(DWORD) || pBuffer == nullptr) {
        WARNING(TEXT("UI:  IOemUI::GetInfo() exit insufficient buffer!\r\r\n"));
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return E_FAIL;
    }

    DWORD value = 0;
    switch (dwMode) {
    case OEMGI_GETSIGNATURE:
        value = OEM_SIGNATURE;
        break;
    case OEMGI_GETVERSION:
        value = OEM_VERSION;
        break;
    default:
        // No helper interface beyond the published driver UI helper is asked for.
        WARNING(TEXT("UI:  IOemUI::GetInfo() exit mode not supported.\r\r\n"));
        *pcbNeeded = 0;
        SetLastError(ERROR_NOT_SUPPORTED);
        return E_FAIL;
    }
    // The buffer may be larger; only its first four bytes are ours.
    CopyMemory(pBuffer, &value, sizeof(value));
    VERBOSE(TEXT("UI:  IOemUI::GetInfo() exit S_OK, (*pBuffer is %#x).\r\r\n"), value);
    return S_OK;
}

STDMETHODIMP IOemUI::DevMode(DWORD dwMode, POEMDMPARAM pOemDMParam)
{
    VERBOSE(TEXT("UI:  IOemUI:DevMode(%d, %#x) entry.\r\n"), dwMode, LogPtr(pOemDMParam));
    return hrOEMDevMode(dwMode, pOemDMParam);
}

STDMETHODIMP IOemUI::PublishDriverInterface(IUnknown *pIUnknown)
{
    VERBOSE(TEXT("UI:  IOemUI:PublishDriverInterface entry.\r\n"));
    // The first helper published stays; the driver publishes the same one again.
    if (pOEMHelp == nullptr) {
        if (pIUnknown == nullptr ||
            FAILED(pIUnknown->QueryInterface(IID_IPrintOemDriverUI, reinterpret_cast<void **>(&pOEMHelp))))
            pOEMHelp = nullptr;
    }
    return pOEMHelp != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP IOemUI::CommonUIProp(DWORD dwMode, POEMCUIPPARAM pOemCUIPParam)
{
    VERBOSE(TEXT("UI:  IOemUI:CommonUIProp entry.\r\n"));
    return hrOEMPropertyPage(dwMode, pOemCUIPParam);
}

STDMETHODIMP IOemUI::DocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam)
{
    VERBOSE(TEXT("UI:  IOemUI:DocumentPropertySheets entry.\r\n"));
    return OEMDocumentPropertySheets(pPSUIInfo, lParam, pOEMHelp);
}

STDMETHODIMP IOemUI::DevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam)
{
    VERBOSE(TEXT("UI:  IOemUI:DevicePropertySheets entry.\r\n"));
    return hrOEMDevicePropertySheets(pPSUIInfo, lParam);
}

STDMETHODIMP IOemUI::DevQueryPrintEx(POEMUIOBJ, PDEVQUERYPRINT_INFO, PDEVMODEW, PVOID)
{
    VERBOSE(TEXT("UI:  IOemUI:DevQueryPrintEx entry.\r\n"));
    return E_NOTIMPL;
}

STDMETHODIMP IOemUI::DeviceCapabilities(POEMUIOBJ, HANDLE, PWSTR, WORD, PVOID, PDEVMODEW, PVOID, DWORD, DWORD *)
{
    VERBOSE(TEXT("UI:  IOemUI:DeviceCapabilities entry.\r\n"));
    return E_NOTIMPL;
}

STDMETHODIMP IOemUI::UpgradePrinter(DWORD, PBYTE)
{
    VERBOSE(TEXT("UI:  IOemUI:UpgradePrinter entry.\r\n"));
    return E_NOTIMPL;
}

STDMETHODIMP IOemUI::PrinterEvent(PWSTR pPrinterName, INT iDriverEvent, DWORD dwFlags, LPARAM lParam)
{
    UNREFERENCED_PARAMETER(dwFlags);
    WARNING(TEXT("UI:  IOemUI:PrinterEvent(%d) entry.\r\n"), iDriverEvent);

    switch (iDriverEvent) {
    case PRINTER_EVENT_INITIALIZE:
        WARNING(TEXT("UI:  PRINTER_EVENT_INITIALIZE"));
        // A failure to open or write leaves the printer without the record;
        // the spooler is not told, the event itself succeeded.
        StoreDefaultPrinterSettings(pPrinterName);
        if (pPrinterName != nullptr) {
            OutputDebugStringW(pPrinterName);
            OutputDebugStringW(pPrinterName);
        }
        break;
    case PRINTER_EVENT_ATTRIBUTES_CHANGED: {
        auto *info = reinterpret_cast<const PRINTER_EVENT_ATTRIBUTES_INFO *>(lParam);
        if (info == nullptr)
            break;
        WARNING(TEXT("UI:  PRINTER_EVENT_ATTRIBUTES_CHANGED(%d,%d)"), info->dwOldAttributes, info->dwNewAttributes);
        bool backOnline = (info->dwOldAttributes & PRINTER_ATTRIBUTE_WORK_OFFLINE) != 0 &&
                          (info->dwNewAttributes & PRINTER_ATTRIBUTE_WORK_OFFLINE) == 0;
        if (backOnline && pPrinterName != nullptr) {
            OutputDebugStringW(pPrinterName);
            OutputDebugStringW(pPrinterName);
        }
        break;
    }
    default:
        break;
    }
    return S_OK;
}

STDMETHODIMP IOemUI::DriverEvent(DWORD dwDriverEvent, DWORD, LPBYTE, LPARAM)
{
    WARNING(TEXT("UI:  IOemUI:DriverEvent entry.\r\n"));
    if (dwDriverEvent == DRIVER_EVENT_INITIALIZE)
        WARNING(TEXT("UI:  DRIVER_EVENT_INITIALIZE"));
    else if (dwDriverEvent == DRIVER_EVENT_DELETE)
        WARNING(TEXT("UI:  DRIVER_EVENT_DELETE"));
    return S_OK;
}

STDMETHODIMP IOemUI::QueryColorProfile(HANDLE, POEMUIOBJ, PDEVMODEW, PVOID, ULONG ulQueryMode, VOID *pvProfileData,
                                       ULONG *pcbProfileData, FLONG *pflProfileData)
{
    VERBOSE(TEXT("UI:  IOemUI:QueryColorProfile entry.\r\n"));
    if (ulQueryMode != QCP_DEVICEPROFILE)
        return E_FAIL;
    if (pcbProfileData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }

    if (pvProfileData != nullptr && *pcbProfileData >= kColorProfileBytes) {
        lstrcpynW(static_cast<WCHAR *>(pvProfileData), kColorProfile,
                  static_cast<int>(*pcbProfileData / sizeof(WCHAR)));
        *pcbProfileData = kColorProfileBytes;
        if (pflProfileData != nullptr)
            *pflProfileData = QCP_PROFILEDISK;
        return S_OK;
    }
    *pcbProfileData = kColorProfileBytes;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return E_FAIL;
}

STDMETHODIMP IOemUI::FontInstallerDlgProc(HWND, UINT, WPARAM, LPARAM)
{
    VERBOSE(TEXT("UI:  IOemUI:FontInstallerDlgProc entry.\r\n"));
    return E_NOTIMPL;
}

STDMETHODIMP IOemUI::UpdateExternalFonts(HANDLE, HANDLE, PWSTR)
{
    VERBOSE(TEXT("UI:  IOemUI:UpdateExternalFonts entry.\r\n"));
    return E_NOTIMPL;
}

////////////////////////////////////////////////////////////////////////////////
// IOemCF

STDMETHODIMP IOemCF::QueryInterface(REFIID riid, void **ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *ppv = static_cast<IClassFactory *>(this);
        static_cast<IUnknown *>(*ppv)->AddRef();
        return S_OK;
    }
    GuidText name(riid);
    WARNING(TEXT("UI:  IOemCF::QueryInterface %s not supported.\r\n"), name.text);
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) IOemCF::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_cRef)); }

STDMETHODIMP_(ULONG) IOemCF::Release()
{
    LONG count = InterlockedDecrement(&m_cRef);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

// Which object is made depends only on the interface asked for: the UI
// object is tried first, and the print ticket provider when the UI object
// does not serve the interface.
STDMETHODIMP IOemCF::CreateInstance(IUnknown *pUnkOuter, REFIID riid, void **ppv)
{
    if (pUnkOuter != nullptr)
        return CLASS_E_NOAGGREGATION;
    if (ppv == nullptr)
        return E_POINTER;
    // Past the argument checks every failure leaves the caller's pointer
    // null, as COM callers expect.
    *ppv = nullptr;

    IOemUI *ui = new IOemUI;
    if (ui == nullptr)
        return E_OUTOFMEMORY;
    HRESULT hr = ui->QueryInterface(riid, ppv);
    ui->Release();
    if (*ppv != nullptr)
        return hr;

    WARNING(TEXT("UI:  want to create a oemPT"));
    IOEMPTProvider *provider = new IOEMPTProvider;
    if (provider == nullptr)
        return E_OUTOFMEMORY;
    hr = provider->QueryInterface(riid, ppv);
    provider->Release();
    return hr;
}

STDMETHODIMP IOemCF::LockServer(BOOL bLock)
{
    if (bLock)
        InterlockedIncrement(&gcServerLocks);
    else
        InterlockedDecrement(&gcServerLocks);
    return S_OK;
}

////////////////////////////////////////////////////////////////////////////////
// Exports

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void **ppv)
{
    VERBOSE(TEXT("UI:  DllGetClassObject:Create class factory.\r\n"));
    if (rclsid != CLSID_OEMUI && rclsid != CLSID_OEMPTPROVIDER)
        return CLASS_E_CLASSNOTAVAILABLE;
    if (ppv == nullptr)
        return E_POINTER;
    // Past the argument checks every failure leaves the caller's pointer
    // null, as COM callers expect.
    *ppv = nullptr;

    IOemCF *factory = new IOemCF;
    if (factory == nullptr)
        return E_OUTOFMEMORY;
    // On success the caller holds the only reference; on failure the
    // factory goes with this Release.
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow(void)
{
    return (gcComponents == 0 && gcServerLocks == 0) ? S_OK : S_FALSE;
}
