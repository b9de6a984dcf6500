#include "oto/OtoHistory.h"

#include "oto/OtoDocument.h"

#include <type_traits>

namespace history {

template <typename Value>
ChangeStep<Value>::ChangeStep(OtoDocument &doc, std::vector<Change> changes, const QString &text, int mergeKey)
    : QUndoCommand(text), doc_(doc), changes_(std::move(changes)), mergeKey_(mergeKey)
{
    Q_ASSERT(!changes_.empty());
}

template <typename Value>
int ChangeStep<Value>::id() const
{
    // Typing in a value box and in the alias box are steps of their own.
    constexpr int kTypingId = std::is_same_v<Value, clsOto> ? 1 : 2;
    return mergeKey_ != 0 ? kTypingId : -1;
}

template <typename Value>
void ChangeStep<Value>::apply(bool forward)
{
    // Undo goes backwards, so that an entry changed twice ends as it was
    // before the first change.
    QList<std::pair<std::shared_ptr<clsOto>, Value>> values;
    values.reserve(qsizetype(changes_.size()));
    if (forward) {
        for (const Change &c : changes_)
            values.append({c.entry, c.after});
    } else {
        for (auto it = changes_.rbegin(); it != changes_.rend(); ++it)
            values.append({it->entry, it->before});
    }
    if constexpr (std::is_same_v<Value, clsOto>)
        doc_.setValues(values);
    else
        doc_.setAliases(values);
    doc_.announceStep(changes_.front().entry.get());
}

template <typename Value>
bool ChangeStep<Value>::mergeWith(const QUndoCommand *other)
{
    // Typing goes on in the same box of the same entry (same merge key, one
    // change each): the step takes the newer value as its result.
    const auto *next = static_cast<const ChangeStep *>(other);
    if (next->mergeKey_ != mergeKey_ || next->changes_.size() != 1 || changes_.size() != 1
        || next->changes_.front().entry != changes_.front().entry)
        return false;
    changes_.front().after = next->changes_.front().after;
    return true;
}

template class ChangeStep<clsOto>;
template class ChangeStep<QString>;

InsertEntries::InsertEntries(OtoDocument &doc, int position, OtoEntries entries, const QString &text, bool insert)
    : QUndoCommand(text), doc_(doc), position_(position), entries_(std::move(entries)), insertOnRedo_(insert)
{
}

void InsertEntries::insert()
{
    const int position = std::min(position_, int(doc_.clcOto().size()));
    doc_.insertEntries(position, entries_);
    doc_.announceStep(position);
}

void InsertEntries::remove()
{
    // The entries are found by identity: they stand where they were put
    // unless something else moved them, and then they are looked up.
    const OtoEntries &now = doc_.clcOto();
    const int count = int(entries_.size());
    if (position_ + count <= now.size() && std::equal(entries_.begin(), entries_.end(), now.begin() + position_)) {
        doc_.removeEntries(position_, count);
    } else {
        for (const auto &e : entries_) {
            const qsizetype at = doc_.clcOto().indexOf(e);
            Q_ASSERT(at >= 0);
            if (at >= 0)
                doc_.removeEntries(int(at), 1);
        }
    }
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

RecordedEdit::RecordedEdit(OtoDocument &doc, const QString &text) : QUndoCommand(text), doc_(doc) {}

void RecordedEdit::recordInsert(int position, const OtoEntries &entries)
{
    lastChange_.clear();
    ops_.push_back({EditOp::Kind::Insert, position, entries, nullptr, {}, {}});
}

void RecordedEdit::recordRemove(int position, const OtoEntries &entries)
{
    lastChange_.clear();
    ops_.push_back({EditOp::Kind::Remove, position, entries, nullptr, {}, {}});
}

void RecordedEdit::recordChange(const std::shared_ptr<clsOto> &entry, const clsOto &before, const clsOto &after)
{
    unannounced_.append(entry.get());
    const auto last = lastChange_.constFind(entry.get());
    if (last != lastChange_.constEnd()) {
        ops_[*last].after = after;
        return;
    }
    lastChange_.insert(entry.get(), ops_.size());
    ops_.push_back({EditOp::Kind::Change, 0, {}, entry, before, after});
}

bool RecordedEdit::changedAnything() const
{
    for (const EditOp &op : ops_)
        if (op.kind != EditOp::Kind::Change || !(op.before == op.after))
            return true;
    return false;
}

QList<const clsOto *> RecordedEdit::takeUnannounced()
{
    return std::exchange(unannounced_, {});
}

void RecordedEdit::undo()
{
    doc_.applyRecorded(ops_, false);
}

void RecordedEdit::redo()
{
    if (done_) {  // pushed after the changes themselves
        done_ = false;
        return;
    }
    doc_.applyRecorded(ops_, true);
}

}  // namespace history
