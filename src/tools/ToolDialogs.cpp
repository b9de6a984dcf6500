#include "tools/ToolDialogs.h"

#include "core/Dialogs.h"
#include "oto/OtoDocument.h"
#include "tools/AliasRewrite.h"
#include "tools/ToolTexts.h"

#include <algorithm>
#include <optional>

namespace {

// The text typed into an alias tool's input box; nothing when no bank is
// open, on Cancel or for an empty answer.
std::optional<QString> ask(Dialogs &dialogs, const OtoDocument &doc, const QString &prompt, const QString &title,
                           const QString &initial)
{
    if (doc.wrkpath().isEmpty())
        return std::nullopt;
    QString answer = dialogs.input(prompt, title, initial).value_or(QString());
    if (answer.isEmpty())
        return std::nullopt;
    return answer;
}

// Whether text holds kana or hanzi.
bool holdsKanaOrHanzi(const QString &text)
{
    for (const QChar c : text) {
        const QChar::Script script = c.script();
        if (script == QChar::Script_Hiragana || script == QChar::Script_Katakana || script == QChar::Script_Han)
            return true;
    }
    return false;
}

}  // namespace

bool runReplaceDialog(Dialogs &dialogs, OtoDocument &doc)
{
    const std::optional<QString> answer =
        ask(dialogs, doc, toolTexts::kReplacePrompt, toolTexts::kReplaceTitle, toolTexts::kReplaceDefault);
    if (!answer)
        return false;
    doc.editAliases(replaceAliases(doc.clcOto(), parseReplaceRules(*answer)), QStringLiteral("Replace"));
    return true;
}

bool runSplitDialog(Dialogs &dialogs, OtoDocument &doc)
{
    const std::optional<QString> answer =
        ask(dialogs, doc, toolTexts::kSplitPrompt, toolTexts::kSplitTitle, toolTexts::kSplitDefault);
    if (!answer)
        return false;
    const QList<AliasChange> changes = splitAliases(doc.clcOto(), answer->split(u','));
    const auto notRomaji = std::count_if(changes.begin(), changes.end(), [&](const AliasChange &c) {
        const QString &old = doc.clcOto()[c.index]->ALS;
        return old != c.alias && holdsKanaOrHanzi(old);
    });
    if (notRomaji > 0
        && dialogs.message({toolTexts::splitScriptQuestion(int(notRomaji)), toolTexts::kSplitTitle, MsgButtons::YesNo,
                            MsgIcon::Question, MsgAnswer::No})
               != MsgAnswer::Yes)
        return false;
    doc.editAliases(changes, QStringLiteral("Split"));
    return true;
}
