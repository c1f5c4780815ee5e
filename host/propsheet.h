// The driver's side of the printer's property sheets, as Unidrv and the
// common property sheet play it around the plug-in: the sheet window and its
// pages, the OEM heap, the job's DEVMODE with the plug-in's record, the
// driver's own option items and its UI helper.
#pragma once

#include "platform/win32.h"
#include "src/records/records.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace host {

// One DrvUpdateUISetting call of the plug-in.
struct UiSettingUpdate {
    std::string keyword;  // of the item, empty when it has none
    LONG sel;
    DWORD previousSelection;
    DWORD mode;
};

// The driver UI helper the driver publishes to the plug-in; it records what
// the plug-in asks of it. The plug-in may keep it longer than the sheet, so
// it lives as long as its last reference.
class DriverUiHelper : public IPrintOemDriverUI {
public:
    static DriverUiHelper *Create() { return new DriverUiHelper; }
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP DrvGetDriverSetting(PVOID, PCSTR, PVOID, DWORD, PDWORD, PDWORD) override;
    STDMETHODIMP DrvUpgradeRegistrySetting(HANDLE, PCSTR, PCSTR) override;
    STDMETHODIMP DrvUpdateUISetting(PVOID pci, PVOID pOptItem, DWORD dwPreviousSelection, DWORD dwMode) override;

    std::vector<UiSettingUpdate> updates;
    HRESULT updateResult = S_OK;  // what DrvUpdateUISetting answers

private:
    DriverUiHelper() = default;
    virtual ~DriverUiHelper() = default;
    LONG refs_ = 1;
};

// The driver's own document items: "PaperSize" with an option per paper of
// the printer, "Orientation", "Resolution", "InputBin", two "OEM..." items
// and items without a keyword, as Unidrv builds them from its description.
class DriverOptionItems {
public:
    // The items as the Unidrv core makes them from a DEVMODE: the paper by
    // the precedence of its fields (the form name when DM_FORMNAME is set,
    // else the paper number), the orientation, and the resolution among the
    // model's (the extended model has one per print quality).
    void Build(const std::vector<std::u16string> &papers, const std::vector<WORD> &numbers, const DEVMODEW &devmode,
               bool qualityResolutions);
    // The items' selections written back into a DEVMODE, as the core does
    // when the sheet is applied: paper (number and form name, when paperToo),
    // orientation and resolution.
    void Store(DEVMODEW &devmode, bool paperToo) const;
    POPTITEM Items() { return items_.empty() ? nullptr : items_.data(); }
    DWORD Count() const { return static_cast<DWORD>(items_.size()); }
    POPTITEM Find(const std::string &keyword);
    std::string Keyword(const OPTITEM &item) const;
    // The option's text of an item, or empty.
    std::u16string OptionText(const OPTITEM &item, LONG index) const;

private:
    struct Item {
        std::string keyword;  // empty: no user data record
        std::u16string name;
        std::vector<std::u16string> options;
        LONG sel;
        BYTE pubId;
    };
    void Add(Item item);

    std::vector<Item> specs_;
    std::deque<std::string> keywords_;
    std::deque<std::u16string> texts_;
    std::deque<std::vector<OPTPARAM>> params_;
    std::deque<OPTTYPE> types_;
    std::deque<USERDATA> userData_;
    std::vector<OPTITEM> items_;
    std::vector<std::u16string> papers_;
    std::vector<WORD> numbers_;
    bool qualityResolutions_ = false;
};

enum class SheetKind { Document, Device };

class PropertySheet {
public:
    struct Page {
        PROPSHEETPAGEW psp;     // the sheet's copy, given to the page at WM_INITDIALOG
        std::u16string title;   // PSP_USETITLE's title, else the dialog's caption
        int templateId = -1;    // -1: the driver's own page
        HWND window = nullptr;  // made when the page is first shown
        bool driverPage = false;
    };

    // `pluginModule` is the plug-in's module handle, which the driver hands on.
    PropertySheet(IPrintOemUI *ui, SheetKind kind, std::u16string printer, HMODULE pluginModule);
    PropertySheet(const PropertySheet &) = delete;
    PropertySheet &operator=(const PropertySheet &) = delete;
    ~PropertySheet();

