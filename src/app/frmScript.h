#pragma once

#include "oto/OtoDocument.h"
#include "script/ScriptControl.h"

#include <QWidget>

class Dialogs;
class frmMain;
class modLocale;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QtDialogs;

// The script console: a script box, Run, a command box with Eval and Exec,
// and an output box, running VBScript or JScript against the live voicebank
// with the main window as `env` and the console as `spt`. It is a window of
// its own, without an owner; the main window creates it on first use and it
// is destroyed when closed. Controls carry their names as objectName.
class frmScript : public QWidget {
    Q_OBJECT
public:
    frmScript(frmMain &main, const modLocale &locale, Dialogs &dialogs, int displayCharset);
    ~frmScript() override;

    // Fonts of the display charset id for the window and its three boxes.
    void setfrmDispLocale(int id);
    // Inserts text into the output box at its insertion point.
    void trace(const QString &text);

    // Closes the console; a script waiting in yield is stopped first and the
    // window closes once it has ended.
    void closeWhenIdle();

    // The buttons, as clicked.
    void cmdRun_Click();
    void cmdEval_Click();
    void cmdExec_Click();
    void cmdReset_Click();
    void cmdSptLang_Click();
    void cmdTimeout_Click();
    void cmdStop_Click();
    void cmdHelp_Click();
    void cmdSptSample_Click();

    script::ScriptControl &engine() { return engine_; }
    bool isStop() const { return stopRequest_; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void SptCtl_Error(const script::ScriptError &error);
    // Runs one call of the engine as a step of the document's history.
    template <class Call>
    void asStep(Call call);
    // The window after a call: the list's lines as the script left the
    // entries, the selected entry kept, the boxes filled anew.
    void showScriptResults();

    frmMain &main_;
    const modLocale &locale_;
    // Boxes of this window's own (a script's message box, the time-out
    // question) belong to it, not to the main window.
    std::unique_ptr<QtDialogs> ownDialogs_;
    Dialogs &dialogs_;
    script::ScriptControl engine_;
    int languageMark_ = 0;  // 0 VBScript, 1 JScript
    int runMode_ = 0;       // 0 the script box (Run), 1 the command box
    bool stopRequest_ = false;
    bool closePending_ = false;

    QPlainTextEdit *txtScript_ = nullptr;
    QPlainTextEdit *txtDebug_ = nullptr;
    QLineEdit *txtCmd_ = nullptr;
    QPushButton *cmdRun_ = nullptr, *cmdTimeout_ = nullptr, *cmdStop_ = nullptr, *cmdHelp_ = nullptr,
                *cmdSptSample_ = nullptr, *cmdSptLang_ = nullptr, *cmdReset_ = nullptr, *cmdExec_ = nullptr,
                *cmdEval_ = nullptr;
};
