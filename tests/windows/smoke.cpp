// Smoke test of the real orvoui.dll: loads it as the spooler does, gets its
// class objects and talks to the objects through raw COM calls, then creates
// every dialog template of every language with the real window system and
// loads every bitmap. It runs on Windows or under Wine and reports as
// report.h says.
//
// Usage: orvoui-smoke [path\to\orvoui.dll]   (default: orvoui.dll next to the exe)

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/windows/dllpath.h"
#include "tests/windows/report.h"

namespace {

// {ABCE80D7-9F46-11D1-882A-00C04FB961EC}
const CLSID CLSID_OEMUI = {0xABCE80D7, 0x9F46, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};
// {91723892-45D2-48E2-9EC9-562379DAF992}
const CLSID CLSID_OEMPTPROVIDER = {0x91723892, 0x45D2, 0x48E2, {0x9E, 0xC9, 0x56, 0x23, 0x79, 0xDA, 0xF9, 0x92}};
// Any class the module does not serve.
const CLSID CLSID_Unknown = {0x12345678, 0x1234, 0x1234, {0x12, 0x34, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}};

typedef HRESULT(STDAPICALLTYPE *PFN_DllGetClassObject)(REFCLSID, REFIID, void **);
typedef HRESULT(STDAPICALLTYPE *PFN_DllCanUnloadNow)(void);

PFN_DllGetClassObject pDllGetClassObject;
PFN_DllCanUnloadNow pDllCanUnloadNow;

using report::check;
using report::checkf;
using report::printable;

void checkHr(HRESULT got, HRESULT want, const char *what)
{
    checkf(got == want, what, "hr 0x%08lX, expected 0x%08lX", (unsigned long)got, (unsigned long)want);
}

// A pointer the callee must overwrite (with an object or null).
void *const kSentinel = reinterpret_cast<void *>(static_cast<uintptr_t>(0x5A5A5A50));

// ---------------------------------------------------------------------------
// Raw vtable calls. The slot numbers are the platform's interface layout,
// written out here rather than taken from our own header, so a wrong order in
// the header shows up too. On 32-bit x86 the call goes through a thunk that
// also measures how many bytes of arguments the callee popped: a COM method
// is __stdcall and must pop all of them (this pointer included).

struct SlotResult {
    HRESULT hr;
    int stackLeft;  // bytes of arguments the callee left on the stack (0 expected)
};

#if defined(__i386__)
// Pushes count arguments (args[0] = this, pushed last), calls fn and stores in
// *left how far the stack pointer is from where it was before the pushes.
extern "C" HRESULT __cdecl orvo_call_stdcall(const void *fn, const uint32_t *args, int count, int32_t *left);
asm(R"(
    .text
    .globl _orvo_call_stdcall
_orvo_call_stdcall:
    pushl %ebp
    movl  %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl  12(%ebp), %esi
    movl  16(%ebp), %ecx
    movl  %esp, %edi
1:  testl %ecx, %ecx
    jz    2f
    decl  %ecx
    pushl (%esi,%ecx,4)
    jmp   1b
2:  call  *8(%ebp)
    movl  %edi, %ecx
    subl  %esp, %ecx
    movl  20(%ebp), %edx
    movl  %ecx, (%edx)
    movl  %edi, %esp
    popl  %edi
    popl  %esi
    popl  %ebx
    popl  %ebp
    ret
)");
#endif

SlotResult callSlot(void *object, int slot, std::initializer_list<uintptr_t> args)
{
    void *fn = (*static_cast<void ***>(object))[slot];
    SlotResult r{E_UNEXPECTED, 0};
#if defined(__i386__)
    uint32_t raw[16];
    int n = 0;
    raw[n++] = reinterpret_cast<uint32_t>(object);
    for (uintptr_t a : args)
        raw[n++] = static_cast<uint32_t>(a);
    int32_t left = -1;
    r.hr = orvo_call_stdcall(fn, raw, n, &left);
    r.stackLeft = left;
#else
    // x64 has one calling convention; every argument takes a 64-bit slot.
    uintptr_t a[10] = {};
    size_t n = 0;
    for (uintptr_t v : args)
        a[n++] = v;
    typedef HRESULT (*F)(void *, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                         uintptr_t, uintptr_t);
    r.hr = reinterpret_cast<F>(fn)(object, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]);
#endif
    return r;
}

void checkSlot(void *object, int slot, std::initializer_list<uintptr_t> args, HRESULT want, const char *what)
{
    SlotResult r = callSlot(object, slot, args);
    checkf(r.hr == want && r.stackLeft == 0, what, "hr 0x%08lX (expected 0x%08lX), %d bytes left on the stack",
           (unsigned long)r.hr, (unsigned long)want, r.stackLeft);
}

template <typename T>
uintptr_t P(T *p)
{
    return reinterpret_cast<uintptr_t>(p);
}

// ---------------------------------------------------------------------------

IClassFactory *getFactory(REFCLSID clsid)
{
    void *pv = kSentinel;
    HRESULT hr = pDllGetClassObject(clsid, IID_IClassFactory, &pv);
    if (FAILED(hr) || pv == nullptr || pv == kSentinel)
        return nullptr;
    return static_cast<IClassFactory *>(pv);
}

bool unloadable() { return pDllCanUnloadNow() == S_OK; }

void testClassObjects()
{
    IClassFactory *cf = getFactory(CLSID_OEMUI);
    check(cf != nullptr, "DllGetClassObject(CLSID_OEMUI, IID_IClassFactory)");
    if (cf) {
        void *pv = kSentinel;
        checkHr(cf->QueryInterface(IID_IUnknown, &pv), S_OK, "factory QueryInterface(IID_IUnknown)");
        check(pv == cf, "factory QueryInterface(IID_IUnknown) returns the factory");
        if (pv == cf)
            check(cf->Release() == 1, "factory Release after QueryInterface leaves one reference");
        pv = kSentinel;
        checkHr(cf->QueryInterface(IID_IPrintOemUI, &pv), E_NOINTERFACE, "factory QueryInterface(IID_IPrintOemUI)");
        check(pv == nullptr, "factory QueryInterface failure nulls the result");
        check(cf->AddRef() == 2 && cf->Release() == 1, "factory AddRef/Release counts");
        check(unloadable(), "the factory alone does not keep the module loaded");
        check(cf->Release() == 0, "factory last Release returns 0");
    }

    cf = getFactory(CLSID_OEMPTPROVIDER);
    check(cf != nullptr, "DllGetClassObject(CLSID_OEMPTPROVIDER, IID_IClassFactory)");
    if (cf)
        cf->Release();

    void *pv = kSentinel;
    HRESULT hr = pDllGetClassObject(CLSID_OEMUI, IID_IUnknown, &pv);
    checkf(hr == S_OK && pv != nullptr && pv != kSentinel, "DllGetClassObject(CLSID_OEMUI, IID_IUnknown)", "hr 0x%08lX",
           (unsigned long)hr);
    if (hr == S_OK && pv && pv != kSentinel)
        static_cast<IUnknown *>(pv)->Release();

    pv = kSentinel;
    checkHr(pDllGetClassObject(CLSID_Unknown, IID_IClassFactory, &pv), CLASS_E_CLASSNOTAVAILABLE,
            "DllGetClassObject with an unknown class");

    pv = kSentinel;
    checkHr(pDllGetClassObject(CLSID_OEMUI, IID_IPrintOemUI, &pv), E_NOINTERFACE,
            "DllGetClassObject for an interface the factory lacks");
    check(pv == nullptr, "DllGetClassObject failure nulls the result");
}

