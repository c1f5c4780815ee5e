#include "tests/support/tickets.h"

#include <cstdlib>

std::u16string FeatureXml(const std::u16string &name, const std::u16string &option)
{
    return u"<psf:Feature name=\"" + name + u"\"><psf:Option name=\"" + option + u"\"/></psf:Feature>";
}

void TicketTest::SetUp()
{
    SpoolerTest::SetUp();
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    AddPrinter(u"KestrelBT", u"KestrelBT");
    AddPrinter(u"FalconBT", u"FalconBT");
    devmode.dmSize = sizeof(DEVMODEW);
    devmode.dmDriverExtra = sizeof(OEMDEV);
}

void TicketTest::TearDown()
{
    if (provider != nullptr) {
        EXPECT_EQ(provider->Release(), 0u);
        provider = nullptr;
    }
    if (printer != nullptr)
        ClosePrinter(printer);
    EXPECT_EQ(core.refs, 1) << "the provider keeps no reference to the core helper";
    CoUninitialize();
    SpoolerTest::TearDown();
}

void TicketTest::Bind(const std::u16string &name, bool withHelper)
{
    provider = BindProvider(name.c_str(), printer);
    ASSERT_NE(provider, nullptr);
    if (withHelper) {
        ASSERT_EQ(provider->PublishPrintTicketHelperInterface(&core), S_OK);
    }
}

HRESULT TicketTest::ToDevMode(IXMLDOMDocument2 *ticket, OEMDEV *record)
{
    return provider->ConvertPrintTicketToDevMode(ticket, sizeof(devmode), &devmode, sizeof(OEMDEV), record);
}

HRESULT TicketTest::ToTicket(IXMLDOMDocument2 *ticket, OEMDEV *record)
{
    return provider->ConvertDevModeToPrintTicket(sizeof(devmode), &devmode, sizeof(OEMDEV), record, ticket);
}