    // The driver's sequence up to a shown sheet: the job's DEVMODE, the
    // option items through CommonUIProp, the pages through the plug-in's
    // property sheet function, then the first page shown. False with a
    // reason when the sheet could not be opened.
    bool Open(std::string &error);
    // PSN_KILLACTIVE to the page shown (which may refuse), PSN_SETACTIVE to
    // the new one, made first if it is new. The driver's own page tells the
    // plug-in's callback instead.
    bool Activate(size_t index);
    bool ActivateTemplate(int templateId);
    // Apply: PSN_KILLACTIVE to the page shown, PSN_APPLY to every page made,
    // in order (the driver's page calls the callback with APPLYNOW), then
    // the driver stores the job's DEVMODE as the user's default when this is
    // the document sheet of the printer's defaults, and the set-result.
    bool Apply();
    // Cancel: PSN_RESET to every page made.
    void Cancel();
    // Destroys the pages and the sheet, tells the plug-in (REASON_DESTROY)
    // and releases the heap and the printer. Also done by the destructor.
    void Close();

    // The user changes a driver item on the driver's own page.
    bool SetDriverSelection(const std::string &keyword, LONG sel);
    // The printer sheet's OEM item.
    bool SetOemItemSelection(LONG sel);

    const std::deque<Page> &Pages() const { return pages_; }
    SheetKind Kind() const { return kind_; }
    size_t ActiveIndex() const { return active_; }
    HWND ActiveWindow() const;
    HWND SheetWindow() const { return sheet_; }
    DriverOptionItems &DriverItems() { return driverItems_; }
    DriverUiHelper &Helper() { return *helper_; }
    const std::vector<std::u16string> &Papers() const { return papers_; }
    const OEMDEV &JobRecord() const { return *reinterpret_cast<const OEMDEV *>(jobRecord_); }
    const OEMCUIPPARAM &UiParam() const { return uiParam_; }
    const PROPSHEETUI_INFO &SheetInfo() const { return info_; }
    POPTITEM OemItems() { return oemItems_.empty() ? nullptr : oemItems_.data(); }

    HRESULT initResult = E_FAIL;      // of the plug-in's INIT
    ULONG_PTR initSheetResult = 0;    // the result INIT left in the info block
    HRESULT commonUiResult = E_FAIL;  // of CommonUIProp (the fill request for the printer sheet)
    std::u16string infoTitle;         // what GET_INFO_HEADER left as the title
    int changedCount = 0;             // PSM_CHANGED received
    std::vector<std::string> events;  // what happened, in order, for a person to read

    static LONG_PTR CALLBACK ComPropSheet(HANDLE hComPropSheet, UINT function, LPARAM lParam1, LPARAM lParam2);

private:
    // After an applied document sheet the core keeps the user's printing
    // preferences: the items' paper, orientation and resolution go into the
    // job's DEVMODE, orientation and resolution into the printer's default
    // DEVMODE, so the next sheet starts from them.
    void KeepPreferences();
    static LRESULT CALLBACK SheetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LONG_PTR AddPage(const PROPSHEETPAGEW *psp);
    bool MakePageWindow(Page &page);
    LRESULT Notify(Page &page, UINT code);
    // PSN_KILLACTIVE to the page shown (or the driver's KILLACTIVE); false when it refuses.
    bool LeaveActivePage();
    LONG CallDriverCallback(WORD reason);
    bool PrepareJobDevmode(std::string &error);
    bool PrepareUiParam();
    template <typename Block>
    void FillDriverBlock(Block &block);
    HRESULT CallSheets(WORD reason, LPARAM lParam);

    IPrintOemUI *ui_;
    SheetKind kind_;
    std::u16string printer_;
    HANDLE hPrinter_ = nullptr;
    HANDLE heap_ = nullptr;
    HWND sheet_ = nullptr;
    std::vector<BYTE> devmode_;  // the job's DEVMODE: public part, then the private area
    BYTE *jobRecord_ = nullptr;  // the plug-in's record, the last bytes of the private area
    OEMUIOBJ uiObject_ = {};
    OEMUIPSPARAM psParam_ = {};
    OEMCUIPPARAM uiParam_ = {};
    PROPSHEETUI_INFO info_ = {};
    DriverOptionItems driverItems_;
    std::vector<OPTITEM> oemItems_;
    DriverUiHelper *helper_;
    HMODULE module_;
    std::vector<std::u16string> papers_;
    std::vector<WORD> paperNumbers_;
    std::deque<Page> pages_;
    size_t active_ = 0;
    bool open_ = false;
};

}  // namespace host
