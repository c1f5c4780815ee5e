// orvoui-host sheet: opens a printer's document or device property sheet as
// the driver would, acts on it as a user, and shows the pages and what an
// Apply stored.
#include "host/commands.h"
#include "host/output.h"
#include "host/plugin.h"
#include "host/propsheet.h"
#include "host/records.h"
#include "host/state.h"
#include "host/text.h"
#include "platform/linux/spooler/server.h"
#include "src/distributed/distributed.h"
#include "platform/linux/user/automation.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstddef>
#include <cstring>
#include <map>
#include <sstream>

namespace host {

namespace {

namespace ui = standin::ui;

bool ParseInt(const std::string &text, long &value)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return end != nullptr && *end == '\0';
}

// "VERB:ID=VALUE" split into its parts; VALUE may be empty.
struct Action {
    std::string verb;
    std::string target;
    std::string value;
};

Action SplitAction(const std::string &text)
{
    Action action;
    size_t colon = text.find(':');
    action.verb = text.substr(0, colon);
    if (colon == std::string::npos)
        return action;
    std::string rest = text.substr(colon + 1);
    size_t equals = rest.find('=');
    action.target = rest.substr(0, equals);
    if (equals != std::string::npos)
        action.value = rest.substr(equals + 1);
    return action;
}

UINT ListCode(const std::string &how)
{
    if (how == "right")
        return static_cast<UINT>(NM_RCLICK);
    if (how == "double")
        return static_cast<UINT>(NM_DBLCLK);
    return static_cast<UINT>(NM_CLICK);
}

// One key by name: "Shift+" and "Alt+" before Tab, Space, Enter, Escape,
// Up, Down, Left, Right, Home, End, Apps, F10, a letter, a digit or ".".
bool ParseKey(std::string name, UINT &key, UINT &shifts)
{
    static const struct {
        const char *name;
        UINT key;
    } kKeys[] = {{"Tab", VK_TAB},   {"Space", VK_SPACE}, {"Enter", VK_RETURN}, {"Escape", VK_ESCAPE},
                 {"Up", VK_UP},     {"Down", VK_DOWN},   {"Left", VK_LEFT},    {"Right", VK_RIGHT},
                 {"Home", VK_HOME}, {"End", VK_END},     {"Apps", VK_APPS},    {"F10", VK_F10}};
    shifts = 0;
    for (bool more = true; more;) {
        more = false;
        for (auto [prefix, flag] : {std::pair<const char *, UINT>{"Shift+", ui::kKeyShift}, {"Alt+", ui::kKeyAlt}}) {
            if (name.size() > std::strlen(prefix) && name.compare(0, std::strlen(prefix), prefix) == 0) {
                shifts |= flag;
                name.erase(0, std::strlen(prefix));
                more = true;
            }
        }
    }
    for (const auto &known : kKeys) {
        if (name == known.name) {
            key = known.key;
            return true;
        }
    }
    if (name == ".") {
        key = VK_OEM_PERIOD;
        return true;
    }
    if (name.size() != 1 || !std::isalnum(static_cast<unsigned char>(name[0])))
        return false;
    key = static_cast<UINT>(std::toupper(static_cast<unsigned char>(name[0])));
    if (std::isupper(static_cast<unsigned char>(name[0])))
        shifts |= ui::kKeyShift;
    return true;
}

// "key:ID=Down,Apps" focuses control ID and presses the keys; "key:Tab,Space"
// presses them where the focus is.
bool KeyAction(HWND window, const Action &action, std::string &error)
{
    long id = 0;
    bool focused = action.value.empty();
    if (!focused && !ParseInt(action.target, id)) {
        error = "'key' needs ID=KEY,KEY... or KEY,KEY...";
        return false;
    }
    std::stringstream stream(focused ? action.target : action.value);
    for (std::string name; std::getline(stream, name, ',');) {
        UINT key = 0;
        UINT shifts = 0;
        if (!ParseKey(name, key, shifts)) {
            error = "unknown key '" + name + "'";
            return false;
        }
        if (!ui::PressKey(window, static_cast<int>(id), key, shifts)) {
            error = "control " + action.target + " cannot take keys (missing, hidden or disabled)";
            return false;
        }
        id = 0;  // the next keys go where the focus is then
    }
    return true;
}

// What a user does to one control of a page or dialog.
bool ControlAction(HWND window, const Action &action, std::string &error)
{
    if (action.verb == "key")
        return KeyAction(window, action, error);
    long id = 0;
    if (!ParseInt(action.target, id)) {
        error = "'" + action.verb + "' needs a control id";
        return false;
    }
    long number = 0;
    bool numeric = ParseInt(action.value, number);
    int control = static_cast<int>(id);
    bool done = false;
    if (action.verb == "click") {
        done = ui::Click(window, control);
    } else if (action.verb == "type") {
        done = ui::Type(window, control, Utf16(action.value));
    } else if (action.verb == "choose" && numeric) {
        done = ui::Choose(window, control, static_cast<int>(number));
    } else if (action.verb == "choosetext") {
        done = ui::ChooseText(window, control, Utf16(action.value));
    } else if (action.verb == "slide" && numeric) {
        done = ui::Slide(window, control, static_cast<int>(number));
    } else if (action.verb == "spin" && numeric) {
        done = ui::Spin(window, control, static_cast<int>(number));
    } else if (action.verb == "listclick" || action.verb == "listcheck") {
        std::vector<std::string> parts;
        std::stringstream stream(action.value);
        for (std::string part; std::getline(stream, part, ',');)
            parts.push_back(part);
        long item = 0;
        long subItem = 0;
        if (parts.empty() || !ParseInt(parts[0], item) || (parts.size() > 1 && !ParseInt(parts[1], subItem))) {
            error = "'" + action.verb + "' needs ID=ITEM[,SUBITEM[,right|double]]";
            return false;
        }
        done = action.verb == "listcheck"
                   ? ui::ToggleListCheck(window, control, static_cast<int>(item))
                   : ui::ClickListItem(window, control, static_cast<int>(item), static_cast<int>(subItem),
                                       ListCode(parts.size() > 2 ? parts[2] : ""));
    } else {
        error = "unknown or incomplete action '" + action.verb + "'";
        return false;
    }
    if (!done)
        error = "control " + action.target + " cannot take '" + action.verb +
                "' (missing, hidden, disabled or "
                "of another kind)";
    return done;
}

// "dialog:109=type:950=Label;click:1": what the user does when that dialog opens.
bool QueueDialogScript(const Action &action, std::string &error)
{
    long id = 0;
    if (!ParseInt(action.target, id) || action.value.empty()) {
        error = "'dialog' needs ID=ACTION;ACTION...";
        return false;
    }
    std::vector<Action> steps;
    std::stringstream stream(action.value);
    for (std::string step; std::getline(stream, step, ';');)
        steps.push_back(SplitAction(step));
    ui::OnDialog(static_cast<int>(id), [steps, id](HWND dialog) {
        for (const Action &step : steps) {
            // "show" prints the dialog as the user sees it at that point.
            if (step.verb == "show") {
                Print("  dialog %ld as shown:\n%s", id, ui::Describe(dialog).c_str());
                continue;
            }
            std::string stepError;
            if (!ControlAction(dialog, step, stepError))
                Print("  (in dialog) %s\n", stepError.c_str());
        }
    });
    return true;
}

bool QueueMessageBoxAnswer(const std::string &answer, std::string &error)
{
    static const struct {
        const char *name;
        int id;
    } kAnswers[] = {{"ok", IDOK}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO}};
    for (const auto &known : kAnswers) {
        if (answer == known.name) {
            ui::AnswerMessageBox(known.id);
            return true;
        }
    }
    long id = 0;
    if (!ParseInt(answer, id)) {
        error = "'msgbox' needs ok, cancel, yes, no or a number";
        return false;
    }
    ui::AnswerMessageBox(static_cast<int>(id));
    return true;
}

