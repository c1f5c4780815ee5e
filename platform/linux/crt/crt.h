// The CRT and Win32 string functions of the Linux stand-in, with the MSVC
// meaning: in wide printf formats %s takes a wide string and %S a narrow one,
// in narrow formats the other way round; %hs and %ls name the width outright.
// Narrow text is in the ANSI code page, which the stand-in takes as UTF-8.
#pragma once

#include "platform/linux/kernel/kernel.h"

#include <cstdarg>
#include <cstring>
#include <cwchar>

#define _TRUNCATE ((size_t)-1)
#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001
#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_ERR_INVALID_CHARS 0x00000080
#define WC_NO_BEST_FIT_CHARS 0x00000400
#define STRUNCATE 80
#ifndef EINVAL
#define EINVAL 22
#endif
#ifndef ERANGE
#define ERANGE 34
#endif
typedef int errno_t;

// Wide formatting into a buffer of sizeInWords units. With count _TRUNCATE
// (the _snwprintf_s and _vsnwprintf_s forms) text that does not fit is cut,
// terminated, and -1 is returned; vswprintf_s and swprintf_s, like MSVC's,
// return -1 with an empty buffer when the text does not fit.
int vswprintf_s(WCHAR *buffer, size_t sizeInWords, const WCHAR *format, va_list args);
int swprintf_s(WCHAR *buffer, size_t sizeInWords, const WCHAR *format, ...);
int _vsnwprintf_s(WCHAR *buffer, size_t sizeInWords, size_t count, const WCHAR *format, va_list args);
int _snwprintf_s(WCHAR *buffer, size_t sizeInWords, size_t count, const WCHAR *format, ...);
// Narrow formatting. With count _TRUNCATE, text that does not fit is cut and
// -1 is returned, which is how a caller learns to grow its buffer.
int _vsnprintf_s(char *buffer, size_t sizeOfBuffer, size_t count, const char *format, va_list args);
int _snprintf_s(char *buffer, size_t sizeOfBuffer, size_t count, const char *format, ...);
int sprintf_s(char *buffer, size_t sizeOfBuffer, const char *format, ...);
// The number of units the formatted text needs, without the terminator.
int _vscwprintf(const WCHAR *format, va_list args);
int _vscprintf(const char *format, va_list args);

int _wtoi(const WCHAR *str);
long _wtol(const WCHAR *str);
double _wtof(const WCHAR *str);
long wcstol(const WCHAR *str, WCHAR **end, int base);
double wcstod(const WCHAR *str, WCHAR **end);

size_t wcslen(const WCHAR *s);
size_t wcsnlen(const WCHAR *s, size_t maxCount);
int wcscmp(const WCHAR *a, const WCHAR *b);
int wcsncmp(const WCHAR *a, const WCHAR *b, size_t n);
int _wcsicmp(const WCHAR *a, const WCHAR *b);
int _wcsnicmp(const WCHAR *a, const WCHAR *b, size_t n);
WCHAR *wcscpy(WCHAR *dst, const WCHAR *src);
// Like the C function: copies at most n units and pads with zeros; leaves
// the destination unterminated when the source has n units or more.
WCHAR *wcsncpy(WCHAR *dst, const WCHAR *src, size_t n);
WCHAR *wcscat(WCHAR *dst, const WCHAR *src);
const WCHAR *wcschr(const WCHAR *s, WCHAR c);
WCHAR *wcschr(WCHAR *s, WCHAR c);
const WCHAR *wcsrchr(const WCHAR *s, WCHAR c);
WCHAR *wcsrchr(WCHAR *s, WCHAR c);
const WCHAR *wcsstr(const WCHAR *s, const WCHAR *sub);
WCHAR *wcsstr(WCHAR *s, const WCHAR *sub);
errno_t wcscpy_s(WCHAR *dst, size_t sizeInWords, const WCHAR *src);
errno_t wcsncpy_s(WCHAR *dst, size_t sizeInWords, const WCHAR *src, size_t count);
errno_t wcscat_s(WCHAR *dst, size_t sizeInWords, const WCHAR *src);
errno_t strcpy_s(char *dst, size_t size, const char *src);
errno_t strncpy_s(char *dst, size_t size, const char *src, size_t count);
errno_t strcat_s(char *dst, size_t size, const char *src);
errno_t memcpy_s(void *dst, size_t dstSize, const void *src, size_t count);
errno_t _itow_s(int value, WCHAR *buffer, size_t sizeInWords, int radix);
WCHAR towupper(WCHAR c);
WCHAR towlower(WCHAR c);

extern "C" {
STANDIN_API int WINAPI lstrlenW(LPCWSTR lpString);
STANDIN_API int WINAPI lstrlenA(LPCSTR lpString);
// Copies at most iMaxLength - 1 units and always terminates (iMaxLength > 0).
STANDIN_API LPWSTR WINAPI lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength);
STANDIN_API LPWSTR WINAPI lstrcpyW(LPWSTR lpString1, LPCWSTR lpString2);
STANDIN_API LPWSTR WINAPI lstrcatW(LPWSTR lpString1, LPCWSTR lpString2);
// Word-sort comparisons as the platform makes them for the user's locale;
// the stand-in compares case-insensitively first, then by case.
STANDIN_API int WINAPI lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2);
STANDIN_API int WINAPI lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2);
STANDIN_API int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                                           LPWSTR lpWideCharStr, int cchWideChar);
STANDIN_API int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                                           LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                                           LPBOOL lpUsedDefaultChar);
}

#define ZeroMemory(d, n) std::memset((d), 0, (n))
#define SecureZeroMemory(d, n) std::memset((d), 0, (n))
#define FillMemory(d, n, f) std::memset((d), (f), (n))
#define CopyMemory(d, s, n) std::memcpy((d), (s), (n))
#define MoveMemory(d, s, n) std::memmove((d), (s), (n))
#define _countof(a) (sizeof(a) / sizeof((a)[0]))
#define ARRAYSIZE(a) (sizeof(a) / sizeof((a)[0]))
