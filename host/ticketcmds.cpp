// orvoui-host ticket and caps: the print ticket core's conversions on one
// printer, through the plug-in's provider bound as the core binds it.
#include "host/commands.h"
#include "host/output.h"
#include "host/ptcore.h"
#include "host/records.h"
#include "host/state.h"
#include "host/text.h"
#include "host/ticketfile.h"
#include "host/tickets.h"
#include "platform/linux/spooler/server.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace host {

namespace {

using standin::spooler::PrinterConfig;

bool WriteText(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        PrintError("orvoui-host: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// The printer's default DEVMODE, split as the core hands it over: the whole
// block and the plug-in's record, the last bytes of the private area.
struct DevModeCopy {
    std::vector<BYTE> bytes;
    ULONG size = 0;
    ULONG privateSize = 0;
    DEVMODEW *devmode = nullptr;
    void *record = nullptr;  // the plug-in's record, at whatever address the DEVMODE puts it
};

bool CopyDefaultDevMode(const PrinterConfig &printer, DevModeCopy &copy)
{
    copy.bytes = printer.devmode;
    DEVMODEW head;
    if (copy.bytes.size() < sizeof(DEVMODEW)) {
        PrintError("orvoui-host: printer '%s' has no default DEVMODE\n", Utf8(printer.name).c_str());
        return false;
    }
    std::memcpy(&head, copy.bytes.data(), sizeof(head));
    if (head.dmDriverExtra < sizeof(OEMDEV) || copy.bytes.size() < head.dmSize + head.dmDriverExtra) {
        PrintError("orvoui-host: the default DEVMODE of '%s' carries no plug-in record\n", Utf8(printer.name).c_str());
        return false;
    }
    copy.size = head.dmSize + head.dmDriverExtra;
    copy.privateSize = head.dmDriverExtra;
    copy.devmode = reinterpret_cast<DEVMODEW *>(copy.bytes.data());
    copy.record = copy.bytes.data() + copy.size - sizeof(OEMDEV);
    return true;
}

bool FindTicketPrinter(const HostOptions &options, PrinterConfig &printer)
{
    return LoadServer(options.stateFile) && FindPrinter(options.printer, printer);
}

// A DOM document holding the text: a generated one or a file's.
IXMLDOMDocument2 *LoadDocument(const TicketSession &session, const std::string &text, const std::string &source)
{
    IXMLDOMDocument2 *document = nullptr;
    HRESULT hr = session.CreateDocument(&document);
    if (FAILED(hr) || document == nullptr) {
        PrintError("orvoui-host: cannot create an XML document: %s\n", HresultText(hr).c_str());
        return nullptr;
    }
    std::string error;
    if (!LoadDocumentText(document, text, error)) {
        PrintError("orvoui-host: %s: %s\n", source.c_str(), error.c_str());
        document->Release();
        return nullptr;
    }
    return document;
}

bool Emit(IXMLDOMDocument2 *document, const HostOptions &options)
{
    std::string text = DocumentText(document);
    if (!options.outFile.empty()) {
        if (!WriteText(options.outFile, text))
            return false;
        Print("written to %s\n", options.outFile.c_str());
        return true;
    }
    Print("%s", text.c_str());
    if (!text.empty() && text.back() != '\n')
        Print("\n");
    return true;
}

bool OpenSession(const HostOptions &options, TicketSession &session)
{
    std::string error;
    if (!session.Open(options.modulePath, Utf16(options.printer), error)) {
        PrintError("orvoui-host: %s\n", error.c_str());
        return false;
    }
    return true;
}

int TicketToDevMode(const HostOptions &options, const PrinterConfig &printer, TicketSession &session,
                    DevModeCopy &devmode)
{
    std::string text;
    std::string error;
    if (!ReadTicketFile(options.inFile, text, error)) {
        PrintError("orvoui-host: %s\n", error.c_str());
        return 1;
    }
    IXMLDOMDocument2 *ticket = LoadDocument(session, text, Printable(options.inFile));
    if (ticket == nullptr)
        return 1;
    HRESULT hr = session.Provider()->ConvertPrintTicketToDevMode(ticket, devmode.size, devmode.devmode,
                                                                 devmode.privateSize, devmode.record);
    ticket->Release();
    Print("ConvertPrintTicketToDevMode %s\n", HresultText(hr).c_str());
    if (FAILED(hr))
        return 1;
    OEMDEV record;
    std::memcpy(&record, devmode.record, sizeof(record));
    Print("OEMDEV:\n%s", DescribeOEMDev(record).c_str());
    Print("settings  %s\n", StoredSettings(printer.name).c_str());
    return 0;
}

int DevModeToTicket(const HostOptions &options, TicketSession &session, DevModeCopy &devmode,
                    const PrinterConfig &printer)
{
    std::string text;
    std::string source = "base ticket";
    if (!options.baseFile.empty()) {
        std::string error;
        if (!ReadTicketFile(options.baseFile, text, error)) {
            PrintError("orvoui-host: %s\n", error.c_str());
            return 1;
        }
        source = Printable(options.baseFile);
    } else {
        text = MakeBaseTicket(*devmode.devmode, printer.driver);
    }
    IXMLDOMDocument2 *ticket = LoadDocument(session, text, source);
    if (ticket == nullptr)
        return 1;
    HRESULT hr = session.Provider()->ConvertDevModeToPrintTicket(devmode.size, devmode.devmode, devmode.privateSize,
                                                                 devmode.record, ticket);
    Print("ConvertDevModeToPrintTicket %s\n", HresultText(hr).c_str());
    bool written = !FAILED(hr) && Emit(ticket, options);
    ticket->Release();
    return written ? 0 : 1;
}

}  // namespace

int RunTicket(const HostOptions &options)
{
    if (!options.inFile.empty() && !options.baseFile.empty()) {
        PrintError("orvoui-host: ticket takes --in or --base, not both\n");
        return 2;
    }
    PrinterConfig printer;
    DevModeCopy devmode;
    if (!FindTicketPrinter(options, printer) || !CopyDefaultDevMode(printer, devmode))
        return 1;
    int status;
    {
        TicketSession session;
        if (!OpenSession(options, session))
            return 1;
        if (!options.inFile.empty())
            status = TicketToDevMode(options, printer, session, devmode);
        else
            status = DevModeToTicket(options, session, devmode, printer);
    }
    // PrintTicket to DEVMODE stores the printer's settings.
    if (status == 0 && !options.inFile.empty() && !SaveServer(options.stateFile))
        status = 1;
    return status;
}

int RunCaps(const HostOptions &options)
{
    PrinterConfig printer;
    DevModeCopy devmode;
    if (!FindTicketPrinter(options, printer) || !CopyDefaultDevMode(printer, devmode))
        return 1;
    std::vector<TicketPaper> papers;
    if (!ReadPrinterPapers(printer.name, printer.port, papers)) {
        PrintError("orvoui-host: cannot read the papers of '%s'\n", options.printer.c_str());
        return 1;
    }
    TicketSession session;
    if (!OpenSession(options, session))
        return 1;
    IXMLDOMDocument2 *ticket = LoadDocument(session, MakeBaseTicket(*devmode.devmode, printer.driver), "base ticket");
    IXMLDOMDocument2 *caps = LoadDocument(session, MakeBaseCapabilities(printer.driver, papers), "base capabilities");
    int status = 1;
    if (ticket != nullptr && caps != nullptr) {
        HRESULT hr = session.Provider()->CompletePrintCapabilities(ticket, caps);
        Print("CompletePrintCapabilities %s\n", HresultText(hr).c_str());
        status = !FAILED(hr) && Emit(caps, options) ? 0 : 1;
    }
    if (caps != nullptr)
        caps->Release();
    if (ticket != nullptr)
        ticket->Release();
    return status;
}

}  // namespace host
