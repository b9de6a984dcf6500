#pragma once

#include <QStringList>

// lirra-oto replace FOLDER RULES [--charset N]: rewrites every alias of
// FOLDER/oto.ini by the replace rules ("before=after,..." as typed in the
// editor's Replace box) and prints how many changed. args starts with the
// command name. Returns 0, or 2 on failure or bad usage.
int replaceCommand(const QStringList &args);
