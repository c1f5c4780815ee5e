// The base of the plug-in's tests: every test starts with an empty debugger
// capture and no planned faults, and ends with every block, string, handle
// and object it made returned.
#pragma once

#include "platform/win32.h"
#include "platform/linux/testing/leakcheck.h"
#include "src/base/debug.h"
#include "src/base/module.h"

#include <gtest/gtest.h>

#include <string>

using standin_testing::kMagicDead;

class PluginTest : public standin_testing::LeakCheckTest {
protected:
    void SetUp() override
    {
        standin::DebugCaptureClear();
        savedLevel_ = gDebugLevel;
        gDebugLevel = DBG_WARNING;
        LeakCheckTest::SetUp();
    }

    void TearDown() override
    {
        gDebugLevel = savedLevel_;
        LeakCheckTest::TearDown();
    }

    // The plug-in's objects still alive.
    long ExtraCount() const override { return gcComponents; }

    // The debugger output since the test started, wide lines as UTF-8.
    static std::string Debug() { return standin::DebugCaptureText(); }
    static void ClearDebug() { standin::DebugCaptureClear(); }

private:
    INT savedLevel_ = DBG_WARNING;
};

// A COM object of the test that counts its references and serves the
// interface ids it is given.
template <typename I>
class TestObject : public I {
public:
    explicit TestObject(const IID &served) : served_(served) {}
    virtual ~TestObject() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        ++queries;
        if (riid == IID_IUnknown || riid == served_) {
            *ppv = static_cast<I *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }

    LONG refs = 1;
    int queries = 0;

private:
    IID served_;
};
