#include "host/plugin.h"
#include "host/output.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

#ifndef ORVOUI_DEFAULT_MODULE
#define ORVOUI_DEFAULT_MODULE "liborvoui.so"
#endif

namespace host {

PluginModule::~PluginModule()
{
    if (handle_ != nullptr)
        dlclose(handle_);
}

std::string PluginModule::DefaultPath()
{
    const char *env = std::getenv("ORVOUI_MODULE");
    return (env != nullptr && *env != 0) ? env : ORVOUI_DEFAULT_MODULE;
}

bool PluginModule::Load(const std::string &path, std::string &error)
{
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char *why = dlerror();
        error = why != nullptr ? why : "dlopen failed";
        return false;
    }
    getClassObject_ = reinterpret_cast<PFN_DllGetClassObject>(dlsym(handle_, "DllGetClassObject"));
    canUnloadNow_ = reinterpret_cast<PFN_DllCanUnloadNow>(dlsym(handle_, "DllCanUnloadNow"));
    if (getClassObject_ == nullptr || canUnloadNow_ == nullptr) {
        error = path + " does not export DllGetClassObject and DllCanUnloadNow";
        return false;
    }
    return true;
}

HRESULT PluginModule::GetClassObject(REFCLSID clsid, REFIID iid, void **ppv) const
{
    return getClassObject_(clsid, iid, ppv);
}

HRESULT PluginModule::CanUnloadNow() const { return canUnloadNow_(); }

HRESULT PluginModule::CreateInstance(REFCLSID clsid, REFIID iid, void **ppv) const
{
    *ppv = nullptr;
    IClassFactory *factory = nullptr;
    HRESULT hr = GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void **>(&factory));
    if (FAILED(hr))
        return hr;
    hr = factory->CreateInstance(nullptr, iid, ppv);
    factory->Release();
    return hr;
}

std::string HresultText(HRESULT hr)
{
    struct Name {
        HRESULT hr;
        const char *text;
    };
    static const Name names[] = {
        {S_OK, "S_OK"},
        {S_FALSE, "S_FALSE"},
        {E_NOTIMPL, "E_NOTIMPL"},
        {E_NOINTERFACE, "E_NOINTERFACE"},
        {E_POINTER, "E_POINTER"},
        {E_FAIL, "E_FAIL"},
        {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
        {E_INVALIDARG, "E_INVALIDARG"},
        {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION"},
        {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE"},
    };
    char hex[16];
    std::snprintf(hex, sizeof(hex), "0x%08X", static_cast<unsigned>(hr));
    for (const Name &name : names) {
        if (name.hr == hr)
            return std::string(name.text) + " (" + hex + ")";
    }
    return hex;
}

IPrintOemUI *CreateUi(PluginModule &module, const std::string &path)
{
    std::string error;
    if (!module.Load(path, error)) {
        PrintError("orvoui-host: cannot load %s: %s\n", path.c_str(), error.c_str());
        return nullptr;
    }
    IPrintOemUI *ui = nullptr;
    HRESULT hr = module.CreateInstance(CLSID_OEMUI, IID_IPrintOemUI, reinterpret_cast<void **>(&ui));
    if (FAILED(hr)) {
        PrintError("orvoui-host: no OEM UI object: %s\n", HresultText(hr).c_str());
        return nullptr;
    }
    return ui;
}

}  // namespace host
