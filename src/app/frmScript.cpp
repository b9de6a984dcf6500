#include "app/frmScript.h"

#include "app/frmMain.h"
#include "app/ScriptObjects.h"
#include "core/Dialogs.h"
#include "core/NumberText.h"
#include "core/Twips.h"
#include "script/ConsoleLogic.h"
#include "script/ConsoleTexts.h"
#include "script/TraceText.h"
#include "oto/OtoListModel.h"
#include "ui/QtDialogs.h"
#include "ui/applyFont.h"
#include "view/WaveEditor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

// The box shows line breaks as "\n"; the texts of the console are written
// with CR LF.
QString boxText(const QString &text)
{
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// While a script runs, the console's Stop and time-out buttons (and a box
// one of them opens) take input; everything else waits for the script.
class StopButtonsOnly : public QObject {
public:
    StopButtonsOnly(const QWidget *stop, const QWidget *timeout) : stop_(stop), timeout_(timeout) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
            break;
        default:
            return false;
        }
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget)
            return false;  // the window system's own objects pass it on
        const QWidget *modal = QApplication::activeModalWidget();
        const bool allowed = widget == stop_ || widget == timeout_ || (modal && widget->window() == modal);
        return !allowed;
    }

private:
    const QWidget *stop_;
    const QWidget *timeout_;
};

}  // namespace

frmScript::frmScript(frmMain &main, const modLocale &locale, Dialogs &dialogs, int displayCharset)
    : QWidget(nullptr), main_(main), locale_(locale),
      ownDialogs_(dynamic_cast<QtDialogs *>(&dialogs) ? std::make_unique<QtDialogs>(this) : nullptr),
      dialogs_(ownDialogs_ ? *ownDialogs_ : dialogs), engine_(&dialogs_)
{
    setObjectName(QStringLiteral("frmScript"));
    setWindowTitle(QStringLiteral("\\OTO Script/"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twipsToPixels(9615), twipsToPixels(7185));
    buildControls();

    // The window's load: the display charset's fonts, the default script,
    // VBScript with a time-out of three seconds.
    setfrmDispLocale(displayCharset);
    txtScript_->setPlainText(boxText(script::defaultScript()));
    engine_.setLanguage(QStringLiteral("VBScript"));
    engine_.setTimeout(3000);
    connect(&engine_, &script::ScriptControl::errorOccurred, this, &frmScript::SptCtl_Error);
    engine_.deadline().setPump([this] {
        StopButtonsOnly gate(cmdStop_, cmdTimeout_);
        qApp->installEventFilter(&gate);
        QCoreApplication::processEvents();
        qApp->removeEventFilter(&gate);
    });
}

frmScript::~frmScript() = default;

void frmScript::buildControls()
{
    const auto button = [this](const char *name, const QString &caption, const TwipRect &at) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(pixelRect(at));
        QFont f;
        f.setFamilies({QStringLiteral("MS PGothic"), QStringLiteral("Noto Sans CJK JP")});
        f.setPointSize(9);
        b->setFont(f);
        return b;
    };
    txtScript_ = new QPlainTextEdit(this);
    txtScript_->setObjectName(QStringLiteral("txtScript"));
    txtScript_->setGeometry(pixelRect({0, 0, 9615, 4695}));
    txtScript_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtScript_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtScript_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtScript_->installEventFilter(this);

    cmdRun_ = button("cmdRun", QStringLiteral("READY-GO! (&R)"), {0, 4800, 2295, 375});
    cmdTimeout_ = button("cmdTimeout", QStringLiteral("Timeout: 3s"), {0, 5280, 2295, 375});
    cmdStop_ = button("cmdStop", QStringLiteral("Stop (isstop()=true)"), {0, 5880, 2295, 375});
    cmdHelp_ = button("cmdHelp", QStringLiteral("?"), {0, 6360, 255, 375});
    cmdSptSample_ = button("cmdSptSample", QStringLiteral("!"), {240, 6360, 255, 375});
    cmdSptLang_ = button("cmdSptLang", QStringLiteral("[vbs] / js"), {600, 6360, 1695, 375});
    cmdReset_ = button("cmdReset", QStringLiteral("Reset"), {0, 6840, 1095, 255});
    cmdExec_ = button("cmdExec", QStringLiteral("Exec"), {1200, 6840, 1095, 255});

    txtDebug_ = new QPlainTextEdit(this);
    txtDebug_->setObjectName(QStringLiteral("txtDebug"));
    txtDebug_->setGeometry(pixelRect({2400, 4800, 7215, 1935}));
    txtDebug_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtCmd_ = new QLineEdit(this);
    txtCmd_->setObjectName(QStringLiteral("txtCmd"));
    txtCmd_->setGeometry(pixelRect({2400, 6840, 6015, 270}));
    txtCmd_->installEventFilter(this);
    cmdEval_ = button("cmdEval", QStringLiteral("Eval"), {8520, 6840, 1095, 255});

    QWidget *order[] = {txtScript_, cmdRun_,    txtDebug_, txtCmd_,    cmdEval_,   cmdExec_,
                        cmdHelp_,   cmdSptLang_, cmdReset_, cmdTimeout_, cmdStop_, cmdSptSample_};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(cmdRun_, &QPushButton::clicked, this, &frmScript::cmdRun_Click);
    connect(cmdEval_, &QPushButton::clicked, this, &frmScript::cmdEval_Click);
    connect(cmdExec_, &QPushButton::clicked, this, &frmScript::cmdExec_Click);
    connect(cmdReset_, &QPushButton::clicked, this, &frmScript::cmdReset_Click);
    connect(cmdSptLang_, &QPushButton::clicked, this, &frmScript::cmdSptLang_Click);
    connect(cmdTimeout_, &QPushButton::clicked, this, &frmScript::cmdTimeout_Click);
    connect(cmdStop_, &QPushButton::clicked, this, &frmScript::cmdStop_Click);
    connect(cmdHelp_, &QPushButton::clicked, this, &frmScript::cmdHelp_Click);
    connect(cmdSptSample_, &QPushButton::clicked, this, &frmScript::cmdSptSample_Click);
}

