// Base types and kernel32 of the Linux stand-in: the names and semantics the
// plug-in relies on, with the Windows widths (DWORD and LONG are 32 bits even
// on LP64, WCHAR is a UTF-16 unit).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#define STANDIN_API __attribute__((visibility("default")))

#define WINAPI
#define APIENTRY
#define CALLBACK
#define STDMETHODCALLTYPE
#define STDAPICALLTYPE
#define __stdcall
#define FAR
#define NEAR
#define CONST const
#define VOID void
#define IN
#define OUT
#define OPTIONAL
#define UNREFERENCED_PARAMETER(p) ((void)(p))

typedef int32_t BOOL;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int32_t INT;
typedef uint32_t UINT;
typedef int16_t SHORT;
typedef uint16_t USHORT;
typedef char CHAR;
typedef unsigned char UCHAR;
typedef char16_t WCHAR;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef uint64_t DWORDLONG;
typedef float FLOAT;
typedef double DOUBLE;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef size_t SIZE_T;
typedef ULONG FLONG;
typedef BOOL WINBOOL;

typedef BOOL *PBOOL, *LPBOOL;
typedef BYTE *PBYTE, *LPBYTE;
typedef WORD *PWORD, *LPWORD;
typedef DWORD *PDWORD, *LPDWORD;
typedef LONG *PLONG, *LPLONG;
typedef ULONG *PULONG;
typedef INT *PINT, *LPINT;
typedef UINT *PUINT;
typedef void *PVOID, *LPVOID;
typedef const void *LPCVOID, *PCVOID;
typedef CHAR *PSTR, *LPSTR;
typedef const CHAR *PCSTR, *LPCSTR;
typedef WCHAR *PWSTR, *LPWSTR, *PWCHAR;
typedef const WCHAR *PCWSTR, *LPCWSTR;
typedef ULONG_PTR *PULONG_PTR;
typedef SIZE_T *PSIZE_T;
typedef FLONG *PFLONG;

typedef WCHAR TCHAR;
typedef LPWSTR LPTSTR;
typedef LPCWSTR LPCTSTR;

typedef LONG HRESULT;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef WORD LANGID;
typedef DWORD LCID;
typedef WORD ATOM;

#define DECLARE_HANDLE(name)                                                                                           \
    struct name##__ {                                                                                                  \
        int unused;                                                                                                    \
    };                                                                                                                 \
    typedef struct name##__ *name
typedef void *HANDLE;
typedef HANDLE *PHANDLE, *LPHANDLE;
DECLARE_HANDLE(HINSTANCE);
typedef HINSTANCE HMODULE;
DECLARE_HANDLE(HWND);
DECLARE_HANDLE(HDC);
DECLARE_HANDLE(HBITMAP);
DECLARE_HANDLE(HICON);
DECLARE_HANDLE(HBRUSH);
DECLARE_HANDLE(HFONT);
DECLARE_HANDLE(HMENU);
DECLARE_HANDLE(HRSRC);
DECLARE_HANDLE(HKEY);
DECLARE_HANDLE(HGDIOBJ_);
typedef void *HGDIOBJ;
typedef HANDLE HGLOBAL;
typedef HANDLE HLOCAL;
typedef HICON HCURSOR;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define INFINITE 0xFFFFFFFFu
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

#define TEXT(s) u##s
#define _T(s) u##s
#define MAKEINTRESOURCEW(i) ((LPWSTR)(ULONG_PTR)(WORD)(i))
#define MAKEINTRESOURCE MAKEINTRESOURCEW
#define IS_INTRESOURCE(p) ((((ULONG_PTR)(p)) >> 16) == 0)
#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define LOBYTE(w) ((BYTE)(((DWORD_PTR)(w)) & 0xff))
#define MAKELONG(a, b)                                                                                                 \
    ((LONG)(((WORD)(((DWORD_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((DWORD_PTR)(b)) & 0xffff))) << 16))
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))
#define PRIMARYLANGID(l) ((WORD)(l)&0x3ff)
#define SUBLANGID(l) ((WORD)(l) >> 10)
#define LANG_NEUTRAL 0x00
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01

