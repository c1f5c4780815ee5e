// Inside the stand-in print server: the one server object, its lock, and
// the lookups the winspool calls and the controls share. Not for callers of
// the stand-in; they use server.h and winspool.h.
#pragma once

#include "platform/linux/spooler/server.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace standin::spooler::detail {

constexpr DWORD kDefaultBidiTimeout = 1000;

// What ToJson saves and FromJson restores.
struct State {
    std::vector<DriverConfig> drivers;
    std::vector<FormConfig> forms;
    std::vector<PrinterConfig> printers;
    WORD nextPaper = kFirstUserPaper;
};

struct Printer {
    uint64_t id;  // never reused, so a handle cannot reach a later namesake
    PrinterConfig config;
};

// An open printer handle. Callers get its address; every call looks it up
// in the server's set before touching it.
struct Handle {
    uint64_t printer;
    DWORD access;
    std::u16string datatype;  // from PRINTER_DEFAULTS, the default of its jobs
    bool inDoc = false;
    bool inPage = false;
    JobRecord job;
};

struct Server {
    std::mutex lock;
    std::vector<DriverConfig> drivers;
    std::vector<FormConfig> forms;
    std::vector<Printer> printers;
    WORD nextPaper = kFirstUserPaper;
    uint64_t nextPrinterId = 1;
    DWORD nextJobId = 1;
    std::vector<JobRecord> jobs;
    std::unordered_set<Handle *> handles;
    std::vector<BidiExchange> bidiExchanges;
    DWORD bidiTimeout = kDefaultBidiTimeout;
    // Grows with every change of what ToJson saves (see Changes()).
    unsigned long long changes = 0;
};

Server &server();

// Sets the last error and answers FALSE, as a failing BOOL call does.
inline BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

inline bool MayManage(const Handle &handle) { return (handle.access & PRINTER_ACCESS_ADMINISTER) != 0; }

// Case-insensitive as the platform compares printer, form and value names.
bool SameName(const std::u16string &a, const std::u16string &b);
// The key under which SameName finds a name equal: the name in lower case.
std::u16string FoldName(const std::u16string &name);
std::u16string FromWide(const WCHAR *text);

// All below expect the caller to hold the server's lock.
Printer *FindPrinter(Server &s, const std::u16string &name);
DriverConfig *FindDriver(Server &s, const std::u16string &name);
FormConfig *FindForm(Server &s, const std::u16string &name);
// The handle's printer, or null with ERROR_INVALID_HANDLE set.
Printer *PrinterOf(Server &s, HANDLE handle, Handle **out = nullptr);
Handle *StartedDocument(Server &s, HANDLE hPrinter);
// Closes the handle's open document as EndDocPrinter does.
void FinishJob(Server &s, Handle &handle);

// The papers a printer's driver offers, in DeviceCapabilitiesW's order.
std::vector<const FormConfig *> OfferedPapers(Server &s, const PrinterConfig &printer);

// Checks used by the controls and by FromJson; they say what is wrong.
bool ValidDevMode(const std::vector<BYTE> &devmode, std::string &error);
bool ValidPrinter(const PrinterConfig &config, std::string &error);
bool ValidForm(const FormConfig &form, std::string &error);
bool ValidState(const State &state, std::string &error);

State Snapshot(Server &s);
void Install(Server &s, State state);

// The embedded sample server (sample.cpp), and the default DEVMODE its
// printers have for a paper.
State SampleState();
std::vector<BYTE> BuildDevMode(const std::u16string &printer, const DriverConfig &driver, const FormConfig &form);

}  // namespace standin::spooler::detail
