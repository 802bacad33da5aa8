// The real binary, driven as a user drives it: in a terminal, with keys
// typed at the prompt, on real files.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pty.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "block_fixtures.h"
#include "cli/messages.h"
#include "pty_session.h"
#include "trailer/locate_trailer.h"
#include "volume_files.h"

namespace {

const std::string TOOL = VOLUME_SALVAGER_BINARY;
const std::string ASKED = PROMPT;

Bytes body_of(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<unsigned char>(i * 13 + 1);
    }
    return bytes;
}

Bytes volume_bytes(std::size_t body, const Block& trailer)
{
    Bytes bytes = body_of(body);
    bytes.insert(bytes.end(), trailer.begin(), trailer.end());
    return bytes;
}

Bytes repaired_volume(std::size_t body, const Block& trailer)
{
    return volume_bytes(body, repaired_from(trailer));
}

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override
    {
        char pattern[] = "e2e-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        volume = dir + "/volume.pgd";
    }
    void TearDown() override
    {
        std::filesystem::remove_all(dir);
    }

    // Starts the tool on the volume and waits for the prompt.
    void start_at_prompt(TerminalRun& run, const Redirects& redirects = {})
    {
        start_in_terminal(run, {TOOL, volume}, redirects);
        ASSERT_TRUE(wait_for(run, ASKED)) << run.seen;
        ASSERT_TRUE(wait_for_key_read(run));
    }

    std::string dir;
    std::string volume;
};

TEST_F(EndToEnd, CapitalYRepairsTheBlockInPlace)
{
    // 0: a file of exactly one block, repaired at offset 0.
    for (const std::size_t body : {std::size_t{6000}, std::size_t{0}}) {
        ASSERT_TRUE(write_file(volume, volume_bytes(body, damaged_example())));
        TerminalRun run;
        start_at_prompt(run);
        type_keys(run, "Y");
        ASSERT_TRUE(wait_for_exit(run));

        EXPECT_EQ(after_banner(run.seen), ASKED + "Y\nRestoring..Ok.") << body;
        EXPECT_EQ(exit_code(run.wait_status), 0) << body;
        EXPECT_EQ(read_file(volume), repaired_volume(body, damaged_example())) << body;
        EXPECT_TRUE(same_mode(run.mode_after, run.mode_before)) << "terminal mode restored";
    }
}

struct DeclineCase {
    const char* name;
    const char* keys;
    const char* keys_later = "";  // the rest of the key, 20 ms later, as over a slow link
};

void PrintTo(const DeclineCase& c, std::ostream* os)
{
    *os << c.name;
}

class Declines : public EndToEnd, public ::testing::WithParamInterface<DeclineCase> {};

