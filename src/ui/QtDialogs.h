#pragma once

#include "core/Dialogs.h"

#include <QPointer>
#include <QWidget>

// The real dialogs: QMessageBox, QInputDialog and the system beep. Boxes are
// modal to the parent window given.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget *parent = nullptr) : parent_(parent) {}
    void setParent(QWidget *parent) { parent_ = parent; }

    MsgAnswer message(const MessageRequest &request) override;
    std::optional<QString> input(const QString &prompt, const QString &title, const QString &defaultText) override;
    void beep() override;

private:
    QPointer<QWidget> parent_;
};
