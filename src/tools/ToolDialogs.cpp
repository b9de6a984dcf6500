#include "tools/ToolDialogs.h"

#include "core/Dialogs.h"
#include "oto/OtoDocument.h"
#include "tools/AliasRewrite.h"
#include "tools/ToolTexts.h"

namespace {

// The typed answer, or an empty text for Cancel.
QString ask(Dialogs &dialogs, const QString &prompt, const QString &title, const QString &initial)
{
    return dialogs.input(prompt, title, initial).value_or(QString());
}

}  // namespace

bool runReplaceDialog(Dialogs &dialogs, OtoDocument &doc)
{
    if (doc.wrkpath().isEmpty())
        return false;
    const QString answer = ask(dialogs, toolTexts::kReplacePrompt, toolTexts::kReplaceTitle, toolTexts::kReplaceDefault);
    if (answer.isEmpty())
        return false;
    doc.editAliases(replaceAliases(doc.clcOto(), parseReplaceRules(answer)), QStringLiteral("Replace"));
    return true;
}

bool runSplitDialog(Dialogs &dialogs, OtoDocument &doc)
{
    if (doc.wrkpath().isEmpty())
        return false;
    const QString answer = ask(dialogs, toolTexts::kSplitPrompt, toolTexts::kSplitTitle, toolTexts::kSplitDefault);
    if (answer.isEmpty())
        return false;
    doc.editAliases(splitAliases(doc.clcOto(), answer.split(u',')), QStringLiteral("Split"));
    return true;
}
