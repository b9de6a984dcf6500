#pragma once

#include "oto/OtoFormat.h"
#include "script/HostObject.h"
#include "script/ScriptControl.h"
#include "script/TraceText.h"

#include <QCoreApplication>
#include <QThread>
#include <ostream>

// Readable failure messages for QString comparisons.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

// A small host shaped like the console's: entries that are live references
// to clsOto records, a collection of them, and a host object with trace,
// arrays and Sample. It exercises every feature of the host-object model.
namespace testhost {

using namespace script;

class Entry : public HostObject {
public:
    explicit Entry(std::shared_ptr<clsOto> oto) : oto(std::move(oto)) {}
    const HostClass &hostClass() const override
    {
        static const HostClass cls = [] {
            HostClass c(QStringLiteral("clsOto"));
            HostClassBuilder<Entry>(c)
                .property("FIL", [](Entry &e) { return e.oto->FIL; }, [](Entry &e, const Value &v) { e.oto->FIL = v.toString(); })
                .property("ALS", [](Entry &e) { return e.oto->ALS; }, [](Entry &e, const Value &v) { e.oto->ALS = v.toString(); })
                .property("prmLF", [](Entry &e) { return e.oto->prmLF; }, [](Entry &e, const Value &v) { e.oto->prmLF = v.toDouble(); })
                .property("prmOV", [](Entry &e) { return e.oto->prmOV; }, [](Entry &e, const Value &v) { e.oto->prmOV = v.toDouble(); })
                .plainProperties()
                .method("dispStr", 0, 0, [](Entry &e, Args) { return e.oto->dispStr(); });
            return c;
        }();
        return cls;
    }
    std::shared_ptr<clsOto> oto;
};

// Positions 1 to n; Item is the default member; Count is a method, as in a
// Visual Basic collection.
class Collection : public HostObject {
public:
    explicit Collection(OtoEntries &entries) : entries(entries) {}
    const HostClass &hostClass() const override
    {
        static const HostClass cls = [] {
            HostClass c(QStringLiteral("Collection"));
            HostClassBuilder<Collection>(c)
                .method("Count", 0, 0, [](Collection &c, Args) { return qint32(c.entries.size()); })
                .method("Item", 1, 1, [](Collection &c, Args a) {
                    const qint32 i = a[0].toLong();
                    if (i < 1 || i > c.entries.size())
                        throw ScriptException(RuntimeError::SubscriptOutOfRange);
                    return Value(std::make_shared<Entry>(c.entries[i - 1]));
                })
                .method("Add", 1, 1, [](Collection &c, Args a) {
                    auto *e = dynamic_cast<Entry *>(a[0].toObject().get());
                    if (!e)
                        throw ScriptException(RuntimeError::TypeMismatch);
                    c.entries.append(e->oto);
                    return Value();
                })
                .method("Remove", 1, 1, [](Collection &c, Args a) {
                    const qint32 i = a[0].toLong();
                    if (i < 1 || i > c.entries.size())
                        throw ScriptException(RuntimeError::SubscriptOutOfRange);
                    c.entries.removeAt(i - 1);
                    return Value();
                })
                .defaultMember("Item");
            return c;
        }();
        return cls;
    }
    std::unique_ptr<Enumerator> enumerate() override
    {
        return std::make_unique<IndexEnumerator>([this] { return entries.size(); },
                                                 [this](qsizetype i) { return Value(std::make_shared<Entry>(entries[i])); });
    }
    OtoEntries &entries;
};

class Host : public HostObject {
public:
    Host()
    {
        for (const char *alias : {"a", "ka", "sa"}) {
            auto e = std::make_shared<clsOto>();
            e->FIL = QStringLiteral("_%1.wav").arg(QString::fromUtf8(alias));
            e->ALS = QString::fromUtf8(alias);
            e->prmLF = 100.5 * (entries.size() + 1);
            entries.append(e);
        }
        collection = std::make_shared<Collection>(entries);
        current = Value(std::make_shared<Entry>(entries[0]));
    }

    const HostClass &hostClass() const override
    {
        static const HostClass cls = [] {
            HostClass c(QStringLiteral("Host"));
            HostClassBuilder<Host>(c)
                .method("trace", 0, -1, [](Host &h, Args a) { h.output += traceOutput(a, true); return Value(); })
                .method("tracenl", 0, -1, [](Host &h, Args a) { h.output += traceOutput(a, false); return Value(); })
                .readOnly("clcOto", [](Host &h) { return h.collection; })
                .property("curOto", [](Host &h) { return h.current; },
                          [](Host &h, const Value &v) { h.current = Value(v.toObject()); })
                .property("curIdx", [](Host &h) { return h.curIdx; }, [](Host &h, const Value &v) { h.curIdx = v.toLong(); })
                .indexed("ItemData", 1, [](Host &h, Args a) { return h.itemData.value(a[0].toLong()); },
                         [](Host &h, Args a, const Value &v) { h.itemData[a[0].toLong()] = v.toLong(); })
                .method("getData", 0, 0, [](Host &, Args) {
                    return IntegerArrayRef(std::make_shared<const QList<qint16>>(QList<qint16>{0, 1, -7}));
                })
                .method("getWave", 0, 0, [](Host &, Args) {
                    return makeArray({Value(qint16(0)), Value(qint16(1)), Value(qint16(-7))});
                })
                // Waits like a dialog: the time does not count.
                .method("wait", 1, 1, [](Host &h, Args a) {
                    DeadlinePause pause(*h.deadline);
                    QThread::msleep(a[0].toLong());
                    return Value();
                })
                .method("callHook", 0, 0, [](Host &h, Args) { return h.hook(); })
                .method("Sample", 2, 2, [](Host &, Args a) { return sampleOf(a[0], a[1]); })
                .method("newObj", 1, 1, [](Host &h, Args a) -> Value {
                    const QString name = a[0].toString().toLower();
                    if (name == u"clsoto" || name == u"oto")
                        return Value(std::make_shared<Entry>(std::make_shared<clsOto>()));
                    h.output += traceOutput(std::array{Value(QStringLiteral("invalid newobj call: ") + name)}, true);
                    return Value::nothing();
                });
            return c;
        }();
        return cls;
    }

    OtoEntries entries;
    std::shared_ptr<Collection> collection;
    Value current;
    qint32 curIdx = 0;
    QHash<qint32, qint32> itemData;
    QString output;
    Deadline *deadline = nullptr;
    std::function<Value()> hook;
};

// Host members may want an application object; non-GUI tests have none.
inline bool ensureApplication()
{
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "test_script";
        static char *argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
    return true;
}

// A control in the given language with a fresh host added as "env" with
// its members as global names.
struct Session {
    explicit Session(const QString &language, Dialogs *dialogs = nullptr)
        : ready(ensureApplication()), control(dialogs)
    {
        control.setLanguage(language);
        host->deadline = &control.deadline();
        control.addObject(QStringLiteral("env"), host, true);
        QObject::connect(&control, &ScriptControl::errorOccurred, [this](const ScriptError &e) { events << e; });
    }
    // Runs code; the trace output, or the error report.
    QString run(const QString &code)
    {
        if (control.addCode(code))
            return host->output;
        const ScriptError &e = control.error();
        return host->output + QStringLiteral("#%1 %2 | %3 | %4").arg(e.line).arg(e.source, e.description, e.text);
    }
    bool ready;
    ScriptControl control;
    std::shared_ptr<Host> host = std::make_shared<Host>();
    QList<ScriptError> events;
};

}  // namespace testhost
