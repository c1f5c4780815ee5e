// The Linux loader's side of the module: what the Windows loader does for
// the DLL. Loading the shared object registers its embedded resources as a
// module, whose handle DllMain receives with the process attach; unloading
// plays the detach.
#include "platform/win32.h"
#include "resources/res_blob.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInst, DWORD dwReason, LPVOID lpReserved);

namespace {

HINSTANCE gModule = nullptr;

__attribute__((constructor)) void ModuleLoad()
{
    gModule = RegisterPluginResources();
    DllMain(gModule, DLL_PROCESS_ATTACH, nullptr);
}

__attribute__((destructor)) void ModuleUnload()
{
    DllMain(gModule, DLL_PROCESS_DETACH, nullptr);
    standin::UnregisterModule(gModule);
    gModule = nullptr;
}

}  // namespace