std::string PageName(const PropertySheet::Page &page)
{
    std::string name = page.title.empty() ? "(untitled)" : Utf8(page.title);
    if (!page.driverPage)
        name += " (template " + std::to_string(page.templateId) + ")";
    return name;
}

void ShowPage(PropertySheet &sheet, size_t index)
{
    const PropertySheet::Page &page = sheet.Pages()[index];
    Print("[%zu] %s\n", index, PageName(page).c_str());
    if (page.driverPage) {
        DriverOptionItems &items = sheet.DriverItems();
        for (DWORD i = 0; sheet.Kind() == SheetKind::Document && i < items.Count(); ++i) {
            const OPTITEM &item = items.Items()[i];
            std::string keyword = items.Keyword(item);
            Print("    item %-14s %-22s sel %ld %s%s\n", keyword.empty() ? "(no keyword)" : keyword.c_str(),
                  Utf8(item.pName).c_str(), static_cast<long>(item.Sel), Utf8(items.OptionText(item, item.Sel)).c_str(),
                  (item.Flags & OPTIF_HIDE) ? " [hidden]" : "");
        }
        if (sheet.OemItems() != nullptr)
            Print("    plug-in item sel %ld\n", static_cast<long>(sheet.OemItems()[0].Sel));
        return;
    }
    if (page.window == nullptr) {
        Print("    (not shown)\n");
        return;
    }
    std::istringstream lines(ui::Describe(page.window));
    for (std::string line; std::getline(lines, line);)
        Print("    %s\n", line.c_str());
}

