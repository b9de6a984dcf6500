#pragma once

#include "control/EstimateFlow.h"

#include <QStringList>
#include <chrono>
#include <thread>

// Answers the Estimate dialogs from a script: the choice, and whether the
// user cancels the progress box.
struct ScriptedEstimateUi : EstimateUi {
    std::optional<EstimateChoice> choice;
    bool cancel = false;
    QList<EstimateCounts> asked;
    QStringList summaries;

    std::optional<EstimateChoice> askEstimate(const EstimateCounts &counts) override
    {
        asked << counts;
        return choice;
    }
    bool waitFor(const std::function<bool()> &done) override
    {
        if (cancel)
            return false;
        while (!done())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return true;
    }
    void showSummary(const QString &, const QString &text) override { summaries << text; }
};
