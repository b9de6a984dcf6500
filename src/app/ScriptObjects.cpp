#include "app/ScriptObjects.h"

#include "app/frmMain.h"
#include "app/frmScript.h"
#include "oto/OtoListModel.h"
#include "script/ScriptError.h"
#include "ui/SearchBox.h"
#include "view/WaveEditor.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>

namespace script {

namespace {

QWidget *live(const ControlObject &c)
{
    QWidget *w = c.widget();
    if (!w)
        throw ScriptException(RuntimeError::ObjectRequired);
    return w;
}

QString textOf(QWidget *w)
{
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        return edit->text();
    if (auto *box = qobject_cast<QPlainTextEdit *>(w))
        return box->toPlainText();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    throw ScriptException(RuntimeError::NoSuchMember);
}

void setTextOf(QWidget *w, const QString &text)
{
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        edit->setText(text);
    else if (auto *box = qobject_cast<QPlainTextEdit *>(w))
        box->setPlainText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(w))
        button->setText(text);
    else
        throw ScriptException(RuntimeError::NoSuchMember);
}

// The entry list: ListIndex (setting it selects the row, which loads its
// entry and wave), ItemData and ListData (a row's entry position), ListCount.
class ListObject : public ControlObject {
public:
    ListObject(QListView *list, frmMain &window) : ControlObject(list), window_(window) {}
    const HostClass &hostClass() const override
    {
        static const HostClass cls = [] {
            HostClass c(QStringLiteral("ListBox"));
            describeControl(c);
            const auto itemData = [](ListObject &l, Args a) {
                const qint32 row = a[0].toLong();
                if (row < 0 || row >= l.window_.listModel().rowCount())
                    throw ScriptException(RuntimeError::InvalidProcedureCall);
                return qint32(l.window_.listModel().rowItemData(row));
            };
            HostClassBuilder<ListObject>(c)
                .property(
                    "ListIndex", [](ListObject &l) { return qint32(l.list()->currentIndex().row()); },
                    [](ListObject &l, const Value &v) {
                        const qint32 row = v.toLong();
                        if (row < -1 || row >= l.window_.listModel().rowCount())
                            throw ScriptException(RuntimeError::InvalidProcedureCall);
                        l.list()->setCurrentIndex(l.window_.listModel().index(row));
                    })
                .indexed("ItemData", 1, itemData, nullptr)
                .indexed("ListData", 1, itemData, nullptr)
                .readOnly("ListCount", [](ListObject &l) { return qint32(l.window_.listModel().rowCount()); });
            return c;
        }();
        return cls;
    }
    static void describeControl(HostClass &c);

private:
    QListView *list() const { return static_cast<QListView *>(live(*this)); }
    frmMain &window_;
};

ObjectRef control(QWidget &window, const QString &name)
{
    return std::make_shared<ControlObject>(window.findChild<QWidget *>(name));
}

}  // namespace

QWidget *ControlObject::widget() const
{
    return widget_.data();
}

void ListObject::describeControl(HostClass &c)
{
    HostClassBuilder<ControlObject>(c)
        .property(
            "Text", [](ControlObject &o) { return textOf(live(o)); },
            [](ControlObject &o, const Value &v) { setTextOf(live(o), v.toString()); })
        .property(
            "Enabled", [](ControlObject &o) { return live(o)->isEnabled(); },
            [](ControlObject &o, const Value &v) { live(o)->setEnabled(v.toBool()); })
        .property(
            "Visible", [](ControlObject &o) { return live(o)->isVisible(); },
            [](ControlObject &o, const Value &v) { live(o)->setVisible(v.toBool()); });
}

const HostClass &ControlObject::hostClass() const
{
    static const HostClass cls(QStringLiteral("Control"), ListObject::describeControl);
    return cls;
}

// ---- env ------------------------------------------------------------------------

namespace {

EnvState windowState(frmMain &w)
{
    EnvState s;
    s.curIdx = [&w] { return w.waveEditor().curIdx(); };
    s.curOto = [&w] { return w.waveEditor().curOto(); };
    s.curwav = [&w] { return &w.waveEditor().curwav(); };
    s.intSearchMode = [&w] { return w.searchBox().intSearchMode(); };
    return s;
}

QLineEdit *lineEditOf(const Value &v)
{
    auto *c = dynamic_cast<ControlObject *>(v.toObject().get());
    auto *edit = c ? qobject_cast<QLineEdit *>(c->widget()) : nullptr;
    if (!edit)
        throw ScriptException(RuntimeError::TypeMismatch);
    return edit;
}

// A display charset id for setfrmDispLocale, 0 to 3.
int charsetIdOf(const Value &v)
{
    const qint32 id = v.toLong();
    if (id < 0 || id > 3)
        throw ScriptException(RuntimeError::InvalidProcedureCall);
    return id;
}

// An array of controls such as txtPrm(0 to 4).
template <int Count>
Value controlOf(frmMain &w, const char *name, const Value &index)
{
    const qint32 i = index.toLong();
    if (i < 0 || i >= Count)
        throw ScriptException(RuntimeError::SubscriptOutOfRange);
    return control(w, QStringLiteral("%1(%2)").arg(QLatin1StringView(name)).arg(i));
}

}  // namespace