// Creates an object through a fresh factory of the given class.
HRESULT create(REFCLSID clsid, REFIID iid, void **ppv)
{
    IClassFactory *cf = getFactory(clsid);
    if (!cf)
        return E_UNEXPECTED;
    HRESULT hr = cf->CreateInstance(nullptr, iid, ppv);
    cf->Release();
    return hr;
}

void testCreateInstance()
{
    struct Case {
        const CLSID *clsid;
        const IID *iid;
        const char *name;
        bool isUi;  // else the print ticket provider
    } cases[] = {
        {&CLSID_OEMUI, &IID_IUnknown, "CLSID_OEMUI / IID_IUnknown", true},
        {&CLSID_OEMUI, &IID_IPrintOemUI, "CLSID_OEMUI / IID_IPrintOemUI", true},
        {&CLSID_OEMUI, &IID_IPrintOemPrintTicketProvider, "CLSID_OEMUI / IID_IPrintOemPrintTicketProvider", false},
        {&CLSID_OEMPTPROVIDER, &IID_IPrintOemUI, "CLSID_OEMPTPROVIDER / IID_IPrintOemUI", true},
        {&CLSID_OEMPTPROVIDER, &IID_IPrintOemPrintTicketProvider,
         "CLSID_OEMPTPROVIDER / IID_IPrintOemPrintTicketProvider", false},
    };
    for (const Case &c : cases) {
        std::string what = std::string("CreateInstance ") + c.name;
        void *pv = kSentinel;
        HRESULT hr = create(*c.clsid, *c.iid, &pv);
        if (hr != S_OK || pv == nullptr || pv == kSentinel) {
            checkf(false, what.c_str(), "hr 0x%08lX, object %p", (unsigned long)hr, pv);
            continue;
        }
        // Tell the two objects apart by an interface only one of them serves.
        IUnknown *unk = static_cast<IUnknown *>(pv);
        void *probe = nullptr;
        bool servesUi = unk->QueryInterface(IID_IPrintOemUI, &probe) == S_OK;
        if (probe)
            static_cast<IUnknown *>(probe)->Release();
        probe = nullptr;
        bool servesPt = unk->QueryInterface(IID_IPrintOemPrintTicketProvider, &probe) == S_OK;
        if (probe)
            static_cast<IUnknown *>(probe)->Release();
        checkf(servesUi == c.isUi && servesPt == !c.isUi, what.c_str(), "got %s",
               servesUi   ? "the UI object"
               : servesPt ? "the ticket provider"
                          : "neither object");
        check(!unloadable(), (what + ": a live object keeps the module loaded").c_str());
        ULONG left = unk->Release();
        checkf(left == 0, (what + ": caller holds the only reference").c_str(), "Release returned %lu",
               (unsigned long)left);
        check(unloadable(), (what + ": unloadable after the last Release").c_str());
    }

    void *pv = kSentinel;
    checkHr(create(CLSID_OEMUI, IID_IPrintOemUI2, &pv), E_NOINTERFACE, "CreateInstance IID_IPrintOemUI2");
    check(pv == nullptr, "CreateInstance IID_IPrintOemUI2 nulls the result");
    check(unloadable(), "CreateInstance IID_IPrintOemUI2 leaves no object behind");

    IClassFactory *cf = getFactory(CLSID_OEMUI);
    if (cf) {
        pv = kSentinel;
        checkHr(cf->CreateInstance(cf, IID_IUnknown, &pv), CLASS_E_NOAGGREGATION,
                "CreateInstance with an outer unknown");
        check(unloadable(), "aggregation attempt creates nothing");

        checkHr(cf->LockServer(TRUE), S_OK, "LockServer(TRUE)");
        cf->Release();
        check(!unloadable(), "a server lock keeps the module loaded after the factory is gone");
        cf = getFactory(CLSID_OEMUI);
        if (cf) {
            checkHr(cf->LockServer(FALSE), S_OK, "LockServer(FALSE)");
            cf->Release();
        }
        check(unloadable(), "unloadable after the lock is dropped");
    }
}

void testUiObject(IPrintOemUI *ui)
{
    // QueryInterface and reference counting.
    void *pv = kSentinel;
    check(ui->QueryInterface(IID_IUnknown, &pv) == S_OK && pv == ui, "IOemUI QueryInterface(IID_IUnknown) is itself");
    if (pv == ui)
        ui->Release();
    pv = kSentinel;
    check(ui->QueryInterface(IID_IPrintOemUI, &pv) == S_OK && pv == ui,
          "IOemUI QueryInterface(IID_IPrintOemUI) is itself");
    if (pv == ui)
        ui->Release();
    const IID *refused[] = {&IID_IPrintOemUI2, &IID_IPrintOemPrintTicketProvider, &IID_IClassFactory};
    bool allRefused = true;
    for (const IID *iid : refused) {
        pv = kSentinel;
        allRefused &= ui->QueryInterface(*iid, &pv) == E_NOINTERFACE && pv == nullptr;
    }
    check(allRefused, "IOemUI QueryInterface refuses IPrintOemUI2, the provider and IClassFactory with null");
    check(ui->AddRef() == 2 && ui->Release() == 1, "IOemUI AddRef/Release return the new count");

    // GetInfo.
    DWORD value = 0, needed = 0;
    HRESULT hr = ui->GetInfo(OEMGI_GETSIGNATURE, &value, sizeof value, &needed);
    checkf(hr == S_OK && value == 0x4D534654 && needed == 4, "GetInfo(OEMGI_GETSIGNATURE)",
           "hr 0x%08lX, value 0x%08lX, needed %lu", (unsigned long)hr, (unsigned long)value, (unsigned long)needed);
    value = 0;
    hr = ui->GetInfo(OEMGI_GETVERSION, &value, sizeof value, &needed);
    checkf(hr == S_OK && value == 3 && needed == 4, "GetInfo(OEMGI_GETVERSION)", "hr 0x%08lX, value %lu, needed %lu",
           (unsigned long)hr, (unsigned long)value, (unsigned long)needed);

    DWORD wide[2] = {0xCCCCCCCC, 0xCCCCCCCC};
    hr = ui->GetInfo(OEMGI_GETSIGNATURE, wide, sizeof wide, &needed);
    check(hr == S_OK && wide[0] == 0x4D534654 && wide[1] == 0xCCCCCCCC,
          "GetInfo with an 8-byte buffer writes only the first 4 bytes");

    struct Failure {
        DWORD mode;
        DWORD cb;
        bool nullNeeded;
        DWORD wantError;
        DWORD wantNeeded;  // kUntouched: must stay as the caller set it
        const char *what;
    };
    const DWORD kUntouched = 0xDEADBEEF;
    const Failure failures[] = {
        {OEMGI_GETINTERFACEVERSION, 4, false, ERROR_INVALID_PARAMETER, kUntouched, "GetInfo mode 2 fails, error 87"},
        {OEMGI_GETSIGNATURE, 2, false, ERROR_INSUFFICIENT_BUFFER, 4, "GetInfo 2-byte buffer fails, error 122, needs 4"},
        {OEMGI_GETSIGNATURE, 4, true, ERROR_INVALID_PARAMETER, kUntouched, "GetInfo null needed-size fails, error 87"},
        {OEMGI_GETREQUESTEDHELPERINTERFACES, 4, false, ERROR_NOT_SUPPORTED, 0, "GetInfo mode 4 fails, error 50"},
    };
    for (const Failure &f : failures) {
        value = 0;
        needed = kUntouched;
        SetLastError(0);
        hr = ui->GetInfo(f.mode, &value, f.cb, f.nullNeeded ? nullptr : &needed);
        DWORD err = GetLastError();
        checkf(hr == E_FAIL && err == f.wantError && needed == f.wantNeeded, f.what,
               "hr 0x%08lX, last error %lu, needed 0x%lX", (unsigned long)hr, (unsigned long)err,
               (unsigned long)needed);
    }

    // QueryColorProfile.
    WCHAR profile[32];
    std::wmemset(profile, L'#', 32);
    ULONG cb = 32;
    FLONG flags = 0;
    hr = ui->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, QCP_DEVICEPROFILE, profile, &cb, &flags);
    checkf(hr == S_OK && std::wcscmp(profile, L"OEMPROFILE.icm") == 0 && cb == 32 && flags == QCP_PROFILEDISK,
           "QueryColorProfile with 32 bytes names OEMPROFILE.icm on disk", "hr 0x%08lX, cb %lu, flags %lu",
           (unsigned long)hr, (unsigned long)cb, (unsigned long)flags);

    cb = 31;
    SetLastError(0);
    hr = ui->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, QCP_DEVICEPROFILE, profile, &cb, &flags);
    DWORD err = GetLastError();
    checkf(hr == E_FAIL && cb == 32 && err == ERROR_INSUFFICIENT_BUFFER,
           "QueryColorProfile with 31 bytes fails, needs 32, error 122", "hr 0x%08lX, cb %lu, last error %lu",
           (unsigned long)hr, (unsigned long)cb, (unsigned long)err);

    cb = 64;
    hr = ui->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, QCP_SOURCEPROFILE, profile, &cb, &flags);
    check(hr == E_FAIL && cb == 64, "QueryColorProfile refuses QCP_SOURCEPROFILE without touching the size");

    // Every slot that is safe to call without a driver around it, by number.
    // A slot out of place or a method that is not __stdcall fails here.
    DWORD result = 0;
    WCHAR name[] = L"no such printer";
    checkSlot(ui, 3, {OEMGI_GETVERSION, P(&value), 4, P(&needed)}, S_OK, "slot 3 GetInfo");
    checkSlot(ui, 9, {0, 0, 0, 0}, E_NOTIMPL, "slot 9 DevQueryPrintEx");
    checkSlot(ui, 10, {0, 0, 0, DC_PAPERS, 0, 0, 0, 0, P(&result)}, E_NOTIMPL, "slot 10 DeviceCapabilities");
    checkSlot(ui, 11, {1, 0}, E_NOTIMPL, "slot 11 UpgradePrinter");
    checkSlot(ui, 12, {P(name), 99, 0, 0}, S_OK, "slot 12 PrinterEvent (unhandled event)");
    checkSlot(ui, 13, {DRIVER_EVENT_INITIALIZE, 3, 0, 0}, S_OK, "slot 13 DriverEvent");
    cb = 32;
    checkSlot(ui, 14, {0, 0, 0, 0, QCP_DEVICEPROFILE, P(profile), P(&cb), P(&flags)}, S_OK,
              "slot 14 QueryColorProfile");
    checkSlot(ui, 15, {0, WM_INITDIALOG, 0, 0}, E_NOTIMPL, "slot 15 FontInstallerDlgProc");
    checkSlot(ui, 16, {0, 0, 0}, E_NOTIMPL, "slot 16 UpdateExternalFonts");
}

