#include "render/Renderer.h"

#include "analysis/PitchTracker.h"
#include "render/Psola.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>

namespace render {

namespace {

qsizetype toSamples(double ms) { return qsizetype(std::llround(ms * kRenderRate / 1000.0)); }

// A click: a short decaying tone high above the voice's fundamental, so
// that it is heard through it without masking it.
constexpr double kClickHz = 2000;
constexpr double kClickMs = 12;
constexpr float kClickLevel = 9000;

}  // namespace

std::vector<double> beatTimesMs(double firstBeatMs, double bpm, double lengthMs)
{
    std::vector<double> beats;
    if (bpm <= 0)
        return beats;
    for (int k = 0;; ++k) {
        const double t = firstBeatMs + k * beatMs(bpm);
        if (t >= lengthMs)
            break;
        beats.push_back(t);
    }
    return beats;
}

void addClicks(std::vector<float> &out, const std::vector<double> &beatsMs, int sampleRate)
{
    const qsizetype clickLength = qsizetype(kClickMs * sampleRate / 1000);
    for (double beat : beatsMs) {
        const qsizetype at = qsizetype(std::llround(beat * sampleRate / 1000.0));
        for (qsizetype i = 0; i < clickLength && at + i < qsizetype(out.size()); ++i) {
            if (at + i < 0)
                continue;
            const double t = double(i) / sampleRate;
            // Starts at its peak's rise (sine from 0) and dies away.
            const double envelope = std::exp(-double(i) / (clickLength / 5.0));
            out[size_t(at + i)] += float(kClickLevel * envelope * std::sin(2 * std::numbers::pi * kClickHz * t));
        }
    }
}

Rendering renderPhrase(const QList<RenderNote> &notes, const RenderOptions &options)
{
    Rendering r;
    std::vector<NoteSpec> specs;
    for (const RenderNote &n : notes)
        specs.push_back({n.entry, n.samples.size() * 1000.0 / kRenderRate, n.lengthMs});
    r.placement = placePhrase(specs);
    std::vector<float> mix(size_t(std::max(qsizetype(0), toSamples(r.placement.lengthMs))), 0.f);

    // A phrase sings the same entry more than once: its marks are found once.
    QHash<QString, PitchMarks> found;
    for (qsizetype i = 0; i < notes.size(); ++i) {
        const RenderNote &n = notes[i];
        const NotePlacement &p = r.placement.notes[size_t(i)];
        const std::span<const qint16> wave(n.samples.constData(), size_t(n.samples.size()));
        const QString key = n.entry.fileStr();
        auto it = found.find(key);
        if (it == found.end())
            it = found.insert(key, findPitchMarks(wave, kRenderRate, toSamples(p.leftMs), toSamples(p.rightMs)));
        addNote(wave, *it, p, options.noteHz, kRenderRate, mix);
    }
    if (options.click && !r.placement.notes.empty())
        addClicks(mix, beatTimesMs(r.placement.notes.front().beatMs, options.tempoBpm, r.placement.lengthMs), kRenderRate);

    r.samples.resize(mix.size());
    std::transform(mix.begin(), mix.end(), r.samples.begin(),
                   [](float v) { return qint16(std::clamp(std::lround(v), -32768L, 32767L)); });
    return r;
}

std::optional<double> parseNoteHz(const QString &text)
{
    const QString t = text.trimmed();
    static const QRegularExpression name(QStringLiteral("^[A-G][#b]?-?[0-9]$"));
    static const QRegularExpression hz(QStringLiteral("^([0-9]+(?:\\.[0-9]+)?)\\s*(?:Hz|hz)?$"));
    double value = 0;
    if (name.match(t).hasMatch()) {
        value = analysis::noteToHz(*analysis::noteAtEnd(t));
    } else if (const QRegularExpressionMatch m = hz.match(t); m.hasMatch()) {
        value = m.captured(1).toDouble();
    } else {
        return std::nullopt;
    }
    if (value < 20 || value > 5000)
        return std::nullopt;
    return value;
}

}  // namespace render
