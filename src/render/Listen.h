#pragma once

#include "oto/OtoFormat.h"
#include "render/Renderer.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// What the editor sings when a maker listens to an entry: the entry on its
// own at a note, or after the entry its alias follows on a metronome. Both
// loop until stopped, so each is a sound that repeats seamlessly.

namespace render {

// The window's choices, for a folder that names no note and for the
// lengths.
struct ListenSettings {
    QString note = QStringLiteral("C4");
    bool alwaysThisNote = false;  // also where the folder names one
    double lengthMs = 1000;
    double tempoBpm = 120;
};

// The silence after a note before it is sung again.
constexpr double kNoteGapMs = 300;
// A phrase loops in bars of this many beats at least.
constexpr int kBarBeats = 4;

// The note an entry of folder is sung at: the folder's own name ("A3",
// "voice/C5"), else the note its aliases carry ("_aaA3", "A3_ka"); nullopt
// when neither names one.
std::optional<double> folderNoteHz(const QString &folder, const QStringList &aliases);

// The entry whose sound the entry at index follows when sung: one of its own
// folder that ends in the sound its alias starts from ("- あ" before
// "a か", "- p" before "p aa", "- ay" or "ay" before "ay er"). A phrase
// start, then a held or lone sound, then a joint; among them a plain vowel
// and the shortest alias. -1 for an alias that follows silence ("- か",
// "- ay") or nothing in particular (a lone "か"), or when none fits.
int precedingEntry(const OtoEntries &entries, int index);

// A sound that loops: its samples at kRenderRate, where the listened entry
// sounds in them, and the beats of its clicks.
struct LoopSound {
    std::vector<qint16> samples;
    NotePlacement listened;
    std::vector<double> beatsMs;
    double lengthMs() const { return samples.size() * 1000.0 / kRenderRate; }
};

// The note on its own for lengthMs at hz, then kNoteGapMs of silence.
LoopSound singNote(const RenderNote &note, double hz);
// Quarter notes at bpm: before (when given) and then the note, each a beat
// long, from the first note's left bound, in a whole number of bars (four
// beats) with a click on each beat: looped, the beats stay even.
LoopSound singPhrase(const std::optional<RenderNote> &before, const RenderNote &note, double hz, double bpm);

}  // namespace render
