#include "app/frmReport.h"

#include "report/BankReport.h"
#include "report/Coverage.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

frmReport::frmReport(ReportActions actions, QWidget *parent)
    : QWidget(parent, Qt::Window), actions_(std::move(actions)), filter_(this)
{
    setObjectName(QStringLiteral("frmReport"));
    setWindowTitle(QStringLiteral("Report - 檢查"));
    resize(900, 500);

    cboKind_ = new QComboBox(this);
    cboKind_->setObjectName(QStringLiteral("cboKind"));
    cboCoverage_ = new QComboBox(this);
    cboCoverage_->setObjectName(QStringLiteral("cboCoverage"));
    cboCoverage_->addItem(QStringLiteral("No coverage - 不查缺漏"), QString());
    for (const QString &name : coverageProfileNames())
        cboCoverage_->addItem(name, name);
    cmdCreate_ = new QPushButton(QStringLiteral("Create missing entries"), this);
    cmdCreate_->setObjectName(QStringLiteral("cmdCreate"));
    lblCount_ = new QLabel(this);

    filter_.setSourceModel(&model_);
    lstReport_ = new QTableView(this);
    lstReport_->setObjectName(QStringLiteral("lstReport"));
    lstReport_->setModel(&filter_);
    lstReport_->setSortingEnabled(true);
    lstReport_->sortByColumn(-1, Qt::AscendingOrder);  // the report's own order until a header is clicked
    lstReport_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstReport_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstReport_->verticalHeader()->hide();
    lstReport_->horizontalHeader()->setStretchLastSection(true);

    auto *bar = new QHBoxLayout;
    bar->addWidget(cboKind_);
    bar->addWidget(cboCoverage_);
    bar->addWidget(cmdCreate_);
    bar->addStretch();
    bar->addWidget(lblCount_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(lstReport_);

    connect(cboKind_, &QComboBox::currentIndexChanged, this, [this] { cboKind_Change(); });
    connect(cboCoverage_, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    connect(lstReport_, &QTableView::doubleClicked, this, [this](const QModelIndex &i) { lstReport_DblClick(i); });
    connect(cmdCreate_, &QPushButton::clicked, this, [this] { cmdCreate_Click(); });
}

void frmReport::showOver(QPointer<frmReport> &window, OtoDocument &doc, std::function<void(int)> select,
                         QWidget *parent)
{
    if (!window) {
        ReportActions actions;
        actions.run = [&doc](const QString &coverage) { return reportOnDocument(doc, coverage); };
        actions.select = std::move(select);
        actions.createMissing = [&doc](const QList<Problem> &problems) { createMissingEntries(doc, problems); };
        window = new frmReport(std::move(actions), parent);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->refresh();
    window->show();
    window->raise();
    window->activateWindow();
}

void frmReport::refresh()
{
    model_.setProblems(actions_.run(cboCoverage_->currentData().toString()));

    // The kinds found, with their counts; the chosen kind stays chosen.
    const QString kept = cboKind_->currentData().toString();
    const QSignalBlocker blocker(cboKind_);
    cboKind_->clear();
    cboKind_->addItem(QStringLiteral("All kinds - 全部 (%1)").arg(model_.problems().size()), QString());
    for (const ProblemKindInfo &info : problemKinds()) {
        const auto n = std::count_if(model_.problems().begin(), model_.problems().end(),
                                     [&](const Problem &p) { return p.kind == info.kind; });
        if (n > 0)
            cboKind_->addItem(QStringLiteral("%1 (%2)").arg(QString::fromLatin1(info.name)).arg(n),
                              QString::fromLatin1(info.name));
    }
    cboKind_->setCurrentIndex(std::max(0, cboKind_->findData(kept)));
    cboKind_Change();
    cmdCreate_->setEnabled(!entriesForMissing(model_.problems()).isEmpty());
    lstReport_->resizeColumnsToContents();
}

void frmReport::cboKind_Change()
{
    filter_.setKind(cboKind_->currentData().toString());
    lblCount_->setText(QStringLiteral("%1 shown - 顯示").arg(filter_.rowCount()));
}

void frmReport::lstReport_DblClick(const QModelIndex &index)
{
    const int entry = index.data(ReportModel::kEntryRole).toInt();
    if (entry >= 0)
        actions_.select(entry);
}

void frmReport::cmdCreate_Click()
{
    actions_.createMissing(model_.problems());
    refresh();
}
