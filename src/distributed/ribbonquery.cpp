// The ribbon query: a modal progress dialog over the distributed printing
// dialog, and a worker thread that asks every listed printer over bidi which
// ribbon it has loaded and writes the answers into the list. The worker
// touches the windows only with synchronous messages, so every change of a
// control happens on the dialog's thread, which serves them from the
// progress dialog's modal loop.
#include "src/distributed/distributed.h"
#include "src/distributed/listview.h"

#include "resources/resource.h"
#include "src/base/debug.h"
#include "src/base/text.h"
#include "src/base/unique.h"
#include "src/settings/printer.h"

#include <new>

namespace {

// Posted by the worker after its last row; the dialog ends itself on it, as
// only the thread that owns a dialog may end it.
constexpr UINT WM_RIBBON_QUERY_DONE = WM_APP + 0x240;

constexpr DWORD kWorkerStackBytes = 16384;
// The worker has nothing left to do once it has posted its end; this only
// keeps a stuck one from holding the dialog.
constexpr DWORD kWorkerEndWaitMs = 5000;

constexpr WCHAR kRibbonSchema[] = TEXT("\\Printer.WR");
constexpr BYTE kRibbonCommand[] = {0x1F, 0x11, 0x3F};
constexpr DWORD kRibbonReplyBytes = 16;
constexpr size_t kRibbonTypeAt = 8;
constexpr size_t kRibbonWidthAt = 15;
constexpr BYTE kRibbonTypeBnz = 1;

constexpr WCHAR kFilePort[] = TEXT("FILE:");

void FreeReply(BYTE *reply)
{
    if (reply != nullptr)
        HeapFree(GetProcessHeap(), 0, reply);
}

bool Accepted(const BYTE *reply, DWORD size)
{
    return reply != nullptr && size == kRibbonReplyBytes && reply[0] == 0x1A && reply[1] == 0x40;
}

// Offline printers and the file port have no one to answer.
bool MayAsk(const PRINTER_INFO_2W *info)
{
    if (info->Attributes & PRINTER_ATTRIBUTE_WORK_OFFLINE)
        return false;
    return !SameText(info->pPortName, kFilePort);
}

// What the progress dialog and its worker share: a copy of the caller's
// query, held by each of them and freed by the last one to let go, and the
// dialog's word that the worker is to stop.
class RibbonRun {
public:
    static RibbonRun *Start(const RIBBONQUERY &query)
    {
        void *memory = HeapAlloc(GetProcessHeap(), 0, sizeof(RibbonRun));
        return memory != nullptr ? new (memory) RibbonRun(query) : nullptr;
    }
    void AddRef() { InterlockedIncrement(&refs_); }
    void Release()
    {
        if (InterlockedDecrement(&refs_) == 0) {
            this->~RibbonRun();
            HeapFree(GetProcessHeap(), 0, this);
        }
    }
    void Stop() { InterlockedExchange(&stop_, 1); }
    bool Stopped() { return InterlockedCompareExchange(&stop_, 0, 0) != 0; }
    const RIBBONQUERY &Query() const { return query_; }

private:
    explicit RibbonRun(const RIBBONQUERY &query) : query_(query) {}

