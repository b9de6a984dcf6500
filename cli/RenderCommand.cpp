#include "analysis/Estimator.h"
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/AtomicFile.h"
#include "render/Renderer.h"
#include "wave/WavImage.h"

#include <QElapsedTimer>
#include <cmath>
#include <cstdio>

namespace {

// The first entry with this alias, as a synthesizer looks it up.
const clsOto *entryWithAlias(const OtoDocument &doc, const QString &alias)
{
    for (const auto &e : doc.clcOto())
        if (e->ALS == alias)
            return e.get();
    return nullptr;
}

std::optional<double> positiveNumber(const QString &text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok && v > 0 && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

}  // namespace

int renderCommand(const CliArgs &args)
{
    if (!args.isSet(QStringLiteral("note"))) {
        printErr(QStringLiteral("lirra-oto: render needs --note, a note name (A4, F#3, Bb2) or a frequency in Hz"));
        return kCliFailed;
    }
    const std::optional<double> hz = render::parseNoteHz(args.value(QStringLiteral("note")));
    if (!hz) {
        printErr(QStringLiteral("lirra-oto: --note takes a note name (A4, F#3, Bb2) or a frequency in Hz, not '%1'")
                     .arg(args.value(QStringLiteral("note"))));
        return kCliFailed;
    }
    const std::optional<double> tempo = positiveNumber(args.value(QStringLiteral("tempo")));
    if (!tempo) {
        printErr(QStringLiteral("lirra-oto: --tempo takes beats a minute, not '%1'").arg(args.value(QStringLiteral("tempo"))));
        return kCliFailed;
    }
    double lengthMs = render::beatMs(*tempo);
    if (args.isSet(QStringLiteral("length"))) {
        const std::optional<double> length = positiveNumber(args.value(QStringLiteral("length")));
        if (!length) {
            printErr(QStringLiteral("lirra-oto: --length takes a length in ms, not '%1'").arg(args.value(QStringLiteral("length"))));
            return kCliFailed;
        }
        lengthMs = *length;
    }
    const QString out = args.value(QStringLiteral("output"));
    if (out.isEmpty()) {
        printErr(QStringLiteral("lirra-oto: say where to write the sound with -o OUT.wav"));
        return kCliFailed;
    }

    const QString folder = args.arg(0);
    CliSession session(args.charset());
    if (!session.open(folder))
        return kCliFailed;
    const analysis::WaveSource waves = analysis::folderWaves(folder, &session.locale);
    QList<render::RenderNote> notes;
    for (const QString &alias : args.argsFrom(1)) {
        const clsOto *entry = entryWithAlias(session.doc, alias);
        if (!entry) {
            printErr(QStringLiteral("lirra-oto: no entry has the alias '%1' in %2; nothing was written").arg(alias, folder));
            return kCliFailed;
        }
        analysis::WaveData wave = waves.load(entry->FIL);
        if (!wave.error.isEmpty()) {
            printErr(QStringLiteral("lirra-oto: %1: %2; nothing was written").arg(alias, wave.error));
            return kCliFailed;
        }
        notes.append({*entry, std::move(wave.samples), lengthMs});
    }

    // What a maker listens to is a phrase, not an hour: a length beyond
    // this is a mistyped number, refused before memory is spent on it.
    constexpr double kLongestMs = 10 * 60 * 1000;
    if (std::abs(notes.front().entry.prmPR) + double(notes.size()) * lengthMs > kLongestMs) {
        printErr(QStringLiteral("lirra-oto: the sound would last more than ten minutes; nothing was written"));
        return kCliFailed;
    }

    QElapsedTimer timer;
    timer.start();
    render::RenderOptions options;
    options.noteHz = *hz;
    options.tempoBpm = *tempo;
    options.click = args.isSet(QStringLiteral("click"));
    const render::Rendering sung = render::renderPhrase(notes, options);
    const qint64 took = timer.elapsed();
    if (const std::optional<QString> failure = writeFileAtomically(out, modWave::wavImage(sung.samples, render::kRenderRate))) {
        printErr(QStringLiteral("lirra-oto: cannot write %1: %2").arg(out, *failure));
        return kCliFailed;
    }
    printErr(QStringLiteral("%1: notes %2, pitch %3 Hz, length %4 ms, rendered in %5 ms")
                 .arg(out)
                 .arg(notes.size())
                 .arg(*hz, 0, 'f', 1)
                 .arg(sung.placement.lengthMs, 0, 'f', 0)
                 .arg(took));
    return 0;
}
