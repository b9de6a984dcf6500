#include "ParamEdit.h"
#include "ScriptedDialogs.h"
#include "clsOto.h"
#include "clsSett.h"

#include <gtest/gtest.h>

namespace {

// The entry of the examples: LF 100, OV 20, PR 50, FX 80, RT -300, on a
// 1000 ms wave with step 1.
clsOto example(double rt = -300)
{
    clsOto e;
    e.FIL = "a.wav";
    e.prmLF = 100;
    e.prmOV = 20;
    e.prmPR = 50;
    e.prmFX = 80;
    e.prmRT = rt;
    return e;
}

struct Params {
    double lf, ov, pr, fx, rt;
};

Params params(const clsOto &e)
{
    return {e.prmLF, e.prmOV, e.prmPR, e.prmFX, e.prmRT};
}

void expectParams(const clsOto &e, Params p)
{
    EXPECT_EQ(e.prmLF, p.lf);
    EXPECT_EQ(e.prmOV, p.ov);
    EXPECT_EQ(e.prmPR, p.pr);
    EXPECT_EQ(e.prmFX, p.fx);
    EXPECT_EQ(e.prmRT, p.rt);
}

EditResult release(clsOto &e, int band, int shift, double t, const LockTexts &locks = {}, double step = 1)
{
    return mouseEdit(e, band, shift, t, 1000, locks, step);
}

}  // namespace

TEST(MouseEdit, BandsAndModifiers)
{
    clsOto e = example();
    EXPECT_EQ(release(e, PrmLF, 0, 120), EditResult::Committed);
    expectParams(e, {120, 20, 50, 80, -300});

    e = example();
    EXPECT_EQ(release(e, PrmLF, ShiftKey, 120), EditResult::Committed);
    expectParams(e, {120, 0, 30, 60, -280});

    e = example();
    EXPECT_EQ(release(e, PrmLF, ShiftKey, 160), EditResult::Rejected);  // beyond the preutterance
    expectParams(e, params(example()));

    e = example();
    EXPECT_EQ(release(e, PrmPR, CtrlKey, 300), EditResult::Committed);
    expectParams(e, {250, 20, 50, 80, -300});

    e = example();
    EXPECT_EQ(release(e, PrmOV, ShiftKey, 130), EditResult::Committed);  // Shift acts plainly below band 0
    EXPECT_EQ(e.prmOV, 30);
    EXPECT_EQ(release(e, PrmFX, 0, 250), EditResult::Committed);
    EXPECT_EQ(e.prmFX, 150);

    e = example();
    EXPECT_EQ(release(e, PrmOV, ShiftKey | CtrlKey, 900), EditResult::Committed);  // nothing moves, still commits
    expectParams(e, params(example()));

    e = example();
    EXPECT_EQ(release(e, 5, 0, 120), EditResult::Ignored);
    EXPECT_EQ(release(e, -1, 0, 120), EditResult::Ignored);
}

TEST(MouseEdit, RightBoundInBothForms)
{
    clsOto e = example();
    EXPECT_EQ(release(e, PrmRT, 0, 350), EditResult::Committed);
    EXPECT_EQ(e.prmRT, -250);
    EXPECT_EQ(release(e, PrmRT, CtrlKey, 90), EditResult::Rejected);
    EXPECT_EQ(e.prmRT, -250);

    e = example();
    e.prmOV = e.prmPR = e.prmFX = 0;
    EXPECT_EQ(release(e, PrmRT, 0, 100.5), EditResult::Committed);
    EXPECT_EQ(e.prmRT, -1);

    e = example(0);
    EXPECT_EQ(release(e, PrmRT, 0, 800), EditResult::Committed);
    EXPECT_EQ(e.prmRT, 200);
    EXPECT_EQ(release(e, PrmRT, 0, 1200), EditResult::Committed);
    EXPECT_EQ(e.prmRT, 0);
}

