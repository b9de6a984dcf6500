#pragma once

#include "analysis/EstimateParams.h"
#include "analysis/Features.h"
#include "analysis/Syllables.h"

#include <QStringList>

#include <QHash>
#include <QList>
#include <QString>
#include <array>
#include <limits>
#include <memory>
#include <vector>

namespace analysis {

// Places in a syllable, found on the signal, that a labeller's points keep
// a steady distance from. Which one a labeller goes by differs with the
// kind of entry and with the labeller, so the estimator learns it from the
// entries set by hand.
enum class Mark {
    ConsonantStart,  // the consonant's closure, murmur or noise begins
    LevelRise,       // after the consonant, the level is back within 6 dB of the vowel's
    EarlyChange,     // the spectrum has gone 30% of the way from the consonant's to the vowel's
    MidChange,       // and half the way
    Release,         // the upper bands rise fastest: the consonant opens into the vowel
    Closing,         // they fall fastest: the mouth closes into ん
    Beat,            // where the singer's beat puts the syllable
    VowelFall,       // before a pause: the vowel's level has fallen 12 dB; else the next consonant
    VowelEnd,        // before a pause: 20 dB down; else the next consonant
    Count
};
constexpr int kMarkCount = int(Mark::Count);

// Where the sounds of one syllable lie, in ms from the start of the wave.
struct SyllableTimes {
    // As the alignment found them, to a frame or two.
    double consonantStart = 0;  // = vowelStart without a consonant
    double vowelStart = 0;
    double vowelEnd = 0;        // next consonant, pause or rest
    double fit = 0;             // mean log-likelihood of the vowel's frames under its model
    bool pauseBefore = false;   // the singer stopped before this syllable
    // Found on the fine frames near the alignment's times.
    std::array<double, kMarkCount> marks{};
    bool offBeat = false;       // off the singer's beat even after a second look
    // How clearly the spectrum changes where the syllable starts, against
    // the other starts of the file (1: as clearly as the median); 1 where
    // nothing was measured.
    double clarity = 1;
    // How sure the choice of this onset among the changes of sound near it
    // is: how much worse (in the cost of the file's best path over the
    // beat) the best path that puts it on another change is; infinity
    // where no other change was in reach or nothing was chosen.
    double margin = std::numeric_limits<double>::infinity();
    // Before a pause: how long (ms) the vowel takes to fall from
    // LandmarkParams::fadeDb to fallDb below its level; a slow fade leaves
    // the end of its note a matter of taste.
    double fadeMs = 0;
    // Nothing in the sound marks the onset and no beat places it (a vowel
    // sung again in a file too short or too free for a beat).
    bool unmarked = false;
    // An English liquid after a vowel: where it starts when it may be sung
    // long (AlignParams::codaLiquidMs); -1 for any other phoneme.
    double heldStart = -1;
    // An English phoneme: how sure the alignment is of where it starts (a
    // stop after silence or after a stop: of where its burst is), as how
    // much worse (log-likelihood) the best path is that starts it
    // AlignParams::marginMs or more away; infinity where no such path is
    // or nothing was measured.
    double pathMargin = std::numeric_limits<double>::infinity();

    double mark(Mark m) const { return marks[size_t(m)]; }
    double &mark(Mark m) { return marks[size_t(m)]; }
};
struct FileAlignment {
    QList<SyllableTimes> syllables;  // one per syllable of the file name, rests included
    double soundStart = 0;           // end of the leading silence (breath counted as silence)
    double soundEnd = 0;
    bool beat = false;               // the syllables keep to an even beat (SyllableTimes::marks has it)
    bool ok = false;
};

// One recording to align: its features and what the file name says is sung.
// One recording to align: its features and what the file name says is sung,
// as syllables, or (an English recording) as phonemes, "-" for silence.
// With phonemes, each of them is one SyllableTimes of the alignment: its
// consonantStart where it starts (a stop's closure included), vowelStart
// where its own sound starts, vowelEnd where the next starts.
struct AlignInput {
    std::shared_ptr<const WaveFeatures> features;
    QList<Syllable> syllables;
    QStringList phonemes;
};

// Forced alignment of sung syllables with models learnt from the bank
// itself: every file's name says what was sung in which order, so the
// singer's own vowels and consonants can be learnt by aligning all files,
// re-estimating a Gaussian per sound from the frames each got, and aligning
// again. Nothing is trained beforehand and nothing is downloaded.
class Aligner {
public:
    // What the alignment sees of a frame, column by column.
    enum Column {
        Level,         // dB relative to the file's loud part, floored at -60
        Voicing,       // periodicity, 0..10
        Noise,         // 5 log10 of the share of power above 4 kHz
        Dip,           // dB below the loudest frame within 60 ms: a consonant between vowels
        Cepstrum1,     // the shape of the spectrum: cosine transform of the mel bands,
        CepstrumLast = Cepstrum1 + 11,  // coefficients 1 to 12
        LevelSlope,    // change of Level per frame over two frames each way
        VoicingSlope,  // and of Voicing
        ColumnCount
    };
    static constexpr int kDims = ColumnCount;
    static constexpr int kCepstra = CepstrumLast - Cepstrum1 + 1;

    explicit Aligner(const AlignParams &params = {}, const LandmarkParams &landmarks = {});

    // Learns from all files and returns one alignment per input, in order.
    // threads > 1 aligns files in parallel.
    QList<FileAlignment> alignAll(const QList<AlignInput> &inputs, int threads = 2);

    struct Model {
        double mean[kDims] = {};
        double var[kDims] = {};
        double logNorm = 0;
        qsizetype frames = 0;
    };

private:
    struct Phone;
    struct Lattice;
    class PhoneList;
    struct Observations;

    Observations observe(const WaveFeatures &f) const;
    static std::pair<int, int> sungStretch(const Observations &obs);
    int shortestVowelFrames(double frames, double frameMs) const;
    std::vector<Phone> phonesOf(const QList<Syllable> &syllables, int vowelFrames, double frameMs) const;
    double longestPhonemeMs(const QStringList &phonemes, int i, bool longCodas) const;
    std::vector<Phone> phonesOfPhonemes(const QStringList &phonemes, int vowelFrames, double frameMs,
                                        bool longCodas = false) const;
    void alignHeldLiquids(FileAlignment &alignment, const Observations &obs, const AlignInput &input, int vowelFrames) const;
    static bool unheardClosure(const std::vector<Phone> &phones, int k);
    static std::vector<int> evenSegmentation(const Observations &obs, const std::vector<Phone> &phones);
    static std::vector<double> evenPace(const Observations &obs, const std::vector<int> &minFrames, const std::vector<Phone> &phones);
    FileAlignment align(const Observations &obs, const WaveFeatures &f, const std::vector<Phone> &phones,
                        std::vector<int> *framePhone, bool margins = false) const;
    // With each phone looked for only within band frames of where an even
    // pace puts it; atEdge tells whether the path found ran along the band.
    FileAlignment alignWithin(const Observations &obs, const WaveFeatures &f, const std::vector<Phone> &phones,
                              std::vector<int> *framePhone, bool margins, int band, bool *atEdge) const;
    std::vector<int> initialSegmentation(const Observations &obs, const std::vector<Phone> &phones) const;
    void train(const std::vector<Observations> &obs, const std::vector<std::vector<Phone>> &phones,
               const std::vector<std::vector<int>> &framePhones);

    AlignParams params_;
    LandmarkParams landmarks_;
    QHash<QString, Model> models_;
};

}  // namespace analysis
