// orvoui-host printers, devmode and install: the print server's printers,
// the driver's DevMode sequence on a printer's default DEVMODE, and printer
// initialisation, each through the loaded plug-in where the driver would
// call it.
#include "host/commands.h"
#include "host/output.h"
#include "host/plugin.h"
#include "host/records.h"
#include "host/state.h"
#include "host/text.h"
#include "platform/linux/spooler/server.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace host {

namespace {

using standin::spooler::PrinterConfig;

std::string DefaultPaper(const PrinterConfig &printer)
{
    if (printer.devmode.size() < sizeof(DEVMODEW))
        return "(no default DEVMODE)";
    DEVMODEW devmode;
    std::memcpy(&devmode, printer.devmode.data(), sizeof(devmode));
    for (const auto &form : standin::spooler::Forms()) {
        if (form.paper == static_cast<WORD>(devmode.dmPaperSize))
            return Utf8(form.name) + " (paper " + std::to_string(devmode.dmPaperSize) + ")";
    }
    return "paper " + std::to_string(devmode.dmPaperSize) + " (no such form)";
}

// The common start of a command on one printer: the server loaded, the
// printer found, the plug-in's UI object made.
IPrintOemUI *StartOnPrinter(const HostOptions &options, PrinterConfig &printer, PluginModule &module)
{
    if (!LoadServer(options.stateFile) || !FindPrinter(options.printer, printer))
        return nullptr;
    return CreateUi(module, options.modulePath);
}

}  // namespace

int RunPrinters(const HostOptions &options)
{
    if (!LoadServer(options.stateFile))
        return 1;
    for (const std::u16string &name : standin::spooler::PrinterNames()) {
        PrinterConfig printer;
        if (!standin::spooler::GetPrinter(name, printer))
            continue;
        // A state file's text, shown without its control characters.
        Print("%s\n", Printable(Utf8(name)).c_str());
        Print("  driver    %s\n", Printable(Utf8(printer.driver)).c_str());
        Print("  port      %s\n", Printable(Utf8(printer.port)).c_str());
        Print("  paper     %s\n", DefaultPaper(printer).c_str());
        if (printer.refuseFullAccess)
            Print("  access    printing only (full access refused)\n");
        if (printer.attributes & PRINTER_ATTRIBUTE_WORK_OFFLINE)
            Print("  status    offline\n");
        Print("  settings  %s\n%s", StoredSettings(name).c_str(), StoredListAndItem(name).c_str());
    }
    // The forms users made (the printers' own sizes are the drivers').
    bool heading = false;
    for (const standin::spooler::FormConfig &form : standin::spooler::Forms()) {
        if (form.flags != FORM_USER)
            continue;
        if (!heading)
            Print("user forms:\n");
        heading = true;
        Print("  %s: %s (paper %u)\n", Printable(Utf8(form.name)).c_str(), DescribeForm(form).c_str(),
              static_cast<unsigned>(form.paper));
    }
    return 0;
}

int RunDevMode(const HostOptions &options)
{
    PrinterConfig printer;
    PluginModule module;
    IPrintOemUI *ui = StartOnPrinter(options, printer, module);
    if (ui == nullptr)
        return 1;

    Print("printer %s, driver %s\n", options.printer.c_str(), Utf8(printer.driver).c_str());
    OEMDMPARAM param = {};
    param.cbSize = sizeof(param);
    HRESULT hr = ui->DevMode(OEMDM_SIZE, &param);
    Print("OEMDM_SIZE     %s, %u bytes\n", HresultText(hr).c_str(), static_cast<unsigned>(param.cbBufSize));
    int status = 0;
    if (FAILED(hr) || param.cbBufSize != sizeof(OEMDEV)) {
        ui->Release();
        return 1;
    }

    // The driver defaults a fresh record, then merges the printer's own
    // record (the last bytes of its default DEVMODE) into it.
    OEMDEV record = {};
    param.pOEMDMOut = &record;
    hr = ui->DevMode(OEMDM_DEFAULT, &param);
    Print("OEMDM_DEFAULT  %s\n", HresultText(hr).c_str());
    status |= FAILED(hr);

    const std::vector<BYTE> &devmode = printer.devmode;
    OEMDEV stored;
    bool hasRecord = false;
    if (devmode.size() >= sizeof(DEVMODEW)) {
        DEVMODEW head;
        std::memcpy(&head, devmode.data(), sizeof(head));
        Print("default DEVMODE: dmSize %u, dmDriverExtra %u\n", head.dmSize, head.dmDriverExtra);
        hasRecord = head.dmDriverExtra >= sizeof(OEMDEV) && devmode.size() >= 220u + head.dmDriverExtra;
        if (hasRecord)
            std::memcpy(&stored, devmode.data() + 220 + head.dmDriverExtra - sizeof(OEMDEV), sizeof(stored));
    }
    if (hasRecord) {
        param.pOEMDMIn = &stored;
        hr = ui->DevMode(OEMDM_MERGE, &param);
        Print("OEMDM_MERGE    %s (the printer's record)\n", HresultText(hr).c_str());
        status |= FAILED(hr);
    } else {
        Print("OEMDM_MERGE    skipped: the printer's DEVMODE carries no record\n");
    }
    Print("OEMDEV:\n%s", DescribeOEMDev(record).c_str());
    ui->Release();
    return status;
}

int RunInstall(const HostOptions &options)
{
    PrinterConfig printer;
    PluginModule module;
    IPrintOemUI *ui = StartOnPrinter(options, printer, module);
    if (ui == nullptr)
        return 1;

    std::u16string name = Utf16(options.printer);
    HRESULT hr = ui->PrinterEvent(&name[0], PRINTER_EVENT_INITIALIZE, 0, 0);
    ui->Release();
    Print("PRINTER_EVENT_INITIALIZE %s: %s\n", options.printer.c_str(), HresultText(hr).c_str());
    Print("  settings  %s\n", StoredSettings(name).c_str());
    return SaveServer(options.stateFile) ? 0 : 1;
}

}  // namespace host
