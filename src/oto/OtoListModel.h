#pragma once

#include "oto/OtoFormat.h"

#include <QAbstractListModel>
#include <optional>

class FlagMarks;
class OtoDocument;

// The rows of the entry list. Each row carries as item data the 0-based
// index of its entry in the collection, filtered or not, and shows that
// entry's dispStr (alias, TAB, file name) as it was when the row was filled:
// like a list box, it holds its lines, so an entry changed in place (by a
// script) shows anew only when the list is filled again. The model follows
// the document: a change it announces shows at once, a removed entry's row
// goes, and every row keeps naming its entry when entries before it come or
// go; a load shows every entry again.
class OtoListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int ItemDataRole = Qt::UserRole;
    // True for a row whose entry carries a flag mark (its reason is the
    // row's tooltip).
    static constexpr int FlaggedRole = Qt::UserRole + 1;

    explicit OtoListModel(const OtoDocument &doc, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    int rowItemData(int row) const { return rows_.value(row, -1); }
    bool isFiltered() const { return filtered_; }
    // The marks the rows show; the rows follow their changes.
    void setFlags(const FlagMarks *flags);

    // A singer's list can show one folder's entries only (nullopt: all);
    // both the full and the searched list keep to it. Shows the full list.
    void setFolderFilter(const std::optional<QString> &folder);
    const std::optional<QString> &folderFilter() const { return folderFilter_; }

    // Every entry, in collection order.
    void F5LstOto();
    // The entries whose alias (mode 0) or alias or file name without its
    // last four characters (any other mode) contains key. An empty key shows
    // every entry. Returns false when nothing matched (the list is empty).
    bool F5LstOtoS(const QString &key, int mode);

    // The first row whose text begins with typed; a row of an entry without
    // alias is compared without its leading TAB. -1 when none does.
    int findRowStartingWith(const QString &typed) const;
    // The row showing entry index, or -1.
    int rowOfEntry(int entryIndex) const;

    // Every row shows its entry's dispStr anew, rows and selection kept:
    // after a script run, which changes entries in place.
    void refreshTexts();

    // Shows entry entryIndex in a new row in front of row (row == rowCount()
    // appends); a selection on a later row stays on that row's entry. False
    // for a row out of range.
    bool insertRow(int row, int entryIndex);

private:
    void resetRows(QList<int> rows, bool filtered);
    QString textOf(int entry) const;
    QList<int> allRows() const;
    void entriesInserted(int first, int last);
    void entriesAboutToBeRemoved(int first, int last);
    void entriesRemoved(int first, int last);
    void entriesChanged(const QList<int> &indexes);
    // Tells views that the item data of rows from..end moved.
    void itemDataMoved(int from);

    const OtoEntries &entries_;
    QList<int> rows_;
    QList<QString> texts_;  // what each row shows
    bool filtered_ = false;
    std::optional<QString> folderFilter_;
    bool inFolder(int entry) const { return !folderFilter_ || entries_[entry]->folder == *folderFilter_; }
    const FlagMarks *flags_ = nullptr;
};
