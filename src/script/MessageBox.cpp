#include "script/MessageBox.h"

#include "core/Dialogs.h"

#include <QList>

namespace script {

namespace {

MsgButtons buttonSet(int flags)
{
    switch (flags & 7) {
    case 1: return MsgButtons::OkCancel;
    case 2: return MsgButtons::AbortRetryIgnore;
    case 3: return MsgButtons::YesNoCancel;
    case 4: return MsgButtons::YesNo;
    case 5: return MsgButtons::RetryCancel;
    default: return MsgButtons::Ok;
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
    const MsgButtons set = buttonSet(buttons);
    // The default-button flags count the buttons in their order on the box.
    const QList<MsgAnswer> answers = answersOf(set);
    const qsizetype defaultIndex = std::min<qsizetype>((buttons >> 8) & 3, answers.size() - 1);
    Q_ASSERT(defaultIndex >= 0 && defaultIndex < answers.size());
    MessageRequest request;
    request.text = prompt;
    request.title = title.isEmpty() ? Dialogs::programTitle() : title;
    request.buttons = set;
    request.icon = icon(buttons);
    request.defaultButton = answers[defaultIndex];
    return windowsCode(dialogs.message(request));
}

}  // namespace script
