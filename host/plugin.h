// The host's hold on the plug-in module: loaded with dlopen as the driver
// loads the DLL, entered only through its two exports.
#pragma once

#include "platform/win32.h"
#include "src/core/classids.h"

#include <string>

namespace host {

typedef HRESULT(STDAPICALLTYPE *PFN_DllGetClassObject)(REFCLSID, REFIID, void **);
typedef HRESULT(STDAPICALLTYPE *PFN_DllCanUnloadNow)(void);

class PluginModule {
public:
    PluginModule() = default;
    PluginModule(const PluginModule &) = delete;
    PluginModule &operator=(const PluginModule &) = delete;
    ~PluginModule();

    // The module named by --module, $ORVOUI_MODULE, or the one built beside the host.
    static std::string DefaultPath();
    bool Load(const std::string &path, std::string &error);

    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void **ppv) const;
    HRESULT CanUnloadNow() const;
    // Creates an object through the module's factory for the given class.
    HRESULT CreateInstance(REFCLSID clsid, REFIID iid, void **ppv) const;

private:
    void *handle_ = nullptr;
    PFN_DllGetClassObject getClassObject_ = nullptr;
    PFN_DllCanUnloadNow canUnloadNow_ = nullptr;
};

// Loads the module at `path` and makes its UI object, as the driver UI gets
// it; null with a message on stderr when either fails.
IPrintOemUI *CreateUi(PluginModule &module, const std::string &path);

// Text of an HRESULT for the host's output: its name where known, and hex.
std::string HresultText(HRESULT hr);

}  // namespace host
