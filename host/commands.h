// The host's commands; each returns the process exit code.
#pragma once

#include <string>
#include <vector>

namespace host {

struct HostOptions {
    std::string modulePath;
    std::string printer;               // --printer NAME (the last one given)
    std::vector<std::string> printers;  // every --printer NAME, in order
    std::string stateFile;             // --state FILE: a saved print server instead of the sample
    std::string inFile;                // --in FILE: a PrintTicket to convert to a DEVMODE
    std::string baseFile;              // --base FILE: a base PrintTicket instead of the core's
    std::string outFile;               // --out FILE: where a resulting document goes
    std::string regFile;               // --reg FILE: a registry export to import
    bool debugOutput = false;          // echo the plug-in's debugger output to stderr
    bool deviceSheet = false;          // sheet: --device instead of --document
    std::vector<std::string> actions;  // sheet: --do ACTION, in order
};

int RunInfo(const HostOptions &options);
int RunPrinters(const HostOptions &options);
int RunDevMode(const HostOptions &options);
int RunInstall(const HostOptions &options);
int RunTicket(const HostOptions &options);
int RunCaps(const HostOptions &options);
int RunSheet(const HostOptions &options);
int RunImport(const HostOptions &options);

}  // namespace host