void ShowAllPages(PropertySheet &sheet)
{
    Print("pages:\n");
    for (size_t i = 0; i < sheet.Pages().size(); ++i)
        ShowPage(sheet, i);
}

bool RunSheetAction(PropertySheet &sheet, bool &open, const std::string &text, std::string &error)
{
    Action action = SplitAction(text);
    if (action.verb == "dialog")
        return QueueDialogScript(action, error);
    if (action.verb == "msgbox")
        return QueueMessageBoxAnswer(action.target, error);
    if (!open) {
        error = "the sheet is closed";
        return false;
    }
    if (action.verb == "page") {
        long id = 0;
        bool ok = action.target == "driver"
                      ? sheet.Activate(0)
                      : ParseInt(action.target, id) && sheet.ActivateTemplate(static_cast<int>(id));
        if (!ok)
            error = "no page '" + action.target + "', or the page shown refused to be left";
        return ok;
    }
    if (action.verb == "driver") {
        long sel = 0;
        if (!ParseInt(action.value, sel)) {
            error = "'driver' needs KEYWORD=SELECTION (or item=SELECTION on the printer sheet)";
            return false;
        }
        bool ok =
            action.target == "item" ? sheet.SetOemItemSelection(sel) : sheet.SetDriverSelection(action.target, sel);
        if (!ok)
            error = "the driver has no item '" + action.target + "' with option " + action.value;
        return ok;
    }
    if (action.verb == "apply" || action.verb == "ok") {
        if (!sheet.Apply()) {
            error = "a page refused the Apply";
            return false;
        }
        if (action.verb == "ok") {
            ShowAllPages(sheet);
            sheet.Close();
            open = false;
        }
        return true;
    }
    if (action.verb == "cancel") {
        ShowAllPages(sheet);
        sheet.Cancel();
        sheet.Close();
        open = false;
        return true;
    }
    if (action.verb == "show") {
        ShowPage(sheet, sheet.ActiveIndex());
        return true;
    }
    HWND page = sheet.ActiveWindow();
    if (page == nullptr) {
        error = "'" + action.verb + "' acts on a page of the plug-in: choose one with page:TEMPLATE";
        return false;
    }
    return ControlAction(page, action, error);
}

// The public fields and the plug-in's record of a whole DEVMODE, one line each.
std::vector<std::string> DevmodeLines(const std::vector<BYTE> &devmode)
{
    std::vector<std::string> lines;
    if (devmode.size() < sizeof(DEVMODEW))
        return lines;
    DEVMODEW head;
    std::memcpy(&head, devmode.data(), sizeof(head));
    lines.push_back("  dmOrientation " + std::to_string(head.dmOrientation));
    lines.push_back("  dmPaperSize   " + std::to_string(head.dmPaperSize));
    lines.push_back(
        "  dmFormName    " +
        Utf8(std::u16string(head.dmFormName, std::find(head.dmFormName, head.dmFormName + CCHFORMNAME, u'\0'))));
    lines.push_back("  dmCopies      " + std::to_string(head.dmCopies));
    size_t whole = size_t(head.dmSize) + head.dmDriverExtra;
    if (head.dmDriverExtra >= sizeof(OEMDEV) && devmode.size() >= whole) {
        OEMDEV record;
        std::memcpy(&record, devmode.data() + whole - sizeof(OEMDEV), sizeof(record));
        std::istringstream fields(DescribeOEMDev(record));
        for (std::string line; std::getline(fields, line);)
            lines.push_back(line);
    }
    return lines;
}

