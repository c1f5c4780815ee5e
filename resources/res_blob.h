// The compiled resources linked into a program (the orvoui_res_blob object),
// for the programs that play the plug-in's module without loading it, and
// for the plug-in's own shared object.
#pragma once

#include "platform/win32.h"

extern "C" const unsigned char orvoui_res_begin[], orvoui_res_end[];

// Registers them as a module named "orvoui.dll"; the caller unregisters it.
inline HINSTANCE RegisterPluginResources()
{
    return standin::RegisterModule(orvoui_res_begin, static_cast<size_t>(orvoui_res_end - orvoui_res_begin),
                                   "orvoui.dll");
}

// The same module, registered once for the whole program.
inline HINSTANCE PluginResources()
{
    static HINSTANCE module = RegisterPluginResources();
    return module;
}
