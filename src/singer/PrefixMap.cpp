#include "singer/PrefixMap.h"

#include "core/modUtils.h"

#include <QFileInfo>

namespace singer {

namespace {

const char *const kNoteNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

QString noteName(int number)
{
    return QString::fromLatin1(kNoteNames[number % 12]) + QString::number(number / 12);
}

}  // namespace

QStringList PrefixMap::allNotes()
{
    QStringList notes;
    for (int n = 12; n < 8 * 12; ++n)
        notes << noteName(n);
    return notes;
}

std::optional<int> PrefixMap::noteNumber(QStringView note)
{
    static const int steps[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (note.size() < 2)
        return std::nullopt;
    const char16_t letter = QChar::toUpper(note[0].unicode());
    if (letter < u'A' || letter > u'G')
        return std::nullopt;
    int semitone = steps[letter - u'A'];
    qsizetype i = 1;
    if (note[i] == u'#')
        ++semitone, ++i;
    else if (note[i] == u'b')
        --semitone, ++i;
    bool ok = false;
    const int octave = note.sliced(i).toInt(&ok);
    if (!ok || i == note.size() || !note[i].isDigit() || octave > 10)
        return std::nullopt;
    return octave * 12 + semitone;
}

PrefixMap PrefixMap::fromText(QStringView text, const TextForm &form)
{
    PrefixMap map;
    map.form_ = form;
    const QString newline = form.lineEndText();
    map.finalLineEnd_ = text.endsWith(newline);
    if (map.finalLineEnd_)
        text.chop(newline.size());
    if (text.isEmpty() && !map.finalLineEnd_)
        return map;
    for (QStringView line : text.split(newline)) {
        const QList<QStringView> fields = line.split(u'\t');
        Line entry;
        if (fields.size() == 3 && noteNumber(fields[0])) {
            entry.note = fields[0].toString();
            entry.prefix = fields[1].toString();
            entry.suffix = fields[2].toString();
        } else {
            entry.raw = line.toString();
            entry.entry = false;
        }
        map.lines_ << entry;
    }
    return map;
}

QString PrefixMap::toText() const
{
    const QString newline = form_.lineEndText();
    QString text;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        if (i > 0)
            text += newline;
        const Line &l = lines_[i];
        text += l.isEntry() ? l.note + u'\t' + l.prefix + u'\t' + l.suffix : l.raw;
    }
    if (finalLineEnd_)
        text += newline;
    return text;
}

std::optional<PrefixMap> PrefixMap::read(const QString &root, modLocale &locale)
{
    // Most voicebanks have none: that is no failure to report.
    const QFileInfo info(joinPath(root, kFileName));
    if (!info.isFile())
        return std::nullopt;
    if (info.size() == 0)
        return PrefixMap();
    const std::optional<TextFile> file = locale.tryReadfile(joinPath(root, kFileName));
    if (!file)
        return std::nullopt;
    return fromText(file->text, file->form);
}

QList<std::pair<QString, QString>> PrefixMap::pairsIn(const QString &root, modLocale &locale)
{
    const std::optional<PrefixMap> map = read(root, locale);
    return map ? map->affixPairs() : QList<std::pair<QString, QString>>();
}

bool PrefixMap::write(const QString &root, modLocale &locale) const
{
    return locale.writefile(joinPath(root, kFileName), toText(), form_).has_value();
}

const PrefixMap::Line *PrefixMap::find(QStringView note) const
{
    const std::optional<int> number = noteNumber(note);
    for (const Line &l : lines_)
        if (l.isEntry() && noteNumber(l.note) == number)
            return &l;
    return nullptr;
}

void PrefixMap::setRange(QStringView first, QStringView last, const QString &prefix, const QString &suffix)
{
    const std::optional<int> a = noteNumber(first), b = noteNumber(last);
    if (!a || !b)
        return;
    const int low = std::min(*a, *b), high = std::max(*a, *b);
    // Which way the entries run: most maps list B7 first and C1 last.
    int descending = 0;
    std::optional<int> previous;
    for (const Line &l : lines_) {
        if (!l.isEntry())
            continue;
        const int n = *noteNumber(l.note);
        if (previous)
            descending += n < *previous ? 1 : -1;
        previous = n;
    }
    for (int n = low; n <= high; ++n) {
        bool found = false;
        for (Line &l : lines_) {
            if (l.isEntry() && noteNumber(l.note) == n) {
                l.prefix = prefix;
                l.suffix = suffix;
                found = true;
            }
        }
        if (found)
            continue;
        // Put it among the entries where the order wants it.
        qsizetype at = lines_.size();
        for (qsizetype i = 0; i < lines_.size(); ++i) {
            if (!lines_[i].isEntry())
                continue;
            const int m = *noteNumber(lines_[i].note);
            if (descending > 0 ? m < n : m > n) {
                at = i;
                break;
            }
        }
        lines_.insert(at, Line{noteName(n), prefix, suffix, QString(), true});
    }
}

QList<std::pair<QString, QString>> PrefixMap::affixPairs() const
{
    QList<std::pair<QString, QString>> pairs;
    for (const Line &l : lines_) {
        if (!l.isEntry() || (l.prefix.isEmpty() && l.suffix.isEmpty()))
            continue;
        const std::pair<QString, QString> p{l.prefix, l.suffix};
        if (!pairs.contains(p))
            pairs << p;
    }
    return pairs;
}

}  // namespace singer
