#include "singer/CopyAcross.h"

#include "singer/Alignment.h"
#include "wave/clsWave.h"

namespace singer {

CopyAcross copyAcrossFolders(const OtoDocument &doc, const SameAlias &same, int index, const QStringList &folders,
                             modLocale *locale)
{
    CopyAcross result;
    if (index < 0 || index >= doc.clcOto().size())
        return result;
    const clsOto &source = *doc.clcOto()[index];
    clsWave from(locale);
    QString name = source.FIL;
    if (!from.ReadFile(doc.folderPath(source.folder), name)) {
        result.skipped = folders;
        return result;
    }
    for (const QString &folder : folders) {
        const int target = same.inFolder(index, folder);
        if (target < 0 || target == index) {
            result.skipped << folder;
            continue;
        }
        const clsOto &entry = *doc.clcOto()[target];
        clsWave to(locale);
        QString targetName = entry.FIL;
        if (!to.ReadFile(doc.folderPath(entry.folder), targetName)) {
            result.skipped << folder;
            continue;
        }
        const Alignment a = alignRecordings(from.samples(), to.samples(), from.Samplerate);
        result.changes.append({target, shiftedParameters(source, from.LengthMs, entry, to.LengthMs, a.shiftMs)});
        if (a.unsure)
            result.unsure << entry.pathStr() + QStringLiteral(" (") + a.why + u')';
    }
    return result;
}

}  // namespace singer
