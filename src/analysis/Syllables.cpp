#include "analysis/Syllables.h"

#include <QHash>
#include <array>

namespace analysis {

namespace {

struct KanaSound {
    const char *consonant;
    char vowel;
};

// Hiragana from あ (U+3041) to ゖ (U+3096); katakana is mapped onto it.
// Small kana have an empty consonant and are handled by joinSmall.
const QHash<char16_t, KanaSound> &kanaTable()
{
    static const QHash<char16_t, KanaSound> table = [] {
        QHash<char16_t, KanaSound> t;
        auto row = [&](const char16_t *kana, const char *consonant) {
            const char vowels[] = {'a', 'i', 'u', 'e', 'o'};
            for (int i = 0; i < 5; ++i)
                if (kana[i] != u'・')
                    t.insert(kana[i], {consonant, vowels[i]});
        };
        row(u"あいうえお", "");
        row(u"かきくけこ", "k");
        row(u"がぎぐげご", "g");
        row(u"さ・すせそ", "s");
        row(u"ざ・ずぜぞ", "z");
        row(u"た・・てと", "t");
        row(u"だ・・でど", "d");
        row(u"なにぬねの", "n");
        row(u"はひ・へほ", "h");
        row(u"ばびぶべぼ", "b");
        row(u"ぱぴぷぺぽ", "p");
        row(u"まみむめも", "m");
        row(u"や・ゆ・よ", "y");
        row(u"らりるれろ", "r");
        row(u"わゐ・ゑを", "w");
        t.insert(u'し', {"sh", 'i'});
        t.insert(u'じ', {"j", 'i'});
        t.insert(u'ち', {"ch", 'i'});
        t.insert(u'つ', {"ts", 'u'});
        t.insert(u'ぢ', {"j", 'i'});
        t.insert(u'づ', {"z", 'u'});
        t.insert(u'ふ', {"f", 'u'});
        t.insert(u'ゔ', {"v", 'u'});
        return t;
    }();
    return table;
}

char16_t toHiragana(char16_t c)
{
    if (c >= u'ァ' && c <= u'ヶ')
        return char16_t(c - 0x60);
    return c;
}

bool isSmallVowel(char16_t c) { return c == u'ぁ' || c == u'ぃ' || c == u'ぅ' || c == u'ぇ' || c == u'ぉ'; }
bool isSmallY(char16_t c) { return c == u'ゃ' || c == u'ゅ' || c == u'ょ'; }
bool isPalatal(const QString &c) { return c == u"sh" || c == u"ch" || c == u"j"; }

QChar smallVowel(char16_t c)
{
    switch (c) {
    case u'ぁ': case u'ゃ': case u'ゎ': return u'a';
    case u'ぃ': return u'i';
    case u'ぅ': case u'ゅ': return u'u';
    case u'ぇ': return u'e';
    default: return u'o';
    }
}

// The consonant of a syllable made palatal by a small ゃ ゅ ょ (or ぃ ぇ
// after an i): き k to ky, す s to sh, つ ts to ch, い to y; one already
// palatal or already a glide (sh, ky, kw) stays, so that every result is
// a consonant romaji spells.
void palatalise(QString &c)
{
    if (c.isEmpty())
        c = QStringLiteral("y");
    else if (c == u"s")
        c = QStringLiteral("sh");
    else if (c == u"z")
        c = QStringLiteral("j");
    else if (c == u"ts")
        c = QStringLiteral("ch");
    else if (!isPalatal(c) && !c.endsWith(u'y') && !c.endsWith(u'w'))
        c += u'y';
}

// A small kana changes the syllable before it: き+ゃ is kya, く+ぁ kwa,
// て+ぃ ti, う+ぃ wi, い+ぇ ye. After a glide (きゃ, くぁ) one more only
// changes the vowel.
void joinSmall(Syllable &s, char16_t small)
{
    const QChar v = smallVowel(small);
    QString &c = s.consonant;
    const bool glided = c == u"y" || c == u"w" || (c.size() > 1 && (c.endsWith(u'y') || c.endsWith(u'w')));
    if (glided) {
        // the vowel only
    } else if (small == u'ゎ') {
        c += u'w';
    } else if (isSmallY(small) || s.vowel == u'i') {
        palatalise(c);
    } else if (s.vowel == u'u') {
        if (c.isEmpty())
            c = QStringLiteral("w");
        else if (c == u"k" || c == u"g")
            c += u'w';
    }
    s.vowel = v;
    if (c == u"h" && v == u'u')
        c = QStringLiteral("f");  // ほぅ sounds as ふ, as romaji hu does
}

// spelt, when given, gets each syllable's text as written (a held closure's
// っ left out).
qsizetype parseKana(QStringView text, qsizetype pos, QList<Syllable> &out, QStringList *spelt)
{
    const qsizetype start = pos;
    auto add = [&](const Syllable &s) {
        out.append(s);
        if (spelt)
            spelt->append(text[pos]);
    };
    while (pos < text.size()) {
        const char16_t c = toHiragana(text[pos].unicode());
        if (text[pos] == u'R') {
            add(restSyllable());
        } else if (c == u'ん') {
            add(Syllable{QString(), u'n'});
        } else if (c == u'ー' && !out.isEmpty() && !out.last().rest) {
            add(Syllable{QString(), out.last().vowel});
        } else if (c == u'っ') {
            // A held closure belongs to the consonant after it.
        } else if ((isSmallVowel(c) || isSmallY(c) || c == u'ゎ') && !out.isEmpty() && !out.last().rest
                   && out.last().vowel != u'n') {
            joinSmall(out.last(), c);
            if (spelt)
                spelt->last() += text[pos];
        } else if (auto it = kanaTable().constFind(c); it != kanaTable().constEnd()) {
            add(Syllable{QString::fromLatin1(it->consonant), QChar::fromLatin1(it->vowel)});
        } else {
            break;
        }
        ++pos;
    }
    return pos - start;
}

bool isVowelLetter(QChar c) { return c == u'a' || c == u'i' || c == u'u' || c == u'e' || c == u'o'; }

// Longest first, so that "sh" wins over "s".
const std::array<const char *, 40> kRomajiConsonants = {
    "sh", "ch", "ts", "ky", "gy", "ny", "hy", "by", "py", "my", "ry", "ty", "dy", "kw",
    "gw", "fy", "vy", "zy", "jy", "sy", "cy", "dz", "k",  "g",  "s",  "z",  "j",  "t",
    "d",  "n",  "h",  "f",  "b",  "p",  "m",  "y",  "r",  "w",  "v",  "l"};

QString normaliseConsonant(const QString &c)
{
    if (c == u"sy") return QStringLiteral("sh");
    if (c == u"zy" || c == u"jy") return QStringLiteral("j");
    if (c == u"cy") return QStringLiteral("ch");
    if (c == u"dz") return QStringLiteral("z");
    if (c == u"l") return QStringLiteral("r");
    return c;
}

qsizetype parseRomaji(QStringView text, qsizetype pos, QList<Syllable> &out, QStringList *spelt)
{
    const qsizetype start = pos;
    auto add = [&](const Syllable &s, qsizetype length) {
        out.append(s);
        if (spelt)
            spelt->append(text.sliced(pos, length).toString());
        pos += length;
    };
    while (pos < text.size()) {
        if (text[pos] == u'R') {
            add(restSyllable(), 1);
            continue;
        }
        if (isVowelLetter(text[pos])) {
            add(Syllable{QString(), text[pos]}, 1);
            continue;
        }
        bool matched = false;
        for (const char *cons : kRomajiConsonants) {
            const auto c = QLatin1StringView(cons);
            if (text.sliced(pos).startsWith(c) && pos + c.size() < text.size() && isVowelLetter(text[pos + c.size()])) {
                Syllable s{normaliseConsonant(QString(c)), text[pos + c.size()]};
                if (s.consonant == u"h" && s.vowel == u'u')
                    s.consonant = QStringLiteral("f");
                add(s, c.size() + 1);
                matched = true;
                break;
            }
        }
        if (matched)
            continue;
        // n before anything that is no vowel (or at the end) is ん.
        if (text[pos] == u'n' && (pos + 1 == text.size() || text[pos + 1] != u'y')) {
            const bool doubled = pos + 1 < text.size() && text[pos + 1] == u'n' && !(pos + 2 < text.size() && isVowelLetter(text[pos + 2]));
            add(Syllable{QString(), u'n'}, doubled ? 2 : 1);
            continue;
        }
        break;
    }
    return pos - start;
}

bool isKana(QChar c)
{
    const char16_t h = toHiragana(c.unicode());
    return (h >= u'ぁ' && h <= u'ゖ') || h == u'ー';
}

// Variant spellings of one sound, for a second try when the exact spelling
// is not in the file name.
QString plainKey(const QString &key)
{
    if (key == u"wo") return QStringLiteral("o");
    if (key == u"wi") return QStringLiteral("i");
    if (key == u"we") return QStringLiteral("e");
    return key;
}

bool isVowelToken(QStringView t, QChar *vowel)
{
    if (t.size() != 1)
        return false;
    const QChar c = t[0].toLower();
    if (isVowelLetter(c) || c == u'n') {
        *vowel = c;
        return true;
    }
    const char16_t h = toHiragana(t[0].unicode());
    if (h == u'ん') {
        *vowel = u'n';
        return true;
    }
    if (auto it = kanaTable().constFind(h); it != kanaTable().constEnd() && it->consonant[0] == 0) {
        *vowel = QChar::fromLatin1(it->vowel);
        return true;
    }
    return false;
}

// A romaji consonant with nothing after it but pitch marks ("k", "ky",
// "sh", "kA3"): the end of a CVVC entry "a k".
std::optional<QString> consonantAlone(QStringView t)
{
    for (const char *cons : kRomajiConsonants) {
        const auto c = QLatin1StringView(cons);
        if (!t.startsWith(c))
            continue;
        const QStringView rest = t.sliced(c.size());
        if (!rest.isEmpty() && (isVowelLetter(rest[0]) || rest[0].isLower()))
            continue;
        return normaliseConsonant(QString(c));
    }
    return std::nullopt;
}

// A consonant without its glide: "ky" and "k" are one place of the mouth.
QStringView plainConsonant(QStringView c)
{
    return c.size() > 1 && (c.endsWith(u'y') || c.endsWith(u'w')) && c != u"ts" ? c.chopped(1) : c;
}

bool isSilenceToken(QStringView t) { return t == u"-" || t == u"R" || t == u"・"; }

bool matches(const Syllable &fileSyllable, const Syllable &wanted, bool plain)
{
    if (fileSyllable.rest)
        return false;
    return plain ? plainKey(fileSyllable.key()) == plainKey(wanted.key()) : fileSyllable.key() == wanted.key();
}

QChar vowelOf(const Syllable &s) { return s.vowel; }

}  // namespace

Syllable restSyllable() { return Syllable{QString(), QChar(), true}; }

QString Syllable::key() const
{
    if (rest)
        return QStringLiteral("R");
    if (vowel == u'n' && consonant.isEmpty())
        return QStringLiteral("n");
    if (vowel.isNull())  // a consonant alone (CVVC)
        return consonant;
    return consonant + vowel;
}

QString Syllable::plainKey() const { return analysis::plainKey(key()); }

ConsonantClass Syllable::consonantClass() const
{
    if (rest)
        return ConsonantClass::None;
    if (vowel == u'n' && consonant.isEmpty())
        return ConsonantClass::MoraicNasal;
    QString c = consonant;
    if (c.size() > 1 && (c.endsWith(u'y') || c.endsWith(u'w')) && c != u"ts")
        c.chop(1);
    if (c.isEmpty())
        return ConsonantClass::None;
    if (c == u"k" || c == u"t" || c == u"p")
        return ConsonantClass::UnvoicedPlosive;
    if (c == u"g" || c == u"d" || c == u"b")
        return ConsonantClass::VoicedPlosive;
    if (c == u"s" || c == u"sh" || c == u"h" || c == u"f")
        return ConsonantClass::UnvoicedFricative;
    if (c == u"z" || c == u"j" || c == u"v")
        return ConsonantClass::VoicedFricative;
    if (c == u"ts" || c == u"ch")
        return ConsonantClass::Affricate;
    if (c == u"m" || c == u"n")
        return ConsonantClass::Nasal;
    if (c == u"r")
        return ConsonantClass::Liquid;
    return ConsonantClass::Glide;  // y, w
}

QList<Syllable> parseSyllables(QStringView text, qsizetype *consumed, QStringList *spelt)
{
    QList<Syllable> out;
    qsizetype n = 0;
    if (!text.isEmpty())
        n = isKana(text[0]) ? parseKana(text, 0, out, spelt) : parseRomaji(text, 0, out, spelt);
    if (consumed)
        *consumed = n;
    return out;
}

std::optional<Syllable> parseOneSyllable(QStringView text)
{
    qsizetype used = 0;
    const QList<Syllable> s = parseSyllables(text, &used);
    if (s.size() != 1 || s[0].rest)
        return std::nullopt;
    // Whatever follows must not start another syllable (か2, kaA3, か↑).
    if (!parseSyllables(text.sliced(used)).isEmpty() && !text.sliced(used).startsWith(u'R'))
        return std::nullopt;
    return s[0];
}

QString romajiOf(const Syllable &s) { return s.key(); }

QString kanaOf(const Syllable &s)
{
    if (s.rest)
        return QStringLiteral("R");
    if (s.vowel == u'n' && s.consonant.isEmpty())
        return QStringLiteral("ん");
    // The plain kana whose reading is exactly the syllable, else the kana of
    // its consonant row with the vowel's small kana.
    for (auto it = kanaTable().constBegin(); it != kanaTable().constEnd(); ++it)
        if (QString::fromLatin1(it->consonant) == s.consonant && QChar::fromLatin1(it->vowel) == s.vowel)
            if (it.key() != u'ゐ' && it.key() != u'ゑ' && it.key() != u'ぢ' && it.key() != u'づ')
                return QString(QChar(it.key()));
    // Each such consonant and the kana its row is written with, as the
    // pairs "ky き gy ぎ ...".
    static const QHash<QString, QString> combined = [] {
        const QStringList words = QStringLiteral("ky き gy ぎ ny に hy ひ by び py ぴ my み ry り sh し ch ち j じ "
                                                 "ty て dy で fy ふ kw く gw ぐ ts つ f ふ t て d で s す z ず w う "
                                                 "y い v ゔ")
                                      .split(u' ');
        QHash<QString, QString> pairs;
        for (qsizetype i = 0; i + 1 < words.size(); i += 2)
            pairs.insert(words[i], words[i + 1]);
        return pairs;
    }();
    const QString base = combined.value(s.consonant);
    if (base.isEmpty())
        return s.key();
    const bool yRow = s.consonant.endsWith(u'y') && s.consonant != u"y";
    const bool palatal = yRow || isPalatal(s.consonant);
    if (palatal && (s.vowel == u'a' || s.vowel == u'u' || s.vowel == u'o'))
        return base + QChar(s.vowel == u'a' ? u'ゃ' : s.vowel == u'u' ? u'ゅ' : u'ょ');
    if ((s.consonant == u"t" || s.consonant == u"d") && s.vowel == u'u')
        return (s.consonant == u"t" ? QStringLiteral("と") : QStringLiteral("ど")) + QChar(u'ぅ');
    static const char16_t smallVowels[] = u"ぁぃぅぇぉ";
    const int vi = QStringLiteral("aiueo").indexOf(s.vowel);
    return vi < 0 ? s.key() : base + QChar(smallVowels[vi]);
}

AliasInfo parseAlias(QStringView alias)
{
    AliasInfo info;
    const QStringView a = alias.trimmed();
    if (a.isEmpty())
        return info;
    const qsizetype space = a.indexOf(u' ');
    if (space > 0) {
        const QStringView first = a.first(space);
        const QStringView second = a.sliced(space + 1).trimmed();
        QChar vowel;
        if (isSilenceToken(first)) {
            if (auto s = parseOneSyllable(second)) {
                info.kind = AliasInfo::Kind::Head;
                info.syllable = *s;
            }
        } else if (isVowelToken(first, &vowel)) {
            info.prevVowel = vowel;
            // A pitch folder's tail carries its suffix: "a RA3", "a -C5".
            const bool marked = second.startsWith(u'R') || second.startsWith(u'-');
            if (isSilenceToken(second) || (marked && parseSyllables(second.sliced(1)).isEmpty())) {
                info.kind = AliasInfo::Kind::Tail;
            } else if (auto s = parseOneSyllable(second)) {
                info.kind = AliasInfo::Kind::Vcv;
                info.syllable = *s;
            } else if (auto c = consonantAlone(second)) {
                info.kind = AliasInfo::Kind::Vc;
                info.syllable = Syllable{*c, QChar()};
            }
        }
        return info;
    }
    if (a.startsWith(u'-') && a.size() > 1) {
        if (auto s = parseOneSyllable(a.sliced(1))) {
            info.kind = AliasInfo::Kind::Head;
            info.syllable = *s;
        }
        return info;
    }
    if (auto s = parseOneSyllable(a)) {
        info.kind = AliasInfo::Kind::Cv;
        info.syllable = *s;
    }
    return info;
}

FileSyllables parseFileName(QStringView fileName)
{
    FileSyllables out;
    QStringView name = fileName;
    const qsizetype slash = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    if (slash >= 0)
        name = name.sliced(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0)
        name = name.first(dot);
    out.vcv = name.startsWith(u'_');
    qsizetype pos = 0;
    while (pos < name.size()) {
        if (name[pos] == u'_' || name[pos] == u'-' || name[pos] == u' ') {
            ++pos;
            continue;
        }
        qsizetype used = 0;
        out.syllables += parseSyllables(name.sliced(pos), &used, &out.spellings);
        if (used == 0)
            break;
        pos += used;
    }
    while (pos < name.size() && name[pos].isDigit())
        ++pos;
    out.complete = pos == name.size() && !out.syllables.isEmpty();
    return out;
}

int placeAlias(const AliasInfo &alias, const QList<Syllable> &s, int occurrence, bool vcvNamed)
{
    using Kind = AliasInfo::Kind;
    for (bool plain : {false, true}) {
        QList<int> after, fromSilence;  // the places that fit
        for (int i = 0; i < s.size(); ++i) {
            const bool afterVowel = i > 0 && !s[i - 1].rest;
            bool fits = false;
            switch (alias.kind) {
            case Kind::Cv:
            case Kind::Vcv:
                fits = matches(s[i], alias.syllable, plain)
                       && (alias.kind == Kind::Cv || (afterVowel && vowelOf(s[i - 1]) == alias.prevVowel));
                break;
            case Kind::Head:
                fits = matches(s[i], alias.syllable, plain) && !afterVowel;
                break;
            case Kind::Tail:
                fits = !plain && !s[i].rest && vowelOf(s[i]) == alias.prevVowel && (i + 1 == s.size() || s[i + 1].rest);
                break;
            case Kind::Vc:
                fits = afterVowel && !s[i].rest && vowelOf(s[i - 1]) == alias.prevVowel && !s[i].consonant.isEmpty()
                       && (plain ? plainConsonant(s[i].consonant) == plainConsonant(alias.syllable.consonant)
                                 : s[i].consonant == alias.syllable.consonant);
                break;
            case Kind::Unknown:
            case Kind::Phonemes:
                break;
            }
            if (fits)
                (vcvNamed && alias.kind == Kind::Cv && !afterVowel ? fromSilence : after) << i;
        }
        const QList<int> places = after + fromSilence;
        if (occurrence < places.size())
            return places[occurrence];
    }
    return -1;
}

bool readsAsPhonemes(const QStringList &aliases)
{
    int english = 0, japanese = 0;
    for (const QString &a : aliases) {
        const bool jp = parseAlias(a).kind != AliasInfo::Kind::Unknown;
        const bool en = parsePhonemeAlias(a).kind != PhonemeAlias::Kind::Unknown;
        english += en && !jp ? 1 : 0;
        japanese += jp && !en ? 1 : 0;
    }
    return english > japanese;
}

AliasInfo parseAliasIn(QStringView alias, bool phonemeBank)
{
    if (!phonemeBank)
        return parseAlias(alias);
    AliasInfo info;
    info.phonemes = parsePhonemeAlias(alias);
    if (info.phonemes.kind != PhonemeAlias::Kind::Unknown)
        info.kind = AliasInfo::Kind::Phonemes;
    return info;
}

}  // namespace analysis
