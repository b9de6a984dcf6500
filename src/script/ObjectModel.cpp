#include "script/ObjectModel.h"

#include "core/Dialogs.h"
#include "oto/clsOto.h"
#include "oto/OtoDocument.h"
#include "script/MessageBox.h"
#include "script/ScriptError.h"
#include "script/TraceText.h"
#include "wave/clsWave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

namespace script {

namespace {


template <class Field>
void numberProperty(HostClassBuilder<EntryObject> &b, const char *name, Field field)
{
    b.property(
        name, [field](EntryObject &o) { return o.entry().get()->*field; },
        [field](EntryObject &o, const Value &v) {
            const double number = v.toDouble();
            o.write([&](clsOto &e) { e.*field = number; });
        });
}

qint32 position(const Value &v)
{
    return v.toLong();
}

std::shared_ptr<clsOto> entryOf(const Value &v)
{
    if (v.kind() != ValueKind::Object)
        throw ScriptException(RuntimeError::TypeMismatch);
    auto *object = dynamic_cast<EntryObject *>(v.toObject().get());
    if (!object)
        throw ScriptException(RuntimeError::TypeMismatch);
    return object->entry();
}

}  // namespace

// ---- Entries ----------------------------------------------------------------

void EntryObject::setValues(const clsOto &values)
{
    if (doc_ && doc_->contains(entry_.get()))
        doc_->setEntryStep(entry_, values, QStringLiteral("Script"));
    else
        *entry_ = values;
}

const HostClass &EntryObject::hostClass() const
{
    static const HostClass cls = [] {
        HostClass c(QStringLiteral("clsOto"));
        HostClassBuilder<EntryObject> b(c);
        b.property(
             "FIL", [](EntryObject &o) { return o.entry()->FIL; },
             [](EntryObject &o, const Value &v) {
                 const QString text = v.toString();
                 o.write([&](clsOto &e) { e.FIL = text; });
             })
            .property(
                "ALS", [](EntryObject &o) { return o.entry()->ALS; },
                [](EntryObject &o, const Value &v) {
                    const QString text = v.toString();
                    o.write([&](clsOto &e) { e.ALS = text; });
                })
            // The folder of the oto.ini the entry belongs to, relative to the
            // singer's folder; empty for the singer's own. Read only: an
            // entry moves to another file by being added there.
            .readOnly("folder", [](EntryObject &o) { return o.entry()->folder; });
        numberProperty(b, "prmLF", &clsOto::prmLF);
        numberProperty(b, "prmFX", &clsOto::prmFX);
        numberProperty(b, "prmRT", &clsOto::prmRT);
        numberProperty(b, "prmPR", &clsOto::prmPR);
        numberProperty(b, "prmOV", &clsOto::prmOV);
        b.plainProperties();
        b.method("dispStr", 0, 0, [](EntryObject &o, Args) { return o.entry()->dispStr(); })
            .method("fileStr", 0, 0, [](EntryObject &o, Args) { return o.entry()->fileStr(); });
        return c;
    }();
    return cls;
}

// ---- Waves -------------------------------------------------------------------

WaveObject::WaveObject(const clsWave *shown) : wave_(shown) {}

WaveObject::WaveObject() : owned_(std::make_shared<clsWave>()), wave_(owned_.get()) {}

const HostClass &WaveObject::hostClass() const
{
    static const HostClass cls = [] {
        HostClass c(QStringLiteral("clsWave"));
        HostClassBuilder<WaveObject>(c)
            .readOnly("Valid", [](WaveObject &o) { return o.wave().Valid; })
            .readOnly("Samplerate", [](WaveObject &o) { return o.wave().Samplerate; })
            .readOnly("Length", [](WaveObject &o) { return o.wave().Length; })
            .readOnly("LengthMs", [](WaveObject &o) { return o.wave().LengthMs; })
            .readOnly("Range", [](WaveObject &o) { return o.wave().Range; })
            .plainProperties()
            .method("getData", 0, 0,
                    [](WaveObject &o, Args) {
                        return Value(IntegerArrayRef(std::make_shared<const QList<qint16>>(o.wave().getData())));
                    })
            .method("getWave", 0, 0, [](WaveObject &o, Args) {
                const QList<qint16> data = o.wave().getData();
                QList<Value> items;
                items.reserve(data.size());
                for (qint16 s : data)
                    items.append(Value(s));
                return Value(makeArray(std::move(items)));
            });
        return c;
    }();
    return cls;
}

// ---- clcOto --------------------------------------------------------------------

Value CollectionObject::entryObject(const std::shared_ptr<clsOto> &entry)
{
    if (auto known = objects_.value(entry.get()).lock())
        return Value(known);
    auto object = std::make_shared<EntryObject>(entry, &doc_);
    objects_.insert(entry.get(), object);
    return Value(object);
}

void CollectionObject::adopt(const std::shared_ptr<EntryObject> &object)
{
    if (objects_.value(object->entry().get()).expired())
        objects_.insert(object->entry().get(), object);
}

const HostClass &CollectionObject::hostClass() const
{
    static const HostClass cls = [] {
        HostClass c(QStringLiteral("Collection"));
        HostClassBuilder<CollectionObject>(c)
            .method("Count", 0, 0, [](CollectionObject &c, Args) { return qint32(c.document().clcOto().size()); })
            .method("Item", 1, 1,
                    [](CollectionObject &c, Args a) {
                        const qint32 i = position(a[0]);
                        const OtoEntries &entries = c.document().clcOto();
                        if (i < 1 || i > entries.size())
                            throw ScriptException(RuntimeError::SubscriptOutOfRange);
                        return c.entryObject(entries[i - 1]);
                    })
            .method("Add", 1, 1,
                    [](CollectionObject &c, Args a) {
                        OtoDocument &doc = c.document();
                        const std::shared_ptr<clsOto> entry = entryOf(a[0]);
                        // An entry is in the collection once: adding it
                        // again would make one object two lines.
                        if (doc.contains(entry.get()))
                            throw ScriptException(RuntimeError::InvalidProcedureCall,
                                                  QStringLiteral("the entry is in the collection already"));
                        // The object added is the entry's object from now
                        // on: clc(clc.Count) Is o, as in a collection.
                        auto object = std::static_pointer_cast<EntryObject>(a[0].toObject());
                        object->attach(&doc);
                        c.adopt(object);
                        doc.insertEntriesStep(int(doc.clcOto().size()), {entry}, QStringLiteral("Script"));
                        return Value();
                    })
            .method("Remove", 1, 1,
                    [](CollectionObject &c, Args a) {
                        const qint32 i = position(a[0]);
                        if (i < 1 || i > c.document().clcOto().size())
                            throw ScriptException(RuntimeError::SubscriptOutOfRange);
                        c.document().removeEntriesStep(i - 1, 1, QStringLiteral("Script"));
                        return Value();
                    })
            .defaultMember("Item");
        return c;
    }();
    return cls;
}

std::unique_ptr<Enumerator> CollectionObject::enumerate()
{
    return std::make_unique<IndexEnumerator>([this] { return doc_.clcOto().size(); },
                                             [this](qsizetype i) { return entryObject(doc_.clcOto()[i]); });
}

// ---- env -----------------------------------------------------------------------

bool isPlainFileName(const QString &name)
{
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(u'\\') && name != u"." && name != u".."
           && !QDir::isAbsolutePath(name);
}

bool isSafeSaveTarget(const QString &folder, const QString &name)
{
    if (!isPlainFileName(name))
        return false;
    const QString bank = QFileInfo(folder).canonicalFilePath();
    if (bank.isEmpty())
        return false;
    const QString path = QDir(bank).filePath(name);
    struct stat link;
    if (::lstat(QFile::encodeName(path).constData(), &link) != 0)
        return errno == ENOENT;  // a new file of the folder itself
    if (S_ISREG(link.st_mode))
        return true;
    if (!S_ISLNK(link.st_mode))
        return false;  // a folder, a pipe, a device
    // A link is written through, so where it ends decides: a regular file
    // inside the bank, reached by links that may wander but end there.
    const QString target = QFileInfo(path).canonicalFilePath();
    struct stat file;
    return !target.isEmpty() && target.startsWith(bank + u'/')
           && ::stat(QFile::encodeName(target).constData(), &file) == 0 && S_ISREG(file.st_mode);
}

EnvObject::EnvObject(OtoDocument &doc, EnvState state)
    : doc_(doc), state_(std::move(state)), clcOto_(std::make_shared<CollectionObject>(doc))
{
}

void EnvObject::describe(HostClass &cls)
{
    HostClassBuilder<EnvObject>(cls)
        .readOnly("clcOto", [](EnvObject &e) { return e.clcOto_; })
        .readOnly("curOto",
                  [](EnvObject &e) {
                      const std::shared_ptr<clsOto> entry = e.state_.curOto ? e.state_.curOto() : nullptr;
                      return entry ? e.clcOto_->entryObject(entry) : Value::nothing();
                  })
        .readOnly("curIdx", [](EnvObject &e) { return qint32(e.state_.curIdx ? e.state_.curIdx() : -1); })
        .readOnly("curwav",
                  [](EnvObject &e) {
                      const clsWave *wave = e.state_.curwav ? e.state_.curwav() : nullptr;
                      return wave ? Value(std::make_shared<WaveObject>(wave)) : Value::nothing();
                  })
        .readOnly("wrkpath", [](EnvObject &e) { return e.doc_.wrkpath(); })
        .readOnly("intSearchMode", [](EnvObject &e) { return qint16(e.state_.intSearchMode ? e.state_.intSearchMode() : 0); })
        .method("saveoto", 0, 1, [](EnvObject &e, Args a) {
            const QString name = a.empty() ? OtoDocument::kOtoIni : a[0].toString();
            // Scripts are shared between voicebank makers: one can write
            // only a file of the voicebank's own folder.
            if (e.doc_.wrkpath().isEmpty())
                throw ScriptException(RuntimeError::InvalidProcedureCall, QStringLiteral("no voicebank is open"));
            if (!isSafeSaveTarget(e.doc_.wrkpath(), name))
                throw ScriptException(RuntimeError::InvalidProcedureCall,
                                      QStringLiteral("saveoto writes only a file of the voicebank's folder: ") + name);
            e.doc_.saveoto(name);
            return Value();
        });
}

const HostClass &EnvObject::hostClass() const
{
    static const HostClass cls(QStringLiteral("frmMain"), describe);
    return cls;
}

// ---- Built-in functions -----------------------------------------------------------

void BuiltinsObject::describe(HostClass &cls)
{
    HostClassBuilder<BuiltinsObject>(cls)
        .method("trace", 0, -1,
                [](BuiltinsObject &b, Args a) {
                    if (b.host_.write)
                        b.host_.write(traceOutput(a, true));
                    return Value();
                })
        .method("tracenl", 0, -1,
                [](BuiltinsObject &b, Args a) {
                    if (b.host_.write)
                        b.host_.write(traceOutput(a, false));
                    return Value();
                })
        .method("tracecls", 0, 0,
                [](BuiltinsObject &b, Args) {
                    if (b.host_.clear)
                        b.host_.clear();
                    return Value();
                })
        .method("Sample", 2, 2, [](BuiltinsObject &, Args a) { return sampleOf(a[0], a[1]); })
        .method("newObj", 1, 1,
                [](BuiltinsObject &b, Args a) {
                    const QString type = a[0].toString().toLower();
                    if (type == u"clsoto" || type == u"oto")
                        return Value(std::make_shared<EntryObject>(std::make_shared<clsOto>()));
                    if (type == u"clswave" || type == u"wave")
                        return Value(std::make_shared<WaveObject>());
                    if (b.host_.write)
                        b.host_.write(QStringLiteral("invalid newobj call: ") + type + QStringLiteral("\r\n"));
                    return Value::null();
                })
        .method("arraytest", 0, 0,
                [](BuiltinsObject &, Args) {
                    return Value(IntegerArrayRef(std::make_shared<const QList<qint16>>(QList<qint16>{0, 1})));
                })
        .method("yield", 0, 0,
                [](BuiltinsObject &b, Args) {
                    if (b.host_.yieldOnce)
                        b.host_.yieldOnce();
                    return Value();
                })
        .method("isStop", 0, 0, [](BuiltinsObject &b, Args) { return b.host_.isStop ? b.host_.isStop() : false; })
        .method("vbMsgBox", 1, 3,
                [](BuiltinsObject &b, Args a) {
                    if (!b.host_.dialogs)
                        return qint32(1);
                    std::optional<DeadlinePause> pause;
                    if (b.host_.deadline)
                        pause.emplace(*b.host_.deadline);
                    const int buttons = a.size() > 1 ? a[1].toLong() : 0;
                    const QString title = a.size() > 2 ? a[2].toString() : QString();
                    return qint32(showMessageBox(*b.host_.dialogs, a[0].toString(), buttons, title));
                })
        .method("vbInputBox", 1, 3, [](BuiltinsObject &b, Args a) {
            const QString title = a.size() > 1 ? a[1].toString() : QString();
            const QString initial = a.size() > 2 ? a[2].toString() : QString();
            if (!b.host_.dialogs)
                return initial;
            std::optional<DeadlinePause> pause;
            if (b.host_.deadline)
                pause.emplace(*b.host_.deadline);
            return b.host_.dialogs->input(a[0].toString(), title.isEmpty() ? Dialogs::programTitle() : title, initial)
                .value_or(QString());
        });
}

const HostClass &BuiltinsObject::hostClass() const
{
    static const HostClass cls(QStringLiteral("frmScript"), describe);
    return cls;
}

}  // namespace script
