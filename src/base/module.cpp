#include "src/base/module.h"

#include "src/base/debug.h"

HINSTANCE ghInstance = nullptr;
LONG volatile gcComponents = 0;
LONG volatile gcServerLocks = 0;

GuidText::GuidText(REFGUID guid)
{
    ZeroMemory(text, sizeof(text));
    StringFromGUID2(guid, text, static_cast<int>(ARRAYSIZE(text)));
}
