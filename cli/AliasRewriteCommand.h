#pragma once

#include "oto/OtoFormat.h"

#include <QStringList>
#include <functional>

// The shared part of lirra-oto replace and split: reads FOLDER/oto.ini as
// the editor does (--charset N), rewrites every alias with rewrite (which
// returns how many changed), saves through the document's atomic save in the
// file's own encoding and prints the count. The file is left as it was when
// nothing changed, when it holds bad lines (saving would drop them) or when
// a rewritten alias has a character the file's encoding cannot hold.
// folder and the options after the command's own arguments are passed in;
// usageLine is printed on bad usage. Returns 0, or 2 on failure.
int rewriteAliasesCommand(const QString &folder, const QStringList &options, const char *usageLine,
                          const std::function<int(const OtoEntries &)> &rewrite);

// Prints "lirra-oto: problem" and the usage line; returns 2.
int rewriteUsage(const QString &problem, const char *usageLine);