void frmScript::setfrmDispLocale(int id)
{
    applyFont(this, id, locale_);
    applyFont(txtScript_, id, locale_);
    applyFont(txtDebug_, id, locale_);
    applyFont(txtCmd_, id, locale_);
    // A tab as wide as four spaces: scripts indent with tabs.
    for (QPlainTextEdit *box : {txtScript_, txtDebug_})
        box->setTabStopDistance(4 * box->fontMetrics().horizontalAdvance(u' '));
}

void frmScript::trace(const QString &text)
{
    // Inserted at the output box's insertion point, replacing a selection;
    // the insertion point then stands after it, so output appends.
    QTextCursor cursor = txtDebug_->textCursor();
    cursor.insertText(boxText(text));
    txtDebug_->setTextCursor(cursor);
}

template <class Call>
void frmScript::asStep(Call call)
{
    // Whatever the script changes in the entries becomes one step of the
    // history, undone with Ctrl+Z like any edit (and marking the document).
    {
        OtoDocument::ScriptEdit edit(main_.document(), QStringLiteral("Script"));
        call();
    }
    if (!engine_.isRunning())
        showScriptResults();
    if (closePending_ && !engine_.isRunning())
        QTimer::singleShot(0, this, &QWidget::close);
}

void frmScript::showScriptResults()
{
    main_.listModel().refreshTexts();
    // A script that filled the list again (F5LstOto) left no row selected:
    // the current entry's row is selected again, when the list shows it.
    auto *list = main_.findChild<QListView *>(QStringLiteral("lstOto"));
    const int current = main_.waveEditor().curIdx();
    if (list && !list->currentIndex().isValid() && current >= 0) {
        const int row = main_.listModel().rowOfEntry(current);
        if (row >= 0)
            list->setCurrentIndex(main_.listModel().index(row));
    }
    if (main_.isEditable())
        main_.refreshFields();
}

void frmScript::cmdRun_Click()
{
    // While a script waits in yield, the buttons that would disturb it do
    // nothing; Stop still works.
    if (engine_.isRunning())
        return;
    txtDebug_->clear();
    QCoreApplication::processEvents();  // the cleared box is painted before the run
    asStep([this] {
        // Asc and Chr in the file charset, as the bank's own text is.
        if (!engine_.setAnsiCodePage(locale_.writeCodePage({})))
            return;
        script::BuiltinHost host;
        host.write = [this](const QString &t) { trace(t); };
        host.clear = [this] { txtDebug_->clear(); };
        host.yieldOnce = [] { QCoreApplication::processEvents(); };
        host.isStop = [this] { return stopRequest_; };
        host.dialogs = &dialogs_;
        host.deadline = &engine_.deadline();
        engine_.addObject(QStringLiteral("env"), std::make_shared<script::WindowEnvObject>(main_), true);
        engine_.addObject(QStringLiteral("spt"), std::make_shared<script::ConsoleObject>(*this, host), true);
        runMode_ = 0;
        stopRequest_ = false;
        if (engine_.addCode(txtScript_->toPlainText()))
            trace(QStringLiteral("Script has run successfully. 執行成功。\r\n"));
    });
}

