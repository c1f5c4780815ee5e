// ole32 and oleaut32 of the Linux stand-in: apartments, the in-process
// class table, task memory, system strings and variants.
#include "platform/linux/ole/ole.h"

#include "platform/linux/crt/crt.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

using standin::Counters;

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

namespace {

// The failure a fault plan asks for, as an HRESULT.
HRESULT faultResult()
{
    DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

// ---- Apartments -----------------------------------------------------------

struct Apartment {
    long count = 0;
    DWORD mode = COINIT_MULTITHREADED;
};
thread_local Apartment tApartment;

// Threads that entered the multithreaded apartment. While there is one, a
// thread that never called CoInitializeEx uses it implicitly, as on Windows.
std::atomic<long> gMtaThreads{0};

bool comUsable() { return tApartment.count > 0 || gMtaThreads.load() > 0; }

// ---- Classes --------------------------------------------------------------

struct ClassTable {
    std::mutex lock;
    std::vector<std::pair<CLSID, standin::ClassCreator>> classes;
};

ClassTable &classes()
{
    static auto *table = new ClassTable;
    return *table;
}

standin::ClassCreator findClass(REFCLSID clsid)
{
    ClassTable &table = classes();
    std::lock_guard<std::mutex> guard(table.lock);
    for (const auto &entry : table.classes)
        if (entry.first == clsid)
            return entry.second;
    return nullptr;
}

// ---- GUID text ------------------------------------------------------------

constexpr int kGuidChars = 39;  // "{8-4-4-4-12}" and the terminator

WCHAR *putHex(WCHAR *out, uint32_t value, int digits)
{
    for (int i = digits - 1; i >= 0; --i)
        *out++ = static_cast<WCHAR>("0123456789ABCDEF"[(value >> (4 * i)) & 0xF]);
    return out;
}

bool readHex(const WCHAR *&p, int digits, uint32_t &value)
{
    value = 0;
    for (int i = 0; i < digits; ++i, ++p) {
        WCHAR c = towlower(*p);
        int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
        if (d < 0)
            return false;
        value = value << 4 | static_cast<uint32_t>(d);
    }
    return true;
}

bool expect(const WCHAR *&p, WCHAR c) { return *p++ == c; }

bool parseGuid(const WCHAR *p, GUID &guid)
{
    uint32_t data1, data2, data3, byte;
    if (!expect(p, '{') || !readHex(p, 8, data1) || !expect(p, '-') || !readHex(p, 4, data2) || !expect(p, '-') ||
        !readHex(p, 4, data3) || !expect(p, '-'))
        return false;
    guid.Data1 = data1;
    guid.Data2 = static_cast<WORD>(data2);
    guid.Data3 = static_cast<WORD>(data3);
    for (int i = 0; i < 8; ++i) {
        if ((i == 2 && !expect(p, '-')) || !readHex(p, 2, byte))
            return false;
        guid.Data4[i] = static_cast<BYTE>(byte);
    }
    return expect(p, '}') && *p == 0;
}

// ---- System strings -------------------------------------------------------

// The byte length sits in the 4 bytes just before the text; the header is
// 8 bytes so that the text stays 8-aligned, as on 64-bit Windows.
constexpr size_t kBstrHeader = 8;
constexpr UINT kBstrMaxBytes = 0xFFFFFFFFu - 32;

char *blockOf(BSTR s) { return reinterpret_cast<char *>(s) - kBstrHeader; }

// `data` may be null: the text is left uninitialised, the terminator not.
BSTR allocBstr(const void *data, UINT bytes)
{
    if (bytes > kBstrMaxBytes)
        return nullptr;
    auto *block = static_cast<char *>(std::malloc(kBstrHeader + bytes + sizeof(OLECHAR)));
    if (block == nullptr)
        return nullptr;
    uint32_t length = bytes;
    std::memcpy(block + kBstrHeader - sizeof(length), &length, sizeof(length));
    char *text = block + kBstrHeader;
    if (data != nullptr)
        std::memcpy(text, data, bytes);
    std::memset(text + bytes, 0, sizeof(OLECHAR));  // a zero WCHAR, even after an odd byte count
    standin::CountAdd(&Counters::bstrs, 1);
    return reinterpret_cast<BSTR>(text);
}

BSTR copyBstr(BSTR s) { return s ? allocBstr(s, SysStringByteLen(s)) : nullptr; }

bool knownVariantType(VARTYPE vt)
{
    switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R8:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_BOOL:
    case VT_UNKNOWN:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
        return true;
    default:
        return false;
    }
}

}  // namespace

