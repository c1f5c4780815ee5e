// winspool of the Linux stand-in: printers, their handles, printer data and
// raw jobs, over the one in-memory server of state.h. Forms and device
// capabilities are in forms.cpp, the controls in control.cpp.
//
// Each call first consults fault injection under its own name, then checks
// the handle, then its arguments, as the platform does. Successful calls
// leave the last error alone.
#include "platform/linux/spooler/pack.h"
#include "platform/linux/spooler/state.h"

#include <cstring>

using standin::spooler::DriverConfig;
using standin::spooler::JobRecord;
using standin::spooler::PrinterConfig;
using namespace standin::spooler::detail;

namespace {

// The data types the local print processor takes.
bool knownDatatype(const std::u16string &type)
{
    static const char16_t *const kTypes[] = {u"RAW",          u"RAW [FF appended]", u"RAW [FF auto]", u"NT EMF 1.003",
                                             u"NT EMF 1.006", u"NT EMF 1.007",      u"NT EMF 1.008",  u"TEXT"};
    for (const char16_t *known : kTypes)
        if (SameName(type, known))
            return true;
    return false;
}

DWORD jobsInProgress(Server &s, uint64_t printer)
{
    DWORD n = 0;
    for (const Handle *h : s.handles)
        n += h->printer == printer && h->inDoc;
    return n;
}

// ---- PRINTER_INFO_2 and _4 ------------------------------------------------

// The DEVMODE right after the fixed structures, pointer-aligned, then the
// strings. A local printer has no server name.
void fillInfo2(Packer &k, Server &s, const Printer &p, PRINTER_INFO_2W *info)
{
    const PrinterConfig &c = p.config;
    void *devmode = c.devmode.empty() ? nullptr : k.Bytes(c.devmode.data(), c.devmode.size(), alignof(void *));
    WCHAR *name = k.String(c.name);
    WCHAR *share = k.String(c.shareName);
    WCHAR *port = k.String(c.port);
    WCHAR *driver = k.String(c.driver);
    WCHAR *comment = k.String(c.comment);
    WCHAR *location = k.String(c.location);
    WCHAR *sepFile = k.String(u"");
    WCHAR *processor = k.String(u"winprint");
    WCHAR *datatype = k.String(c.datatype);
    WCHAR *parameters = k.String(u"");
    if (info == nullptr)
        return;
    info->pServerName = nullptr;
    info->pPrinterName = name;
    info->pShareName = share;
    info->pPortName = port;
    info->pDriverName = driver;
    info->pComment = comment;
    info->pLocation = location;
    info->pDevMode = static_cast<LPDEVMODEW>(devmode);
    info->pSepFile = sepFile;
    info->pPrintProcessor = processor;
    info->pDatatype = datatype;
    info->pParameters = parameters;
    info->pSecurityDescriptor = nullptr;
    info->Attributes = c.attributes;
    info->Priority = 1;
    info->cJobs = jobsInProgress(s, p.id);
}

void fillInfo4(Packer &k, const Printer &p, PRINTER_INFO_4W *info)
{
    WCHAR *name = k.String(p.config.name);
    if (info == nullptr)
        return;
    info->pPrinterName = name;
    info->pServerName = nullptr;
    info->Attributes = p.config.attributes;
}

// Structures for all printers first, then each one's strings.
BOOL packPrinters(Server &s, const std::vector<const Printer *> &printers, DWORD level, LPBYTE buffer, DWORD cbBuf,
                  LPDWORD pcbNeeded)
{
    return PackReply(buffer, cbBuf, pcbNeeded, [&](Packer &k) {
        if (level == 2) {
            PRINTER_INFO_2W *infos = k.Struct<PRINTER_INFO_2W>(printers.size());
            for (size_t i = 0; i < printers.size(); ++i)
                fillInfo2(k, s, *printers[i], infos != nullptr ? infos + i : nullptr);
        } else {
            PRINTER_INFO_4W *infos = k.Struct<PRINTER_INFO_4W>(printers.size());
            for (size_t i = 0; i < printers.size(); ++i)
                fillInfo4(k, *printers[i], infos != nullptr ? infos + i : nullptr);
        }
    });
}

// A DEVMODE handed in: the public part must be today's 220 bytes (no older
// layout is converted); the private bytes are taken as they are.
bool readDevMode(const DEVMODEW *dm, std::vector<BYTE> &out)
{
    if (dm->dmSize != sizeof(DEVMODEW))
        return false;
    const BYTE *bytes = reinterpret_cast<const BYTE *>(dm);
    out.assign(bytes, bytes + dm->dmSize + dm->dmDriverExtra);
    return true;
}

// ---- DRIVER_INFO_3 and _8 -------------------------------------------------

// The files of a Unidrv-based driver installed from its package.
struct DriverFiles {
    std::u16string directory;
    std::u16string infPath;
};

DriverFiles driverFiles(const std::u16string &environment)
{
    bool x86 = SameName(environment, u"Windows NT x86");
    std::u16string dir = x86 ? u"C:\\Windows\\System32\\spool\\DRIVERS\\W32X86\\3\\"
                             : u"C:\\Windows\\System32\\spool\\DRIVERS\\x64\\3\\";
    std::u16string inf = x86 ? u"C:\\Windows\\System32\\DriverStore\\FileRepository\\orvo.inf_x86\\orvo.inf"
                             : u"C:\\Windows\\System32\\DriverStore\\FileRepository\\orvo.inf_amd64\\orvo.inf";
    return {dir, inf};
}

// 1 June 2023, 00:00 UTC, in 100 ns units since 1601.
constexpr uint64_t kDriverDate = 116444736000000000ull + 1685577600ull * 10000000ull;

template <typename Info>
void fillInfo3Part(Packer &k, const DriverConfig &d, const std::u16string &env, Info *info)
{
    DriverFiles files = driverFiles(env);
    WCHAR *name = k.String(d.name);
    WCHAR *environment = k.String(env);
    WCHAR *driverPath = k.String(files.directory + u"UNIDRV.DLL");
    WCHAR *dataFile = k.String(files.directory + u"orvo.gpd");
    WCHAR *configFile = k.String(files.directory + u"UNIDRVUI.DLL");
    WCHAR *helpFile = k.String(files.directory + u"UNIDRV.HLP");
    WCHAR *dependent = k.String(files.directory + u"orvoui.dll" + u'\0' + files.directory + u"UNIRES.DLL" + u'\0' +
                                files.directory + u"STDNAMES.GPD" + u'\0');
    WCHAR *monitor = k.String(u"");
    WCHAR *datatype = k.String(u"RAW");
    if (info == nullptr)
        return;
    info->cVersion = 3;
    info->pName = name;
    info->pEnvironment = environment;
    info->pDriverPath = driverPath;
    info->pDataFile = dataFile;
    info->pConfigFile = configFile;
    info->pHelpFile = helpFile;
    info->pDependentFiles = dependent;
    info->pMonitorName = monitor;
    info->pDefaultDataType = datatype;
}

void fillInfo8(Packer &k, const DriverConfig &d, const std::u16string &env, DRIVER_INFO_8W *info)
{
    const std::u16string emptyList(1, u'\0');  // a list of names ends with two zeros
    fillInfo3Part(k, d, env, info);
    WCHAR *previous = k.String(emptyList);
    WCHAR *maker = k.String(u"Orvo");
    WCHAR *url = k.String(u"");
    WCHAR *hardwareId = k.String(u"usbprint\\orvo" + d.name);
    WCHAR *provider = k.String(u"Orvo");
    WCHAR *processor = k.String(u"winprint");
    WCHAR *vendorSetup = k.String(u"");
    WCHAR *profiles = k.String(emptyList);
    WCHAR *infPath = k.String(driverFiles(env).infPath);
    WCHAR *coreDependencies = k.String(emptyList);
    if (info == nullptr)
        return;
    info->pszzPreviousNames = previous;
    info->ftDriverDate = {static_cast<DWORD>(kDriverDate), static_cast<DWORD>(kDriverDate >> 32)};
    info->dwlDriverVersion = d.version;
    info->pszMfgName = maker;
    info->pszOEMUrl = url;
    info->pszHardwareID = hardwareId;
    info->pszProvider = provider;
    info->pszPrintProcessor = processor;
    info->pszVendorSetup = vendorSetup;
    info->pszzColorProfiles = profiles;
    info->pszInfPath = infPath;
    info->dwPrinterDriverAttributes = 0;
    info->pszzCoreDriverDependencies = coreDependencies;
}

}  // namespace

