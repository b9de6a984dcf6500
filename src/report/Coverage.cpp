#include "report/Coverage.h"

#include "analysis/Estimator.h"
#include "analysis/Syllables.h"

#include "oto/modLocale.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QRegularExpression>
#include <QSet>

using analysis::AliasInfo;
using analysis::AliasSpelling;
using analysis::Syllable;

namespace {

QString baseName(const QString &recording)
{
    return QFileInfo(recording).completeBaseName();
}

QString fileName(const QString &recording)
{
    return QFileInfo(recording).fileName();
}

QStringList bankAliases(const BankInput &bank)
{
    QStringList aliases;
    aliases.reserve(bank.entries.size());
    for (const ReportEntry &e : bank.entries)
        aliases << bank.baseAlias(e);
    return aliases;
}

ExpectedAlias fromRecording(const QString &alias, const QString &recording)
{
    return {alias, recording, recording, QStringLiteral("from ") + recording};
}

// The syllables of recordings named by the usual Japanese naming.
struct NamedRecording {
    QString recording;
    analysis::FileSyllables syllables;
};

QList<NamedRecording> namedRecordings(const BankInput &bank, bool vcvOnly)
{
    QList<NamedRecording> out;
    for (const QString &recording : bank.recordings) {
        analysis::FileSyllables fs = analysis::parseFileName(fileName(recording));
        if (fs.complete && (fs.vcv || !vcvOnly))
            out.append({recording, std::move(fs)});
    }
    return out;
}

QList<ExpectedAlias> jaVcv(const BankInput &bank)
{
    const AliasSpelling spelling = analysis::bankSpelling(bankAliases(bank));
    QList<ExpectedAlias> out;
    for (const NamedRecording &r : namedRecordings(bank, true))
        for (const QString &alias : analysis::namedAliases(fileName(r.recording), spelling))
            out << fromRecording(alias, r.recording);
    return out;
}

QList<ExpectedAlias> jaCv(const BankInput &bank)
{
    const AliasSpelling spelling = analysis::bankSpelling(bankAliases(bank));
    QList<ExpectedAlias> out;
    for (const NamedRecording &r : namedRecordings(bank, false))
        for (qsizetype i = 0; i < r.syllables.syllables.size(); ++i)
            if (!r.syllables.syllables[i].rest)
                out << fromRecording(spelling.spell(r.syllables.syllables[i], r.syllables.spellings.value(i)), r.recording);
    return out;
}

// CVVC: each syllable on its own, the vowel into the next consonant
// ("a k"), and the last vowel into silence ("a -").
QList<ExpectedAlias> jaCvvc(const BankInput &bank)
{
    const AliasSpelling spelling = analysis::bankSpelling(bankAliases(bank));
    QList<ExpectedAlias> out;
    for (const NamedRecording &r : namedRecordings(bank, false)) {
        const QList<Syllable> &s = r.syllables.syllables;
        for (int i = 0; i < s.size(); ++i) {
            if (s[i].rest)
                continue;
            out << fromRecording(spelling.spell(s[i], r.syllables.spellings.value(i)), r.recording);
            const bool last = i + 1 == s.size() || s[i + 1].rest;
            if (last)
                out << fromRecording(QString(s[i].vowel) + QStringLiteral(" -"), r.recording);
            else if (!s[i + 1].consonant.isEmpty())
                out << fromRecording(QString(s[i].vowel) + u' ' + s[i + 1].consonant, r.recording);
        }
    }
    return out;
}

// An ARPAsing phonemizer looks up the word's head "- p", each diphone
// "p q" and the tail "p -".
QStringList arpasingAliases(const QStringList &phonemes)
{
    if (phonemes.isEmpty())
        return {};
    QStringList out{QStringLiteral("- ") + phonemes.first()};
    for (qsizetype i = 0; i + 1 < phonemes.size(); ++i)
        out << phonemes[i] + u' ' + phonemes[i + 1];
    out << phonemes.last() + QStringLiteral(" -");
    return out;
}

QList<ExpectedAlias> enArpasing(const BankInput &bank)
{
    QList<ExpectedAlias> out;
    for (const QString &recording : bank.recordings)
        for (const QString &alias : arpasingAliases(arpabetWords(baseName(recording))))
            out << fromRecording(alias, recording);
    return out;
}

// A recording list: one recording name a line ("#" comments); a line with
// a space in it is an alias asked for as it stands.
QList<ExpectedAlias> recordingList(const BankInput &bank, const QString &listName, const QString &text)
{
    QHash<QString, QString> recordedByName;
    for (const QString &recording : bank.recordings)
        recordedByName.insert(baseName(recording), recording);
    const AliasSpelling spelling = analysis::bankSpelling(bankAliases(bank));

    QList<ExpectedAlias> out;
    const QStringList lines = text.split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QString where = listName + u':' + QString::number(n + 1);
        if (line.contains(u' ')) {
            out.append({line, QString(), where, QStringLiteral("listed in ") + where});
            continue;
        }
        const QString name = line.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive) ? line.chopped(4) : line;
        QStringList aliases = analysis::namedAliases(name + QStringLiteral(".wav"), spelling);
        if (aliases.isEmpty())
            aliases = arpasingAliases(arpabetWords(name));
        const QString recording = recordedByName.value(name);
        for (const QString &alias : aliases) {
            if (recording.isEmpty())
                out.append({alias, QString(), where, QStringLiteral("from %1, listed in %2 but not recorded").arg(name, where)});
            else
                out << fromRecording(alias, recording);
        }
    }
    return out;
}

