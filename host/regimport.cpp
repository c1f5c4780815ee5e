#include "host/regimport.h"

#include "host/commands.h"
#include "host/files.h"
#include "host/output.h"
#include "host/records.h"
#include "host/state.h"
#include "host/text.h"
#include "platform/linux/crt/utf.h"
#include "platform/linux/spooler/server.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <unordered_map>
#include <sys/stat.h>
#include <unistd.h>

namespace host {

namespace {

using standin::spooler::DataValue;
using standin::spooler::FormConfig;
using standin::spooler::PrinterConfig;

// The drivers of the printers the plug-in serves, compared as it compares
// them: exactly.
const char16_t *const kModels[] = {u"KestrelBT", u"KestrelBT PRO", u"MerlinBT",      u"Osprey",
                                   u"Heron",     u"HeronBT PRO",   u"Plover",        u"Wren",
                                   u"Robin",     u"FalconBT",      u"Condor Printer"};

constexpr size_t kMaxPrinterName = 220;  // the platform's MAX_PRINTER_NAME
constexpr size_t kFormValueBytes = 32;
// A print server keeps far fewer; the bound keeps an import's time and the
// state it makes (at most 16 MB, as every state) small.
constexpr size_t kMaxPrinters = 4096;
constexpr size_t kMaxForms = 4096;
constexpr size_t kShownSubkeys = 8;
constexpr DWORD kRecordSignature = 0x4D534654;  // "TFSM", the plug-in's record in a DEVMODE

enum class Place { Other, PrintersKey, Printer, PrinterData, PrinterSubkey, Forms, FormsSubkey };

struct Where {
    Place place = Place::Other;
    std::u16string printer;
    std::u16string subkey;
};

bool IsControlSet(const std::u16string &name)
{
    if (SameRegName(name, u"CurrentControlSet"))
        return true;
    return name.size() == 13 && SameRegName(name.substr(0, 10), u"ControlSet") &&
           std::all_of(name.begin() + 10, name.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

Where Locate(const std::u16string &path)
{
    Where where;
    std::vector<std::u16string> parts = RegPathParts(path);
    if (parts.size() < 6 || !(SameRegName(parts[0], u"HKEY_LOCAL_MACHINE") || SameRegName(parts[0], u"HKLM")) ||
        !SameRegName(parts[1], u"SYSTEM") || !IsControlSet(parts[2]) || !SameRegName(parts[3], u"Control") ||
        !SameRegName(parts[4], u"Print"))
        return where;
    if (SameRegName(parts[5], u"Forms")) {
        where.place = parts.size() == 6 ? Place::Forms : Place::FormsSubkey;
        return where;
    }
    if (!SameRegName(parts[5], u"Printers"))
        return where;
    if (parts.size() == 6) {
        where.place = Place::PrintersKey;
        return where;
    }
    where.printer = parts[6];
    where.place = Place::Printer;
    if (parts.size() > 7) {
        where.subkey = parts[7];
        bool data = parts.size() == 8 && SameRegName(parts[7], u"PrinterDriverData");
        where.place = data ? Place::PrinterData : Place::PrinterSubkey;
    }
    return where;
}

std::u16string Fold(const std::u16string &name)
{
    std::u16string key(name);
    for (char16_t &c : key)
        c = towlower(c);
    return key;
}

// A key's values by name, those of a later section replacing earlier ones.
struct Values {
    std::vector<const RegValue *> list;
    std::unordered_map<std::u16string, size_t> index;  // folded name -> list
};

void Merge(Values &into, const RegKey &key)
{
    for (const RegValue &value : key.values) {
        auto at = into.index.emplace(Fold(value.name), into.list.size());
        if (at.second)
            into.list.push_back(&value);
        else
            into.list[at.first->second] = &value;
    }
}

const RegValue *Find(const Values &values, const char16_t *name)
{
    auto at = values.index.find(Fold(name));
    return at == values.index.end() ? nullptr : values.list[at->second];
}

struct FoundPrinter {
    std::u16string name;
    Values values;                        // of the printer's key
    Values data;                          // of its PrinterDriverData key
    std::vector<std::u16string> subkeys;  // its other keys, not read: the first few names
    bool moreSubkeys = false;
};

// A name or text as the export writes it: quoted, with \\ and \" escaped.
std::string Quoted(const std::u16string &text)
{
    std::string escaped;
    for (char c : Utf8(text))
        escaped += c == '"' || c == '\\' ? std::string{'\\', c} : std::string{c};
    return "\"" + Printable(escaped) + "\"";
}

std::string Kind(const RegValue &value)
{
    return RegTypeName(value.type) + ", " + std::to_string(value.bytes.size()) + " bytes";
}

DWORD DwordAt(const std::vector<BYTE> &bytes, size_t offset)
{
    DWORD v;
    std::memcpy(&v, bytes.data() + offset, sizeof(v));
    return v;
}

bool HasControl(const std::u16string &name)
{
    return std::any_of(name.begin(), name.end(), [](char16_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); });
}

// False for unpaired surrogates, which no saved state could keep.
bool WellFormed(const std::u16string &text)
{
    std::string ignored;
    return standin::utf::AppendUtf8(text.data(), text.size(), ignored);
}

std::u16string Repaired(const std::u16string &text)
{
    std::string utf8;
    standin::utf::AppendUtf8(text.data(), text.size(), utf8);
    std::u16string out;
    standin::utf::AppendUtf16(utf8.data(), utf8.size(), out);
    return out;
}

// Why a name read from the export cannot name a printer, form or value here.
std::string NameFault(const std::u16string &name)
{
    if (HasControl(name))
        return "its name has a control character";
    if (!WellFormed(name))
        return "its name is not valid UTF-16";
    return {};
}

// The text of a string value up to its first NUL; false when it is not one.
bool TextOf(const RegValue *value, std::u16string &text)
{
    if (value == nullptr || (value->type != REG_SZ && value->type != kRegExpandSz))
        return false;
    text.clear();
    for (size_t i = 0; i + 1 < value->bytes.size(); i += 2) {
        auto c = static_cast<char16_t>(value->bytes[i] | value->bytes[i + 1] << 8);
        if (c == 0)
            break;
        text.push_back(c);
    }
    return true;
}

// A text field of the printer: kept when the export has it as text.
void TakeText(const Values &values, const char16_t *name, const char *label, std::u16string &field,
              std::vector<std::string> &lines)
{
    const RegValue *value = Find(values, name);
    if (value == nullptr)
        return;
    std::string shownName = Printable(Utf8(name));
    std::u16string text;
    if (!TextOf(value, text)) {
        lines.push_back(std::string("  ") + label + std::string(10 - std::strlen(label), ' ') + "\"" + shownName +
                        "\" (" + Kind(*value) + ") is not text: left empty");
        return;
    }
    field = WellFormed(text) ? text : Repaired(text);
    lines.push_back(std::string("  ") + label + std::string(10 - std::strlen(label), ' ') + Quoted(field) +
                    (field == text ? "" : " (unpaired surrogates replaced)"));
}

// The server's forms by name (without regard to case).
class FormIndex {
public:
    FormIndex() { Reload(); }
    void Reload()
    {
        forms_ = standin::spooler::Forms();
        byName_.clear();
        for (size_t i = 0; i < forms_.size(); ++i)
            byName_.emplace(Fold(forms_[i].name), i);
    }
    const FormConfig *Find(const std::u16string &name) const
    {
        auto at = byName_.find(Fold(name));
        return at == byName_.end() ? nullptr : &forms_[at->second];
    }
    void Put(const FormConfig &form)
    {
        auto at = byName_.emplace(Fold(form.name), forms_.size());
        if (at.second)
            forms_.push_back(form);
        else
            forms_[at.first->second] = form;
    }

private:
    std::vector<FormConfig> forms_;
    std::unordered_map<std::u16string, size_t> byName_;  // folded name -> forms_
};

// The default DEVMODE when it is one the server can keep. Its paper number
// is the customer's machine's; the form it names (dmFormName) gives the
// number the same form has here.
void TakeDevMode(const RegValue *value, const FormIndex &forms, PrinterConfig &config, std::vector<std::string> &lines)
{
    if (value == nullptr) {
        lines.push_back("  devmode   none in the export: the printer has no default DEVMODE");
        return;
    }
    const std::vector<BYTE> &bytes = value->bytes;
    std::string why;
    WORD size = 0, extra = 0;
    if (value->type != REG_BINARY) {
        why = "not REG_BINARY";
    } else if (bytes.size() < sizeof(DEVMODEW)) {
        why = "shorter than the 220 bytes of a DEVMODE";
    } else {
        std::memcpy(&size, bytes.data() + offsetof(DEVMODEW, dmSize), sizeof(size));
        std::memcpy(&extra, bytes.data() + offsetof(DEVMODEW, dmDriverExtra), sizeof(extra));
        if (size != sizeof(DEVMODEW))
            why = "its dmSize is " + std::to_string(size) + ", not 220";
        else if (bytes.size() != size + size_t(extra))
            why = "its dmSize and dmDriverExtra say " + std::to_string(size + extra) + " bytes";
    }
    if (!why.empty()) {
        lines.push_back("  devmode   not kept (" + Kind(*value) + "): " + why + "; the printer has no default DEVMODE");
        return;
    }
    config.devmode = bytes;
    DEVMODEW head;
    std::memcpy(&head, bytes.data(), sizeof(head));
    size_t n = 0;
    while (n < CCHFORMNAME && head.dmFormName[n] != 0)
        ++n;
    std::u16string formName(head.dmFormName, head.dmFormName + n);
    std::string paper = std::to_string(head.dmPaperSize);
    std::string text = "  devmode   220 + " + std::to_string(extra) + " bytes, ";
    if (const FormConfig *form = forms.Find(formName)) {
        auto here = static_cast<SHORT>(form->paper);
        std::memcpy(config.devmode.data() + offsetof(DEVMODEW, dmPaperSize), &here, sizeof(here));
        text += "paper " + Quoted(form->name) +
                (here == head.dmPaperSize ? " (paper " + paper + ")"
                                          : " (paper " + paper + " in the export, " + std::to_string(here) + " here)");
    } else {
        text += "paper " + paper + (formName.empty() ? "" : ", form name " + Quoted(formName)) +
                ": no such form here, kept as it is";
    }
    bool record =
        extra >= sizeof(OEMDEV) && DwordAt(bytes, sizeof(DEVMODEW) + extra - sizeof(OEMDEV) + 4) == kRecordSignature;
    if ((head.dmFields & DM_FORMNAME) == 0 && !formName.empty())
        text += " (dmFields does not mark the form name: it may be older than the paper number)";
    lines.push_back(text + (record ? ", the plug-in's record last" : ", no record of the plug-in at its end"));
}

// What the plug-in makes of a printer data value it reads; `odd` when the
// value is not one of its kind (the describers then say why not).
std::string DataMeaning(const DataValue &value, bool &odd)
{
    std::string text;
    if (SameRegName(value.name, u"OrvoPrinterData"))
        text = DescribeSettings(value.bytes, value.type);
    else if (SameRegName(value.name, u"OEMUI_VALUE"))
        text = DescribeItemValue(value.bytes, value.type);
    else if (SameRegName(value.name, u"DISTRIBUTEDLIST"))
        text = DescribeDistributedList(value.bytes, value.type)[0];
    odd = text.compare(0, 4, "not ") == 0 || text.compare(0, 6, "Count ") == 0;
    if (!odd && SameRegName(value.name, u"OEMUI_VALUE"))
        text = "item " + text;
    return text;
}

void TakeData(const Values &values, PrinterConfig &config, std::vector<std::string> &lines)
{
    for (const RegValue *value : values.list) {
        std::string fault =
            value->name.empty() ? "the key's default value (@) is not printer data" : NameFault(value->name);
        std::string name = value->name.empty() ? "@" : Quoted(value->name);
        if (!fault.empty()) {
            lines.push_back("  data      " + name + " not kept: " + fault);
            continue;
        }
        config.data.push_back({value->name, value->type, value->bytes});
        bool odd = false;
        std::string meaning = DataMeaning(config.data.back(), odd);
        lines.push_back("  data      " + name + " " + Kind(*value) + (meaning.empty() ? "" : ": " + meaning) +
                        (odd ? "; kept as it is" : ""));
    }
}

bool IsModel(const std::u16string &driver)
{
    return std::any_of(std::begin(kModels), std::end(kModels), [&](const char16_t *m) { return driver == m; });
}

// Why the printer is not taken; empty when it is, with `config` made and
// what was read in `lines`.
std::string MakePrinter(const FoundPrinter &found, const FormIndex &forms, PrinterConfig &config,
                        std::vector<std::string> &lines)
{
    std::string fault = NameFault(found.name);
    if (!fault.empty())
        return fault;
    if (found.name.find(u',') != std::u16string::npos)
        return "a printer name cannot hold ','";
    if (found.name.size() > kMaxPrinterName)
        return "its name is longer than the 220 characters a printer name can have";
    std::u16string driver, port;
    if (!TextOf(Find(found.values, u"Printer Driver"), driver) || driver.empty())
        return "no driver name (REG_SZ \"Printer Driver\")";
    if (!IsModel(driver))
        return "its driver " + Quoted(driver) + " is not one of the plug-in's models";
    if (!TextOf(Find(found.values, u"Port"), port) || port.empty())
        return "no port (REG_SZ \"Port\")";

    config.name = found.name;
    config.driver = driver;
    config.port = WellFormed(port) ? port : Repaired(port);
    lines.push_back("  driver    " + Quoted(driver));
    lines.push_back("  port      " + Quoted(config.port));
    const RegValue *attributes = Find(found.values, u"Attributes");
    if (attributes != nullptr && attributes->type == REG_DWORD && attributes->bytes.size() == sizeof(DWORD)) {
        config.attributes = DwordAt(attributes->bytes, 0);
        char hex[16];
        std::snprintf(hex, sizeof(hex), "0x%08X", static_cast<unsigned>(config.attributes));
        lines.push_back(std::string("  attributes ") + hex);
    } else {
        lines.push_back(std::string("  attributes ") +
                        (attributes == nullptr
                             ? "none in the export"
                             : "\"Attributes\" (" + Kind(*attributes) + ") is not a four-byte REG_DWORD") +
                        ": PRINTER_ATTRIBUTE_LOCAL taken");
    }
    TakeText(found.values, u"Description", "comment", config.comment, lines);
    TakeText(found.values, u"Location", "location", config.location, lines);
    TakeText(found.values, u"Share Name", "share", config.shareName, lines);
    TakeText(found.values, u"Datatype", "datatype", config.datatype, lines);
    TakeDevMode(Find(found.values, u"Default DevMode"), forms, config, lines);
    TakeData(found.data, config, lines);
    if (!found.subkeys.empty()) {
        std::string names;
        for (const std::u16string &key : found.subkeys)
            names += (names.empty() ? "" : ", ") + Quoted(key);
        lines.push_back("  ignored   keys " + names + (found.moreSubkeys ? ", ..." : "") +
                        ": only PrinterDriverData is read");
    }
    return {};
}

std::string FormFault(const RegValue &value, const FormIndex &forms)
{
    if (value.type != REG_BINARY || value.bytes.size() != kFormValueBytes)
        return Kind(value) + " is not a form (REG_BINARY, 32 bytes)";
    DWORD flags = DwordAt(value.bytes, 28);
    if (flags == FORM_BUILTIN)
        return "a built-in form (flags 1): the server has its own";
    if (flags == FORM_PRINTER)
        return "a printer form (flags 2): a driver makes its own";
    if (flags != FORM_USER)
        return "its flags " + std::to_string(flags) + " are not a kind of form";
    if (static_cast<LONG>(DwordAt(value.bytes, 0)) <= 0 || static_cast<LONG>(DwordAt(value.bytes, 4)) <= 0)
        return "its size is not positive";
    const FormConfig *same = forms.Find(value.name);
    if (same != nullptr && same->flags != FORM_USER)
        return "the server's " + std::string(same->flags == FORM_BUILTIN ? "built-in" : "printer") +
               " form of that name stays";
    return {};
}

// The forms key's user forms, made or replaced; a replaced form keeps its
// paper number, so what names it here still does. `forms` ends as the
// server's forms.
bool TakeForms(const Values &values, FormIndex &forms, ImportReport &report, std::string &error)
{
    struct Taken {
        size_t line;  // its report line, to end with the paper number
        std::u16string name;
        std::string rest;  // what follows the number
    };
    std::vector<Taken> taken;
    for (const RegValue *value : values.list) {
        std::string who = value->name.empty() ? "form @" : "form " + Quoted(value->name);
        std::string fault = value->name.empty() ? "the key's default value is not a form" : NameFault(value->name);
        if (fault.empty())
            fault = FormFault(*value, forms);
        if (!fault.empty()) {
            report.lines.push_back(who + ": skipped: " + fault);
            continue;
        }
        const std::vector<BYTE> &b = value->bytes;
        auto field = [&](size_t i) { return static_cast<LONG>(DwordAt(b, 4 * i)); };
        FormConfig form{value->name, FORM_USER, {field(0), field(1)}, {field(2), field(3), field(4), field(5)}, 0};
        const FormConfig *old = forms.Find(value->name);
        if (old != nullptr) {
            form.paper = old->paper;
            standin::spooler::RemoveForm(old->name);
        }
        if (!standin::spooler::AddForm(form)) {
            error = "the server cannot take " + who + ": no paper number is left";
            return false;
        }
        const RECTL &area = form.imageableArea;
        bool inside = area.left >= 0 && area.top >= 0 && area.left <= area.right && area.top <= area.bottom &&
                      area.right <= form.size.cx && area.bottom <= form.size.cy;
        report.lines.push_back(who + ": taken" + (old != nullptr ? ", replacing the server's" : "") + ": " +
                               DescribeForm(form) + ", paper ");
        taken.push_back({report.lines.size() - 1, form.name,
                         inside ? "" : "; its printable area reaches outside it, kept as it is"});
        forms.Put(form);
        ++report.forms;
    }
    // The paper numbers the server gave.
    forms.Reload();
    for (const Taken &form : taken)
        report.lines[form.line] += std::to_string(forms.Find(form.name)->paper) + form.rest;
    return true;
}

bool Import(const RegExport &reg, const std::vector<std::u16string> &only, ImportReport &report, std::string &error)
{
    Values forms;
    std::vector<FoundPrinter> printers;
    std::map<std::u16string, size_t> byName;  // folded name -> printer
    size_t elsewhere = 0;
    bool printKeys = false;
    for (const RegKey &key : reg.keys) {
        Where where = Locate(key.path);
        printKeys = printKeys || where.place != Place::Other;
        if (where.place == Place::Forms)
            Merge(forms, key);
        if (where.place == Place::Other || where.place == Place::FormsSubkey)
            ++elsewhere;
        if (where.place != Place::Printer && where.place != Place::PrinterData && where.place != Place::PrinterSubkey)
            continue;
        auto at = byName.emplace(Fold(where.printer), printers.size()).first;
        if (at->second == printers.size())
            printers.push_back({where.printer, {}, {}, {}});
        FoundPrinter &printer = printers[at->second];
        if (where.place == Place::Printer)
            Merge(printer.values, key);
        else if (where.place == Place::PrinterData)
            Merge(printer.data, key);
        else if (std::any_of(printer.subkeys.begin(), printer.subkeys.end(),
                             [&](const std::u16string &k) { return SameRegName(k, where.subkey); }))
            continue;
        else if (printer.subkeys.size() < kShownSubkeys)
            printer.subkeys.push_back(where.subkey);
        else
            printer.moreSubkeys = true;
    }
    if (!printKeys) {
        error = "it holds neither the printers key nor the forms key (HKEY_LOCAL_MACHINE\\SYSTEM\\"
                "CurrentControlSet\\Control\\Print\\Printers or ...\\Print\\Forms)";
        return false;
    }
    if (printers.size() > kMaxPrinters || forms.list.size() > kMaxForms) {
        error = "it holds " + std::to_string(printers.size()) + " printers and " + std::to_string(forms.list.size()) +
                " forms; an import takes at most " + std::to_string(kMaxPrinters) + " of each";
        return false;
    }
    for (const std::u16string &name : only) {
        if (byName.count(Fold(name)) == 0) {
            error = "it holds no printer named " + Quoted(name);
            return false;
        }
    }

    FormIndex formIndex;
    if (!TakeForms(forms, formIndex, report, error))
        return false;
    for (const FoundPrinter &found : printers) {
        std::string who = "printer " + Quoted(found.name);
        if (!only.empty() && std::none_of(only.begin(), only.end(),
                                          [&](const std::u16string &n) { return SameRegName(n, found.name); })) {
            report.lines.push_back(who + ": skipped: not named by --printer");
            continue;
        }
        PrinterConfig config;
        std::vector<std::string> lines;
        std::string fault = MakePrinter(found, formIndex, config, lines);
        if (!fault.empty()) {
            report.lines.push_back(who + ": skipped: " + fault);
            continue;
        }
        PrinterConfig old;
        bool replaces = standin::spooler::GetPrinter(config.name, old);
        bool done = replaces ? standin::spooler::UpdatePrinter(old.name, config) : standin::spooler::AddPrinter(config);
        if (!done) {
            error = "the server refuses " + who;
            return false;
        }
        report.lines.push_back(who + ": taken" + (replaces ? ", replacing the server's" : ""));
        report.lines.insert(report.lines.end(), lines.begin(), lines.end());
        ++report.printers;
    }
    if (elsewhere != 0)
        report.lines.push_back("ignored: " + std::to_string(elsewhere) + (elsewhere == 1 ? " key" : " keys") +
                               " outside the printers and forms keys, not read");
    return true;
}

// The export file, whole; refused by its size before it is read.
bool ReadExportFile(const std::string &path, std::string &bytes, std::string &error)
{
    const std::string shown = Printable(path);
    long long size = 0;
    int fd = OpenRegularFile(path, shown, size, error);
    if (fd < 0)
        return false;
    bool tooLarge = size > kMaxExportBytes;
    std::string reason;
    bool read = tooLarge || ReadToEnd(fd, kMaxExportBytes, bytes, tooLarge, reason);
    ::close(fd);
    if (tooLarge) {
        error = shown + ": larger than an export can be (16 MB)";
        return false;
    }
    if (!read)
        error = "cannot read " + shown + ": " + reason;
    return read;
}

// A state that starts with this import is the customer's machine as far as
// the export tells: the drivers and the built-in and printer forms of the
// sample, none of its printers or user forms.
void ClearSample()
{
    for (const std::u16string &name : standin::spooler::PrinterNames())
        standin::spooler::RemovePrinter(name);
    for (const FormConfig &form : standin::spooler::Forms())
        if (form.flags == FORM_USER)
            standin::spooler::RemoveForm(form.name);
}

}  // namespace

bool IsImportedKey(const std::u16string &path)
{
    Place place = Locate(path).place;
    return place == Place::Printer || place == Place::PrinterData || place == Place::Forms;
}

bool ImportIntoServer(const RegExport &reg, const std::vector<std::u16string> &only, ImportReport &report,
                      std::string &error)
{
    report = ImportReport{};
    std::string before = standin::spooler::ToJson();
    if (Import(reg, only, report, error))
        return true;
    std::string ignored;
    standin::spooler::FromJson(before, &ignored);
    report = ImportReport{};
    return false;
}

int RunImport(const HostOptions &options)
{
    if (options.regFile.empty() || options.stateFile.empty()) {
        PrintError("orvoui-host: import needs --reg EXPORT and --state FILE, where the printers it takes are kept\n");
        return 2;
    }
    const std::string shown = Printable(options.regFile);
    std::string bytes, error;
    RegExport reg;
    if (!ReadExportFile(options.regFile, bytes, error)) {
        PrintError("orvoui-host: %s\n", error.c_str());
        return 1;
    }
    if (!ReadRegExport(bytes, IsImportedKey, reg, error)) {
        PrintError("orvoui-host: %s: %s\n", shown.c_str(), error.c_str());
        return 1;
    }
    bytes.clear();
    struct stat info;
    bool fresh = lstat(options.stateFile.c_str(), &info) != 0 && errno == ENOENT;
    if (!LoadServer(options.stateFile))
        return 1;
    if (fresh)
        ClearSample();
    std::vector<std::u16string> only;
    for (const std::string &name : options.printers)
        only.push_back(Utf16(name));
    ImportReport report;
    if (!ImportIntoServer(reg, only, report, error)) {
        PrintError("orvoui-host: %s: %s\n", shown.c_str(), error.c_str());
        return 1;
    }
    Print("import %s (%s)\n", shown.c_str(), reg.unicode ? "Windows Registry Editor Version 5.00" : "REGEDIT4");
    for (const std::string &line : report.lines)
        Print("%s\n", line.c_str());
    if (report.printers + report.forms == 0) {
        Print("nothing taken: %s is left as it was\n", Printable(options.stateFile).c_str());
        return 0;
    }
    if (!SaveServer(options.stateFile))
        return 1;
    Print("took %zu printer%s and %zu form%s into %s\n", report.printers, report.printers == 1 ? "" : "s", report.forms,
          report.forms == 1 ? "" : "s", Printable(options.stateFile).c_str());
    return 0;
}

}  // namespace host
