#include "oto/OtoHistory.h"

#include "oto/OtoDocument.h"

namespace history {

namespace {

// Typing goes on in the same box of the same entry (same merge key, one
// change each): the step takes the newer value as its result.
template <class Change>
bool mergeTyping(int mergeKey, std::vector<Change> &changes, int nextKey, const std::vector<Change> &next)
{
    if (nextKey != mergeKey || next.size() != 1 || changes.size() != 1 || next.front().index != changes.front().index)
        return false;
    changes.front().after = next.front().after;
    return true;
}

}  // namespace

ChangeEntries::ChangeEntries(OtoDocument &doc, std::vector<Change> changes, const QString &text, int mergeKey)
    : QUndoCommand(text), doc_(doc), changes_(std::move(changes)), mergeKey_(mergeKey)
{
}

void ChangeEntries::undo()
{
    QList<EntryChange> values;
    for (auto it = changes_.rbegin(); it != changes_.rend(); ++it)
        values.append({it->index, it->before});
    doc_.changeEntries(values);
    doc_.announceStep(changes_.front().index);
}

void ChangeEntries::redo()
{
    QList<EntryChange> values;
    for (const Change &c : changes_)
        values.append({c.index, c.after});
    doc_.changeEntries(values);
    doc_.announceStep(changes_.front().index);
}

bool ChangeEntries::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const ChangeEntries *>(other);
    return mergeTyping(mergeKey_, changes_, next->mergeKey_, next->changes_);
}

ChangeAliases::ChangeAliases(OtoDocument &doc, std::vector<Change> changes, const QString &text, int mergeKey)
    : QUndoCommand(text), doc_(doc), changes_(std::move(changes)), mergeKey_(mergeKey)
{
}

void ChangeAliases::apply(bool forward)
{
    QList<AliasChange> aliases;
    aliases.reserve(qsizetype(changes_.size()));
    for (const Change &c : changes_)
        aliases.append({c.index, forward ? c.after : c.before});
    doc_.changeAliases(aliases);
    doc_.announceStep(changes_.front().index);
}

void ChangeAliases::undo()
{
    apply(false);
}

void ChangeAliases::redo()
{
    apply(true);
}

bool ChangeAliases::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const ChangeAliases *>(other);
    return mergeTyping(mergeKey_, changes_, next->mergeKey_, next->changes_);
}

InsertEntries::InsertEntries(OtoDocument &doc, int position, OtoEntries entries, const QString &text, bool insert)
    : QUndoCommand(text), doc_(doc), position_(position), entries_(std::move(entries)), insertOnRedo_(insert)
{
}

void InsertEntries::insert()
{
    doc_.insertEntries(position_, entries_);
    doc_.announceStep(position_);
}

void InsertEntries::remove()
{
    doc_.removeEntries(position_, int(entries_.size()));
    // What is shown afterwards: the entry that took the place, or the one
    // before it at the end.
    doc_.announceStep(std::min(position_, int(doc_.clcOto().size()) - 1));
}

void InsertEntries::undo()
{
    insertOnRedo_ ? remove() : insert();
}

void InsertEntries::redo()
{
    insertOnRedo_ ? insert() : remove();
}

ChangeInPlace::ChangeInPlace(OtoDocument &doc, OtoEntries orderBefore, OtoEntries orderAfter,
                             std::vector<Change> changes, const QString &text)
    : QUndoCommand(text), doc_(doc), orderBefore_(std::move(orderBefore)), orderAfter_(std::move(orderAfter)),
      changes_(std::move(changes))
{
}

void ChangeInPlace::apply(bool forward)
{
    for (const Change &c : changes_)
        *c.entry = forward ? c.after : c.before;
    const OtoEntries &order = forward ? orderAfter_ : orderBefore_;
    if (!order.isEmpty() || !(forward ? orderBefore_ : orderAfter_).isEmpty()) {
        doc_.restoreOrder(order);
        doc_.announceStep(0);
        return;
    }
    QList<int> indexes;
    for (const Change &c : changes_)
        indexes.append(int(doc_.clcOto().indexOf(c.entry)));
    doc_.announceChanged(indexes);
    doc_.announceStep(indexes.value(0, -1));
}

void ChangeInPlace::undo()
{
    apply(false);
}

void ChangeInPlace::redo()
{
    if (done_) {  // pushed after the change itself
        done_ = false;
        return;
    }
    apply(true);
}

}  // namespace history
