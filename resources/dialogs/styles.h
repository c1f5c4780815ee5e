// Window, dialog and control style values used by the dialog layouts (the
// published Win32 values), for resource compiles that do not include the
// platform headers. Each is defined only when the platform has not.
#pragma once

#ifndef WS_POPUP
#define WS_POPUP 0x80000000L
#endif
#ifndef WS_CHILD
#define WS_CHILD 0x40000000L
#endif
#ifndef WS_VISIBLE
#define WS_VISIBLE 0x10000000L
#endif
#ifndef WS_DISABLED
#define WS_DISABLED 0x08000000L
#endif
#ifndef WS_CAPTION
#define WS_CAPTION 0x00C00000L
#endif
#ifndef WS_BORDER
#define WS_BORDER 0x00800000L
#endif
#ifndef WS_VSCROLL
#define WS_VSCROLL 0x00200000L
#endif
#ifndef WS_SYSMENU
#define WS_SYSMENU 0x00080000L
#endif
#ifndef WS_GROUP
#define WS_GROUP 0x00020000L
#endif
#ifndef WS_TABSTOP
#define WS_TABSTOP 0x00010000L
#endif
#ifndef DS_3DLOOK
#define DS_3DLOOK 0x0004L
#endif
#ifndef DS_FIXEDSYS
#define DS_FIXEDSYS 0x0008L
#endif
#ifndef DS_SETFONT
#define DS_SETFONT 0x0040L
#endif
#ifndef DS_MODALFRAME
#define DS_MODALFRAME 0x0080L
#endif
#ifndef DS_CONTROL
#define DS_CONTROL 0x0400L
#endif
#ifndef DS_CENTER
#define DS_CENTER 0x0800L
#endif
#ifndef DS_SHELLFONT
#define DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)
#endif
#ifndef SS_CENTER
#define SS_CENTER 0x0001L
#endif
#ifndef SS_BITMAP
#define SS_BITMAP 0x000EL
#endif
#ifndef SS_ETCHEDHORZ
#define SS_ETCHEDHORZ 0x0010L
#endif
#ifndef SS_NOPREFIX
#define SS_NOPREFIX 0x0080L
#endif
#ifndef BS_AUTOCHECKBOX
#define BS_AUTOCHECKBOX 0x0003L
#endif
#ifndef BS_AUTORADIOBUTTON
#define BS_AUTORADIOBUTTON 0x0009L
#endif
#ifndef ES_AUTOHSCROLL
#define ES_AUTOHSCROLL 0x0080L
#endif
#ifndef ES_READONLY
#define ES_READONLY 0x0800L
#endif
#ifndef CBS_DROPDOWNLIST
#define CBS_DROPDOWNLIST 0x0003L
#endif
#ifndef CBS_SORT
#define CBS_SORT 0x0100L
#endif
#ifndef UDS_ALIGNRIGHT
#define UDS_ALIGNRIGHT 0x0004L
#endif
#ifndef UDS_AUTOBUDDY
#define UDS_AUTOBUDDY 0x0010L
#endif
#ifndef UDS_ARROWKEYS
#define UDS_ARROWKEYS 0x0020L
#endif
#ifndef TBS_AUTOTICKS
#define TBS_AUTOTICKS 0x0001L
#endif
#ifndef TBS_BOTH
#define TBS_BOTH 0x0008L
#endif
#ifndef TBS_NOTICKS
#define TBS_NOTICKS 0x0010L
#endif
#ifndef LVS_REPORT
#define LVS_REPORT 0x0001L
#endif
#ifndef LVS_SINGLESEL
#define LVS_SINGLESEL 0x0004L
#endif
#ifndef LVS_SHOWSELALWAYS
#define LVS_SHOWSELALWAYS 0x0008L
#endif
#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif

// The window classes of the common controls.
#define DLG_CLASS_UPDOWN "msctls_updown32"
#define DLG_CLASS_TRACKBAR "msctls_trackbar32"
#define DLG_CLASS_LISTVIEW "SysListView32"
#define DLG_CLASS_PROGRESS "msctls_progress32"

// The font of every template in every language: the shell font. With
// DS_SHELLFONT and "MS Shell Dlg" Windows shows the local UI face ("MS Shell
// Dlg 2", Tahoma with the CJK and other faces linked behind it), and a
// property sheet lays out its frame in the same font as its pages: a page
// whose template names another face is measured by the sheet in the sheet's
// font but drawn in its own, and a larger face pushes its lower and right
// controls out of the area the sheet gives it. One font for all languages
// also keeps one set of control sizes right for all of them.
#define DLG_FONT_STYLE DS_SHELLFONT
#define DLG_FONT_SIZE 8
#define DLG_FONT_NAME "MS Shell Dlg"

// Styles shared by the layouts. A property page has a caption, its tab
// title, but no frame of its own: the sheet shows it as a child.
#define DLG_PAGE_STYLE (WS_CHILD | WS_CAPTION | DS_CONTROL | DLG_FONT_STYLE)
#define DLG_MODAL_STYLE (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DLG_FONT_STYLE)
#define DLG_COMBO_STYLE (CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP)
#define DLG_SPIN_STYLE (UDS_ARROWKEYS | UDS_AUTOBUDDY | UDS_ALIGNRIGHT)
