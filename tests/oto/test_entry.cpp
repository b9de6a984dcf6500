#include "oto/clsOto.h"

#include <array>
#include <gtest/gtest.h>

namespace {

// LF, FX, RT, PR, OV: the order of the file's fields.
using Params = std::array<double, 5>;

clsOto entry(const Params &p)
{
    clsOto o;
    o.FIL = "a.wav";
    o.ALS = "a";
    o.prmLF = p[0], o.prmFX = p[1], o.prmRT = p[2], o.prmPR = p[3], o.prmOV = p[4];
    return o;
}
Params params(const clsOto &o) { return {o.prmLF, o.prmFX, o.prmRT, o.prmPR, o.prmOV}; }

}  // namespace

TEST(Entry, FormatsAndCopies)
{
    const clsOto o = entry({12, 30.5, -200, 20, 0.25});
    EXPECT_EQ(o.fileStr(), "a.wav=a,12,30.5,-200,20,0.25");
    EXPECT_EQ(o.dispStr(), "a\ta.wav");
    const clsOto copy = o;
    EXPECT_EQ(copy.fileStr(), o.fileStr());
    EXPECT_EQ(clsOto().fileStr(), "=,0,0,0,0,0");
}

TEST(Entry, TruncPrmRoundsHalvesToEven)
{
    const struct { Params before; double step; Params after; } cases[] = {
        {{1.2, 1.3, 1.25, -1.3, 0.75}, 0.5, {1, 1.5, 1, -1.5, 1}},
        {{0.5, 1.5, 2.5, -2.5, 3.49}, 1, {0, 2, 2, -2, 3}},
        {{1.2, 1.3, 1.25, 1.3, 0.75}, 0, {1.2, 1.3, 1.25, 1.3, 0.75}},  // no step: values stay
    };
    for (const auto &c : cases) {
        clsOto o = entry(c.before);
        o.truncPrm(c.step);
        EXPECT_EQ(params(o), c.after) << c.step;
    }
    clsOto o = entry({1.234, 5.678, 0, 0, 0});
    o.truncPrm(0.01);
    EXPECT_EQ(o.fileStr(), "a.wav=a,1.23,5.68,0,0,0");
}

TEST(Entry, TryToFixRepairsAgainstTheWaveLength)
{
    const struct { const char *what; Params before; bool ok; Params after; } cases[] = {
        {"RT past the end", {900, 0, 200, 0, 0}, false, {900, 0, 100, 0, 0}},
        {"FX below PR, OV above PR", {100, 50, -20, 80, 60}, true, {100, 80, -80, 80, 50}},
        {"negatives to 0, OV kept", {-5, -1, 0, -3, -7}, true, {0, 0, 0, 0, -7}},
        {"negative RT past the end", {100, 10, -2000, 0, 0}, true, {100, 10, -900, 0, 0}},
        {"FX beyond the stretch moves RT", {100, 500, 600, 0, 0}, true, {100, 500, 400, 0, 0}},
        {"FX too far", {100, 950, 100, 0, 0}, false, {100, 950, -50, 0, 0}},
        {"FX within the stretch", {100, 500, 300, 0, 0}, true, {100, 500, 300, 0, 0}},
        {"-0 counts as from the end", {100, 0, -0.0, 0, 0}, true, {100, 0, -0.0, 0, 0}},
        {"negative RT short of FX, too far", {950, 100, -10, 0, 0}, false, {950, 100, -100, 0, 0}},
        {"negative RT, no FX", {100, 0, -10, 0, 0}, true, {100, 0, -10, 0, 0}},
        {"negative RT short of FX", {100, 20, -10, 0, 0}, true, {100, 20, -20, 0, 0}},
    };
    for (const auto &c : cases) {
        clsOto o = entry(c.before);
        EXPECT_EQ(o.tryToFix(1000), c.ok) << c.what;
        EXPECT_EQ(params(o), c.after) << c.what;
    }
}
