#pragma once

#include "oto/OtoDocument.h"

#include <functional>

class CliArgs;

// The shared part of lirra-oto replace and split: reads FOLDER/oto.ini as
// the editor does, rewrites the aliases with rewrite (which returns the
// entries whose alias changes), saves through the document's atomic save in
// the file's own encoding and prints the count. The file is left as it was
// when nothing changed (bad lines are kept in their places by a save),
// when a rewritten alias has a character the file's encoding cannot hold or
// when it changed on disk meanwhile. Returns 0, or 2 on failure.
int rewriteAliasesCommand(const CliArgs &args, const std::function<QList<AliasChange>(const OtoEntries &)> &rewrite);