TEST(MouseEdit, LocksWinAndRoundingApplies)
{
    LockTexts locks;
    locks.text[1] = "-15";
    clsOto e = example();
    EXPECT_EQ(release(e, PrmOV, 0, 180, locks), EditResult::Committed);
    EXPECT_EQ(e.prmOV, -15);

    locks = {};
    locks.text[0] = "-15";  // preutterance takes the magnitude
    EXPECT_EQ(release(e, PrmPR, 0, 400, locks), EditResult::Committed);
    EXPECT_EQ(e.prmPR, 15);

    locks = {};
    locks.text[3] = "200";  // sampling length: the end follows LF
    e = example();
    EXPECT_EQ(release(e, PrmLF, 0, 150, locks), EditResult::Committed);
    EXPECT_EQ(e.prmLF, 150);
    EXPECT_EQ(e.prmRT, 1000 - 150 - 200);

    e = example();
    EXPECT_EQ(release(e, PrmLF, 0, 1.25, {}, 0.5), EditResult::Committed);
    EXPECT_EQ(e.prmLF, 1);
    EXPECT_EQ(release(e, PrmLF, 0, 1.75, {}, 0.5), EditResult::Committed);
    EXPECT_EQ(e.prmLF, 2);

    e = example();
    EXPECT_EQ(release(e, PrmLF, 0, 990), EditResult::Rejected);  // no usable stretch left
    expectParams(e, params(example()));
}

TEST(TypedEdit, NumbersCommitOnEveryKeystroke)
{
    clsOto e = example();
    for (const char *typed : {"1", "12", "120"}) {
        EXPECT_EQ(typedEdit(e, PrmLF, typed, 1000, 1), EditResult::Committed);
        EXPECT_EQ(e.prmLF, QString(typed).toDouble());
    }
    EXPECT_EQ(typedEdit(e, PrmOV, "-", 1000, 1), EditResult::Ignored);
    EXPECT_EQ(typedEdit(e, PrmOV, "-5", 1000, 1), EditResult::Committed);
    EXPECT_EQ(e.prmOV, -5);
    EXPECT_EQ(typedEdit(e, PrmPR, "12.34", 1000, 0.5), EditResult::Committed);
    EXPECT_EQ(e.prmPR, 12.5);
    EXPECT_EQ(typedEdit(e, PrmLF, "5000", 1000, 1), EditResult::Ignored);  // tryToFix refuses
    EXPECT_EQ(e.prmLF, 120);
    EXPECT_EQ(paramText(paramValue(e, PrmPR)), "12.5");

    EXPECT_EQ(validatedLockText("-"), "");
    EXPECT_EQ(validatedLockText("12ab"), "");
    EXPECT_EQ(validatedLockText("-15"), "-15");
    EXPECT_FALSE(isValidAlias("a=b"));
    EXPECT_FALSE(isValidAlias("a,b"));
    EXPECT_TRUE(isValidAlias("- か"));
}

TEST(RoundingStep, AnswersAndMessages)
{
    clsSett sett{QString()};
    ScriptedDialogs dialogs;
    const auto answer = [&](std::optional<QString> text) {
        dialogs.inputAnswers = {text};
        return askRoundingStep(sett, dialogs);
    };
    EXPECT_TRUE(answer(" 0.25"));
    EXPECT_EQ(sett.settPrmRound, 0.25);
    EXPECT_EQ(dialogs.inputs[0].title, "Parameter Fixing - 數字取整設定");
    EXPECT_EQ(dialogs.inputs[0].defaultText, "1");
    EXPECT_TRUE(answer("100"));
    EXPECT_FALSE(answer(std::nullopt));
    for (const char *bad : {"100.5", "0.0005", "0", "-2", "abc"})
        EXPECT_FALSE(answer(QString::fromLatin1(bad)));
    EXPECT_EQ(dialogs.texts(), (QStringList{"0.001 ~ 100...", "0.001 ~ 100...", "...", "...", "..."}));
    EXPECT_EQ(sett.settPrmRound, 100);
}
