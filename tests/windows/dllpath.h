// The DLL the Windows test programs load when not told otherwise: the
// orvoui.dll beside the program.
#pragma once

#include "platform/win32.h"

#include <string>

inline std::wstring defaultDllPath()
{
    WCHAR exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe, n);
    size_t slash = path.find_last_of(L"\\/");
    path.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return path + L"orvoui.dll";
}
