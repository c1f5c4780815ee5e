#include "host/tickets.h"

#include "host/text.h"

#include <cstdio>

namespace host {

const char kFrameworkUri[] = "http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
const char kKeywordsUri[] = "http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";
const char kXsiUri[] = "http://www.w3.org/2001/XMLSchema-instance";
const char kXsdUri[] = "http://www.w3.org/2001/XMLSchema";
const char kPrivateUri[] = "http://schemas.microsoft.com/windows/printing/oemdriverpt/Condor-private";

namespace {

std::vector<std::string> Numbered(int count)
{
    std::vector<std::string> options;
    for (int i = 1; i <= count; ++i)
        options.push_back("Option" + std::to_string(i));
    return options;
}

const std::vector<std::string> kNoYes = {"NO", "YES"};

std::string Escaped(const std::string &text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

// The root element's start tag with the namespaces the core declares.
std::string RootStart(const char *element)
{
    std::string out = "<psf:";
    out += element;
    out += " xmlns:psf=\"" + std::string(kFrameworkUri) + "\"";
    out += " xmlns:psk=\"" + std::string(kKeywordsUri) + "\"";
    out += " xmlns:xsi=\"" + std::string(kXsiUri) + "\"";
    out += " xmlns:xsd=\"" + std::string(kXsdUri) + "\"";
    out += " xmlns:ns0000=\"" + std::string(kPrivateUri) + "\"";
    out += " version=\"1\">\n";
    return out;
}

std::string IntegerValue(long value)
{
    return "<psf:Value xsi:type=\"xsd:integer\">" + std::to_string(value) + "</psf:Value>";
}

std::string ScoredSize(const char *indent, LONG width, LONG height)
{
    std::string out;
    out += std::string(indent) + "<psf:ScoredProperty name=\"psk:MediaSizeWidth\">" + IntegerValue(width) +
           "</psf:ScoredProperty>\n";
    out += std::string(indent) + "<psf:ScoredProperty name=\"psk:MediaSizeHeight\">" + IntegerValue(height) +
           "</psf:ScoredProperty>\n";
    return out;
}

// A ticket feature with one selected option and nothing in it.
std::string SelectedFeature(const std::string &feature, const std::string &option)
{
    return "  <psf:Feature name=\"" + feature + "\">\n    <psf:Option name=\"" + option + "\"/>\n  </psf:Feature>\n";
}

const char kPickOne[] =
    "    <psf:Property name=\"psf:SelectionType\"><psf:Value xsi:type=\"xsd:QName\">psk:PickOne</psf:Value>"
    "</psf:Property>\n";

// A capabilities feature offering every option given.
std::string PickOneFeature(const std::string &feature, const std::string &prefix,
                           const std::vector<std::string> &options)
{
    std::string out = "  <psf:Feature name=\"" + feature + "\">\n";
    out += kPickOne;
    for (const std::string &option : options)
        out += "    <psf:Option name=\"" + prefix + option + "\"/>\n";
    out += "  </psf:Feature>\n";
    return out;
}

std::u16string FixedName(const WCHAR *name, size_t units)
{
    std::u16string out;
    for (size_t i = 0; i < units && name[i] != 0; ++i)
        out += static_cast<char16_t>(name[i]);
    return out;
}

}  // namespace

const std::vector<TicketFeature> &PrivateFeatures()
{
    static const std::vector<TicketFeature> features = {
        {"DocumentOEMRotate", {"Porital", "Porital180", "Landspace180", "Landspace"}},
        {"DocumentOEMPaperType", {"LabelWithGap", "ContinuousPaper", "LabelWithMarks"}},
        {"DocumentOEMGray", {"NONE", "OrderedDithering", "ErrorDiffsuion"}},
        {"DocumentOEMBlackLevel", Numbered(15)},
        {"DocumentOEMGrayLevel", Numbered(15)},
        {"DocumentOEMPrintSpeed", Numbered(5)},
        {"DocumentOEMPrintDensity", Numbered(15)},
        {"DocumentOEMPOST", {"NONE", "TearOff", "PeelOff"}},
        {"DocumentOEMReverse", kNoYes},
        {"DocumentOEMMirror", kNoYes},
        {"DocumentOEMChain", kNoYes},
        {"DocumentOEMAutoCut", kNoYes},
        {"DocumentOEMSpecialRibbon", kNoYes},
        {"DocumentOEMHalfCutMark", kNoYes},
    };
    return features;
}

bool HasResolutionFeature(const std::u16string &driver) { return driver == u"FalconBT"; }

const std::vector<std::string> &ResolutionOptions()
{
    static const std::vector<std::string> options = {"Standard", "HighQuality", "HighResolution", "HighSpeed"};
    return options;
}

std::string PaperOptionName(const std::u16string &form)
{
    std::string name;
    for (char16_t c : form) {
        bool keep = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'.' ||
                    c == u'-' || c == u'_';
        name += keep ? static_cast<char>(c) : '_';
    }
    if (name.empty() || !((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= 'A' && name[0] <= 'Z')))
        name = "Paper" + name;
    return name;
}

std::string MakeBaseTicket(const DEVMODEW &devmode, const std::u16string &driver)
{
    std::string out = RootStart("PrintTicket");
    // The driver's own features carry its defaults: the core does not know
    // what the plug-in keeps in its private record.
    for (const TicketFeature &feature : PrivateFeatures())
        out += SelectedFeature(std::string("ns0000:") + feature.name, "ns0000:" + feature.options.front());

    std::u16string form = FixedName(devmode.dmFormName, CCHFORMNAME);
    out += "  <psf:Feature name=\"psk:PageMediaSize\">\n";
    out += "    <psf:Option name=\"ns0000:" + PaperOptionName(form) + "\">\n";
    // The DEVMODE holds tenths of a millimetre.
    out += ScoredSize("      ", devmode.dmPaperWidth * 100L, devmode.dmPaperLength * 100L);
    out += "    </psf:Option>\n  </psf:Feature>\n";
    out += SelectedFeature("psk:PageOrientation",
                           devmode.dmOrientation == DMORIENT_LANDSCAPE ? "psk:Landscape" : "psk:Portrait");
    if (HasResolutionFeature(driver))
        out += SelectedFeature("psk:PageResolution", "ns0000:" + ResolutionOptions().front());

    int copies = devmode.dmCopies > 0 ? devmode.dmCopies : 1;
    out += "  <psf:ParameterInit name=\"psk:JobCopiesAllDocuments\">" + IntegerValue(copies) + "</psf:ParameterInit>\n";
    out += "</psf:PrintTicket>\n";
    return out;
}

std::string MakeBaseCapabilities(const std::u16string &driver, const std::vector<TicketPaper> &papers)
{
    std::string out = RootStart("PrintCapabilities");
    for (const TicketFeature &feature : PrivateFeatures())
        out += PickOneFeature(std::string("ns0000:") + feature.name, "ns0000:", feature.options);

    out += "  <psf:Feature name=\"psk:PageMediaSize\">\n";
    out += kPickOne;
    for (const TicketPaper &paper : papers) {
        out += "    <psf:Option name=\"ns0000:" + PaperOptionName(paper.name) + "\">\n";
        out += "      <psf:Property name=\"psk:DisplayName\"><psf:Value xsi:type=\"xsd:string\">" +
               Escaped(Utf8(paper.name)) + "</psf:Value></psf:Property>\n";
        out += ScoredSize("      ", paper.width, paper.height);
        out += "    </psf:Option>\n";
    }
    out += "  </psf:Feature>\n";
    out += PickOneFeature("psk:PageOrientation", "psk:", {"Portrait", "Landscape"});
    if (HasResolutionFeature(driver))
        out += PickOneFeature("psk:PageResolution", "ns0000:", ResolutionOptions());

    out += "  <psf:ParameterDef name=\"psk:JobCopiesAllDocuments\">\n";
    out += "    <psf:Property name=\"psf:DataType\"><psf:Value xsi:type=\"xsd:QName\">xsd:integer</psf:Value>"
           "</psf:Property>\n";
    out += "    <psf:Property name=\"psf:UnitType\"><psf:Value xsi:type=\"xsd:string\">copies</psf:Value>"
           "</psf:Property>\n";
    out += "    <psf:Property name=\"psf:Multiple\">" + IntegerValue(1) + "</psf:Property>\n";
    out += "    <psf:Property name=\"psf:MaxValue\">" + IntegerValue(999) + "</psf:Property>\n";
    out += "    <psf:Property name=\"psf:MinValue\">" + IntegerValue(1) + "</psf:Property>\n";
    out += "    <psf:Property name=\"psf:DefaultValue\">" + IntegerValue(1) + "</psf:Property>\n";
    out += "    <psf:Property name=\"psf:Mandatory\"><psf:Value xsi:type=\"xsd:QName\">psk:Unconditional"
           "</psf:Value></psf:Property>\n";
    out += "  </psf:ParameterDef>\n";
    out += "</psf:PrintCapabilities>\n";
    return out;
}

bool ReadPrinterPapers(const std::u16string &printer, const std::u16string &port, std::vector<TicketPaper> &papers)
{
    papers.clear();
    int count = DeviceCapabilitiesW(printer.c_str(), port.c_str(), DC_PAPERNAMES, nullptr, nullptr);
    if (count < 0)
        return false;
    if (count == 0)
        return true;
    std::vector<WCHAR> names(static_cast<size_t>(count) * 64);
    // DC_PAPERSIZE answers POINTs: width and length, two LONGs each.
    std::vector<LONG> sizes(static_cast<size_t>(count) * 2);
    if (DeviceCapabilitiesW(printer.c_str(), port.c_str(), DC_PAPERNAMES, names.data(), nullptr) != count ||
        DeviceCapabilitiesW(printer.c_str(), port.c_str(), DC_PAPERSIZE, reinterpret_cast<LPWSTR>(sizes.data()),
                            nullptr) != count)
        return false;
    for (int i = 0; i < count; ++i) {
        TicketPaper paper;
        paper.name = FixedName(&names[static_cast<size_t>(i) * 64], 64);
        // DC_PAPERSIZE answers tenths of a millimetre.
        paper.width = sizes[static_cast<size_t>(i) * 2] * 100L;
        paper.height = sizes[static_cast<size_t>(i) * 2 + 1] * 100L;
        papers.push_back(paper);
    }
    return true;
}

}  // namespace host
