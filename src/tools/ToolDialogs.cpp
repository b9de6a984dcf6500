#include "tools/ToolDialogs.h"

#include "core/Dialogs.h"
#include "oto/OtoDocument.h"
#include "tools/AliasRewrite.h"
#include "tools/ToolTexts.h"

namespace {

// Asks for the text of an alias tool and makes what rewrite gives of it
// one step named what; false with no bank open, or on Cancel or an empty
// answer.
template <typename Rewrite>
bool runAliasTool(Dialogs &dialogs, OtoDocument &doc, const QString &prompt, const QString &title,
                  const QString &initial, const QString &what, Rewrite rewrite)
{
    if (doc.wrkpath().isEmpty())
        return false;
    const QString answer = dialogs.input(prompt, title, initial).value_or(QString());
    if (answer.isEmpty())
        return false;
    doc.editAliases(rewrite(answer), what);
    return true;
}

}  // namespace

bool runReplaceDialog(Dialogs &dialogs, OtoDocument &doc)
{
    return runAliasTool(dialogs, doc, toolTexts::kReplacePrompt, toolTexts::kReplaceTitle, toolTexts::kReplaceDefault,
                        QStringLiteral("Replace"),
                        [&](const QString &answer) { return replaceAliases(doc.clcOto(), parseReplaceRules(answer)); });
}

bool runSplitDialog(Dialogs &dialogs, OtoDocument &doc)
{
    return runAliasTool(dialogs, doc, toolTexts::kSplitPrompt, toolTexts::kSplitTitle, toolTexts::kSplitDefault,
                        QStringLiteral("Split"),
                        [&](const QString &answer) { return splitAliases(doc.clcOto(), answer.split(u',')); });
}
