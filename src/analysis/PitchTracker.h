#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <span>
#include <vector>

namespace analysis {

// Every tunable of the fundamental-frequency tracker, with its default, in
// one place. The defaults suit singing: 70 Hz (a low bass) to 1100 Hz (a
// high soprano), frames of 256 samples as resamplers' frequency files have.
struct PitchOptions {
    // Frame i describes samples [i * hop, (i + 1) * hop) and is centred on
    // the middle of them; a wave of n samples has ceil(n / hop) frames.
    int hopSamples = 256;
    double minHz = 70;
    double maxHz = 1100;
    // The difference function runs on a copy low-passed and decimated by a
    // whole factor to about this rate: 1100 Hz and its second harmonic fit
    // below its Nyquist frequency, and it costs a sixteenth of the work at
    // 44.1 kHz. The chosen period is then refined on the full-rate samples.
    int analysisRate = 11025;
    // The stretch each frame compares with its shifted self. Longer than the
    // longest period (14 ms at 70 Hz), short enough to follow vibrato.
    double windowMs = 25;

    // Voicing probability, as in probabilistic YIN: the YIN threshold is not
    // one number but spread over 0.01 .. 1 by a beta distribution with these
    // parameters (mean a / (a + b) = 0.15). Each threshold votes for the
    // first dip of the normalised difference below it, so a clearly periodic
    // frame gives most of the mass to its period, and noise (no deep dip)
    // gives little to anything.
    double thresholdBetaA = 2;
    double thresholdBetaB = 11.33;
    // A threshold with no dip below it gives this share of its vote to the
    // deepest dip anyway.
    double fallbackShare = 0.01;
    // A frame whose centred window gives less voicing than this tries
    // windows moved to either side too (at the start and end of a note).
    double shiftBelowVoicing = 0.5;
    // ... as long as the frame is no more than this quieter than the stretch
    // the moved window sees (it is not the silence after a note).
    double shiftWithinDb = 10;
    // ... and as long as the frame's own samples repeat at the period found
    // (normalised correlation at least this), so that a breath after a note
    // does not take the note's pitch.
    double minBlockPeriodicity = 0.6;
    // The most candidate periods kept per frame for the decoding.
    int maxCandidates = 6;

    // Frames quieter than this (RMS, dB below full scale), or this far below
    // the wave's loudest frame, are unvoiced whatever their shape: room tone
    // and the hum of a fan or the mains are periodic but not sung, and in a
    // frequency file they would drag the mean F0 down. Over the next
    // `gateRampDb` the voicing probability rises from nothing to its own.
    double silenceDb = -60;
    double belowPeakDb = 40;
    double gateRampDb = 10;

    // The decoding over frames (Viterbi): the cost, in nats, of each
    // semitone the pitch moves between frames (a 6 Hz vibrato of a semitone
    // moves about 0.2 per frame; an octave error 12) ...
    double costPerSemitone = 0.6;
    // ... no move larger than this between neighbouring frames ...
    double maxJumpSemitones = 8;
    // ... and the cost of switching between voiced and unvoiced, so that a
    // single doubtful frame does not break a note.
    double voicingSwitchCost = 2.5;
    bool operator==(const PitchOptions &) const = default;
};

// The pitch of one wave, frame by frame.
struct PitchTrack {
    int sampleRate = 0;
    int hopSamples = 0;
    int frames = 0;
    qsizetype sampleCount = 0;
    std::vector<float> f0Hz;        // the fundamental where voiced, else 0
    std::vector<float> voicing;     // probability that the frame is voiced, 0..1
    std::vector<float> amplitude;   // RMS over two hops around the centre, in sample units

    bool voiced(int frame) const { return f0Hz[size_t(frame)] > 0; }
    // dB below a full-scale square wave; -120 for digital silence.
    float loudnessDb(int frame) const;
    // The time of a frame's centre, and the frame whose stretch holds a
    // time (-1 outside the wave).
    double frameMs(int frame) const;
    int frameAt(double ms) const;
    int voicedCount() const;
    // The median and the mean F0 of the voiced frames, 0 when none.
    double medianHz() const;
    double meanHz() const;
};

// Works on any sample rate of 8 kHz or more; an empty wave gives no frames.
PitchTrack trackPitch(std::span<const qint16> samples, int sampleRate, const PitchOptions &options = {});

// Notes on the equal-tempered scale, A4 = 440 Hz = note 69 (MIDI numbers).
double hzToNote(double hz);
double noteToHz(double note);
// "C3", "F#4" (sharps, octave changing at C).
QString noteName(int note);
// "220.0 Hz  A3 +0 ct": a frequency, its nearest note and its distance in cents.
QString describeHz(double hz);
// The note a text ends with ("A3", "F#4", "Bb3", "ka_C5", "- a A3"), or
// nullopt. The letter must be a capital, so an alias such as "ka3" is not
// taken for a note.
std::optional<int> noteAtEnd(const QString &text);

}  // namespace analysis
