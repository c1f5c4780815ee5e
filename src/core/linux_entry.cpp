// The Linux loader's side of the module: what the Windows loader does for
// the DLL. Loading the shared object registers its embedded resources as a
// module, whose handle DllMain receives with the process attach; unloading
// plays the detach.
#include "platform/win32.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInst, DWORD dwReason, LPVOID lpReserved);

extern "C" const unsigned char orvoui_res_begin[];
extern "C" const unsigned char orvoui_res_end[];

namespace {

HINSTANCE gModule = nullptr;

__attribute__((constructor)) void ModuleLoad()
{
    gModule = standin::RegisterModule(orvoui_res_begin, static_cast<size_t>(orvoui_res_end - orvoui_res_begin),
                                      "orvoui.dll");
    DllMain(gModule, DLL_PROCESS_ATTACH, nullptr);
}

__attribute__((destructor)) void ModuleUnload()
{
    DllMain(gModule, DLL_PROCESS_DETACH, nullptr);
    standin::UnregisterModule(gModule);
    gModule = nullptr;
}

}  // namespace
