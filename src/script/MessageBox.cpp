#include "script/MessageBox.h"

#include "core/Dialogs.h"

#include <QList>

namespace script {

namespace {

struct ButtonSet {
    MsgButtons buttons;
    QList<MsgAnswer> answers;  // in the order of the default-button flags
};

ButtonSet buttonSet(int flags)
{
    switch (flags & 7) {
    case 1: return {MsgButtons::OkCancel, {MsgAnswer::Ok, MsgAnswer::Cancel}};
    case 2: return {MsgButtons::AbortRetryIgnore, {MsgAnswer::Abort, MsgAnswer::Retry, MsgAnswer::Ignore}};
    case 3: return {MsgButtons::YesNoCancel, {MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Cancel}};
    case 4: return {MsgButtons::YesNo, {MsgAnswer::Yes, MsgAnswer::No}};
    case 5: return {MsgButtons::RetryCancel, {MsgAnswer::Retry, MsgAnswer::Cancel}};
    default: return {MsgButtons::Ok, {MsgAnswer::Ok}};
    }
}

MsgIcon icon(int flags)
{
    switch (flags & 0x70) {
    case 16: return MsgIcon::Critical;
    case 32: return MsgIcon::Question;
    case 48: return MsgIcon::Warning;
    case 64: return MsgIcon::Information;
    default: return MsgIcon::None;
    }
}

int windowsCode(MsgAnswer answer)
{
    switch (answer) {
    case MsgAnswer::Ok: return 1;
    case MsgAnswer::Cancel: return 2;
    case MsgAnswer::Abort: return 3;
    case MsgAnswer::Retry: return 4;
    case MsgAnswer::Ignore: return 5;
    case MsgAnswer::Yes: return 6;
    case MsgAnswer::No: return 7;
    }
    return 1;
}

}  // namespace

int showMessageBox(Dialogs &dialogs, const QString &prompt, int buttons, const QString &title)
{
    const ButtonSet set = buttonSet(buttons);
    const qsizetype defaultIndex = std::min<qsizetype>((buttons >> 8) & 3, set.answers.size() - 1);
    MessageRequest request;
    request.text = prompt;
    request.title = title.isEmpty() ? Dialogs::programTitle() : title;
    request.buttons = set.buttons;
    request.icon = icon(buttons);
    request.defaultButton = set.answers[defaultIndex];
    return windowsCode(dialogs.message(request));
}

}  // namespace script
