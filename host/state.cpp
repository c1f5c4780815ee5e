#include "host/state.h"

#include "platform/win32.h"
#include "platform/linux/spooler/server.h"

#include <cstdio>
#include <sys/stat.h>

bool LoadServer(const std::string &stateFile)
{
    struct stat info;
    if (stateFile.empty() || stat(stateFile.c_str(), &info) != 0) {
        standin::spooler::LoadSample();
        return true;
    }
    std::string error;
    if (!standin::spooler::LoadJson(stateFile, &error)) {
        std::fprintf(stderr, "orvoui-host: cannot load %s: %s\n", stateFile.c_str(), error.c_str());
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
        std::fprintf(stderr, "orvoui-host: cannot save %s: %s\n", stateFile.c_str(), error.c_str());
        return false;
    }
    return true;
}
