#pragma once

#include "control/EstimateFlow.h"

class QWidget;

// The Estimate command's dialogs as widgets: the choice of entries and of
// the parameters to keep, a progress box with Cancel, and the summary box
// that leaves the window free.
class EstimateDialogs : public EstimateUi {
public:
    explicit EstimateDialogs(QWidget *parent) : parent_(parent) {}

    std::optional<EstimateChoice> askEstimate(const EstimateCounts &counts) override;
    bool waitFor(const std::function<bool()> &done) override;
    void showSummary(const QString &title, const QString &text) override;

private:
    QWidget *parent_;
};
