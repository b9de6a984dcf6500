#pragma once

class OtoDocument;
class OtoListModel;
class QItemSelectionModel;

// Duplicate and Remove of the current entry. Both patch doc.clcOto and the
// list rows in place, so a filtered list stays filtered and in order, and
// afterwards every row's item data + 1 is again the collection position of
// the entry it shows.
struct EntryOpResult {
    bool done = false;  // false: nothing was selected (or the row does not show curIdx); nothing changed
    int curIdx = -1;    // the current entry's index afterwards; -1 when no row is left selected
    int row = -1;       // the row that is selected afterwards, or -1
};

// Inserts a copy of entry curIdx (shown in row) directly in front of it, in
// the collection and in the list, as one step of the document's history. The source
// entry stays current: result.curIdx is curIdx + 1 and result.row is row + 1,
// where a selection model on the list already keeps the selection without
// signalling a current-row change.
EntryOpResult duplicateEntry(OtoDocument &doc, OtoListModel &list, int row, int curIdx);

// Removes entry curIdx (shown in row) from the collection and the list, as
// one step of the document's history (which marks it changed, so that
// closing asks before the removal is lost). result.row is the row to select (row, or
// the new last row when the last one went, or -1 when none is left) and
// result.curIdx its entry (-1 when none, so no stale index reaches the
// collection).
// With selection (the list view's selection model), the removal itself runs
// without selection signals -- Qt would otherwise move the current row to a
// neighbour while the row is half removed -- and then result.row is made the
// current row, signalling exactly one current-row change (none when no row is
// left), so the window's selection handler loads the new current entry.
EntryOpResult removeEntry(OtoDocument &doc, OtoListModel &list, int row, int curIdx,
                          QItemSelectionModel *selection = nullptr);
