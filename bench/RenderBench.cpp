#include "analysis/PitchTracker.h"
#include "bench/BenchUtil.h"
#include "oto/OtoFormat.h"
#include "oto/modLocale.h"
#include "render/Renderer.h"
#include "tests/render/RenderSynth.h"
#include "wave/clsWave.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <cstdio>

// The renderer's speed on a synthetic vowel, and its quality on the
// development bank: the pitch it sings, the length of what it writes and the
// steps at its joins.
namespace {

const QString kBank = QStringLiteral("/work/shared/banks/dorodoro-ja-vcv");

void speed()
{
    const QList<qint16> wave = syntheticVowel(100, 700, 200);
    const clsOto entry("a.wav", "a", 80, 60, -600, 40, 20);
    render::RenderOptions options;
    options.noteHz = 440;
    bench::row("one note of 1 s (synthetic vowel)", bench::timeMs([&] { render::renderPhrase({{entry, wave, 1000}}, options); }));
    QList<render::RenderNote> phrase;
    for (int i = 0; i < 8; ++i)
        phrase.append({clsOto(QStringLiteral("a%1.wav").arg(i), "a", 80, 60, -600, 40, 20), wave, 500});
    options.click = true;
    bench::row("phrase of 8 notes at 120, with click", bench::timeMs([&] { render::renderPhrase(phrase, options); }));
}

int largestStep(std::span<const qint16> s)
{
    int most = 0;
    for (size_t i = 1; i < s.size(); ++i)
        most = std::max(most, std::abs(int(s[i]) - int(s[i - 1])));
    return most;
}

double percentile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[size_t(std::min<double>(double(v.size() - 1), std::floor(q * double(v.size() - 1) + 0.5)))];
}

void quality()
{
    QFile file(kBank + QStringLiteral("/oto.ini"));
    if (!file.open(QIODevice::ReadOnly)) {
        std::printf("  (no development bank at %s)\n", qPrintable(kBank));
        return;
    }
    const QByteArray bytes = file.readAll();
    const OtoEntries entries = parseOtoText(modLocale::bytes2str(bytes, 932)).entries;
    QHash<QString, QList<qint16>> waves;
    auto waveOf = [&](const QString &name) -> const QList<qint16> & {
        if (!waves.contains(name)) {
            clsWave w;
            QString n = name;
            waves.insert(name, w.ReadFile(kBank, n) ? w.getData() : QList<qint16>());
        }
        return waves[name];
    };

    // Every seventh entry, each sung a few semitones from its own pitch, and
    // joined after the entry sampled before it.
    std::vector<double> offCents;
    int notes = 0, exact = 0, joins = 0, joinsOk = 0, unvoiced = 0;
    double worstJoinRatio = 0, renderMs = 0;
    const int shifts[] = {-3, 0, 4};
    const clsOto *previous = nullptr;
    for (qsizetype i = 0; i < entries.size(); i += 7) {
        const clsOto &e = *entries[i];
        const QList<qint16> &wave = waveOf(e.FIL);
        if (wave.isEmpty())
            continue;
        const qsizetype from = qsizetype(e.prmLF * 44.1), to = qsizetype(render::rightBoundMs(e, wave.size() / 44.1) * 44.1);
        const std::span<const qint16> used(wave.constData() + from, size_t(std::max(qsizetype(0), to - from)));
        const double ownHz = medianHz(used, e.prmFX, 1e9);
        if (ownHz <= 0) {
            ++unvoiced;
            continue;
        }
        const double note = std::round(analysis::hzToNote(ownHz)) + shifts[notes % 3];
        render::RenderOptions options;
        options.noteHz = analysis::noteToHz(note);
        QElapsedTimer timer;
        timer.start();
        const render::Rendering one = render::renderPhrase({{e, wave, 600}}, options);
        renderMs += timer.nsecsElapsed() / 1e6;
        ++notes;
        exact += one.samples.size() == size_t(std::llround((std::abs(e.prmPR) + 600) * 44.1));
        const double sung = medianHz(one.samples, std::abs(e.prmPR) + 50, std::abs(e.prmPR) + 550);
        if (sung > 0)
            offCents.push_back(std::abs(1200 * std::log2(sung / options.noteHz)));
        else
            offCents.push_back(1200);

        if (previous) {
            const QList<qint16> &before = waveOf(previous->FIL);
            const render::Rendering two = render::renderPhrase({{*previous, before, 500}, {e, wave, 500}}, options);
            const render::NotePlacement &p = two.placement.notes[1];
            const qsizetype a = std::max(qsizetype(1), qsizetype((p.startMs - 5) * 44.1));
            const qsizetype b = std::min(qsizetype(two.samples.size()), qsizetype((p.startMs + p.fadeInMs + 5) * 44.1));
            const int atJoin = b > a ? largestStep(std::span<const qint16>(two.samples).subspan(size_t(a - 1), size_t(b - a + 1))) : 0;
            const qsizetype pf = qsizetype(previous->prmLF * 44.1);
            const qsizetype pt = qsizetype(render::rightBoundMs(*previous, before.size() / 44.1) * 44.1);
            const int own = std::max(largestStep(used), largestStep(std::span<const qint16>(before.constData() + pf, size_t(std::max(qsizetype(0), pt - pf)))));
            ++joins;
            joinsOk += atJoin <= own;
            worstJoinRatio = std::max(worstJoinRatio, own > 0 ? double(atJoin) / own : 0.0);
        }
        previous = &e;
    }
    const long within = std::count_if(offCents.begin(), offCents.end(), [](double c) { return c <= 20; });
    std::printf("%s: %d notes of 600 ms (every 7th entry, -3/0/+4 semitones from its own pitch; %d unvoiced skipped)\n",
                qPrintable(kBank), notes, unvoiced);
    std::printf("  sung pitch within 20 ct of the note: %ld of %zu; |offset| median %.1f ct, 90th %.1f ct, worst %.1f ct\n",
                within, offCents.size(), percentile(offCents, 0.5), percentile(offCents, 0.9), percentile(offCents, 1.0));
    std::printf("  output length exact to the sample: %d of %d\n", exact, notes);
    std::printf("  joins with no step above the samples' own largest: %d of %d (largest ratio %.2f)\n", joinsOk, joins,
                worstJoinRatio);
    std::printf("  mean render time of a 600 ms note: %.2f ms\n", notes ? renderMs / notes : 0.0);
}

}  // namespace

void runRenderBenchmarks(const QString &)
{
    std::printf("\n== render ==\n");
    speed();
    quality();
}
