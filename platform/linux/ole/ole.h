// COM and OLE Automation of the Linux stand-in: GUIDs, IUnknown, the class
// factory, task memory, system strings and variants.
#pragma once

#include "platform/linux/kernel/kernel.h"

#include <cstring>

typedef struct _GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
} GUID;
static_assert(sizeof(GUID) == 16, "GUID is 16 bytes");
typedef GUID IID;
typedef GUID CLSID;
typedef GUID *LPGUID;
typedef IID *LPIID;
typedef CLSID *LPCLSID;
typedef const GUID &REFGUID;
typedef const IID &REFIID;
typedef const CLSID &REFCLSID;

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }
inline bool operator!=(REFGUID a, REFGUID b) { return !IsEqualGUID(a, b); }
#define IsEqualIID(a, b) IsEqualGUID(a, b)
#define IsEqualCLSID(a, b) IsEqualGUID(a, b)

#define interface struct
#define STDMETHOD(m) virtual HRESULT STDMETHODCALLTYPE m
#define STDMETHOD_(t, m) virtual t STDMETHODCALLTYPE m
#define STDMETHODIMP HRESULT STDMETHODCALLTYPE
#define STDMETHODIMP_(t) t STDMETHODCALLTYPE
#define STDAPI extern "C" HRESULT STDAPICALLTYPE
#define PURE = 0
#define THIS_
#define THIS void
#define DECLARE_INTERFACE(i) interface i
#define DECLARE_INTERFACE_(i, b) interface i : public b

extern "C" const IID IID_IUnknown;
extern "C" const IID IID_IClassFactory;
extern "C" const IID IID_IStream;
extern "C" const GUID GUID_NULL;
#define IID_NULL GUID_NULL

interface IUnknown {
    STDMETHOD(QueryInterface)(REFIID riid, void **ppvObject) PURE;
    STDMETHOD_(ULONG, AddRef)() PURE;
    STDMETHOD_(ULONG, Release)() PURE;
};
typedef IUnknown *LPUNKNOWN;

interface IClassFactory : public IUnknown {
    STDMETHOD(CreateInstance)(IUnknown *pUnkOuter, REFIID riid, void **ppvObject) PURE;
    STDMETHOD(LockServer)(BOOL fLock) PURE;
};
typedef IClassFactory *LPCLASSFACTORY;

// Only named by interfaces the plug-in implements; never called by it.
interface IStream : public IUnknown {
};

typedef WCHAR OLECHAR;
typedef OLECHAR *LPOLESTR;
typedef const OLECHAR *LPCOLESTR;
typedef OLECHAR *BSTR;
typedef BSTR *LPBSTR;
typedef short VARIANT_BOOL;
#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)
#define OLESTR(s) u##s

enum VARENUM {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R8 = 5,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_BOOL = 11,
    VT_UNKNOWN = 13,
    VT_UI4 = 19,
    VT_INT = 22,
    VT_UINT = 23,
};
typedef unsigned short VARTYPE;

typedef struct tagVARIANT {
    VARTYPE vt;
    WORD wReserved1, wReserved2, wReserved3;
    union {
        LONG lVal;
        SHORT iVal;
        ULONG ulVal;
        INT intVal;
        UINT uintVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        BSTR bstrVal;
        IUnknown *punkVal;
        void *byref;
    };
} VARIANT, VARIANTARG;
typedef VARIANT *LPVARIANT;
#define V_VT(v) ((v)->vt)
#define V_BSTR(v) ((v)->bstrVal)
#define V_I4(v) ((v)->lVal)
#define V_BOOL(v) ((v)->boolVal)
#define V_UNKNOWN(v) ((v)->punkVal)

