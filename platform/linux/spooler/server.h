// The stand-in print server's own controls, for tests and the host: what
// the server holds, a sample server with a printer of every model, and its
// state as JSON. The winspool calls of winspool.h work on the same server.
//
// Everything here is thread-safe: one lock guards the whole server, the
// winspool calls included.
#pragma once

#include "platform/linux/spooler/winspool.h"

#include <string>
#include <vector>

namespace standin::spooler {

// A printer data value: the registry type (REG_BINARY, REG_DWORD, ...) and
// the bytes as they were stored.
struct DataValue {
    std::u16string name;
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

// What a printer's port answers to a bidi request with the schema
// "\Printer.WR" and the action "Get". By default it does not answer: the
// exchange succeeds with no output data.
struct BidiReply {
    bool answers = false;    // output data come back (BIDI_BLOB)
    std::vector<BYTE> data;  // the output data when it answers, of any length
    HRESULT error = S_OK;    // a failure: SendRecv fails with it and GetResult gives it
    DWORD delay = 0;         // milliseconds before the answer (bounded, SetBidiTimeout)
};

struct PrinterConfig {
    std::u16string name;  // unique without regard to case; no ',' or '\'
    std::u16string port;  // "USB001", "FILE:", ...
    std::u16string driver;
    std::u16string comment;
    std::u16string location;
    std::u16string shareName;
    std::u16string datatype = u"RAW";
    DWORD attributes = PRINTER_ATTRIBUTE_LOCAL;
    // The whole default DEVMODE: the 220-byte public DEVMODEW (dmSize 220)
    // followed by dmDriverExtra private bytes, kept opaque. Empty: the
    // printer has no default DEVMODE.
    std::vector<BYTE> devmode;
    std::vector<DataValue> data;
    // OpenPrinterW refuses any access with PRINTER_ACCESS_ADMINISTER in it,
    // as for a user who may print but not manage the printer.
    bool refuseFullAccess = false;
    BidiReply bidi;
};

// A printer driver, shared by the printers that name it. The papers it
// offers (DeviceCapabilitiesW) are its own papers, in their order, then
// every other form of the store whose width lies in [minWidth, maxWidth],
// in store order.
struct DriverConfig {
    std::u16string name;
    DWORDLONG version = 0;  // major.minor.build.revision, 16 bits each, high to low
    LONG minWidth = 0;      // thousandths of a millimetre
    LONG maxWidth = 0;
    // Forms the driver offers whatever their width (its own paper sizes,
    // kept in the store as FORM_PRINTER forms); names not in the store are
    // skipped.
    std::vector<std::u16string> papers;
};

// A form of the server-wide store. The paper number is given when the form
// is created and never reused; it is the form's number in DC_PAPERS and in
// a DEVMODE's dmPaperSize.
struct FormConfig {
    std::u16string name;  // unique without regard to case
    DWORD flags = FORM_USER;
    SIZEL size = {0, 0};  // thousandths of a millimetre
    RECTL imageableArea = {0, 0, 0, 0};
    WORD paper = 0;  // 0 in AddForm: the next free number
};

// A finished job (EndDocPrinter, or ClosePrinter with a document open).
struct JobRecord {
    DWORD id = 0;
    std::u16string printer;
    std::u16string document;
    std::u16string datatype;
    std::u16string outputFile;
    DWORD pages = 0;
    std::vector<BYTE> bytes;
};

// Paper numbers of forms made without one start here (DMPAPER_USER); the
// standard sizes keep their DMPAPER numbers below it.
constexpr WORD kFirstUserPaper = 256;
constexpr WORD kLastPaper = 0x7FFF;  // dmPaperSize is a signed 16-bit field

constexpr DWORDLONG DriverVersion(WORD major, WORD minor, WORD build, WORD revision)
{
    return static_cast<DWORDLONG>(major) << 48 | static_cast<DWORDLONG>(minor) << 32 |
           static_cast<DWORDLONG>(build) << 16 | revision;
}

// Empties the server: no printers, drivers, forms or jobs. Open handles stay
// open (ClosePrinter still works) but name nothing any more; the same holds
// after LoadSample and FromJson, which replace the server as a whole.
STANDIN_API void Reset();
// Replaces the server by the embedded sample: a printer of every model, the
// label forms their tape widths take, a few standard sizes.
STANDIN_API void LoadSample();

// Adds a printer; its driver is added too, with the model's widths and
// version, when the server does not have it. False when the name is taken
// or the configuration is not valid.
STANDIN_API bool AddPrinter(const PrinterConfig &config);
// Replaces the configuration of the printer of that name (name and driver
// included; the printer's handles stay valid).
STANDIN_API bool UpdatePrinter(const std::u16string &name, const PrinterConfig &config);
STANDIN_API bool RemovePrinter(const std::u16string &name);
STANDIN_API bool GetPrinter(const std::u16string &name, PrinterConfig &out);
STANDIN_API std::vector<std::u16string> PrinterNames();

STANDIN_API bool SetData(const std::u16string &printer, const std::u16string &value, DWORD type,
                         const std::vector<BYTE> &bytes);
STANDIN_API bool GetData(const std::u16string &printer, const std::u16string &value, DataValue &out);
STANDIN_API bool RemoveData(const std::u16string &printer, const std::u16string &value);

// The printer's default DEVMODE bytes; empty when it has none or the
// printer does not exist. Set accepts empty (none) or a valid DEVMODE.
STANDIN_API std::vector<BYTE> DefaultDevMode(const std::u16string &printer);
STANDIN_API bool SetDefaultDevMode(const std::u16string &printer, const std::vector<BYTE> &devmode);
STANDIN_API bool SetRefuseFullAccess(const std::u16string &printer, bool refuse);

// Adds or replaces a driver.
STANDIN_API bool AddDriver(const DriverConfig &config);
STANDIN_API bool GetDriver(const std::u16string &name, DriverConfig &out);
STANDIN_API bool SetDriverVersion(const std::u16string &driver, DWORDLONG version);
// What AddPrinter gives a driver it does not know: the model's widths and
// own papers for the eleven models, no width limit for any other name.
STANDIN_API DriverConfig ModelDriver(const std::u16string &name);

// Adds a form of any kind, builtin ones included, without the checks of
// AddFormW. False when the name or the paper number is taken.
STANDIN_API bool AddForm(const FormConfig &form);
STANDIN_API bool RemoveForm(const std::u16string &name);
STANDIN_API std::vector<FormConfig> Forms();
// A default DEVMODE as the sample's printers have, for a printer of that
// name and driver: the public part set for the form (paper number, size,
// name), then the driver's private bytes, the plug-in's record with its
// defaults last. Empty when the store has no such form.
STANDIN_API std::vector<BYTE> MakeDefaultDevMode(const std::u16string &printer, const std::u16string &driver,
                                                 const std::u16string &form);
// The same for a printer of the server, with its driver; empty when the
// server has no such printer.
STANDIN_API std::vector<BYTE> MakeDefaultDevMode(const std::u16string &printer, const std::u16string &form);

STANDIN_API std::vector<JobRecord> Jobs();
STANDIN_API void ClearJobs();

// The bidi port of each printer (bidi/bidispl.h). The ribbon status block a
// label printer answers "\Printer.WR" with: 16 bytes, 0x1A 0x40, six unused,
// the ribbon type at 8, six unused, the width in millimetres at 15.
STANDIN_API std::vector<BYTE> RibbonStatus(BYTE type, BYTE widthMm);
// A reply of exactly these bytes.
STANDIN_API BidiReply AnswerWith(std::vector<BYTE> data, DWORD delay = 0);
STANDIN_API bool SetBidiReply(const std::u16string &printer, const BidiReply &reply);
// One IBidiSpl::SendRecv that reached a bound printer, failed or not.
struct BidiExchange {
    std::u16string printer;
    std::u16string schema;
    std::u16string action;
    DWORD type = BIDI_NULL;
    std::vector<BYTE> input;
};
STANDIN_API std::vector<BidiExchange> BidiExchanges();
STANDIN_API void ClearBidiExchanges();
// The longest a port's answer is waited for; a later answer is a failed
// exchange (ERROR_TIMEOUT) after this time. On the platform the spooler's
// own timeout plays this part. Default 1000 ms.
STANDIN_API void SetBidiTimeout(DWORD milliseconds);
STANDIN_API DWORD BidiTimeout();

// A number that grows with every change of what ToJson saves: drivers,
// forms, printers and their data, whether through the winspool calls or
// these controls (a call that stores what is already there changes
// nothing). Equal readings mean an equal state, so a caller can tell that
// the server changed without serialising it.
STANDIN_API unsigned long long Changes();

// The whole server as JSON text: drivers, forms, printers with their data
// values and DEVMODE (bytes as hex), the next paper number. Jobs and open
// handles are not part of it.
STANDIN_API std::string ToJson();
// Replaces the server by a state that ToJson wrote. On any fault (not JSON,
// missing or mistyped fields, duplicate names, a DEVMODE whose sizes do not
// agree) it returns false, says why in *error and leaves the server as it was.
STANDIN_API bool FromJson(const std::string &text, std::string *error);
// Writes ToJson() to the file atomically: a temporary file in the same
// folder, flushed to disk, renamed over the target. A failed save leaves the
// old file as it was.
STANDIN_API bool SaveJson(const std::string &path, std::string *error);
STANDIN_API bool LoadJson(const std::string &path, std::string *error);

}  // namespace standin::spooler
