// The driver's side of the plug-in under Windows or Wine, for people and
// checks that want to see its pages: plays the core driver (publishes its UI
// helper, hands over the option items, asks for the document and device
// sheets, keeps the pages they add), shows each sheet in a real property
// sheet, selects every tab and opens the modal dialogs as a user would by
// clicking: paper stock (109) through New on the standard model's Page
// Setup, distributed printing (217) through Setting Value on the extended
// model's page, ribbon width (238) by double-clicking the first row of 217.
// Whoever runs it sees each page and dialog once it is shown.
#pragma once

#include "platform/win32.h"

#include <functional>
#include <string>
#include <vector>

namespace winhost {

struct Language {
    LANGID id;
    const char *tag;
};
// The plug-in's 17 languages.
extern const Language kLanguages[17];
// The language of a tag (de-DE), or 0.
LANGID LanguageOf(const std::string &tag);

// One page of a sheet, with its tab selected, or one modal dialog, shown.
struct Shown {
    const char *sheet;  // "KestrelBT", "Heron", "FalconBT" (document sheets) or "device"
    WORD id;            // its dialog template
    bool page;          // a property page (else a modal dialog)
    HWND window;        // the page or the dialog
    HWND frame;         // the property sheet around the page; the dialog itself
    RECT area;          // where the controls may lie, in the window's client coordinates
    // A short name for files and reports: "FalconBT-113", "FalconBT-217".
    std::string Name() const;
};

using Visitor = std::function<void(const Shown &)>;

class Host {
public:
    // Loads the plug-in and adds a printer of each model to the spooler.
    // False (and Error() says why) when either fails.
    bool Load(const std::wstring &dllPath);
    // Removes the printers, releases the plug-in and unloads it.
    ~Host();

    // Runs every sheet in a language (the thread's UI language, which every
    // resource the plug-in loads follows) and calls visit for each page and
    // dialog once it is shown; a dialog closes when visit returns. Returns
    // how many windows were shown; what could not be shown goes to Error().
    int Run(LANGID language, const Visitor &visit);

    // With a wait, each window stays up that many milliseconds after the
    // visit, its messages pumped (for a look at it).
    void SetPause(DWORD milliseconds) { pause_ = milliseconds; }
    const std::string &Error() const { return error_; }

private:
    void RunSheet(const char *model, HANDLE printer, const Visitor &visit);
    void Fail(const std::string &what) { error_ += (error_.empty() ? "" : "; ") + what; }

    HMODULE dll_ = nullptr;
    IUnknown *ui_ = nullptr;
    std::vector<std::pair<const char *, HANDLE>> printers_;
    std::string error_;
    DWORD pause_ = 0;
    int shown_ = 0;
};

// Pumps the thread's messages for a while: what Wine draws, it draws then.
void Pump(DWORD milliseconds);
// A command line's text as UTF-16 (the ANSI code page's).
std::wstring Wide(const char *text);
// The path of a file beside the running program (orvoui.dll).
std::wstring BesideProgram(const wchar_t *file);

// For visitors: a window's text, whether it is of a window class (Button,
// SysListView32), and its rectangle in another's client coordinates.
std::wstring WindowText(HWND window);
bool IsClass(HWND window, const wchar_t *name);
RECT RectIn(HWND window, HWND parent);

}  // namespace winhost
