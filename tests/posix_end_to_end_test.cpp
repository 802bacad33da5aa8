// The real binary, driven as a user drives it: in a terminal, with keys
// typed at the prompt, on real files.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "block_fixtures.h"
#include "cli/messages.h"
#include "pty_session.h"
#include "trailer/locate_trailer.h"

namespace {

const std::string TOOL = VOLUME_SALVAGER_BINARY;
const std::string ASKED = PROMPT;

using Bytes = std::vector<unsigned char>;

Bytes body_of(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<unsigned char>(i * 13 + 1);
    }
    return bytes;
}

void write_file(const std::string& path, const Bytes& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    ASSERT_EQ(std::fclose(f), 0);
}

Bytes read_file(const std::string& path)
{
    Bytes bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return bytes;
    }
    int c;
    while ((c = std::fgetc(f)) != EOF) {
        bytes.push_back(static_cast<unsigned char>(c));
    }
    std::fclose(f);
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

int exit_code(int wait_status)
{
    return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1000 - WTERMSIG(wait_status);
}

// Everything after the banner.
std::string after_banner(const std::string& seen)
{
    const std::size_t at = seen.find("Tested on PDP 8.0 Volumes.\n");
    return at == std::string::npos ? "<no banner>" : seen.substr(at + 27);
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
        std::system(("rm -rf '" + dir + "'").c_str());
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
    write_file(volume, volume_bytes(6000, damaged_example()));
    TerminalRun run;
    start_at_prompt(run);
    type_keys(run, "Y");
    ASSERT_TRUE(wait_for_exit(run));

    EXPECT_EQ(after_banner(run.seen), ASKED + "Y\nRestoring..Ok.");
    EXPECT_EQ(exit_code(run.wait_status), 0);
    EXPECT_EQ(read_file(volume), repaired_volume(6000, damaged_example()));
    EXPECT_TRUE(same_mode(run.mode_after, run.mode_before)) << "terminal mode restored";
}

TEST_F(EndToEnd, ShiftThenYIsOneCapitalY)
{
    // A terminal sends Shift+y as the single byte 'Y'; a lone Shift sends
    // nothing. What matters is that the byte is not folded to lower case.
    write_file(volume, volume_bytes(0, damaged_example()));
    TerminalRun run;
    start_at_prompt(run);
    type_keys(run, "Y");
    ASSERT_TRUE(wait_for_exit(run));
    EXPECT_EQ(read_file(volume), repaired_volume(0, damaged_example()))
        << "a file of exactly 2048 bytes";
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
    write_file(volume, original);
    TerminalRun run;
    start_in_terminal(run, {"/bin/sh", "-c",
                            "\"$0\" \"$1\"; echo \"status=$?\"; IFS= read -r rest; "
                            "echo \"left=[$rest]\"",
                            TOOL, volume});
    ASSERT_TRUE(wait_for(run, ASKED)) << run.seen;
    ASSERT_TRUE(wait_for_key_read(run));
    type_keys(run, GetParam().keys);
    if (*GetParam().keys_later != '\0') {
        usleep(20 * 1000);
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
    write_file(volume, original);
    const std::string answers = dir + "/answers.txt";
    write_file(answers, Bytes{'Y', '\n'});

    TerminalRun run;
    start_at_prompt(run, answers.c_str());
    usleep(300 * 1000);
    EXPECT_TRUE(still_running(run)) << "the tool must wait for a key at the terminal";
    type_keys(run, "n");
    ASSERT_TRUE(wait_for_exit(run));
    EXPECT_EQ(after_banner(run.seen), ASKED + DECLINED);
    EXPECT_EQ(read_file(volume), original);
}

TEST_F(EndToEnd, WithoutATerminalTheToolDeclines)
{
    const Bytes original = volume_bytes(3000, damaged_example());
    write_file(volume, original);
    const std::string answers = dir + "/answers.txt";
    write_file(answers, Bytes{'Y', '\n'});

    const DetachedRun run = run_detached({TOOL, volume}, answers.c_str());
    EXPECT_EQ(after_banner(run.out), ASKED + DECLINED);
    EXPECT_EQ(run.err, "") << "nothing goes to standard error";
    EXPECT_EQ(exit_code(run.wait_status), 0);
    EXPECT_EQ(read_file(volume), original);
}

TEST_F(EndToEnd, SigtermAtThePromptRestoresTheTerminal)
{
    const Bytes original = volume_bytes(3000, damaged_example());
    write_file(volume, original);
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
        write_file(volume, c.contents);
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
    const off_t size = (off_t{5} << 30) + 12345;  // past 4 GiB, odd length
    const off_t start = size - static_cast<off_t>(TRAILER_SIZE);
    const int fd = open(volume.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, size), 0);
    const Block block = damaged_example();
    const Bytes marker = {0x5A, 0xA5, 0x5A, 0xA5};
    ASSERT_EQ(pwrite(fd, block.data(), block.size(), start), static_cast<ssize_t>(block.size()));
    ASSERT_EQ(pwrite(fd, marker.data(), marker.size(), start - 4), 4);
    close(fd);

    TerminalRun run;
    start_at_prompt(run);
    type_keys(run, "Y");
    ASSERT_TRUE(wait_for_exit(run));
    EXPECT_EQ(after_banner(run.seen), ASKED + "Y\nRestoring..Ok.");

    struct stat info {};
    ASSERT_EQ(stat(volume.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, size);
    const int check = open(volume.c_str(), O_RDONLY);
    Block after{};
    Bytes before_block(4);
    ASSERT_EQ(pread(check, after.data(), after.size(), start), static_cast<ssize_t>(after.size()));
    ASSERT_EQ(pread(check, before_block.data(), 4, start - 4), 4);
    close(check);
    EXPECT_EQ(after, repaired_from(block));
    EXPECT_EQ(before_block, marker);
}

TEST_F(EndToEnd, SecondInstanceIsRefusedWhileTheFirstWaits)
{
    write_file(volume, volume_bytes(3000, damaged_example()));
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
    ASSERT_EQ(std::system(("cp '" + TOOL + "' '" + tool + "'").c_str()), 0);
    const Bytes sound = volume_bytes(3000, sound_example());

    const struct {
        const char* name;
        mode_t mode;
        bool refused;
    } cases[] = {{"read-only", 0444, true}, {"writable", 0666, false}};
    for (const auto& c : cases) {
        const std::string path = dir + "/" + c.name + ".pgd";
        write_file(path, sound);
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
    std::system(("rm -rf '" + dir + "'").c_str());
}

}  // namespace