// The private devmode record needs no spooler: size, default, convert and
// merge through the real calling convention. Fields by 32-bit index.
void testDevMode(IPrintOemUI *ui)
{
    enum {
        kSize = 0,
        kSignature = 1,
        kVersion = 2,
        kDriverData = 3,
        kPaperChoose = 4,
        kSpeed = 7,
        kDensity = 8,
        kRotate = 11,
        kMirror = 22,
        kFields = 27
    };
    OEMDMPARAM param = {};
    param.cbSize = sizeof param;
    HRESULT hr = ui->DevMode(OEMDM_SIZE, &param);
    checkf(hr == S_OK && param.cbBufSize == 108, "DevMode(OEMDM_SIZE) asks for 108 bytes", "hr 0x%08lX, size %lu",
           (unsigned long)hr, (unsigned long)param.cbBufSize);

    DWORD defaults[kFields];
    std::memset(defaults, 0x5A, sizeof defaults);
    param.pOEMDMOut = defaults;
    param.cbBufSize = sizeof defaults;
    hr = ui->DevMode(OEMDM_DEFAULT, &param);
    check(hr == S_OK && defaults[kSize] == 108 && defaults[kSignature] == 0x4D534654 && defaults[kVersion] == 3 &&
              defaults[kDriverData] == 0 && defaults[kSpeed] == 4 && defaults[kDensity] == 8 &&
              defaults[kRotate] == 1 && defaults[kPaperChoose] == 0x5A5A5A5A,
          "DevMode(OEMDM_DEFAULT) writes the defaults and leaves the pending selections");

    // An older 64-byte record with an out-of-range item selection.
    DWORD older[kFields];
    std::memcpy(older, defaults, sizeof older);
    older[kSize] = 64;
    older[kDriverData] = 101;
    older[kSpeed] = 2;
    older[kMirror] = 1;
    DWORD merged[kFields];
    std::memcpy(merged, defaults, sizeof merged);
    param.pOEMDMIn = older;
    param.pOEMDMOut = merged;
    hr = ui->DevMode(OEMDM_MERGE, &param);
    check(hr == S_OK && merged[kSize] == 108 && merged[kSpeed] == 2 && merged[kMirror] == 0 && merged[kDriverData] == 0,
          "DevMode(OEMDM_MERGE) of a 64-byte record keeps its bytes and bounds the selection");

    older[kSignature] = 0x12345678;
    hr = ui->DevMode(OEMDM_CONVERT, &param);
    check(hr == S_OK && merged[kSpeed] == 4 && merged[kSignature] == 0x4D534654,
          "DevMode(OEMDM_CONVERT) of a foreign record gives the defaults");

    SetLastError(0);
    hr = ui->DevMode(5, &param);
    DWORD err = GetLastError();
    check(hr == E_FAIL && err == ERROR_INVALID_PARAMETER, "DevMode with mode 5 fails with error 87");
    param.pOEMDMIn = param.pOEMDMOut = nullptr;
    checkSlot(ui, 4, {OEMDM_SIZE, P(&param)}, S_OK, "slot 4 DevMode");
}

