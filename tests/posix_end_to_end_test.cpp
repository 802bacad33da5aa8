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
    void start_at_prompt(TerminalRun& run, const char* stdin_path = nullptr)
    {
        start_in_terminal(run, {TOOL, volume}, stdin_path);
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
    start_at_prompt(run, answers.c_str());
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

    const DetachedRun run = run_detached({TOOL, volume}, answers.c_str());
    EXPECT_EQ(after_banner(run.out), ASKED + DECLINED);
    EXPECT_EQ(run.err, "") << "nothing goes to standard error";
    EXPECT_EQ(exit_code(run.wait_status), 0);
    EXPECT_EQ(read_file(volume), original);
}

TEST_F(EndToEnd, SigtermAtThePromptRestoresTheTerminal)
{
    const Bytes original = volume_bytes(3000, damaged_example());
    ASSERT_TRUE(write_file(volume, original));
    for (const int signal_number : {SIGTERM, SIGHUP, SIGQUIT}) {
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