extern "C" {

HRESULT STDAPICALLTYPE CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit)
{
    if (standin::ShouldFail("CoInitializeEx"))
        return faultResult();
    if (pvReserved != nullptr)
        return E_INVALIDARG;
    DWORD mode = dwCoInit & COINIT_APARTMENTTHREADED;
    if (tApartment.count > 0) {
        if (mode != tApartment.mode)
            return RPC_E_CHANGED_MODE;  // the count is unchanged: no CoUninitialize is due
        ++tApartment.count;
        return S_FALSE;
    }
    tApartment.count = 1;
    tApartment.mode = mode;
    if (mode == COINIT_MULTITHREADED)
        ++gMtaThreads;
    return S_OK;
}

HRESULT STDAPICALLTYPE CoInitialize(LPVOID pvReserved) { return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED); }

void STDAPICALLTYPE CoUninitialize(void)
{
    if (tApartment.count == 0)
        return;
    if (--tApartment.count == 0 && tApartment.mode == COINIT_MULTITHREADED)
        --gMtaThreads;
}

HRESULT STDAPICALLTYPE CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid,
                                        LPVOID *ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;  // a failed creation leaves no pointer, an injected one included
    if (standin::ShouldFail("CoCreateInstance"))
        return faultResult();
    if (!comUsable())
        return CO_E_NOTINITIALIZED;
    // Every class of the table is an in-process server.
    standin::ClassCreator create = findClass(rclsid);
    if (create == nullptr || (dwClsContext & CLSCTX_INPROC) == 0)
        return REGDB_E_CLASSNOTREG;
    if (pUnkOuter != nullptr)
        return CLASS_E_NOAGGREGATION;
    return create(riid, ppv);
}

LPVOID STDAPICALLTYPE CoTaskMemAlloc(SIZE_T cb)
{
    if (standin::ShouldFail("CoTaskMemAlloc"))
        return nullptr;
    void *p = std::malloc(cb ? cb : 1);
    if (p != nullptr)
        standin::CountAdd(&Counters::taskBlocks, 1);
    return p;
}

LPVOID STDAPICALLTYPE CoTaskMemRealloc(LPVOID pv, SIZE_T cb)
{
    if (standin::ShouldFail("CoTaskMemRealloc"))
        return nullptr;
    if (pv == nullptr) {
        void *p = std::malloc(cb ? cb : 1);
        if (p != nullptr)
            standin::CountAdd(&Counters::taskBlocks, 1);
        return p;
    }
    if (cb == 0) {  // as IMalloc::Realloc: a size of 0 frees the block
        CoTaskMemFree(pv);
        return nullptr;
    }
    return std::realloc(pv, cb);  // on failure the old block stays
}

void STDAPICALLTYPE CoTaskMemFree(LPVOID pv)
{
    if (pv == nullptr)
        return;
    std::free(pv);
    standin::CountAdd(&Counters::taskBlocks, -1);
}

int STDAPICALLTYPE StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax)
{
    if (lpsz == nullptr || cchMax < kGuidChars)
        return 0;
    WCHAR *p = lpsz;
    *p++ = '{';
    p = putHex(p, rguid.Data1, 8);
    *p++ = '-';
    p = putHex(p, rguid.Data2, 4);
    *p++ = '-';
    p = putHex(p, rguid.Data3, 4);
    *p++ = '-';
    for (int i = 0; i < 8; ++i) {
        if (i == 2)
            *p++ = '-';
        p = putHex(p, rguid.Data4[i], 2);
    }
    *p++ = '}';
    *p = 0;
    return kGuidChars;
}

HRESULT STDAPICALLTYPE CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid)
{
    if (pclsid == nullptr)
        return E_INVALIDARG;
    *pclsid = GUID_NULL;  // a null string is GUID_NULL, as on Windows
    if (lpsz == nullptr)
        return S_OK;
    GUID guid;
    if (!parseGuid(lpsz, guid))
        return CO_E_CLASSSTRING;  // no registry here to look a ProgID up in
    *pclsid = guid;
    return S_OK;
}

BSTR STDAPICALLTYPE SysAllocString(const OLECHAR *psz)
{
    if (standin::ShouldFail("SysAllocString") || psz == nullptr)
        return nullptr;
    size_t len = wcslen(psz);
    return len > kBstrMaxBytes / 2 ? nullptr : allocBstr(psz, static_cast<UINT>(len * 2));
}

