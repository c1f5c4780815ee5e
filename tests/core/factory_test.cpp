#include "src/core/intrface.h"
#include "src/ptprovider/oemptprovider.h"
#include "tests/support/fixture.h"

namespace {

using FactoryTest = PluginTest;

// {12345678-0000-0000-0000-000000000001}: served by nobody.
const IID kForeignIid = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};

IClassFactory *GetFactory(REFCLSID clsid)
{
    IClassFactory *factory = nullptr;
    EXPECT_EQ(DllGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void **>(&factory)), S_OK);
    return factory;
}

bool Serves(IUnknown *object, REFIID iid)
{
    IUnknown *served = nullptr;
    if (FAILED(object->QueryInterface(iid, reinterpret_cast<void **>(&served))))
        return false;
    served->Release();
    return true;
}

// Which object comes out depends only on the interface asked for, never on
// which of the two class ids gave the factory.
TEST_F(FactoryTest, InterfaceNotClassDecidesTheObject)
{
    struct Case {
        const IID *iid;
        bool ui;  // the UI object, else the print ticket provider
    };
    const Case cases[] = {
        {&IID_IUnknown, true},
        {&IID_IPrintOemUI, true},
        {&IID_IPrintOemPrintTicketProvider, false},
    };
    for (const CLSID *clsid : {&CLSID_OEMUI, &CLSID_OEMPTPROVIDER}) {
        IClassFactory *factory = GetFactory(*clsid);
        ASSERT_NE(factory, nullptr);
        for (const Case &c : cases) {
            IUnknown *object = nullptr;
            ASSERT_EQ(factory->CreateInstance(nullptr, *c.iid, reinterpret_cast<void **>(&object)), S_OK);
            ASSERT_NE(object, nullptr);
            EXPECT_EQ(Serves(object, IID_IPrintOemUI), c.ui);
            EXPECT_EQ(Serves(object, IID_IPrintOemPrintTicketProvider), !c.ui);
            EXPECT_EQ(gcComponents, 1);
            EXPECT_EQ(object->Release(), 0u);
        }
        EXPECT_EQ(factory->Release(), 0u);
    }
}

// Interfaces nobody serves, aggregation and unknown classes are refused and
// leave no object; the factory itself answers only its own interfaces.
TEST_F(FactoryTest, RefusalsLeaveNoObject)
{
    IClassFactory *factory = GetFactory(CLSID_OEMUI);
    ASSERT_NE(factory, nullptr);
    for (const IID *iid : {&IID_IPrintOemUI2, &kForeignIid, &IID_IClassFactory}) {
        void *object = reinterpret_cast<void *>(1);
        EXPECT_EQ(factory->CreateInstance(nullptr, *iid, &object), E_NOINTERFACE);
        EXPECT_EQ(object, nullptr);
    }
    void *object = reinterpret_cast<void *>(1);
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown *>(factory), IID_IUnknown, &object),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, reinterpret_cast<void *>(1));
    factory->Release();

    EXPECT_EQ(DllGetClassObject(kForeignIid, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, reinterpret_cast<void *>(1));
    EXPECT_EQ(DllGetClassObject(CLSID_OEMUI, IID_IPrintOemUI, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);

    IUnknown *unknown = nullptr;
    ASSERT_EQ(DllGetClassObject(CLSID_OEMUI, IID_IUnknown, reinterpret_cast<void **>(&unknown)), S_OK);
    EXPECT_TRUE(Serves(unknown, IID_IClassFactory));
    EXPECT_EQ(unknown->Release(), 0u);
}

TEST_F(FactoryTest, UnloadWaitsForLocksAndObjects)
{
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    IClassFactory *factory = GetFactory(CLSID_OEMUI);
    ASSERT_NE(factory, nullptr);
    // The factory itself does not keep the module.
    EXPECT_EQ(DllCanUnloadNow(), S_OK);

    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);

    factory = GetFactory(CLSID_OEMPTPROVIDER);
    IUnknown *ui = nullptr;
    IUnknown *provider = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void **>(&ui)), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemPrintTicketProvider, reinterpret_cast<void **>(&provider)),
              S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    ui->Release();
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    provider->Release();
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    factory->Release();
}

// Objects made and released on many threads at once: the ticket conversion
// tests' eight concurrent providers, under ThreadSanitizer.

}  // namespace
