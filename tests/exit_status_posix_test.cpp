#include <gtest/gtest.h>

#include "cli/exit_status.h"

TEST(ExitStatus, NoFailureWrapsToSuccess)
{
    const struct {
        int result;
        int status;
    } cases[] = {{0, 0}, {41, 41}, {255, 255}, {256, 255}, {17 + 4096, 255}, {-1, 255}};
    for (const auto& c : cases) {
        EXPECT_EQ(exit_status_for_system(c.result), c.status) << "run result " << c.result;
    }
}
