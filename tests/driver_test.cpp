// The driver's dialogue, outcomes and exit statuses, over the in-memory
// volume file of fake_platform.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "block_fixtures.h"
#include "cli/driver.h"
#include "cli/messages.h"
#include "fake_platform.h"
#include "trailer/locate_trailer.h"

namespace {

constexpr std::size_t VOLUME_BODY = 4096;  // bytes before the trailer block

std::vector<unsigned char> volume_with(const Block& trailer, std::size_t body = VOLUME_BODY)
{
    std::vector<unsigned char> bytes(body);
    for (std::size_t i = 0; i < body; ++i) {
        bytes[i] = static_cast<unsigned char>(i * 13 + 1);
    }
    bytes.insert(bytes.end(), trailer.begin(), trailer.end());
    return bytes;
}

struct DriverRun {
    std::string output;  // what followed the banner
    int status;
};

DriverRun run_driver(std::vector<const char*> args)
{
    args.insert(args.begin(), "VolumeSalvager");
    testing::internal::CaptureStdout();
    const int status = run(static_cast<int>(args.size()), args.data());
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind(BANNER, 0), 0u) << "the banner comes first";
    if (out.rfind(BANNER, 0) == 0) {
        out.erase(0, std::strlen(BANNER));
    }
    return {out, status};
}

class DriverTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        fake_volume = FakeVolume{};
        fake_volume.bytes = volume_with(damaged_example());
        fake_key = FakeKey{};
    }
};

// ---- Outcomes after a successful open --------------------------------------

enum class OnDisk { unchanged, repaired, either };

struct OutcomeCase {
    const char* name;
    std::function<void()> arrange;
    std::string output;
    int status;
    OnDisk on_disk;
};

void PrintTo(const OutcomeCase& c, std::ostream* os)
{
    *os << c.name;
}

const std::string ASKED = std::string(PROMPT);
const std::string ACCEPT = ASKED + ACCEPTED;

class Outcome : public DriverTest, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(Outcome, PrintsOneMessageClosesOnceAndExitsAsItShould)
{
    const OutcomeCase& c = GetParam();
    c.arrange();
    const std::vector<unsigned char> before = fake_volume.bytes;

    const DriverRun r = run_driver({"vol.pgd"});

    EXPECT_EQ(r.output, c.output);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(fake_volume.close_calls, 1);
    EXPECT_EQ(fake_volume.bytes.size(), before.size()) << "the file keeps its size";
    if (c.on_disk == OnDisk::unchanged) {
        EXPECT_EQ(fake_volume.bytes, before);
    } else if (c.on_disk == OnDisk::repaired) {
        const std::size_t start = before.size() - TRAILER_SIZE;
        Block old;
        std::copy(before.begin() + static_cast<long>(start), before.end(), old.begin());
        const Block want = repaired_from(old);
        EXPECT_TRUE(std::equal(before.begin(), before.begin() + static_cast<long>(start),
                               fake_volume.bytes.begin()))
            << "nothing before the trailer block changes";
        EXPECT_TRUE(std::equal(want.begin(), want.end(),
                               fake_volume.bytes.begin() + static_cast<long>(start)));
        EXPECT_EQ(fake_volume.write_calls, 1);
        EXPECT_EQ(fake_volume.flush_calls, 1);
    }
}

void nothing() {}
std::function<void()> answer(int key)
{
    return [key] { fake_key.answer = key; };
}

