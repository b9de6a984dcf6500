#include "cli/OtoCli.h"

#include "cli/AliasRewriteCommand.h"
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/modUtils.h"
#include "report/Problem.h"
#include "singer/PrefixMap.h"
#include "tools/AliasRewrite.h"
#include "tools/ToolTexts.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

void printSummary(const CliSession &s)
{
    QString text = QStringLiteral("entries: %1, bad: %2").arg(s.doc.clcOto().size()).arg(s.doc.lastBadLines());
    if (s.doc.isSinger())
        text += QStringLiteral(", files: %1").arg(s.doc.writtenFiles().size());
    printErr(text);
}

QString reportKinds()
{
    QStringList names;
    for (const ProblemKindInfo &info : problemKinds())
        names << QString::fromLatin1(info.name);
    return names.join(QStringLiteral(", "));
}

int listCommand(const CliArgs &args)
{
    CliSession s(args.charset());
    std::optional<QString> only;
    if (args.isSet(QStringLiteral("folder")))
        only = args.value(QStringLiteral("folder"));
    if (!s.open(args.arg(0), args.value(QStringLiteral("file")), only))
        return kCliFailed;
    printEntries(s.doc.clcOto());
    printSummary(s);
    return 0;
}

QString encodingName(const CliSession &s, const TextForm &form)
{
    return form.isUtf8() ? QStringLiteral("UTF-8") : s.locale.charsets().value(s.sett.settlocFile).name;
}

int convertCommand(const CliArgs &args)
{
    const QString to = args.value(QStringLiteral("to"));
    const bool toUtf8 = to.compare(QStringLiteral("utf8"), Qt::CaseInsensitive) == 0
                        || to.compare(QStringLiteral("utf-8"), Qt::CaseInsensitive) == 0;
    const std::optional<int> toIndex = charsetIndex(to);
    if (!toUtf8 && !toIndex) {
        printErr(QStringLiteral("lirra-oto: --to takes utf8 or a file charset (%1), not '%2'").arg(charsetChoices(), to));
        return kCliFailed;
    }

    const QString folder = args.arg(0);
    CliSession s(args.charset());
    if (!s.open(args, folder))
        return kCliFailed;
    OtoDocument &doc = s.doc;

    // Every file keeps its previous self as oto.ini.orig; none is touched
    // unless all can be.
    // A pitch folder with no oto.ini yet has none to convert.
    QList<OtoFile> files = doc.writtenFiles();
    QStringList targets, froms;
    for (const OtoFile &file : files) {
        const QString target = joinPath(doc.folderPath(file.folder), OtoDocument::kOtoIni);
        if (QFileInfo::exists(target + QStringLiteral(".orig"))) {
            printErr(QStringLiteral("lirra-oto: %1.orig exists already; move it away first, nothing was changed").arg(target));
            return kCliFailed;
        }
        targets << target;
        froms << encodingName(s, file.layout.form);
    }

    // The new files carry the marker line when they are UTF-8; their line
    // ends stay as they were.
    for (int i = 0; i < doc.files().size(); ++i) {
        TextForm form = doc.files()[i].layout.form;
        form.utf8Marker = toUtf8;
        form.bom = false;
        doc.setFileForm(i, form);
    }
    if (toIndex)
        s.sett.settlocFile = *toIndex;
    for (const OtoFile &file : doc.files()) {
        const int codePage = s.locale.writeCodePage(file.layout.form);
        for (const auto &entry : doc.clcOto()) {
            const QString line = entry->fileStr();
            if (entry->folder != file.folder || modLocale::bytes2str(modLocale::str2bytes(line, codePage), codePage) == line)
                continue;
            printErr(QStringLiteral("lirra-oto: %1 cannot hold every character of this line, nothing was changed:\n%2")
                         .arg(encodingName(s, file.layout.form), entry->pathLineStr()));
            return kCliFailed;
        }
    }

    for (const QString &target : targets) {
        if (!QFile::copy(target, target + QStringLiteral(".orig"))) {
            printErr(QStringLiteral("lirra-oto: cannot keep the previous file as %1.orig, nothing was changed").arg(target));
            for (const QString &kept : targets)
                if (kept != target && QFile::exists(kept + QStringLiteral(".orig")))
                    QFile::remove(kept + QStringLiteral(".orig"));
            return kCliFailed;
        }
    }
    // The encoding changes every file, so every one is written.
    bool written = true;
    files = doc.writtenFiles();  // with their new forms
    for (int i = 0; i < files.size(); ++i) {
        OtoEntries entries;
        for (const auto &entry : doc.clcOto())
            if (entry->folder == files[i].folder)
                entries << entry;
        const std::optional<FileStamp> stamp = s.locale.writefile(targets[i], otoFileText(entries, files[i].layout.form), files[i].layout.form);
        if (!stamp) {
            QFile::remove(targets[i] + QStringLiteral(".orig"));  // this oto.ini is untouched
            written = false;
            continue;
        }
        if (files[i].badLines > 0)
            printErr(QStringLiteral("note: bad lines were not carried over; %1.orig still holds them").arg(targets[i]));
        std::printf("%s: %lld entries, %s -> %s\n", targets[i].toUtf8().constData(), qlonglong(entries.size()),
                    froms[i].toUtf8().constData(), encodingName(s, files[i].layout.form).toUtf8().constData());
    }
    printSummary(s);
    return written ? 0 : kCliFailed;
}

