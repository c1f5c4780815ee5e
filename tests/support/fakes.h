// Stand-ins for the driver's objects that the plug-in is handed.
#pragma once

#include "tests/support/fixture.h"

class FakeDriverUI : public TestObject<IPrintOemDriverUI> {
public:
    FakeDriverUI() : TestObject(IID_IPrintOemDriverUI) {}
    STDMETHODIMP DrvGetDriverSetting(PVOID, PCSTR, PVOID, DWORD, PDWORD, PDWORD) override { return E_NOTIMPL; }
    STDMETHODIMP DrvUpgradeRegistrySetting(HANDLE, PCSTR, PCSTR) override { return E_NOTIMPL; }
    STDMETHODIMP DrvUpdateUISetting(PVOID, PVOID, DWORD, DWORD) override { return E_NOTIMPL; }
};

// A plain IUnknown that serves nothing else.
class FakeUnknown : public TestObject<IUnknown> {
public:
    FakeUnknown() : TestObject(IID_IUnknown) {}
};

class FakeCoreHelper : public TestObject<IPrintCoreHelperUni> {
public:
    FakeCoreHelper() : TestObject(IID_IPrintCoreHelperUni) {}
    STDMETHODIMP GetOption(const DEVMODEW *, DWORD, PCSTR, PCSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP SetOptions(PDEVMODEW, DWORD, BOOL, const PRINT_FEATURE_OPTION *, DWORD, DWORD *, DWORD *) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP EnumConstrainedOptions(const DEVMODEW *, DWORD, PCSTR, PCSTR **, DWORD *) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP WhyConstrained(const DEVMODEW *, DWORD, PCSTR, PCSTR, const PRINT_FEATURE_OPTION **, DWORD *) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP EnumFeatures(PCSTR **, DWORD *) override { return E_NOTIMPL; }
    STDMETHODIMP EnumOptions(PCSTR, PCSTR **, DWORD *) override { return E_NOTIMPL; }
    STDMETHODIMP GetFontSubstitution(PCWSTR, PCWSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP SetFontSubstitution(PCWSTR, PCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP CreateInstanceOfMSXMLObject(REFCLSID, IUnknown *, DWORD, REFIID, LPVOID *) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP CreateGDLSnapshot(PDEVMODEW, DWORD, DWORD, IStream **) override { return E_NOTIMPL; }
    STDMETHODIMP CreateDefaultGDLSnapshot(DWORD, IStream **) override { return E_NOTIMPL; }
};
