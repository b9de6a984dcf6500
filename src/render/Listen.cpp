#include "render/Listen.h"

#include "analysis/PitchTracker.h"
#include "analysis/Syllables.h"
#include "singer/BaseAlias.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <tuple>

namespace render {

namespace {

qsizetype toSamples(double ms) { return qsizetype(std::llround(ms * kRenderRate / 1000.0)); }

std::optional<double> noteHz(const QString &text)
{
    const std::optional<int> note = analysis::noteAtEnd(text);
    return note ? std::optional<double>(analysis::noteToHz(*note)) : std::nullopt;
}

// What an entry's sound starts from and ends in, as one spelling for both
// kana or romaji syllables (their vowel) and ARPAsing (the phoneme).
// "-" is silence; an empty start follows nothing in particular.
struct Sound {
    enum class Rank { PhraseStart, Held, Joint, None };
    Rank rank = Rank::None;
    QString from;
    QString to;
    bool plainVowel = false;  // "- あ", "a": nothing but a vowel sung
};

const QString kSilence = QStringLiteral("-");

Sound soundOf(const QString &alias, bool phonemeBank)
{
    using Kind = analysis::AliasInfo::Kind;
    using PKind = analysis::PhonemeAlias::Kind;
    const analysis::AliasInfo info = analysis::parseAliasIn(alias, phonemeBank);
    Sound s;
    const QString vowel = QString(info.syllable.vowel);
    switch (info.kind) {
    case Kind::Head: s = {Sound::Rank::PhraseStart, kSilence, vowel}; break;
    case Kind::Cv: s = {Sound::Rank::Held, QString(), vowel}; break;
    case Kind::Vcv: s = {Sound::Rank::Joint, QString(info.prevVowel), vowel}; break;
    case Kind::Tail: s = {Sound::Rank::None, QString(info.prevVowel), kSilence}; break;
    case Kind::Vc: s = {Sound::Rank::None, QString(info.prevVowel), info.syllable.consonant}; break;
    case Kind::Phonemes: {
        const analysis::PhonemeAlias &p = info.phonemes;
        switch (p.kind) {
        case PKind::Head: s = {Sound::Rank::PhraseStart, kSilence, p.to}; break;
        case PKind::Held: s = {Sound::Rank::Held, p.from, p.from}; break;
        case PKind::Alone: s = {Sound::Rank::Held, kSilence, p.from}; break;
        case PKind::Joint: s = {Sound::Rank::Joint, p.from, p.to}; break;
        case PKind::Tail: s = {Sound::Rank::None, p.from, kSilence}; break;
        case PKind::Unknown: break;
        }
        s.plainVowel = analysis::phonemeClass(s.to) == analysis::PhonemeClass::Vowel && s.from == kSilence;
        return s;
    }
    case Kind::Unknown: return s;
    }
    s.plainVowel = info.syllable.consonant.isEmpty();
    return s;
}

// Renders notes into a sound of loopMs (at least the phrase's own length).
LoopSound renderInto(const QList<RenderNote> &notes, double hz, double loopMs)
{
    RenderOptions options;
    options.noteHz = hz;
    Rendering r = renderPhrase(notes, options);
    LoopSound loop;
    loop.samples = std::move(r.samples);
    loop.samples.resize(size_t(std::max(toSamples(loopMs), qsizetype(loop.samples.size()))), 0);
    loop.listened = r.placement.notes.back();
    return loop;
}

}  // namespace

std::optional<double> folderNoteHz(const QString &folder, const QStringList &aliases)
{
    static const QRegularExpression noteName(QStringLiteral("^[A-G][#b]?[0-9]$"));
    const QString last = folder.section(QLatin1Char('/'), -1).trimmed();
    if (noteName.match(last).hasMatch())
        return noteHz(last);
    const singer::Affixes affixes = singer::folderAffixes(aliases);
    if (std::optional<double> hz = noteHz(affixes.suffix))
        return hz;
    return noteHz(affixes.prefix.trimmed().remove(QLatin1Char('_')));
}

int precedingEntry(const OtoEntries &entries, int index)
{
    if (index < 0 || index >= entries.size())
        return -1;
    const QString folder = entries[index]->folder;
    QList<int> inFolder;
    QStringList aliases;
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i]->folder == folder) {
            inFolder.append(i);
            aliases.append(entries[i]->ALS);
        }
    }
    const singer::Affixes affixes = singer::folderAffixes(aliases);
    QStringList bases;  // an English folder's aliases read as phonemes without its pitch
    for (const QString &alias : aliases)
        bases.append(singer::baseAlias(alias, affixes));
    const bool phonemeBank = analysis::readsAsPhonemes(bases);
    const auto sound = [&](int i) { return soundOf(singer::baseAlias(entries[i]->ALS, affixes), phonemeBank); };

    const Sound wanted = sound(index);
    if (wanted.from.isEmpty() || wanted.from == kSilence)
        return -1;
    int best = -1;
    std::tuple<Sound::Rank, bool, qsizetype, int> bestKey;
    for (int i : inFolder) {
        if (i == index)
            continue;
        const Sound s = sound(i);
        if (s.rank == Sound::Rank::None || s.to != wanted.from)
            continue;
        const auto key = std::make_tuple(s.rank, !s.plainVowel, entries[i]->ALS.size(), i);
        if (best < 0 || key < bestKey) {
            best = i;
            bestKey = key;
        }
    }
    return best;
}

LoopSound singNote(const RenderNote &note, double hz)
{
    return renderInto({note}, hz, std::abs(note.entry.prmPR) + note.lengthMs + kNoteGapMs);
}

LoopSound singPhrase(const std::optional<RenderNote> &before, const RenderNote &note, double hz, double bpm)
{
    const double beat = beatMs(bpm);
    QList<RenderNote> notes;
    if (before)
        notes.append(*before);
    notes.append(note);
    for (RenderNote &n : notes)
        n.lengthMs = beat;
    const double soundMs = std::abs(notes.front().entry.prmPR) + notes.size() * beat;
    const int bars = std::max(1, int(std::ceil(soundMs / (kBarBeats * beat) - 1e-9)));
    const double loopMs = bars * kBarBeats * beat;
    LoopSound loop = renderInto(notes, hz, loopMs);
    loop.samples.resize(size_t(toSamples(loopMs)));

    // Every beat of the loop from the first note's, wrapped into it.
    const double firstBeat = std::abs(notes.front().entry.prmPR);
    for (int k = 0; k < bars * kBarBeats; ++k)
        loop.beatsMs.push_back(std::fmod(firstBeat + k * beat, loopMs));
    std::sort(loop.beatsMs.begin(), loop.beatsMs.end());
    std::vector<float> mix(loop.samples.begin(), loop.samples.end());
    addClicks(mix, loop.beatsMs, kRenderRate);
    std::transform(mix.begin(), mix.end(), loop.samples.begin(),
                   [](float v) { return qint16(std::clamp(std::lround(v), -32768L, 32767L)); });
    return loop;
}

}  // namespace render