INSTANTIATE_TEST_SUITE_P(
    Driver, Outcome,
    ::testing::Values(
        OutcomeCase{"capital_Y_repairs", nothing, ACCEPT + SUCCESS, 0, OnDisk::repaired},
        OutcomeCase{"block_of_exactly_the_file",
                    [] { fake_volume.bytes = volume_with(damaged_example(), 0); }, ACCEPT + SUCCESS,
                    0, OnDisk::repaired},
        OutcomeCase{"sound_block", [] { fake_volume.bytes = volume_with(sound_example()); },
                    NOT_BROKEN, 0, OnDisk::unchanged},
        OutcomeCase{"lower_case_y_declines", answer('y'), ASKED + DECLINED, 0, OnDisk::unchanged},
        OutcomeCase{"ctrl_c_declines", answer(3), ASKED + DECLINED, 0, OnDisk::unchanged},
        OutcomeCase{"key_without_character_declines", answer(0), ASKED + DECLINED, 0,
                    OnDisk::unchanged},
        OutcomeCase{"esc_declines", answer(27), ASKED + DECLINED, 0, OnDisk::unchanged},
        OutcomeCase{"no_console_declines", answer(-1), ASKED + DECLINED, 0, OnDisk::unchanged},
        OutcomeCase{"file_of_2047_bytes", [] { fake_volume.bytes.assign(TRAILER_SIZE - 1, 0); },
                    SEEK_FAILED_MESSAGE, 18, OnDisk::unchanged},
        OutcomeCase{"empty_file", [] { fake_volume.bytes.clear(); }, SEEK_FAILED_MESSAGE, 18,
                    OnDisk::unchanged},
        OutcomeCase{"measuring_fails", [] { fake_volume.fail_seek_call = 1; }, SEEK_FAILED_MESSAGE,
                    18, OnDisk::unchanged},
        OutcomeCase{"positioning_fails", [] { fake_volume.fail_seek_call = 2; },
                    SEEK_FAILED_MESSAGE, 18, OnDisk::unchanged},
        OutcomeCase{"short_read", [] { fake_volume.read_result = 2047; }, READ_FAILED, 13,
                    OnDisk::unchanged},
        OutcomeCase{"failed_read", [] { fake_volume.read_result = -1; }, READ_FAILED, 13,
                    OnDisk::unchanged},
        OutcomeCase{"second_measuring_fails_after_Y", [] { fake_volume.fail_seek_call = 3; },
                    ACCEPT + SEEK_FAILED_MESSAGE, 18, OnDisk::unchanged},
        OutcomeCase{"second_positioning_fails_after_Y", [] { fake_volume.fail_seek_call = 4; },
                    ACCEPT + SEEK_FAILED_MESSAGE, 18, OnDisk::unchanged},
        OutcomeCase{"short_write", [] { fake_volume.write_result = 1024; }, ACCEPT + WRITE_FAILED,
                    14, OnDisk::either},
        OutcomeCase{"failed_write", [] { fake_volume.write_result = -1; }, ACCEPT + WRITE_FAILED,
                    14, OnDisk::unchanged},
        OutcomeCase{"failed_flush", [] { fake_volume.flush_fails = true; }, ACCEPT + WRITE_FAILED,
                    14, OnDisk::either},
        OutcomeCase{"close_fails_after_repair", [] { fake_volume.close_fails = true; },
                    ACCEPT + SUCCESS, -1, OnDisk::repaired},
        OutcomeCase{"close_fails_after_sound_block",
                    [] {
                        fake_volume.bytes = volume_with(sound_example());
                        fake_volume.close_fails = true;
                    },
                    NOT_BROKEN, -1, OnDisk::unchanged},
        OutcomeCase{"close_fails_after_short_read",
                    [] {
                        fake_volume.read_result = 0;
                        fake_volume.close_fails = true;
                    },
                    READ_FAILED, -1, OnDisk::unchanged}),
    [](const auto& test) { return std::string(test.param.name); });

// The file must not move between the read and the write: a repaired block
// written at a new end would overwrite volume data and leave the damaged
// block where it was.
TEST_F(DriverTest, FileThatChangedSizeAtThePromptIsNotWritten)
{
    fake_volume.grow_before_seek_call = 3;  // the first seek of the second locate
    fake_volume.grow_by = 512;
    const std::vector<unsigned char> before = fake_volume.bytes;

    const DriverRun r = run_driver({"vol.pgd"});

    EXPECT_EQ(r.output, ACCEPT + SEEK_FAILED_MESSAGE);
    EXPECT_EQ(r.status, 18);
    EXPECT_EQ(fake_volume.write_calls, 0);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), fake_volume.bytes.begin()));
}

