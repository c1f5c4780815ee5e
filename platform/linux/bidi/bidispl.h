// Bidirectional printer communication of the Linux stand-in: IBidiRequest
// and IBidiSpl in the vtable order and with the signatures of the SDK's
// bidispl.h (as mingw-w64 ships it), and the ids of their classes. The
// classes BidiSpl and BidiRequest are made by CoCreateInstance; the request
// types, actions and access flags are in the spooler's winspool.h, where the
// platform has them. Every printer of the print server has a port that
// answers the schema "\Printer.WR" as programmed (spooler/server.h).
//
// Faults (standin::FailNext): "BindDevice" and "SendRecv" fail those calls;
// besides the general "CoCreateInstance", "CoCreateInstance(BidiSpl)" and
// "CoCreateInstance(BidiRequest)" fail the making of one class only.
#pragma once

#include "platform/linux/ole/ole.h"

interface IBidiRequest : public IUnknown {
    STDMETHOD(SetSchema)(const LPCWSTR pszSchema) PURE;
    STDMETHOD(SetInputData)(const DWORD dwType, const BYTE *pData, const UINT uSize) PURE;
    STDMETHOD(GetResult)(HRESULT *phr) PURE;
    STDMETHOD(GetOutputData)(const DWORD dwIndex, LPWSTR *ppszSchema, DWORD *pdwType, BYTE **ppData, ULONG *uSize) PURE;
    STDMETHOD(GetEnumCount)(DWORD *pdwTotal) PURE;
};

// Only named by IBidiSpl::MultiSendRecv; the stand-in has no container class.
interface IBidiRequestContainer : public IUnknown {
};

interface IBidiSpl : public IUnknown {
    STDMETHOD(BindDevice)(const LPCWSTR pszDeviceName, const DWORD dwAccess) PURE;
    STDMETHOD(UnbindDevice)() PURE;
    STDMETHOD(SendRecv)(const LPCWSTR pszAction, IBidiRequest *pRequest) PURE;
    STDMETHOD(MultiSendRecv)(const LPCWSTR pszAction, IBidiRequestContainer *pRequestContainer) PURE;
};

extern "C" {
STANDIN_API extern const IID IID_IBidiRequest;
STANDIN_API extern const IID IID_IBidiRequestContainer;
STANDIN_API extern const IID IID_IBidiSpl;
STANDIN_API extern const CLSID CLSID_BidiRequest;
STANDIN_API extern const CLSID CLSID_BidiRequestContainer;
STANDIN_API extern const CLSID CLSID_BidiSpl;
}

namespace standin {

// Puts BidiSpl and BidiRequest (back) into the class table; done when the
// stand-in is loaded.
STANDIN_API void RegisterBidiClasses();

}  // namespace standin
