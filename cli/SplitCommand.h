#pragma once

#include <QStringList>

// lirra-oto split FOLDER [COMBINATIONS] [--charset N]: splits every alias of
// FOLDER/oto.ini into letter units joined by spaces, keeping the listed
// combinations (comma separated; by default those the editor's Split box
// offers) together, and prints how many changed. args starts with the
// command name. Returns 0, or 2 on failure or bad usage.
int splitCommand(const QStringList &args);
