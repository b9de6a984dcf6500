#pragma once

#include "oto/OtoFormat.h"
#include "report/Problem.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

// A report's problems as a table: kind, where, alias, detail.
class ReportModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Kind, Where, Alias, Detail, ColumnCount };
    // The problem's entry index (-1 for none) under this role.
    static constexpr int kEntryRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;

    void setProblems(QList<Problem> problems);
    const QList<Problem> &problems() const { return problems_; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<Problem> problems_;
};

// The rows of one kind only, or of every kind when the kind is empty.
class KindFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setKind(const QString &kind);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    QString kind_;
};

// Unset entries (all five numbers 0) for the missing aliases that have a
// recording to come from, each alias once.
OtoEntries entriesForMissing(const QList<Problem> &problems);
