#include "control/EstimateFlow.h"

#include "oto/FlagMarks.h"
#include "core/Dialogs.h"
#include "oto/OtoDocument.h"
#include "oto/SingerFolder.h"
#include "singer/PrefixMap.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <chrono>

EstimateFlow::EstimateFlow(OtoDocument &doc, FlagMarks &flags, analysis::FeatureCache &cache, const modLocale *locale)
    : doc_(doc), flags_(flags), cache_(cache), locale_(locale)
{
}

EstimateFlow::~EstimateFlow()
{
    if (pending_.valid())
        pending_.wait();
}

namespace {

int unnamedRecordings(const OtoDocument &doc)
{
    int n = 0;
    for (const OtoDocument::FolderIndexes &f : doc.indexesByFolder()) {
        QSet<QString> named;
        for (int i : f.indexes)
            named.insert(doc.clcOto()[i]->FIL);
        for (const QString &name : recordingNames(doc.folderPath(f.folder)))
            n += named.contains(name) ? 0 : 1;
    }
    return n;
}

}  // namespace

EstimateCounts EstimateFlow::counts(int curIdx) const
{
    EstimateCounts c;
    QList<clsOto> entries;
    for (const auto &e : doc_.clcOto())
        entries << *e;
    c.unset = int(analysis::unsetIndexes(entries).size());
    c.all = int(entries.size());
    c.hasCurrent = curIdx >= 0 && curIdx < entries.size();
    if (c.hasCurrent)
        c.currentAlias = entries[curIdx].ALS;
    c.unnamedRecordings = unnamedRecordings(doc_);
    return c;
}

bool EstimateFlow::run(EstimateUi &ui, int curIdx, double roundStep)
{
    if (doc_.wrkpath().isEmpty())
        return false;
    const std::optional<EstimateChoice> choice = ui.askEstimate(counts(curIdx));
    if (!choice)
        return false;
    analysis::EstimateRequest request;
    request.scope = choice->scope;
    request.curIdx = curIdx;
    request.generate = choice->generate;
    request.roundStep = roundStep;
    std::optional<analysis::EstimateRun> run = compute(ui, request);
    if (!run)
        return false;
    apply(*run, *choice);
    ui.showSummary(title(), summary(*run, request.generate));
    return true;
}

QString EstimateFlow::newBankQuestion(qsizetype recordings, qsizetype folders)
{
    // A new file is written in UTF-8 with its marker line, so that the
    // recordings' names read back on any system (see openOrStartNew).
    if (folders > 1)
        return QStringLiteral("This folder has no entries yet. Make them from the names of its %1 recordings in %2 "
                              "folders and estimate them? Each folder's new oto.ini will be written in UTF-8 (first "
                              "line #CHARSET:UTF8), whatever the File charset setting.")
                   .arg(recordings)
                   .arg(folders)
               + QStringLiteral("\r\n")
               + QStringLiteral("此文件夾還沒有條目。要依%2個文件夾中%1個錄音的文件名生成條目並自動估算嗎？"
                                "各文件夾新的oto.ini將以UTF-8寫入（首行#CHARSET:UTF8），不論文件編碼設定為何。")
                     .arg(recordings)
                     .arg(folders);
    return QStringLiteral("This folder has no entries yet. Make them from the names of its %1 recordings and estimate "
                          "them? The new oto.ini will be written in UTF-8 (first line #CHARSET:UTF8), whatever the "
                          "File charset setting.")
               .arg(recordings)
           + QStringLiteral("\r\n")
           + QStringLiteral("此文件夾還沒有條目。要依%1個錄音的文件名生成條目並自動估算嗎？"
                            "新的oto.ini將以UTF-8寫入（首行#CHARSET:UTF8），不論文件編碼設定為何。")
                 .arg(recordings);
}

QString EstimateFlow::newFoldersQuestion(const QStringList &folders, qsizetype recordings)
{
    const QString names = folders.join(QStringLiteral(", "));
    return QStringLiteral("No oto.ini yet in %1 (%2 recordings). Make the entries as the singer's other folders name "
                          "the same recordings (else from the recordings' names) and estimate them?")
               .arg(names)
               .arg(recordings)
           + QStringLiteral("\r\n")
           + QStringLiteral("%1還沒有oto.ini（%2個錄音）。要依歌手其他文件夾中同名錄音的條目（否則依錄音的文件名）生成條目並自動估算嗎？")
                 .arg(names)
                 .arg(recordings);
}

QString EstimateFlow::offerKey(const QString &folder, const QStringList &recordings) const
{
    const QString path = doc_.folderPath(folder);
    return path + u'\n' + QString::number(QFileInfo::exists(QDir(path).filePath(QStringLiteral("oto.ini")))) + u'\n'
           + recordings.join(u'\n');
}

