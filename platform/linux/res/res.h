// Resources of the Linux stand-in: a module's resources are the .res file
// that windres compiles from the same .rc sources as the DLL. String tables,
// dialog templates and bitmaps are found by type, name and language.
#pragma once

#include "platform/linux/kernel/kernel.h"

#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_VERSION MAKEINTRESOURCEW(16)

#define LANG_CHINESE 0x04
#define LANG_ENGLISH 0x09
#define SUBLANG_ENGLISH_US 0x01
#define SUBLANG_CHINESE_SIMPLIFIED 0x02

extern "C" {
// Finds a resource in the languages the platform tries for the calling
// thread: its UI language, that language's neutral form and any other form
// of it, the user's UI language, English (United States), and at last the
// first language the module has.
STANDIN_API HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
// Finds the resource in exactly the given language.
STANDIN_API HRSRC WINAPI FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage);
STANDIN_API HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo);
STANDIN_API LPVOID WINAPI LockResource(HGLOBAL hResData);
STANDIN_API DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo);
STANDIN_API BOOL WINAPI FreeResource(HGLOBAL hResData);

// With cchBufferMax 0, stores a read-only pointer to the string in the
// resource in *lpBuffer and returns its length. Otherwise copies at most
// cchBufferMax - 1 units, terminates, and returns the units copied; 0 when
// the string does not exist (last error ERROR_RESOURCE_NAME_NOT_FOUND).
STANDIN_API int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);
// The same string converted to the ANSI code page (UTF-8 in the stand-in).
STANDIN_API int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);
STANDIN_API HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName);
STANDIN_API DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
}

namespace standin {

// Makes a module of a .res image (which must stay valid while the module is
// registered) and returns its instance handle, or null when the image is
// not a well-formed .res file. `name` is the module's file name.
STANDIN_API HINSTANCE RegisterModule(const void *resImage, size_t size, const char *name);
STANDIN_API void UnregisterModule(HINSTANCE module);
// The languages of one resource, in the order of the file.
STANDIN_API size_t ResourceLanguages(HMODULE module, LPCWSTR type, LPCWSTR name, WORD *langs, size_t maxLangs);

}  // namespace standin
