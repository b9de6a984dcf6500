#pragma once

#include "oto/OtoFormat.h"

#include <QHash>
#include <QUndoCommand>
#include <vector>

class OtoDocument;

// The steps of the document's undo history, in the manner of Qt's undo
// framework: each holds what its change needs to go back and forth, not a
// copy of the bank. Steps name the entries they change by the entry objects
// themselves, never by position alone, so a step finds its entries however
// other steps moved them. They act on the document through its announcing
// primitives, so the list and the views follow undo and redo as they follow
// an edit. Only OtoDocument makes them.

namespace history {

// Entries that got new values (Value = clsOto: a mouse edit, a typed
// value) or only new aliases (Value = QString: a batch replace, a split,
// the alias box, however many entries there are): each entry's value before
// and after. Typed values in the same box of the same entry merge into one
// step while the typing goes on (same merge key).
template <typename Value>
class ChangeStep : public QUndoCommand {
public:
    struct Change {
        std::shared_ptr<clsOto> entry;
        Value before, after;
    };
    ChangeStep(OtoDocument &doc, std::vector<Change> changes, const QString &text, int mergeKey);
    void undo() override { apply(false); }
    void redo() override { apply(true); }
    int id() const override;
    bool mergeWith(const QUndoCommand *other) override;

private:
    void apply(bool forward);
    OtoDocument &doc_;
    std::vector<Change> changes_;
    int mergeKey_;
};

using ChangeEntries = ChangeStep<clsOto>;
using ChangeAliases = ChangeStep<QString>;

// Entries inserted (a duplicate) or removed: the very entry objects. Undo
// of an insertion removes those objects wherever they are; undo of a
// removal puts them back where they were.
class InsertEntries : public QUndoCommand {
public:
    InsertEntries(OtoDocument &doc, int position, OtoEntries entries, const QString &text, bool insert);
    void undo() override;
    void redo() override;

private:
    void insert();
    void remove();
    OtoDocument &doc_;
    int position_;
    OtoEntries entries_;
    bool insertOnRedo_;
};

// One change a scoped edit recorded, as the document announced it.
struct EditOp {
    enum class Kind { Insert, Remove, Change };
    Kind kind;
    int position = 0;          // Insert, Remove: where
    OtoEntries entries;        // Insert, Remove: which
    std::shared_ptr<clsOto> entry;  // Change: which
    clsOto before, after;      // Change: its values
};

// The changes of one scoped edit (a script run, an estimate, a batch
// tool), recorded while it was open; it is pushed when it closes, after the
// changes have happened, so its first redo does nothing.
class RecordedEdit : public QUndoCommand {
public:
    RecordedEdit(OtoDocument &doc, const QString &text);
    void recordInsert(int position, const OtoEntries &entries);
    void recordRemove(int position, const OtoEntries &entries);
    void recordChange(const std::shared_ptr<clsOto> &entry, const clsOto &before, const clsOto &after);
    // Whether anything is left once changes that undid themselves are gone.
    bool changedAnything() const;
    // The entries changed in place since they were last announced.
    QList<const clsOto *> takeUnannounced();
    void undo() override;
    void redo() override;

private:
    OtoDocument &doc_;
    std::vector<EditOp> ops_;
    // The last change op of each entry since the last insertion or removal:
    // later values of the same entry update it instead of adding one.
    QHash<const clsOto *, size_t> lastChange_;
    QList<const clsOto *> unannounced_;
    bool done_ = true;
};

}  // namespace history