    const RIBBONQUERY query_;
    LONG volatile refs_ = 1;
    LONG volatile stop_ = 0;
};

// Asks one printer, once more when the first answer is missing or not a
// ribbon status block, and shows what it said, unless the dialog has gone
// meanwhile.
void QueryRow(RibbonRun &run, HWND list, int row, PCWSTR pPrinterName)
{
    BYTE *reply = nullptr;
    DWORD size = BidiCmdtoPrinter(pPrinterName, kRibbonCommand, sizeof kRibbonCommand, &reply);
    if (!Accepted(reply, size)) {
        FreeReply(reply);
        reply = nullptr;
        size = BidiCmdtoPrinter(pPrinterName, kRibbonCommand, sizeof kRibbonCommand, &reply);
    }
    if (run.Stopped()) {
        FreeReply(reply);
        return;
    }
    if (Accepted(reply, size)) {
        WCHAR width[RIBBON_TEXT_UNITS];
        _snwprintf_s(width, RIBBON_TEXT_UNITS, _TRUNCATE, TEXT("%d mm"), reply[kRibbonWidthAt]);
        SetCellTextAndImage(list, row, COLUMN_CURRENT_WIDTH, width, IMAGE_NONE);
        SetCellText(list, row, COLUMN_RIBBON_TYPE, reply[kRibbonTypeAt] == kRibbonTypeBnz ? TEXT("BNZ") : TEXT("BZ"));
    } else {
        SetCellTextAndImage(list, row, COLUMN_CURRENT_WIDTH, kNoRibbonText, IMAGE_WARNING);
        SetCellText(list, row, COLUMN_RIBBON_TYPE, kNoRibbonText);
    }
    FreeReply(reply);
}

// A printer that cannot be opened or read, or is not to be asked, keeps
// its cells.
void VisitRow(RibbonRun &run, HWND list, int row)
{
    WCHAR name[DIST_NAME_UNITS];
    GetCellText(list, row, COLUMN_PRINTER, name, DIST_NAME_UNITS);
    unique_printer printer(OpenPrinterAllAccess(name));
    if (!printer)
        return;
    SpoolerBlock info = FetchPrinterInfo2(printer.get());
    const auto *pi2 = info.As<PRINTER_INFO_2W>();
    if (pi2 != nullptr && MayAsk(pi2))
        QueryRow(run, list, row, name);
}

// The exchange proper, inside BidiCmdtoPrinter's COM initialisation. What
// it made goes in this order: the binding, the spooler object, the request
// (the locals are destroyed in the reverse order of their declaration).
DWORD Exchange(PCWSTR pPrinterName, const BYTE *pRequest, DWORD cbRequest, BYTE **ppReply)
{
    com_ptr<IBidiRequest> request;
    com_ptr<IBidiSpl> spl;
    HRESULT hr = CoCreateInstance(CLSID_BidiSpl, nullptr, CLSCTX_INPROC_SERVER, IID_IBidiSpl, spl.put_void());
    if (FAILED(hr)) {
        WARNING(TEXT("UI:  create pIBidiSpl error and return %x"), hr);
        return 0;
    }
    // A failed binding shows in SendRecv.
    spl->BindDevice(pPrinterName, BIDI_ACCESS_USER);
    struct Unbind {
        IBidiSpl *spl;
        ~Unbind() { spl->UnbindDevice(); }
    } unbind{spl.get()};

    hr = CoCreateInstance(CLSID_BidiRequest, nullptr, CLSCTX_INPROC_SERVER, IID_IBidiRequest, request.put_void());
    if (FAILED(hr)) {
        WARNING(TEXT("UI:  create pIReq error and return %x"), hr);
        return 0;
    }
    hr = request->SetSchema(kRibbonSchema);
    if (FAILED(hr))
        WARNING(TEXT("UI:  pIReq->SetSchema error and return %x"), hr);
    request->SetInputData(BIDI_BLOB, pRequest, cbRequest);
    hr = spl->SendRecv(BIDI_ACTION_GET, request.get());
    if (FAILED(hr))
        WARNING(TEXT("UI:  pIBidiSpl->SendRecv error and return %x"), hr);

    LPWSTR schema = nullptr;
    DWORD type = BIDI_NULL;
    BYTE *data = nullptr;
    ULONG size = 0;
    hr = request->GetOutputData(0, &schema, &type, &data, &size);
    unique_cotaskmem schemaOwner(schema);
    unique_cotaskmem dataOwner(data);
    if (FAILED(hr)) {
        WARNING(TEXT("UI:  pIReq->GetOutputData error and return %x"), hr);
        return 0;
    }
    if (data == nullptr || size == 0)
        return size;
    // The platform's copy is task memory; the caller gets one of its own.
    auto *copy = static_cast<BYTE *>(HeapAlloc(GetProcessHeap(), 0, size));
    if (copy == nullptr) {
        WARNING(TEXT("UI:  no memory for the reply of %d bytes"), size);
        return 0;
    }
    memcpy(copy, data, size);
    *ppReply = copy;
    return size;
}

}  // namespace

