// Replaying a customer's printers: the printers and forms of a registry
// export (regfile.h) made printers and forms of the print server.
//
// Read from the export, and nothing else (HKEY_LOCAL_MACHINE or HKLM,
// CurrentControlSet or a numbered ControlSetNNN):
//   SYSTEM\CurrentControlSet\Control\Print\Printers\<name>: "Printer
//     Driver", "Port", "Attributes", "Description" (the comment),
//     "Location", "Share Name", "Datatype", "Default DevMode";
//   ...\Printers\<name>\PrinterDriverData: every value, the printer data;
//   SYSTEM\CurrentControlSet\Control\Print\Forms: one REG_BINARY value of 32
//     bytes per form, named by the form: eight little-endian 32-bit fields,
//     width, length, imageable left, top, right, bottom (thousandths of a
//     millimetre), the form's place in the store, its flags (FORM_USER 0,
//     FORM_BUILTIN 1, FORM_PRINTER 2).
#pragma once

#include "host/regfile.h"

#include <string>
#include <vector>

namespace host {

// The keys whose values an import reads: a printer's key, its printer data
// and the forms key.
bool IsImportedKey(const std::u16string &path);

struct ImportReport {
    std::vector<std::string> lines;  // what was taken, what skipped and why, in the export's order
    size_t printers = 0;             // printers created or replaced
    size_t forms = 0;                // user forms created or replaced
};

// Creates or replaces in the server the user forms of the export and its
// printers whose driver is one of the plug-in's models (only those named in
// `only`, when it names any). False, with the server as it was and the
// reason in `error`, when a printer asked for is not in the export, or the
// export holds neither the printers key nor the forms key, or the server
// refuses a change.
bool ImportIntoServer(const RegExport &reg, const std::vector<std::u16string> &only, ImportReport &report,
                      std::string &error);

}  // namespace host
