// The dialog procedures of the property pages.
#pragma once

#include "platform/win32.h"

INT_PTR CALLBACK PageSetupPageProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ExtendedPageSetupPageProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK GraphicsPageProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OtherPageProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DevicePropAboutProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam);
