#pragma once

#include "analysis/Phonemes.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace analysis {

// How a consonant sounds, which is what its boundaries look like in the signal.
enum class ConsonantClass {
    None,               // a vowel alone
    UnvoicedPlosive,    // k t p: a silent closure, a burst
    VoicedPlosive,      // g d b: a voiced closure, a burst
    UnvoicedFricative,  // s sh h f: noise, no voice
    VoicedFricative,    // z j v: noise over voice
    Affricate,          // ts ch: closure then noise
    Nasal,              // m n ny: voiced murmur, quieter than a vowel
    Liquid,             // r: a short tap
    Glide,              // y w: only the spectrum moves
    MoraicNasal,        // ん on its own
};

// One sung syllable (a mora), or a rest. consonant is romaji in its usual
// spelling ("k", "ky", "sh", "ts", "" for a vowel alone); vowel is one of
// a i u e o, or n for ん.
struct Syllable {
    QString consonant;
    QChar vowel;
    bool rest = false;

    // The spelling two syllables are compared by: ぢ and じ, づ and ず, hu
    // and fu name the same sound and get the same key.
    QString key() const;
    // The key with the sounds a w may be sung without folded in: を and お,
    // ゐ and い, ゑ and え.
    QString plainKey() const;
    ConsonantClass consonantClass() const;
    bool operator==(const Syllable &) const = default;
};

Syllable restSyllable();

// Kana (hiragana or katakana, small kana joining the syllable before) or
// romaji, one syllable after another; "R" is a rest. Stops at the first
// character that starts no syllable; consumed tells how far it got, spelt
// gets each syllable as written ("きゃ", "kya", "R").
QList<Syllable> parseSyllables(QStringView text, qsizetype *consumed = nullptr, QStringList *spelt = nullptr);

// Exactly one syllable, with nothing but an optional suffix of digits, pitch
// names or marks after it (か, ka, かA3, ka2); nullopt otherwise.
std::optional<Syllable> parseOneSyllable(QStringView text);

// Kana spelling of a syllable, for entries made in a kana bank.
QString kanaOf(const Syllable &s);
// Romaji spelling (the key), for entries made in a romaji bank.
QString romajiOf(const Syllable &s);

// What an alias says about where its sound lies.
struct AliasInfo {
    enum class Kind {
        Unknown,  // not a syllable alias (breaths, marks): left alone
        Cv,       // "か", "ka": a syllable on its own
        Head,     // "- か": a syllable after silence
        Vcv,      // "a か": a syllable after a vowel (or ん)
        Tail,     // "a -", "a R": a vowel into silence
        Vc,       // "a k" (CVVC): a vowel into the next syllable's consonant
        Phonemes, // an English (ARPAsing) alias: see phonemes
    };
    Kind kind = Kind::Unknown;
    QChar prevVowel;   // Vcv, Vc and Tail: a i u e o n
    Syllable syllable; // Cv, Head, Vcv; Vc: the consonant alone (no vowel)
    PhonemeAlias phonemes;
};

// Whether most aliases read as English ARPAsing rather than as kana or
// romaji syllables: such a bank's aliases are read with parsePhonemeAlias.
bool readsAsPhonemes(const QStringList &aliases);

// The alias as parseAlias reads it, or as ARPAsing (Kind::Phonemes) in a
// bank that reads as phonemes.
AliasInfo parseAliasIn(QStringView alias, bool phonemeBank);

AliasInfo parseAlias(QStringView alias);

// The syllables a recording's file name lists: extension and a leading "_"
// (the usual mark of a VCV recording) dropped, underscores between
// syllables skipped, anything after the last syllable ignored.
struct FileSyllables {
    QList<Syllable> syllables;
    QStringList spellings;  // each syllable as the name writes it ("うぉ", "ka", "R")
    bool vcv = false;       // the name starts with "_"
    bool complete = false;  // syllables (and a number) are all the name holds
};
FileSyllables parseFileName(QStringView fileName);

// Where an entry lies among the file's syllables: the index of its syllable
// (for Tail, the index of the vowel that ends; for Vc, of the syllable whose
// consonant it is), or -1 when the name holds no such place. occurrence
// picks the n-th place when several fit. In a recording named as VCV and
// CVVC ones are ("_かかき"), a CV's places sung after a vowel come before
// those from silence, which are the heads' ("- か").
int placeAlias(const AliasInfo &alias, const QList<Syllable> &fileSyllables, int occurrence = 0, bool vcvNamed = false);

}  // namespace analysis
