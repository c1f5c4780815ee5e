// The host's state files as a careful tool treats them: what it reads, when
// it writes, how it writes, and two commands on one file at once.
#include "host/state.h"
#include "platform/linux/spooler/server.h"
#include "tests/host/expect.h"
#include "tests/support/hostrun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

struct stat StatOf(const std::string &path)
{
    struct stat info = {};
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info;
}

void WriteText(const std::string &path, const std::string &text) { std::ofstream(path, std::ios::binary) << text; }

class HostState : public HostFolderTest {
protected:
    // A saved state of the sample, as a first command leaves it.
    void MakeState(const std::string &path)
    {
        HostRun run = RunHost("--state " + path + " install --printer MerlinBT");
        ASSERT_EQ(run.status, 0) << run.out;
        ASSERT_FALSE(ReadFile(path).empty());
    }
    const std::string kChangeUnit = " sheet --printer KestrelBT --do page:112 --do click:1003 --do apply";
};

// ---- what is read ----

// Only a missing file starts from the sample, and reading writes nothing;
// anything else that is not a regular file is refused, without waiting on
// it or reading it whole.
TEST_F(HostState, OnlyARegularOrMissingFileIsRead)
{
    HostRun missing = RunHost("--state " + Path("new.json") + " printers");
    EXPECT_TRUE(Ended(missing, 0, "MerlinBT\n"));
    EXPECT_NE(access(Path("new.json").c_str(), F_OK), 0) << "reading writes nothing";

    ASSERT_EQ(mkfifo(Path("fifo.json").c_str(), 0600), 0);
    ASSERT_EQ(symlink(Path("absent.json").c_str(), Path("dangling.json").c_str()), 0);
    ASSERT_EQ(symlink(Path("loop-b.json").c_str(), Path("loop-a.json").c_str()), 0);
    ASSERT_EQ(symlink(Path("loop-a.json").c_str(), Path("loop-b.json").c_str()), 0);
    WriteText(Path("plain"), "x");
    WriteText(Path("big.json"), "{");
    ASSERT_EQ(truncate(Path("big.json").c_str(), 200L << 20), 0);  // sparse: no disk used
    const struct {
        std::string path, command, message;
    } cases[] = {
        {"/dev/zero", " printers", "cannot read /dev/zero: it is not a regular file"},
        {Path("fifo.json"), " printers", "it is not a regular file"},
        {dir_, " printers", "it is not a regular file"},
        {Path("big.json"), " printers", "larger than a state can be"},
        {Path("dangling.json"), " install --printer MerlinBT", "link to a file that does not exist"},
        {Path("loop-a.json"), " printers", "link that loops"},
        {Path("plain/state.json"), " printers", "Not a directory"},
    };
    for (const auto &c : cases) {
        auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(Ended(RunHost("--state " + c.path + c.command, 20), 1, c.message));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.path;
    }
    EXPECT_NE(access(Path("absent.json").c_str(), F_OK), 0);
}

// A state that cannot be read is left as it was; its text is shown with
// control characters escaped, never as raw bytes.
TEST_F(HostState, BrokenStatesSayWhyOnceAndPrintNoRawBytes)
{
    const std::string garbage = "{ \"format\": \"orvo-print-server\", \x1b[31m\xff\xfe ";
    WriteText(state_, garbage);
    HostRun run = RunHost("--state " + state_ + " install --printer MerlinBT");
    EXPECT_TRUE(Ended(run, 1, "cannot load " + state_ + ": "));
    EXPECT_EQ(Count(run.out, state_), 1u) << "the path once\n" << run.out;
    EXPECT_TRUE(Lacks(run.out, "\x1b") && Lacks(run.out, "\xff"));
    EXPECT_EQ(ReadFile(state_), garbage);

    // A printer's name with one is refused as the stand-in's state tests pin;
    // other text is shown escaped.
    ASSERT_EQ(unlink(state_.c_str()), 0);
    MakeState(state_);
    std::string text = ReadFile(state_);
    size_t port = text.find("\"port\": \"USB003\"");
    ASSERT_NE(port, std::string::npos);
    WriteText(state_, text.replace(port, 16, "\"port\": \"USB\\u001b[2J\""));
    HostRun printers = RunHost("--state " + state_ + " printers");
    EXPECT_TRUE(Ended(printers, 0, "  port      USB\\x1B[2J\n"));
    EXPECT_TRUE(Lacks(printers.out, "\x1b"));
}

// ---- when and how it is written ----

TEST_F(HostState, ACommandThatChangesNothingWritesNothing)
{
    MakeState(state_);
    struct stat before = StatOf(state_);
    std::string text = ReadFile(state_);
    for (const char *command : {" sheet --printer Wren", " sheet --printer Wren --do page:112 --do cancel",
                                " sheet --printer MerlinBT --device --do cancel", " install --printer MerlinBT",
                                " ticket --printer Wren", " printers"}) {
        HostRun run = RunHost("--state " + state_ + command);
        EXPECT_EQ(run.status, 0) << command << "\n" << run.out;
        struct stat after = StatOf(state_);
        EXPECT_EQ(after.st_ino, before.st_ino) << command << ": the file was replaced";
        EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec) << command;
    }
    EXPECT_EQ(ReadFile(state_), text);
    ASSERT_EQ(RunHost("--state " + state_ + kChangeUnit).status, 0);
    EXPECT_NE(ReadFile(state_), text) << "a change is saved";
}

