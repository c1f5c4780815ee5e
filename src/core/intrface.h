// The plug-in's COM objects on the driver UI side: the class factory and the
// OEM UI object the Unidrv user interface talks to.
#pragma once

#include "platform/win32.h"
#include "src/base/module.h"
#include "src/core/classids.h"

// "MSFT" read as a big-endian number; also the signature of the private
// devmode record.
constexpr DWORD OEM_SIGNATURE = 0x4D534654;
constexpr DWORD OEM_VERSION = 3;

class IOemUI final : public IPrintOemUI, public HeapObject {
public:
    IOemUI();
    ~IOemUI();

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, PDWORD pcbNeeded) override;
    STDMETHODIMP DevMode(DWORD dwMode, POEMDMPARAM pOemDMParam) override;

    STDMETHODIMP PublishDriverInterface(IUnknown *pIUnknown) override;
    STDMETHODIMP CommonUIProp(DWORD dwMode, POEMCUIPPARAM pOemCUIPParam) override;
    STDMETHODIMP DocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) override;
    STDMETHODIMP DevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) override;
    STDMETHODIMP DevQueryPrintEx(POEMUIOBJ poemuiobj, PDEVQUERYPRINT_INFO pDQPInfo, PDEVMODEW pPublicDM,
                                 PVOID pOEMDM) override;
    STDMETHODIMP DeviceCapabilities(POEMUIOBJ poemuiobj, HANDLE hPrinter, PWSTR pDeviceName, WORD wCapability,
                                    PVOID pOutput, PDEVMODEW pPublicDM, PVOID pOEMDM, DWORD dwOld,
                                    DWORD *dwResult) override;
    STDMETHODIMP UpgradePrinter(DWORD dwLevel, PBYTE pDriverUpgradeInfo) override;
    STDMETHODIMP PrinterEvent(PWSTR pPrinterName, INT iDriverEvent, DWORD dwFlags, LPARAM lParam) override;
    STDMETHODIMP DriverEvent(DWORD dwDriverEvent, DWORD dwLevel, LPBYTE pDriverInfo, LPARAM lParam) override;
    STDMETHODIMP QueryColorProfile(HANDLE hPrinter, POEMUIOBJ poemuiobj, PDEVMODEW pPublicDM, PVOID pOEMDM,
                                   ULONG ulQueryMode, VOID *pvProfileData, ULONG *pcbProfileData,
                                   FLONG *pflProfileData) override;
    STDMETHODIMP FontInstallerDlgProc(HWND hWnd, UINT usMsg, WPARAM wParam, LPARAM lParam) override;
    STDMETHODIMP UpdateExternalFonts(HANDLE hPrinter, HANDLE hHeap, PWSTR pwstrCartridges) override;

private:
    LONG volatile m_cRef;
    IPrintOemDriverUI *pOEMHelp;
};

class IOemCF final : public IClassFactory, public HeapObject {
public:
    IOemCF() : m_cRef(1) {}

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown *pUnkOuter, REFIID riid, void **ppv) override;
    STDMETHODIMP LockServer(BOOL bLock) override;

private:
    LONG volatile m_cRef;
};

// The module's two exports; the .def file (Windows) and the version script
// (Linux) keep everything else private.
#ifdef _WIN32
#define ORVO_EXPORT
#else
#define ORVO_EXPORT __attribute__((visibility("default")))
#endif
extern "C" ORVO_EXPORT HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void **ppv);
extern "C" ORVO_EXPORT HRESULT STDAPICALLTYPE DllCanUnloadNow(void);
