#include "core/clsSett.h"
#include "oto/clsOto.h"
#include "support/ScriptedDialogs.h"
#include "view/ParamEdit.h"

#include <array>
#include <gtest/gtest.h>

namespace {

// LF, OV, PR, FX, RT.
using Params = std::array<double, 5>;

clsOto entry(const Params &p)
{
    clsOto e;
    e.FIL = "a.wav";
    e.prmLF = p[0], e.prmOV = p[1], e.prmPR = p[2], e.prmFX = p[3], e.prmRT = p[4];
    return e;
}
Params params(const clsOto &e) { return {e.prmLF, e.prmOV, e.prmPR, e.prmFX, e.prmRT}; }

// The entry of the examples, on a 1000 ms wave.
constexpr Params kEx{100, 20, 50, 80, -300};

}  // namespace

TEST(MouseEdit, BandsModifiersRightBoundLocksAndRounding)
{
    using enum EditResult;
    const struct {
        const char *what;
        Params before;
        int band, shift;
        double t;
        EditResult result;
        Params after;
        int lock = -1;
        const char *lockText = "";
        double step = 1;
    } cases[] = {
        {"LF", kEx, PrmLF, 0, 120, Committed, {120, 20, 50, 80, -300}},
        {"Shift LF keeps the other times", kEx, PrmLF, ShiftKey, 120, Committed, {120, 0, 30, 60, -280}},
        {"Shift LF beyond the preutterance", kEx, PrmLF, ShiftKey, 160, Rejected, kEx},
        {"Ctrl moves LF from any band", kEx, PrmPR, CtrlKey, 300, Committed, {250, 20, 50, 80, -300}},
        {"Shift acts plainly below band 0", kEx, PrmOV, ShiftKey, 130, Committed, {100, 30, 50, 80, -300}},
        {"FX", kEx, PrmFX, 0, 250, Committed, {100, 20, 50, 150, -300}},
        {"Shift and Ctrl: nothing moves, still commits", kEx, PrmOV, ShiftKey | CtrlKey, 900, Committed, kEx},
        {"band 5", kEx, 5, 0, 120, Ignored, kEx},
        {"band -1", kEx, -1, 0, 120, Ignored, kEx},
        {"RT from the end", kEx, PrmRT, 0, 350, Committed, {100, 20, 50, 80, -250}},
        {"RT left of LF", kEx, PrmRT, CtrlKey, 90, Rejected, kEx},
        {"RT just past LF", {100, 0, 0, 0, -300}, PrmRT, 0, 100.5, Committed, {100, 0, 0, 0, -1}},
        {"RT as a length", {100, 20, 50, 80, 0}, PrmRT, 0, 800, Committed, {100, 20, 50, 80, 200}},
        {"RT past the wave's end", {100, 20, 50, 80, 200}, PrmRT, 0, 1200, Committed, {100, 20, 50, 80, 0}},
        {"OV lock wins", kEx, PrmOV, 0, 180, Committed, {100, -15, 50, 80, -300}, 1, "-15"},
        {"PR lock takes the magnitude", kEx, PrmPR, 0, 400, Committed, {100, 20, 15, 80, -300}, 0, "-15"},
        {"length lock: the end follows LF", kEx, PrmLF, 0, 150, Committed, {150, 20, 50, 80, 650}, 3, "200"},
        {"step 0.5 down", kEx, PrmLF, 0, 1.25, Committed, {1, 20, 50, 80, -300}, -1, "", 0.5},
        {"step 0.5 up", kEx, PrmLF, 0, 1.75, Committed, {2, 20, 50, 80, -300}, -1, "", 0.5},
        {"no usable stretch left", kEx, PrmLF, 0, 990, Rejected, kEx},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        clsOto e = entry(c.before);
        LockTexts locks;
        if (c.lock >= 0)
            locks.text[c.lock] = c.lockText;
        const EditOutcome edit = mouseEdit(e, c.band, c.shift, c.t, 1000, locks, c.step);
        EXPECT_EQ(edit.result, c.result);
        EXPECT_EQ(params(edit.result == Committed ? edit.entry : e), c.after);
    }
}

TEST(TypedEdit, NumbersCommitOnEveryKeystroke)
{
    clsOto e = entry(kEx);
    // Each committed edit becomes the entry, as the window commits it.
    const auto typedEdit = [&](clsOto &current, int index, const char *text, double lengthMs, double step) {
        const EditOutcome edit = ::typedEdit(current, index, text, lengthMs, step);
        if (edit.result == EditResult::Committed)
            current = edit.entry;
        return edit.result;
    };
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
