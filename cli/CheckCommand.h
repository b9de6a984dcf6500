#pragma once

#include <QStringList>

// lirra-oto check FOLDER [--charset N] [--no-bad-names]: loads every entry's
// wave as the editor would and prints one line per problem. args starts with
// the command name. Returns 0 without problems, 1 with some, 2 on failure.
int checkCommand(const QStringList &args);
