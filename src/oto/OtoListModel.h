#pragma once

#include "OtoFormat.h"

#include <QAbstractListModel>

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

    int itemData(int row) const { return rows_.value(row, -1); }
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

private:
    void resetRows(QList<int> rows, bool filtered);

    const OtoEntries &entries_;
    QList<int> rows_;
    bool filtered_ = false;
};
