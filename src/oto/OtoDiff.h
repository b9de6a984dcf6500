#pragma once

#include "oto/OtoFormat.h"

#include <QList>
#include <QString>
#include <optional>

// The entries of an oto.ini as another program left them on disk against
// the entries held here: what reloading would add, remove and change. An
// entry is the same entry on both sides when its file name and alias match
// (the n-th of several equal ones matching the n-th); of what is left, an
// entry of the same file name on both sides in the same order is one entry
// with a changed alias.
struct EntryDifference {
    enum class Kind { Added, Removed, Changed };
    Kind kind = Kind::Changed;
    std::optional<clsOto> onDisk;  // none when Removed (only here)
    std::optional<clsOto> here;    // none when Added (only on disk)
};

// The differences in the order of the entries here, an entry only on disk
// after the entry here that its predecessor on disk matched.
QList<EntryDifference> diffEntries(const OtoEntries &onDisk, const OtoEntries &here);

// The differences as text for a person: a summary line, then one line per
// added or removed entry (its oto.ini line, with its folder) and, for each
// changed one, the fields that differ with their value here and on disk.
QString differenceText(const QList<EntryDifference> &differences);
