#pragma once

#include "script/HostObject.h"
#include "script/vbs/Heap.h"

#include <QHash>
#include <QRegularExpression>

// The objects VBScript itself provides: Err, Scripting.Dictionary and
// RegExp with its matches. They are host objects like any other, described
// by member tables.
namespace script::vbs {

class ErrObject : public HostObject {
public:
    const HostClass &hostClass() const override;
    void clear();

    qint32 number = 0;
    QString description;
    QString source;
    QString helpFile;
    qint32 helpContext = 0;
};

class DictionaryObject : public HeapObject {
public:
    explicit DictionaryObject(std::shared_ptr<Heap> heap = {}) : HeapObject(std::move(heap)) {}
    const HostClass &hostClass() const override;
    std::unique_ptr<Enumerator> enumerate() override;

    void add(const Value &key, const Value &item);
    bool exists(const Value &key) const;
    // Reading a missing key adds it with an Empty item, as VBScript does.
    Value item(const Value &key);
    void setItem(const Value &key, const Value &item);
    // d.Key(old) = new: the item stays where it is under its new key.
    void renameKey(const Value &from, const Value &to);
    void remove(const Value &key);
    void removeAll();
    Value keys() const;
    Value items() const;
    qint32 count() const { return qint32(entries_.size()); }
    qint32 compareMode() const { return compareMode_; }
    void setCompareMode(qint32 mode);
    void dropValues() override { removeAll(); }

private:
    struct Entry {
        Value key;
        Value item;
    };
    // Keys are told apart by type and value (1 and "1" differ); text mode
    // ignores case.
    QString keyText(const Value &key) const;
    // The entry of key, added with an Empty item when there is none.
    Entry &entryOf(const Value &key);
    void reindex();
    // The keys or the items, in the order they were added.
    QList<Value> column(Value Entry::*part) const;

    // Long operations tell the runtime how many entries they went
    // through, so that the time limit is checked during them.
    void worked(qsizetype units) const;

    QList<Entry> entries_;
    QHash<QString, qsizetype> index_;
    qint32 compareMode_ = 0;
};

class RegExpObject : public HostObject {
public:
    const HostClass &hostClass() const override;

    bool test(const QString &text);
    QString replace(const QString &text, const QString &replacement);
    Value execute(const QString &text);

    QString pattern;
    bool global = false;
    bool ignoreCase = false;
    bool multiLine = false;

private:
    const QRegularExpression &compiled();
    QRegularExpression regex_;
    QString compiledPattern_;
    QRegularExpression::PatternOptions compiledOptions_;
    bool haveCompiled_ = false;
};

// What Execute hands out twice: a list the script counts, reads by position
// from 0 (Item, the default member) and walks with For Each.
class ItemListObject : public HostObject {
public:
    std::unique_ptr<Enumerator> enumerate() override;
    QList<Value> items;

protected:
    static void describe(HostClass &cls);
};

// Execute's result: the matches in order.
class MatchCollectionObject : public ItemListObject {
public:
    const HostClass &hostClass() const override;
};

class MatchObject : public HostObject {
public:
    const HostClass &hostClass() const override;
    QString value;
    qint32 firstIndex = 0;
    ObjectRef subMatches;
};

// A match's groups; Empty for a group that took no part.
class SubMatchesObject : public ItemListObject {
public:
    const HostClass &hostClass() const override;
};

}  // namespace script::vbs
