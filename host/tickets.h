// What the core driver writes before the plug-in converts: a base PrintTicket
// made from a DEVMODE and the base PrintCapabilities of a model, as XML text
// in a fixed layout (the same input gives the same bytes).
#pragma once

#include "platform/win32.h"

#include <string>
#include <vector>

namespace host {

// Namespaces every base document declares, with the prefixes the core uses.
extern const char kFrameworkUri[];  // psf
extern const char kKeywordsUri[];   // psk
extern const char kXsiUri[];        // xsi
extern const char kXsdUri[];        // xsd
extern const char kPrivateUri[];    // ns0000, the model's own features

// A paper the driver offers, sizes in microns.
struct TicketPaper {
    std::u16string name;
    LONG width = 0;
    LONG height = 0;
};

// A feature of the model's private namespace and its options, in the
// driver's order; the first is the driver's default.
struct TicketFeature {
    const char *name;
    std::vector<std::string> options;
};

// The model's private features, in the order the core writes them.
const std::vector<TicketFeature> &PrivateFeatures();
// Whether the model has the PageResolution feature (options in the private
// namespace).
bool HasResolutionFeature(const std::u16string &driver);
const std::vector<std::string> &ResolutionOptions();

// The option name a paper gets in the private namespace, without prefix:
// the form name made a valid XML name ("12 x 40mm" -> "Paper12_x_40mm").
std::string PaperOptionName(const std::u16string &form);

// The base ticket for a DEVMODE's public part on a printer of that driver.
std::string MakeBaseTicket(const DEVMODEW &devmode, const std::u16string &driver);
// The base capabilities of a model with the papers it offers.
std::string MakeBaseCapabilities(const std::u16string &driver, const std::vector<TicketPaper> &papers);
// The printer's papers, as DeviceCapabilitiesW names and sizes them. False
// when the printer is unknown.
bool ReadPrinterPapers(const std::u16string &printer, const std::u16string &port, std::vector<TicketPaper> &papers);

}  // namespace host
