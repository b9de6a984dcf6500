#pragma once

#include "oto/OtoFormat.h"

#include <QAbstractListModel>
#include <functional>

// The rows of the entry list. Each row carries as item data the 0-based
// index of its entry in the collection, filtered or not, and shows that
// entry's dispStr (alias, TAB, file name). Only the indexes are stored, so
// filling 50 000 rows costs one integer each.
class OtoListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int ItemDataRole = Qt::UserRole;

    explicit OtoListModel(const OtoEntries &entries, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    int rowItemData(int row) const { return rows_.value(row, -1); }
    bool isFiltered() const { return filtered_; }

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

    // The entry behind a row changed its text.
    void rowChanged(int row);

    // An entry was inserted into the collection at index itemData: shows it
    // in a new row in front of row (row == rowCount() appends) and adds 1 to
    // the item data of every row after it, so that each row still names its
    // entry. A selection on a later row stays on that row's entry, and no
    // current-row change is signalled. False for a row out of range.
    // collectionChange, if given, makes that change to the collection between
    // the model's begin and end notices, so that views see rows and entries
    // change in one step rather than rows naming shifted entries meanwhile.
    bool insertRowBefore(int row, int itemData, const std::function<void()> &collectionChange = {});
    // The entry of row was removed from the collection: drops the row and
    // subtracts 1 from the item data of every row after it. False for a row
    // out of range. collectionChange as above.
    bool removeRowAt(int row, const std::function<void()> &collectionChange = {});

private:
    void resetRows(QList<int> rows, bool filtered);

    const OtoEntries &entries_;
    QList<int> rows_;
    bool filtered_ = false;
};
