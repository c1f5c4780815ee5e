// The print ticket provider the Unidrv core driver binds to a printer.
#pragma once

#include "platform/win32.h"
#include "src/base/module.h"

class IOEMPTProvider : public IPrintOemPrintTicketProvider, public HeapObject {
public:
    IOEMPTProvider();
    virtual ~IOEMPTProvider();

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetSupportedVersions(HANDLE hPrinter, INT *ppVersions[], INT *cVersions) override;
    STDMETHODIMP BindPrinter(HANDLE hPrinter, INT version, POEMPTOPTS pOptions, INT *pcNamespaces,
                             BSTR **ppNamespaces) override;
    STDMETHODIMP PublishPrintTicketHelperInterface(IUnknown *pHelper) override;
    STDMETHODIMP QueryDeviceDefaultNamespace(BSTR *pbstrNamespaceUri) override;
    STDMETHODIMP ConvertPrintTicketToDevMode(IXMLDOMDocument2 *pPrintTicket, ULONG cbDevmode, PDEVMODEW pDevmode,
                                             ULONG cbDrvPrivateSize, PVOID pPrivateDevmode) override;
    STDMETHODIMP ConvertDevModeToPrintTicket(ULONG cbDevmode, PDEVMODEW pDevmode, ULONG cbDrvPrivateSize,
                                             PVOID pPrivateDevmode, IXMLDOMDocument2 *pPrintTicket) override;
    STDMETHODIMP CompletePrintCapabilities(IXMLDOMDocument2 *pPrintTicket, IXMLDOMDocument2 *pCapabilities) override;
    STDMETHODIMP ExpandIntentOptions(IXMLDOMDocument2 *pPrintTicket) override;
    STDMETHODIMP ValidatePrintTicket(IXMLDOMDocument2 *pBaseTicket) override;

    HANDLE BoundPrinter() const { return m_hPrinter; }
    IPrintCoreHelperUni *CoreHelper() const { return m_pCoreHelper; }

private:
    LONG volatile m_cRef;
    // Set by BindPrinter; the handle belongs to the core driver.
    HANDLE m_hPrinter;
    IPrintCoreHelperUni *m_pCoreHelper;
};
