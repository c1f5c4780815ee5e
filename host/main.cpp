// orvoui-host: plays the Unidrv core driver and the print system around the
// plug-in, so every behaviour can be exercised without Windows.
#include "host/commands.h"
#include "host/language.h"
#include "host/output.h"
#include "host/plugin.h"
#include "host/text.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>

namespace {

using namespace host;

void Usage()
{
    std::string text =
        "usage: orvoui-host [--module PATH] [--debug] [--lang TAG] COMMAND\n"
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
        "              key:ID=KEY,...  key:KEY,...   keys pressed at control ID or at the focus:\n"
        "                Tab Space Enter Escape Up Down Left Right Home End Apps F10, a letter,\n"
        "                a digit or ., each may follow Shift+ and/or Alt+ (Shift+Tab, Alt+C)\n"
        "              driver:KEYWORD=SEL      a driver item on the driver's page\n"
        "              driver:item=SEL         the plug-in's item on the printer sheet\n"
        "              dialog:ID=ACTION;...    what to do when dialog ID opens\n"
        "              msgbox:ok|cancel|yes|no the answer to the next message box\n"
        "              apply  ok  cancel  show\n"
        "  import    a customer's printers and forms from a registry export (--reg FILE and\n"
        "            --state FILE; --printer NAME, repeated, to take only those printers)\n"
        "options:\n"
        "  --printer NAME the printer to work on\n"
        "  --state FILE   a saved print server (the sample when missing; saved back when changed)\n"
        "  --in FILE      ticket: the PrintTicket to convert to a DEVMODE\n"
        "  --base FILE    ticket: the base PrintTicket to convert the DEVMODE onto\n"
        "  --out FILE     ticket, caps: write the resulting document to FILE\n"
        "  --reg FILE     import: the registry export (reg export of the print system's keys)\n"
        "  --module PATH  the plug-in shared object (default: $ORVOUI_MODULE or the built one)\n"
        "  --debug        also show the plug-in's debugger output, each line marked \"debug| \"\n"
        "  --lang TAG     the user's UI language for the run (default: en-US or $STANDIN_UI_LANGUAGE), one of:\n";
    std::string line = "                ";
    for (const UiLanguage &language : UiLanguages()) {
        if (line.size() + 7 > 80) {
            text += line + "\n";
            line = "                ";
        }
        line += std::string(" ") + language.tag;
    }
    text += line + "\n";
    PrintError("%s", text.c_str());
}

int RunCommand(const std::string &command, const HostOptions &options)
{
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
    if (command == "import")
        return RunImport(options);
    if (command.empty())
        PrintError("orvoui-host: no command given\n");
    else
        PrintError("orvoui-host: unknown command '%s'\n", Printable(command).c_str());
    Usage();
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    HostOptions options;
    options.modulePath = PluginModule::DefaultPath();
    std::string command;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--module") == 0 && i + 1 < argc) {
            options.modulePath = argv[++i];
        } else if (std::strcmp(argv[i], "--printer") == 0 && i + 1 < argc) {
            options.printer = argv[++i];
            options.printers.push_back(options.printer);
        } else if (std::strcmp(argv[i], "--state") == 0 && i + 1 < argc) {
            options.stateFile = argv[++i];
        } else if (std::strcmp(argv[i], "--in") == 0 && i + 1 < argc) {
            options.inFile = argv[++i];
        } else if (std::strcmp(argv[i], "--base") == 0 && i + 1 < argc) {
            options.baseFile = argv[++i];
        } else if (std::strcmp(argv[i], "--reg") == 0 && i + 1 < argc) {
            options.regFile = argv[++i];
        } else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            options.outFile = argv[++i];
        } else if (std::strcmp(argv[i], "--do") == 0 && i + 1 < argc) {
            options.actions.push_back(argv[++i]);
        } else if (std::strcmp(argv[i], "--lang") == 0 && i + 1 < argc) {
            const UiLanguage *language = FindUiLanguage(argv[++i]);
            if (language == nullptr) {
                PrintError("orvoui-host: the plug-in has no UI language '%s'\n", Printable(argv[i]).c_str());
                Usage();
                return 2;
            }
            UseUiLanguage(*language);
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
            PrintError("orvoui-host: unexpected argument '%s'\n", Printable(argv[i]).c_str());
            Usage();
            return 2;
        }
    }
    EchoDebugOutput(options.debugOutput);

    // Whatever fails on the way ends in a message and an exit code, never an abort.
    int status;
    try {
        status = RunCommand(command, options);
    } catch (const std::bad_alloc &) {
        PrintError("orvoui-host: out of memory\n");
        status = 1;
    } catch (const std::exception &e) {
        PrintError("orvoui-host: %s\n", Printable(e.what()).c_str());
        status = 1;
    }
    FlushDebugOutput();
    std::fflush(stdout);
    return status;
}