bool isKatakana(QChar c)
{
    return c.unicode() >= 0x30A0 && c.unicode() <= 0x30FF;
}

// presamp.ini's vowel table: "a=あ=ぁ,あ,か,が,...=100" lists the syllables
// that end in each vowel; a VCV bank has "- か" and "V か" for each of them.
QList<ExpectedAlias> presamp(const QString &listName, const QString &text)
{
    QStringList vowels, syllables;
    bool inVowels = false;
    for (QString line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            inVowels = line.compare(QStringLiteral("[VOWEL]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const QStringList fields = line.split(u'=');
        if (!inVowels || fields.size() < 3)
            continue;
        const QString vowel = fields[0].trimmed();
        if (vowel.size() == 1 && QStringLiteral("aiueon").contains(vowel))
            vowels << vowel;
        for (const QString &item : fields[2].split(u',')) {
            const QString s = item.trimmed();
            if (!s.isEmpty() && !isKatakana(s.front()) && analysis::parseOneSyllable(s) && !syllables.contains(s))
                syllables << s;
        }
    }
    QList<ExpectedAlias> out;
    const QString detail = QStringLiteral("from the vowel table of ") + listName;
    for (const QString &s : syllables) {
        out.append({QStringLiteral("- ") + s, QString(), listName, detail});
        for (const QString &v : vowels)
            out.append({v + u' ' + s, QString(), listName, detail});
    }
    return out;
}

// What two Japanese aliases have in common when they name the same sound:
// kind, vowel before and the syllable's key. Empty for anything else.
QString soundKey(const QString &alias)
{
    const AliasInfo a = analysis::parseAlias(alias);
    if (a.kind == AliasInfo::Kind::Unknown || a.kind == AliasInfo::Kind::Tail)
        return {};
    return QString::number(int(a.kind)) + a.prevVowel + u'|' + a.syllable.key();
}

// A recording that holds a Japanese alias, for expectations that came
// without one.
QString recordingFor(const BankInput &bank, const QString &alias)
{
    const AliasInfo a = analysis::parseAlias(alias);
    if (a.kind == AliasInfo::Kind::Unknown)
        return {};
    for (const QString &recording : bank.recordings) {
        const analysis::FileSyllables fs = analysis::parseFileName(fileName(recording));
        if (fs.complete && analysis::placeAlias(a, fs.syllables) >= 0)
            return recording;
    }
    return {};
}

const QSet<QString> &arpabet()
{
    static const QSet<QString> phonemes = {
        QStringLiteral("aa"), QStringLiteral("ae"), QStringLiteral("ah"), QStringLiteral("ao"), QStringLiteral("aw"),
        QStringLiteral("ax"), QStringLiteral("ay"), QStringLiteral("b"),  QStringLiteral("ch"), QStringLiteral("d"),
        QStringLiteral("dh"), QStringLiteral("dx"), QStringLiteral("eh"), QStringLiteral("er"), QStringLiteral("ey"),
        QStringLiteral("f"),  QStringLiteral("g"),  QStringLiteral("hh"), QStringLiteral("ih"), QStringLiteral("iy"),
        QStringLiteral("jh"), QStringLiteral("k"),  QStringLiteral("l"),  QStringLiteral("m"),  QStringLiteral("n"),
        QStringLiteral("ng"), QStringLiteral("ow"), QStringLiteral("oy"), QStringLiteral("p"),  QStringLiteral("r"),
        QStringLiteral("s"),  QStringLiteral("sh"), QStringLiteral("t"),  QStringLiteral("th"), QStringLiteral("uh"),
        QStringLiteral("uw"), QStringLiteral("v"),  QStringLiteral("w"),  QStringLiteral("y"),  QStringLiteral("z"),
        QStringLiteral("zh"),
    };
    return phonemes;
}

}  // namespace

QStringList arpabetWords(const QString &recordingName)
{
    static const QRegularExpression separators(QStringLiteral("[_\\- ]+"));
    const QStringList words = recordingName.split(separators, Qt::SkipEmptyParts);
    for (const QString &w : words)
        if (!arpabet().contains(w))
            return {};
    return words;
}

std::optional<QString> readCoverageFile(const QString &path, const modLocale &locale)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(64 << 20);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = modLocale::bytes2str(bytes, locale.writeCodePage(TextForm{}));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QStringList coverageProfileNames()
{
    return {QStringLiteral("ja-vcv"), QStringLiteral("ja-cv"), QStringLiteral("ja-cvvc"), QStringLiteral("en-arpasing")};
}

std::optional<CoverageProfile> coverageProfile(const QString &nameOrFile,
                                               const std::function<std::optional<QString>(const QString &)> &decode,
                                               QString *why)
{
    if (nameOrFile == QStringLiteral("ja-vcv"))
        return CoverageProfile{nameOrFile, true, jaVcv};
    if (nameOrFile == QStringLiteral("ja-cv"))
        return CoverageProfile{nameOrFile, true, jaCv};
    if (nameOrFile == QStringLiteral("ja-cvvc"))
        return CoverageProfile{nameOrFile, true, jaCvvc};
    if (nameOrFile == QStringLiteral("en-arpasing"))
        return CoverageProfile{nameOrFile, false, enArpasing};

    const QFileInfo info(nameOrFile);
    const bool isPresamp = info.fileName().compare(QStringLiteral("presamp.ini"), Qt::CaseInsensitive) == 0;
    const bool isList = info.suffix().compare(QStringLiteral("txt"), Qt::CaseInsensitive) == 0;
    if (!isPresamp && !isList) {
        *why = QStringLiteral("--coverage takes %1, a recording list (.txt) or a presamp.ini, not '%2'")
                   .arg(coverageProfileNames().join(QStringLiteral(", ")), nameOrFile);
        return std::nullopt;
    }
    const std::optional<QString> text = decode(nameOrFile);
    if (!text) {
        *why = QStringLiteral("cannot read %1").arg(nameOrFile);
        return std::nullopt;
    }
    const QString listName = info.fileName();
    if (isPresamp)
        return CoverageProfile{listName, true, [listName, t = *text](const BankInput &) { return presamp(listName, t); }};
    return CoverageProfile{listName, true,
                           [listName, t = *text](const BankInput &bank) { return recordingList(bank, listName, t); }};
}

QList<ExpectedAlias> missingAliases(const BankInput &bank, const CoverageProfile &profile)
{
    QSet<QString> have, haveKeys;
    for (const QString &alias : bankAliases(bank)) {
        have.insert(alias);
        if (profile.kanaEquivalent)
            if (const QString key = soundKey(alias); !key.isEmpty())
                haveKeys.insert(key);
    }
    QList<ExpectedAlias> missing;
    QSet<QString> reported;
    for (ExpectedAlias &e : profile.expected(bank)) {
        if (have.contains(e.alias) || reported.contains(e.alias))
            continue;
        if (profile.kanaEquivalent)
            if (const QString key = soundKey(e.alias); !key.isEmpty() && haveKeys.contains(key))
                continue;
        reported.insert(e.alias);
        if (e.recording.isEmpty() && profile.kanaEquivalent) {
            e.recording = recordingFor(bank, e.alias);
            if (!e.recording.isEmpty())
                e.detail += QStringLiteral("; from ") + e.recording;
        }
        missing << e;
    }
    return missing;
}
