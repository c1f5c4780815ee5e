// Playing the user of the headless windows: what happens when a modal dialog
// or a message box opens, the user's actions on controls, and readings of
// what a window shows. Tests and the host use it; the plug-in never does.
#pragma once

#include "platform/linux/user/user.h"

#include <functional>
#include <string>
#include <vector>

namespace standin::ui {

using DialogScript = std::function<void(HWND dialog)>;

// Queues what the user does the next time dialog `templateId` opens modally
// (DialogBoxParamW); each opening uses one queued script, in order. The
// script runs on the dialog's thread after WM_INITDIALOG and after the
// messages already waiting, inside the modal loop, and usually ends with a
// click on OK or Cancel. The stall guard (SetStallTimeout) watches the loop
// once the script has returned.
STANDIN_API void OnDialog(int templateId, DialogScript script);

struct MessageBoxCall {
    std::u16string text;
    std::u16string caption;  // "Error" when the caller gave none, as the platform shows it
    UINT type;
    int answer;
    HWND owner;  // the window the caller gave, null for a box without owner
};
// Queues answers to message boxes, used in order; without one the box is
// answered with its default button (MB_DEFBUTTONn of its buttons).
STANDIN_API void AnswerMessageBox(int answer);
STANDIN_API std::vector<MessageBoxCall> MessageBoxes();  // every box shown since the last reset

// A modal loop that has handled no message for this long gets IDCANCEL as a
// WM_COMMAND (like Esc); after as long again it is ended with -1 and its
// template id is recorded. Default 2000 ms.
STANDIN_API void SetStallTimeout(unsigned milliseconds);
// The stall period of dialog `templateId` instead, asked on its thread once
// it has started (after WM_INITDIALOG and its script): a dialog that is
// quiet by design while work of a known bound goes on, as a progress dialog
// over its worker, is given that bound. Null removes it; so does a reset.
STANDIN_API void SetStallPeriod(int templateId, std::function<unsigned(HWND dialog)> period);
// Template ids of modal dialogs ended for stalling; -1 for a SendMessageW
// from another thread that the window's thread did not take within ten
// stall periods (on the platform a deadlock): it failed with ERROR_TIMEOUT.
STANDIN_API std::vector<int> Stalls();
STANDIN_API void ResetAutomation();  // scripts, answers, records, stall timeout and periods

// Acting as a user: each sends what the platform sends for the user's action
// (focus changes included), and fails (false) when the control is missing,
// hidden or disabled, or the action does not apply to its kind. The control
// is `dialog`'s child with that id (or a deeper descendant when no child has
// it); it must be visible up to `dialog`, and it and all its ancestors must be
// enabled, as a disabled owner blocks input while a modal dialog is up.
STANDIN_API bool Click(HWND dialog, int id);  // buttons: push, radio, check box
STANDIN_API bool Type(HWND dialog, int id,
                      const std::u16string &text);        // edit: select all and type, respecting the limit
STANDIN_API bool Choose(HWND dialog, int id, int index);  // combo box entry
STANDIN_API bool ChooseText(HWND dialog, int id, const std::u16string &text);  // the entry with exactly this text
STANDIN_API bool Slide(HWND dialog, int id, int position);                     // trackbar drag and release
STANDIN_API bool Spin(HWND dialog, int id, int delta);  // up-down arrow press(es): > 0 up, < 0 down
// A click on a list view cell (item -1: below the rows). NM_DBLCLK is the
// whole double click, so the parent sees NM_CLICK first, as on the platform.
// In the item's own column the click lands past the check box (on the image
// or the text), unless the column is too narrow to show more than the box:
// then a left click toggles the box as ToggleListCheck does. The
// notification's ptAction is the point clicked, for LVM_HITTEST.
STANDIN_API bool ClickListItem(HWND dialog, int id, int item, int subItem, UINT code);
// A click on an item's check box: the state image toggles (LVN_ITEMCHANGING,
// LVN_ITEMCHANGED; the selection stays) and the parent then gets NM_CLICK for
// the item, whose ptAction hit-tests as LVHT_ONITEMSTATEICON, as on the
// platform. Only with LVS_EX_CHECKBOXES.
STANDIN_API bool ToggleListCheck(HWND dialog, int id, int item);

// A key pressed and let go at the keyboard: control `id` takes the focus
// first (0: the key goes to the control that has it, or to `dialog`). The
// key's messages are posted to the focus as the platform posts them
// (WM_KEYDOWN, WM_KEYUP; WM_SYSKEYDOWN, WM_SYSKEYUP with Alt or for F10;
// Shift and Alt pressed around the key and held for GetKeyState), and each
// is taken through IsDialogMessageW of the top-level window, then
// TranslateMessage (WM_CHAR, WM_SYSCHAR) and DispatchMessageW, on the
// calling thread, which must be the window's.
constexpr UINT kKeyShift = 1, kKeyAlt = 2;
STANDIN_API bool PressKey(HWND dialog, int id, UINT key, UINT shifts);

// Reading.
STANDIN_API std::u16string Text(HWND window);
STANDIN_API int TemplateId(HWND dialog);  // the dialog resource id it was made from, -1 otherwise
// UTF-8, several lines: the window and each control in template order: id,
// kind, text, checked/selected/position/range/items/list rows as they apply,
// hidden/disabled marks, image ids. Etched separator lines are left out.
STANDIN_API std::string Describe(HWND window);
STANDIN_API long WindowCount();  // live windows

// The resource id a bitmap was loaded from (LoadImageW, LoadBitmapW, or a
// picture control's template), 0 for other bitmaps, -1 for a handle that is
// not a live bitmap.
STANDIN_API int BitmapResourceId(HBITMAP bitmap);

}  // namespace standin::ui
