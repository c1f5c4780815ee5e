#include "host/records.h"

#include "host/text.h"
#include "src/distributed/distributed.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace host {

namespace {

struct Field {
    const char *name;
    size_t offset;
};

const Field kSettingsFields[] = {
    {"Speed", offsetof(REGSTRUCT, Speed)},
    {"Density", offsetof(REGSTRUCT, Density)},
    {"Reference[0]", offsetof(REGSTRUCT, Reference)},
    {"Reference[1]", offsetof(REGSTRUCT, Reference) + 4},
    {"Rotate", offsetof(REGSTRUCT, Rotate)},
    {"Gap", offsetof(REGSTRUCT, Gap)},
    {"Gappara[0]", offsetof(REGSTRUCT, Gappara)},
    {"Gappara[1]", offsetof(REGSTRUCT, Gappara) + 4},
    {"Offset", offsetof(REGSTRUCT, Offset)},
    {"Settear", offsetof(REGSTRUCT, Settear)},
    {"Gray", offsetof(REGSTRUCT, Gray)},
    {"Reverse", offsetof(REGSTRUCT, Reverse)},
    {"BlackLevel", offsetof(REGSTRUCT, BlackLevel)},
    {"GrayLevel", offsetof(REGSTRUCT, GrayLevel)},
    {"Chain", offsetof(REGSTRUCT, Chain)},
    {"Mirror", offsetof(REGSTRUCT, Mirror)},
    {"Brightness", offsetof(REGSTRUCT, Brightness)},
    {"Contrast", offsetof(REGSTRUCT, Contrast)},
    {"Unit", offsetof(REGSTRUCT, Unit)},
    {"AutoCut", offsetof(REGSTRUCT, AutoCut)},
    {"SpecialTape", offsetof(REGSTRUCT, SpecialTape)},
    {"HalfCut", offsetof(REGSTRUCT, HalfCut)},
    {"Distributed", offsetof(REGSTRUCT, Distributed)},
    {"iQuality", offsetof(REGSTRUCT, iQuality)},
};

const Field kOEMDevFields[] = {
    {"dwSize", offsetof(OEMDEV, dmOEMExtra.dwSize)},
    {"dwSignature", offsetof(OEMDEV, dmOEMExtra.dwSignature)},
    {"dwVersion", offsetof(OEMDEV, dmOEMExtra.dwVersion)},
    {"dwDriverData", offsetof(OEMDEV, dwDriverData)},
    {"standardPaperSizeChoose", offsetof(OEMDEV, standardPaperSizeChoose)},
    {"standardOrientationChoose", offsetof(OEMDEV, standardOrientationChoose)},
    {"standardResolutionChoose", offsetof(OEMDEV, standardResolutionChoose)},
    {"Speed", offsetof(OEMDEV, Speed)},
    {"Density", offsetof(OEMDEV, Density)},
    {"Reference[0]", offsetof(OEMDEV, Reference)},
    {"Reference[1]", offsetof(OEMDEV, Reference) + 4},
    {"Rotate", offsetof(OEMDEV, Rotate)},
    {"Gap", offsetof(OEMDEV, Gap)},
    {"Gappara[0]", offsetof(OEMDEV, Gappara)},
    {"Gappara[1]", offsetof(OEMDEV, Gappara) + 4},
    {"Offset", offsetof(OEMDEV, Offset)},
    {"Settear", offsetof(OEMDEV, Settear)},
    {"Gray", offsetof(OEMDEV, Gray)},
    {"Reverse", offsetof(OEMDEV, Reverse)},
    {"BlackLevel", offsetof(OEMDEV, BlackLevel)},
    {"GrayLevel", offsetof(OEMDEV, GrayLevel)},
    {"Chain", offsetof(OEMDEV, Chain)},
    {"Mirror", offsetof(OEMDEV, Mirror)},
    {"AutoCut", offsetof(OEMDEV, AutoCut)},
    {"SpecialTape", offsetof(OEMDEV, SpecialTape)},
    {"HalfCut", offsetof(OEMDEV, HalfCut)},
    {"iQuality", offsetof(OEMDEV, iQuality)},
};

LONG FieldAt(const void *record, size_t offset)
{
    LONG value;
    std::memcpy(&value, static_cast<const BYTE *>(record) + offset, sizeof(value));
    return value;
}

}  // namespace

