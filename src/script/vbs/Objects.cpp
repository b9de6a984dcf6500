#include "script/vbs/Objects.h"

#include "script/ScriptError.h"
#include "script/vbs/Runtime.h"

namespace script::vbs {

namespace {

qint32 position(const Value &v, qsizetype count)
{
    const qint32 i = v.toLong();
    if (i < 0 || i >= count)
        throw ScriptException(RuntimeError::InvalidProcedureCall);
    return i;
}

// JScript-style \uXXXX escapes, which VBScript patterns use, in the form
// the regular expression library reads.
QString translatePattern(const QString &pattern)
{
    QString out;
    out.reserve(pattern.size());
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != u'\\' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        const QChar n = pattern[i + 1];
        bool hex = n == u'u' && i + 5 < pattern.size();
        for (int k = 2; hex && k < 6; ++k)
            hex = QStringLiteral("0123456789abcdefABCDEF").contains(pattern[i + k]);
        if (hex) {
            out += QStringLiteral("\\x{") + pattern.mid(i + 2, 4) + u'}';
            i += 5;
        } else {
            out += c;
            out += n;
            ++i;
        }
    }
    return out;
}

// $1..$99, $&, $`, $', $$ in a replacement text.
QString expandReplacement(const QString &replacement, const QRegularExpressionMatch &m, const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < replacement.size(); ++i) {
        const QChar c = replacement[i];
        if (c != u'$' || i + 1 >= replacement.size()) {
            out += c;
            continue;
        }
        const QChar n = replacement[i + 1];
        if (n == u'$') {
            out += u'$';
            ++i;
        } else if (n == u'&') {
            out += m.captured(0);
            ++i;
        } else if (n == u'`') {
            out += text.left(m.capturedStart(0));
            ++i;
        } else if (n == u'\'') {
            out += text.mid(m.capturedEnd(0));
            ++i;
        } else if (n.isDigit()) {
            int group = n.digitValue();
            qsizetype used = 1;
            // Two digits when that group exists.
            if (i + 2 < replacement.size() && replacement[i + 2].isDigit()) {
                const int two = group * 10 + replacement[i + 2].digitValue();
                if (two <= m.lastCapturedIndex())
                    group = two, used = 2;
            }
            if (group == 0 || group > m.regularExpression().captureCount()) {
                out += c;
                continue;
            }
            out += m.captured(group);
            i += used;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

// ----- Err -----

const HostClass &ErrObject::hostClass() const
{
    static const HostClass cls = [] {
        HostClass c(QStringLiteral("ErrObject"));
        HostClassBuilder<ErrObject>(c)
            .field("Number", &ErrObject::number)
            .field("Description", &ErrObject::description)
            .field("Source", &ErrObject::source)
            .field("HelpFile", &ErrObject::helpFile)
            .field("HelpContext", &ErrObject::helpContext)
            .method("Clear", 0, 0, [](ErrObject &e, Args) { e.clear(); return Value(); })
            .method("Raise", 1, 5, [](ErrObject &, Args a) -> Value {
                const qint32 number = a[0].toLong();
                if (number == 0)
                    throw ScriptException(RuntimeError::InvalidProcedureCall);
                const QString source = a.size() > 1 && !a[1].isEmpty() ? a[1].toString() : QString();
                QString description = a.size() > 2 && !a[2].isEmpty() ? a[2].toString() : errorText(number);
                if (description.isEmpty())
                    description = QStringLiteral("Unknown runtime error");
                throw ScriptException(number, description, source);
            })
            .defaultMember("Number");
        return c;
    }();
    return cls;
}

void ErrObject::clear()
{
    number = 0;
    description.clear();
    source.clear();
    helpFile.clear();
    helpContext = 0;
}

// ----- Scripting.Dictionary -----

const HostClass &DictionaryObject::hostClass() const
{
    static const HostClass cls = [] {
        HostClass c(QStringLiteral("Dictionary"));
        HostClassBuilder<DictionaryObject>(c)
            .method("Add", 2, 2, [](DictionaryObject &d, Args a) { d.add(a[0], a[1]); return Value(); })
            .method("Exists", 1, 1, [](DictionaryObject &d, Args a) { return d.exists(a[0]); })
            .indexed("Item", 1, [](DictionaryObject &d, Args a) { return d.item(a[0]); },
                     [](DictionaryObject &d, Args a, const Value &v) { d.setItem(a[0], v); })
            .indexed("Key", 1,
                     [](DictionaryObject &, Args) -> Value { throw ScriptException(RuntimeError::NoSuchMember, "Key"); },
                     [](DictionaryObject &d, Args a, const Value &v) { d.renameKey(a[0], v); })
            .method("Keys", 0, 0, [](DictionaryObject &d, Args) { return d.keys(); })
            .method("Items", 0, 0, [](DictionaryObject &d, Args) { return d.items(); })
            .readOnly("Count", [](DictionaryObject &d) { return d.count(); })
            .method("Remove", 1, 1, [](DictionaryObject &d, Args a) { d.remove(a[0]); return Value(); })
            .method("RemoveAll", 0, 0, [](DictionaryObject &d, Args) { d.removeAll(); return Value(); })
            .property("CompareMode", [](DictionaryObject &d) { return d.compareMode(); },
                      [](DictionaryObject &d, const Value &v) { d.setCompareMode(v.toLong()); })
            .defaultMember("Item");
        return c;
    }();
    return cls;
}

QString DictionaryObject::keyText(const Value &key) const
{
    const Value &k = key;
    switch (k.kind()) {
    case ValueKind::Empty: return QStringLiteral("e");
    case ValueKind::Null: return QStringLiteral("n");
    case ValueKind::String:
        return u's' + (compareMode_ == 0 ? k.string() : k.string().toCaseFolded());
    case ValueKind::Object:
        return u'o' + QString::number(quintptr(k.object()), 16);
    case ValueKind::Array:
    case ValueKind::IntegerArray: throw ScriptException(RuntimeError::TypeMismatch);
    default: return u'#' + QString::number(k.toDouble(), 'g', 17);
    }
}

void DictionaryObject::add(const Value &key, const Value &item)
{
    worked(1);
    const QString k = keyText(key);
    if (index_.contains(k))
        throw ScriptException(RuntimeError::KeyAlreadyExists);
    index_.insert(k, entries_.size());
    entries_.append({key, item});
}

bool DictionaryObject::exists(const Value &key) const
{
    return index_.contains(keyText(key));
}

DictionaryObject::Entry &DictionaryObject::entryOf(const Value &key)
{
    const QString k = keyText(key);
    const auto it = index_.constFind(k);
    if (it != index_.constEnd()) {
        Q_ASSERT(*it >= 0 && *it < entries_.size());
        return entries_[*it];
    }
    index_.insert(k, entries_.size());
    entries_.append({key, Value()});
    return entries_.back();
}

Value DictionaryObject::item(const Value &key)
{
    return entryOf(key).item;
}

void DictionaryObject::setItem(const Value &key, const Value &item)
{
    entryOf(key).item = item;  // the old item goes once the new one is in
}

void DictionaryObject::renameKey(const Value &from, const Value &to)
{
    const QString oldKey = keyText(from), newKey = keyText(to);
    const auto it = index_.constFind(oldKey);
    if (it == index_.constEnd())
        throw ScriptException(RuntimeError::ElementNotFound);
    if (newKey == oldKey)
        return;
    if (index_.contains(newKey))
        throw ScriptException(RuntimeError::KeyAlreadyExists);
    const qsizetype pos = *it;
    Q_ASSERT(pos >= 0 && pos < entries_.size());
    index_.remove(oldKey);
    index_.insert(newKey, pos);
    entries_[pos].key = to;
}

void DictionaryObject::remove(const Value &key)
{
    const QString k = keyText(key);
    const auto it = index_.constFind(k);
    if (it == index_.constEnd())
        throw ScriptException(RuntimeError::ElementNotFound);
    // Taken out first: the entry going may run script code that uses
    // this dictionary.
    const Entry gone = entries_.takeAt(*it);
    reindex();
}

void DictionaryObject::removeAll()
{
    const QList<Entry> gone = std::exchange(entries_, {});
    index_.clear();
}

void DictionaryObject::worked(qsizetype units) const
{
    if (Runtime *rt = runtime())
        rt->work(units);
}

void DictionaryObject::reindex()
{
    worked(entries_.size());
    index_.clear();
    for (qsizetype i = 0; i < entries_.size(); ++i)
        index_.insert(keyText(entries_[i].key), i);
}

QList<Value> DictionaryObject::column(Value Entry::*part) const
{
    QList<Value> out;
    out.reserve(entries_.size());
    for (const Entry &e : entries_)
        out.append(e.*part);
    return out;
}

Value DictionaryObject::keys() const
{
    worked(entries_.size());
    return Value(makeArray(column(&Entry::key)));
}

Value DictionaryObject::items() const
{
    worked(entries_.size());
    return Value(makeArray(column(&Entry::item)));
}

void DictionaryObject::setCompareMode(qint32 mode)
{
    if (!entries_.isEmpty() || mode < 0)
        throw ScriptException(RuntimeError::InvalidProcedureCall);
    compareMode_ = mode;
}

std::unique_ptr<Enumerator> DictionaryObject::enumerate()
{
    // For Each walks the keys as they were when it started.
    const QList<Value> keys = column(&Entry::key);
    return std::make_unique<IndexEnumerator>([n = keys.size()] { return n; },
                                             [keys](qsizetype i) { return keys[i]; });
}

// ----- RegExp -----

const HostClass &RegExpObject::hostClass() const
{
    static const HostClass cls = [] {
        HostClass c(QStringLiteral("IRegExp2"));
        HostClassBuilder<RegExpObject>(c)
            .field("Pattern", &RegExpObject::pattern)
            .field("Global", &RegExpObject::global)
            .field("IgnoreCase", &RegExpObject::ignoreCase)
            .field("MultiLine", &RegExpObject::multiLine)
            .method("Test", 1, 1, [](RegExpObject &r, Args a) { return r.test(a[0].toString()); })
            .method("Replace", 2, 2,
                    [](RegExpObject &r, Args a) { return r.replace(a[0].toString(), a[1].toString()); })
            .method("Execute", 1, 1, [](RegExpObject &r, Args a) { return r.execute(a[0].toString()); });
        return c;
    }();
    return cls;
}

const QRegularExpression &RegExpObject::compiled()
{
    QRegularExpression::PatternOptions options = QRegularExpression::NoPatternOption;
    if (ignoreCase)
        options |= QRegularExpression::CaseInsensitiveOption;
    if (multiLine)
        options |= QRegularExpression::MultilineOption;
    if (!haveCompiled_ || compiledPattern_ != pattern || compiledOptions_ != options) {
        regex_ = QRegularExpression(translatePattern(pattern), options);
        compiledPattern_ = pattern;
        compiledOptions_ = options;
        haveCompiled_ = true;
    }
    if (!regex_.isValid())
        throw ScriptException(RuntimeError::RegExpSyntax);
    return regex_;
}

bool RegExpObject::test(const QString &text)
{
    return compiled().match(text).hasMatch();
}

QString RegExpObject::replace(const QString &text, const QString &replacement)
{
    const QRegularExpression &re = compiled();
    QString out;
    qsizetype last = 0;
    QRegularExpressionMatchIterator it = re.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(last, m.capturedStart(0) - last);
        out += expandReplacement(replacement, m, text);
        last = m.capturedEnd(0);
        if (!global)
            break;
    }
    out += QStringView(text).mid(last);
    return out;
}

Value RegExpObject::execute(const QString &text)
{
    const QRegularExpression &re = compiled();
    auto result = std::make_shared<MatchCollectionObject>();
    QRegularExpressionMatchIterator it = re.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        auto match = std::make_shared<MatchObject>();
        match->value = m.captured(0);
        match->firstIndex = qint32(m.capturedStart(0));
        auto subs = std::make_shared<SubMatchesObject>();
        for (int g = 1; g <= re.captureCount(); ++g)
            subs->items.append(m.capturedStart(g) < 0 ? Value() : Value(m.captured(g)));
        match->subMatches = subs;
        result->items.append(Value(match));
        if (!global)
            break;
    }
    return Value(result);
}

void ItemListObject::describe(HostClass &cls)
{
    HostClassBuilder<ItemListObject>(cls)
        .readOnly("Count", [](ItemListObject &l) { return qint32(l.items.size()); })
        .indexed("Item", 1, [](ItemListObject &l, Args a) { return l.items[position(a[0], l.items.size())]; }, nullptr)
        .defaultMember("Item");
}

std::unique_ptr<Enumerator> ItemListObject::enumerate()
{
    return std::make_unique<IndexEnumerator>([this] { return items.size(); },
                                             [this](qsizetype i) { return items[i]; });
}

const HostClass &MatchCollectionObject::hostClass() const
{
    static const HostClass cls(QStringLiteral("IMatchCollection2"), describe);
    return cls;
}

const HostClass &MatchObject::hostClass() const
{
    static const HostClass cls = [] {
        HostClass c(QStringLiteral("IMatch2"));
        HostClassBuilder<MatchObject>(c)
            .readOnly("Value", [](MatchObject &m) { return m.value; })
            .readOnly("FirstIndex", [](MatchObject &m) { return m.firstIndex; })
            .readOnly("Length", [](MatchObject &m) { return qint32(m.value.size()); })
            .readOnly("SubMatches", [](MatchObject &m) { return m.subMatches; })
            .defaultMember("Value");
        return c;
    }();
    return cls;
}

const HostClass &SubMatchesObject::hostClass() const
{
    static const HostClass cls(QStringLiteral("ISubMatches"), describe);
    return cls;
}

}  // namespace script::vbs
