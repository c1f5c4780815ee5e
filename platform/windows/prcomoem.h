// The print ticket provider interface a Unidrv plug-in implements and the
// core driver's helper it is handed, from the published driver documentation,
// in the platform's vtable order.
#pragma once

typedef struct _PRINT_FEATURE_OPTION {
    PCSTR pszFeature;
    PCSTR pszOption;
} PRINT_FEATURE_OPTION, *PPRINT_FEATURE_OPTION;

// {BCF5E011-F60A-49FF-AB2F-E06F4ABDF281}
static const IID IID_IPrintOemPrintTicketProvider = {
    0xBCF5E011, 0xF60A, 0x49FF, {0xAB, 0x2F, 0xE0, 0x6F, 0x4A, 0xBD, 0xF2, 0x81}};
// {A89EC53E-3905-49C6-9C1A-C0A88117FDB6}
static const IID IID_IPrintCoreHelper = {0xA89EC53E, 0x3905, 0x49C6, {0x9C, 0x1A, 0xC0, 0xA8, 0x81, 0x17, 0xFD, 0xB6}};
// {7E8E51D6-E5EE-4426-817B-958B9444EB79}
static const IID IID_IPrintCoreHelperUni = {
    0x7E8E51D6, 0xE5EE, 0x4426, {0x81, 0x7B, 0x95, 0x8B, 0x94, 0x44, 0xEB, 0x79}};

struct IPrintOemPrintTicketProvider : public IUnknown {
    // The caller frees *ppVersions with CoTaskMemFree.
    virtual HRESULT STDMETHODCALLTYPE GetSupportedVersions(HANDLE hPrinter, INT *ppVersions[], INT *cVersions) = 0;
    // The caller frees the array with CoTaskMemFree and each string with SysFreeString.
    virtual HRESULT STDMETHODCALLTYPE BindPrinter(HANDLE hPrinter, INT version, POEMPTOPTS pOptions, INT *pcNamespaces,
                                                  BSTR **ppNamespaces) = 0;
    virtual HRESULT STDMETHODCALLTYPE PublishPrintTicketHelperInterface(IUnknown *pHelper) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryDeviceDefaultNamespace(BSTR *pbstrNamespaceUri) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConvertPrintTicketToDevMode(IXMLDOMDocument2 *pPrintTicket, ULONG cbDevmode,
                                                                  PDEVMODEW pDevmode, ULONG cbDrvPrivateSize,
                                                                  PVOID pPrivateDevmode) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConvertDevModeToPrintTicket(ULONG cbDevmode, PDEVMODEW pDevmode,
                                                                  ULONG cbDrvPrivateSize, PVOID pPrivateDevmode,
                                                                  IXMLDOMDocument2 *pPrintTicket) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompletePrintCapabilities(IXMLDOMDocument2 *pPrintTicket,
                                                                IXMLDOMDocument2 *pCapabilities) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExpandIntentOptions(IXMLDOMDocument2 *pPrintTicket) = 0;
    virtual HRESULT STDMETHODCALLTYPE ValidatePrintTicket(IXMLDOMDocument2 *pBaseTicket) = 0;
};

struct IPrintCoreHelper : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetOption(const DEVMODEW *pDevmode, DWORD cbSize, PCSTR pszFeatureRequested,
                                                PCSTR *ppszOption) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetOptions(PDEVMODEW pDevmode, DWORD cbSize, BOOL bResolveConflicts,
                                                 const PRINT_FEATURE_OPTION *pFOPairs, DWORD cPairs,
                                                 DWORD *pcPairsWritten, DWORD *pdwResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumConstrainedOptions(const DEVMODEW *pDevmode, DWORD cbSize,
                                                             PCSTR pszFeatureKeyword, PCSTR **pConstrainedOptionList,
                                                             DWORD *pdwNumOptions) = 0;
    virtual HRESULT STDMETHODCALLTYPE WhyConstrained(const DEVMODEW *pDevmode, DWORD cbSize, PCSTR pszFeatureKeyword,
                                                     PCSTR pszOptionKeyword,
                                                     const PRINT_FEATURE_OPTION **ppFOConstraints,
                                                     DWORD *pdwNumOptions) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumFeatures(PCSTR **pFeatureList, DWORD *pdwNumFeatures) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumOptions(PCSTR pszFeatureKeyword, PCSTR **pOptionList,
                                                  DWORD *pdwNumOptions) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFontSubstitution(PCWSTR pszTrueTypeFontName, PCWSTR *ppszDevFontName) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFontSubstitution(PCWSTR pszTrueTypeFontName, PCWSTR pszDevFontName) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateInstanceOfMSXMLObject(REFCLSID rclsid, IUnknown *punkOuter,
                                                                  DWORD dwClsContext, REFIID riid, LPVOID *ppv) = 0;
};

struct IPrintCoreHelperUni : public IPrintCoreHelper {
    virtual HRESULT STDMETHODCALLTYPE CreateGDLSnapshot(PDEVMODEW pDevmode, DWORD cbSize, DWORD dwFlags,
                                                        IStream **ppSnapshotStream) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateDefaultGDLSnapshot(DWORD dwFlags, IStream **ppSnapshotStream) = 0;
};