namespace standin::spooler::detail {

Printer *PrinterOf(Server &s, HANDLE handle, Handle **out)
{
    auto *h = static_cast<Handle *>(handle);
    if (s.handles.count(h) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    for (Printer &p : s.printers) {
        if (p.id == h->printer) {
            if (out != nullptr)
                *out = h;
            return &p;
        }
    }
    // The printer was removed (or the server reset) under the handle.
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

// The handle of a printer with a document started on it; null with the
// last error set otherwise.
Handle *StartedDocument(Server &s, HANDLE hPrinter)
{
    Handle *handle = nullptr;
    if (PrinterOf(s, hPrinter, &handle) == nullptr)
        return nullptr;
    if (!handle->inDoc) {
        SetLastError(ERROR_SPL_NO_STARTDOC);
        return nullptr;
    }
    return handle;
}

void FinishJob(Server &s, Handle &handle)
{
    handle.inDoc = false;
    handle.inPage = false;
    s.jobs.push_back(std::move(handle.job));
    handle.job = JobRecord{};
}

// The common start of the calls made within a started document: the planned
// fault, the server's lock and the handle's document, then `act`.
template <typename Act>
BOOL WithStartedDocument(const char *api, HANDLE hPrinter, Act act)
{
    if (standin::ShouldFail(api))
        return FALSE;
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    Handle *handle = StartedDocument(s, hPrinter);
    if (handle == nullptr)
        return FALSE;
    act(s, *handle);
    return TRUE;
}

}  // namespace standin::spooler::detail

extern "C" {

BOOL WINAPI OpenPrinterW(LPWSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSW pDefault)
{
    if (standin::ShouldFail("OpenPrinterW"))
        return FALSE;
    if (phPrinter == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    *phPrinter = nullptr;
    // The print server itself (a null or empty name) is not offered.
    if (pPrinterName == nullptr || pPrinterName[0] == 0)
        return Fail(ERROR_NOT_SUPPORTED);
    DWORD access = pDefault != nullptr && pDefault->DesiredAccess != 0 ? pDefault->DesiredAccess : PRINTER_ACCESS_USE;
    std::u16string datatype = pDefault != nullptr ? FromWide(pDefault->pDatatype) : std::u16string();
    if (!datatype.empty() && !knownDatatype(datatype))
        return Fail(ERROR_INVALID_DATATYPE);

    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    Printer *p = FindPrinter(s, FromWide(pPrinterName));
    if (p == nullptr)
        return Fail(ERROR_INVALID_PRINTER_NAME);
    if (p->config.refuseFullAccess && (access & PRINTER_ACCESS_ADMINISTER) != 0)
        return Fail(ERROR_ACCESS_DENIED);
    auto *handle = new Handle;
    handle->printer = p->id;
    handle->access = access;
    handle->datatype = datatype;
    s.handles.insert(handle);
    standin::CountAdd(&standin::Counters::printerHandles, 1);
    *phPrinter = handle;
    return TRUE;
}

// A document still open is ended as EndDocPrinter would. A failed call
// (fault injection) leaves the handle open.
BOOL WINAPI ClosePrinter(HANDLE hPrinter)
{
    if (standin::ShouldFail("ClosePrinter"))
        return FALSE;
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    auto *handle = static_cast<Handle *>(hPrinter);
    if (s.handles.erase(handle) == 0)
        return Fail(ERROR_INVALID_HANDLE);
    if (handle->inDoc)
        FinishJob(s, *handle);
    delete handle;
    standin::CountAdd(&standin::Counters::printerHandles, -1);
    return TRUE;
}

BOOL WINAPI GetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded)
{
    if (standin::ShouldFail("GetPrinterW"))
        return FALSE;
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    Printer *p = PrinterOf(s, hPrinter);
    if (p == nullptr)
        return FALSE;
    if (Level != 2 && Level != 4)
        return Fail(ERROR_INVALID_LEVEL);
    if (pcbNeeded == nullptr)
        return Fail(RPC_X_NULL_REF_POINTER);
    return packPrinters(s, {p}, Level, pPrinter, cbBuf, pcbNeeded);
}

// Level 2 with command 0 only. The printer keeps its name and driver; a
// null string leaves its field as it is, and so does a null DEVMODE.
// Everything is checked before anything changes.
BOOL WINAPI SetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD Command)
{
    if (standin::ShouldFail("SetPrinterW"))
        return FALSE;
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    Handle *handle = nullptr;
    Printer *p = PrinterOf(s, hPrinter, &handle);
    if (p == nullptr)
        return FALSE;
    if (Level != 2)
        return Fail(ERROR_INVALID_LEVEL);
    if (!MayManage(*handle))
        return Fail(ERROR_ACCESS_DENIED);
    if (Command != 0)
        return Fail(ERROR_NOT_SUPPORTED);  // pause, resume, purge are not modelled
    if (pPrinter == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);

    const auto *info = reinterpret_cast<const PRINTER_INFO_2W *>(pPrinter);
    PrinterConfig next = p->config;
    if (info->pDevMode != nullptr && !readDevMode(info->pDevMode, next.devmode))
        return Fail(ERROR_INVALID_PARAMETER);
    if (info->pPortName != nullptr && info->pPortName[0] == 0)
        return Fail(ERROR_INVALID_PARAMETER);
    if (info->pDatatype != nullptr && !knownDatatype(FromWide(info->pDatatype)))
        return Fail(ERROR_INVALID_DATATYPE);
    auto take = [](LPWSTR from, std::u16string &to) {
        if (from != nullptr)
            to = FromWide(from);
    };
    take(info->pPortName, next.port);
    take(info->pShareName, next.shareName);
    take(info->pComment, next.comment);
    take(info->pLocation, next.location);
    take(info->pDatatype, next.datatype);
    next.attributes = info->Attributes;
    const PrinterConfig &now = p->config;
    if (next.devmode != now.devmode || next.port != now.port || next.shareName != now.shareName ||
        next.comment != now.comment || next.location != now.location || next.datatype != now.datatype ||
        next.attributes != now.attributes)
        ++s.changes;
    p->config = std::move(next);
    return !standin::ShouldFailAfterWriting("SetPrinterW");
}

// Only this machine's printers, in the order they were added: no other
// server name, no connections.
BOOL WINAPI EnumPrintersW(DWORD Flags, LPWSTR Name, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf, LPDWORD pcbNeeded,
                          LPDWORD pcReturned)
{
    if (standin::ShouldFail("EnumPrintersW"))
        return FALSE;
    if (pcbNeeded == nullptr || pcReturned == nullptr)
        return Fail(RPC_X_NULL_REF_POINTER);
    *pcReturned = 0;
    if (Name != nullptr && Name[0] != 0)
        return Fail(ERROR_INVALID_NAME);
    const DWORD known = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    if ((Flags & known) == 0 || (Flags & ~known) != 0)
        return Fail(ERROR_INVALID_FLAGS);
    if (Level != 2 && Level != 4)
        return Fail(ERROR_INVALID_LEVEL);

    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    std::vector<const Printer *> printers;
    if (Flags & PRINTER_ENUM_LOCAL)
        for (const Printer &p : s.printers)
            printers.push_back(&p);
    if (!packPrinters(s, printers, Level, pPrinterEnum, cbBuf, pcbNeeded))
        return FALSE;
    *pcReturned = static_cast<DWORD>(printers.size());
    return TRUE;
}

// The driver is the same for both environments of the package; a null
// environment is this machine's, "Windows x64".
BOOL WINAPI GetPrinterDriverW(HANDLE hPrinter, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo, DWORD cbBuf,
                              LPDWORD pcbNeeded)
{
    if (standin::ShouldFail("GetPrinterDriverW"))
        return FALSE;
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    Printer *p = PrinterOf(s, hPrinter);
    if (p == nullptr)
        return FALSE;
    if (Level != 3 && Level != 8)
        return Fail(ERROR_INVALID_LEVEL);
    if (pcbNeeded == nullptr)
        return Fail(RPC_X_NULL_REF_POINTER);
    std::u16string env = pEnvironment != nullptr ? FromWide(pEnvironment) : u"Windows x64";
    if (!SameName(env, u"Windows x64") && !SameName(env, u"Windows NT x86"))
        return Fail(ERROR_INVALID_ENVIRONMENT);
    const DriverConfig *driver = FindDriver(s, p->config.driver);
    if (driver == nullptr)
        return Fail(ERROR_UNKNOWN_PRINTER_DRIVER);
    return PackReply(pDriverInfo, cbBuf, pcbNeeded, [&](Packer &k) {
        if (Level == 3)
            fillInfo3Part(k, *driver, env, k.Struct<DRIVER_INFO_3W>());
        else
            fillInfo8(k, *driver, env, k.Struct<DRIVER_INFO_8W>());
    });
}

// Answers with the error code; the last error is left alone.
DWORD WINAPI GetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                             LPDWORD pcbNeeded)
{
    if (standin::ShouldFail("GetPrinterDataW"))
        return GetLastError();
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    DWORD saved = GetLastError();
    Printer *p = PrinterOf(s, hPrinter);
    SetLastError(saved);
    if (p == nullptr)
        return ERROR_INVALID_HANDLE;
    if (pValueName == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (pcbNeeded == nullptr)
        return RPC_X_NULL_REF_POINTER;
    std::u16string name = FromWide(pValueName);
    for (const auto &value : p->config.data) {
        if (!SameName(value.name, name))
            continue;
        auto size = static_cast<DWORD>(value.bytes.size());
        *pcbNeeded = size;
        if (pType != nullptr)
            *pType = value.type;
        if (nSize < size)
            return ERROR_MORE_DATA;
        if (pData == nullptr && size != 0)
            return ERROR_INVALID_USER_BUFFER;
        if (size != 0)
            std::memcpy(pData, value.bytes.data(), size);
        return ERROR_SUCCESS;
    }
    return ERROR_FILE_NOT_FOUND;
}

// Needs a handle with the right to manage the printer. A value that exists
// (in any letter case) takes the new type and bytes and keeps its name.
DWORD WINAPI SetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData)
{
    if (standin::ShouldFail("SetPrinterDataW"))
        return GetLastError();
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    DWORD saved = GetLastError();
    Handle *handle = nullptr;
    Printer *p = PrinterOf(s, hPrinter, &handle);
    SetLastError(saved);
    if (p == nullptr)
        return ERROR_INVALID_HANDLE;
    if (!MayManage(*handle))
        return ERROR_ACCESS_DENIED;
    if (pValueName == nullptr || pValueName[0] == 0 || (pData == nullptr && cbData != 0))
        return ERROR_INVALID_PARAMETER;
    std::u16string name = FromWide(pValueName);
    std::vector<BYTE> bytes(pData, pData + cbData);
    bool found = false;
    for (auto &value : p->config.data) {
        if (SameName(value.name, name)) {
            if (value.type != Type || value.bytes != bytes)
                ++s.changes;
            value.type = Type;
            value.bytes = std::move(bytes);
            found = true;
            break;
        }
    }
    if (!found) {
        p->config.data.push_back({name, Type, std::move(bytes)});
        ++s.changes;
    }
    if (!standin::ShouldFailAfterWriting("SetPrinterDataW"))
        return ERROR_SUCCESS;
    DWORD error = GetLastError();
    SetLastError(saved);
    return error;
}

// The job's data type: the document's, else the handle's default, else the
// printer's. One document at a time per handle.
DWORD WINAPI StartDocPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo)
{
    if (standin::ShouldFail("StartDocPrinterW"))
        return 0;
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    Handle *handle = nullptr;
    Printer *p = PrinterOf(s, hPrinter, &handle);
    if (p == nullptr)
        return 0;
    if (Level != 1)
        return Fail(ERROR_INVALID_LEVEL);
    if (pDocInfo == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    if ((handle->access & PRINTER_ACCESS_USE) == 0)
        return Fail(ERROR_ACCESS_DENIED);
    if (handle->inDoc)
        return Fail(ERROR_INVALID_PRINTER_STATE);
    const auto *doc = reinterpret_cast<const DOC_INFO_1W *>(pDocInfo);
    std::u16string datatype = FromWide(doc->pDatatype);
    if (datatype.empty())
        datatype = !handle->datatype.empty() ? handle->datatype : p->config.datatype;
    if (!knownDatatype(datatype))
        return Fail(ERROR_INVALID_DATATYPE);

    JobRecord job;
    job.id = s.nextJobId++;
    if (s.nextJobId == 0)
        s.nextJobId = 1;
    job.printer = p->config.name;
    job.document = FromWide(doc->pDocName);
    job.datatype = datatype;
    job.outputFile = FromWide(doc->pOutputFile);
    handle->job = std::move(job);
    handle->inDoc = true;
    return handle->job.id;
}

BOOL WINAPI StartPagePrinter(HANDLE hPrinter)
{
    return WithStartedDocument("StartPagePrinter", hPrinter, [](Server &, Handle &handle) {
        handle.inPage = true;
        ++handle.job.pages;
    });
}

BOOL WINAPI WritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten)
{
    if (standin::ShouldFail("WritePrinter"))
        return FALSE;
    if (pcWritten == nullptr)
        return Fail(RPC_X_NULL_REF_POINTER);
    *pcWritten = 0;
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    Handle *handle = StartedDocument(s, hPrinter);
    if (handle == nullptr)
        return FALSE;
    if (pBuf == nullptr && cbBuf != 0)
        return Fail(ERROR_INVALID_USER_BUFFER);
    const BYTE *bytes = static_cast<const BYTE *>(pBuf);
    handle->job.bytes.insert(handle->job.bytes.end(), bytes, bytes + cbBuf);
    *pcWritten = cbBuf;
    return TRUE;
}

BOOL WINAPI EndPagePrinter(HANDLE hPrinter)
{
    return WithStartedDocument("EndPagePrinter", hPrinter, [](Server &, Handle &handle) { handle.inPage = false; });
}

BOOL WINAPI EndDocPrinter(HANDLE hPrinter)
{
    return WithStartedDocument("EndDocPrinter", hPrinter, [](Server &s, Handle &handle) { FinishJob(s, handle); });
}

}  // extern "C"
