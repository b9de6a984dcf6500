#pragma once

#include "oto/clsOto.h"
#include "render/Placement.h"

#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

namespace render {

// The output of the renderer: 44.1 kHz, 16-bit, mono.
constexpr int kRenderRate = 44100;

// One note to sing: an entry, the samples of its wave (at kRenderRate, as
// the editor's reader gives them) and the note's length in ms.
struct RenderNote {
    clsOto entry;
    QList<qint16> samples;
    double lengthMs = 0;
};

struct RenderOptions {
    double noteHz = 440;
    // A metronome click on every beat from the first note's beat, at
    // tempoBpm.
    bool click = false;
    double tempoBpm = 120;
};

struct Rendering {
    std::vector<qint16> samples;
    PhrasePlacement placement;
};

// Sings the notes one after another at one pitch, as a synthesizer places
// them: the output starts at the first entry's left bound and lasts the
// first preutterance plus every note's length, rounded to whole samples.
Rendering renderPhrase(const QList<RenderNote> &notes, const RenderOptions &options);

// The beats of a click track from firstBeatMs, every 60000 / bpm ms, that
// fall within lengthMs; and the click itself added at each of them.
std::vector<double> beatTimesMs(double firstBeatMs, double bpm, double lengthMs);
void addClicks(std::vector<float> &out, const std::vector<double> &beatsMs, int sampleRate);

// The length in ms of one beat at a tempo.
inline double beatMs(double bpm) { return 60000.0 / bpm; }

// A note as the command line and the window take it: a name ("A4", "F#3",
// "Bb2") or a frequency in Hz ("440", "261.6Hz"); nullopt for anything else
// or a frequency outside 20 Hz .. 5 kHz.
std::optional<double> parseNoteHz(const QString &text);

}  // namespace render
