#pragma once

#include "analysis/Features.h"
#include "analysis/Syllables.h"

#include <QHash>
#include <QList>
#include <QString>
#include <memory>
#include <vector>

namespace analysis {

// Where the sounds of one syllable lie, in ms from the start of the wave.
struct SyllableTimes {
    double consonantStart = 0;  // start of the consonant (its closure for k, t, p...); = vowelStart without one
    double vowelStart = 0;      // where the note starts
    double vowelEnd = 0;        // where the vowel stops (next consonant, pause or rest)
    double fit = 0;             // mean log-likelihood of the vowel's frames under its model
    bool pauseBefore = false;   // the singer stopped before this syllable
};

struct FileAlignment {
    QList<SyllableTimes> syllables;  // one per syllable of the file name, rests included
    double soundStart = 0;           // end of the leading silence (breath counted as silence)
    double soundEnd = 0;
    bool ok = false;
};

// One recording to align: its features and what the file name says is sung.
struct AlignInput {
    std::shared_ptr<const WaveFeatures> features;
    QList<Syllable> syllables;
};

// Forced alignment of sung syllables with models learnt from the bank
// itself: every file's name says what was sung in which order, so the
// singer's own vowels and consonants can be learnt by aligning all files,
// re-estimating a Gaussian per sound from the frames each got, and aligning
// again. Nothing is trained beforehand and nothing is downloaded.
class Aligner {
public:
    static constexpr int kDims = 18;

    // Learns from all files and returns one alignment per input, in order.
    // threads > 1 aligns files in parallel.
    QList<FileAlignment> alignAll(const QList<AlignInput> &inputs, int iterations = 4, int threads = 2);

    struct Model {
        double mean[kDims] = {};
        double var[kDims] = {};
        double logNorm = 0;
        qsizetype frames = 0;
    };

private:
    struct Phone;
    struct Observations;

    static Observations observe(const WaveFeatures &f);
    static std::vector<Phone> phonesOf(const QList<Syllable> &syllables, int vowelFrames);
    FileAlignment align(const Observations &obs, const WaveFeatures &f, const std::vector<Phone> &phones,
                        std::vector<int> *framePhone) const;
    std::vector<int> initialSegmentation(const Observations &obs, const std::vector<Phone> &phones) const;
    void train(const std::vector<Observations> &obs, const std::vector<std::vector<Phone>> &phones,
               const std::vector<std::vector<int>> &framePhones);

    QHash<QString, Model> models_;
};

}  // namespace analysis
