#include "cli/OtoCli.h"

#include "cli/AliasRewriteCommand.h"
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/modUtils.h"
#include "report/Problem.h"
#include "tools/AliasRewrite.h"
#include "tools/ToolTexts.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

void printSummary(const CliSession &s)
{
    printErr(QStringLiteral("entries: %1, bad: %2").arg(s.doc.clcOto().size()).arg(s.doc.lastBadLines()));
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
    if (!s.open(args.arg(0), args.value(QStringLiteral("file"))))
        return kCliFailed;

    QByteArray out;
    out.reserve(s.doc.clcOto().size() * 48);
    for (const auto &entry : s.doc.clcOto()) {
        out += entry->fileStr().toUtf8();
        out += '\n';
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fflush(stdout);
    printSummary(s);
    return 0;
}

QString encodingName(const CliSession &s)
{
    return s.doc.form().isUtf8() ? QStringLiteral("UTF-8") : s.locale.charsets().value(s.sett.settlocFile).name;
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
    const QString target = joinPath(folder, OtoDocument::kOtoIni);
    const QString keep = target + QStringLiteral(".orig");
    if (QFileInfo::exists(keep)) {
        printErr(QStringLiteral("lirra-oto: %1 exists already; move it away first, nothing was changed").arg(keep));
        return kCliFailed;
    }

    CliSession s(args.charset());
    if (!s.open(folder))
        return kCliFailed;
    const QString from = encodingName(s);

    // The new file carries the marker line when it is UTF-8; its line ends
    // stay as they were.
    TextForm form = s.doc.form();
    form.utf8Marker = toUtf8;
    form.bom = false;
    s.doc.setForm(form);
    if (toIndex)
        s.sett.settlocFile = *toIndex;
    if (const auto lost = firstUnwritableLine(s)) {
        printErr(QStringLiteral("lirra-oto: %1 cannot hold every character of this line, nothing was changed:\n%2")
                     .arg(encodingName(s), *lost));
        return kCliFailed;
    }

    if (!QFile::copy(target, keep)) {
        printErr(QStringLiteral("lirra-oto: cannot keep the previous file as %1, nothing was changed").arg(keep));
        return kCliFailed;
    }
    if (!s.doc.saveoto(OtoDocument::kOtoIni)) {
        QFile::remove(keep);  // oto.ini itself is untouched
        return kCliFailed;
    }
    if (s.doc.lastBadLines() > 0)
        printErr(QStringLiteral("note: bad lines were not carried over; %1 still holds them").arg(keep));
    std::printf("%s: %lld entries, %s -> %s\n", target.toUtf8().constData(), qlonglong(s.doc.clcOto().size()),
                from.toUtf8().constData(), encodingName(s).toUtf8().constData());
    printSummary(s);
    return 0;
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

}  // namespace

QList<CliCommand> otoCommands()
{
    const QCommandLineOption charset = charsetOption();
    return {
        {QStringLiteral("list"),
         QStringLiteral("Prints every entry of FOLDER/oto.ini as a line of the file, in UTF-8, then on standard error "
                        "the count of entries and of bad lines (which are skipped, as in the editor)."),
         {QStringLiteral("FOLDER")},
         {QCommandLineOption(QStringLiteral("file"), QStringLiteral("Read this file of the folder instead of oto.ini."),
                             QStringLiteral("NAME"), OtoDocument::kOtoIni),
          charset},
         listCommand},
        {QStringLiteral("convert"),
         QStringLiteral("Rewrites FOLDER/oto.ini in another encoding with the same entries, keeping the previous "
                        "file as oto.ini.orig. Refuses, changing nothing, when a character cannot be held."),
         {QStringLiteral("FOLDER")},
         {QCommandLineOption(QStringLiteral("to"), QStringLiteral("The new encoding: utf8 or a file charset."),
                             QStringLiteral("N|utf8")),
          charset},
         convertCommand},
        {QStringLiteral("check"),
         QStringLiteral("Loads every entry's wave as the editor would and prints one line per problem: the entry's "
                        "line, a TAB, and missing, refused: <reason> or unusable."),
         {QStringLiteral("FOLDER")},
         {charset, QCommandLineOption(QStringLiteral("no-bad-names"),
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
         {charset},
         replaceCommand},
        {QStringLiteral("estimate"),
         QStringLiteral("Estimates the five parameters of the entries not set yet (all five 0) from their recordings, "
                        "learning from the entries that are set, and prints every entry as list does; flagged "
                        "entries (worth a look, one line each: flagged, the entry's place in the list, its alias "
                        "and why, TAB separated) and the counts go to standard error."),
         {QStringLiteral("FOLDER")},
         {charset,
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
          charset,
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
         {charset},
         splitCommand},
    };
}

int runOtoCli(const QStringList &args)
{
    return runCommandLine(otoCommands(), args);
}