BSTR STDAPICALLTYPE SysAllocStringLen(const OLECHAR *strIn, UINT ui)
{
    if (standin::ShouldFail("SysAllocStringLen") || ui > kBstrMaxBytes / 2)
        return nullptr;
    return allocBstr(strIn, ui * 2);
}

BSTR STDAPICALLTYPE SysAllocStringByteLen(LPCSTR psz, UINT len)
{
    if (standin::ShouldFail("SysAllocStringByteLen"))
        return nullptr;
    return allocBstr(psz, len);
}

INT STDAPICALLTYPE SysReAllocString(BSTR *pbstr, const OLECHAR *psz)
{
    if (standin::ShouldFail("SysReAllocString") || pbstr == nullptr)
        return FALSE;
    // Allocated before the old one is freed: psz may point into it. As on
    // Windows, a null psz makes an existing string empty.
    size_t len = psz ? wcslen(psz) : 0;
    if (len > kBstrMaxBytes / 2)
        return FALSE;
    if (psz == nullptr && *pbstr == nullptr)
        return TRUE;
    BSTR fresh = allocBstr(psz ? psz : u"", static_cast<UINT>(len * 2));
    if (fresh == nullptr)
        return FALSE;
    SysFreeString(*pbstr);
    *pbstr = fresh;
    return TRUE;
}

void STDAPICALLTYPE SysFreeString(BSTR bstrString)
{
    if (bstrString == nullptr)
        return;
    std::free(blockOf(bstrString));
    standin::CountAdd(&Counters::bstrs, -1);
}

UINT STDAPICALLTYPE SysStringByteLen(BSTR bstr)
{
    if (bstr == nullptr)
        return 0;
    uint32_t length;
    std::memcpy(&length, blockOf(bstr) + kBstrHeader - sizeof(length), sizeof(length));
    return length;
}

UINT STDAPICALLTYPE SysStringLen(BSTR pbstr) { return SysStringByteLen(pbstr) / sizeof(OLECHAR); }

void STDAPICALLTYPE VariantInit(VARIANTARG *pvarg)
{
    if (pvarg != nullptr)
        pvarg->vt = VT_EMPTY;
}

HRESULT STDAPICALLTYPE VariantClear(VARIANTARG *pvarg)
{
    if (pvarg == nullptr)
        return E_INVALIDARG;
    if (!knownVariantType(pvarg->vt))
        return DISP_E_BADVARTYPE;
    if (pvarg->vt == VT_BSTR)
        SysFreeString(pvarg->bstrVal);
    else if ((pvarg->vt == VT_UNKNOWN || pvarg->vt == VT_DISPATCH) && pvarg->punkVal != nullptr)
        pvarg->punkVal->Release();
    pvarg->vt = VT_EMPTY;
    return S_OK;
}

HRESULT STDAPICALLTYPE VariantCopy(VARIANTARG *pvargDest, const VARIANTARG *pvargSrc)
{
    if (pvargDest == nullptr || pvargSrc == nullptr)
        return E_INVALIDARG;
    if (pvargDest == pvargSrc)
        return S_OK;
    if (!knownVariantType(pvargSrc->vt))
        return DISP_E_BADVARTYPE;
    HRESULT hr = VariantClear(pvargDest);
    if (FAILED(hr))
        return hr;
    *pvargDest = *pvargSrc;
    if (pvargSrc->vt == VT_BSTR && pvargSrc->bstrVal != nullptr) {
        pvargDest->bstrVal = copyBstr(pvargSrc->bstrVal);
        if (pvargDest->bstrVal == nullptr) {
            pvargDest->vt = VT_EMPTY;
            return E_OUTOFMEMORY;
        }
    } else if ((pvargSrc->vt == VT_UNKNOWN || pvargSrc->vt == VT_DISPATCH) && pvargSrc->punkVal != nullptr) {
        pvargSrc->punkVal->AddRef();
    }
    return S_OK;
}

}  // extern "C"

namespace standin {

void RegisterClass(REFCLSID clsid, ClassCreator create)
{
    ClassTable &table = classes();
    std::lock_guard<std::mutex> guard(table.lock);
    auto &list = table.classes;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->first == clsid) {
            list.erase(it);
            break;
        }
    }
    if (create != nullptr)
        list.emplace_back(clsid, create);
}

void UnregisterAllClasses()
{
    ClassTable &table = classes();
    std::lock_guard<std::mutex> guard(table.lock);
    table.classes.clear();
}

long ComInitCount() { return tApartment.count; }

}  // namespace standin
