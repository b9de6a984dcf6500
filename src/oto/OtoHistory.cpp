#include "oto/OtoHistory.h"

#include "oto/OtoDocument.h"

namespace history {

namespace {

// Typing goes on in the same box of the same entry (same merge key, one
// change each): the step takes the newer value as its result.
template <class Change>
bool mergeTyping(int mergeKey, std::vector<Change> &changes, int nextKey, const std::vector<Change> &next)
{
    if (nextKey != mergeKey || next.size() != 1 || changes.size() != 1 || next.front().entry != changes.front().entry)
        return false;
    changes.front().after = next.front().after;
    return true;
}

}  // namespace

ChangeEntries::ChangeEntries(OtoDocument &doc, std::vector<Change> changes, const QString &text, int mergeKey)
    : QUndoCommand(text), doc_(doc), changes_(std::move(changes)), mergeKey_(mergeKey)
{
    Q_ASSERT(!changes_.empty());
}

void ChangeEntries::apply(bool forward)
{
    QList<std::pair<std::shared_ptr<clsOto>, clsOto>> values;
    values.reserve(qsizetype(changes_.size()));
    if (forward) {
        for (const Change &c : changes_)
            values.append({c.entry, c.after});
    } else {
        for (auto it = changes_.rbegin(); it != changes_.rend(); ++it)
            values.append({it->entry, it->before});
    }
    doc_.setValues(values);
    doc_.announceStep(changes_.front().entry.get());
}

void ChangeEntries::undo()
{
    apply(false);
}

void ChangeEntries::redo()
{
    apply(true);
}

bool ChangeEntries::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const ChangeEntries *>(other);
    return mergeTyping(mergeKey_, changes_, next->mergeKey_, next->changes_);
}

ChangeAliases::ChangeAliases(OtoDocument &doc, std::vector<Change> changes, const QString &text, int mergeKey)
    : QUndoCommand(text), doc_(doc), changes_(std::move(changes)), mergeKey_(mergeKey)
{
    Q_ASSERT(!changes_.empty());
}

void ChangeAliases::apply(bool forward)
{
    QList<std::pair<std::shared_ptr<clsOto>, QString>> aliases;
    aliases.reserve(qsizetype(changes_.size()));
    for (const Change &c : changes_)
        aliases.append({c.entry, forward ? c.after : c.before});
    doc_.setAliases(aliases);
    doc_.announceStep(changes_.front().entry.get());
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
