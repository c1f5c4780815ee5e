// Resources of the Linux stand-in: a module is a .res image as windres writes
// it, checked once when it is registered and then read in place.
//
// A .res file is a run of records, each a header followed by its data:
//   DWORD DataSize, DWORD HeaderSize,
//   TYPE and NAME, each 0xFFFF + WORD ordinal or a zero-terminated UTF-16 name,
//   padding to a DWORD boundary,
//   DWORD DataVersion, WORD MemoryFlags, WORD LanguageId, DWORD Version,
//   DWORD Characteristics,
// then DataSize bytes of data, padded to a DWORD boundary. The first record
// is an empty one of 32 bytes that marks the file as a 32-bit .res file.
#include "platform/linux/res/res.h"

#include "platform/linux/crt/crt.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr size_t kMinHeaderSize = 32;  // sizes, two ordinals, the 16 fixed bytes
constexpr WORD kEnglishUS = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

WORD Read16(const BYTE *p)
{
    WORD v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

DWORD Read32(const BYTE *p)
{
    DWORD v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

size_t Align4(size_t n) { return (n + 3) & ~size_t(3); }

WCHAR UpperAscii(WCHAR c) { return (c >= u'a' && c <= u'z') ? WCHAR(c - u'a' + u'A') : c; }

// A type or a name: an ordinal, or a string that the platform compares
// without regard to case (kept upper-cased).
struct ResId {
    WORD ordinal = 0;
    std::u16string name;

    bool IsOrdinal() const { return name.empty(); }
    bool operator<(const ResId &o) const
    {
        if (IsOrdinal() != o.IsOrdinal())
            return IsOrdinal();
        return IsOrdinal() ? ordinal < o.ordinal : name < o.name;
    }
    bool operator==(const ResId &o) const { return ordinal == o.ordinal && name == o.name; }
};

// What a caller passes: MAKEINTRESOURCE(n), "#n" or a name.
ResId IdFromArg(LPCWSTR arg)
{
    ResId id;
    if (IS_INTRESOURCE(arg)) {
        id.ordinal = LOWORD(reinterpret_cast<ULONG_PTR>(arg));
        return id;
    }
    if (arg[0] == u'#') {
        DWORD n = 0;
        const WCHAR *p = arg + 1;
        for (; *p >= u'0' && *p <= u'9' && n <= 0xFFFF; ++p)
            n = n * 10 + DWORD(*p - u'0');
        if (*p == 0 && p != arg + 1 && n <= 0xFFFF) {
            id.ordinal = WORD(n);
            return id;
        }
    }
    for (const WCHAR *p = arg; *p; ++p)
        id.name.push_back(UpperAscii(*p));
    return id;
}

// One resource in one language; an HRSRC points at one of these.
struct Entry {
    const BYTE *data;
    DWORD size;
    WORD language;
};

struct Module {
    std::vector<DWORD> copy;  // the image, when the caller's was not DWORD-aligned
    std::u16string name;
    std::vector<Entry> entries;  // in the order of the file; never resized once built
    std::set<ResId> types;
    std::map<std::pair<ResId, ResId>, std::vector<size_t>> index;  // (type, name) -> entries

    bool Owns(const Entry *e) const
    {
        std::less<const Entry *> before;
        if (entries.empty() || before(e, entries.data()) || !before(e, entries.data() + entries.size()))
            return false;
        auto offset = reinterpret_cast<uintptr_t>(e) - reinterpret_cast<uintptr_t>(entries.data());
        return offset % sizeof(Entry) == 0;
    }
};

std::mutex gMutex;
std::vector<std::unique_ptr<Module>> gModules;  // in the order of registration

// Reads a type or name field that must end before `end`.
bool ReadId(const BYTE *image, size_t &pos, size_t end, ResId &id)
{
    if (end - pos < 2)
        return false;
    if (Read16(image + pos) == 0xFFFF) {
        if (end - pos < 4)
            return false;
        id.ordinal = Read16(image + pos + 2);
        pos += 4;
        return true;
    }
    for (;;) {
        if (end - pos < 2)
            return false;  // no terminator inside the header
        WCHAR c = Read16(image + pos);
        pos += 2;
        if (c == 0)
            break;
        id.name.push_back(UpperAscii(c));
    }
    return !id.name.empty();
}

// A string table block is 16 strings, each a WORD length and that many units.
bool StringBlockIsWellFormed(const Entry &e)
{
    size_t pos = 0;
    for (int i = 0; i < 16; ++i) {
        if (e.size - pos < 2)
            return false;
        size_t units = Read16(e.data + pos);
        pos += 2;
        if ((e.size - pos) / 2 < units)
            return false;
        pos += units * 2;
    }
    return true;
}

bool Parse(const BYTE *image, size_t size, Module &m)
{
    std::vector<std::pair<ResId, ResId>> keys;
    size_t pos = 0;
    bool first = true;
    while (pos < size) {
        if (size - pos < 8)
            return false;
        DWORD dataSize = Read32(image + pos);
        DWORD headerSize = Read32(image + pos + 4);
        if (headerSize < kMinHeaderSize || headerSize % 4 != 0 || headerSize > size - pos)
            return false;
        size_t headerEnd = pos + headerSize;
        if (dataSize > size - headerEnd)
            return false;

        ResId type, name;
        size_t q = pos + 8;
        if (!ReadId(image, q, headerEnd, type) || !ReadId(image, q, headerEnd, name))
            return false;
        q = Align4(q);
        if (q > headerEnd || headerEnd - q < 16)
            return false;
        WORD language = Read16(image + q + 6);

        bool empty = type.IsOrdinal() && type.ordinal == 0 && name.IsOrdinal() && name.ordinal == 0 && dataSize == 0;
        if (first) {
            if (!empty || headerSize != kMinHeaderSize)
                return false;  // not a 32-bit .res file
            first = false;
        } else if (!empty) {
            if (type.IsOrdinal() && type.ordinal == 0)
                return false;
            m.entries.push_back(Entry{image + headerEnd, dataSize, language});
            keys.emplace_back(std::move(type), std::move(name));
        }
        // The last record's padding may be missing at the end of the file.
        pos = std::min(Align4(headerEnd + dataSize), size);
    }
    if (first)
        return false;

    for (size_t i = 0; i < m.entries.size(); ++i) {
        const auto &key = keys[i];
        if (key.first == ResId{LOWORD(reinterpret_cast<ULONG_PTR>(RT_STRING)), {}}) {
            if (!key.second.IsOrdinal() || key.second.ordinal == 0 || key.second.ordinal > 4096)
                return false;
            if (!StringBlockIsWellFormed(m.entries[i]))
                return false;
        }
        auto &langs = m.index[key];
        for (size_t j : langs)
            if (m.entries[j].language == m.entries[i].language)
                return false;  // the same resource twice
        langs.push_back(i);
        m.types.insert(key.first);
    }
    return true;
}

// The module a handle names; a null handle is the first module, as it is the
// process's own image on the platform. Called with gMutex held.
Module *FindModule(HMODULE h, DWORD errorIfUnknown)
{
    if (!h) {
        if (gModules.empty()) {
            SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
            return nullptr;
        }
        return gModules.front().get();
    }
    for (auto &m : gModules)
        if (reinterpret_cast<HMODULE>(m.get()) == h)
            return m.get();
    SetLastError(errorIfUnknown);
    return nullptr;
}

// The module that holds an HRSRC (and matches hModule unless it is null).
const Entry *FindEntry(HMODULE hModule, HRSRC hResInfo)
{
    const Entry *e = reinterpret_cast<const Entry *>(hResInfo);
    if (e) {
        for (auto &m : gModules) {
            if (!m->Owns(e))
                continue;
            if (hModule && reinterpret_cast<HMODULE>(m.get()) != hModule)
                break;
            return e;
        }
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

// For Chinese the closest other form is the one with the same script, not
// whichever comes first: Singapore reads Simplified, Hong Kong and Macao
// read Traditional.
LANGID SameScript(LANGID lang)
{
    if (PRIMARYLANGID(lang) != LANG_CHINESE)
        return 0;
    switch (SUBLANGID(lang)) {
    case 0x00:  // zh-Hans
    case 0x02:  // PRC
    case 0x04:  // Singapore
    case 0x1E:  // zh
        return MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    case 0x01:  // Taiwan
    case 0x03:  // Hong Kong
    case 0x05:  // Macao
    case 0x1F:  // zh-Hant
        return MAKELANGID(LANG_CHINESE, 0x01);
    default:
        return 0;
    }
}

const Entry *SelectLanguage(const Module &m, const std::vector<size_t> &list)
{
    auto exact = [&](LANGID lang) -> const Entry * {
        for (size_t i : list)
            if (m.entries[i].language == lang)
                return &m.entries[i];
        return nullptr;
    };
    auto family = [&](LANGID lang) -> const Entry * {
        WORD primary = PRIMARYLANGID(lang);
        if (primary == LANG_NEUTRAL)
            return nullptr;  // no language set
        if (const Entry *e = exact(lang))
            return e;
        if (const Entry *e = exact(MAKELANGID(primary, SUBLANG_NEUTRAL)))
            return e;
        if (LANGID script = SameScript(lang))
            if (const Entry *e = exact(script))
                return e;
        for (size_t i : list)
            if (PRIMARYLANGID(m.entries[i].language) == primary)
                return &m.entries[i];
        return nullptr;
    };
    LANGID thread = GetThreadUILanguage();
    if (const Entry *e = family(thread))
        return e;
    LANGID user = GetUserDefaultUILanguage();
    if (user != thread)
        if (const Entry *e = family(user))
            return e;
    if (const Entry *e = exact(kEnglishUS))
        return e;
    return &m.entries[list.front()];
}

// The languages to try, or one exact language (lang != 0). Called with
// gMutex held.
const Entry *Find(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD lang, bool anyLanguage)
{
    Module *m = FindModule(hModule, ERROR_INVALID_HANDLE);
    if (!m)
        return nullptr;
    ResId type = IdFromArg(lpType);
    if (!m->types.count(type)) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    auto it = m->index.find({type, IdFromArg(lpName)});
    if (it == m->index.end()) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    if (anyLanguage)
        return SelectLanguage(*m, it->second);
    for (size_t i : it->second)
        if (m->entries[i].language == lang)
            return &m->entries[i];
    SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
    return nullptr;
}

// The string `id` in the language FindResourceW would choose for its block;
// null (with the last error set) when it is missing or empty.
const WCHAR *FindString(HINSTANCE hInstance, UINT id, int &length)
{
    std::lock_guard<std::mutex> lock(gMutex);
    const Entry *block = Find(hInstance, RT_STRING, MAKEINTRESOURCEW((LOWORD(id) >> 4) + 1), 0, true);
    if (!block)
        return nullptr;
    size_t pos = 0;
    for (UINT i = 0; i < (id & 15); ++i)
        pos += 2 + size_t(Read16(block->data + pos)) * 2;
    length = Read16(block->data + pos);
    if (length == 0) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<const WCHAR *>(block->data + pos + 2);
}

bool EqualNoCase(const std::u16string &a, const std::u16string &b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](WCHAR x, WCHAR y) { return UpperAscii(x) == UpperAscii(y); });
}

std::u16string Widen(const char *s)
{
    if (!s || !*s)
        return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
    if (n <= 1)
        return {};
    std::u16string w(size_t(n), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, s, -1, &w[0], n);
    w.resize(size_t(n - 1));
    return w;
}

// GetModuleHandleW's comparison: the full name or the file's name, with
// ".dll" understood when the asked name has no extension.
bool NameMatches(const std::u16string &asked, const std::u16string &full)
{
    if (EqualNoCase(asked, full))
        return true;
    if (asked.find_first_of(u"/\\") != std::u16string::npos)
        return false;
    size_t slash = full.find_last_of(u"/\\");
    std::u16string base = slash == std::u16string::npos ? full : full.substr(slash + 1);
    if (EqualNoCase(asked, base))
        return true;
    if (!asked.empty() && asked.back() == u'.')
        return EqualNoCase(asked.substr(0, asked.size() - 1), base);
    return asked.find(u'.') == std::u16string::npos && EqualNoCase(asked + u".dll", base);
}

}  // namespace

extern "C" {

HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType)
{
    if (standin::ShouldFail("FindResourceW"))
        return nullptr;
    std::lock_guard<std::mutex> lock(gMutex);
    return reinterpret_cast<HRSRC>(const_cast<Entry *>(Find(hModule, lpType, lpName, 0, true)));
}

HRSRC WINAPI FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage)
{
    if (standin::ShouldFail("FindResourceExW"))
        return nullptr;
    std::lock_guard<std::mutex> lock(gMutex);
    // The neutral language asks for the thread's languages, as FindResourceW.
    bool anyLanguage = wLanguage == MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    return reinterpret_cast<HRSRC>(const_cast<Entry *>(Find(hModule, lpType, lpName, wLanguage, anyLanguage)));
}

HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo)
{
    std::lock_guard<std::mutex> lock(gMutex);
    const Entry *e = FindEntry(hModule, hResInfo);
    return e ? const_cast<BYTE *>(e->data) : nullptr;
}

LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo)
{
    std::lock_guard<std::mutex> lock(gMutex);
    const Entry *e = FindEntry(hModule, hResInfo);
    return e ? e->size : 0;
}

// Resources live as long as their module; there is nothing to free.
BOOL WINAPI FreeResource(HGLOBAL) { return FALSE; }

int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax)
{
    if (standin::ShouldFail("LoadStringW")) {
        if (lpBuffer && cchBufferMax > 0)
            lpBuffer[0] = 0;
        return 0;
    }
    if (!lpBuffer || cchBufferMax < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int length = 0;
    const WCHAR *text = FindString(hInstance, uID, length);
    if (!text) {
        if (cchBufferMax > 0)
            lpBuffer[0] = 0;
        return 0;
    }
    if (cchBufferMax == 0) {
        // The string in the resource itself: not terminated, `length` units.
        *reinterpret_cast<const WCHAR **>(lpBuffer) = text;
        return length;
    }
    int n = std::min(length, cchBufferMax - 1);
    std::memcpy(lpBuffer, text, size_t(n) * sizeof(WCHAR));
    lpBuffer[n] = 0;
    return n;
}

int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax)
{
    if (standin::ShouldFail("LoadStringA")) {
        if (lpBuffer && cchBufferMax > 0)
            lpBuffer[0] = 0;
        return 0;
    }
    if (!lpBuffer || cchBufferMax <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    lpBuffer[0] = 0;
    int length = 0;
    const WCHAR *text = FindString(hInstance, uID, length);
    if (!text)
        return 0;
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return 0;
    std::string narrow(size_t(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, &narrow[0], bytes, nullptr, nullptr);
    // Cut where a character begins, never inside one.
    int n = std::min(bytes, cchBufferMax - 1);
    while (n > 0 && n < bytes && (static_cast<unsigned char>(narrow[size_t(n)]) & 0xC0) == 0x80)
        --n;
    std::memcpy(lpBuffer, narrow.data(), size_t(n));
    lpBuffer[n] = 0;
    return n;
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName)
{
    std::lock_guard<std::mutex> lock(gMutex);
    if (!lpModuleName) {
        if (gModules.empty()) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        return reinterpret_cast<HMODULE>(gModules.front().get());
    }
    std::u16string asked(lpModuleName);
    for (auto &m : gModules)
        if (NameMatches(asked, m->name))
            return reinterpret_cast<HMODULE>(m.get());
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

// The platform's newer form: a name that does not fit is cut, terminated,
// and reported with nSize and ERROR_INSUFFICIENT_BUFFER.
DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize)
{
    std::lock_guard<std::mutex> lock(gMutex);
    Module *m = FindModule(hModule, ERROR_MOD_NOT_FOUND);
    if (!m) {
        if (!hModule)
            SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (nSize == 0 || !lpFilename) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const std::u16string &name = m->name;
    if (name.size() < nSize) {
        std::memcpy(lpFilename, name.data(), name.size() * sizeof(WCHAR));
        lpFilename[name.size()] = 0;
        return DWORD(name.size());
    }
    std::memcpy(lpFilename, name.data(), (nSize - 1) * sizeof(WCHAR));
    lpFilename[nSize - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
}

}  // extern "C"

namespace standin {

HINSTANCE RegisterModule(const void *resImage, size_t size, const char *name)
{
    if (!resImage) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto m = std::make_unique<Module>();
    const BYTE *image = static_cast<const BYTE *>(resImage);
    // Resource data is read as WORDs and WCHARs in place; an image that is
    // not DWORD-aligned is read from an aligned copy instead.
    if (reinterpret_cast<uintptr_t>(image) % 4 != 0) {
        m->copy.resize(Align4(size) / 4);
        std::memcpy(m->copy.data(), image, size);
        image = reinterpret_cast<const BYTE *>(m->copy.data());
    }
    if (!Parse(image, size, *m)) {
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    m->name = Widen(name);
    std::lock_guard<std::mutex> lock(gMutex);
    gModules.push_back(std::move(m));
    return reinterpret_cast<HINSTANCE>(gModules.back().get());
}

void UnregisterModule(HINSTANCE module)
{
    std::unique_ptr<Module> gone;  // destroyed after the lock is released
    std::lock_guard<std::mutex> lock(gMutex);
    auto it = std::find_if(gModules.begin(), gModules.end(), [&](const std::unique_ptr<Module> &m) {
        return reinterpret_cast<HINSTANCE>(m.get()) == module;
    });
    if (it == gModules.end())
        return;
    gone = std::move(*it);
    gModules.erase(it);
}

size_t ResourceLanguages(HMODULE module, LPCWSTR type, LPCWSTR name, WORD *langs, size_t maxLangs)
{
    std::lock_guard<std::mutex> lock(gMutex);
    Module *m = FindModule(module, ERROR_INVALID_HANDLE);
    if (!m)
        return 0;
    auto it = m->index.find({IdFromArg(type), IdFromArg(name)});
    if (it == m->index.end())
        return 0;
    const auto &list = it->second;
    for (size_t i = 0; i < list.size() && i < maxLangs; ++i)
        langs[i] = m->entries[list[i]].language;
    return list.size();
}

}  // namespace standin