TEST_F(HostState, SaveWritesThroughALinkAndKeepsModeAndOwner)
{
    std::string real = Path("real.json");
    MakeState(real);
    ASSERT_EQ(chmod(real.c_str(), 0600), 0);
    std::string link = Path("link.json");
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);

    HostRun run = RunHost("--state " + link + kChangeUnit);
    ASSERT_EQ(run.status, 0) << run.out;
    struct stat linkInfo;
    ASSERT_EQ(lstat(link.c_str(), &linkInfo), 0);
    EXPECT_TRUE(S_ISLNK(linkInfo.st_mode)) << "the link stays a link";
    EXPECT_NE(ReadFile(real).find("\"KestrelBT\""), std::string::npos);
    EXPECT_NE(RunHost("--state " + real + " printers").out.find("Unit 1"), std::string::npos);
    EXPECT_EQ(StatOf(real).st_mode & 07777, 0600u) << "a private state stays private";

    if (geteuid() == 0) {
        ASSERT_EQ(chown(real.c_str(), 4321, 4322), 0);
        ASSERT_EQ(RunHost("--state " + real + " install --printer KestrelBT").status, 0);
        struct stat owned = StatOf(real);
        EXPECT_EQ(owned.st_uid, 4321u);
        EXPECT_EQ(owned.st_gid, 4322u);
        EXPECT_EQ(owned.st_mode & 07777, 0600u);
    }
}

TEST_F(HostState, AReadOnlyStateIsNotReplaced)
{
    MakeState(state_);
    ASSERT_EQ(chmod(state_.c_str(), 0444), 0);
    std::string before = ReadFile(state_);
    HostRun run = RunHost("--state " + state_ + kChangeUnit);
    EXPECT_TRUE(Ended(run, 1, "cannot save " + state_ + ": it is read-only: not replaced"));
    EXPECT_EQ(Count(run.out, state_), 1u) << run.out;
    EXPECT_EQ(ReadFile(state_), before);
    EXPECT_EQ(StatOf(state_).st_mode & 07777, 0444u);
}

// ---- two commands at once ----

TEST_F(HostState, ACommandWaitsForTheOneHoldingTheStateAndKeepsItsChange)
{
    MakeState(state_);
    // This test plays the first command: it holds the state, then saves a
    // change as a command does, by putting a new file in its place.
    int held = open(state_.c_str(), O_RDONLY | O_CLOEXEC);  // not handed on to the host
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    std::string theirs = ReadFile(state_);
    HostRun second;
    std::thread other([&] { second = RunHost("--state " + state_ + kChangeUnit, 30); });
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    size_t at = theirs.find("\"comment\": \"Orvo KestrelBT label printer\"");
    ASSERT_NE(at, std::string::npos);
    theirs.replace(at, 41, "\"comment\": \"changed by the first command\"");
    WriteText(Path("first.json"), theirs);
    ASSERT_EQ(rename(Path("first.json").c_str(), state_.c_str()), 0);
    close(held);
    other.join();

    ASSERT_TRUE(Ended(second, 0, "waiting for another command on " + state_));
    std::string saved = ReadFile(state_);
    EXPECT_TRUE(Has(saved, "changed by the first command")) << "the first command's change is kept";
    EXPECT_NE(RunHost("--state " + state_ + " printers").out.find("Unit 1"), std::string::npos)
        << "and the second's is there too";
}

TEST_F(HostState, CommandsAtOnceNeverLoseAChange)
{
    // Two changes at once, on a state file that exists and on one that does
    // not yet: each either lands or is refused, never silently lost.
    for (int round = 0; round < 3; ++round) {
        for (bool existing : {true, false}) {
            std::string path = Path(("race" + std::to_string(round) + (existing ? "a" : "b") + ".json").c_str());
            if (existing)
                MakeState(path);
            HostRun unit, install;
            std::thread a([&] { unit = RunHost("--state " + path + kChangeUnit, 60); });
            std::thread b([&] { install = RunHost("--state " + path + " install --printer MerlinBT", 60); });
            a.join();
            b.join();
            std::string printers = RunHost("--state " + path + " printers").out;
            bool unitKept = printers.find("KestrelBT\n  driver    KestrelBT\n") != std::string::npos &&
                            printers.find("Unit 1") != std::string::npos;
            bool installKept =
                printers.find("MerlinBT\n  driver    MerlinBT\n  port      USB003\n  paper     24 x 60mm "
                              "(paper 269)\n  settings  defaults") != std::string::npos;
            if (existing) {
                EXPECT_EQ(unit.status, 0) << unit.out;
                EXPECT_EQ(install.status, 0) << install.out;
            }
            EXPECT_TRUE(unit.status != 0 || unitKept) << "round " << round << "\n" << printers;
            EXPECT_TRUE(install.status != 0 || installKept) << "round " << round << "\n" << printers;
            for (const HostRun *run : {&unit, &install}) {
                if (run->status != 0) {
                    EXPECT_TRUE(Has(run->out, "another command made it meanwhile"));
                }
            }
        }
    }
}

// A process running commands one after another (a benchmark loop) takes the lock anew each time.
TEST_F(HostState, ACommandAfterAnotherInOneProcessTakesTheLock)
{
    std::string error;
    ASSERT_TRUE(standin::spooler::SaveJson(state_, &error)) << error;
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(host::LoadServer(state_));
    // Held now; released, another open file can take it at once.
    int fd = ::open(state_.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_NE(flock(fd, LOCK_EX | LOCK_NB), 0) << "the command holds its state";
    host::ReleaseServer();
    EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
}

}  // namespace