// The jobs the plug-in printed since `shown`, as the print server got them:
// what a self-test or any other raw job sends to the printer.
void ShowNewJobs(size_t &shown)
{
    std::vector<standin::spooler::JobRecord> jobs = standin::spooler::Jobs();
    for (; shown < jobs.size(); ++shown) {
        const standin::spooler::JobRecord &job = jobs[shown];
        Print("  job %u on %s: document \"%s\", data type %s, %zu bytes\n", static_cast<unsigned>(job.id),
              Printable(Utf8(job.printer)).c_str(), Printable(Utf8(job.document)).c_str(),
              Printable(Utf8(job.datatype)).c_str(), job.bytes.size());
        for (size_t at = 0; at < job.bytes.size(); at += 16) {
            std::string line = "   ";
            for (size_t i = at; i < job.bytes.size() && i < at + 16; ++i) {
                char hex[4];
                std::snprintf(hex, sizeof(hex), " %02x", job.bytes[i]);
                line += hex;
            }
            Print("%s\n", line.c_str());
        }
    }
}

bool SameForm(const standin::spooler::FormConfig &a, const standin::spooler::FormConfig &b)
{
    return a.flags == b.flags && a.size.cx == b.size.cx && a.size.cy == b.size.cy &&
           a.imageableArea.left == b.imageableArea.left && a.imageableArea.top == b.imageableArea.top &&
           a.imageableArea.right == b.imageableArea.right && a.imageableArea.bottom == b.imageableArea.bottom;
}

// The forms the run added, changed or deleted, by name; nothing when the
// store is as it was.
void ShowFormChanges(const std::vector<standin::spooler::FormConfig> &before)
{
    std::map<std::u16string, const standin::spooler::FormConfig *> old;
    for (const auto &form : before)
        old[form.name] = &form;
    std::vector<standin::spooler::FormConfig> after = standin::spooler::Forms();
    std::vector<std::string> lines;
    for (const auto &form : after) {
        auto found = old.find(form.name);
        if (found == old.end()) {
            lines.push_back("  added " + Printable(Utf8(form.name)) + ": " + DescribeForm(form));
        } else {
            if (!SameForm(*found->second, form))
                lines.push_back("  changed " + Printable(Utf8(form.name)) + ": " + DescribeForm(*found->second) +
                                " -> " + DescribeForm(form));
            old.erase(found);
        }
    }
    for (const auto &gone : old)
        lines.push_back("  deleted " + Printable(Utf8(gone.first)) + ": " + DescribeForm(*gone.second));
    if (lines.empty())
        return;
    Print("forms:\n");
    for (const std::string &line : lines)
        Print("%s\n", line.c_str());
}

// The printer's default paper by its form's name.
std::string DefaultPaperText(const std::u16string &printer)
{
    std::vector<BYTE> devmode = standin::spooler::DefaultDevMode(printer);
    if (devmode.size() < sizeof(DEVMODEW))
        return "none";
    SHORT paper = 0;
    std::memcpy(&paper, devmode.data() + offsetof(DEVMODEW, dmPaperSize), sizeof(paper));
    for (const auto &form : standin::spooler::Forms())
        if (form.paper == static_cast<WORD>(paper))
            return Printable(Utf8(form.name)) + " (paper " + std::to_string(paper) + ")";
    return "paper " + std::to_string(paper) + " (no form of that number)";
}

