// Running orvoui-host as a support engineer would, and reading what it wrote.
#pragma once

#include "platform/linux/testing/leakcheck.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

struct HostRun {
    int status;
    std::string out;  // stdout and stderr together
};

// `seconds`: how long the run may take before it is killed (status 124);
// 0 for no limit.
inline HostRun RunHost(const std::string &args, int seconds = 0)
{
    std::string limit = seconds > 0 ? "timeout -k 2 " + std::to_string(seconds) + " " : "";
    std::string command = limit + ORVOUI_TEST_HOST + " " + args + " 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    HostRun run{-1, {}};
    if (pipe == nullptr)
        return run;
    std::array<char, 512> chunk{};
    while (fgets(chunk.data(), chunk.size(), pipe) != nullptr)
        run.out += chunk.data();
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

inline std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A folder of its own for one test of the host's commands: a state file in
// it, and everything the commands write removed afterwards.
class HostFolderTest : public standin_testing::LeakCheckTest {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/orvoui-host-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        state_ = dir_ + "/server.json";
        LeakCheckTest::SetUp();
    }
    void TearDown() override
    {
        std::string clean = "rm -rf '" + dir_ + "'";
        EXPECT_EQ(std::system(clean.c_str()), 0);
        LeakCheckTest::TearDown();
    }
    std::string Path(const char *name) const { return dir_ + "/" + name; }

    std::string dir_;
    std::string state_;
};
