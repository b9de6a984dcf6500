#include "app/EstimateDialogs.h"

#include "ui/QtDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QVBoxLayout>

std::optional<EstimateChoice> EstimateDialogs::askEstimate(const EstimateCounts &counts)
{
    using analysis::EstimateScope;
    QDialog dialog(parent_);
    dialog.setObjectName(QStringLiteral("dlgEstimate"));
    dialog.setWindowTitle(EstimateFlow::title());
    auto *layout = new QVBoxLayout(&dialog);

    auto *which = new QGroupBox(QStringLiteral("Estimate which entries? - 估算哪些條目？"), &dialog);
    auto *whichLayout = new QVBoxLayout(which);
    const std::pair<EstimateScope, QString> scopes[] = {
        {EstimateScope::Unset, QStringLiteral("Entries not set yet (all five numbers 0) - 未設定的條目: %1").arg(counts.unset)},
        {EstimateScope::Current, QStringLiteral("This entry - 當前條目: %1").arg(counts.hasCurrent ? counts.currentAlias : QStringLiteral("-"))},
        {EstimateScope::All, QStringLiteral("Every entry, from the recordings alone - 全部條目（僅依錄音）: %1").arg(counts.all)},
    };
    QList<std::pair<EstimateScope, QRadioButton *>> buttons;
    for (const auto &[scope, caption] : scopes) {
        auto *button = new QRadioButton(caption, which);
        whichLayout->addWidget(button);
        buttons.append({scope, button});
    }
    buttons[1].second->setEnabled(counts.hasCurrent);
    buttons[2].second->setEnabled(counts.all > 0);
    (counts.unset > 0 || !counts.hasCurrent ? buttons[0] : buttons[1]).second->setChecked(true);
    layout->addWidget(which);

    // Off unless asked: recordings without entries may be breaths or spare
    // takes the maker left out on purpose.
    QCheckBox *generate = nullptr;
    if (counts.unnamedRecordings > 0) {
        const QString english = counts.unnamedRecordings == 1
                                    ? QStringLiteral("Also make entries for the recording that has none")
                                    : QStringLiteral("Also make entries for the %1 recordings that have none")
                                          .arg(counts.unnamedRecordings);
        generate = new QCheckBox(english + QStringLiteral(" - 同時為沒有條目的%1個錄音生成條目").arg(counts.unnamedRecordings),
                                 &dialog);
        generate->setObjectName(QStringLiteral("chkEstimateGenerate"));
        layout->addWidget(generate);
    }

    auto *keep = new QGroupBox(QStringLiteral("Keep as they are - 保留不變"), &dialog);
    auto *keepLayout = new QHBoxLayout(keep);
    const QString names[5] = {QStringLiteral("Left bound"), QStringLiteral("Overlap"), QStringLiteral("Preutterance"),
                              QStringLiteral("Fixed"), QStringLiteral("Right bound")};
    QCheckBox *keepBoxes[5];
    for (int i = 0; i < 5; ++i) {
        keepBoxes[i] = new QCheckBox(names[i], keep);
        keepLayout->addWidget(keepBoxes[i]);
    }
    layout->addWidget(keep);

    layout->addWidget(okCancelButtons(dialog));
    layout->setSizeConstraint(QLayout::SetFixedSize);  // sized to its texts
    fitTitle(dialog);

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    EstimateChoice choice;
    for (const auto &[scope, button] : buttons)
        if (button->isChecked())
            choice.scope = scope;
    for (int i = 0; i < 5; ++i)
        choice.keep[i] = keepBoxes[i]->isChecked();
    choice.generate = generate && generate->isChecked();
    return choice;
}

bool EstimateDialogs::waitFor(const std::function<bool()> &done)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QProgressDialog progress(QStringLiteral("Estimating... - 正在估算…"), QStringLiteral("Cancel - 取消"), 0, 0, parent_);
    progress.setObjectName(QStringLiteral("dlgEstimateProgress"));
    progress.setWindowTitle(EstimateFlow::title());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.hide();
    QElapsedTimer clock;
    clock.start();
    bool cancelled = false;
    while (!done()) {
        if (!progress.isVisible() && clock.elapsed() > 500)
            progress.show();
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (progress.wasCanceled()) {
            cancelled = true;
            break;
        }
        QThread::msleep(10);
    }
    QApplication::restoreOverrideCursor();
    return !cancelled;
}

void EstimateDialogs::showSummary(const QString &title, const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, parent_);
    box->setObjectName(QStringLiteral("dlgEstimateSummary"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->setWindowModality(Qt::NonModal);
    fitTitle(*box);
    box->show();
}