// The distributed printing list the printer keeps, as stored: every entry
// that lies inside the value, whatever its header promises.
void ShowDistributedList(const std::u16string &printer)
{
    standin::spooler::DataValue value;
    if (!standin::spooler::GetData(printer, u"DISTRIBUTEDLIST", value)) {
        Print("stored DISTRIBUTEDLIST: none\n");
        return;
    }
    if (value.bytes.size() < sizeof(DISTRIBUTEDHEADER)) {
        Print("stored DISTRIBUTEDLIST: %zu bytes, shorter than its header\n", value.bytes.size());
        return;
    }
    DISTRIBUTEDHEADER header;
    std::memcpy(&header, value.bytes.data(), sizeof(header));
    Print("stored DISTRIBUTEDLIST: count %ld, %zu bytes\n", static_cast<long>(header.Count), value.bytes.size());
    // The entries as the printers list decodes them, after its summary line.
    std::vector<std::string> lines = DescribeDistributedList(value.bytes, value.type);
    for (size_t i = 1; i < lines.size(); ++i)
        Print("  %s\n", lines[i].c_str());
}

// The bidi exchanges the run made, as each printer's port got them.
void ShowBidiExchanges()
{
    std::vector<standin::spooler::BidiExchange> exchanges = standin::spooler::BidiExchanges();
    if (exchanges.empty())
        return;
    Print("bidi exchanges:\n");
    for (const auto &exchange : exchanges) {
        std::string bytes;
        for (BYTE b : exchange.input) {
            char hex[4];
            std::snprintf(hex, sizeof(hex), " %02x", b);
            bytes += hex;
        }
        Print("  %s: %s \"%s\",%s\n", Printable(Utf8(exchange.printer)).c_str(),
              Printable(Utf8(exchange.action)).c_str(), Printable(Utf8(exchange.schema)).c_str(), bytes.c_str());
    }
}

// Every printer's default paper, by printer.
std::map<std::u16string, std::string> DefaultPapers()
{
    std::map<std::u16string, std::string> papers;
    for (const std::u16string &name : standin::spooler::PrinterNames())
        papers[name] = DefaultPaperText(name);
    return papers;
}

// Printers other than the sheet's whose default paper the run changed (the
// ribbon width dialog sets another printer's paper).
void ShowOtherPaperChanges(const std::map<std::u16string, std::string> &before, const std::u16string &sheetPrinter)
{
    for (const auto &now : DefaultPapers()) {
        auto old = before.find(now.first);
        if (now.first == sheetPrinter || old == before.end() || old->second == now.second)
            continue;
        Print("default paper of %s: %s -> %s\n", Printable(Utf8(now.first)).c_str(), old->second.c_str(),
              now.second.c_str());
    }
}

// What an Apply stored. The job's record only where there is a job: the
// printer's own sheet works on the printer, not on a document.
// A message box's answer as the button the user pressed.
std::string AnswerName(int answer)
{
    static const struct {
        int id;
        const char *name;
    } kButtons[] = {{IDOK, "OK"},         {IDCANCEL, "Cancel"}, {IDABORT, "Abort"}, {IDRETRY, "Retry"},
                    {IDIGNORE, "Ignore"}, {IDYES, "Yes"},       {IDNO, "No"}};
    for (const auto &button : kButtons) {
        if (button.id == answer)
            return button.name;
    }
    return std::to_string(answer);
}

void ShowStored(const std::u16string &printer, const std::vector<BYTE> &devmodeBefore, SheetKind kind,
                const OEMDEV &jobRecord)
{
    Print("stored OrvoPrinterData: %s\n", StoredSettings(printer).c_str());
    standin::spooler::DataValue value;
    if (standin::spooler::GetData(printer, u"OEMUI_VALUE", value) && value.type == REG_DWORD &&
        value.bytes.size() == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, value.bytes.data(), sizeof(number));
        Print("stored OEMUI_VALUE: %u\n", static_cast<unsigned>(number));
    } else {
        Print("stored OEMUI_VALUE: none\n");
    }
    if (kind == SheetKind::Document)
        Print("job OEMDEV:\n%s", DescribeOEMDev(jobRecord).c_str());
    std::vector<std::string> before = DevmodeLines(devmodeBefore);
    std::vector<std::string> after = DevmodeLines(standin::spooler::DefaultDevMode(printer));
    Print("printer's default DEVMODE, changed fields:\n");
    bool any = false;
    // Each line is "  name value": shown as "  name: old -> new".
    auto split = [](const std::string &line) {
        size_t nameEnd = line.find(' ', line.find_first_not_of(' '));
        size_t valueStart = line.find_first_not_of(' ', nameEnd);
        return std::make_pair(line.substr(0, nameEnd),
                              valueStart == std::string::npos ? std::string() : line.substr(valueStart));
    };
    for (size_t i = 0; i < after.size(); ++i) {
        if (i < before.size() && before[i] == after[i])
            continue;
        auto now = split(after[i]);
        std::string old = i < before.size() ? split(before[i]).second : "(none)";
        Print("%s: %s -> %s\n", now.first.c_str(), old.c_str(), now.second.c_str());
        any = true;
    }
    if (!any)
        Print("  none\n");
}

}  // namespace

