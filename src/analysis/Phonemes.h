#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// English banks name their sounds in ARPABET ("aa", "ay", "k", "ng"), one
// phoneme per token: an alias names the phoneme a sample starts from and
// the one it goes into ("- ay", "ay er", "k aa", "s -"), or a vowel held on
// its own ("ay").

namespace analysis {

// How a phoneme sounds, which is what its boundaries look like.
enum class PhonemeClass {
    None,       // not an ARPABET phoneme
    Vowel,      // aa ae ah ao aw ax ay eh er ey ih iy ow oy uh uw
    Stop,       // p t k b d g: a closure, a burst
    Affricate,  // ch jh: a closure, then noise
    Fricative,  // f v th dh s z sh zh hh: noise
    Nasal,      // m n ng: a murmur
    Liquid,     // l r
    Glide,      // w y
};

PhonemeClass phonemeClass(QStringView phoneme);
QString phonemeClassName(PhonemeClass c);

// The alias with what a pitch folder adds to every alias taken off: a note
// name after it or before it ("- ayA3", "A3_- ay", "ay erC5"), the number
// of a second take ("iy1", "s -7") and spaces around.
QString baseAlias(QStringView alias);

// What an ARPAsing alias says: the phoneme the sample starts from (empty
// after silence) and the one it goes into (empty into silence); a held
// vowel names the same phoneme in both.
struct PhonemeAlias {
    enum class Kind {
        Unknown,
        Head,     // "- ay", "- k": a phoneme after silence
        Held,     // "ay": a vowel held
        Alone,    // "_ay": a vowel recorded alone, held
        Joint,    // "ay er", "k aa", "aa r", "r k": one phoneme into the next
        Tail,     // "iy -", "s -": a phoneme into silence
    };
    Kind kind = Kind::Unknown;
    QString from;
    QString to;

    // "- C", "- V", "V", "_V", "V C", "C V", "V V", "C C", "V -", "C -".
    QString shape() const;
    // The phoneme the entry's note is at: the one it goes into, or the one
    // held or ending.
    QString phoneme() const { return to.isEmpty() ? from : to; }
};

// The alias read as ARPAsing after baseAlias(); Unknown when a token is no
// ARPABET phoneme.
PhonemeAlias parsePhonemeAlias(QStringView alias);

// The phonemes a recording sings, worked out from its entries' aliases in
// the order they are listed ("- p", "p aa", "aa r", "r -" gives "-", "p",
// "aa", "r", "-"), and for each alias the index of its phoneme there (the
// one it goes into, or the one held or ending), -1 for an alias that is not
// ARPAsing.
struct PhonemeSequence {
    QStringList phonemes;  // "-" for silence
    QList<int> placeOf;    // one per alias given
};
PhonemeSequence sequenceFromAliases(const QList<PhonemeAlias> &aliases);

}  // namespace analysis
