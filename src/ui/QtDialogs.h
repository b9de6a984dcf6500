#pragma once

#include "core/Dialogs.h"

#include <QPointer>
#include <QWidget>

class QDialog;
class QDialogButtonBox;
class QFont;

// The width a window needs for its whole title in the title bar: the text
// in the bar's (bold) font, and room for the window's icon and buttons.
int titleBarWidth(const QString &title, const QFont &font);
// Makes a dialog at least as wide as its title. Qt sizes a message box to
// its text, never to its title, which the title bar then cuts
// ("Estim… 動估算"). Call it once the dialog has its title and layout.
void fitTitle(QDialog &dialog);
// The OK and Cancel buttons of a dialog, accepting and rejecting it; the
// caller puts them in its layout.
QDialogButtonBox *okCancelButtons(QDialog &dialog);

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
