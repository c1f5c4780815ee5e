// The base of the plug-in's tests: every test starts with an empty debugger
// capture and no planned faults, and ends with every block, string, handle
// and object it made returned.
#pragma once

#include "platform/win32.h"
#include "src/base/debug.h"
#include "src/base/module.h"

#include <gtest/gtest.h>

#include <string>

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        standin::ClearFaults();
        standin::DebugCaptureClear();
        savedLevel_ = gDebugLevel;
        gDebugLevel = DBG_WARNING;
        before_ = standin::GetCounters();
        componentsBefore_ = gcComponents;
    }

    void TearDown() override
    {
        standin::ClearFaults();
        gDebugLevel = savedLevel_;
        standin::Counters after = standin::GetCounters();
        EXPECT_EQ(before_.heapBlocks, after.heapBlocks) << "heap blocks leaked";
        EXPECT_EQ(before_.globalBlocks, after.globalBlocks) << "global blocks leaked";
        EXPECT_EQ(before_.taskBlocks, after.taskBlocks) << "task memory leaked";
        EXPECT_EQ(before_.bstrs, after.bstrs) << "system strings leaked";
        EXPECT_EQ(before_.comObjects, after.comObjects) << "COM objects leaked";
        EXPECT_EQ(before_.printerHandles, after.printerHandles) << "printer handles leaked";
        EXPECT_EQ(before_.gdiObjects, after.gdiObjects) << "GDI objects leaked";
        EXPECT_EQ(componentsBefore_, gcComponents) << "plug-in objects still alive";
    }

    // The debugger output since the test started, wide lines as UTF-8.
    static std::string Debug() { return standin::DebugCaptureText(); }
    static void ClearDebug() { standin::DebugCaptureClear(); }

private:
    standin::Counters before_{};
    LONG componentsBefore_ = 0;
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
