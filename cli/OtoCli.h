#pragma once

#include <QStringList>

// lirra-oto: args excludes the program name. Returns the exit status: 0
// success, 1 problems found, 2 failure or bad usage.
int runOtoCli(const QStringList &args);
