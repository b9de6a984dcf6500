#pragma once

#include "analysis/EstimateParams.h"

#include <QString>
#include <QtGlobal>
#include <optional>
#include <span>
#include <vector>

namespace analysis {

// The pitch of one wave, frame by frame.
struct PitchTrack {
    int sampleRate = 0;
    int hopSamples = 0;
    int frames = 0;
    qsizetype sampleCount = 0;
    std::vector<float> f0Hz;        // the fundamental where voiced, else 0
    std::vector<float> voicing;     // probability that the frame is voiced, 0..1
    std::vector<float> amplitude;   // RMS over two hops around the centre, in sample units
    // How well the window about the frame's centre matches itself shifted by
    // its best period in the tracker's range (normalised correlation, 0..1),
    // before any gate or decoding: the raw evidence of voicing, measured on
    // every frame, quiet ones too.
    std::vector<float> periodicity;

    bool voiced(int frame) const { return f0Hz[size_t(frame)] > 0; }
    // dB below a full-scale square wave; -120 for digital silence.
    float loudnessDb(int frame) const;
    // The time of a frame's centre, and the frame whose stretch holds a
    // time (-1 outside the wave).
    double frameMs(int frame) const;
    int frameAt(double ms) const;
    int voicedCount() const;
    qsizetype byteSize() const;
    // The median and the mean F0 of the voiced frames, 0 when none.
    double medianHz() const;
    double meanHz() const;
};

// A cheap microphone or sound card may add a constant to every sample. It
// would count as sound in every silence and closure and hide the sign
// changes of quiet noise. The samples with it taken off; empty when it is
// below about -70 dB of full scale and taking it off would change nothing.
std::vector<qint16> withoutOffset(std::span<const qint16> samples);

// Works on any sample rate of 8 kHz or more; an empty wave gives no frames.
// An offset is taken off first (withoutOffset).
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
