#include "clsOto.h"

#include <gtest/gtest.h>

namespace {

clsOto entry(double lf, double fx, double rt, double pr, double ov)
{
    clsOto o;
    o.FIL = "a.wav";
    o.ALS = "a";
    o.prmLF = lf;
    o.prmFX = fx;
    o.prmRT = rt;
    o.prmPR = pr;
    o.prmOV = ov;
    return o;
}

void expectParams(const clsOto &o, double lf, double fx, double rt, double pr, double ov)
{
    EXPECT_EQ(o.prmLF, lf);
    EXPECT_EQ(o.prmFX, fx);
    EXPECT_EQ(o.prmRT, rt);
    EXPECT_EQ(o.prmPR, pr);
    EXPECT_EQ(o.prmOV, ov);
}

}  // namespace

TEST(Entry, FormatsAndCopies)
{
    const clsOto o = entry(12, 30.5, -200, 20, 0.25);
    EXPECT_EQ(o.fileStr(), "a.wav=a,12,30.5,-200,20,0.25");
    EXPECT_EQ(o.dispStr(), "a\ta.wav");
    clsOto copy;
    copy.cpy(o);
    EXPECT_EQ(copy.fileStr(), o.fileStr());
    EXPECT_EQ(clsOto().fileStr(), "=,0,0,0,0,0");
}

TEST(Entry, TruncPrmRoundsHalvesToEven)
{
    clsOto o = entry(1.2, 1.3, 1.25, -1.3, 0.75);
    o.truncPrm(0.5);
    expectParams(o, 1, 1.5, 1, -1.5, 1);

    o = entry(0.5, 1.5, 2.5, -2.5, 3.49);
    o.truncPrm(1);
    expectParams(o, 0, 2, 2, -2, 3);

    o = entry(1.234, 5.678, 0, 0, 0);
    o.truncPrm(0.01);
    EXPECT_EQ(o.fileStr(), "a.wav=a,1.23,5.68,0,0,0");

    o = entry(1.2, 1.3, 1.25, 1.3, 0.75);
    o.truncPrm(0);  // no step: values stay
    expectParams(o, 1.2, 1.3, 1.25, 1.3, 0.75);
}

TEST(Entry, TryToFixRepairsAgainstTheWaveLength)
{
    clsOto o = entry(900, 0, 200, 0, 0);
    EXPECT_FALSE(o.tryToFix(1000));
    EXPECT_EQ(o.prmRT, 100);

    o = entry(100, 50, -20, 80, 60);
    EXPECT_TRUE(o.tryToFix(1000));
    expectParams(o, 100, 80, -80, 80, 50);

    o = entry(-5, -1, 0, -3, -7);
    EXPECT_TRUE(o.tryToFix(1000));
    expectParams(o, 0, 0, 0, 0, -7);

    // Negative right bound reaching past the end is pulled back to the end.
    o = entry(100, 10, -2000, 0, 0);
    EXPECT_TRUE(o.tryToFix(1000));
    EXPECT_EQ(o.prmRT, -900);

    // A fixed length beyond the stretch moves the right bound; too far is false.
    o = entry(100, 500, 600, 0, 0);
    EXPECT_TRUE(o.tryToFix(1000));
    EXPECT_EQ(o.prmRT, 400);
    o = entry(100, 950, 100, 0, 0);
    EXPECT_FALSE(o.tryToFix(1000));
    EXPECT_EQ(o.prmRT, -50);
    o = entry(100, 500, 300, 0, 0);
    EXPECT_TRUE(o.tryToFix(1000));
    EXPECT_EQ(o.prmRT, 300);

    // A negative right bound covering no fixed length.
    o = entry(100, 0, -0.0, 0, 0);
    EXPECT_TRUE(o.tryToFix(1000));  // -0 counts as "from the end"
    o = entry(950, 100, -10, 0, 0);
    EXPECT_FALSE(o.tryToFix(1000));
    EXPECT_EQ(o.prmRT, -100);
    o = entry(100, 0, -10, 0, 0);
    EXPECT_TRUE(o.tryToFix(1000));
    o = entry(100, 20, -10, 0, 0);
    EXPECT_TRUE(o.tryToFix(1000));
    EXPECT_EQ(o.prmRT, -20);
}
