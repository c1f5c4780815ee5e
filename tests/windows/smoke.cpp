// Smoke test of the real orvoui.dll under Windows or Wine: loads it as the
// spooler does, calls every method slot of its objects through the raw
// interface layout, runs its sheets through the harness (winhost/host.h) and
// checks what each model's pages show, and loads every bitmap.
// Usage: orvoui-smoke [path\to\orvoui.dll]   (default: orvoui.dll next to the exe)

#include <cstdint>
#include <initializer_list>

#include "platform/win32.h"
#include "resources/resource.h"
#include "tests/windows/report.h"

namespace {

using report::check;
using report::checkf;

// {ABCE80D7-9F46-11D1-882A-00C04FB961EC}
const CLSID CLSID_OEMUI = {0xABCE80D7, 0x9F46, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};
// {91723892-45D2-48E2-9EC9-562379DAF992}
const CLSID CLSID_OEMPTPROVIDER = {0x91723892, 0x45D2, 0x48E2, {0x9E, 0xC9, 0x56, 0x23, 0x79, 0xDA, 0xF9, 0x92}};

HRESULT(STDAPICALLTYPE *pDllGetClassObject)(REFCLSID, REFIID, void **);
HRESULT(STDAPICALLTYPE *pDllCanUnloadNow)();
bool unloadable() { return pDllCanUnloadNow() == S_OK; }

// Raw vtable calls: the slot numbers are the platform's interface layout,
// written out here rather than taken from our own header, so a wrong order
// in the header shows up too. On 32-bit x86 a thunk also measures how many
// bytes of arguments the callee popped: a COM method is __stdcall and must
// pop all of them (this pointer included).
struct SlotResult {
    HRESULT hr;
    int stackLeft;
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
    uintptr_t a[10] = {};
    size_t n = 0;
    for (uintptr_t v : args)
        a[n++] = v;
#if defined(__i386__)
    uint32_t raw[11] = {reinterpret_cast<uint32_t>(object)};
    for (size_t i = 0; i < n; ++i)
        raw[i + 1] = static_cast<uint32_t>(a[i]);
    int32_t left = -1;
    HRESULT hr = orvo_call_stdcall(fn, raw, static_cast<int>(n + 1), &left);
    return {hr, left};
#else
    // x64 has one calling convention; every argument takes a 64-bit slot.
    typedef HRESULT (*F)(void *, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                         uintptr_t, uintptr_t);
    return {reinterpret_cast<F>(fn)(object, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]), 0};
#endif
}

template <typename T>
uintptr_t P(T *p)
{
    return reinterpret_cast<uintptr_t>(p);
}

struct Slot {
    int slot;
    std::initializer_list<uintptr_t> args;
    HRESULT want;
    const char *what;
};

void checkSlots(void *object, std::initializer_list<Slot> slots)
{
    for (const Slot &s : slots) {
        SlotResult r = callSlot(object, s.slot, s.args);
        checkf(r.hr == s.want && r.stackLeft == 0, s.what, "hr 0x%08lX (expected 0x%08lX), %d bytes left on the stack",
               (unsigned long)r.hr, (unsigned long)s.want, r.stackLeft);
    }
}

// Creates an object through a fresh factory of the given class.
HRESULT create(REFCLSID clsid, REFIID iid, void **ppv)
{
    IClassFactory *cf = nullptr;
    HRESULT hr = pDllGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void **>(&cf));
    if (FAILED(hr)) {
        *ppv = nullptr;
        return hr;
    }
    hr = cf->CreateInstance(nullptr, iid, ppv);
    cf->Release();
    return hr;
}

