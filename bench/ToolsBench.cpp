#include "AliasRewrite.h"
#include "BenchSession.h"
#include "BenchUtil.h"
#include "Dialogs.h"
#include "EntryOps.h"
#include "OtoDocument.h"
#include "OtoListModel.h"
#include "ToolTexts.h"
#include "clsSett.h"
#include "modLocale.h"
#include "modUtils.h"

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

void restore(const OtoEntries &entries, const QStringList &aliases)
{
    for (qsizetype i = 0; i < entries.size(); ++i)
        entries[i]->ALS = aliases[i];
}

}  // namespace

// Rewrites every alias of a 50 000-entry voicebank by replace rules and by
// splitting, and duplicates and removes entries in the middle of its list.
void runToolsBenchmarks(const QString &scratch)
{
    constexpr int kEntries = 50000;
    const OtoEntries entries = makeEntries(kEntries);
    QStringList aliases;
    for (const auto &e : entries)
        aliases << e->ALS;
    const auto reset = [&] { restore(entries, aliases); };

    std::printf("batch alias tools: %d entries\n", kEntries);
    const QList<ReplaceRule> rules = parseReplaceRules(QStringLiteral("- =,ka=ga,a=A,sh=SH,x=y=z,tsu=tu"));
    int changed = 0;
    const double replaceMs = bench::timeMs([&] { changed = replaceAliases(entries, rules); }, 5, reset);
    bench::row("replace, 5 rules (aim <= 100)", replaceMs);
    std::printf("  %-44s %10d\n", "  aliases changed", changed);
    const QStringList combinations = toolTexts::kSplitDefault.split(u',');
    const double splitMs = bench::timeMs([&] { changed = splitAliases(entries, combinations); }, 5, reset);
    bench::row("split, default combinations (aim <= 100)", splitMs);
    std::printf("  %-44s %10d\n", "  aliases changed", changed);

    // The same through the document: load oto.ini, split, save it again.
    bench::SilentDialogs dialogs;
    clsSett sett(joinPath(scratch, QStringLiteral("tools-sett.ini")));
    sett.loadDflt();
    modLocale locale(sett, dialogs);
    locale.initLocale();
    OtoDocument doc(locale, dialogs);
    doc.wrkpath = scratch + QStringLiteral("/tools-bench");
    QDir().mkpath(doc.wrkpath);
    reset();
    doc.clcOto = entries;
    doc.setForm({.utf8Marker = true});
    doc.saveoto();
    const double fileMs = bench::timeMs([&] {
        doc.openoto(doc.wrkpath, OtoDocument::kOtoIni);
        splitAliases(doc.clcOto, combinations);
        doc.saveoto();
    }, 3, [&] { doc.clcOto = entries; reset(); doc.saveoto(); });
    bench::row("load + split + atomic save of oto.ini", fileMs);

    // Each Duplicate or Remove shifts the item data of every later row.
    reset();
    doc.clcOto = makeEntries(kEntries);
    OtoListModel list(doc.clcOto);
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
