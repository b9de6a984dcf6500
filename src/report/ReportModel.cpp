#include "report/ReportModel.h"

#include <QSet>

void ReportModel::setProblems(QList<Problem> problems)
{
    beginResetModel();
    problems_ = std::move(problems);
    endResetModel();
}

int ReportModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(problems_.size());
}

int ReportModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ReportModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= problems_.size())
        return {};
    const Problem &p = problems_[index.row()];
    if (role == kEntryRole)
        return p.entry;
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case Kind: return kindName(p.kind);
    case Where: return p.where;
    case Alias: return p.alias;
    case Detail: return p.detail;
    default: return {};
    }
}

QVariant ReportModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Kind: return QStringLiteral("Kind - 類別");
    case Where: return QStringLiteral("Where - 位置");
    case Alias: return QStringLiteral("Alias - 別名");
    case Detail: return QStringLiteral("Detail - 詳情");
    default: return {};
    }
}

void KindFilter::setKind(const QString &kind)
{
    kind_ = kind;
    invalidateFilter();
}

bool KindFilter::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (kind_.isEmpty())
        return true;
    return sourceModel()->index(sourceRow, ReportModel::Kind, sourceParent).data().toString() == kind_;
}

OtoEntries entriesForMissing(const QList<Problem> &problems)
{
    OtoEntries entries;
    QSet<QString> made;
    for (const Problem &p : problems) {
        if (p.kind != ProblemKind::MissingAlias || p.recording.isEmpty() || made.contains(p.alias))
            continue;
        made.insert(p.alias);
        auto e = std::make_shared<clsOto>();
        e->FIL = p.recording;
        e->ALS = p.alias;
        entries.append(std::move(e));
    }
    return entries;
}
