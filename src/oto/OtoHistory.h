#pragma once

#include "oto/OtoFormat.h"

#include <QUndoCommand>
#include <vector>

class OtoDocument;

// The steps of the document's undo history, in the manner of Qt's undo
// framework: each holds what its change needs to go back and forth, not a
// copy of the bank. They act on the document through its announcing
// primitives, so the list and the views follow undo and redo as they follow
// an edit. Only OtoDocument makes them.

namespace history {

// Entries that got new values (a mouse edit, a typed value): their values
// before and after. Typed values in the same box of the same entry merge
// into one step while the typing goes on (same merge key).
class ChangeEntries : public QUndoCommand {
public:
    struct Change {
        int index;
        clsOto before, after;
    };
    ChangeEntries(OtoDocument &doc, std::vector<Change> changes, const QString &text, int mergeKey);
    void undo() override;
    void redo() override;
    int id() const override { return mergeKey_ != 0 ? kTypingId : -1; }
    bool mergeWith(const QUndoCommand *other) override;

private:
    static constexpr int kTypingId = 1;
    OtoDocument &doc_;
    std::vector<Change> changes_;
    int mergeKey_;
};

// Aliases rewritten (a batch replace, a split, the alias box): only the
// aliases, however many entries there are.
class ChangeAliases : public QUndoCommand {
public:
    struct Change {
        int index;
        QString before, after;
    };
    ChangeAliases(OtoDocument &doc, std::vector<Change> changes, const QString &text, int mergeKey);
    void undo() override;
    void redo() override;
    int id() const override { return mergeKey_ != 0 ? kTypingId : -1; }
    bool mergeWith(const QUndoCommand *other) override;

private:
    static constexpr int kTypingId = 2;
    void apply(bool forward);
    OtoDocument &doc_;
    std::vector<Change> changes_;
    int mergeKey_;
};

// Entries inserted (a duplicate) or removed: the very entry objects, which
// undo puts back where they were.
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

// Changes made in place outside the history (by a script): the entries'
// values before and after, and their order when entries came or went. The
// change has happened when the step is made, so its first redo does
// nothing.
class ChangeInPlace : public QUndoCommand {
public:
    struct Change {
        std::shared_ptr<clsOto> entry;
        clsOto before, after;
    };
    ChangeInPlace(OtoDocument &doc, OtoEntries orderBefore, OtoEntries orderAfter, std::vector<Change> changes,
                  const QString &text);
    void undo() override;
    void redo() override;

private:
    void apply(bool forward);
    OtoDocument &doc_;
    OtoEntries orderBefore_, orderAfter_;  // empty when the order stayed
    std::vector<Change> changes_;
    bool done_ = true;
};

}  // namespace history