void testProvider(IPrintOemPrintTicketProvider *pt)
{
    INT *versions = nullptr;
    INT count = -1;
    HRESULT hr = pt->GetSupportedVersions(nullptr, &versions, &count);
    checkf(hr == S_OK && count == 1 && versions && versions[0] == 1, "GetSupportedVersions gives the one version 1",
           "hr 0x%08lX, count %d, first %d", (unsigned long)hr, count, versions ? versions[0] : -1);
    CoTaskMemFree(versions);  // the block is the caller's, from CoTaskMemAlloc

    checkHr(pt->GetSupportedVersions(nullptr, nullptr, &count), E_INVALIDARG, "GetSupportedVersions null list");
    checkHr(pt->GetSupportedVersions(nullptr, &versions, nullptr), E_INVALIDARG, "GetSupportedVersions null count");

    OEMPTOPTS opts = 0xFF;
    INT nsCount = 0;
    BSTR *ns = nullptr;
    hr = pt->BindPrinter(reinterpret_cast<HANDLE>(1), 1, &opts, &nsCount, &ns);
    bool nsOk = ns && ns[0] && SysStringLen(ns[0]) > 0;
    checkf(hr == S_OK && opts == OEMPT_DEFAULT && nsCount == 1 && nsOk, "BindPrinter gives one namespace",
           "hr 0x%08lX, options %lu, count %d", (unsigned long)hr, (unsigned long)opts, nsCount);
    if (ns) {
        SysFreeString(ns[0]);
        CoTaskMemFree(ns);
    }

    BSTR uri = nullptr;
    hr = pt->QueryDeviceDefaultNamespace(&uri);
    check(hr == S_OK && uri && SysStringLen(uri) > 0, "QueryDeviceDefaultNamespace gives a system string");
    SysFreeString(uri);

    SlotResult r = callSlot(pt, 3, {0, P(&versions), P(&count)});
    check(r.hr == S_OK && r.stackLeft == 0 && count == 1, "provider slot 3 GetSupportedVersions");
    if (r.hr == S_OK)
        CoTaskMemFree(versions);
    checkSlot(pt, 4, {1, 1, 0, 0, 0}, E_POINTER, "provider slot 4 BindPrinter (no outputs)");
    checkSlot(pt, 5, {0}, E_INVALIDARG, "provider slot 5 PublishPrintTicketHelperInterface (null)");
    checkSlot(pt, 6, {0}, E_POINTER, "provider slot 6 QueryDeviceDefaultNamespace (null)");
    checkSlot(pt, 10, {0}, E_INVALIDARG, "provider slot 10 ExpandIntentOptions (null)");
    checkSlot(pt, 11, {0}, E_INVALIDARG, "provider slot 11 ValidatePrintTicket (null)");
    // Neither looks into the ticket: any document pointer will do.
    static int ticket;
    checkSlot(pt, 10, {P(&ticket)}, S_OK, "provider slot 10 ExpandIntentOptions");
    checkSlot(pt, 11, {P(&ticket)}, S_NO_CONFLICT, "provider slot 11 ValidatePrintTicket gives S_NO_CONFLICT");
    BSTR replaced = SysAllocString(L"caller's");
    BSTR slot = replaced;
    hr = pt->QueryDeviceDefaultNamespace(&slot);
    check(hr == S_OK && slot != replaced && slot &&
              wcscmp(slot, L"http://schemas.microsoft.com/windows/printing/oemdriverpt/Condor-private") == 0,
          "QueryDeviceDefaultNamespace replaces the caller's string with the private namespace");
    SysFreeString(slot);
    SysFreeString(replaced);
    opts = 0xFF;
    ns = nullptr;
    hr = pt->BindPrinter(reinterpret_cast<HANDLE>(1), 2, &opts, &nsCount, &ns);
    check(hr == E_VERSION_NOT_SUPPORTED && opts == 0xFF && nsCount == 1 && ns, "BindPrinter of version 2 is refused");
    if (ns) {
        SysFreeString(ns[0]);
        CoTaskMemFree(ns);
    }
}

