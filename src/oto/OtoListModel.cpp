#include "oto/OtoListModel.h"

#include "oto/FlagMarks.h"

#include "oto/OtoDocument.h"

OtoListModel::OtoListModel(const OtoDocument &doc, QObject *parent)
    : QAbstractListModel(parent), entries_(doc.clcOto())
{
    connect(&doc, &OtoDocument::entriesAboutToBeReplaced, this, [this] { beginResetModel(); });
    connect(&doc, &OtoDocument::entriesReplaced, this, [this] {
        rows_ = allRows();
        texts_.clear();
        for (int entry : std::as_const(rows_))
            texts_.append(textOf(entry));
        filtered_ = false;
        endResetModel();
    });
    connect(&doc, &OtoDocument::entriesInserted, this, &OtoListModel::entriesInserted);
    connect(&doc, &OtoDocument::entriesAboutToBeRemoved, this, &OtoListModel::entriesAboutToBeRemoved);
    connect(&doc, &OtoDocument::entriesRemoved, this, &OtoListModel::entriesRemoved);
    connect(&doc, &OtoDocument::entriesChanged, this, &OtoListModel::entriesChanged);
}

int OtoListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant OtoListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    if (role == ItemDataRole)
        return rows_[index.row()];
    if (role == Qt::DisplayRole)
        return texts_[index.row()];
    if (flags_ && role == FlaggedRole)
        return flags_->isFlagged(rows_[index.row()]);
    if (flags_ && role == Qt::ToolTipRole) {
        const QString reason = flags_->reason(rows_[index.row()]);
        return reason.isEmpty() ? QVariant() : QVariant(reason);
    }
    return {};
}

void OtoListModel::setFlags(const FlagMarks *flags)
{
    flags_ = flags;
    connect(flags, &FlagMarks::changed, this, [this] {
        if (!rows_.isEmpty())
            emit dataChanged(index(0), index(int(rows_.size()) - 1), {FlaggedRole, Qt::ToolTipRole});
    });
}

QString OtoListModel::textOf(int entry) const
{
    if (entry < 0 || entry >= entries_.size())
        return {};
    // A singer's entries show their folder with the file name (A3/0.wav).
    const clsOto &e = *entries_[entry];
    return e.folder.isEmpty() ? e.dispStr() : e.ALS + u'\t' + e.pathStr();
}

void OtoListModel::resetRows(QList<int> rows, bool filtered)
{
    beginResetModel();
    rows_ = std::move(rows);
    texts_.clear();
    texts_.reserve(rows_.size());
    for (int entry : std::as_const(rows_))
        texts_.append(textOf(entry));
    filtered_ = filtered;
    endResetModel();
}

QList<int> OtoListModel::allRows() const
{
    if (folderFilter_) {
        QList<int> rows;
        for (int k = 0; k < entries_.size(); ++k)
            if (inFolder(k))
                rows.append(k);
        return rows;
    }
    QList<int> rows(entries_.size());
    for (int k = 0; k < rows.size(); ++k)
        rows[k] = k;
    return rows;
}

void OtoListModel::setFolderFilter(const std::optional<QString> &folder)
{
    folderFilter_ = folder;
    F5LstOto();
}

void OtoListModel::refreshTexts()
{
    for (int row = 0; row < rows_.size(); ++row) {
        QString text = textOf(rows_[row]);
        if (text == texts_[row])
            continue;
        texts_[row] = std::move(text);
        emit dataChanged(index(row), index(row), {Qt::DisplayRole});
    }
}

void OtoListModel::F5LstOto()
{
    resetRows(allRows(), false);
}

bool OtoListModel::F5LstOtoS(const QString &key, int mode)
{
    if (key.isEmpty()) {
        F5LstOto();
        return true;
    }
    QList<int> rows;
    for (int k = 0; k < entries_.size(); ++k) {
        if (!inFolder(k))
            continue;
        const clsOto &e = *entries_[k];
        bool match = e.ALS.contains(key);
        // The file name as listed, folder included: "A3/" finds a folder.
        if (!match && mode != 0 && e.FIL.size() >= 4)
            match = QStringView(e.FIL).chopped(4).contains(key)
                    || (!e.folder.isEmpty() && (e.folder + u'/').contains(key));
        if (match)
            rows.append(k);
    }
    const bool any = !rows.isEmpty();
    resetRows(std::move(rows), true);
    return any;
}

int OtoListModel::findRowStartingWith(const QString &typed) const
{
    for (int row = 0; row < texts_.size(); ++row) {
        // A row of an entry without alias is compared without its leading TAB.
        QStringView text(texts_[row]);
        if (text.startsWith(u'\t'))
            text = text.sliced(1);
        if (text.startsWith(typed))
            return row;
    }
    return -1;
}

int OtoListModel::rowOfEntry(int entryIndex) const
{
    return int(rows_.indexOf(entryIndex));
}

bool OtoListModel::insertRow(int row, int entryIndex)
{
    if (row < 0 || row > rows_.size())
        return false;
    beginInsertRows({}, row, row);
    rows_.insert(row, entryIndex);
    texts_.insert(row, textOf(entryIndex));
    endInsertRows();
    return true;
}

void OtoListModel::itemDataMoved(int from)
{
    // The rows show the same entries as before; only their item data moved.
    if (from < rows_.size())
        emit dataChanged(index(from), index(int(rows_.size()) - 1), {ItemDataRole});
}

void OtoListModel::entriesInserted(int first, int last)
{
    const int count = last - first + 1;
    int firstMoved = int(rows_.size());
    for (int r = 0; r < rows_.size(); ++r) {
        if (rows_[r] >= first) {
            rows_[r] += count;
            firstMoved = std::min(firstMoved, r);
        }
    }
    itemDataMoved(firstMoved);
}

void OtoListModel::entriesAboutToBeRemoved(int first, int last)
{
    // Rows showing a removed entry go before the entries do, so that no
    // view ever paints a row naming an entry that is gone.
    for (int r = int(rows_.size()) - 1; r >= 0; --r) {
        if (rows_[r] >= first && rows_[r] <= last) {
            beginRemoveRows({}, r, r);
            rows_.removeAt(r);
            texts_.removeAt(r);
            endRemoveRows();
        }
    }
}

void OtoListModel::entriesRemoved(int first, int last)
{
    const int count = last - first + 1;
    int firstMoved = int(rows_.size());
    for (int r = 0; r < rows_.size(); ++r) {
        if (rows_[r] > last) {
            rows_[r] -= count;
            firstMoved = std::min(firstMoved, r);
        }
    }
    itemDataMoved(firstMoved);
}

void OtoListModel::entriesChanged(const QList<int> &indexes)
{
    if (rows_.isEmpty())
        return;
    // Many changes at once (a batch rewrite): every row anew, one notice.
    if (indexes.size() > 64) {
        for (int r = 0; r < rows_.size(); ++r)
            texts_[r] = textOf(rows_[r]);
        emit dataChanged(index(0), index(int(rows_.size()) - 1), {Qt::DisplayRole});
        return;
    }
    for (int entry : indexes) {
        const int row = rowOfEntry(entry);
        if (row < 0)
            continue;
        texts_[row] = textOf(entry);
        emit dataChanged(index(row), index(row), {Qt::DisplayRole});
    }
}