void frmScript::cmdEval_Click()
{
    if (engine_.isRunning())
        return;
    runMode_ = 1;
    stopRequest_ = false;
    asStep([this] {
        const std::optional<script::Value> result = engine_.eval(txtCmd_->text());
        const script::Value value = result.value_or(script::Value());
        trace(script::traceOutput(script::Args(&value, 1), true));
    });
}

void frmScript::cmdExec_Click()
{
    if (engine_.isRunning())
        return;
    runMode_ = 1;
    stopRequest_ = false;
    asStep([this] { engine_.executeStatement(txtCmd_->text()); });
}

void frmScript::cmdReset_Click()
{
    if (!engine_.isRunning())
        engine_.reset();
}

void frmScript::cmdSptLang_Click()
{
    if (engine_.isRunning())
        return;
    if (languageMark_ == 1) {
        languageMark_ = 0;
        engine_.setLanguage(QStringLiteral("VBScript"));
        cmdSptLang_->setText(QStringLiteral("[vbs] / js"));
    } else {
        languageMark_ = 1;
        engine_.setLanguage(QStringLiteral("javascript"));
        cmdSptLang_->setText(QStringLiteral("vbs / [js]"));
    }
}

void frmScript::cmdTimeout_Click()
{
    // Asked while a script runs, the answer applies to it too; the time
    // the question is open does not count against it.
    std::optional<script::DeadlinePause> pause;
    if (engine_.isRunning())
        pause.emplace(engine_.deadline());
    const QString answer = dialogs_
                               .input(QStringLiteral("Input a timeout (in seconds):"), QStringLiteral("Set script timeout"),
                                      formatNumber(engine_.timeout() / 1000.0))
                               .value_or(QString());
    if (const std::optional<int> ms = script::timeoutFromAnswer(answer)) {
        engine_.setTimeout(*ms);
        engine_.deadline().changeLimit(engine_.timeout());
        cmdTimeout_->setText(script::timeoutCaption(engine_.timeout()));
    }
}

void frmScript::cmdStop_Click()
{
    stopRequest_ = true;
    // A script that does not see isStop and end within a second is stopped
    // wherever it is.
    if (engine_.isRunning())
        engine_.deadline().abortAfter(script::RuntimeError::ScriptStopped, 1000);
}

void frmScript::cmdHelp_Click()
{
    txtScript_->setPlainText(txtScript_->toPlainText() + boxText(script::helpText()));
}

void frmScript::cmdSptSample_Click()
{
    txtScript_->setPlainText(boxText(script::sampleScript(languageMark_ == 1)));
}

void frmScript::SptCtl_Error(const script::ScriptError &error)
{
    const bool fromScriptBox = runMode_ == 0;
    // The report's first line stays in view, wherever the output ends; the
    // insertion point stays after the report.
    const int reportStart = txtDebug_->textCursor().selectionStart();
    trace(script::errorReport(error, fromScriptBox) + QStringLiteral("\r\n"));
    const QTextCursor end = txtDebug_->textCursor();
    QTextCursor start(txtDebug_->document());
    start.setPosition(reportStart);
    txtDebug_->setTextCursor(start);
    txtDebug_->ensureCursorVisible();
    const int scrolled = txtDebug_->verticalScrollBar()->value();
    txtDebug_->setTextCursor(end);
    txtDebug_->verticalScrollBar()->setValue(scrolled);
    if (!fromScriptBox)
        return;
    const script::TextSelection at = script::errorLineSelection(txtScript_->toPlainText(), error.line);
    QTextCursor cursor = txtScript_->textCursor();
    cursor.setPosition(int(at.start));
    cursor.setPosition(int(at.start + at.length), QTextCursor::KeepAnchor);
    txtScript_->setFocus();
    txtScript_->setTextCursor(cursor);
}

void frmScript::closeWhenIdle()
{
    close();
}

void frmScript::closeEvent(QCloseEvent *event)
{
    // A script waiting in yield is stopped first; the window goes once its
    // call has returned, so nothing is left half-applied but what the
    // script had done.
    if (engine_.isRunning()) {
        engine_.interrupt();
        closePending_ = true;
        event->ignore();
        return;
    }
    event->accept();
}

bool frmScript::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched == txtCmd_) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmdExec_Click();
            return true;
        }
    }
    if (event->type() == QEvent::KeyRelease && watched == txtScript_) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            QTextCursor cursor = txtScript_->textCursor();
            const QString tabs = script::autoIndent(txtScript_->toPlainText(), cursor.position());
            if (!tabs.isEmpty())
                cursor.insertText(tabs);
        }
    }
    return QWidget::eventFilter(watched, event);
}
