#pragma once

#include "analysis/EstimateParams.h"
#include "analysis/Features.h"
#include "oto/clsOto.h"
#include "singer/BaseAlias.h"

#include <QList>
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
// A stop or an affricate: a closure, its own silence, then a burst.
inline bool closes(PhonemeClass c) { return c == PhonemeClass::Stop || c == PhonemeClass::Affricate; }
inline bool closes(QStringView phoneme) { return closes(phonemeClass(phoneme)); }
// A liquid or a glide: the tongue moves into the next sound.
inline bool glides(PhonemeClass c) { return c == PhonemeClass::Liquid || c == PhonemeClass::Glide; }
inline bool glides(QStringView phoneme) { return glides(phonemeClass(phoneme)); }
QString phonemeClassName(PhonemeClass c);

// The entries' aliases without what their folder adds to every alias so
// that a synthesizer can pick the pitch ("- ayA3" in A3/ is "- ay"): the
// prefix.map pair most of a folder's aliases carry, else the ending nearly
// all of them share (see singer::folderAffixes).
QStringList aliasBases(const QList<clsOto> &entries, const singer::AffixPairs &mapPairs = {});

// The alias without the number of a second take ("iy1", "s -7", "- d4")
// and spaces around.
QString withoutTake(QStringView alias);

// What an ARPAsing alias says: the phoneme the sample starts from (empty
// after silence) and the one it goes into (empty into silence); a held
// vowel names the same phoneme in both.
struct PhonemeAlias {
    enum class Kind {
        Unknown,
        Head,     // "- ay", "- k": a phoneme after silence
        Held,     // "ay", "n", "th": a vowel or a consonant that can last, held
        Alone,    // "_ay": a vowel recorded alone, held
        Joint,    // "ay er", "k aa", "aa r", "r k": one phoneme into the next
        Tail,     // "iy -", "s -": a phoneme into silence
    };
    Kind kind = Kind::Unknown;
    QString from;
    QString to;

    // "- C", "- V", "V", "C" (held), "_V", "V C", "C V", "V V", "C C", "V -", "C -".
    QString shape() const;
    // The phoneme the entry's note is at: the one it goes into, or the one
    // held or ending.
    QString phoneme() const { return to.isEmpty() ? from : to; }
};

// The alias (without its folder's affixes, see aliasBases) read as
// ARPAsing, the number of a take taken off; Unknown when a token is no
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

// A vowel recorded alone ("_aa"): where it becomes audible and where it has
// settled at its held level and tone (ms). The held level and pitch are the
// medians between heldFromMs and heldEndMs (where the alignment put the
// vowel); the start is looked for back from heldFromMs down to fromMs.
struct AloneOnset {
    double audible = 0;
    double settled = 0;
};
AloneOnset aloneOnset(const WaveFeatures &f, double fromMs, double heldFromMs, double heldEndMs, const PlacementParams &pp);

}  // namespace analysis