int replaceCommand(const CliArgs &args)
{
    // An empty line would be a cancelled box in the editor: refuse it here
    // rather than report zero changes for what is likely an unset variable.
    if (args.arg(1).isEmpty()) {
        printErr(QStringLiteral("lirra-oto: RULES is empty"));
        return kCliFailed;
    }
    const QList<ReplaceRule> rules = parseReplaceRules(args.arg(1));
    return rewriteAliasesCommand(args, [&](const OtoEntries &entries) { return replaceAliases(entries, rules); });
}

int splitCommand(const CliArgs &args)
{
    if (args.has(1) && args.arg(1).isEmpty()) {
        printErr(QStringLiteral("lirra-oto: COMBINATIONS is empty"));
        return kCliFailed;
    }
    const QStringList combinations = (args.has(1) ? args.arg(1) : toolTexts::kSplitDefault).split(u',');
    return rewriteAliasesCommand(args, [&](const OtoEntries &entries) { return splitAliases(entries, combinations); });
}

int prefixMapCommand(const CliArgs &args)
{
    CliSession s(args.charset());
    const std::optional<singer::PrefixMap> map = singer::PrefixMap::read(args.arg(0), s.locale);
    if (!map) {
        // An unreadable file has been reported with its reason already.
        if (!QFileInfo(joinPath(args.arg(0), singer::PrefixMap::kFileName)).exists())
            printErr(QStringLiteral("lirra-oto: %1 has no prefix.map").arg(args.arg(0)));
        return kCliFailed;
    }
    QByteArray out;
    for (const singer::PrefixMap::Line &line : map->lines())
        if (line.isEntry())
            out += (line.note + u'\t' + line.prefix + u'\t' + line.suffix + u'\n').toUtf8();
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fflush(stdout);
    return 0;
}

}  // namespace