// HRESULTs and Win32 error codes used by the plug-in and its peers.
#define _HRESULT_TYPEDEF_(x) ((HRESULT)(x))
#define S_OK _HRESULT_TYPEDEF_(0)
#define S_FALSE _HRESULT_TYPEDEF_(1)
#define E_NOTIMPL _HRESULT_TYPEDEF_(0x80004001L)
#define E_NOINTERFACE _HRESULT_TYPEDEF_(0x80004002L)
#define E_POINTER _HRESULT_TYPEDEF_(0x80004003L)
#define E_ABORT _HRESULT_TYPEDEF_(0x80004004L)
#define E_FAIL _HRESULT_TYPEDEF_(0x80004005L)
#define E_UNEXPECTED _HRESULT_TYPEDEF_(0x8000FFFFL)
#define E_ACCESSDENIED _HRESULT_TYPEDEF_(0x80070005L)
#define E_OUTOFMEMORY _HRESULT_TYPEDEF_(0x8007000EL)
#define E_INVALIDARG _HRESULT_TYPEDEF_(0x80070057L)
#define CLASS_E_NOAGGREGATION _HRESULT_TYPEDEF_(0x80040110L)
#define CLASS_E_CLASSNOTAVAILABLE _HRESULT_TYPEDEF_(0x80040111L)
#define REGDB_E_CLASSNOTREG _HRESULT_TYPEDEF_(0x80040154L)
#define CO_E_NOTINITIALIZED _HRESULT_TYPEDEF_(0x800401F0L)
#define RPC_E_CHANGED_MODE _HRESULT_TYPEDEF_(0x80010106L)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#define HRESULT_CODE(hr) ((hr)&0xFFFF)
#define FACILITY_WIN32 7
#define HRESULT_FROM_WIN32(x)                                                                                          \
    ((HRESULT)(x) <= 0 ? ((HRESULT)(x)) : ((HRESULT)(((x)&0x0000FFFF) | (FACILITY_WIN32 << 16) | 0x80000000)))

#define ERROR_SUCCESS 0L
#define NO_ERROR 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_GEN_FAILURE 31L
#define ERROR_NOT_SUPPORTED 50L
#define ERROR_FILE_EXISTS 80L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_CALL_NOT_IMPLEMENTED 120L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_MORE_DATA 234L
#define ERROR_NOT_LOCKED 158L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_INVALID_FLAGS 1004L
#define ERROR_NO_UNICODE_TRANSLATION 1113L
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_RESOURCE_LANG_NOT_FOUND 1815L
#define ERROR_INVALID_PRINTER_NAME 1801L
#define ERROR_INVALID_FORM_NAME 1902L

// DllMain notifications.
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

// Heaps and global memory.
#define HEAP_NO_SERIALIZE 0x00000001
#define HEAP_GENERATE_EXCEPTIONS 0x00000004
#define HEAP_ZERO_MEMORY 0x00000008
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define LMEM_FIXED 0x0000
#define LMEM_MOVEABLE 0x0002
#define LMEM_ZEROINIT 0x0040
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)
#define LHND (LMEM_MOVEABLE | LMEM_ZEROINIT)

extern "C" {
STANDIN_API DWORD WINAPI GetLastError(void);
STANDIN_API void WINAPI SetLastError(DWORD dwErrCode);

STANDIN_API HANDLE WINAPI GetProcessHeap(void);
STANDIN_API HANDLE WINAPI HeapCreate(DWORD flOptions, SIZE_T dwInitialSize, SIZE_T dwMaximumSize);
STANDIN_API BOOL WINAPI HeapDestroy(HANDLE hHeap);
STANDIN_API LPVOID WINAPI HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes);
STANDIN_API LPVOID WINAPI HeapReAlloc(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem, SIZE_T dwBytes);
STANDIN_API BOOL WINAPI HeapFree(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem);
STANDIN_API SIZE_T WINAPI HeapSize(HANDLE hHeap, DWORD dwFlags, LPCVOID lpMem);

