#pragma once

#include <QList>
#include <QString>
#include <optional>

// Every message box, input box and beep of the program goes through this
// interface. The widgets build shows real dialogs; tests and command-line
// tools supply their own implementation.

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore, RetryCancel };
enum class MsgIcon { None, Information, Warning, Critical, Question };
enum class MsgAnswer { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

struct MessageRequest {
    QString text;
    QString title;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    MsgAnswer defaultButton = MsgAnswer::Ok;
};

// The buttons of each set, in their order on the box, and each answer's
// caption: one table for every kind of box.
QList<MsgAnswer> answersOf(MsgButtons buttons);
QString answerName(MsgAnswer answer);
// The request's default answer when its buttons hold it, else the first.
MsgAnswer defaultAnswer(const MessageRequest &request);

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Shows a modal message box and returns the button chosen. Closing the
    // box counts as Cancel where there is one, else as the default button.
    virtual MsgAnswer message(const MessageRequest &request) = 0;

    // Shows a one-line input box; nullopt when the user cancels.
    virtual std::optional<QString> input(const QString &prompt, const QString &title,
                                         const QString &defaultText) = 0;

    virtual void beep() = 0;

    // An OK box with the program's title: the common case of a failure report.
    void inform(const QString &text, const QString &title = programTitle());

    static QString programTitle();
};