QList<CliCommand> otoCommands()
{
    const QCommandLineOption charset = charsetOption();
    const QCommandLineOption folder = folderOption();
    return {
        {QStringLiteral("list"),
         QStringLiteral("Prints every entry of FOLDER/oto.ini as a line of the file, in UTF-8, then on standard error "
                        "the count of entries and of bad lines (which are not entries and are kept in place by a save, as in the "
                        "editor). A singer's "
                        "folder lists its own oto.ini, then those of its subfolders at any depth in the byte order "
                        "of their paths, each file name written relative to FOLDER (A3/0.wav=...)."),
         {QStringLiteral("FOLDER")},
         {QCommandLineOption(QStringLiteral("file"), QStringLiteral("Read this file of the folder instead of oto.ini."),
                             QStringLiteral("NAME"), OtoDocument::kOtoIni),
          charset, folder},
         listCommand},
        {QStringLiteral("convert"),
         QStringLiteral("Rewrites FOLDER/oto.ini in another encoding with the same entries, keeping the previous "
                        "file as oto.ini.orig. Refuses, changing nothing, when a character cannot be held."),
         {QStringLiteral("FOLDER")},
         {QCommandLineOption(QStringLiteral("to"), QStringLiteral("The new encoding: utf8 or a file charset."),
                             QStringLiteral("N|utf8")),
          charset, folder},
         convertCommand},
        {QStringLiteral("check"),
         QStringLiteral("Loads every entry's wave as the editor would and prints one line per problem: the entry's "
                        "line, a TAB, and missing, refused: <reason> or unusable."),
         {QStringLiteral("FOLDER")},
         {charset, folder, QCommandLineOption(QStringLiteral("no-bad-names"),
                                      QStringLiteral("Look for each wave under its name as written first (the "
                                                     "\"Bad filenames?\" rule off)."))},
         checkCommand},
        {QStringLiteral("report"),
         QStringLiteral("Checks a whole bank (FOLDER's oto.ini, or every oto.ini below FOLDER for a singer with pitch "
                        "folders) and prints one problem a line: KIND, WHERE (oto.ini:LINE, or a recording's path), "
                        "ALIAS and DETAIL separated by TAB; then the count per kind on standard error. Exit status 1 "
                        "when there are problems. Kinds: ") + reportKinds() + u'.',
         {QStringLiteral("FOLDER")},
         {charset,
          QCommandLineOption(QStringLiteral("coverage"),
                             QStringLiteral("Also report the aliases the recordings imply that no entry has (prefix.map's "
                                            "prefixes and suffixes taken off first): ja-vcv (recordings \"_あいう.wav\": "
                                            "\"- あ\", \"a い\" ...), ja-cv (one alias a syllable), ja-cvvc (CV, \"a k\", "
                                            "\"a -\"), en-arpasing (recordings named by ARPAbet phonemes: \"- aa\", "
                                            "\"aa b\", \"b -\"), a recording list FILE.txt (one recording a line, # "
                                            "comments; a line with a space is an alias) or a presamp.ini (its vowel "
                                            "table)."),
                             QStringLiteral("PROFILE|FILE"))},
         reportCommand},
        {QStringLiteral("replace"),
         QStringLiteral("Rewrites every alias by the rules typed as in the editor's Replace box: before=after items "
                        "separated by \",\", applied in order; saves oto.ini in its own encoding."),
         {QStringLiteral("FOLDER"), QStringLiteral("RULES")},
         {charset, folder},
         replaceCommand},
        {QStringLiteral("estimate"),
         QStringLiteral("Estimates the five parameters of the entries not set yet (all five 0) from their recordings, "
                        "learning from the entries that are set, and prints every entry as list does; flagged "
                        "entries (worth a look, one line each: flagged, the entry's place in the list, its alias "
                        "and why, TAB separated) and the counts go to standard error."),
         {QStringLiteral("FOLDER")},
         {charset, folder,
          QCommandLineOption(QStringLiteral("no-bad-names"),
                             QStringLiteral("Look for each wave under its name as written first.")),
          QCommandLineOption(QStringLiteral("all"),
                             QStringLiteral("Estimate every entry, from the recordings alone.")),
          QCommandLineOption(QStringLiteral("generate"),
                             QStringLiteral("Add entries for the waves no entry names, named as the bank names its "
                                            "entries or by the usual naming of VCV and CV recordings, estimated too, "
                                            "after the others; a folder without oto.ini (or with an empty one) gets "
                                            "all its entries this way, and --save creates oto.ini in UTF-8 unless "
                                            "--charset is given.")),
          QCommandLineOption(QStringLiteral("save"),
                             QStringLiteral("Write oto.ini (whole or not at all) in its own encoding and line ends."))},
         estimateCommand},
        {QStringLiteral("frq"),
         QStringLiteral("Writes the frequency file NAME_wav.frq (the pitch, 256 samples a frame, that resamplers read) "
                        "beside each NAME.wav of FOLDER and of its subfolders (a singer's pitch folders; hidden ones "
                        "are skipped) that has none, on all cores, each file whole or not at all. Failures and the "
                        "counts go to standard error; exit status 1 when a recording could not be done."),
         {QStringLiteral("FOLDER")},
         {QCommandLineOption(QStringLiteral("force"),
                             QStringLiteral("Write them for every recording, replacing those there are."))},
         frqCommand},
        {QStringLiteral("render"),
         QStringLiteral("Sings the entries of FOLDER/oto.ini with these aliases as a synthesizer places them, one "
                        "after another at the pitch of --note: each from its left bound, its preutterance on the "
                        "beat, its fixed length at its own speed and the rest stretched to fill the note, joined "
                        "to the one before at its overlap. Writes a 44.1 kHz 16-bit mono WAV that starts at the "
                        "first entry's left bound, whole or not at all; nothing when an alias is not in the bank."),
         {QStringLiteral("FOLDER"), QStringLiteral("ALIAS"), QStringLiteral("[ALIAS...]")},
         {QCommandLineOption(QStringLiteral("note"),
                             QStringLiteral("The pitch: a note name (A4, F#3, Bb2) or a frequency in Hz."),
                             QStringLiteral("NOTE")),
          QCommandLineOption(QStringLiteral("length"),
                             QStringLiteral("Every note lasts this many ms (instead of a beat at --tempo)."),
                             QStringLiteral("MS")),
          QCommandLineOption(QStringLiteral("tempo"),
                             QStringLiteral("Quarter notes at this many beats a minute. Default 120."),
                             QStringLiteral("BPM"), QStringLiteral("120")),
          QCommandLineOption(QStringLiteral("click"), QStringLiteral("Add a metronome click on every beat.")),
          QCommandLineOption(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                             QStringLiteral("The WAV file to write."), QStringLiteral("OUT.wav")),
          charset},
         renderCommand},
        {QStringLiteral("run"),
         QStringLiteral("Runs a VBScript or JScript file over FOLDER/oto.ini, as the editor's script console would: "
                        "env.clcOto, env.curOto (the first entry), env.curwav, env.saveoto and the built-in "
                        "functions; trace writes to standard output. A script error is reported on standard "
                        "error (exit status 1) and nothing is saved."),
         {QStringLiteral("SCRIPT"), QStringLiteral("FOLDER")},
         {QCommandLineOption(QStringLiteral("lang"),
                             QStringLiteral("The script's language, vbs or js; by default from the file's extension."),
                             QStringLiteral("vbs|js")),
          charset, folder,
          QCommandLineOption(QStringLiteral("save"),
                             QStringLiteral("Write oto.ini (in its own encoding) when the script ran without error.")),
          QCommandLineOption(QStringLiteral("timeout"),
                             QStringLiteral("Stop the script after this many seconds; 0 for no limit. Default 3."),
                             QStringLiteral("SECONDS"), QStringLiteral("3")),
          QCommandLineOption(QStringLiteral("memory"),
                             QStringLiteral("Stop the script with \"Out of memory\" when it takes more than this "
                                            "many MiB; 0 for no limit. Default 1024."),
                             QStringLiteral("MIB"), QStringLiteral("1024"))},
         runCommand},
        {QStringLiteral("split"),
         QStringLiteral("Puts a space between the letters of every alias, keeping the listed combinations together "
                        "(comma separated; by default the editor's list); saves oto.ini in its own encoding."),
         {QStringLiteral("FOLDER"), QStringLiteral("[COMBINATIONS]")},
         {charset, folder},
         splitCommand},
        {QStringLiteral("prefix-map"),
         QStringLiteral("Prints the singer's prefix.map as NOTE<TAB>PREFIX<TAB>SUFFIX lines in UTF-8, in the file's "
                        "order; lines that are not such entries are left out."),
         {QStringLiteral("FOLDER")},
         {charset},
         prefixMapCommand},
    };
}

int runOtoCli(const QStringList &args)
{
    return runCommandLine(otoCommands(), args);
}
