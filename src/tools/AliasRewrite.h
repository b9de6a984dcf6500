#pragma once

#include "oto/OtoDocument.h"

#include <QList>
#include <QString>
#include <QStringList>

// Rewriting every alias of a voicebank: typed replace rules and splitting
// into letter units. Only ALS changes; file names and parameters never do.

struct ReplaceRule {
    QString before;
    QString after;
};

// The rules of one typed line: items cut at ",", and an item is a rule only
// when it holds exactly one "=". Nothing is trimmed; other items are passed
// over silently.
QList<ReplaceRule> parseReplaceRules(const QString &text);

// alias with every rule applied in order, each on the result of the ones
// before it. Occurrences do not overlap and the search resumes after the
// inserted text; an empty before text changes nothing.
QString applyReplaceRules(const QString &alias, const QList<ReplaceRule> &rules);

// The rules applied to every entry's alias: the entries whose alias
// changes, with their new aliases, for the document to take.
QList<AliasChange> replaceAliases(const OtoEntries &entries, const QList<ReplaceRule> &rules);

// text cut into units joined by separator: a unit is the first combination
// (in list order) that text continues with at that point, else one UTF-16
// code unit. An empty combination never matches, so the scan always moves on.
QString splitCmb(QStringView text, const QStringList &combinations, QStringView separator);

// splitCmb with the separator " " on every entry's alias, as replaceAliases.
QList<AliasChange> splitAliases(const OtoEntries &entries, const QStringList &combinations);