void testUiSlots(IPrintOemUI *ui)
{
    DWORD value = 0, needed = 0, result = 0;
    WCHAR name[] = L"no such printer", profile[32];
    ULONG cb = sizeof profile;
    FLONG flags = 0;
    OEMDMPARAM dm = {};
    dm.cbSize = sizeof dm;
    checkSlots(ui,
               {{3, {OEMGI_GETSIGNATURE, P(&value), 4, P(&needed)}, S_OK, "slot 3 GetInfo"},
                {4, {OEMDM_SIZE, P(&dm)}, S_OK, "slot 4 DevMode"},
                {9, {0, 0, 0, 0}, E_NOTIMPL, "slot 9 DevQueryPrintEx"},
                {10, {0, 0, 0, DC_PAPERS, 0, 0, 0, 0, P(&result)}, E_NOTIMPL, "slot 10 DeviceCapabilities"},
                {11, {1, 0}, E_NOTIMPL, "slot 11 UpgradePrinter"},
                {12, {P(name), 99, 0, 0}, S_OK, "slot 12 PrinterEvent (unhandled event)"},
                {13, {DRIVER_EVENT_INITIALIZE, 3, 0, 0}, S_OK, "slot 13 DriverEvent"},
                {14, {0, 0, 0, 0, QCP_DEVICEPROFILE, P(profile), P(&cb), P(&flags)}, S_OK, "slot 14 QueryColorProfile"},
                {15, {0, WM_INITDIALOG, 0, 0}, E_NOTIMPL, "slot 15 FontInstallerDlgProc"},
                {16, {0, 0, 0}, E_NOTIMPL, "slot 16 UpdateExternalFonts"}});
    checkf(value == 0x4D534654 && needed == 4 && dm.cbBufSize == 108 && lstrcmpW(profile, L"OEMPROFILE.icm") == 0,
           "the signature, a 108-byte private record and the device profile", "signature 0x%08lX, record %lu",
           (unsigned long)value, (unsigned long)dm.cbBufSize);
}

void testProviderSlots(IPrintOemPrintTicketProvider *pt)
{
    INT *versions = nullptr, count = 0;
    BSTR uri = nullptr;
    static int ticket;  // neither method looks into the ticket
    checkSlots(pt, {{3, {0, P(&versions), P(&count)}, S_OK, "provider slot 3 GetSupportedVersions"},
                    {4, {1, 1, 0, 0, 0}, E_POINTER, "provider slot 4 BindPrinter (no outputs)"},
                    {5, {0}, E_INVALIDARG, "provider slot 5 PublishPrintTicketHelperInterface (null)"},
                    {6, {P(&uri)}, S_OK, "provider slot 6 QueryDeviceDefaultNamespace"},
                    {10, {P(&ticket)}, S_OK, "provider slot 10 ExpandIntentOptions"},
                    {11, {P(&ticket)}, S_NO_CONFLICT, "provider slot 11 ValidatePrintTicket"}});
    check(count == 1 && versions && versions[0] == 1 && uri &&
              lstrcmpW(uri, L"http://schemas.microsoft.com/windows/printing/oemdriverpt/Condor-private") == 0,
          "the one ticket version 1 and the private namespace, in the caller's task memory and system string");
    CoTaskMemFree(versions);
    SysFreeString(uri);
}

bool shown(HWND page, int id) { return (GetWindowLongW(GetDlgItem(page, id), GWL_STYLE) & WS_VISIBLE) != 0; }
bool enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }

// The sheets as the driver brings them up over printers of Wine's spooler:
// what each model's pages show, and a click a user makes on each.
void testSheets(const std::wstring &path)
{
    winhost::Host host;
    std::string seen;
    int count = !host.Load(path) ? 0 : host.Run(0x0409, [&](const winhost::Shown &s) {
        HWND w = s.window;
        std::string name = s.Name();
        seen += " " + name;
        if (s.id == IDD_PAGE_SETUP || s.id == IDD_PAGE_SETUP_EX) {
            // Chain and auto cut where the model has them; special tape locks them.
            bool all = name != "KestrelBT-110";
            bool ok = shown(w, IDC_MIRROR) && shown(w, IDC_CHAIN) == all && shown(w, IDC_AUTO_CUT) == all;
            for (bool locked : {true, false})
                if (all) {
                    SendDlgItemMessageW(w, IDC_SPECIAL_TAPE, BM_CLICK, 0, 0);
                    ok = ok && enabled(w, IDC_CHAIN) != locked && enabled(w, IDC_AUTO_CUT) != locked;
                }
            checkf(ok, "Page Setup shows the model's option boxes; special tape locks chain and auto cut", "%s",
                   name.c_str());
        }
        if (s.id == IDD_PAGE_SETUP_EX)
            check(SendDlgItemMessageW(w, IDC_QUALITY_LIST, CB_GETCOUNT, 0, 0) == 4,
                  "extended Page Setup: four print qualities");
        if (s.id == IDD_OTHER)
            checkf(shown(w, IDC_SELF_TEST_PRINT) == (name != "Heron-112"),
                   "Other page: the self-test print where the model has it", "%s", name.c_str());
        if (s.id == IDD_DISTRIBUTED_PRINTING)
            check(SendDlgItemMessageW(w, IDC_DISTRIBUTED_LIST, LVM_GETITEMCOUNT, 0, 0) == 1,
                  "distributed printing lists the one printer of the extended model");
    });
    checkf(count == 13 && host.Error().empty(), "every page of the four sheets and the three dialogs shown",
           "%d shown:%s; %s", count, seen.c_str(), host.Error().c_str());
}

// Every bitmap loads as a DIB section.
void testBitmaps(HMODULE dll)
{
    int bitmaps = 0, bad = 0;
    for (WORD id = 1; id < 1000; ++id) {
        if (!FindResourceW(dll, MAKEINTRESOURCEW(id), RT_BITMAP))
            continue;
        ++bitmaps;
        HANDLE image = LoadImageW(dll, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        BITMAP bm = {};
        bad += image && GetObjectW(image, sizeof bm, &bm) == sizeof bm && bm.bmWidth > 0 && bm.bmBits ? 0 : 1;
        DeleteObject(image);
    }
    checkf(bitmaps == 33 && bad == 0, "33 bitmaps, each loads as a DIB section", "%d bitmaps, %d failing", bitmaps,
           bad);
}

}  // namespace

int main(int argc, char **argv)
{
    std::wstring path = report::start(argc, argv);
    std::printf("loading %s\n", report::printable(path).c_str());
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HMODULE dll = LoadLibraryW(path.c_str());
    if (dll) {
        pDllGetClassObject = reinterpret_cast<decltype(pDllGetClassObject)>(
            reinterpret_cast<void *>(GetProcAddress(dll, "DllGetClassObject")));
        pDllCanUnloadNow = reinterpret_cast<decltype(pDllCanUnloadNow)>(
            reinterpret_cast<void *>(GetProcAddress(dll, "DllCanUnloadNow")));
    }
    checkf(pDllGetClassObject && pDllCanUnloadNow && unloadable(),
           "LoadLibraryW, both exports, unloadable before anything is created", "error %lu",
           (unsigned long)GetLastError());
    if (pDllGetClassObject && pDllCanUnloadNow) {
        void *ui = nullptr, *pt = nullptr;
        if (create(CLSID_OEMUI, IID_IPrintOemUI, &ui) == S_OK)
            testUiSlots(static_cast<IPrintOemUI *>(ui));
        if (create(CLSID_OEMPTPROVIDER, IID_IPrintOemPrintTicketProvider, &pt) == S_OK)
            testProviderSlots(static_cast<IPrintOemPrintTicketProvider *>(pt));
        check(ui && pt && static_cast<IUnknown *>(ui)->Release() == 0 && static_cast<IUnknown *>(pt)->Release() == 0 &&
                  unloadable(),
              "both objects made and released; the module unloadable again");
        testSheets(path);
        testBitmaps(dll);
        check(FreeLibrary(dll) != FALSE, "FreeLibrary");
    }
    CoUninitialize();
    return report::finish();
}
