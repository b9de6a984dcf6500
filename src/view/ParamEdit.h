#pragma once

#include "oto/clsOto.h"

#include <QString>

class clsSett;
class Dialogs;

// The editing transactions on the current entry, without widgets: each one
// works on a copy, lets the entry repair itself against the wave
// (tryToFix) and rounds it to the step (truncPrm); the caller commits the
// copy to the document only when the result is Committed.

// Which parameter each band of the detail view and each parameter box
// edits, top to bottom and left to right.
enum ParamIndex { PrmLF = 0, PrmOV = 1, PrmPR = 2, PrmFX = 3, PrmRT = 4 };

// The modifier mask of a release: 1 Shift, 2 Ctrl, 4 Alt, summed.
enum ShiftMask { ShiftKey = 1, CtrlKey = 2, AltKey = 4 };

// The four lock boxes' texts, in box order: [LF - PR], [LF - OV], [LF - FX],
// sampling length. An empty text is a lock that is off.
struct LockTexts {
    QString text[4];
};

enum class EditResult {
    Committed,  // commit the new values: mark the document, refresh and redraw
    Rejected,   // beep; the entry stays as it was
    Ignored,    // nothing to do, no beep
};

struct EditOutcome {
    EditResult result = EditResult::Ignored;
    clsOto entry;  // the new values when Committed
};

// A left-button release at time t (ms) in band (0 to 4, anything else is
// outside the view) with the modifier mask shift, on a wave of lengthMs.
EditOutcome mouseEdit(const clsOto &current, int band, int shift, double t, double lengthMs, const LockTexts &locks,
                      double step);

// A typed value for the parameter box index: committed when the text is a
// number and the entry stays usable; locks do not apply.
EditOutcome typedEdit(const clsOto &current, int index, const QString &text, double lengthMs, double step);

// The value of a parameter as its box shows it.
double paramValue(const clsOto &entry, int index);
QString paramText(double value);

// What a lock box keeps when the user leaves it: a number, or nothing.
QString validatedLockText(const QString &text);

// An alias may not hold the two separators of an oto.ini line.
bool isValidAlias(const QString &alias);

// Asks for the rounding step; true when settPrmRound was changed.
bool askRoundingStep(clsSett &sett, Dialogs &dialogs);