WindowEnvObject::WindowEnvObject(frmMain &window)
    : EnvObject(window.document(), windowState(window)), window_(window)
{
}

const HostClass &WindowEnvObject::hostClass() const
{
    static const HostClass cls = [] {
        HostClass c(QStringLiteral("frmMain"));
        EnvObject::describe(c);
        HostClassBuilder<WindowEnvObject>(c)
            .readOnly("lstOto",
                      [](WindowEnvObject &e) {
                          return std::make_shared<ListObject>(e.window_.findChild<QListView *>(QStringLiteral("lstOto")),
                                                              e.window_);
                      })
            .readOnly("pic", [](WindowEnvObject &e) { return control(e.window_, QStringLiteral("pic")); })
            .readOnly("picSm", [](WindowEnvObject &e) { return control(e.window_, QStringLiteral("picSm")); })
            .readOnly("cmdPlay", [](WindowEnvObject &e) { return control(e.window_, QStringLiteral("cmdPlay")); })
            .readOnly("txtSearch", [](WindowEnvObject &e) { return control(e.window_, QStringLiteral("txtSearch")); })
            .readOnly("txtALS", [](WindowEnvObject &e) { return control(e.window_, QStringLiteral("txtALS")); })
            .indexed(
                "cmdJmp", 1, [](WindowEnvObject &e, Args a) { return controlOf<2>(e.window_, "cmdJmp", a[0]); }, nullptr)
            .indexed(
                "txtPrm", 1, [](WindowEnvObject &e, Args a) { return controlOf<5>(e.window_, "txtPrm", a[0]); }, nullptr)
            .indexed(
                "txtLock", 1, [](WindowEnvObject &e, Args a) { return controlOf<4>(e.window_, "txtLock", a[0]); },
                nullptr)
            .method("F5LstOto", 0, 0, [](WindowEnvObject &e, Args) { return e.window_.F5LstOto(), Value(); })
            .method("F5LstOtoS", 2, 2,
                    [](WindowEnvObject &e, Args a) { return e.window_.F5LstOtoS(a[0].toString(), a[1].toLong()), Value(); })
            .method("mnuOtoDup_Click", 0, 0, [](WindowEnvObject &e, Args) { return e.window_.mnuOtoDup_Click(), Value(); })
            .method("mnuOtoDel_Click", 0, 0, [](WindowEnvObject &e, Args) { return e.window_.mnuOtoDel_Click(), Value(); })
            .method("redrawall", 0, 0, [](WindowEnvObject &e, Args) { return e.window_.redrawall(), Value(); })
            .method("refreshPicTry", 0, 0, [](WindowEnvObject &e, Args) { return e.window_.refreshPicTry(), Value(); })
            .method("settext", 2, 2,
                    [](WindowEnvObject &e, Args a) { return e.window_.settext(lineEditOf(a[0]), a[1].toString()), Value(); })
            .method("setfrmDispLocale", 1, 1,
                    [](WindowEnvObject &e, Args a) { return e.window_.setfrmDispLocale(charsetIdOf(a[0])), Value(); });
        return c;
    }();
    return cls;
}

// ---- spt ---------------------------------------------------------------------------

ConsoleObject::ConsoleObject(frmScript &console, BuiltinHost host) : BuiltinsObject(std::move(host)), console_(console) {}

const HostClass &ConsoleObject::hostClass() const
{
    static const HostClass cls = [] {
        HostClass c(QStringLiteral("frmScript"));
        BuiltinsObject::describe(c);
        HostClassBuilder<ConsoleObject> b(c);
        for (const char *name : {"txtScript", "txtDebug", "txtCmd", "cmdRun", "cmdTimeout", "cmdStop", "cmdHelp",
                                 "cmdSptSample", "cmdSptLang", "cmdReset", "cmdExec", "cmdEval"})
            b.readOnly(name, [name](ConsoleObject &o) { return control(o.console_, QString::fromLatin1(name)); });
        b.method("setfrmDispLocale", 1, 1,
                 [](ConsoleObject &o, Args a) { return o.console_.setfrmDispLocale(charsetIdOf(a[0])), Value(); });
        return c;
    }();
    return cls;
}

}  // namespace script