bool EstimateFlow::offerNewBank(Dialogs &dialogs, EstimateUi &ui, double roundStep)
{
    if (doc_.wrkpath().isEmpty())
        return false;
    const bool newBank = doc_.clcOto().isEmpty() && isNewBank(doc_.wrkpath());
    // A new bank's every folder of recordings, or a set singer's pitch
    // folders that have no oto.ini yet and sing what the others do (a
    // recording named as one the others have entries for, if they have
    // any; a folder of breaths or spare takes is not asked about at every
    // open).
    QSet<QString> named;
    for (const auto &entry : doc_.clcOto())
        named.insert(entry->FIL);
    qsizetype recordings = 0;
    QStringList folders, keys;
    for (const OtoFile &file : doc_.files()) {
        if (!newBank && !file.unwritten)
            continue;
        const QStringList names = recordingNames(doc_.folderPath(file.folder));
        const bool singsTheSame =
            named.isEmpty() || std::any_of(names.begin(), names.end(), [&](const QString &name) { return named.contains(name); });
        const QString key = offerKey(file.folder, names);
        if (names.isEmpty() || (!newBank && !singsTheSame) || declined_.contains(key))
            continue;
        recordings += names.size();
        folders << file.folder;
        keys << key;
    }
    if (recordings == 0)
        return false;
    const QString question =
        newBank ? newBankQuestion(recordings, folders.size()) : newFoldersQuestion(folders, recordings);
    if (dialogs.message({question, title(), MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::Yes}) != MsgAnswer::Yes) {
        // Not asked again while the folders stay as they are: the Estimate
        // command makes their entries whenever the user wants.
        declined_.unite(QSet<QString>(keys.begin(), keys.end()));
        return false;
    }
    analysis::EstimateRequest request;
    request.generate = true;
    if (!newBank)
        request.generateIn = folders;
    request.roundStep = roundStep;
    std::optional<analysis::EstimateRun> run = compute(ui, request);
    if (!run)
        return false;
    apply(*run, EstimateChoice{});
    ui.showSummary(title(), summary(*run, true));
    return run->madeCount() > 0;
}

std::optional<analysis::EstimateRun> EstimateFlow::compute(EstimateUi &ui, const analysis::EstimateRequest &request)
{
    // A cancelled run may still be working on the shared feature cache.
    if (pending_.valid())
        pending_.wait();
    analysis::EstimateRequest withMap = request;
    withMap.affixPairs = singer::PrefixMap::pairsIn(doc_.wrkpath(), doc_.locale());
    // The worker reads the entries while the progress box keeps the user
    // from changing them. Each folder of a singer has its own recordings.
    QHash<QString, analysis::WaveSource> waves;
    for (const OtoDocument::FolderIndexes &f : doc_.indexesByFolder())
        waves.insert(f.folder, analysis::folderWaves(doc_.folderPath(f.folder), locale_));
    pending_ = std::async(std::launch::async, [this, withMap, waves] {
        const auto wavesOf = [&](const QString &folder) { return waves.value(folder); };
        return analysis::runEstimate(doc_, withMap, wavesOf, &cache_);
    });
    const bool finished = ui.waitFor([this] {
        return pending_.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    if (!finished)
        return std::nullopt;  // the result is dropped when the run ends
    return pending_.get();
}

void EstimateFlow::apply(analysis::EstimateRun run, const EstimateChoice &choice)
{
    static constexpr double clsOto::*kFields[5] = {&clsOto::prmLF, &clsOto::prmOV, &clsOto::prmPR, &clsOto::prmFX,
                                                    &clsOto::prmRT};
    for (EntryChange &change : run.changes) {
        const clsOto &old = *doc_.clcOto()[change.index];
        for (int i = 0; i < 5; ++i)
            if (choice.keep[i])
                change.values.*kFields[i] = old.*kFields[i];
    }
    run.changes.removeIf([&](const EntryChange &c) {
        const clsOto &old = *doc_.clcOto()[c.index];
        return std::all_of(std::begin(kFields), std::end(kFields), [&](auto f) { return c.values.*f == old.*f; });
    });
    // Marked after the edit, which clears the marks of the entries it changes.
    lastFlagged_ = analysis::applyEstimateRun(doc_, run, QStringLiteral("Estimate"));
    QHash<int, QString> reasons;
    for (const analysis::Estimate &e : lastFlagged_)
        reasons.insert(e.index, e.reason);
    flags_.mark(reasons);
}

QString EstimateFlow::summary(const analysis::EstimateRun &run, bool generateAsked)
{
    QString text;
    if (const qsizetype made = run.madeCount())
        text = (made == 1 ? QStringLiteral("1 entry made for the recordings that had none.")
                          : QStringLiteral("%1 entries made for the recordings that had none.").arg(made))
               + QStringLiteral("\r\n")
               + QStringLiteral("已為沒有條目的錄音生成%1個條目。").arg(made) + QStringLiteral("\r\n");
    else if (generateAsked)
        // A complete bank's new take names only aliases it has; a breath's
        // name none.
        text = QStringLiteral("No entries made: the recordings that had none name only aliases the bank has "
                              "already, or none that can be read.")
               + QStringLiteral("\r\n")
               + QStringLiteral("未生成條目：沒有條目的錄音，其文件名只給出庫中已有的別名，或無法讀出別名。")
               + QStringLiteral("\r\n");
    text += QStringLiteral("%1 of %2 entries estimated.").arg(run.estimated).arg(run.asked)
            + QStringLiteral("\r\n") + QStringLiteral("已估算%1個條目（共%2個）。").arg(run.estimated).arg(run.asked);
    if (run.flaggedEstimates.isEmpty())
        return text;
    const qsizetype flagged = run.flaggedEstimates.size();
    text += QStringLiteral("\r\n\r\n")
            + (flagged == 1 ? QStringLiteral("This one needs a look (marked in the list; F4 steps to it):")
                            : QStringLiteral("These %1 need a look (marked in the list; F4 steps to the next):").arg(flagged))
            + QStringLiteral("\r\n") + QStringLiteral("以下%1個條目需要檢查（已在列表中標記；F4跳到下一個）：").arg(flagged);
    // A long list is cut: the box must fit on the screen.
    constexpr int kShown = 12;  // a reason often takes two lines
    for (int i = 0; i < std::min<int>(kShown, flagged); ++i) {
        const analysis::Estimate &e = run.flaggedEstimates[i];
        text += QStringLiteral("\r\n") + e.entry.ALS + (e.reason.isEmpty() ? QString() : QStringLiteral(": ") + e.reason);
    }
    if (flagged > kShown)
        text += QStringLiteral("\r\n… (+%1)").arg(flagged - kShown);
    return text;
}
