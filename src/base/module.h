// Module-wide state of the plug-in core: the instance handle every resource
// load uses, and the two counters that decide whether the module may unload.
#pragma once

#include "platform/win32.h"

#include <new>

extern HINSTANCE ghInstance;
// Objects handed out by the class factory that are still alive.
extern LONG volatile gcComponents;
// Server locks taken through IClassFactory::LockServer.
extern LONG volatile gcServerLocks;

// COM objects of the plug-in live on the process heap: an allocation that
// fails gives a null pointer (never an exception), and the stand-in counts
// the blocks, so a leaked object shows.
struct HeapObject {
    static void *operator new(size_t size) noexcept { return HeapAlloc(GetProcessHeap(), 0, size); }
    static void operator delete(void *p) noexcept
    {
        if (p != nullptr)
            HeapFree(GetProcessHeap(), 0, p);
    }
};

// The text form of an interface id for the "not supported" trace lines.
struct GuidText {
    WCHAR text[80];
    explicit GuidText(REFGUID guid);
};
