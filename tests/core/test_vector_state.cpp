#include "core/VectorState.h"

#include <gtest/gtest.h>

TEST(VectorState, RestartsOnceWithTheAvx512RoutinesOffKeepingTheUsersTunables)
{
    EXPECT_EQ(tunablesForRestart(nullptr, true), "glibc.cpu.hwcaps=-AVX512F,-AVX512VL");
    EXPECT_EQ(tunablesForRestart("", true), "glibc.cpu.hwcaps=-AVX512F,-AVX512VL");
    EXPECT_EQ(tunablesForRestart("glibc.malloc.check=3", true), "glibc.malloc.check=3:glibc.cpu.hwcaps=-AVX512F,-AVX512VL");
    // Already restarted, or the user chose: no second restart.
    EXPECT_EQ(tunablesForRestart(tunablesForRestart(nullptr, true)->c_str(), true), std::nullopt);
    EXPECT_EQ(tunablesForRestart("glibc.cpu.hwcaps=-AVX2", true), std::nullopt);
    // Nothing to turn off.
    EXPECT_EQ(tunablesForRestart(nullptr, false), std::nullopt);
}
