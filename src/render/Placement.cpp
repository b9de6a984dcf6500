#include "render/Placement.h"

#include <algorithm>
#include <cmath>

namespace render {

double NotePlacement::sourceMs(double outMs) const
{
    if (outMs < fixedOutEndMs)
        return leftMs + (outMs - startMs);
    const double span = endMs - fixedOutEndMs;
    if (span <= 0)
        return fixedEndMs;
    return fixedEndMs + (outMs - fixedOutEndMs) * (rightMs - fixedEndMs) / span;
}

double rightBoundMs(const clsOto &entry, double waveMs)
{
    const double left = std::clamp(entry.prmLF, 0.0, waveMs);
    return std::clamp(entry.rightBoundMs(waveMs), left, waveMs);
}

PhrasePlacement placePhrase(const std::vector<NoteSpec> &notes)
{
    PhrasePlacement out;
    if (notes.empty())
        return out;
    const double preutterance = std::abs(notes.front().entry.prmPR);
    double beat = preutterance;
    for (const NoteSpec &n : notes) {
        NotePlacement p;
        p.leftMs = std::clamp(n.entry.prmLF, 0.0, n.waveMs);
        p.rightMs = rightBoundMs(n.entry, n.waveMs);
        p.fixedEndMs = std::clamp(p.leftMs + n.entry.prmFX, p.leftMs, p.rightMs);
        p.beatMs = beat;
        p.startMs = beat - std::abs(n.entry.prmPR);
        p.overlapMs = p.startMs + n.entry.prmOV;
        p.fixedOutEndMs = p.startMs + (p.fixedEndMs - p.leftMs);
        p.fadeInMs = std::max(n.entry.prmOV, kMinFadeMs);
        beat += n.lengthMs;
        out.notes.push_back(p);
    }
    out.lengthMs = beat;

    for (size_t i = 0; i < out.notes.size(); ++i) {
        NotePlacement &p = out.notes[i];
        if (i + 1 < out.notes.size()) {
            const NotePlacement &next = out.notes[i + 1];
            const double overlap = notes[i + 1].entry.prmOV;
            if (overlap >= 0) {
                // Equal-power cross-fade over the next note's overlap.
                p.endMs = next.startMs + next.fadeInMs;
                p.fadeOutMs = next.fadeInMs;
            } else {
                p.endMs = next.overlapMs;
                p.fadeOutMs = kMinFadeMs;
            }
        } else {
            p.endMs = out.lengthMs;
            p.fadeOutMs = kEndFadeMs;
        }
        // A note too short for its fades: they share its length.
        p.endMs = std::max(p.endMs, p.startMs + 2 * kMinFadeMs);
        const double length = p.endMs - p.startMs;
        if (p.fadeInMs + p.fadeOutMs > length) {
            const double scale = length / (p.fadeInMs + p.fadeOutMs);
            p.fadeInMs *= scale;
            p.fadeOutMs *= scale;
        }
    }
    if (!out.notes.empty())
        out.notes.front().fadeInMs = std::min(out.notes.front().fadeInMs, kMinFadeMs);
    return out;
}

}  // namespace render