// Run inside a shell that reads one line after the tool ends: whatever part
// of the key the tool left unread would show up in that line.
TEST_P(Declines, LeavesTheFileAndNothingForTheShell)
{
    const Bytes original = volume_bytes(3000, damaged_example());
    ASSERT_TRUE(write_file(volume, original));
    TerminalRun run;
    const std::string script =
        R"("$0" "$1"; echo "status=$?"; IFS= read -r rest; echo "left=[$rest]")";
    start_in_terminal(run, {"/bin/sh", "-c", script, TOOL, volume});
    ASSERT_TRUE(wait_for(run, ASKED)) << run.seen;
    ASSERT_TRUE(wait_for_key_read(run));
    type_keys(run, GetParam().keys);
    if (*GetParam().keys_later != '\0') {
        sleep_ms(20);
        type_keys(run, GetParam().keys_later);
    }
    ASSERT_TRUE(wait_for(run, "status=")) << run.seen;
    type_keys(run, "\n");
    ASSERT_TRUE(wait_for_exit(run));

    EXPECT_NE(run.seen.find(ASKED + "N\nRestore Aborted.\nstatus=0\n"), std::string::npos)
        << run.seen;
    EXPECT_NE(run.seen.find("left=[]"), std::string::npos) << run.seen;
    EXPECT_EQ(read_file(volume), original);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, Declines,
    ::testing::Values(DeclineCase{"lower_case_y", "y"}, DeclineCase{"ctrl_c", "\x03"},
                      DeclineCase{"ctrl_backslash", "\x1c"}, DeclineCase{"enter", "\r"},
                      DeclineCase{"arrow_up", "\x1b[A"},
                      DeclineCase{"arrow_up_split", "\x1b", "[A"},
                      DeclineCase{"e_acute_split", "\xc3", "\xa9"}, DeclineCase{"f5", "\x1b[15~"},
                      DeclineCase{"f1_application_mode", "\x1bOP"},
                      DeclineCase{"lone_escape", "\x1b"}, DeclineCase{"e_acute_utf8", "\xc3\xa9"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(EndToEnd, RedirectedStandardInputDoesNotAnswerThePrompt)
{
    const Bytes original = volume_bytes(3000, damaged_example());
    ASSERT_TRUE(write_file(volume, original));
    const std::string answers = dir + "/answers.txt";
    ASSERT_TRUE(write_file(answers, Bytes{'Y', '\n'}));

    TerminalRun run;
    start_at_prompt(run, Redirects{answers.c_str()});
    sleep_ms(300);
    EXPECT_TRUE(still_running(run)) << "the tool must wait for a key at the terminal";
    type_keys(run, "n");
    ASSERT_TRUE(wait_for_exit(run));
    EXPECT_EQ(after_banner(run.seen), ASKED + DECLINED);
    EXPECT_EQ(read_file(volume), original);
}

TEST_F(EndToEnd, WithoutATerminalTheToolDeclines)
{
    const Bytes original = volume_bytes(3000, damaged_example());
    ASSERT_TRUE(write_file(volume, original));
    const std::string answers = dir + "/answers.txt";
    ASSERT_TRUE(write_file(answers, Bytes{'Y', '\n'}));

    const DetachedRun run = run_detached({TOOL, volume}, Redirects{answers.c_str()});
    EXPECT_EQ(after_banner(run.out), ASKED + DECLINED);
    EXPECT_EQ(run.err, "") << "nothing goes to standard error";
    EXPECT_EQ(exit_code(run.wait_status), 0);
    EXPECT_EQ(read_file(volume), original);
}

TEST_F(EndToEnd, SigtermAtThePromptRestoresTheTerminal)
{
    const Bytes original = volume_bytes(3000, damaged_example());
    ASSERT_TRUE(write_file(volume, original));
    for (const int signal_number : {SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGALRM, SIGXCPU}) {
        TerminalRun run;
        start_at_prompt(run);
        kill(run.pid, signal_number);
        ASSERT_TRUE(wait_for_exit(run));
        EXPECT_TRUE(WIFSIGNALED(run.wait_status) && WTERMSIG(run.wait_status) == signal_number)
            << "signal " << signal_number << " ends the process as usual";
        EXPECT_TRUE(same_mode(run.mode_after, run.mode_before)) << "signal " << signal_number;
        EXPECT_EQ(read_file(volume), original);
    }
}

// Outcomes that need no key: the message after the banner and the status.
TEST_F(EndToEnd, OutcomesWithoutADialogue)
{
    const struct {
        const char* name;
        Bytes contents;
        std::string output;
        int status;
    } cases[] = {
        {"2047 bytes", Bytes(TRAILER_SIZE - 1, 0), SEEK_FAILED_MESSAGE, 18},
        {"empty", Bytes{}, SEEK_FAILED_MESSAGE, 18},
        {"sound block", volume_bytes(5000, sound_example()), NOT_BROKEN, 0},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(write_file(volume, c.contents));
        const DetachedRun run = run_detached({TOOL, volume});
        EXPECT_EQ(after_banner(run.out), c.output) << c.name;
        EXPECT_EQ(exit_code(run.wait_status), c.status) << c.name;
        EXPECT_EQ(run.err, "") << c.name;
        EXPECT_EQ(read_file(volume), c.contents) << c.name;
    }
}

TEST_F(EndToEnd, CommandLineAndOpenFailures)
{
    ASSERT_EQ(mkdir((dir + "/a directory").c_str(), 0755), 0);
    const std::string missing = dir + "/missing.pgd";
    const std::string long_path = dir + "/" + std::string(250, 'x');
    const struct {
        std::vector<std::string> args;
        std::string output;
        int status;
    } cases[] = {
        {{}, USAGE, 41},
        {{"a", "b"}, USAGE, 41},
        {{missing}, "\"" + missing + "\": Open failed.\n", static_cast<int>(17 + missing.size())},
        {{dir + "/a directory"},
         "\"" + dir + "/a directory\": Open failed.\n",
         static_cast<int>(17 + dir.size() + 12)},
        {{""}, "\"\": Open failed.\n", 17},
        // 17 + 261 characters does not fit an exit status and must not wrap
        // around to a small number, let alone 0.
        {{long_path}, "\"" + long_path + "\": Open failed.\n", 255},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv = {TOOL};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const DetachedRun run = run_detached(argv);
        EXPECT_EQ(after_banner(run.out), c.output);
        EXPECT_EQ(exit_code(run.wait_status), c.status) << c.output;
    }
    EXPECT_NE(access(missing.c_str(), F_OK), 0) << "the named file is never created";
    EXPECT_NE(access("b", F_OK), 0);
}

TEST_F(EndToEnd, SparseVolumePast4GiBIsRepairedAtItsEnd)
{
    // The block straddles the 4 GiB mark, and the size modulo 4 GiB is less
    // than one block: 32-bit arithmetic anywhere would show.
    const std::int64_t size = (std::int64_t{4} << 30) + 1024;
    const std::int64_t start = size - static_cast<std::int64_t>(TRAILER_SIZE);
    const Block block = damaged_example();
    const Bytes marker = {0x5A, 0xA5, 0x5A, 0xA5};
    ASSERT_TRUE(make_sparse_file(volume, size));
    ASSERT_TRUE(write_at(volume, start, Bytes(block.begin(), block.end())));
    ASSERT_TRUE(write_at(volume, start - 4, marker));

    TerminalRun run;
    start_at_prompt(run);
    type_keys(run, "Y");
    ASSERT_TRUE(wait_for_exit(run));
    EXPECT_EQ(after_banner(run.seen), ASKED + "Y\nRestoring..Ok.");

    EXPECT_EQ(file_size(volume), size);
    const Block want = repaired_from(block);
    EXPECT_EQ(read_at(volume, start, TRAILER_SIZE), Bytes(want.begin(), want.end()));
    EXPECT_EQ(read_at(volume, start - 4, 4), marker);
}

TEST_F(EndToEnd, SecondInstanceIsRefusedWhileTheFirstWaits)
{
    ASSERT_TRUE(write_file(volume, volume_bytes(3000, damaged_example())));
    TerminalRun first;
    start_at_prompt(first);

    const DetachedRun second = run_detached({TOOL, volume});
    EXPECT_EQ(after_banner(second.out), "\"" + volume + "\": Open failed.\n");
    EXPECT_EQ(exit_code(second.wait_status), static_cast<int>(17 + volume.size()));

    type_keys(first, "Y");
    ASSERT_TRUE(wait_for_exit(first));
    EXPECT_EQ(after_banner(first.seen), ASKED + "Y\nRestoring..Ok.");
    EXPECT_EQ(read_file(volume), repaired_volume(3000, damaged_example()));

    // Once the first has closed the file, it can be opened again.
    const DetachedRun third = run_detached({TOOL, volume});
    EXPECT_EQ(exit_code(third.wait_status), 0) << third.out;
}

// ---- Hostile runs: closed or redirected output, files swapped at the
// prompt, stops, ignored signals and limits -------------------------------

// With standard output closed the volume must not take its place: no byte
// of banner or prompt may reach it, whatever the answer.
TEST_F(EndToEnd, ClosedStandardOutputNeverWritesIntoTheVolume)
{
    const Bytes original = volume_bytes(3000, damaged_example());
    ASSERT_TRUE(write_file(volume, original));
    Redirects no_stdout;
    no_stdout.close_stdout = true;

    const DetachedRun declined = run_detached({TOOL, volume}, no_stdout);
    EXPECT_EQ(exit_code(declined.wait_status), 0);
    EXPECT_EQ(read_file(volume), original) << "without a terminal the tool declines";

    TerminalRun run;
    start_at_prompt(run, no_stdout);
    type_keys(run, "Y");
    ASSERT_TRUE(wait_for_exit(run));
    EXPECT_EQ(exit_code(run.wait_status), 0);
    EXPECT_EQ(read_file(volume), repaired_volume(3000, damaged_example()));
    EXPECT_EQ(run.seen, ASKED + "Y\n") << "the prompt and the answer reach the terminal";
}

// A terminal that has hung up fails every write; the status must still tell
// the outcome.
TEST_F(EndToEnd, StatusFollowsTheOutcomeWhenStandardOutputFails)
{
    int master = -1;
    int slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    close(master);  // hang up
    Redirects hung_up;
    hung_up.stdout_fd = slave;
    const std::string missing = dir + "/missing.pgd";
    const struct {
        std::vector<std::string> argv;
        int status;
    } cases[] = {{{TOOL}, 41}, {{TOOL, missing}, static_cast<int>(17 + missing.size())}};
    for (const auto& c : cases) {
        const DetachedRun run = run_detached(c.argv, hung_up);
        EXPECT_EQ(exit_code(run.wait_status), c.status) << c.argv.size();
    }
    close(slave);
}

// With standard output in a file, the prompt and the answer letter show on
// the terminal, and the file gets exactly the usual bytes.
TEST_F(EndToEnd, RedirectedStandardOutputStillShowsThePrompt)
{
    const std::string log = dir + "/log.txt";
    for (const char* key : {"Y", "n"}) {
        const bool accept = *key == 'Y';
        ASSERT_TRUE(write_file(volume, volume_bytes(3000, damaged_example())));
        Redirects to_log;
        to_log.stdout_path = log.c_str();
        TerminalRun run;
        start_at_prompt(run, to_log);
        type_keys(run, key);
        ASSERT_TRUE(wait_for_exit(run));
        EXPECT_EQ(run.seen, ASKED + (accept ? "Y\n" : "N\n")) << key;
        const Bytes logged = read_file(log);
        EXPECT_EQ(after_banner(std::string(logged.begin(), logged.end())),
                  accept ? ASKED + "Y\nRestoring..Ok." : ASKED + DECLINED)
            << key;
        EXPECT_EQ(exit_code(run.wait_status), 0) << key;
    }
}

// Renamed over or deleted while the prompt waits: Y must not write into
// the file that is no longer at the path, nor say "Ok.".
TEST_F(EndToEnd, FileSwappedAtThePromptIsNotWritten)
{
    const Bytes original = volume_bytes(3000, damaged_example());
    const Bytes other = volume_bytes(5000, damaged_example());
    const std::string kept = dir + "/kept.pgd";    // a second name of the volume
    const std::string newer = dir + "/newer.pgd";  // what is renamed over it
    for (const bool delete_it : {false, true}) {
        std::filesystem::remove(kept);
        ASSERT_TRUE(write_file(volume, original));
        ASSERT_EQ(link(volume.c_str(), kept.c_str()), 0);
        ASSERT_TRUE(write_file(newer, other));
        TerminalRun run;
        start_at_prompt(run);
        if (delete_it) {
            ASSERT_EQ(unlink(volume.c_str()), 0);
        } else {
            ASSERT_EQ(rename(newer.c_str(), volume.c_str()), 0);
        }
        type_keys(run, "Y");
        ASSERT_TRUE(wait_for_exit(run));
        EXPECT_EQ(after_banner(run.seen), ASKED + "Y\nRestoring.." + SEEK_FAILED_MESSAGE)
            << delete_it;
        EXPECT_EQ(exit_code(run.wait_status), 18) << delete_it;
        EXPECT_EQ(read_file(kept), original) << "the opened file is not written";
        if (delete_it) {
            EXPECT_NE(access(volume.c_str(), F_OK), 0) << "nothing is created at the path";
        } else {
            EXPECT_EQ(read_file(volume), other) << "the file now at the path is untouched";
        }
    }
}

// Stopped at the prompt by a job-control shell: the shell gets a cooked
// terminal back while the tool is stopped; after fg one Y answers.
TEST_F(EndToEnd, StopAndContinueAtThePrompt)
{
    ASSERT_TRUE(write_file(volume, volume_bytes(3000, damaged_example())));
    // Job control puts the tool in a process group of its own that the
    // terminal's stop signals can stop.
    const std::string script = R"(set -m; "$0" "$1"; echo "stopped=$?"; )"
                               R"(IFS= read -r go; fg; echo "status=$?")";
    TerminalRun run;
    start_in_terminal(run, {"/bin/sh", "-c", script, TOOL, volume});
    ASSERT_TRUE(wait_for(run, ASKED)) << run.seen;
    ASSERT_TRUE(wait_for_key_read(run));

    const pid_t tool_group = tcgetpgrp(run.master);
    ASSERT_GT(tool_group, 0);
    ASSERT_EQ(kill(-tool_group, SIGTSTP), 0);
    ASSERT_TRUE(wait_for(run, "stopped=")) << run.seen;
    EXPECT_TRUE(same_mode(terminal_mode(run), run.mode_before))
        << "the terminal is the shell's again while the tool is stopped";

    type_keys(run, "go\n");
    ASSERT_TRUE(wait_for_key_read(run)) << "raw again after fg: " << run.seen;
    type_keys(run, "Y");
    ASSERT_TRUE(wait_for(run, "status=")) << run.seen;
    ASSERT_TRUE(wait_for_exit(run));
    EXPECT_NE(run.seen.find("Restoring..Ok.status=0"), std::string::npos) << run.seen;
    EXPECT_EQ(read_file(volume), repaired_volume(3000, damaged_example()));
    EXPECT_TRUE(same_mode(run.mode_after, run.mode_before));
}

// nohup or trap '' HUP: a signal ignored when the tool starts stays ignored.
TEST_F(EndToEnd, SignalIgnoredAtStartStaysIgnored)
{
    ASSERT_TRUE(write_file(volume, volume_bytes(3000, damaged_example())));
    TerminalRun run;
    start_in_terminal(run, {"/bin/sh", "-c", R"(trap '' HUP USR1; exec "$0" "$1")", TOOL, volume});
    ASSERT_TRUE(wait_for(run, ASKED)) << run.seen;
    ASSERT_TRUE(wait_for_key_read(run));
    kill(run.pid, SIGHUP);
    kill(run.pid, SIGUSR1);
    sleep_ms(200);
    ASSERT_TRUE(still_running(run)) << "an ignored signal ended the tool";
    type_keys(run, "Y");
    ASSERT_TRUE(wait_for_exit(run));
    EXPECT_EQ(after_banner(run.seen), ASKED + "Y\nRestoring..Ok.");
    EXPECT_EQ(read_file(volume), repaired_volume(3000, damaged_example()));
}

// Under a file size limit below the block, the write fails as a write
// (no SIGXFSZ death), and no part of the block is written: also not when
// the block starts below the limit and would end past it.
TEST_F(EndToEnd, FileSizeLimitFailsTheWriteWithoutWritingAnything)
{
    for (const std::size_t body : {std::size_t{3000}, std::size_t{0}}) {
        const Bytes original = volume_bytes(body, damaged_example());
        ASSERT_TRUE(write_file(volume, original));
        TerminalRun run;
        start_in_terminal(run, {"/bin/sh", "-c", R"(ulimit -f 1 && exec "$0" "$1")", TOOL, volume});
        ASSERT_TRUE(wait_for(run, ASKED)) << run.seen;
        ASSERT_TRUE(wait_for_key_read(run));
        type_keys(run, "Y");
        ASSERT_TRUE(wait_for_exit(run));
        EXPECT_EQ(after_banner(run.seen), ASKED + "Y\nRestoring.." + WRITE_FAILED) << body;
        EXPECT_EQ(exit_code(run.wait_status), 14) << body;
        EXPECT_EQ(read_file(volume), original) << body;
    }
}

// Runs a system command; its standard output without the last line break,
// or "" when it fails.
std::string output_of(const std::vector<std::string>& argv)
{
    const DetachedRun run = run_detached(argv);
    if (exit_code(run.wait_status) != 0) {
        return "";
    }
    std::string out = run.out;
    while (!out.empty() && out.back() == '\n') {
        out.pop_back();
    }
    return out;
}

// The device of a mounted file system is refused; the same device once
// unmounted is examined like a file.
TEST(Devices, MountedBlockDeviceIsRefused)
{
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to attach a loop device and mount it";
    }
    char pattern[] = "/tmp/vs-mount-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    const std::string image = dir + "/fs.img";
    const std::string mount_point = dir + "/mnt";
    ASSERT_EQ(mkdir(mount_point.c_str(), 0755), 0);
    ASSERT_TRUE(make_sparse_file(image, 8 << 20));
    const std::string device = output_of({"losetup", "--find", "--show", image});
    const bool mounted_here = !device.empty() &&
                              run_detached({"mkfs.ext4", "-q", "-F", device}).wait_status == 0 &&
                              run_detached({"mount", device, mount_point}).wait_status == 0;
    if (!mounted_here) {
        if (!device.empty()) {
            output_of({"losetup", "-d", device});
        }
        std::filesystem::remove_all(dir);
        GTEST_SKIP() << "no loop device could be attached, formatted and mounted here";
    }

    const DetachedRun mounted = run_detached({TOOL, device});
    EXPECT_EQ(after_banner(mounted.out), "\"" + device + "\": Open failed.\n");
    EXPECT_EQ(exit_code(mounted.wait_status), static_cast<int>(17 + device.size()));

    EXPECT_EQ(run_detached({"umount", mount_point}).wait_status, 0);
    const DetachedRun unmounted = run_detached({TOOL, device});
    EXPECT_EQ(exit_code(unmounted.wait_status), 0) << unmounted.out;
    EXPECT_EQ(after_banner(unmounted.out).find("Open failed."), std::string::npos) << unmounted.out;

    output_of({"losetup", "-d", device});
    std::filesystem::remove_all(dir);
}

// Runs the tool as an unprivileged user when the tests run as root; the
// prefix is empty when they already run unprivileged.
bool unprivileged_prefix(std::vector<std::string>& prefix, std::string& why_not)
{
    if (geteuid() != 0) {
        return true;
    }
    for (const char* setpriv : {"/usr/bin/setpriv", "/bin/setpriv"}) {
        if (access(setpriv, X_OK) == 0) {
            prefix = {setpriv, "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
            return true;
        }
    }
    why_not = "running as root and setpriv is not installed: no unprivileged user to try with";
    return false;
}

TEST(Permissions, ReadOnlyVolumeIsRefusedForAnOrdinaryUser)
{
    std::vector<std::string> prefix;
    std::string why_not;
    if (!unprivileged_prefix(prefix, why_not)) {
        GTEST_SKIP() << why_not;
    }
    // Everything the other user needs lies in one world-readable folder.
    char pattern[] = "/tmp/vs-perm-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
    const std::string tool = dir + "/VolumeSalvager";
    ASSERT_TRUE(std::filesystem::copy_file(TOOL, tool));
    const Bytes sound = volume_bytes(3000, sound_example());

    const struct {
        const char* name;
        mode_t mode;
        bool refused;
    } cases[] = {{"read-only", 0444, true}, {"writable", 0666, false}};
    for (const auto& c : cases) {
        const std::string path = dir + "/" + c.name + ".pgd";
        ASSERT_TRUE(write_file(path, sound));
        ASSERT_EQ(chmod(path.c_str(), c.mode), 0);
        std::vector<std::string> argv = prefix;
        argv.push_back(tool);
        argv.push_back(path);
        const DetachedRun run = run_detached(argv);
        const std::string want = c.refused ? "\"" + path + "\": Open failed.\n" : NOT_BROKEN;
        EXPECT_EQ(after_banner(run.out), want) << c.name << "; stderr: " << run.err;
        EXPECT_EQ(exit_code(run.wait_status), c.refused ? static_cast<int>(17 + path.size()) : 0)
            << c.name;
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
