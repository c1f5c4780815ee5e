#include "src/core/intrface.h"
#include "src/ptprovider/oemptprovider.h"
#include "src/ptprovider/ptconst.h"
#include "tests/support/fakes.h"

#include <string>

namespace {

class ProviderTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        IClassFactory *factory = nullptr;
        ASSERT_EQ(DllGetClassObject(CLSID_OEMPTPROVIDER, IID_IClassFactory, reinterpret_cast<void **>(&factory)), S_OK);
        ASSERT_EQ(
            factory->CreateInstance(nullptr, IID_IPrintOemPrintTicketProvider, reinterpret_cast<void **>(&provider)),
            S_OK);
        factory->Release();
    }
    void TearDown() override
    {
        if (provider != nullptr) {
            EXPECT_EQ(provider->Release(), 0u);
        }
        PluginTest::TearDown();
    }

    IOEMPTProvider *Object() const { return static_cast<IOEMPTProvider *>(provider); }

    IPrintOemPrintTicketProvider *provider = nullptr;
};

HANDLE FakePrinter() { return reinterpret_cast<HANDLE>(0x1234); }

// The answers to good arguments are the Wine smoke's; here, the refusals,
// and the default namespace replacing the caller's string without freeing it.
TEST_F(ProviderTest, SmallCallsRefuseMissingArguments)
{
    INT *versions = nullptr;
    INT count = -1;
    EXPECT_EQ(provider->GetSupportedVersions(nullptr, nullptr, &count), E_INVALIDARG);
    EXPECT_EQ(provider->GetSupportedVersions(nullptr, &versions, nullptr), E_INVALIDARG);
    EXPECT_EQ(provider->QueryDeviceDefaultNamespace(nullptr), E_POINTER);
    EXPECT_EQ(provider->ExpandIntentOptions(nullptr), E_INVALIDARG);
    EXPECT_EQ(provider->ValidatePrintTicket(nullptr), E_INVALIDARG);
    BSTR mine = SysAllocString(TEXT("caller's"));
    BSTR slot = mine;
    ASSERT_EQ(provider->QueryDeviceDefaultNamespace(&slot), S_OK);
    EXPECT_EQ(std::u16string(slot), std::u16string(kPrivateNamespace));
    EXPECT_EQ(std::u16string(mine), u"caller's");
    SysFreeString(slot);
    SysFreeString(mine);
}

// Version 1 binds the printer; another is refused, the namespace list the
// caller's all the same, nothing else changed. Without memory for the list
// the handle is kept all the same.
TEST_F(ProviderTest, BindPrinterHandsOutThePrivateNamespace)
{
    OEMPTOPTS options = 0xFF;
    INT count = 0;
    BSTR *namespaces = nullptr;
    EXPECT_EQ(provider->BindPrinter(nullptr, 1, &options, &count, &namespaces), E_POINTER);
    EXPECT_EQ(provider->BindPrinter(FakePrinter(), 1, nullptr, &count, &namespaces), E_POINTER);
    EXPECT_EQ(provider->BindPrinter(FakePrinter(), 1, &options, nullptr, &namespaces), E_POINTER);
    EXPECT_EQ(provider->BindPrinter(FakePrinter(), 1, &options, &count, nullptr), E_POINTER);
    EXPECT_EQ(count, 0);
    for (INT version : {2, 1}) {
        EXPECT_EQ(provider->BindPrinter(FakePrinter(), version, &options, &count, &namespaces),
                  version == 1 ? S_OK : E_VERSION_NOT_SUPPORTED);
        EXPECT_EQ(options, version == 1 ? static_cast<OEMPTOPTS>(OEMPT_DEFAULT) : 0xFFu);
        ASSERT_EQ(count, 1);
        ASSERT_NE(namespaces, nullptr);
        EXPECT_EQ(std::u16string(namespaces[0]), std::u16string(kPrivateNamespace));
        EXPECT_EQ(Object()->BoundPrinter(), version == 1 ? FakePrinter() : nullptr);
        SysFreeString(namespaces[0]);
        CoTaskMemFree(namespaces);
    }
    standin::FailNext("CoTaskMemAlloc", 1);
    EXPECT_EQ(provider->BindPrinter(reinterpret_cast<HANDLE>(0x4321), 1, &options, &count, &namespaces), E_OUTOFMEMORY);
    EXPECT_EQ(namespaces, nullptr);
    EXPECT_EQ(Object()->BoundPrinter(), reinterpret_cast<HANDLE>(0x4321));
}

TEST_F(ProviderTest, PublishHelperKeepsTheFirstAndAcceptsForeignObjects)
{
    FakeUnknown foreign;
    gDebugLevel = DBG_INFO;
    EXPECT_EQ(provider->PublishPrintTicketHelperInterface(&foreign), S_OK);
    EXPECT_EQ(Object()->CoreHelper(), nullptr);

    FakeCoreHelper first, second;
    EXPECT_EQ(provider->PublishPrintTicketHelperInterface(&first), S_OK);
    EXPECT_EQ(Object()->CoreHelper(), static_cast<IPrintCoreHelperUni *>(&first));
    EXPECT_EQ(provider->PublishPrintTicketHelperInterface(&second), S_OK);
    EXPECT_EQ(second.queries, 0);
    EXPECT_EQ(first.refs, 2);

    EXPECT_EQ(provider->Release(), 0u);
    provider = nullptr;
    EXPECT_EQ(first.refs, 1) << "the helper's reference goes with the provider";
}

}  // namespace
