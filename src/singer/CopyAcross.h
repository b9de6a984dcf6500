#pragma once

#include "oto/OtoDocument.h"
#include "singer/BaseAlias.h"

#include <QStringList>

class modLocale;

namespace singer {

// The current entry's five parameters copied to the entry with the same
// base alias in other folders, each shifted onto its own recording.
struct CopyAcross {
    QList<EntryChange> changes;
    QStringList unsure;   // "C5/0.wav (why)": copied, worth a look
    QStringList skipped;  // folders without the alias or with a wave that cannot be read
};

CopyAcross copyAcrossFolders(const OtoDocument &doc, const SameAlias &same, int index, const QStringList &folders,
                             modLocale *locale);

}  // namespace singer