INT_PTR CALLBACK GetRibbonDataProc(HWND hDlg, UINT uMessage, WPARAM, LPARAM lParam)
{
    switch (uMessage) {
    case WM_INITDIALOG: {
        auto *query = reinterpret_cast<RIBBONQUERY *>(lParam);
        if (query == nullptr) {
            EndDialog(hDlg, 0);
            return TRUE;
        }
        query->Progress = hDlg;
        WARNING(TEXT("UI:  GetRibbonData init"));
        HWND list = GetDlgItem(query->Owner, query->ListId);
        int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        HWND bar = GetDlgItem(hDlg, IDC_RIBBON_PROGRESS);
        SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, static_cast<WORD>(10 * rows)));
        SendMessageW(bar, PBM_SETPOS, 0, 0);
        WARNING(TEXT("UI:  GetRibbonData init end  %d"), rows);

        // The caller's block lives as long as this dialog runs, no longer:
        // the worker gets a copy that the two of them share.
        RibbonRun *run = RibbonRun::Start(*query);
        if (run == nullptr) {
            WARNING(TEXT("UI:  no memory for the ribbon query"));
            EndDialog(hDlg, 0);
            return TRUE;
        }
        SetWindowLongPtrW(hDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(run));
        run->AddRef();
        HANDLE worker = CreateThread(nullptr, kWorkerStackBytes, GetRibbonDataThread, run, 0, nullptr);
        if (worker == nullptr) {
            // Nothing would ever end the dialog: it goes at once, the list as it was.
            WARNING(TEXT("UI:  CreateThread error code is %d"), GetLastError());
            run->Release();
            EndDialog(hDlg, 0);
            return TRUE;
        }
        SetWindowLongPtrW(hDlg, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(worker));
        return TRUE;
    }
    case WM_RIBBON_QUERY_DONE: {
        // The worker posts this as its last call: it is ending.
        auto worker = reinterpret_cast<HANDLE>(SetWindowLongPtrW(hDlg, GWLP_USERDATA, 0));
        if (worker != nullptr) {
            WaitForSingleObject(worker, kWorkerEndWaitMs);
            CloseHandle(worker);
        }
        EndDialog(hDlg, 0);
        return TRUE;
    }
    case WM_DESTROY: {
        // Also when the dialog was ended from outside before its worker was
        // done: the worker stops before its next printer and frees the
        // shared block if it is the last to hold it.
        auto worker = reinterpret_cast<HANDLE>(SetWindowLongPtrW(hDlg, GWLP_USERDATA, 0));
        if (worker != nullptr)
            CloseHandle(worker);
        auto *run = reinterpret_cast<RibbonRun *>(SetWindowLongPtrW(hDlg, DWLP_USER, 0));
        if (run != nullptr) {
            run->Stop();
            run->Release();
        }
        return FALSE;
    }
    case WM_COMMAND:
        // OK, Cancel and Esc: the user waits for the query.
        return TRUE;
    default:
        return FALSE;
    }
}

DWORD WINAPI GetRibbonDataThread(LPVOID lpParameter)
{
    auto *run = static_cast<RibbonRun *>(lpParameter);
    const RIBBONQUERY &query = run->Query();
    HWND list = GetDlgItem(query.Owner, query.ListId);
    HWND bar = GetDlgItem(query.Progress, IDC_RIBBON_PROGRESS);
    int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows && !run->Stopped(); ++row) {
        VisitRow(*run, list, row);
        // Every row is a step, asked or passed over.
        if (!run->Stopped())
            SendMessageW(bar, PBM_STEPIT, 0, 0);
    }
    WARNING(TEXT("UI:  GetRibbonDataThread end"));
    if (!run->Stopped())
        PostMessageW(query.Progress, WM_RIBBON_QUERY_DONE, 0, 0);
    run->Release();
    return 0;
}

DWORD BidiCmdtoPrinter(PCWSTR pPrinterName, const BYTE *pRequest, DWORD cbRequest, BYTE **ppReply)
{
    WARNING(TEXT("UI:  BidiCmdtoPrinter START"));
    if (pPrinterName == nullptr || ppReply == nullptr || (pRequest == nullptr && cbRequest != 0))
        return 0;
    OutputDebugStringW(pPrinterName);
    // Each exchange brings its own apartment: the worker thread has none.
    HRESULT hrInit = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    DWORD size = Exchange(pPrinterName, pRequest, cbRequest, ppReply);
    if (SUCCEEDED(hrInit))
        CoUninitialize();
    WARNING(TEXT("UI:  BidiCmdtoPrinter end"));
    return size;
}
