// The host's commands; each returns the process exit code.
#pragma once

#include <string>

struct HostOptions {
    std::string modulePath;
    bool debugOutput = false;  // echo the plug-in's debugger output to stderr
};

int RunInfo(const HostOptions &options);
