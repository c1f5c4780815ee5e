// The print ticket core's side of the provider: the helper object it hands
// the plug-in, and a session that binds the plug-in's provider to one
// printer the way the core driver does before it converts anything.
#pragma once

#include "host/plugin.h"
#include "platform/win32.h"

#include <string>
#include <vector>

namespace host {

// The core driver's helper. The provider only ever asks it for MSXML
// objects; everything else answers E_NOTIMPL.
class CorePrintHelper : public IPrintCoreHelperUni {
public:
    // A new helper with one reference, held by the caller.
    static CorePrintHelper *Create();
    // Helpers not yet deleted, for leak checks.
    static long LiveCount();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetOption(const DEVMODEW *pDevmode, DWORD cbSize, PCSTR pszFeatureRequested,
                                        PCSTR *ppszOption) override;
    HRESULT STDMETHODCALLTYPE SetOptions(PDEVMODEW pDevmode, DWORD cbSize, BOOL bResolveConflicts,
                                         const PRINT_FEATURE_OPTION *pFOPairs, DWORD cPairs, DWORD *pcPairsWritten,
                                         DWORD *pdwResult) override;
    HRESULT STDMETHODCALLTYPE EnumConstrainedOptions(const DEVMODEW *pDevmode, DWORD cbSize, PCSTR pszFeatureKeyword,
                                                     PCSTR **pConstrainedOptionList, DWORD *pdwNumOptions) override;
    HRESULT STDMETHODCALLTYPE WhyConstrained(const DEVMODEW *pDevmode, DWORD cbSize, PCSTR pszFeatureKeyword,
                                             PCSTR pszOptionKeyword, const PRINT_FEATURE_OPTION **ppFOConstraints,
                                             DWORD *pdwNumOptions) override;
    HRESULT STDMETHODCALLTYPE EnumFeatures(PCSTR **pFeatureList, DWORD *pdwNumFeatures) override;
    HRESULT STDMETHODCALLTYPE EnumOptions(PCSTR pszFeatureKeyword, PCSTR **pOptionList, DWORD *pdwNumOptions) override;
    HRESULT STDMETHODCALLTYPE GetFontSubstitution(PCWSTR pszTrueTypeFontName, PCWSTR *ppszDevFontName) override;
    HRESULT STDMETHODCALLTYPE SetFontSubstitution(PCWSTR pszTrueTypeFontName, PCWSTR pszDevFontName) override;
    HRESULT STDMETHODCALLTYPE CreateInstanceOfMSXMLObject(REFCLSID rclsid, IUnknown *punkOuter, DWORD dwClsContext,
                                                          REFIID riid, LPVOID *ppv) override;
    HRESULT STDMETHODCALLTYPE CreateGDLSnapshot(PDEVMODEW pDevmode, DWORD cbSize, DWORD dwFlags,
                                                IStream **ppSnapshotStream) override;
    HRESULT STDMETHODCALLTYPE CreateDefaultGDLSnapshot(DWORD dwFlags, IStream **ppSnapshotStream) override;

private:
    CorePrintHelper();
    virtual ~CorePrintHelper();

    LONG refs_ = 1;
};

// One printer's provider, bound and handed the core helper. Close (or the
// destructor) releases the provider and the helper, closes the printer and
// ends the COM initialisation of Open; the module is unloaded last.
class TicketSession {
public:
    TicketSession() = default;
    TicketSession(const TicketSession &) = delete;
    TicketSession &operator=(const TicketSession &) = delete;
    ~TicketSession();

    // Loads the module, creates and binds the provider. False with the
    // reason in error; what was opened is closed again by Close.
    bool Open(const std::string &modulePath, const std::u16string &printer, std::string &error);
    void Close();

    IPrintOemPrintTicketProvider *Provider() const { return provider_; }
    CorePrintHelper *Helper() const { return helper_; }
    HANDLE Printer() const { return printer_; }
    const PluginModule &Module() const { return module_; }
    // What the provider answered while binding.
    const std::vector<INT> &Versions() const { return versions_; }
    const std::vector<std::u16string> &Namespaces() const { return namespaces_; }
    OEMPTOPTS Options() const { return options_; }

    // An empty DOM document, created as the core creates its own.
    HRESULT CreateDocument(IXMLDOMDocument2 **document) const;

private:
    PluginModule module_;
    bool comStarted_ = false;
    HANDLE printer_ = nullptr;
    CorePrintHelper *helper_ = nullptr;
    IPrintOemPrintTicketProvider *provider_ = nullptr;
    std::vector<INT> versions_;
    std::vector<std::u16string> namespaces_;
    OEMPTOPTS options_ = 0;
};

// Loads UTF-8 XML text into the document with loadXML. False with a reason
// when the text is not a well-formed document.
bool LoadDocumentText(IXMLDOMDocument2 *document, const std::string &text, std::string &error);
// The document's XML (get_xml) as UTF-8; empty when it has none.
std::string DocumentText(IXMLDOMDocument2 *document);

}  // namespace host
