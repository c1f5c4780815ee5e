// Print ticket tests: a core helper that makes real MSXML objects, tickets
// written by hand, and a provider bound to a printer of the test's server.
#pragma once

#include "src/core/intrface.h"
#include "src/ptprovider/oemptprovider.h"
#include "src/ptprovider/ptconst.h"
#include "tests/support/fakes.h"
#include "tests/support/spooler.h"
#include "tests/support/xml.h"

#include <string>

// The core driver's helper as far as the conversions use it.
class CoreHelper : public FakeCoreHelper {
public:
    STDMETHODIMP CreateInstanceOfMSXMLObject(REFCLSID clsid, IUnknown *outer, DWORD context, REFIID iid,
                                             LPVOID *ppv) override
    {
        return CoCreateInstance(clsid, outer, context != 0 ? context : CLSCTX_INPROC_SERVER, iid, ppv);
    }
};

// The namespaces as the core driver binds them on a ticket's root.
#define PT_NAMESPACES                                                                                                  \
    u" xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\""                       \
    u" xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\""                        \
    u" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""                                                        \
    u" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
#define PT_PRIVATE u"http://schemas.microsoft.com/windows/printing/oemdriverpt/Condor-private"

// A feature of the ticket with one option.
std::u16string FeatureXml(const std::u16string &name, const std::u16string &option);

class TicketTest : public SpoolerTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Binds a provider to the printer, as the core does before converting.
    void Bind(const std::u16string &printer, bool withHelper = true);

    HRESULT ToDevMode(IXMLDOMDocument2 *ticket, OEMDEV *record);
    HRESULT ToTicket(IXMLDOMDocument2 *ticket, OEMDEV *record);

    IPrintOemPrintTicketProvider *provider = nullptr;
    CoreHelper core;
    HANDLE printer = nullptr;
    DEVMODEW devmode = {};
};
