// The class ids the plug-in serves: the driver (and the host that plays it)
// asks the module's factory for these.
#pragma once

#include "platform/win32.h"

// {ABCE80D7-9F46-11D1-882A-00C04FB961EC}
static const CLSID CLSID_OEMUI = {0xABCE80D7, 0x9F46, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};
// {91723892-45D2-48E2-9EC9-562379DAF992}
static const CLSID CLSID_OEMPTPROVIDER = {0x91723892, 0x45D2, 0x48E2, {0x9E, 0xC9, 0x56, 0x23, 0x79, 0xDA, 0xF9, 0x92}};
