#include "platform/win32.h"
#include "platform/linux/testing/leakcheck.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

const CLSID kTestClass = {0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

// A minimal COM object that counts itself in the stand-in's table.
class TestObject : public IUnknown {
public:
    TestObject() { standin::CountAdd(&standin::Counters::comObjects, 1); }
    virtual ~TestObject() { standin::CountAdd(&standin::Counters::comObjects, -1); }
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        *ppv = riid == IID_IUnknown ? this : nullptr;
        if (*ppv == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG refs = InterlockedDecrement(&refs_);
        if (refs == 0)
            delete this;
        return refs;
    }
    LONG refs() const { return refs_; }

private:
    LONG refs_ = 1;
};

HRESULT createTestObject(REFIID riid, void **ppv)
{
    auto *object = new TestObject;
    HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

class OleTest : public standin_testing::LeakCheckTest {
protected:
    void TearDown() override
    {
        standin::UnregisterAllClasses();
        EXPECT_EQ(standin::ComInitCount(), 0);
        LeakCheckTest::TearDown();
    }
};

TEST_F(OleTest, CoInitializeExCountsPerThreadAndMode)
{
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    EXPECT_EQ(standin::ComInitCount(), 2);
    long other = -1;
    std::thread([&] { other = standin::ComInitCount(); }).join();
    EXPECT_EQ(other, 0);
    CoUninitialize();
    CoUninitialize();
    CoUninitialize();  // one too many does nothing
    EXPECT_EQ(standin::ComInitCount(), 0);

    standin::FailNext("CoInitializeEx", 1, static_cast<DWORD>(E_OUTOFMEMORY));
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), E_OUTOFMEMORY);
    EXPECT_EQ(standin::ComInitCount(), 0);
}

TEST_F(OleTest, CoCreateInstanceUsesTheClassTable)
{
    void *object = reinterpret_cast<void *>(1);
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), CO_E_NOTINITIALIZED);
    EXPECT_EQ(object, nullptr);

    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    standin::RegisterClass(kTestClass, createTestObject);

    ASSERT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), S_OK);
    EXPECT_EQ(standin::GetCounters().comObjects, Before().comObjects + 1);
    static_cast<IUnknown *>(object)->Release();

    standin::FailNext("CoCreateInstance", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY));
    standin::RegisterClass(kTestClass, nullptr);
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    CoUninitialize();
}

TEST_F(OleTest, StringFromGuid2NeedsThirtyNineUnits)
{
    WCHAR text[39];
    EXPECT_EQ(StringFromGUID2(kTestClass, text, 38), 0);
    ASSERT_EQ(StringFromGUID2(kTestClass, text, 39), 39);
    EXPECT_EQ(std::u16string(text), u"{12345678-9ABC-DEF0-0123-456789ABCDEF}");
}

TEST_F(OleTest, BstrHasItsLengthPrefixAndKeepsEmbeddedZeros)
{
    BSTR text = SysAllocStringLen(u"a\0b", 3);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(standin::GetCounters().bstrs, Before().bstrs + 1);
    uint32_t prefix;
    std::memcpy(&prefix, reinterpret_cast<char *>(text) - 4, 4);
    EXPECT_EQ(prefix, 6u);
    EXPECT_EQ(SysStringLen(text), 3u);
    EXPECT_EQ(std::u16string(text, 4), std::u16string(u"a\0b\0", 4));
    SysFreeString(text);

    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
    standin::FailNext("SysAllocString");
    EXPECT_EQ(SysAllocString(u"x"), nullptr);
}

// Clearing a variant frees its string or releases its reference.
TEST_F(OleTest, VariantsOwnTheirStringsAndReferences)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(u"value");
    EXPECT_EQ(VariantClear(&value), S_OK);
    EXPECT_EQ(value.vt, VT_EMPTY);
    EXPECT_EQ(standin::GetCounters().bstrs, Before().bstrs);
    auto *object = new TestObject;
    object->AddRef();
    value.vt = VT_UNKNOWN;
    value.punkVal = object;
    EXPECT_EQ(VariantClear(&value), S_OK);
    EXPECT_EQ(object->refs(), 1);
    object->Release();
}

}  // namespace
