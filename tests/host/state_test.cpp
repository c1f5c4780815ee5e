// The host's state files as a careful tool treats them: what it reads, when
// it writes, how it writes, and two commands on one file at once.
#include "host/state.h"
#include "platform/linux/spooler/server.h"
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

size_t Count(const std::string &text, const std::string &part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

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

TEST_F(HostState, OnlyARegularFileIsRead)
{
    HostRun zero = RunHost("--state /dev/zero printers", 20);
    EXPECT_EQ(zero.status, 1) << zero.out;
    EXPECT_NE(zero.out.find("cannot read /dev/zero: it is not a regular file"), std::string::npos) << zero.out;

    std::string fifo = Path("fifo.json");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    HostRun pipe = RunHost("--state " + fifo + " printers", 20);
    EXPECT_EQ(pipe.status, 1) << "a FIFO is refused, not waited on\n" << pipe.out;
    EXPECT_NE(pipe.out.find("it is not a regular file"), std::string::npos) << pipe.out;

    HostRun folder = RunHost("--state " + dir_ + " printers", 20);
    EXPECT_EQ(folder.status, 1) << folder.out;
    EXPECT_NE(folder.out.find("it is not a regular file"), std::string::npos) << folder.out;
}

TEST_F(HostState, ALargeFileIsRefusedByItsSize)
{
    std::string big = Path("big.json");
    {
        std::ofstream file(big, std::ios::binary);
        file << "{";
    }
    ASSERT_EQ(truncate(big.c_str(), 200L << 20), 0);  // sparse: no disk used
    auto start = std::chrono::steady_clock::now();
    HostRun run = RunHost("--state " + big + " printers", 30);
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find("larger than a state can be"), std::string::npos) << run.out;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(HostState, OnlyAMissingFileStartsFromTheSample)
{
    HostRun missing = RunHost("--state " + Path("new.json") + " printers");
    EXPECT_EQ(missing.status, 0) << missing.out;
    EXPECT_NE(missing.out.find("MerlinBT\n"), std::string::npos);
    EXPECT_NE(access(Path("new.json").c_str(), F_OK), 0) << "reading writes nothing";

    ASSERT_EQ(symlink(Path("absent.json").c_str(), Path("dangling.json").c_str()), 0);
    HostRun dangling = RunHost("--state " + Path("dangling.json") + " install --printer MerlinBT");
    EXPECT_EQ(dangling.status, 1) << dangling.out;
    EXPECT_NE(dangling.out.find("link to a file that does not exist"), std::string::npos) << dangling.out;
    EXPECT_NE(access(Path("absent.json").c_str(), F_OK), 0);

    ASSERT_EQ(symlink(Path("loop-b.json").c_str(), Path("loop-a.json").c_str()), 0);
    ASSERT_EQ(symlink(Path("loop-a.json").c_str(), Path("loop-b.json").c_str()), 0);
    HostRun looping = RunHost("--state " + Path("loop-a.json") + " printers");
    EXPECT_EQ(looping.status, 1) << looping.out;
    EXPECT_NE(looping.out.find("link that loops"), std::string::npos) << looping.out;

    WriteText(Path("plain"), "x");
    HostRun underFile = RunHost("--state " + Path("plain/state.json") + " printers");
    EXPECT_EQ(underFile.status, 1) << underFile.out;
    EXPECT_NE(underFile.out.find("Not a directory"), std::string::npos) << underFile.out;

    if (geteuid() != 0) {
        ASSERT_EQ(mkdir(Path("closed").c_str(), 0700), 0);
        MakeState(Path("closed/state.json"));
        ASSERT_EQ(chmod(Path("closed").c_str(), 0), 0);
        HostRun closed = RunHost("--state " + Path("closed/state.json") + " printers");
        chmod(Path("closed").c_str(), 0700);
        EXPECT_EQ(closed.status, 1) << closed.out;
        EXPECT_NE(closed.out.find("Permission denied"), std::string::npos) << closed.out;
    }
}

TEST_F(HostState, BrokenStatesSayWhyOnceAndPrintNoRawBytes)
{
    WriteText(state_, "{ \"format\": \"orvo-print-server\", \x1b[31m\xff\xfe ");
    HostRun run = RunHost("--state " + state_ + " printers");
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_EQ(Count(run.out, state_), 1u) << "the path once\n" << run.out;
    EXPECT_NE(run.out.find("cannot load " + state_ + ": "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find('\xff'), std::string::npos) << run.out;

    ASSERT_EQ(unlink(state_.c_str()), 0);
    MakeState(state_);
    std::string text = ReadFile(state_);
    size_t name = text.find("\"name\": \"MerlinBT\"", text.find("\"printers\""));
    ASSERT_NE(name, std::string::npos);
    text.replace(name, 18, "\"name\": \"Merlin\\u0000\\u001b[2J\"");
    WriteText(state_, text);
    HostRun control = RunHost("--state " + state_ + " printers");
    EXPECT_EQ(control.status, 1) << control.out;
    EXPECT_NE(control.out.find("printer name \"Merlin\\u0000\\u001B[2J\" has a control character"), std::string::npos)
        << control.out;
    EXPECT_EQ(control.out.find('\x1b'), std::string::npos) << control.out;

    // Other text of a state is shown with its control characters escaped.
    ASSERT_EQ(unlink(state_.c_str()), 0);
    MakeState(state_);
    text = ReadFile(state_);
    size_t port = text.find("\"port\": \"USB003\"");
    ASSERT_NE(port, std::string::npos);
    text.replace(port, 16, "\"port\": \"USB\\u001b[2J\"");
    WriteText(state_, text);
    HostRun printers = RunHost("--state " + state_ + " printers");
    EXPECT_EQ(printers.status, 0) << printers.out;
    EXPECT_NE(printers.out.find("  port      USB\\x1B[2J\n"), std::string::npos) << printers.out;
    EXPECT_EQ(printers.out.find('\x1b'), std::string::npos) << printers.out;
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
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find("cannot save " + state_ + ": it is read-only: not replaced"), std::string::npos) << run.out;
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

    ASSERT_EQ(second.status, 0) << second.out;
    EXPECT_NE(second.out.find("waiting for another command on " + state_), std::string::npos) << second.out;
    std::string saved = ReadFile(state_);
    EXPECT_NE(saved.find("changed by the first command"), std::string::npos) << "the first command's change is kept";
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
                    EXPECT_NE(run->out.find("another command made it meanwhile"), std::string::npos) << run->out;
                }
            }
        }
    }
}

}  // namespace

namespace {

// One process that runs commands one after another (a benchmark loop, a
// test) takes the state file's lock anew each time instead of waiting on
// its own earlier hold.
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
