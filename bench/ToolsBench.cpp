#include "bench/BenchSession.h"
#include "bench/BenchUtil.h"
#include "core/clsSett.h"
#include "core/Dialogs.h"
#include "core/modUtils.h"
#include "oto/modLocale.h"
#include "oto/OtoDocument.h"
#include "oto/OtoListModel.h"
#include "tools/AliasRewrite.h"
#include "tools/EntryOps.h"
#include "tools/ToolTexts.h"

#include <QDir>

namespace {

// Romaji and kana aliases as CV and VCV banks have them.
OtoEntries makeEntries(int count)
{
    static const char *const kStems[] = {"kya", "a shi", "- tsu", "n-a", "chya", "- か", "ryo", "e ka"};
    OtoEntries out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        auto e = std::make_shared<clsOto>();
        e->FIL = QStringLiteral("_%1.wav").arg(i);
        e->ALS = QString::fromUtf8(kStems[i % std::size(kStems)]) + QString::number(i % 10);
        e->prmLF = 100 + i % 300;
        out.append(e);
    }
    return out;
}

}  // namespace

// Rewrites every alias of a 50 000-entry voicebank by replace rules and by
// splitting, and duplicates and removes entries in the middle of its list.
void runToolsBenchmarks(const QString &scratch)
{
    constexpr int kEntries = 50000;
    bench::SilentDialogs dialogs;
    clsSett sett(joinPath(scratch, QStringLiteral("tools-sett.ini")));
    sett.loadDflt();
    modLocale locale(sett, dialogs);
    locale.initLocale();
    OtoDocument doc(locale, dialogs);
    const auto reset = [&] { doc.replaceEntries(makeEntries(kEntries)); };

    std::printf("batch alias tools: %d entries\n", kEntries);
    const QList<ReplaceRule> rules = parseReplaceRules(QStringLiteral("- =,ka=ga,a=A,sh=SH,x=y=z,tsu=tu"));
    qsizetype changed = 0;
    reset();
    const double replaceMs = bench::timeMs([&] {
        const QList<AliasChange> changes = replaceAliases(doc.clcOto(), rules);
        doc.editAliases(changes, QStringLiteral("Replace"));
        changed = changes.size();
    }, 5, reset);
    bench::row("replace, 5 rules (aim <= 100)", replaceMs);
    std::printf("  %-44s %10lld\n", "  aliases changed", qlonglong(changed));
    const QStringList combinations = toolTexts::kSplitDefault.split(u',');
    const double splitMs = bench::timeMs([&] {
        const QList<AliasChange> changes = splitAliases(doc.clcOto(), combinations);
        doc.editAliases(changes, QStringLiteral("Replace"));
        changed = changes.size();
    }, 5, reset);
    bench::row("split, default combinations (aim <= 100)", splitMs);
    std::printf("  %-44s %10lld\n", "  aliases changed", qlonglong(changed));

    // The same as a step of the undo history: undo and redo of it, and what
    // the history holds for a replace over twice as many entries.
    reset();
    doc.editAliases(replaceAliases(doc.clcOto(), rules), QStringLiteral("Replace"));
    const double undoMs = bench::timeMs([&] { doc.undo(); }, 5, [&] { doc.redo(); });
    const double redoMs = bench::timeMs([&] { doc.redo(); }, 5, [&] { doc.undo(); });
    bench::row("undo of that replace (aim <= 50)", undoMs);
    bench::row("redo of that replace (aim <= 50)", redoMs);
    doc.replaceEntries(makeEntries(2 * kEntries));
    const long rssBefore = bench::statusKb("VmRSS:");
    const QList<AliasChange> many = replaceAliases(doc.clcOto(), rules);
    doc.editAliases(many, QStringLiteral("Replace"));
    const long rssAfter = bench::statusKb("VmRSS:");
    std::printf("  %-44s %7.1f MB for %lld changed aliases\n", "  history of a replace over 100 000 entries",
                (rssAfter - rssBefore) / 1024.0, qlonglong(many.size()));

    // The same through the file: load oto.ini, split, save it again.
    const QString folder = scratch + QStringLiteral("/tools-bench");
    QDir().mkpath(folder);
    reset();
    locale.writefile(joinPath(folder, OtoDocument::kOtoIni), otoFileText(doc.clcOto(), {.utf8Marker = true}),
                     {.utf8Marker = true});
    const QByteArray original = bench::readFile(joinPath(folder, OtoDocument::kOtoIni));
    const double fileMs = bench::timeMs([&] {
        doc.openFolder(folder);
        doc.editAliases(splitAliases(doc.clcOto(), combinations), QStringLiteral("Split"));
        doc.saveoto();
    }, 3, [&] { bench::writeFile(joinPath(folder, OtoDocument::kOtoIni), original); });
    bench::row("load + split + atomic save of oto.ini", fileMs);

    // Each Duplicate or Remove shifts the item data of every later row.
    reset();
    OtoListModel list(doc);
    list.F5LstOto();
    constexpr int kOps = 200;
    const double dupRemoveMs = bench::timeMs([&] {
        for (int i = 0; i < kOps; ++i) {
            const int row = kEntries / 2;
            duplicateEntry(doc, list, row, list.rowItemData(row));
            removeEntry(doc, list, row, list.rowItemData(row));
        }
    }, 3);
    bench::row("duplicate + remove mid-list, per pair", dupRemoveMs / kOps);
}
