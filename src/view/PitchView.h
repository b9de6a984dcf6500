#pragma once

#include <QPoint>
#include <QString>
#include <functional>
#include <vector>

namespace analysis {
struct FrqData;
struct PitchTrack;
}

// What the views draw of a recording's pitch, as plain numbers: the F0 and
// loudness curves' points, the note scale beside the trace, and the text
// under the mouse. No widget, no painter.

// A pitch contour frame by frame: the tracker's, or a frequency file's.
// Frame i covers samples [i * hop, (i + 1) * hop) and stands at their middle.
struct F0Series {
    int sampleRate = 0;
    int hopSamples = 0;
    std::vector<float> hz;          // 0 where unvoiced
    std::vector<float> loudnessDb;  // empty for a frequency file

    static F0Series of(const analysis::PitchTrack &track);
    static F0Series of(const analysis::FrqData &frq, int sampleRate);
    bool isEmpty() const { return hz.empty() || sampleRate <= 0 || hopSamples <= 0; }
    // The frame a time falls in, -1 outside the series.
    int frameAt(double ms) const;
    // The F0 at a time, between the frames around it (in semitones); 0 where
    // unvoiced or outside.
    double hzAt(double ms) const;
};

// The trace view's pitch axis: notes evenly spaced (semitones) over rows
// [0, rows), the high ones at the top.
class NoteAxis {
public:
    NoteAxis(int rows, double lowNote, double highNote);
    double rowAt(double hz) const;
    double hzAt(double row) const;
    int rows() const { return rows_; }
    double lowNote() const { return low_; }
    double highNote() const { return high_; }

private:
    int rows_;
    double low_, high_;
};
// The range around what a recording sings: a fourth beyond its lowest and
// highest voiced frames, at least an octave; C3 to C5 for a recording with
// no voiced frame.
NoteAxis noteAxisFor(const F0Series &series, int rows);

// The note scale at the right of the trace: the rows of the natural notes
// (C3, D3, E3 ...) that fit with a label's height between them; when they
// do not, of the Cs, Es and Gs, then of the Cs alone.
struct NoteMark {
    int row = 0;
    QString label;
};
std::vector<NoteMark> noteMarks(const NoteAxis &axis, int minGap = 14);

// The curve of the F0 over the rows [top, bottom) for a view window of
// `width` columns: one point per column where voiced, rowOfHz placing a
// frequency in rows from top (may fall outside; clamped). Unvoiced
// stretches break it into separate lines.
std::vector<std::vector<QPoint>> pitchLines(const F0Series &series, double start, double length, int width,
                                            const std::function<double(double)> &rowOfHz, int top, int bottom);
// The loudness, -80 dB at the bottom to 0 dB at the top of [top, bottom),
// one point per column over the wave.
std::vector<QPoint> loudnessPoints(const F0Series &series, double start, double length, int width, int top,
                                   int bottom);

// The text under the mouse at a time: "F0 220.0 Hz  A3 +0 ct  -12.0 dB",
// "unvoiced  -50.3 dB", with the frequency file's F0 after it when given;
// empty outside the recording.
QString pitchText(const F0Series &track, const F0Series *frq, double ms);