int RunSheet(const HostOptions &options)
{
    if (!LoadServer(options.stateFile))
        return 1;
    standin::spooler::PrinterConfig config;
    if (!FindPrinter(options.printer, config))
        return 2;
    std::u16string printer = config.name;
    PluginModule module;
    IPrintOemUI *plugin = CreateUi(module, options.modulePath);
    if (plugin == nullptr)
        return 1;

    ui::ResetAutomation();
    std::string error;
    std::vector<BYTE> devmodeBefore = standin::spooler::DefaultDevMode(printer);
    std::vector<standin::spooler::FormConfig> formsBefore = standin::spooler::Forms();
    std::map<std::u16string, std::string> papersBefore = DefaultPapers();
    standin::spooler::ClearBidiExchanges();
    SheetKind kind = options.deviceSheet ? SheetKind::Device : SheetKind::Document;
    int status = 0;
    bool applied = false;
    OEMDEV jobRecord = {};
    {
        PropertySheet sheet(plugin, kind, printer, GetModuleHandleW(u"orvoui.dll"));
        Print("%s sheet of %s (driver %s)\n", kind == SheetKind::Device ? "device" : "document",
              options.printer.c_str(), Utf8(config.driver).c_str());
        bool open = sheet.Open(error);
        if (!open) {
            Print("the sheet did not open: %s\n", error.c_str());
            status = 1;
        } else {
            Print("INIT %s, result %#lx; title \"%s\"\n", HresultText(sheet.initResult).c_str(),
                  static_cast<unsigned long>(sheet.initSheetResult), Utf8(sheet.infoTitle).c_str());
            // A user clicking through every tab once.
            for (size_t i = 1; i < sheet.Pages().size(); ++i)
                sheet.Activate(i);
            size_t jobsShown = standin::spooler::Jobs().size();
            for (const std::string &text : options.actions) {
                Print("> %s\n", text.c_str());
                if (!RunSheetAction(sheet, open, text, error)) {
                    Print("  failed: %s\n", error.c_str());
                    status = 1;
                }
                ShowNewJobs(jobsShown);
                Action action = SplitAction(text);
                applied |= action.verb == "apply" || action.verb == "ok";
            }
            if (open)
                ShowAllPages(sheet);
            for (const ui::MessageBoxCall &box : ui::MessageBoxes())
                Print("message box \"%s\": \"%s\", answered %s\n", Utf8(box.caption).c_str(), Utf8(box.text).c_str(),
                      AnswerName(box.answer).c_str());
            for (int stalled : ui::Stalls())
                Print("dialog %d stalled and was ended\n", stalled);
            Print("events:\n");
            for (const std::string &event : sheet.events)
                Print("  %s\n", event.c_str());
            for (const UiSettingUpdate &update : sheet.Helper().updates)
                Print("  DrvUpdateUISetting %s sel %ld\n", update.keyword.c_str(), static_cast<long>(update.sel));
            jobRecord = sheet.JobRecord();
        }
        if (open) {
            sheet.Cancel();
            sheet.Close();
        }
    }
    plugin->Release();
    ui::ResetAutomation();
    if (applied) {
        ShowStored(printer, devmodeBefore, kind, jobRecord);
        Print("printer's default paper: %s\n", DefaultPaperText(printer).c_str());
    }
    if (kind == SheetKind::Document && config.driver == u"FalconBT")
        ShowDistributedList(printer);
    ShowOtherPaperChanges(papersBefore, printer);
    ShowBidiExchanges();
    ShowFormChanges(formsBefore);
    if (!SaveServer(options.stateFile))
        status = 1;
    return status;
}

}  // namespace host