STANDIN_API HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
STANDIN_API HGLOBAL WINAPI GlobalFree(HGLOBAL hMem);
STANDIN_API LPVOID WINAPI GlobalLock(HGLOBAL hMem);
STANDIN_API BOOL WINAPI GlobalUnlock(HGLOBAL hMem);
STANDIN_API SIZE_T WINAPI GlobalSize(HGLOBAL hMem);
STANDIN_API HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes);
STANDIN_API HLOCAL WINAPI LocalFree(HLOCAL hMem);

STANDIN_API LONG WINAPI InterlockedIncrement(LONG volatile *Addend);
STANDIN_API LONG WINAPI InterlockedDecrement(LONG volatile *Addend);
STANDIN_API LONG WINAPI InterlockedExchange(LONG volatile *Target, LONG Value);
STANDIN_API LONG WINAPI InterlockedCompareExchange(LONG volatile *Destination, LONG Exchange, LONG Comperand);

typedef DWORD(WINAPI *LPTHREAD_START_ROUTINE)(LPVOID lpThreadParameter);
typedef void *LPSECURITY_ATTRIBUTES;
STANDIN_API HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                                       LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter, DWORD dwCreationFlags,
                                       LPDWORD lpThreadId);
STANDIN_API DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
STANDIN_API BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
STANDIN_API BOOL WINAPI CloseHandle(HANDLE hObject);
STANDIN_API DWORD WINAPI GetCurrentThreadId(void);
STANDIN_API void WINAPI Sleep(DWORD dwMilliseconds);
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_TIMEOUT 0x00000102L
#define WAIT_FAILED 0xFFFFFFFFu
#define STILL_ACTIVE 0x00000103L
// Not supported by the stand-in (it has no ResumeThread): CreateThread fails.
#define CREATE_SUSPENDED 0x00000004

STANDIN_API void WINAPI OutputDebugStringW(LPCWSTR lpOutputString);
STANDIN_API void WINAPI OutputDebugStringA(LPCSTR lpOutputString);

STANDIN_API LANGID WINAPI GetThreadUILanguage(void);
STANDIN_API LANGID WINAPI SetThreadUILanguage(LANGID LangId);
STANDIN_API LANGID WINAPI GetUserDefaultUILanguage(void);
STANDIN_API UINT WINAPI GetACP(void);

STANDIN_API void WINAPI DebugBreak(void);

// Files, as far as the plug-in's debug dumps need them. Windows paths are
// mapped with standin::MapWindowsPath.
#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_COPY_ALLOWED 0x00000002
#define MOVEFILE_WRITE_THROUGH 0x00000008
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
STANDIN_API BOOL WINAPI MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags);
STANDIN_API BOOL WINAPI DeleteFileW(LPCWSTR lpFileName);
STANDIN_API UINT WINAPI GetTempFileNameW(LPCWSTR lpPathName, LPCWSTR lpPrefixString, UINT uUnique,
                                         LPWSTR lpTempFileName);
STANDIN_API DWORD WINAPI GetFileAttributesW(LPCWSTR lpFileName);
}

