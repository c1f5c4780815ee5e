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

// Errors of the loader that kernel.h does not name.
#ifndef ERROR_MOD_NOT_FOUND
#define ERROR_MOD_NOT_FOUND 126L
#endif
#ifndef ERROR_BAD_EXE_FORMAT
#define ERROR_BAD_EXE_FORMAT 193L
#endif

// A null module handle means the first module registered (the process's own
// image on the platform). An unknown handle fails with ERROR_INVALID_HANDLE.
extern "C" {
// Finds a resource in the languages the platform tries for the calling
// thread: its UI language, that language's neutral form and any other form
// of it (for Chinese first the form with the same script), the same for the
// user's UI language, English (United States), and at last the first
// language the module has. Fails with ERROR_RESOURCE_TYPE_NOT_FOUND or
// ERROR_RESOURCE_NAME_NOT_FOUND. Names compare without regard to case;
// "#123" is the ordinal 123.
STANDIN_API HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
// Finds the resource in exactly the given language (ERROR_RESOURCE_LANG_NOT_FOUND
// when it has not that one); the neutral language 0 searches as FindResourceW.
STANDIN_API HRSRC WINAPI FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage);
STANDIN_API HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo);
STANDIN_API LPVOID WINAPI LockResource(HGLOBAL hResData);
STANDIN_API DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo);
// Returns FALSE, as on the platform: resources go with their module.
STANDIN_API BOOL WINAPI FreeResource(HGLOBAL hResData);

// With cchBufferMax 0, stores a read-only pointer to the string in the
// resource in *lpBuffer and returns its length; that string is NOT
// terminated. Otherwise copies at most cchBufferMax - 1 units, terminates,
// and returns the units copied; 0 when the string does not exist (last error
// ERROR_RESOURCE_NAME_NOT_FOUND, or the error of finding its block), with
// the buffer terminated when it has room. The block of 16 strings holding
// uID is chosen by language as FindResourceW chooses.
STANDIN_API int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);
// The same string converted to the ANSI code page (UTF-8 in the stand-in);
// returns the bytes copied, cut at a character boundary to fit. A buffer
// size of 0 is refused (ERROR_INVALID_PARAMETER).
STANDIN_API int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);
// Matches the registered name, or its file name; ".dll" is understood when
// the name asked for has no extension. ERROR_MOD_NOT_FOUND otherwise.
STANDIN_API HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName);
// The registered name. When it does not fit, it is cut and terminated, and
// nSize is returned with ERROR_INSUFFICIENT_BUFFER.
STANDIN_API DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
}

namespace standin {

// Makes a module of a .res image (which must stay valid while the module is
// registered) and returns its instance handle, or null when the image is
// not a well-formed .res file (ERROR_BAD_EXE_FORMAT). `name` is the module's
// file name, in UTF-8. Fault injection: FindResourceW, FindResourceExW,
// LoadStringW and LoadStringA each ask standin::ShouldFail under their name.
STANDIN_API HINSTANCE RegisterModule(const void *resImage, size_t size, const char *name);
STANDIN_API void UnregisterModule(HINSTANCE module);
// The languages of one resource, in the order of the file: fills at most
// maxLangs of them and returns how many there are.
STANDIN_API size_t ResourceLanguages(HMODULE module, LPCWSTR type, LPCWSTR name, WORD *langs, size_t maxLangs);

}  // namespace standin