// Renamed over or deleted while the prompt waited: the file now at the path
// is not the one that was read, and the open one is no longer reachable.
TEST_F(DriverTest, FileNoLongerNamedAtThePromptIsNotWritten)
{
    // The first locate reads the block from the file just opened; only the
    // one before the write asks whether the path still names it.
    fake_volume.still_named = false;
    const std::vector<unsigned char> before = fake_volume.bytes;

    const DriverRun r = run_driver({"vol.pgd"});

    EXPECT_EQ(r.output, ACCEPT + SEEK_FAILED_MESSAGE);
    EXPECT_EQ(r.status, 18);
    EXPECT_EQ(fake_volume.write_calls, 0);
    EXPECT_EQ(fake_volume.bytes, before);
}

// The prompt and the answer letter go to the console as well, for a user
// whose standard output is a file; standard output keeps its bytes.
TEST_F(DriverTest, PromptAndAnswerAreEchoedOnTheConsole)
{
    for (const int key : {int{'Y'}, int{'n'}}) {
        fake_key = FakeKey{};
        fake_key.answer = key;
        fake_volume.bytes = volume_with(damaged_example());
        const DriverRun r = run_driver({"vol.pgd"});
        EXPECT_EQ(fake_key.echoed, ASKED + (key == 'Y' ? "Y\n" : "N\n"));
        EXPECT_EQ(r.output, key == 'Y' ? ACCEPT + SUCCESS : ASKED + DECLINED);
    }
}

TEST_F(DriverTest, KeyIsOnlyAskedForWhenTheBlockIsBroken)
{
    fake_volume.bytes = volume_with(sound_example());
    run_driver({"vol.pgd"});
    EXPECT_EQ(fake_key.calls, 0);
}

// ---- Before the open -------------------------------------------------------

TEST_F(DriverTest, WrongArgumentCountPrintsUsageAndTouchesNoFile)
{
    for (const auto& args : {std::vector<const char*>{}, std::vector<const char*>{"a", "b"}}) {
        const DriverRun r = run_driver(args);
        EXPECT_EQ(r.output, USAGE);
        EXPECT_EQ(r.status, 41);
    }
    EXPECT_EQ(fake_volume.open_calls, 0);
}

TEST_F(DriverTest, OpenFailureQuotesThePathAsTyped)
{
    fake_volume.exists = false;
    const struct {
        const char* path;
        const char* output;
        int status;
    } cases[] = {
        {"missing.pgd", "\"missing.pgd\": Open failed.\n", 28},
        {"", "\"\": Open failed.\n", 17},
        {"~/a b/%s.pgd", "\"~/a b/%s.pgd\": Open failed.\n", 29},
    };
    for (const auto& c : cases) {
        const DriverRun r = run_driver({c.path});
        EXPECT_EQ(r.output, c.output);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(fake_volume.opened_path, c.path);
    }
    EXPECT_EQ(fake_volume.close_calls, 0);
}

TEST(Banner, FiveLinesWithTheBuildStampFirst)
{
    const std::string banner = BANNER;
    EXPECT_EQ(std::count(banner.begin(), banner.end(), '\n'), 5);
    // "VolumeSalvager. Oct 30 2007 02:52:56\n": month, day (space-padded),
    // year, time.
    EXPECT_TRUE(::testing::internal::RE::PartialMatch(
        banner, ::testing::internal::RE("^VolumeSalvager\\. [A-Z][a-z][a-z] [ 123][0-9] "
                                        "[0-9][0-9][0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]\n")))
        << banner;
    EXPECT_NE(banner.find("\nUtility, that help you to restore crashed PGP Volume.\n"
                          "WARNING! Use this software at Your Own RISK!\n"),
              std::string::npos);
    EXPECT_EQ(banner.substr(banner.size() - 28), "\nTested on PDP 8.0 Volumes.\n");
}

}  // namespace
