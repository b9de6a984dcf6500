#pragma once

#include "report/BankInput.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// Which aliases a bank should have, from how its recordings are named, or
// from a recording list or presamp.ini, and which of them no entry has.

struct ExpectedAlias {
    QString alias;
    QString recording;  // relative to the bank's folder; empty when no recording is known
    QString where;      // the recording, or the list's line that asks for the alias
    QString detail;
};

struct CoverageProfile {
    QString name;
    // Japanese profiles: "a か" and "a ka" are the same alias.
    bool kanaEquivalent = false;
    std::function<QList<ExpectedAlias>(const BankInput &)> expected;
};

// The built-in profiles' names: ja-vcv, ja-cv, ja-cvvc, en-arpasing.
QStringList coverageProfileNames();

// A built-in profile by name, or a recording list (.txt) or presamp.ini
// file read with decode; nullopt with why set for anything else.
std::optional<CoverageProfile> coverageProfile(const QString &nameOrFile,
                                               const std::function<std::optional<QString>(const QString &)> &decode,
                                               QString *why);

// The expected aliases that no entry has (after prefix.map), each once, in
// the order the profile lists them.
QList<ExpectedAlias> missingAliases(const BankInput &bank, const CoverageProfile &profile);

// A recording list or presamp.ini: UTF-8 when its bytes are, else the file
// charset of locale. nullopt when it cannot be read.
std::optional<QString> readCoverageFile(const QString &path, const modLocale &locale);

// ARPAbet phonemes of a recording name such as "_aa_b_aa" or "k-ae-t":
// empty unless every word of the name is one.
QStringList arpabetWords(const QString &recordingName);
