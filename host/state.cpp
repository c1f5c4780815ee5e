#include "host/state.h"
#include "host/output.h"

#include "host/records.h"
#include "host/text.h"

#include <cstdio>
#include <sys/stat.h>

namespace host {

bool LoadServer(const std::string &stateFile)
{
    struct stat info;
    if (stateFile.empty() || stat(stateFile.c_str(), &info) != 0) {
        standin::spooler::LoadSample();
        return true;
    }
    std::string error;
    if (!standin::spooler::LoadJson(stateFile, &error)) {
        PrintError("orvoui-host: cannot load %s: %s\n", stateFile.c_str(), error.c_str());
        return false;
    }
    return true;
}

bool SaveServer(const std::string &stateFile)
{
    if (stateFile.empty())
        return true;
    std::string error;
    if (!standin::spooler::SaveJson(stateFile, &error)) {
        PrintError("orvoui-host: cannot save %s: %s\n", stateFile.c_str(), error.c_str());
        return false;
    }
    return true;
}

bool FindPrinter(const std::string &name, standin::spooler::PrinterConfig &printer)
{
    if (name.empty()) {
        PrintError("orvoui-host: --printer NAME is required\n");
        return false;
    }
    if (!standin::spooler::GetPrinter(Utf16(name), printer)) {
        PrintError("orvoui-host: no printer named '%s'\n", name.c_str());
        return false;
    }
    return true;
}

std::string StoredSettings(const std::u16string &printer)
{
    standin::spooler::DataValue value;
    if (!standin::spooler::GetData(printer, kSettingsValueName, value))
        return "none stored";
    return DescribeSettings(value.bytes, value.type);
}

}  // namespace host
