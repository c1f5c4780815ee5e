// The About page of the printer's properties: the installed driver's version
// and the maker's copyright line.
#include "resources/resource.h"
#include "src/base/debug.h"
#include "src/base/module.h"
#include "src/base/unique.h"
#include "src/pages/pagecommon.h"
#include "src/pages/pageprocs.h"
#include "src/settings/printer.h"

namespace {

constexpr int ABOUT_TEXT_UNITS = 256;

void ShowDriverVersion(HWND hDlg, HANDLE hPrinter)
{
    SpoolerBlock driver = FetchDriverInfo8(hPrinter);
    if (!driver.fetched)
        return;
    DWORDLONG version = driver.As<DRIVER_INFO_8W>()->dwlDriverVersion;
    WARNING(TEXT("UI:  DevicePropAboutProc:verson:%08x,%08x,%08x"), static_cast<DWORD>(version),
            static_cast<DWORD>(version >> 32), static_cast<DWORD>(version >> 32));
    int major = static_cast<int>((version >> 48) & 0xFFFF);
    int minor = static_cast<int>((version >> 32) & 0xFFFF);
    int build = static_cast<int>((version >> 16) & 0xFFFF);

    WCHAR prefix[ABOUT_TEXT_UNITS] = {};
    WCHAR copyright[ABOUT_TEXT_UNITS] = {};
    LoadStringW(ghInstance, IDS_VERSION_PREFIX, prefix, ABOUT_TEXT_UNITS);
    LoadStringW(ghInstance, IDS_COPYRIGHT, copyright, ABOUT_TEXT_UNITS);
    OutputDebugStringW(prefix);
    OutputDebugStringW(copyright);

    WCHAR line[ABOUT_TEXT_UNITS] = {};
    _snwprintf_s(line, ABOUT_TEXT_UNITS, _TRUNCATE, TEXT("%s%d.%d.%d"), prefix, major, minor, build);
    SetDlgItemTextW(hDlg, IDC_ABOUT_VERSION, line);
    SetDlgItemTextW(hDlg, IDC_ABOUT_COPYRIGHT, copyright);
}

}  // namespace

INT_PTR CALLBACK DevicePropAboutProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    UNREFERENCED_PARAMETER(wParam);
    if (uMessage == WM_INITDIALOG) {
        PPAGECONTEXT context = TakePageContext(hDlg, lParam);
        if (context != nullptr)
            ShowDriverVersion(hDlg, context->hPrinter);
    }
    return FALSE;
}