std::string DescribeSettings(const std::vector<BYTE> &bytes, DWORD type)
{
    char text[96];
    if (bytes.empty())
        return "none stored";
    if (type != REG_BINARY || bytes.size() != sizeof(REGSTRUCT)) {
        std::snprintf(text, sizeof(text), "not a settings record (type %u, %zu bytes)", static_cast<unsigned>(type),
                      bytes.size());
        return text;
    }
    REGSTRUCT settings;
    std::memcpy(&settings, bytes.data(), sizeof(settings));
    if (settings.Version != REGSTRUCT_VERSION) {
        std::snprintf(text, sizeof(text), "not a settings record (version %d)", static_cast<int>(settings.Version));
        return text;
    }
    // Only what differs from the defaults, so a changed setting stands out.
    REGSTRUCT defaults;
    SetDefaultSettings(&defaults);
    std::string out;
    for (const Field &field : kSettingsFields) {
        LONG value = FieldAt(&settings, field.offset);
        if (value == FieldAt(&defaults, field.offset))
            continue;
        std::snprintf(text, sizeof(text), "%s%s %d", out.empty() ? "" : ", ", field.name, static_cast<int>(value));
        out += text;
    }
    return out.empty() ? "defaults" : out + " (the rest at the defaults)";
}

std::vector<std::string> DescribeDistributedList(const std::vector<BYTE> &bytes, DWORD type)
{
    char text[160];
    if (type != REG_BINARY || bytes.size() < sizeof(DISTRIBUTEDHEADER)) {
        std::snprintf(text, sizeof(text), "not a distributed printing list (type %u, %zu bytes)",
                      static_cast<unsigned>(type), bytes.size());
        return {text};
    }
    DISTRIBUTEDHEADER header;
    std::memcpy(&header, bytes.data(), sizeof(header));
    size_t room = (bytes.size() - sizeof(header)) / sizeof(DISTRIBUTEDENTRY);
    size_t count = header.Count < 0 ? 0 : std::min(room, static_cast<size_t>(header.Count));
    if (header.Count >= 0 && static_cast<size_t>(header.Count) == room &&
        bytes.size() == sizeof(header) + room * sizeof(DISTRIBUTEDENTRY))
        std::snprintf(text, sizeof(text), "%zu %s", count, count == 1 ? "entry" : "entries");
    else
        std::snprintf(text, sizeof(text), "Count %ld in %zu bytes, room for %zu entries: the %zu inside read",
                      static_cast<long>(header.Count), bytes.size(), room, count);
    std::vector<std::string> lines = {text};
    auto name = [](const WCHAR *units) {
        size_t n = 0;
        while (n < DIST_NAME_UNITS && units[n] != 0)
            ++n;
        return Printable(Utf8(std::u16string(units, n)));
    };
    for (size_t i = 0; i < count; ++i) {
        DISTRIBUTEDENTRY entry;
        std::memcpy(&entry, bytes.data() + sizeof(header) + i * sizeof(entry), sizeof(entry));
        lines.push_back("[" + std::to_string(i) + "] " + (entry.Checked != 0 ? "checked" : "unchecked") + " \"" +
                        name(entry.PrinterName) + "\", comment \"" + name(entry.Comment) + "\"");
    }
    return lines;
}

std::string DescribeItemValue(const std::vector<BYTE> &bytes, DWORD type)
{
    DWORD number = 0;
    if (type == REG_DWORD && bytes.size() == sizeof(number)) {
        std::memcpy(&number, bytes.data(), sizeof(number));
        if (number <= 100)
            return std::to_string(number);
    }
    std::string why = "type " + std::to_string(type) + ", " + std::to_string(bytes.size()) + " bytes";
    if (number != 0)
        why += ", value " + std::to_string(number);
    return "not a selection of 0 to 100 (" + why + "): shown as 0";
}

std::string DescribeOEMDev(const OEMDEV &record)
{
    std::string out;
    char line[96];
    for (const Field &field : kOEMDevFields) {
        LONG value = FieldAt(&record, field.offset);
        if (field.offset == offsetof(OEMDEV, dmOEMExtra.dwSignature))
            std::snprintf(line, sizeof(line), "  %-26s 0x%08X\n", field.name, static_cast<unsigned>(value));
        else
            std::snprintf(line, sizeof(line), "  %-26s %d\n", field.name, static_cast<int>(value));
        out += line;
    }
    return out;
}

namespace {

// Thousandths of a millimetre as millimetres, exact: "39.878", "1000", "0.5".
std::string Millimetres(long long value)
{
    std::string text = value < 0 ? "-" : "";
    unsigned long long magnitude = static_cast<unsigned long long>(value < 0 ? -value : value);
    text += std::to_string(magnitude / 1000);
    unsigned fraction = static_cast<unsigned>(magnitude % 1000);
    if (fraction != 0) {
        char digits[8];
        std::snprintf(digits, sizeof(digits), ".%03u", fraction);
        std::string part = digits;
        part.erase(part.find_last_not_of('0') + 1);
        text += part;
    }
    return text;
}

}  // namespace

std::string DescribeForm(const standin::spooler::FormConfig &form)
{
    LONGLONG right = static_cast<LONGLONG>(form.size.cx) - form.imageableArea.right;
    return Millimetres(form.size.cx) + " x " + Millimetres(form.size.cy) + " mm, margins " +
           Millimetres(form.imageableArea.left) + " / " + Millimetres(right) + " mm" +
           (form.flags == FORM_PRINTER ? " (printer form)" : "");
}

}  // namespace host
