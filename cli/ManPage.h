#pragma once

#include "cli/CommandLine.h"

#include <QString>

// The manual page lirra-oto(1) in roff, built from the same command table as
// the help, so that the two never disagree.
QString manPage(const QList<CliCommand> &commands);

// text escaped for roff: backslashes kept, a leading dot or quote not taken
// for a request, and "-" as the minus of options (so that the page shows
// what to type, and searches find it).
QString roffText(const QString &text);
