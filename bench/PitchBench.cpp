#include "analysis/FrqFile.h"
#include "analysis/PitchChecks.h"
#include "analysis/PitchTracker.h"
#include "bench/BenchUtil.h"
#include "tests/analysis/ToneSynth.h"
#include "wave/clsWave.h"
#include "wave/WavImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <thread>

// The pitch tracker's accuracy on sung tones of known F0, the time to write
// a bank's frequency files, and what it finds in the real banks.
namespace {

struct Tally {
    int voiced = 0, within = 0, unvoiced = 0, calledUnvoiced = 0;
    void add(const Tally &o)
    {
        voiced += o.voiced;
        within += o.within;
        unvoiced += o.unvoiced;
        calledUnvoiced += o.calledUnvoiced;
    }
    void print(const char *what) const
    {
        std::printf("  %-34s voiced within 30 ct %6.2f %% (%d)   unvoiced called unvoiced %6.2f %% (%d)\n", what,
                    voiced ? 100.0 * within / voiced : 100.0, voiced, unvoiced ? 100.0 * calledUnvoiced / unvoiced : 100.0,
                    unvoiced);
    }
};

Tally score(const ToneSynth &s)
{
    const analysis::PitchTrack t = analysis::trackPitch(s.samples, ToneSynth::kRate);
    const std::vector<double> truth = s.truthHz();
    Tally out;
    for (int i = 0; i < t.frames; ++i) {
        if (truth[size_t(i)] > 0) {
            ++out.voiced;
            out.within += t.voiced(i) && 1200 * std::abs(std::log2(t.f0Hz[size_t(i)] / truth[size_t(i)])) <= 30;
        } else if (truth[size_t(i)] == 0) {
            ++out.unvoiced;
            out.calledUnvoiced += !t.voiced(i);
        }
    }
    return out;
}

// One sung phrase on a base frequency: breath, an attack, a note with
// vibrato, a glide a fifth up, a held note, silence.
ToneSynth phrase(double hz, double floorDb, double fundamental, quint32 seed)
{
    ToneSynth s(seed);
    s.harmonics(14, fundamental).noiseFloor(floorDb);
    s.silence(200).hiss(120, 2500).vibrato(700, hz, 0.8, 5.5).glide(250, hz, hz * 1.5).vibrato(600, hz * 1.5, 0.5, 6)
        .silence(150).steady(400, hz * 0.75).silence(200);
    return s;
}

void accuracy()
{
    std::printf("pitch tracker on synthetic sung phrases (vibrato, glides, breath, silence):\n");
    Tally all;
    quint32 seed = 1;
    for (const double floorDb : {-70.0, -50.0, -40.0}) {
        for (const double fundamental : {1.0, 0.15}) {
            Tally t;
            for (const double hz : {80.0, 110.0, 165.0, 220.0, 330.0, 440.0, 587.0, 700.0})
                t.add(score(phrase(hz, floorDb, fundamental, seed++)));
            char what[64];
            std::snprintf(what, sizeof what, "floor %3.0f dB, fundamental %s", floorDb, fundamental < 1 ? "weak" : "full");
            t.print(what);
            all.add(t);
        }
    }
    all.print("all");
}

void speed(const QString &scratch)
{
    const QString folder = scratch + QStringLiteral("/frq");
    QDir().mkpath(folder);
    for (int i = 0; i < 400; ++i) {
        ToneSynth s(quint32(i + 100));
        s.noiseFloor(-60).silence(300).vibrato(2400, 150 + i % 40 * 10, 0.5).silence(300);
        QFile f(QStringLiteral("%1/%2.wav").arg(folder).arg(i));
        if (f.open(QIODevice::WriteOnly))
            f.write(modWave::wavImage(s.samples));
    }
    const QStringList waves = analysis::waveFilesUnder(folder);
    analysis::FrqRunOptions options;
    options.force = true;
    analysis::FrqRunResult result;
    const std::clock_t cpu = std::clock();
    const double ms = bench::timeMs([&] { result = analysis::writeFrqFiles(waves, options); }, 1);
    const double cpuMs = double(std::clock() - cpu) * 1000 / CLOCKS_PER_SEC;
    std::printf("frequency files of %lld recordings of 3 s, all %u cores:\n", qlonglong(waves.size()),
                std::thread::hardware_concurrency());
    bench::row("writeFrqFiles, wall clock (aim: under 20000 ms)", ms);
    // On a machine shared with other work the wall clock says little; the
    // processor time over the cores is what it takes on an idle one.
    bench::row("  processor time, all threads", cpuMs);
    bench::row("  processor time / cores", cpuMs / std::max(1u, std::thread::hardware_concurrency()));
    std::printf("  written %d, failed %lld\n", result.written, qlonglong(result.failures.size()));
}

void realBank(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return;
    const QStringList waves = analysis::waveFilesUnder(folder);
    int tracked = 0, withNote = 0, onNote = 0;
    long long frames = 0, voiced = 0;
    std::vector<double> offs;
    QElapsedTimer timer;
    timer.start();
    for (const QString &path : waves) {
        clsWave wave;
        QString name = QFileInfo(path).fileName();
        if (!wave.ReadFile(QFileInfo(path).absolutePath(), name))
            continue;
        const analysis::PitchTrack t = analysis::trackPitch(wave.samples().span(), wave.Samplerate);
        ++tracked;
        frames += t.frames;
        voiced += t.voicedCount();
        const std::optional<int> note = analysis::intendedNote(QFileInfo(path).dir().dirName());
        if (note && t.medianHz() > 0) {
            ++withNote;
            const double off = analysis::hzToNote(t.medianHz()) - *note;
            offs.push_back(off);
            onNote += std::abs(off) <= 1;
        }
    }
    std::printf("%s: %d recordings tracked in %lld ms, voiced frames %.1f %%\n", qPrintable(folder), tracked,
                qlonglong(timer.elapsed()), frames ? 100.0 * voiced / frames : 0.0);
    if (withNote) {
        std::sort(offs.begin(), offs.end());
        std::printf("  median F0 within a semitone of the folder's note: %d of %d (median offset %+.2f semitones)\n",
                    onNote, withNote, offs[offs.size() / 2]);
    }
}

}  // namespace

void runPitchBenchmarks(const QString &scratch)
{
    std::printf("\n== pitch ==\n");
    accuracy();
    speed(scratch);
    realBank(QStringLiteral("/work/shared/banks/dorodoro-ja-vcv"));
    realBank(QStringLiteral("/work/shared/banks/milk-en-dev"));
}
