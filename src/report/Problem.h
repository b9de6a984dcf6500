#pragma once

#include <QString>
#include <span>

// What a bank report finds. A new kind is a new value here, a row in the
// table of problemKinds() (its name on the command line and in the window)
// and a check in BankReport.cpp's list of checks.
enum class ProblemKind {
    DuplicateAlias,
    AliasSpaces,
    MissingWave,
    WaveFormat,
    CaseMismatch,
    NfdName,
    OutOfRange,
    UnusedWave,
    MissingAlias,
};

struct ProblemKindInfo {
    ProblemKind kind;
    const char *name;  // as printed: "duplicate-alias"
};

// Every kind, in the order reports count them.
std::span<const ProblemKindInfo> problemKinds();
QString kindName(ProblemKind kind);

// One problem: KIND, WHERE (PATH:LINE of an oto.ini line, or a recording's
// path, relative to the bank's folder), ALIAS and DETAIL.
struct Problem {
    ProblemKind kind;
    QString where;
    QString alias;
    QString detail;
    // The entry the problem is about, as an index into the report's entries;
    // -1 when none (a recording no entry uses, a missing alias).
    int entry = -1;
    // missing-alias: the recording the alias should come from, as an entry
    // of that oto.ini would name it.
    QString recording;

    // The line printed for it: the four fields separated by TAB.
    QString line() const;
};
