#include "view/ParamEdit.h"

#include "core/clsSett.h"
#include "core/Dialogs.h"
#include "core/NumberText.h"
#include "oto/clsOto.h"

#include <cmath>

namespace {

double &param(clsOto &e, int index)
{
    switch (index) {
    case PrmLF: return e.prmLF;
    case PrmOV: return e.prmOV;
    case PrmPR: return e.prmPR;
    case PrmFX: return e.prmFX;
    default: return e.prmRT;
    }
}

// The right bound from a release at t. False when t is not right of LF.
bool setRightBound(clsOto &w, bool lengthForm, double t, double lengthMs)
{
    if (t <= w.prmLF)
        return false;
    if (lengthForm) {
        w.prmRT = -(t - w.prmLF);
        if (w.prmRT > -1)
            w.prmRT = -1;  // the used stretch is at least 1 ms
    } else {
        w.prmRT = lengthMs - t;
        if (w.prmRT < 0)
            w.prmRT = 0;
    }
    return true;
}

// Moves LF to t while the other markers keep their times. False when t is
// beyond the preutterance or the fixed-length marker.
bool moveLeftBoundKeepingMarkers(clsOto &w, double t)
{
    if (t > w.prmLF + w.prmPR || t > w.prmLF + w.prmFX)
        return false;
    if (t < 0)
        t = 0;
    const double oldLF = w.prmLF;
    w.prmOV += oldLF - t;
    w.prmPR += oldLF - t;
    w.prmFX += oldLF - t;
    if (w.prmRT < 0)
        w.prmRT += t - oldLF;
    w.prmLF = t;
    return true;
}

// Bands 0 to 3 with the modifier mask; other masks change nothing here.
bool applyBandEdit(clsOto &w, int band, int shift, double t)
{
    const double LF = w.prmLF;
    if (shift == 0 || (shift == ShiftKey && band != PrmLF)) {
        if (band == PrmLF)
            w.prmLF = t;
        else
            param(w, band) = t - LF;
    } else if (shift == ShiftKey) {
        return moveLeftBoundKeepingMarkers(w, t);
    } else if (shift == CtrlKey) {
        w.prmLF = band == PrmLF ? t : t - param(w, band);
    }
    return true;
}

void applyLocks(clsOto &w, const LockTexts &locks, double lengthMs)
{
    const auto value = [&](int i) { return readTypedNumber(locks.text[i]); };
    if (!locks.text[0].isEmpty())
        w.prmPR = std::fabs(value(0));
    if (!locks.text[1].isEmpty())
        w.prmOV = value(1);
    if (!locks.text[2].isEmpty())
        w.prmFX = std::fabs(value(2));
    if (!locks.text[3].isEmpty())
        w.prmRT = (lengthMs - w.prmLF) - std::fabs(value(3));
}

// Validates and rounds the working copy. Repairs made before a refusal
// stay in the copy, which is then dropped.
EditOutcome finish(clsOto w, double lengthMs, double step)
{
    if (!w.tryToFix(lengthMs))
        return {EditResult::Rejected, {}};
    w.truncPrm(step);
    return {EditResult::Committed, std::move(w)};
}

}  // namespace

EditOutcome mouseEdit(const clsOto &current, int band, int shift, double t, double lengthMs, const LockTexts &locks,
                      double step)
{
    if (band < 0 || band > 4)
        return {};  // released above or below the view
    clsOto w = current;
    if (band == PrmRT) {
        if (!setRightBound(w, current.prmRT < 0, t, lengthMs))
            return {EditResult::Rejected, {}};
    } else if (!applyBandEdit(w, band, shift, t)) {
        return {EditResult::Rejected, {}};
    }
    applyLocks(w, locks, lengthMs);
    return finish(std::move(w), lengthMs, step);
}

EditOutcome typedEdit(const clsOto &current, int index, const QString &text, double lengthMs, double step)
{
    if (!isNumericText(text))
        return {};
    clsOto w = current;
    param(w, index) = readTypedNumber(text);
    EditOutcome outcome = finish(std::move(w), lengthMs, step);
    if (outcome.result == EditResult::Rejected)
        outcome.result = EditResult::Ignored;  // a typed value is never beeped at
    return outcome;
}

double paramValue(const clsOto &entry, int index)
{
    clsOto copy = entry;
    return param(copy, index);
}

QString paramText(double value)
{
    return formatNumber(value);
}

QString validatedLockText(const QString &text)
{
    if (text == QStringLiteral("-") || text.isEmpty() || !isNumericText(text))
        return QString();
    return text;
}

bool isValidAlias(const QString &alias)
{
    return !alias.contains(u'=') && !alias.contains(u',');
}

bool askRoundingStep(clsSett &sett, Dialogs &dialogs)
{
    const std::optional<QString> answer = dialogs.input(
        QStringLiteral("Number to round to - 取整單位 (0.001~100)") + QStringLiteral("\r\n")
            + QStringLiteral("eg. 0.5: 1.2->1.0, 1.3->1,5"),
        QStringLiteral("Parameter Fixing - 數字取整設定"), paramText(sett.settPrmRound).trimmed());
    const QString s = answer.value_or(QString()).trimmed();
    if (s.isEmpty())
        return false;
    const double v = readTypedNumber(s);
    const auto complain = [&](const QString &text) {
        dialogs.message({text, QStringLiteral("..."), MsgButtons::Ok, MsgIcon::None, MsgAnswer::Ok});
        return false;
    };
    if (!(v > 0) || !isNumericText(s))
        return complain(QStringLiteral("..."));
    if (v < 0.001 || v > 100)
        return complain(QStringLiteral("0.001 ~ 100..."));
    sett.settPrmRound = v;
    return true;
}
