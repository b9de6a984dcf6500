#pragma once

#include "core/Dialogs.h"

// Dialogs for a command-line tool: messages go to standard error and every
// question takes its default button, so nothing waits for a person.
class ConsoleDialogs : public Dialogs {
public:
    MsgAnswer message(const MessageRequest &request) override;
    std::optional<QString> input(const QString &prompt, const QString &title, const QString &defaultText) override;
    void beep() override {}
};