// The core driver's helper as far as the conversions use it: the MSXML
// objects come from the system's MSXML 6.
struct SmokeCoreHelper : public IPrintCoreHelperUni {
    STDMETHODIMP QueryInterface(REFIID iid, void **ppv) override
    {
        *ppv = (iid == IID_IUnknown || iid == IID_IPrintCoreHelper || iid == IID_IPrintCoreHelperUni) ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetOption(const DEVMODEW *, DWORD, PCSTR, PCSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP SetOptions(PDEVMODEW, DWORD, BOOL, const PRINT_FEATURE_OPTION *, DWORD, DWORD *, DWORD *) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP EnumConstrainedOptions(const DEVMODEW *, DWORD, PCSTR, PCSTR **, DWORD *) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP WhyConstrained(const DEVMODEW *, DWORD, PCSTR, PCSTR, const PRINT_FEATURE_OPTION **, DWORD *) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP EnumFeatures(PCSTR **, DWORD *) override { return E_NOTIMPL; }
    STDMETHODIMP EnumOptions(PCSTR, PCSTR **, DWORD *) override { return E_NOTIMPL; }
    STDMETHODIMP GetFontSubstitution(PCWSTR, PCWSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP SetFontSubstitution(PCWSTR, PCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP CreateInstanceOfMSXMLObject(REFCLSID clsid, IUnknown *outer, DWORD ctx, REFIID iid,
                                             LPVOID *ppv) override
    {
        return CoCreateInstance(clsid, outer, ctx != 0 ? ctx : static_cast<DWORD>(CLSCTX_INPROC_SERVER), iid, ppv);
    }
    STDMETHODIMP CreateGDLSnapshot(PDEVMODEW, DWORD, DWORD, IStream **) override { return E_NOTIMPL; }
    STDMETHODIMP CreateDefaultGDLSnapshot(DWORD, IStream **) override { return E_NOTIMPL; }
};

// Capabilities completed on the platform's own DOM, where MSXML 6 is there.
void testCapabilities(IPrintOemPrintTicketProvider *pt)
{
    IXMLDOMDocument2 *caps = nullptr;
    if (FAILED(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, msxml6::IID_Document2,
                                reinterpret_cast<void **>(&caps)))) {
        std::printf("skip no MSXML 6 here\n");
        return;
    }
    SmokeCoreHelper helper;
    checkHr(pt->PublishPrintTicketHelperInterface(&helper), S_OK, "PublishPrintTicketHelperInterface");
    BSTR xml = SysAllocString(
        L"<psf:PrintCapabilities version=\"1\" "
        L"xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
        L"xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" "
        L"xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"/>");
    VARIANT_BOOL loaded = VARIANT_FALSE;
    caps->loadXML(xml, &loaded);
    SysFreeString(xml);
    check(loaded == VARIANT_TRUE, "capabilities document loads");
    checkHr(pt->CompletePrintCapabilities(nullptr, caps), S_OK, "CompletePrintCapabilities");
    BSTR text = nullptr;
    caps->get_xml(&text);
    std::wstring out = text ? text : L"";
    SysFreeString(text);
    size_t defs = 0;
    for (size_t at = out.find(L"<psf:ParameterDef"); at != std::wstring::npos;
         at = out.find(L"<psf:ParameterDef", at + 1))
        ++defs;
    check(GetFileAttributesW(L"C:\\Users\\Public\\capability.xml") != INVALID_FILE_ATTRIBUTES,
          "CompletePrintCapabilities leaves its debug file");
    // Wine's namespace manager has no pushNodeContext; Windows' has.
    IMXNamespaceManager *manager = nullptr;
    bool scoped = false;
    if (SUCCEEDED(CoCreateInstance(CLSID_MXNamespaceManager60, nullptr, CLSCTX_INPROC_SERVER,
                                   msxml6::IID_NamespaceManager, reinterpret_cast<void **>(&manager)))) {
        IXMLDOMElement *root = nullptr;
        caps->get_documentElement(&root);
        scoped = root && manager->pushNodeContext(root, VARIANT_TRUE) != E_NOTIMPL;
        if (root)
            root->Release();
        manager->Release();
    }
    if (scoped)
        checkf(defs == 5 && out.find(L"ns0000:PageGapHeight") != std::wstring::npos,
               "CompletePrintCapabilities declares five parameters on the platform DOM", "%u found", (unsigned)defs);
    else
        std::printf("skip this MSXML's namespace manager cannot push a node context: parameters not checked\n");
    caps->Release();
}

// ---------------------------------------------------------------------------
// Resources with the real window system: every dialog template of every
// language created, every bitmap loaded.

struct TemplateItem {
    DWORD style;
    DWORD id;
    std::wstring className;
    bool bitmapTitle;  // title is an ordinal: a picture control's bitmap
};

struct DialogTemplate {
    DWORD style = 0;
    size_t styleOffset = 0;
    std::wstring title;
    std::vector<TemplateItem> items;
};

// Reads a DLGTEMPLATEEX within its resource's size. Layout:
//   WORD dlgVer (1), WORD signature (0xFFFF), DWORD helpID, DWORD exStyle,
//   DWORD style, WORD cDlgItems, short x, y, cx, cy; menu and window class
//   (each a sz_Or_Ord), title (a string); with DS_SETFONT (DS_SHELLFONT has
//   it): WORD pointsize, WORD weight, BYTE italic, BYTE charset, typeface;
//   then cDlgItems DLGITEMTEMPLATEEX, each on a 4-byte boundary: DWORD
//   helpID, exStyle, style, short x, y, cx, cy, DWORD id, window class and
//   title (each a sz_Or_Ord), WORD extraCount and that many bytes.
// A sz_Or_Ord is 0x0000 (none), 0xFFFF and a WORD ordinal, or a string.
class TemplateReader {
public:
    TemplateReader(const BYTE *data, size_t size) : data_(data), size_(size) {}

    bool read(DialogTemplate *t, std::string *error)
    {
        WORD version = word(), signature = word();
        if (!ok_ || version != 1 || signature != 0xFFFF)
            return fail(error, "not a DLGTEMPLATEEX");
        dword();  // helpID
        dword();  // exStyle
        t->styleOffset = pos_;
        t->style = dword();
        WORD count = word();
        pos_ += 8;  // x, y, cx, cy
        std::wstring menu, cls;
        bool ordinal;
        if (!szOrOrd(&menu, &ordinal) || !szOrOrd(&cls, &ordinal) || !string(&t->title))
            return fail(error, "header runs past the resource");
        if (t->style & DS_SETFONT) {
            pos_ += 6;  // pointsize, weight, italic, charset
            std::wstring face;
            if (!string(&face))
                return fail(error, "font block runs past the resource");
        }
        for (WORD i = 0; i < count; ++i) {
            pos_ = (pos_ + 3) & ~size_t(3);
            TemplateItem item;
            dword();  // helpID
            dword();  // exStyle
            item.style = dword();
            pos_ += 8;  // x, y, cx, cy
            item.id = dword();
            std::wstring title;
            WORD classOrdinal = 0;
            bool classIsOrdinal = false;
            if (!szOrOrd(&item.className, &classIsOrdinal, &classOrdinal) || !szOrOrd(&title, &item.bitmapTitle))
                return fail(error, "item " + std::to_string(i) + " runs past the resource");
            if (classIsOrdinal) {
                static const wchar_t *const kPredefined[] = {L"Button",  L"Edit",      L"Static",
                                                             L"ListBox", L"ScrollBar", L"ComboBox"};
                if (classOrdinal < 0x80 || classOrdinal > 0x85)
                    return fail(error,
                                "item " + std::to_string(i) + " has class ordinal " + std::to_string(classOrdinal));
                item.className = kPredefined[classOrdinal - 0x80];
            }
            WORD extra = word();
            pos_ += extra;
            if (!ok_ || pos_ > size_)
                return fail(error, "item " + std::to_string(i) + " runs past the resource");
            t->items.push_back(item);
        }
        return true;
    }

private:
    bool fail(std::string *error, const std::string &what)
    {
        *error = what;
        return false;
    }
    WORD word()
    {
        if (pos_ + 2 > size_) {
            ok_ = false;
            pos_ = size_;
            return 0;
        }
        WORD v;
        std::memcpy(&v, data_ + pos_, 2);
        pos_ += 2;
        return v;
    }
    DWORD dword()
    {
        DWORD lo = word();
        return lo | (DWORD(word()) << 16);
    }
    bool string(std::wstring *out)
    {
        out->clear();
        for (WORD c = word(); ok_ && c != 0; c = word())
            *out += static_cast<wchar_t>(c);
        return ok_;
    }
    bool szOrOrd(std::wstring *text, bool *isOrdinal, WORD *ordinal = nullptr)
    {
        *isOrdinal = false;
        text->clear();
        if (pos_ + 2 > size_)
            return ok_ = false;
        WORD first;
        std::memcpy(&first, data_ + pos_, 2);
        if (first == 0xFFFF) {
            pos_ += 2;
            WORD v = word();
            if (ordinal)
                *ordinal = v;
            *isOrdinal = true;
            return ok_;
        }
        return string(text);  // 0x0000 reads as the empty string
    }

    const BYTE *data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

INT_PTR CALLBACK plainDialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG ? TRUE : FALSE; }

BOOL CALLBACK collectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param)
{
    // A named (string) resource goes in as 0, which no expectation has.
    reinterpret_cast<std::vector<WORD> *>(param)->push_back(IS_INTRESOURCE(name) ? LOWORD(name) : 0);
    return TRUE;
}

BOOL CALLBACK collectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param)
{
    reinterpret_cast<std::set<LANGID> *>(param)->insert(language);
    return TRUE;
}

std::vector<WORD> resourceIds(HMODULE dll, LPCWSTR type)
{
    std::vector<WORD> ids;
    EnumResourceNamesW(dll, type, collectName, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

// Creates one (id, language) template hidden, as a child of host, and checks
// it against its own item list. Returns "" or what went wrong.
std::string checkDialog(HMODULE dll, HWND host, WORD id, LANGID language)
{
    HRSRC found = FindResourceExW(dll, RT_DIALOG, MAKEINTRESOURCEW(id), language);
    HGLOBAL loaded = found ? LoadResource(dll, found) : nullptr;
    const void *data = loaded ? LockResource(loaded) : nullptr;
    DWORD size = found ? SizeofResource(dll, found) : 0;
    if (!data || size == 0)
        return "FindResourceExW/LoadResource/LockResource failed";

    DialogTemplate t;
    std::string error;
    if (!TemplateReader(static_cast<const BYTE *>(data), size).read(&t, &error))
        return error;

    // A DWORD-aligned copy without WS_VISIBLE: the dialog manager aligns the
    // items on absolute 4-byte boundaries.
    std::vector<DWORD> copy((size + 3) / 4);
    std::memcpy(copy.data(), data, size);
    DWORD hidden = t.style & ~static_cast<DWORD>(WS_VISIBLE);
    std::memcpy(reinterpret_cast<BYTE *>(copy.data()) + t.styleOffset, &hidden, sizeof hidden);

    SetLastError(0);
    HWND dlg =
        CreateDialogIndirectParamW(dll, reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()), host, plainDialogProc, 0);
    if (!dlg || !IsWindow(dlg))
        return "CreateDialogIndirectParamW failed, error " + std::to_string(GetLastError());

    std::string problems;
    auto problem = [&problems](const std::string &what) { problems += (problems.empty() ? "" : "; ") + what; };
    for (const TemplateItem &item : t.items) {
        if (item.id == 0xFFFFFFFF || item.id == 0xFFFF)
            continue;
        std::string name = "control " + std::to_string(item.id);
        HWND control = GetDlgItem(dlg, static_cast<int>(item.id));
        if (!control) {
            problem(name + " (" + printable(item.className) + ") missing");
            continue;
        }
        WCHAR cls[64] = L"";
        GetClassNameW(control, cls, 64);
        if (lstrcmpiW(cls, item.className.c_str()) != 0)
            problem(name + " is " + printable(cls) + ", the template says " + printable(item.className));
        // A picture that names a bitmap must have found it in the module.
        if (item.bitmapTitle && lstrcmpiW(cls, L"Static") == 0 && (item.style & SS_TYPEMASK) == SS_BITMAP &&
            !SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0))
            problem(name + " shows no bitmap");
    }
    std::wstring caption(static_cast<size_t>(GetWindowTextLengthW(dlg)) + 1, L'\0');
    caption.resize(static_cast<size_t>(GetWindowTextW(dlg, &caption[0], static_cast<int>(caption.size()))));
    if (caption != t.title)
        problem("caption \"" + printable(caption) + "\", template \"" + printable(t.title) + "\"");
    if (!DestroyWindow(dlg) || IsWindow(dlg))
        problem("DestroyWindow failed");
    return problems;
}

void testDialogs(HMODULE dll)
{
    // The 17 languages; 108 and 240 exist in Simplified Chinese only.
    const std::set<LANGID> all = {0x0804, 0x0409, 0x0404, 0x0411, 0x0412, 0x0407, 0x040C, 0x0C0A, 0x0410,
                                  0x0416, 0x0419, 0x0415, 0x0413, 0x041F, 0x0405, 0x041E, 0x042A};
    const std::set<LANGID> chineseOnly = {0x0804};
    const std::map<WORD, std::set<LANGID>> expected = {
        {108, chineseOnly}, {109, all}, {110, all}, {111, all},         {112, all},
        {113, all},         {217, all}, {238, all}, {240, chineseOnly},
    };

    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                                ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
    check(InitCommonControlsEx(&icc) != FALSE, "InitCommonControlsEx");

    // The pages are child dialogs and need a parent; the modal ones get an owner.
    SetLastError(0);
    HWND host = CreateWindowExW(0, L"Static", L"orvoui-smoke", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    checkf(host != nullptr, "a hidden top-level window is created (the window system works)", "error %lu",
           (unsigned long)GetLastError());
    if (!host)
        return;

    std::map<WORD, std::set<LANGID>> found;
    size_t pairs = 0;
    for (WORD id : resourceIds(dll, RT_DIALOG)) {
        std::set<LANGID> &languages = found[id];
        if (id != 0)
            EnumResourceLanguagesW(dll, RT_DIALOG, MAKEINTRESOURCEW(id), collectLanguage,
                                   reinterpret_cast<LONG_PTR>(&languages));
        pairs += languages.size();
    }

    for (const auto &entry : found) {
        WORD id = entry.first;
        const std::set<LANGID> &languages = entry.second;
        int bad = 0;
        for (LANGID language : languages) {
            std::string problems = checkDialog(dll, host, id, language);
            if (!problems.empty()) {
                ++bad;
                std::printf("     dialog %u language 0x%04X: %s\n", id, language, problems.c_str());
            }
        }
        auto want = expected.find(id);
        std::string languageErrors;
        if (want == expected.end()) {
            languageErrors = ", an unexpected dialog";
        } else {
            char buf[16];
            for (LANGID language : want->second)
                if (!languages.count(language)) {
                    std::snprintf(buf, sizeof buf, " 0x%04X", language);
                    languageErrors += (languageErrors.empty() ? ", missing" : "") + std::string(buf);
                }
            bool extra = false;
            for (LANGID language : languages)
                if (!want->second.count(language)) {
                    std::snprintf(buf, sizeof buf, " 0x%04X", language);
                    languageErrors += (extra ? "" : ", unexpected") + std::string(buf);
                    extra = true;
                }
        }
        std::string what = "dialog " + std::to_string(id) + ": " + std::to_string(languages.size()) +
                           " language(s), each created with its controls' ids and classes and its caption";
        checkf(bad == 0 && languageErrors.empty(), what.c_str(), "%d failed%s", bad, languageErrors.c_str());
    }

    size_t wantPairs = 0;
    for (const auto &entry : expected)
        wantPairs += entry.second.size();
    std::string idList;
    for (const auto &entry : found)
        idList += " " + std::to_string(entry.first);
    checkf(
        found.size() == expected.size() && pairs == wantPairs &&
            std::equal(found.begin(), found.end(), expected.begin(),
                       [](const auto &a, const auto &b) { return a.first == b.first; }),
        ("RT_DIALOG: dialogs 108-113, 217, 238, 240, " + std::to_string(wantPairs) + " (id, language) pairs").c_str(),
        "%u pairs, ids%s", (unsigned)pairs, idList.c_str());
    DestroyWindow(host);
}

void testBitmaps(HMODULE dll)
{
    std::vector<WORD> ids = resourceIds(dll, RT_BITMAP);
    std::string bad;
    for (WORD id : ids) {
        HANDLE image = id ? LoadImageW(dll, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION) : nullptr;
        BITMAP bm = {};
        bool ok = image && GetObjectW(image, sizeof bm, &bm) == sizeof bm && bm.bmWidth > 0 && bm.bmHeight > 0 &&
                  bm.bmBits != nullptr;
        if (!ok)
            bad += " " + std::to_string(id);
        if (image)
            DeleteObject(image);
    }
    checkf(ids.size() == 33 && bad.empty(), "RT_BITMAP: 33 bitmaps, each loads as a DIB section with a size",
           "%u bitmaps, failing ids:%s", (unsigned)ids.size(), bad.empty() ? " none" : bad.c_str());
}

// The sheet function of the common property sheet: keeps the pages it is given.
struct SheetRecorder {
    std::vector<PROPSHEETPAGEW> pages;
};

LONG_PTR CALLBACK recordPage(HANDLE sheet, UINT function, LPARAM page, LPARAM)
{
    auto *recorder = reinterpret_cast<SheetRecorder *>(sheet);
    if (function != CPSFUNC_ADD_PROPSHEETPAGEW || page == 0)
        return 0;
    recorder->pages.push_back(*reinterpret_cast<const PROPSHEETPAGEW *>(page));
    return static_cast<LONG_PTR>(recorder->pages.size());
}

LRESULT notifyPage(HWND page, HWND sheet, UINT code)
{
    PSHNOTIFY notify = {};
    notify.hdr.hwndFrom = sheet;
    notify.hdr.code = code;
    SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
    SendMessageW(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    return GetWindowLongPtrW(page, DWLP_MSGRESULT);
}

bool shown(HWND page, int id) { return (GetWindowLongW(GetDlgItem(page, id), GWL_STYLE) & WS_VISIBLE) != 0; }

// What the driver hands the sheet functions: its two parameter blocks over
// one OEM heap and job record, and a sheet info whose page additions are
// recorded.
struct SheetCall {
    OEMCUIPPARAM uiParam = {};
    OEMUIPSPARAM param = {};
    SheetRecorder recorder;
    PROPSHEETUI_INFO info = {};

    SheetCall(HANDLE heap, HMODULE dll, HANDLE printer, void *record)
    {
        uiParam.cbSize = sizeof(uiParam);
        uiParam.hOEMHeap = heap;
        uiParam.hModule = dll;
        uiParam.hPrinter = printer;
        uiParam.pOEMDM = record;
        param.cbSize = sizeof(param);
        param.hOEMHeap = heap;
        param.hModule = dll;
        param.hPrinter = printer;
        param.pOEMDM = record;
        Restart();
    }
    SheetCall(const SheetCall &) = delete;
    SheetCall &operator=(const SheetCall &) = delete;

    // A new INIT, with no page recorded yet.
    void Restart()
    {
        recorder.pages.clear();
        info = {sizeof(info),
                PROPSHEETUI_INFO_VERSION,
                0,
                PROPSHEETUI_REASON_INIT,
                reinterpret_cast<HANDLE>(&recorder),
                recordPage,
                reinterpret_cast<LPARAM>(&param),
                0,
                0};
    }
};

// The job's private record, 27 DWORDs, with no driver selection pending.
struct JobRecord {
    DWORD words[27] = {108, 0x4D534654, 3, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
};

// The sheets as the driver asks for them, with no printer behind them (the
// printer's data cannot be read), and their pages made by the real window
// system with the plug-in's own procedures.
void testSheets(IPrintOemUI *ui, HMODULE dll)
{
    HANDLE heap = HeapCreate(0, 0, 0);
    HWND sheet = CreateWindowExW(0, L"Static", L"sheet", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (!heap || !sheet) {
        check(false, "a heap and a sheet window for the sheet checks");
        return;
    }

    // The driver's items: the plug-in hides those its pages replace.
    char paperSize[] = "PaperSize", orientation[] = "Orientation", oemItem[] = "OEMSpeed";
    USERDATA data[3] = {{sizeof(USERDATA), 0, paperSize, {}},
                        {sizeof(USERDATA), 1, orientation, {}},
                        {sizeof(USERDATA), 2, oemItem, {}}};
    OPTITEM items[3] = {};
    for (int i = 0; i < 3; ++i) {
        items[i].cbSize = sizeof(OPTITEM);
        items[i].UserData = reinterpret_cast<ULONG_PTR>(&data[i]);
        items[i].Flags = OPTIF_CALLBACK;
    }
    JobRecord record;
    SheetCall call(heap, dll, nullptr, record.words);
    OEMCUIPPARAM &uiParam = call.uiParam;
    SheetRecorder &recorder = call.recorder;
    PROPSHEETUI_INFO &info = call.info;
    uiParam.pDrvOptItems = items;
    uiParam.cDrvOptItems = 3;
    HRESULT hr = ui->CommonUIProp(OEMCUIP_DOCPROP, &uiParam);
    checkf(hr == S_OK && items[0].Flags == OPTIF_HIDE && items[1].Flags == OPTIF_CALLBACK &&
               items[2].Flags == OPTIF_HIDE && uiParam.OEMCUIPCallback != nullptr,
           "CommonUIProp document mode hides PaperSize and OEM items and registers its callback",
           "hr 0x%08lX, flags %lu %lu %lu", (unsigned long)hr, (unsigned long)items[0].Flags,
           (unsigned long)items[1].Flags, (unsigned long)items[2].Flags);

    hr = ui->DocumentPropertySheets(&info, 0);
    bool pagesOk = recorder.pages.size() == 3;
    const WORD want[] = {110, 111, 112};
    for (size_t i = 0; pagesOk && i < 3; ++i) {
        const PROPSHEETPAGEW &page = recorder.pages[i];
        pagesOk = page.dwSize == sizeof(PROPSHEETPAGEW) && page.hInstance == dll &&
                  reinterpret_cast<ULONG_PTR>(page.pszTemplate) == want[i] && page.pfnDlgProc != nullptr &&
                  page.lParam == static_cast<LPARAM>(info.UserData) && info.UserData != 0;
    }
    checkf(hr == S_OK && pagesOk && info.Result == 3,
           "document sheet: pages 110, 111, 112 through the sheet function, sharing one context",
           "hr 0x%08lX, %u pages, result %lu", (unsigned long)hr, (unsigned)recorder.pages.size(),
           (unsigned long)info.Result);

    bool made = pagesOk;
    for (size_t i = 0; pagesOk && i < recorder.pages.size(); ++i) {
        PROPSHEETPAGEW &page = recorder.pages[i];
        HWND window = CreateDialogParamW(page.hInstance, page.pszTemplate, sheet, page.pfnDlgProc,
                                         reinterpret_cast<LPARAM>(&page));
        if (!window) {
            made = false;
            continue;
        }
        notifyPage(window, sheet, static_cast<UINT>(PSN_SETACTIVE));
        if (i == 0) {
            // Without the printer's data every option box stays; each click
            // changes the option picture, and special tape locks chain and cut.
            bool pictures = true;
            for (int id : {1039, 1040, 1041, 1071, 1072}) {
                HANDLE before =
                    reinterpret_cast<HANDLE>(SendDlgItemMessageW(window, 1074, STM_GETIMAGE, IMAGE_BITMAP, 0));
                SendDlgItemMessageW(window, id, BM_CLICK, 0, 0);
                HANDLE after =
                    reinterpret_cast<HANDLE>(SendDlgItemMessageW(window, 1074, STM_GETIMAGE, IMAGE_BITMAP, 0));
                if (id != 1071 && id != 1072)
                    pictures = pictures && after != nullptr && after != before;
            }
            check(pictures, "Page Setup page: chain, mirror and auto cut clicks change the option picture");
            SendDlgItemMessageW(window, 1084, BM_CLICK, 0, 0);
            check(IsDlgButtonChecked(window, 1084) == BST_CHECKED && !IsWindowEnabled(GetDlgItem(window, 1039)) &&
                      !IsWindowEnabled(GetDlgItem(window, 1041)) && IsDlgButtonChecked(window, 1039) == BST_UNCHECKED,
                  "Page Setup page: special tape clears and disables chain and auto cut");
            SendDlgItemMessageW(window, 1084, BM_CLICK, 0, 0);
            check(IsWindowEnabled(GetDlgItem(window, 1039)) && IsWindowEnabled(GetDlgItem(window, 1041)),
                  "Page Setup page: chain and auto cut come back with special tape off");
        }
        if (i == 1) {
            for (int id : {1061, 1062, 1060, 1070})
                SendDlgItemMessageW(window, id, BM_CLICK, 0, 0);
            check(IsDlgButtonChecked(window, 1060) == BST_CHECKED, "Graphics page: dithering clicks and Reset");
        }
        if (i == 2) {
            check(shown(window, 1070) && shown(window, 1080),
                  "Other page: the self-test group stays when the printer's data cannot be read");
            SendDlgItemMessageW(window, 1003, BM_CLICK, 0, 0);
            check(IsDlgButtonChecked(window, 1003) == BST_CHECKED, "Other page: inch checked by a click");
        }
        notifyPage(window, sheet, static_cast<UINT>(PSN_KILLACTIVE));
        notifyPage(window, sheet, static_cast<UINT>(PSN_APPLY));
        made = DestroyWindow(window) && made;
    }
    check(made, "document pages made, notified and destroyed with the plug-in's procedures");
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    check(ui->DocumentPropertySheets(&info, 0) == S_OK && info.Result == TRUE, "document sheet destroyed");

    call.Restart();
    hr = ui->DevicePropertySheets(&info, 0);
    WCHAR title[64] = L"";
    LoadStringW(dll, 17, title, 64);
    bool about = hr == S_OK && recorder.pages.size() == 1 &&
                 reinterpret_cast<ULONG_PTR>(recorder.pages[0].pszTemplate) == 108 &&
                 (recorder.pages[0].dwFlags & PSP_USETITLE) && recorder.pages[0].pszTitle != nullptr && title[0] != 0 &&
                 lstrcmpW(recorder.pages[0].pszTitle, title) == 0;
    check(about, "device sheet: the About page, titled with string 17");
    if (about) {
        HWND window = CreateDialogParamW(dll, recorder.pages[0].pszTemplate, sheet, recorder.pages[0].pfnDlgProc,
                                         reinterpret_cast<LPARAM>(&recorder.pages[0]));
        WCHAR placeholder[64] = L"";
        GetDlgItemTextW(window, 1082, placeholder, 64);
        check(window != nullptr && placeholder[0] != 0,
              "About page made; its placeholder stays without the driver's data");
        if (window)
            DestroyWindow(window);
    }
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    check(ui->DevicePropertySheets(&info, 0) == S_OK && info.UserData == 0, "device sheet frees its context");
    DestroyWindow(sheet);
    HeapDestroy(heap);
}

// Printers of the models in Wine's own spooler, on a driver that is only a
// name (a dummy file): the plug-in reads their driver names as on Windows;
// their paper lists stay empty, as Wine cannot ask the dummy driver.
HANDLE addModelPrinter(const wchar_t *model, std::wstring &name)
{
    WCHAR dir[MAX_PATH] = L"";
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(dir), sizeof(dir), &needed))
        return nullptr;
    std::wstring file = std::wstring(dir) + L"\\orvoui-smoke-driver.dll";
    HANDLE f = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE)
        CloseHandle(f);
    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<LPWSTR>(model);
    driver.pDriverPath = driver.pDataFile = driver.pConfigFile = const_cast<LPWSTR>(file.c_str());
    AddPrinterDriverW(nullptr, 3, reinterpret_cast<LPBYTE>(&driver));
    name = std::wstring(L"Smoke ") + model;
    PRINTER_INFO_2W info = {};
    info.pPrinterName = const_cast<LPWSTR>(name.c_str());
    info.pPortName = const_cast<LPWSTR>(L"FILE:");
    info.pDriverName = const_cast<LPWSTR>(model);
    info.pPrintProcessor = const_cast<LPWSTR>(L"winprint");
    info.pDatatype = const_cast<LPWSTR>(L"RAW");
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    if (printer == nullptr) {
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        OpenPrinterW(const_cast<LPWSTR>(name.c_str()), &printer, &defaults);
    }
    return printer;
}

// The Page Setup pages of a standard model, the four that show every
// option and the extended model, made by Wine's window system with the
// plug-in's procedures over printers of Wine's spooler: created, notified,
// each option box clicked, applied and destroyed without a crash.
void testModelSheets(IPrintOemUI *ui, HMODULE dll)
{
    HWND sheet = CreateWindowExW(0, L"Static", L"sheet", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    for (const wchar_t *model : {L"KestrelBT", L"Heron", L"HeronBT PRO", L"Osprey", L"Plover", L"FalconBT"}) {
        std::wstring name;
        HANDLE printer = addModelPrinter(model, name);
        char label[64];
        std::snprintf(label, sizeof(label), "%ls", model);
        if (printer == nullptr) {
            checkf(false, "a printer of the model in Wine's spooler", "%s: error %lu", label,
                   (unsigned long)GetLastError());
            continue;
        }
        HANDLE heap = HeapCreate(0, 0, 0);
        JobRecord record;
        SheetCall call(heap, dll, printer, record.words);
        SheetRecorder &recorder = call.recorder;
        PROPSHEETUI_INFO &info = call.info;
        ui->CommonUIProp(OEMCUIP_DOCPROP, &call.uiParam);
        HRESULT hr = ui->DocumentPropertySheets(&info, 0);
        bool extended = lstrcmpW(model, L"FalconBT") == 0;
        bool allOptions = !extended && lstrcmpW(model, L"KestrelBT") != 0;
        WORD setup = extended ? 113 : 110;
        bool ok = hr == S_OK && !recorder.pages.empty() &&
                  reinterpret_cast<ULONG_PTR>(recorder.pages[0].pszTemplate) == setup;
        checkf(ok, "document sheet of the model's printer starts with its Page Setup page", "%s: hr 0x%08lX", label,
               (unsigned long)hr);
        for (size_t i = 0; ok && i < recorder.pages.size(); ++i) {
            PROPSHEETPAGEW &page = recorder.pages[i];
            HWND window = CreateDialogParamW(page.hInstance, page.pszTemplate, sheet, page.pfnDlgProc,
                                             reinterpret_cast<LPARAM>(&page));
            if (!window) {
                checkf(false, "page made", "%s page %u", label, (unsigned)i);
                continue;
            }
            notifyPage(window, sheet, static_cast<UINT>(PSN_SETACTIVE));
            if (i == 0) {
                bool layout = shown(window, 1040) && shown(window, 1039) == (allOptions || extended) &&
                              shown(window, 1041) == (allOptions || extended);
                checkf(layout, "Page Setup page: the option boxes the model shows", "%s", label);
                for (int id : {1039, 1040, 1041, 1085, 1084, 1084, 1071, 1072, 1086, 1086})
                    if (shown(window, id) && IsWindowEnabled(GetDlgItem(window, id)))
                        SendDlgItemMessageW(window, id, BM_CLICK, 0, 0);
                if (extended) {
                    SendDlgItemMessageW(window, 1015, CB_SETCURSEL, 3, 0);
                    SendMessageW(window, WM_COMMAND, MAKEWPARAM(1015, CBN_SELCHANGE),
                                 reinterpret_cast<LPARAM>(GetDlgItem(window, 1015)));
                    check(SendDlgItemMessageW(window, 1015, CB_GETCOUNT, 0, 0) == 4,
                          "extended Page Setup page: four print qualities");
                }
            }
            notifyPage(window, sheet, static_cast<UINT>(PSN_KILLACTIVE));
            notifyPage(window, sheet, static_cast<UINT>(PSN_APPLY));
            DestroyWindow(window);
        }
        info.Reason = PROPSHEETUI_REASON_DESTROY;
        ui->DocumentPropertySheets(&info, 0);
        HeapDestroy(heap);
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
    DestroyWindow(sheet);
}

}  // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::wstring path;
    if (argc > 1) {
        WCHAR buf[MAX_PATH];
        int n = MultiByteToWideChar(CP_ACP, 0, argv[1], -1, buf, MAX_PATH);
        path = n > 0 ? buf : L"";
    } else {
        path = defaultDllPath();
    }
    std::printf("loading %ls\n", path.c_str());

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HMODULE dll = LoadLibraryW(path.c_str());
    checkf(dll != nullptr, "LoadLibraryW", "error %lu", (unsigned long)GetLastError());
    if (dll) {
        pDllGetClassObject =
            reinterpret_cast<PFN_DllGetClassObject>(reinterpret_cast<void *>(GetProcAddress(dll, "DllGetClassObject")));
        pDllCanUnloadNow =
            reinterpret_cast<PFN_DllCanUnloadNow>(reinterpret_cast<void *>(GetProcAddress(dll, "DllCanUnloadNow")));
        check(pDllGetClassObject != nullptr, "export DllGetClassObject");
        check(pDllCanUnloadNow != nullptr, "export DllCanUnloadNow");
    }
    if (pDllGetClassObject && pDllCanUnloadNow) {
        check(unloadable(), "DllCanUnloadNow is S_OK before anything is created");
        testClassObjects();
        testCreateInstance();

        void *pv = nullptr;
        if (create(CLSID_OEMUI, IID_IPrintOemUI, &pv) == S_OK && pv) {
            auto *ui = static_cast<IPrintOemUI *>(pv);
            testUiObject(ui);
            testDevMode(ui);
            testSheets(ui, dll);
            testModelSheets(ui, dll);
            check(ui->Release() == 0, "IOemUI last Release returns 0");
        } else {
            check(false, "IOemUI for the method checks");
        }
        pv = nullptr;
        if (create(CLSID_OEMPTPROVIDER, IID_IPrintOemPrintTicketProvider, &pv) == S_OK && pv) {
            auto *pt = static_cast<IPrintOemPrintTicketProvider *>(pv);
            testProvider(pt);
            testCapabilities(pt);
            check(pt->Release() == 0, "provider last Release returns 0");
        } else {
            check(false, "print ticket provider for the method checks");
        }
        HRESULT hr = pDllCanUnloadNow();
        checkf(hr == S_OK, "DllCanUnloadNow is S_OK once everything is released", "hr 0x%08lX", (unsigned long)hr);
    }
    if (dll) {
        testDialogs(dll);
        testBitmaps(dll);
        check(FreeLibrary(dll) != FALSE, "FreeLibrary");
    }
    CoUninitialize();

    return report::finish();
}