// The stand-in's own controls, used by tests and the host: the debugger
// output capture, fault injection and resource counters.
namespace standin {

// Everything written with OutputDebugStringW/A, in order, as UTF-8 (the
// narrow lines are taken as UTF-8, the ANSI code page of the stand-in).
STANDIN_API void DebugCaptureClear();
// The captured output joined in one string, wide lines converted to UTF-8.
// The pointer is valid until the next output or clear.
STANDIN_API const char *DebugCaptureText();
STANDIN_API size_t DebugCaptureCount();
// One captured line, converted to UTF-8; empty past the end. Valid until
// the next clear.
STANDIN_API const char *DebugCaptureLine(size_t index);
// Also echo every line to stderr as it is written (the host's --debug).
STANDIN_API void DebugEcho(bool on);
// Whether the capture listens (from the start: tests and the host read it).
// With neither the capture nor the echo listening, OutputDebugStringW/A
// return at once, as on a machine where no debugger or log viewer is
// attached; a benchmark that measures the plug-in's own work switches it
// off.
STANDIN_API void DebugListen(bool on);

// Make the next `count` calls of `api` (its Win32 name, e.g. "HeapAlloc")
// fail, after `skip` calls that succeed, with the given last error. A
// negative count fails every call until ClearFaults; 0 removes the plan. A
// later plan for the same api replaces the earlier one. Functions returning
// an HRESULT fail with HRESULT_FROM_WIN32(lastError), so an HRESULT given
// as lastError comes back as it is. The stand-in consults the plan in the
// functions that allocate or create something.
STANDIN_API void FailNext(const char *api, int count = 1, DWORD lastError = ERROR_NOT_ENOUGH_MEMORY, int skip = 0);
// Whether the call should fail now; the call counts against the plan. The
// stand-in parts call it at their top; it sets the last error when it says so.
STANDIN_API bool ShouldFail(const char *api);
// A write that reports failure after writing: the next `count` calls of a
// writing api (SetPrinterDataW, SetPrinterW, AddFormW, SetFormW,
// DeleteFormW) that succeed, after `skip` such calls, change the server and
// then fail with the given last error, as a spooler whose reply is lost.
// Replaces a FailNext plan for the api, and is replaced by one.
STANDIN_API void FailAfterWriting(const char *api, int count = 1, DWORD lastError = ERROR_NOT_ENOUGH_MEMORY,
                                  int skip = 0);
// Called by those apis once their change is made.
STANDIN_API bool ShouldFailAfterWriting(const char *api);
STANDIN_API void ClearFaults();
// The calls of `api` its plan still lets succeed before it fails; -1 when no
// plan for it is left (none was made, or its faults were all injected). A
// plan with a large skip counts the calls a run makes.
STANDIN_API int PlannedSkips(const char *api);

struct Counters {
    long heapBlocks;      // live blocks of all heaps
    long heaps;           // heaps made by HeapCreate and not destroyed
    long globalBlocks;    // live GlobalAlloc and LocalAlloc blocks
    long threads;         // thread handles not closed
    long taskBlocks;      // live CoTaskMemAlloc blocks
    long bstrs;           // live system strings
    long comObjects;      // live COM objects of the stand-in
    long printerHandles;  // open printer handles
    long gdiObjects;      // live GDI objects
};
STANDIN_API Counters GetCounters();
// Threads made by CreateThread that have not returned yet, whether or not
// their handles are still open.
STANDIN_API long RunningThreads();
// Lets the other stand-in parts keep their counts in the one table.
STANDIN_API void CountAdd(long Counters::*field, long delta);

// The POSIX path for a Windows path. A drive path "X:\a\b" becomes
// "<root>/x/a/b", where <root> is $STANDIN_DRIVE_ROOT, else "orvoui-drives"
// in $XDG_RUNTIME_DIR, else in the user's cache folder ($XDG_CACHE_HOME or
// ~/.cache); the root is made private when missing, and the parent
// directories the first time a path of their folder is mapped. A root that
// is not a folder of this user's is refused: the path is empty, and file
// calls on it fail with ERROR_ACCESS_DENIED. Relative and POSIX paths are
// kept (backslashes become slashes). Empty for null.
STANDIN_API std::string MapWindowsPath(const WCHAR *path);
// After an open or rename of a mapped drive path failed with errno ENOENT:
// makes its parent directories again (they were removed since mapping first
// made them) and says the call is worth repeating; false for any other
// errno and for folders mapping never made.
STANDIN_API bool RemakeParents(const std::string &path);

}  // namespace standin
