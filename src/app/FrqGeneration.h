#pragma once

#include "analysis/FrqFile.h"

class Dialogs;
class QWidget;

// "Generate frequency files" of the window: asks whether to replace the
// frequency files there are, then writes them for the recordings of folder
// (and of its pitch folders) on all cores behind a progress dialog with
// Cancel, and tells what was done. False when the user backed out before
// anything was written.
bool generateFrqFiles(QWidget *parent, Dialogs &dialogs, const QString &folder);

// What a run did, as the window and the command line tell it.
QString frqRunSummary(const analysis::FrqRunResult &result);
