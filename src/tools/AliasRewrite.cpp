#include "tools/AliasRewrite.h"

QList<ReplaceRule> parseReplaceRules(const QString &text)
{
    QList<ReplaceRule> rules;
    for (const QStringView item : QStringView(text).split(u',')) {
        const qsizetype eq = item.indexOf(u'=');
        if (eq < 0 || item.indexOf(u'=', eq + 1) >= 0)
            continue;
        rules.append({item.left(eq).toString(), item.mid(eq + 1).toString()});
    }
    return rules;
}

QString applyReplaceRules(const QString &alias, const QList<ReplaceRule> &rules)
{
    QString out = alias;
    for (const ReplaceRule &rule : rules) {
        // QString::replace would insert the after text between all
        // characters for an empty before text; such a rule is a no-op here.
        if (rule.before.isEmpty())
            continue;
        out.replace(rule.before, rule.after, Qt::CaseSensitive);
    }
    return out;
}

namespace {

// The entries whose alias rewrite changes, with their new values.
template <class Rewrite>
QList<AliasChange> rewriteAliases(const OtoEntries &entries, const Rewrite &rewrite)
{
    QList<AliasChange> changes;
    for (int i = 0; i < entries.size(); ++i) {
        QString alias = rewrite(entries[i]->ALS);
        if (alias != entries[i]->ALS)
            changes.append({i, std::move(alias)});
    }
    return changes;
}

}  // namespace

QList<AliasChange> replaceAliases(const OtoEntries &entries, const QList<ReplaceRule> &rules)
{
    return rewriteAliases(entries, [&](const QString &alias) { return applyReplaceRules(alias, rules); });
}

QString splitCmb(QStringView text, const QStringList &combinations, QStringView separator)
{
    QString out;
    out.reserve(text.size() * (1 + separator.size()));
    for (qsizetype i = 0; i < text.size();) {
        qsizetype unit = 1;
        const QStringView rest = text.mid(i);
        for (const QString &c : combinations) {
            // The first-character test keeps the common miss cheap.
            if (!c.isEmpty() && c.front() == rest.front() && rest.startsWith(c, Qt::CaseSensitive)) {
                unit = c.size();
                break;
            }
        }
        if (i > 0)
            out += separator;
        out += rest.left(unit);
        i += unit;
    }
    return out;
}

QList<AliasChange> splitAliases(const OtoEntries &entries, const QStringList &combinations)
{
    return rewriteAliases(entries, [&](const QString &alias) { return splitCmb(alias, combinations, u" "); });
}
