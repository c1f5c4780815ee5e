// orvoui-host: plays the Unidrv core driver and the print system around the
// plug-in, so every behaviour can be exercised without Windows.
#include "host/commands.h"
#include "host/plugin.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void Usage()
{
    std::fprintf(stderr,
                 "usage: orvoui-host [--module PATH] [--debug] COMMAND\n"
                 "commands:\n"
                 "  info      load the plug-in and show what its objects answer\n"
                 "  printers  the print server's printers: driver, port, default paper, stored settings\n"
                 "  devmode   the driver's DevMode sequence on a printer's default DEVMODE (--printer)\n"
                 "  install   printer initialisation through the plug-in (--printer)\n"
                 "  ticket    the printer's default DEVMODE to a PrintTicket (--printer; --base FILE to\n"
                 "            start from that ticket), or with --in FILE that ticket to a DEVMODE\n"
                 "  caps      the model's PrintCapabilities completed by the plug-in (--printer)\n"
                 "  sheet     the printer's property sheet (--printer, --document or --device), acted on\n"
                 "            with --do ACTION, each in order:\n"
                 "              page:TEMPLATE|driver   show that page (the driver's own page: driver)\n"
                 "              click:ID  type:ID=TEXT  choose:ID=INDEX  choosetext:ID=TEXT\n"
                 "              slide:ID=POS  spin:ID=DELTA  listclick:ID=ITEM[,SUB[,right|double]]\n"
                 "              listcheck:ID=ITEM       on the page shown\n"
                 "              driver:KEYWORD=SEL      a driver item on the driver's page\n"
                 "              driver:item=SEL         the plug-in's item on the printer sheet\n"
                 "              dialog:ID=ACTION;...    what to do when dialog ID opens\n"
                 "              msgbox:ok|cancel|yes|no the answer to the next message box\n"
                 "              apply  ok  cancel  show\n"
                 "options:\n"
                 "  --printer NAME the printer to work on\n"
                 "  --state FILE   a saved print server (created from the sample when missing; saved back)\n"
                 "  --in FILE      ticket: the PrintTicket to convert to a DEVMODE\n"
                 "  --base FILE    ticket: the base PrintTicket to convert the DEVMODE onto\n"
                 "  --out FILE     ticket, caps: write the resulting document to FILE\n"
                 "  --module PATH  the plug-in shared object (default: $ORVOUI_MODULE or the built one)\n"
                 "  --debug        echo the plug-in's debugger output to stderr\n");
}

}  // namespace

int main(int argc, char **argv)
{
    using namespace host;
    HostOptions options;
    options.modulePath = PluginModule::DefaultPath();
    std::string command;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--module") == 0 && i + 1 < argc) {
            options.modulePath = argv[++i];
        } else if (std::strcmp(argv[i], "--printer") == 0 && i + 1 < argc) {
            options.printer = argv[++i];
        } else if (std::strcmp(argv[i], "--state") == 0 && i + 1 < argc) {
            options.stateFile = argv[++i];
        } else if (std::strcmp(argv[i], "--in") == 0 && i + 1 < argc) {
            options.inFile = argv[++i];
        } else if (std::strcmp(argv[i], "--base") == 0 && i + 1 < argc) {
            options.baseFile = argv[++i];
        } else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            options.outFile = argv[++i];
        } else if (std::strcmp(argv[i], "--do") == 0 && i + 1 < argc) {
            options.actions.push_back(argv[++i]);
        } else if (std::strcmp(argv[i], "--document") == 0) {
            options.deviceSheet = false;
        } else if (std::strcmp(argv[i], "--device") == 0) {
            options.deviceSheet = true;
        } else if (std::strcmp(argv[i], "--debug") == 0) {
            options.debugOutput = true;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            Usage();
            return 0;
        } else if (command.empty() && argv[i][0] != '-') {
            command = argv[i];
        } else {
            std::fprintf(stderr, "orvoui-host: unexpected argument '%s'\n", argv[i]);
            Usage();
            return 2;
        }
    }
    standin::DebugEcho(options.debugOutput);

    if (command == "info")
        return RunInfo(options);
    if (command == "printers")
        return RunPrinters(options);
    if (command == "devmode")
        return RunDevMode(options);
    if (command == "install")
        return RunInstall(options);
    if (command == "ticket")
        return RunTicket(options);
    if (command == "caps")
        return RunCaps(options);
    if (command == "sheet")
        return RunSheet(options);
    if (command.empty())
        std::fprintf(stderr, "orvoui-host: no command given\n");
    else
        std::fprintf(stderr, "orvoui-host: unknown command '%s'\n", command.c_str());
    Usage();
    return 2;
}
