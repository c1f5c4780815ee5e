// orvoui-host info: what the module's two objects say about themselves,
// asked as the driver UI and the print ticket core ask.
#include "host/commands.h"
#include "host/output.h"
#include "host/plugin.h"

#include <cstdio>

namespace host {

namespace {

struct NamedIid {
    const char *name;
    const IID *iid;
};

const NamedIid kInterfaces[] = {
    {"IUnknown", &IID_IUnknown},
    {"IClassFactory", &IID_IClassFactory},
    {"IPrintOemUI", &IID_IPrintOemUI},
    {"IPrintOemUI2", &IID_IPrintOemUI2},
    {"IPrintOemDriverUI", &IID_IPrintOemDriverUI},
    {"IPrintOemPrintTicketProvider", &IID_IPrintOemPrintTicketProvider},
};

void PrintServedInterfaces(IUnknown *object)
{
    for (const NamedIid &entry : kInterfaces) {
        IUnknown *served = nullptr;
        HRESULT hr = object->QueryInterface(*entry.iid, reinterpret_cast<void **>(&served));
        Print("    %-30s %s\n", entry.name, SUCCEEDED(hr) ? "served" : "not served");
        if (served != nullptr)
            served->Release();
    }
}

void PrintGetInfo(IPrintOemUI *ui, DWORD mode, const char *name)
{
    DWORD value = 0;
    DWORD needed = 0;
    HRESULT hr = ui->GetInfo(mode, &value, sizeof(value), &needed);
    if (SUCCEEDED(hr))
        Print("  %-10s 0x%08X\n", name, static_cast<unsigned>(value));
    else
        Print("  %-10s failed: %s, last error %u\n", name, HresultText(hr).c_str(),
              static_cast<unsigned>(GetLastError()));
}

}  // namespace

int RunInfo(const HostOptions &options)
{
    PluginModule module;
    std::string error;
    if (!module.Load(options.modulePath, error)) {
        PrintError("orvoui-host: cannot load %s: %s\n", options.modulePath.c_str(), error.c_str());
        return 1;
    }
    Print("module: %s\n", options.modulePath.c_str());
    Print("DllCanUnloadNow before: %s\n", HresultText(module.CanUnloadNow()).c_str());

    IPrintOemUI *ui = nullptr;
    HRESULT hr = module.CreateInstance(CLSID_OEMUI, IID_IPrintOemUI, reinterpret_cast<void **>(&ui));
    Print("OEM UI object (IPrintOemUI): %s\n", HresultText(hr).c_str());
    if (ui != nullptr) {
        PrintGetInfo(ui, OEMGI_GETSIGNATURE, "signature");
        PrintGetInfo(ui, OEMGI_GETVERSION, "version");
        Print("  interfaces:\n");
        PrintServedInterfaces(ui);
    }

    IPrintOemPrintTicketProvider *provider = nullptr;
    hr = module.CreateInstance(CLSID_OEMPTPROVIDER, IID_IPrintOemPrintTicketProvider,
                               reinterpret_cast<void **>(&provider));
    Print("print ticket provider (IPrintOemPrintTicketProvider): %s\n", HresultText(hr).c_str());
    if (provider != nullptr) {
        INT *versions = nullptr;
        INT count = 0;
        hr = provider->GetSupportedVersions(nullptr, &versions, &count);
        Print("  supported versions: %s:", HresultText(hr).c_str());
        for (INT i = 0; i < count; ++i)
            Print(" %d", versions[i]);
        Print("\n");
        CoTaskMemFree(versions);
        BSTR ns = nullptr;
        if (SUCCEEDED(provider->QueryDeviceDefaultNamespace(&ns)) && ns != nullptr) {
            char text[256] = {};
            WideCharToMultiByte(CP_UTF8, 0, ns, -1, text, sizeof(text), nullptr, nullptr);
            Print("  private namespace: %s\n", text);
        }
        SysFreeString(ns);
        Print("  interfaces:\n");
        PrintServedInterfaces(provider);
    }

    Print("DllCanUnloadNow with objects alive: %s\n", HresultText(module.CanUnloadNow()).c_str());
    if (ui != nullptr)
        ui->Release();
    if (provider != nullptr)
        provider->Release();
    Print("DllCanUnloadNow after release: %s\n", HresultText(module.CanUnloadNow()).c_str());
    return 0;
}

}  // namespace host
