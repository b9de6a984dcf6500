#include "oto/OtoListModel.h"

OtoListModel::OtoListModel(const OtoEntries &entries, QObject *parent) : QAbstractListModel(parent), entries_(entries)
{
}

int OtoListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant OtoListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const int entry = rows_[index.row()];
    if (role == ItemDataRole)
        return entry;
    if (role == Qt::DisplayRole && entry >= 0 && entry < entries_.size())
        return entries_[entry]->dispStr();
    return {};
}

void OtoListModel::resetRows(QList<int> rows, bool filtered)
{
    beginResetModel();
    rows_ = std::move(rows);
    filtered_ = filtered;
    endResetModel();
}

void OtoListModel::F5LstOto()
{
    QList<int> rows(entries_.size());
    for (int k = 0; k < rows.size(); ++k)
        rows[k] = k;
    resetRows(std::move(rows), false);
}

bool OtoListModel::F5LstOtoS(const QString &key, int mode)
{
    if (key.isEmpty()) {
        F5LstOto();
        return true;
    }
    QList<int> rows;
    for (int k = 0; k < entries_.size(); ++k) {
        const clsOto &e = *entries_[k];
        bool match = e.ALS.contains(key);
        if (!match && mode != 0 && e.FIL.size() >= 4)
            match = QStringView(e.FIL).chopped(4).contains(key);
        if (match)
            rows.append(k);
    }
    const bool any = !rows.isEmpty();
    resetRows(std::move(rows), true);
    return any;
}

int OtoListModel::findRowStartingWith(const QString &typed) const
{
    for (int row = 0; row < rows_.size(); ++row) {
        if (rows_[row] >= entries_.size())
            continue;
        const clsOto &e = *entries_[rows_[row]];
        // The row text is ALS + TAB + FIL; test the prefix without building it.
        const QStringView als(e.ALS);
        bool starts;
        if (als.isEmpty())
            starts = QStringView(e.FIL).startsWith(typed);
        else if (typed.size() <= als.size())
            starts = als.startsWith(typed);
        else
            starts = QStringView(typed).startsWith(als) && typed[als.size()] == u'\t'
                     && QStringView(e.FIL).startsWith(QStringView(typed).mid(als.size() + 1));
        if (starts)
            return row;
    }
    return -1;
}

int OtoListModel::rowOfEntry(int entryIndex) const
{
    return int(rows_.indexOf(entryIndex));
}

void OtoListModel::rowChanged(int row)
{
    const QModelIndex i = index(row);
    emit dataChanged(i, i, {Qt::DisplayRole});
}

bool OtoListModel::insertRowBefore(int row, int itemData, const std::function<void()> &collectionChange)
{
    if (row < 0 || row > rows_.size())
        return false;
    beginInsertRows({}, row, row);
    if (collectionChange)
        collectionChange();
    rows_.insert(row, itemData);
    for (qsizetype r = row + 1; r < rows_.size(); ++r)
        ++rows_[r];
    endInsertRows();
    // The later rows show the same entries as before; only their item data moved.
    if (row + 1 < rows_.size())
        emit dataChanged(index(row + 1), index(int(rows_.size()) - 1), {ItemDataRole});
    return true;
}

bool OtoListModel::removeRowAt(int row, const std::function<void()> &collectionChange)
{
    if (row < 0 || row >= rows_.size())
        return false;
    beginRemoveRows({}, row, row);
    if (collectionChange)
        collectionChange();
    rows_.removeAt(row);
    for (qsizetype r = row; r < rows_.size(); ++r)
        --rows_[r];
    endRemoveRows();
    if (row < rows_.size())
        emit dataChanged(index(row), index(int(rows_.size()) - 1), {ItemDataRole});
    return true;
}