// Automation: only as far as the MSXML interfaces derive from IDispatch. The
// stand-in's objects answer its methods with E_NOTIMPL.
typedef LONG DISPID;
typedef DISPID *LPDISPID;
typedef struct tagDISPPARAMS {
    VARIANTARG *rgvarg;
    DISPID *rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
} DISPPARAMS;
typedef struct tagEXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    PVOID pvReserved;
    HRESULT(STDAPICALLTYPE *pfnDeferredFillIn)(struct tagEXCEPINFO *);
    HRESULT scode;
} EXCEPINFO;
struct ITypeInfo;
extern "C" const IID IID_IDispatch;

interface IDispatch : public IUnknown {
    STDMETHOD(GetTypeInfoCount)(UINT *pctinfo) PURE;
    STDMETHOD(GetTypeInfo)(UINT iTInfo, LCID lcid, ITypeInfo **ppTInfo) PURE;
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID lcid, DISPID *rgDispId) PURE;
    STDMETHOD(Invoke)
    (DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS *pDispParams, VARIANT *pVarResult,
     EXCEPINFO *pExcepInfo, UINT *puArgErr) PURE;
};
typedef IDispatch *LPDISPATCH;

#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_ALL 0x17
#define CLSCTX_INPROC (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)
#define COINIT_MULTITHREADED 0x0
#define COINIT_APARTMENTTHREADED 0x2

#define CO_E_CLASSSTRING _HRESULT_TYPEDEF_(0x800401F3L)
#define DISP_E_BADVARTYPE _HRESULT_TYPEDEF_(0x80020008L)

extern "C" {
STANDIN_API HRESULT STDAPICALLTYPE CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
STANDIN_API HRESULT STDAPICALLTYPE CoInitialize(LPVOID pvReserved);
STANDIN_API void STDAPICALLTYPE CoUninitialize(void);
STANDIN_API HRESULT STDAPICALLTYPE CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext,
                                                    REFIID riid, LPVOID *ppv);
STANDIN_API LPVOID STDAPICALLTYPE CoTaskMemAlloc(SIZE_T cb);
STANDIN_API LPVOID STDAPICALLTYPE CoTaskMemRealloc(LPVOID pv, SIZE_T cb);
STANDIN_API void STDAPICALLTYPE CoTaskMemFree(LPVOID pv);
STANDIN_API int STDAPICALLTYPE StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax);
STANDIN_API HRESULT STDAPICALLTYPE CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid);

STANDIN_API BSTR STDAPICALLTYPE SysAllocString(const OLECHAR *psz);
STANDIN_API BSTR STDAPICALLTYPE SysAllocStringLen(const OLECHAR *strIn, UINT ui);
STANDIN_API BSTR STDAPICALLTYPE SysAllocStringByteLen(LPCSTR psz, UINT len);
STANDIN_API INT STDAPICALLTYPE SysReAllocString(BSTR *pbstr, const OLECHAR *psz);
STANDIN_API void STDAPICALLTYPE SysFreeString(BSTR bstrString);
STANDIN_API UINT STDAPICALLTYPE SysStringLen(BSTR pbstr);
STANDIN_API UINT STDAPICALLTYPE SysStringByteLen(BSTR bstr);

STANDIN_API void STDAPICALLTYPE VariantInit(VARIANTARG *pvarg);
STANDIN_API HRESULT STDAPICALLTYPE VariantClear(VARIANTARG *pvarg);
STANDIN_API HRESULT STDAPICALLTYPE VariantCopy(VARIANTARG *pvargDest, const VARIANTARG *pvargSrc);
}

namespace standin {

// The in-process classes CoCreateInstance knows, as the registry would name
// them on Windows. A later registration of the same class id replaces the
// earlier one; a null creator removes it.
typedef HRESULT (*ClassCreator)(REFIID riid, void **ppv);
STANDIN_API void RegisterClass(REFCLSID clsid, ClassCreator create);
STANDIN_API void UnregisterAllClasses();
// CoInitializeEx calls not yet matched by CoUninitialize on this thread.
STANDIN_API long ComInitCount();

}  // namespace standin
