// The embedded sample print server: one printer of every model, more
// FalconBT printers for distributed printing whose bidi ports report their
// ribbons, one printer that may only be used, one offline, one printing to a
// file; the label forms of the models' tape
// widths and a few standard sizes; the drivers with their widths and
// versions.
#include "platform/linux/spooler/state.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace standin::spooler {
namespace {

// The private bytes a Unidrv-based driver keeps after the public DEVMODE:
// its own data, then the plug-in's record as the last 108 bytes.
constexpr size_t kDriverPrivateBytes = 192;
constexpr size_t kPluginRecordBytes = 108;

// The plug-in's record with its defaults: header (size, signature "TFSM",
// version), the option item, three pending selections (none), then the
// settings from Speed to iQuality.
constexpr int32_t kPluginDefaults[27] = {108, 0x4D534654, 3, 0, -1, -1, -1, 4, 8, 0, 0, 1, 0, 3,
                                         0,   0,          0, 0, 0,  2,  6,  0, 0, 0, 0, 0, 0};
static_assert(sizeof(kPluginDefaults) == kPluginRecordBytes, "the plug-in's record is 108 bytes");

// The printer settings record the plug-in stores when a printer is
// installed ("OrvoPrinterData", version 5, 116 bytes).
constexpr int32_t kSettingsDefaults[29] = {5, 4, 5, 0,  0, 2, 0, 3, 0, 0, 0, 0, 0, 2, 6,
                                           0, 0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
static_assert(sizeof(kSettingsDefaults) == 116, "the settings record is 116 bytes");

void appendLittleEndian(std::vector<BYTE> &out, const int32_t *values, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(static_cast<BYTE>(static_cast<uint32_t>(values[i]) >> shift));
}

struct Model {
    const char16_t *name;
    LONG minWidth;  // thousandths of a millimetre
    LONG maxWidth;
    DWORDLONG version;
    const char16_t *ownPaper;  // the driver's own paper size, or null
};

// The widths are the tape widths the models take.
const Model kModels[] = {
    {u"KestrelBT", 6000, 18000, DriverVersion(1, 5, 3, 0), u"50 x 70mm"},
    {u"KestrelBT PRO", 6000, 18000, DriverVersion(1, 5, 3, 0), u"50 x 70mm"},
    {u"MerlinBT", 6000, 24000, DriverVersion(1, 5, 3, 0), u"50 x 70mm"},
    {u"Osprey", 6000, 24000, DriverVersion(1, 5, 3, 0), u"50 x 70mm"},
    {u"Heron", 6000, 24000, DriverVersion(1, 5, 3, 0), u"50 x 70mm"},
    {u"HeronBT PRO", 6000, 24000, DriverVersion(1, 5, 3, 0), u"50 x 70mm"},
    {u"Plover", 6000, 24000, DriverVersion(1, 5, 3, 0), u"50 x 70mm"},
    {u"Wren", 12000, 15000, DriverVersion(1, 5, 3, 0), u"50 x 70mm"},
    {u"Robin", 12000, 15000, DriverVersion(1, 5, 3, 0), u"50 x 70mm"},
    {u"FalconBT", 3500, 36000, DriverVersion(2, 1, 0, 7), u"18 x 100mm"},
    {u"Condor Printer", 6000, 24000, DriverVersion(1, 2, 0, 4), u"50 x 70mm"},
};

FormConfig form(const char16_t *name, DWORD flags, LONG cx, LONG cy, WORD paper, LONG margin = 0)
{
    return {name, flags, {cx, cy}, {margin, 0, cx - margin, cy}, paper};
}

std::vector<FormConfig> sampleForms()
{
    std::vector<FormConfig> forms = {
        form(u"Letter", FORM_BUILTIN, 215900, 279400, 1),
        form(u"Legal", FORM_BUILTIN, 215900, 355600, 5),
        form(u"A4", FORM_BUILTIN, 210000, 297000, 9),
        form(u"A5", FORM_BUILTIN, 148000, 210000, 11),
    };
    // The drivers' own papers, then the label forms of every tape width.
    struct Label {
        const char16_t *name;
        DWORD flags;
        LONG cx, cy, margin;
    };
    const Label labels[] = {
        {u"50 x 70mm", FORM_PRINTER, 50000, 70000, 0}, {u"18 x 100mm", FORM_PRINTER, 18000, 100000, 0},
        {u"3.5 x 30mm", FORM_USER, 3500, 30000, 0},    {u"6 x 30mm", FORM_USER, 6000, 30000, 0},
        {u"9 x 40mm", FORM_USER, 9000, 40000, 0},      {u"12 x 40mm", FORM_USER, 12000, 40000, 1000},
        {u"12 x 80mm", FORM_USER, 12000, 80000, 0},    {u"12.5 x 40mm", FORM_USER, 12500, 40000, 0},
        {u"13 x 40mm", FORM_USER, 13000, 40000, 0},    {u"14 x 50mm", FORM_USER, 14000, 50000, 0},
        {u"15 x 50mm", FORM_USER, 15000, 50000, 0},    {u"18 x 50mm", FORM_USER, 18000, 50000, 0},
        {u"18 x 100 mm", FORM_USER, 18000, 100000, 0}, {u"24 x 60mm", FORM_USER, 24000, 60000, 0},
        {u"36 x 80mm", FORM_USER, 36000, 80000, 0},
    };
    WORD paper = kFirstUserPaper;
    for (const Label &l : labels)
        forms.push_back(form(l.name, l.flags, l.cx, l.cy, paper++, l.margin));
    return forms;
}

struct SamplePrinter {
    const char16_t *name;
    const char16_t *driver;
    const char16_t *port;
    const char16_t *paper;
    DWORD extraAttributes;
    // The ribbon the port reports over bidi (type byte, width in mm); a
    // width of 0: the port does not answer.
    BYTE ribbonType;
    BYTE ribbonWidth;
};

// Tests and the host's documentation rely on the first thirteen names and
// their order; new printers go at the end. The FalconBT family is the
// distributed printing list: ribbons of several widths and types, one port
// that never answers, one printer offline, one on "FILE:" (never asked) and
// one on "file:" (asked: only the exact name is the file port).
const SamplePrinter kPrinters[] = {
    {u"KestrelBT", u"KestrelBT", u"USB001", u"12 x 40mm", 0, 0, 0},
    {u"KestrelBT PRO", u"KestrelBT PRO", u"USB002", u"18 x 50mm", 0, 0, 0},
    {u"MerlinBT", u"MerlinBT", u"USB003", u"24 x 60mm", 0, 0, 0},
    {u"Osprey", u"Osprey", u"USB004", u"12 x 40mm", 0, 0, 0},
    {u"Heron", u"Heron", u"USB005", u"18 x 50mm", 0, 0, 0},
    {u"HeronBT PRO", u"HeronBT PRO", u"USB006", u"24 x 60mm", 0, 0, 0},
    {u"Plover", u"Plover", u"USB007", u"9 x 40mm", 0, 0, 0},
    {u"Wren", u"Wren", u"USB008", u"12.5 x 40mm", 0, 0, 0},
    {u"Robin", u"Robin", u"USB009", u"14 x 50mm", PRINTER_ATTRIBUTE_WORK_OFFLINE, 0, 0},
    {u"FalconBT", u"FalconBT", u"USB010", u"18 x 100mm", PRINTER_ATTRIBUTE_SHARED, 1, 24},
    {u"FalconBT (2)", u"FalconBT", u"USB011", u"36 x 80mm", 0, 0, 36},
    {u"Condor Printer", u"Condor Printer", u"FILE:", u"50 x 70mm", 0, 0, 0},
    {u"KestrelBT (limited)", u"KestrelBT", u"USB001", u"12 x 40mm", 0, 0, 0},
    {u"FalconBT (12 mm)", u"FalconBT", u"USB012", u"12 x 40mm", 0, 2, 12},
    {u"FalconBT (silent)", u"FalconBT", u"USB013", u"18 x 100mm", 0, 0, 0},
    {u"FalconBT (offline)", u"FalconBT", u"USB014", u"24 x 60mm", PRINTER_ATTRIBUTE_WORK_OFFLINE, 1, 24},
    {u"FalconBT (file)", u"FalconBT", u"FILE:", u"18 x 100mm", 0, 1, 18},
    {u"FalconBT (lower-case file)", u"FalconBT", u"file:", u"9 x 40mm", 0, 1, 9},
};

const FormConfig &formNamed(const std::vector<FormConfig> &forms, const std::u16string &name)
{
    for (const FormConfig &f : forms)
        if (f.name == name)
            return f;
    return forms.front();  // not reached: every sample paper is a sample form
}

PrinterConfig samplePrinter(const SamplePrinter &p, const detail::State &state)
{
    PrinterConfig c;
    c.name = p.name;
    c.driver = p.driver;
    c.port = p.port;
    bool usb = c.port != u"FILE:";
    c.attributes = PRINTER_ATTRIBUTE_LOCAL | (usb ? PRINTER_ATTRIBUTE_ENABLE_BIDI : 0) | p.extraAttributes;
    c.comment = u"Orvo " + c.driver + u" label printer";
    c.location = usb ? u"Packing station" : u"";
    if (p.extraAttributes & PRINTER_ATTRIBUTE_SHARED)
        c.shareName = u"FALCON";
    c.refuseFullAccess = c.name == u"KestrelBT (limited)";
    if (p.ribbonWidth != 0)
        c.bidi = AnswerWith(RibbonStatus(p.ribbonType, p.ribbonWidth));
    DriverConfig driver = ModelDriver(c.driver);
    c.devmode = detail::BuildDevMode(c.name, driver, formNamed(state.forms, p.paper));
    // Most printers hold the record as installation left it; one has been
    // set up by its user (speed 2, mirror, inches) and one predates the
    // plug-in and has none.
    if (c.name == u"Osprey")
        return c;
    int32_t record[29];
    std::copy(std::begin(kSettingsDefaults), std::end(kSettingsDefaults), record);
    if (c.name == u"MerlinBT") {
        record[1] = 2;   // Speed
        record[16] = 1;  // Mirror
        record[19] = 1;  // Unit: inches
    }
    std::vector<BYTE> settings;
    appendLittleEndian(settings, record, 29);
    c.data.push_back({u"OrvoPrinterData", REG_BINARY, settings});
    return c;
}

void copyName(WCHAR *to, size_t units, const std::u16string &name)
{
    size_t n = std::min(name.size(), units - 1);  // terminated, as the platform keeps these
    std::memcpy(to, name.data(), n * sizeof(WCHAR));
}

}  // namespace

DriverConfig ModelDriver(const std::u16string &name)
{
    for (const Model &m : kModels) {
        if (name == m.name) {
            DriverConfig d{m.name, m.version, m.minWidth, m.maxWidth, {}};
            if (m.ownPaper != nullptr)
                d.papers.push_back(m.ownPaper);
            return d;
        }
    }
    return {name, DriverVersion(1, 0, 0, 0), 0, INT32_MAX, {}};
}

namespace detail {

std::vector<BYTE> BuildDevMode(const std::u16string &printer, const DriverConfig &driver, const FormConfig &form)
{
    DEVMODEW dm;
    std::memset(&dm, 0, sizeof dm);
    copyName(dm.dmDeviceName, CCHDEVICENAME, printer);
    dm.dmSpecVersion = DM_SPECVERSION;
    dm.dmDriverVersion = static_cast<WORD>((driver.version >> 48 & 0xFF) << 8 | (driver.version >> 32 & 0xFF));
    dm.dmSize = sizeof(DEVMODEW);
    dm.dmDriverExtra = kDriverPrivateBytes + kPluginRecordBytes;
    dm.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_PRINTQUALITY |
                  DM_YRESOLUTION | DM_FORMNAME;
    dm.dmOrientation = DMORIENT_PORTRAIT;
    dm.dmPaperSize = static_cast<short>(form.paper);
    dm.dmPaperLength = static_cast<short>(form.size.cy / 100);
    dm.dmPaperWidth = static_cast<short>(form.size.cx / 100);
    dm.dmScale = 100;
    dm.dmCopies = 1;
    dm.dmPrintQuality = 203;
    dm.dmYResolution = 203;
    copyName(dm.dmFormName, CCHFORMNAME, form.name);

    const BYTE *pub = reinterpret_cast<const BYTE *>(&dm);
    std::vector<BYTE> bytes(pub, pub + sizeof dm);
    // The driver's part is opaque here; a pattern makes a damaged copy show.
    for (size_t i = 0; i < kDriverPrivateBytes; ++i)
        bytes.push_back(static_cast<BYTE>(i * 7 + 3));
    appendLittleEndian(bytes, kPluginDefaults, 27);
    return bytes;
}

State SampleState()
{
    State state;
    for (const Model &m : kModels)
        state.drivers.push_back(ModelDriver(m.name));
    state.forms = sampleForms();
    state.nextPaper = static_cast<WORD>(state.forms.back().paper + 1);
    for (const SamplePrinter &p : kPrinters)
        state.printers.push_back(samplePrinter(p, state));
    return state;
}

}  // namespace detail
}  // namespace standin::spooler
