#pragma once

#include "report/ReportModel.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class OtoDocument;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

// What the report window asks of the main window.
struct ReportActions {
    // Runs the checks, with the coverage profile named (empty: none).
    std::function<QList<Problem>(const QString &coverage)> run;
    // Selects and shows the document's entry.
    std::function<void(int entry)> select;
    // Adds the missing aliases' entries, one undo step.
    std::function<void(const QList<Problem> &problems)> createMissing;
};

// "Report - 檢查": the problems of the open bank in a sortable list,
// filtered by kind. A double click selects the problem's entry.
class frmReport : public QWidget {
    Q_OBJECT
public:
    frmReport(ReportActions actions, QWidget *parent = nullptr);

    // The report window over doc, made on first use (window keeps it) and
    // brought forward with its checks run again; select shows an entry.
    static void showOver(QPointer<frmReport> &window, OtoDocument &doc, std::function<void(int)> select,
                         QWidget *parent);
    // Runs the checks again and shows what they found.
    void refresh();
    const ReportModel &model() const { return model_; }
    QTableView *table() const { return lstReport_; }

private:
    void cboKind_Change();
    void lstReport_DblClick(const QModelIndex &index);
    void cmdCreate_Click();

    ReportActions actions_;
    ReportModel model_;
    KindFilter filter_;
    QComboBox *cboKind_;
    QComboBox *cboCoverage_;
    QTableView *lstReport_;
    QPushButton *cmdCreate_;
    QLabel *lblCount_;
};
