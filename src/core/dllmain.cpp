#include "src/base/debug.h"
#include "src/base/module.h"

// The loader's notifications. Only the instance handle is kept; the rest is
// traced.
extern "C" BOOL WINAPI DllMain(HINSTANCE hInst, DWORD dwReason, LPVOID)
{
    switch (dwReason) {
    case DLL_PROCESS_ATTACH:
        ghInstance = hInst;
        VERBOSE(TEXT("UI:  Process attach.\r\n"));
        break;
    case DLL_PROCESS_DETACH:
        VERBOSE(TEXT("UI:  Process detach.\r\n"));
        break;
    case DLL_THREAD_ATTACH:
        VERBOSE(TEXT("UI:  Thread attach.\r\n"));
        break;
    case DLL_THREAD_DETACH:
        VERBOSE(TEXT("UI:  Thread detach.\r\n"));
        break;
    }
    return TRUE;
}
