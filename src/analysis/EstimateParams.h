#pragma once

// Every number the analysis is tuned by, in one place, with its unit and
// what it does: how a wave is cut into frames, how its pitch is tracked and
// its spectrogram drawn, and how the estimator finds and places the marks.
// The defaults are what the estimator was tuned to on sung voicebanks; a
// test or a settings page changes them through EstimateOptions::params.

namespace analysis {

// How a wave is cut into frames. Frame i is centred on sample i * hop.
struct FeatureOptions {
    double hopMs = 4.0;        // fine enough for boundaries a labeller can hear
    int windowSamples = 512;   // about 12 ms at 44.1 kHz: short enough to see a burst
    int bandCount = 32;        // mel bands, 80 Hz to 12 kHz
    // The loud part of a recording, against which levels count, is the
    // 1 - noiseFloorShare quantile of the levels of the take: from the first
    // to the last frame within heardRangeDb of the loudest (the 99.9%
    // quantile, past a few clicks) and at least noiseGapDb above the floor
    // (below). A minute of room noise before a short take is not part of
    // it, even where the noise is within heardRangeDb of the take.
    double heardRangeDb = 40;
    // Steady noise (mains hum, hiss, a fan) holds up the level of every
    // silence, where onsets and ends are looked for. The level is taken
    // less the wave's floor, the noiseFloorShare quantile of its frames'
    // power, by at most noiseDepthDb a frame; only a floor at least
    // noiseGapDb below the loud part is noise: a wave that never falls
    // silent has none to take off.
    double noiseFloorShare = 0.05;
    double noiseGapDb = 15;
    double noiseDepthDb = 20;
    // A wave whose samples never rise above this magnitude (of 32767, about
    // -66 dB) holds nothing sung: digital silence, dither, or a file cut
    // off before its data, whose missing part reads as 0. Its entries are
    // left as they are rather than placed on nothing.
    int silentPeak = 16;
    // Where the take lies in the wave: from the first to the last frame
    // whose power, averaged over takeSmoothMs, stands at least takeGapDb
    // above the floor of those averages (and within heardRangeDb of their
    // top). Averaged, steady noise hardly moves, however its single frames
    // flicker: a fan's rumble before the take, which a pitch tracker may
    // read as voiced, stays outside, and the take's breaths stay in.
    double takeSmoothMs = 100;
    double takeGapDb = 6;
    bool operator==(const FeatureOptions &) const = default;
};

// The fundamental-frequency tracker. The defaults suit singing: 70 Hz (a low bass) to 1100 Hz (a
// high soprano), frames of 256 samples as resamplers' frequency files have.
struct PitchOptions {
    // Frame i describes samples [i * hop, (i + 1) * hop) and is centred on
    // the middle of them; a wave of n samples has ceil(n / hop) frames.
    int hopSamples = 256;
    double minHz = 70;
    double maxHz = 1100;
    // The difference function runs on a copy low-passed and decimated by a
    // whole factor to about this rate: 1100 Hz and its second harmonic fit
    // below its Nyquist frequency, and it costs a sixteenth of the work at
    // 44.1 kHz. The chosen period is then refined on the full-rate samples.
    int analysisRate = 11025;
    // The stretch each frame compares with its shifted self. Longer than the
    // longest period (14 ms at 70 Hz), short enough to follow vibrato.
    double windowMs = 25;

    // Voicing probability, as in probabilistic YIN: the YIN threshold is not
    // one number but spread over 0.01 .. 1 by a beta distribution with these
    // parameters (mean a / (a + b) = 0.15). Each threshold votes for the
    // first dip of the normalised difference below it, so a clearly periodic
    // frame gives most of the mass to its period, and noise (no deep dip)
    // gives little to anything.
    double thresholdBetaA = 2;
    double thresholdBetaB = 11.33;
    // A threshold with no dip below it gives this share of its vote to the
    // deepest dip anyway.
    double fallbackShare = 0.01;
    // A frame whose centred window gives less voicing than this tries
    // windows moved to either side too (at the start and end of a note).
    double shiftBelowVoicing = 0.5;
    // ... as long as the frame is no more than this quieter than the stretch
    // the moved window sees (it is not the silence after a note).
    double shiftWithinDb = 10;
    // ... and as long as the frame's own samples repeat at the period found
    // (normalised correlation at least this), so that a breath after a note
    // does not take the note's pitch.
    double minBlockPeriodicity = 0.6;
    // The most candidate periods kept per frame for the decoding.
    int maxCandidates = 6;

    // Frames quieter than this (RMS, dB below full scale), or this far below
    // the wave's loudest frame, are unvoiced whatever their shape: room tone
    // and the hum of a fan or the mains are periodic but not sung, and in a
    // frequency file they would drag the mean F0 down. Over the next
    // `gateRampDb` the voicing probability rises from nothing to its own.
    double silenceDb = -60;
    double belowPeakDb = 40;
    double gateRampDb = 10;

    // The decoding over frames (Viterbi): the cost, in nats, of each
    // semitone the pitch moves between frames (a 6 Hz vibrato of a semitone
    // moves about 0.2 per frame; an octave error 12) ...
    double costPerSemitone = 0.6;
    // ... no move larger than this between neighbouring frames ...
    double maxJumpSemitones = 8;
    // ... and the cost of switching between voiced and unvoiced, so that a
    // single doubtful frame does not break a note.
    double voicingSwitchCost = 2.5;
    bool operator==(const PitchOptions &) const = default;
};

// How the frequency axis is spaced: by the mel scale (hearing's own, close
// to linear below 1 kHz and logarithmic above) or by plain octaves.
enum class FrequencyScale { Mel, Log };

struct SpectrogramOptions {
    // About 6 ms at 44.1 kHz: shorter than a pitch period, so that a
    // plosive's burst stays a thin vertical line and the formants show as
    // bands rather than as separate harmonics.
    int windowSamples = 256;
    // Zero-padded twice, so that the rows of the low end, each much narrower
    // than a bin of the window, fall between finely spaced values.
    int fftSize = 512;
    // Each column averages frames spread over at least this time. A window
    // shorter than a pitch period sees each glottal pulse come and go; the
    // average over a period shows the formants as steady bands instead of
    // a dotted pattern that beats with the pitch.
    double smoothingMs = 8;
    double minHz = 60;
    // Fricatives (s, sh, ts) and the bursts of k and t have their energy
    // between 4 and 10 kHz.
    double maxHz = 11000;
    FrequencyScale scale = FrequencyScale::Mel;
    // Frames are half a window apart over the smoothing time or the
    // column's width, whichever is longer, up to this many: a zoomed-out
    // view still shows every part of the sound rather than one frame in many.
    int maxFramesPerColumn = 4;
    // Speech loses about 6 dB per octave upwards; lifting the upper bands by
    // part of that shows formants 3 and 4 and the noise of consonants.
    double tiltDbPerOctave = 3;
    double tiltFromHz = 1000;
    int threads = 2;
    bool operator==(const SpectrogramOptions &) const = default;
};

// How the recordings are cut into sounds (the forced alignment).
struct AlignParams {
    // Log-likelihood an alignment pays for putting a pause between two
    // syllables, so that a pause is only put where the frames look like one.
    double pausePenalty = 8.0;
    // A sound with fewer frames than this (coarse frames) across the bank
    // is modelled by its consonant class.
    int minModelFrames = 60;
    // A frame's column further than this many standard deviations from a
    // sound's mean counts as only this far: one odd column (a click, a
    // breath in the upper bands, a frame the periodicity misreads) must not
    // outweigh all the others, as a Gaussian's thin tails would let it.
    double outlierDeviations = 5.0;
    // Feature frames per alignment frame: the alignment only has to find
    // each syllable, the marks are found on the fine frames afterwards.
    int step = 3;
    // Longest closure, consonant and fricative noise (ms): a singer who
    // stops longer makes a pause, which is modelled apart.
    double maxClosureMs = 120;
    double maxConsonantMs = 120;
    double maxNoiseMs = 280;
    // Shortest pause, rest, consonant and fricative noise (ms).
    double minPauseMs = 24;
    double minRestMs = 40;
    double minConsonantMs = 16;
    double minNoiseMs = 24;
    // The least share of a syllable's even slot of the sung stretch its
    // vowel takes: singers keep to a beat. Never more than
    // longestShortestVowelMs (ms): the alignment holds a vowel to that
    // length with a chain of states, one per frame of it, and in a long
    // recording of few syllables the chains would make its time and memory
    // grow with the square of the recording's length.
    double minVowelShare = 0.35;
    double longestShortestVowelMs = 2000;
    // Each phone is looked for within this long (ms) of where an even pace
    // through the recording's phones puts it, so that a long recording
    // with many entries costs its length, not its length times its
    // entries. A recording shorter than this is aligned whole; where the
    // path found runs along the band's edge, the recording is aligned again
    // without a band.
    double bandMs = 20000;
    // First round of training: a frame is vowel-like when it is within
    // vowelLevelDb of the loud part, at least this periodic (0..1) and less
    // noisy than vowelNoise (5 log10 of the share above 4 kHz); a consonant
    // is looked for this share of a slot around the slot's start and takes
    // at most maxConsonantShare of it.
    double vowelLevelDb = -20;
    double vowelPeriodicity = 0.6;
    double vowelNoise = -2.6;
    double consonantSearch = 0.4;
    double maxConsonantShare = 0.5;
    // Rounds of aligning and re-learning the singer's sounds. With fewer
    // the models have not settled: a small change in one recording then
    // moves entries in many others.
    int iterations = 5;
    // English phonemes: a liquid's or a glide's own part, and a stop's burst
    // and breath (a voiced stop's is short), last at most this long (ms); a
    // sung liquid that models as a vowel would otherwise take the start of
    // the vowel after it. A stop released into a fricative has no breath of
    // its own: its burst is the fricative's start, and is given no more than
    // minConsonantMs.
    double maxLiquidMs = 80;
    double maxGlideMs = 100;
    double maxBurstMs = 80;
    double maxVoicedBurstMs = 40;
    // A liquid after a vowel and before none ("ih l", "ih l z") may be sung
    // long. The models are learnt with it held to maxLiquidMs, which keeps
    // them clean of the vowel; a last alignment with those models lets it
    // last up to codaLiquidMs (0: no last alignment). Neither is sure: held
    // short, a long liquid starts too late; let long, it takes the end of
    // the vowel turning into it (see LandmarkParams::heldLiquidShare).
    double codaLiquidMs = 600;
    // English phonemes: the last alignment measures how sure it is of where
    // each starts, as how much worse its best path is that starts it
    // marginMs or more away (0: not measured; see
    // FlagParams::narrowPathMargin).
    double marginMs = 50;
};

// Where the marks of a syllable are found on the fine frames.
struct LandmarkParams {
    // How far before and after the aligned vowel start its consonant and
    // onset are looked for (ms): the alignment is good to a few tens of ms,
    // a consonant lasts up to about 200 ms.
    double beforeMs = 250.0;
    double afterMs = 100.0;
    // The level (dB below the vowel's) a vowel has come back to (rise) or
    // fallen from (fall, end).
    double riseDb = 6.0;
    double fallDb = 12.0;
    // A vowel has begun to fade once this far (dB) below its level.
    double fadeDb = 3.0;
    double endDb = 20.0;
    // Quieter than the vowel by this much (dB) is silence.
    double silenceDb = 40.0;
    // The level a vowel fades from is taken over this stretch before its end (ms).
    double levelBeforeEndMs = 250.0;
    // Frames with more of their power above 4 kHz than this share are
    // noise; frames less periodic than this (0..1) are not voiced.
    double noisyRatio = 0.3;
    double voicedPeriodicity = 0.5;
    // Shares of the way from the consonant's spectrum to the vowel's that
    // make the early and the middle change marks.
    double earlyShare = 0.3;
    double midShare = 0.5;
    // A vowel's settled part, which the change marks measure against,
    // starts steadyFromShare of its length after its start (within the ms
    // bounds) and lasts steadyShare of it (within the ms bounds).
    double steadyFromShare = 0.25;
    double steadyFromMinMs = 30.0;
    double steadyFromMaxMs = 100.0;
    double steadyShare = 0.5;
    double steadyMinMs = 40.0;
    double steadyMaxMs = 150.0;
    // The upper bands start above this share of all bands (about 1.5 kHz
    // with 32 mel bands up to 12 kHz); their rise is measured over this
    // many frames on each side.
    double upperBandsFrom = 0.3;
    int riseFrames = 2;
    // A note this far (ms) from the singer's beat is looked for again.
    double offBeatMs = 80.0;
    // A beat is believed only when the syllables keep to it this closely
    // (median distance, ms) and its period (ms) is that of a sung syllable.
    double beatSpreadMs = 40.0;
    double minBeatMs = 150.0;
    double maxBeatMs = 3000.0;
    // A file's onsets are placed as a whole over its beat. Each syllable's
    // candidates are the first look, looks around where the beat puts it
    // (on it and a quarter period either side) and the beat itself; the
    // path through one candidate per syllable, in order and at least
    // minOnsetGapMs (ms) apart, costs for each onset
    //   gridWeight * log(1 + (distance from the beat / spread)^2)
    //   - evidenceWeight * log(change of spectrum there / the file's median)
    //   - alignedBonus for the first look,
    // the spread being the file's median distance from its beat (ms,
    // scaled to a standard deviation, at least minGridSpreadMs). The
    // change of spectrum is that between the means of evidenceSpanMs
    // before and after a frame, the strongest within evidenceReachMs (ms).
    // Candidates closer than sameCandidateMs (ms) are one; the margin of a
    // choice is measured against candidates at least rivalApartMs away.
    double gridWeight = 1.0;
    double evidenceWeight = 1.0;
    double alignedBonus = 2.0;
    double minGridSpreadMs = 50.0;
    double minOnsetGapMs = 60.0;
    double evidenceSpanMs = 20.0;
    double evidenceReachMs = 12.0;
    double sameCandidateMs = 10.0;
    double rivalApartMs = 40.0;
    // An English phoneme's start is moved to the strongest change of the
    // spectrum this far (ms) either side of where the alignment put it, the
    // change measured between the means of changeSpanMs before and after.
    double changeReachMs = 16.0;
    double changeSpanMs = 12.0;
    // A liquid after a vowel (AlignParams::codaLiquidMs) starts this share
    // of the way from where the alignment that holds it short puts it to
    // where the one that lets it be long does.
    double heldLiquidShare = 0.5;
    // An l after a vowel starts where the spectrum has come lHalfwayShare
    // of the way from the vowel's to the l's. The vowel's is the mean of
    // its part from lVowelFromShare to lVowelToShare of the way through (as
    // aligned): settled, before it turns; the l's that of its frames from
    // lLastMs to lLastGapMs before the next sound (or its own end). The
    // tongue meets the palate over tens of ms, and the models share that
    // stretch between the two as suits the rest of the recording. An r is
    // left alone: it colours the vowel long before, and halfway would lie
    // within the vowel.
    double lHalfwayShare = 0.5;
    double lVowelFromShare = 0.25;
    double lVowelToShare = 0.6;
    double lLastMs = 40.0;
    double lLastGapMs = 10.0;
    // A vowel after a liquid or a glide ("r aa", "l iy", "w ah", "y uw")
    // starts where the spectrum has come glideHalfwayShare of the way from
    // the consonant's to the vowel's: the tongue glides into the vowel, no
    // frame changes much more than the next, and the strongest change is
    // wherever the noise puts it. The consonant's spectrum is the mean of
    // its part from glideFromShare to glideToShare of the way through (as
    // aligned); the vowel's that of its frames from glideVowelFromMs to
    // glideVowelToMs after the alignment's start.
    double glideHalfwayShare = 0.5;
    double glideFromShare = 0.25;
    double glideToShare = 0.6;
    double glideVowelFromMs = 30.0;
    double glideVowelToMs = 70.0;
    // A stop or affricate after a fricative closes where the level falls
    // fastest within closureReachMs before the alignment's start. In a
    // room the noise rings on into the closure, and the models, learnt
    // from the whole bank, end it only where the ringing has faded. After
    // a vowel the alignment's start is the better of the two.
    double closureReachMs = 60.0;
    // A fricative after a vowel may be sung twice, ending one word and,
    // after a pause, starting the next ("bren s | swen"); the alignment
    // knows one fricative and may take the second. It starts instead where
    // noise first follows the vowel, when that is more than noiseEarlierMs
    // before the alignment's start: the first noiseRunMs of frames with
    // more than noiseShare of their power above 4 kHz, within noiseBelowDb
    // of the loudest frame since the vowel started, from noiseAfterVowelMs
    // into the vowel on.
    double noiseShare = 0.3;
    double noiseBelowDb = 30.0;
    double noiseRunMs = 32.0;
    double noiseAfterVowelMs = 40.0;
    double noiseEarlierMs = 60.0;
    // A fricative into silence ends where its noise does (the last frame
    // with more than noiseShare of its power above 4 kHz) when that comes
    // more than noiseEndsBeforeFallMs before its level falls: a breath or
    // the voice after it may go on as loud.
    double noiseEndsBeforeFallMs = 40.0;
};

// How the points of an entry are placed from its marks when the bank has
// taught nothing about its kind.
struct PlacementParams {
    // A tail's note ends this long (ms) before the vowel's level has fallen.
    double tailBeforeFallMs = 40.0;
    // A tail's left bound halfway into its vowel, and at least this long
    // (ms) before its note unless its vowel is shorter.
    double tailLeftMs = 150.0;
    // The fixed part reaches this far past a tail's note, and the right
    // bound this far past its vowel's end (ms).
    double tailFixedMs = 50.0;
    double tailEndMs = 250.0;
    // A head's or CV's left bound: this long before its note and before its
    // consonant starts (ms).
    double headBeforeNoteMs = 30.0;
    double beforeConsonantMs = 40.0;
    // A VCV entry's left bound at least this long before its note (ms);
    // without a syllable sung right before, between the lead-in bounds.
    double vcvBeforeNoteMs = 60.0;
    double leadInExtraMs = 80.0;
    double minLeadInMs = 120.0;
    double maxLeadInMs = 400.0;
    // The overlap this share of the way from the left bound to the note.
    double overlapShare = 1.0 / 3.0;
    // The fixed part this long (ms) past the note; the right bound this
    // long before the vowel's end, and at least minFixedToEndMs past the
    // fixed part.
    double fixedMs = 60.0;
    double endBeforeVowelEndMs = 40.0;
    double minFixedToEndMs = 20.0;
    // English (ARPAsing) entries, placed by the class of the phonemes the
    // alias names (see PhonemeClass).
    // A held phoneme's note this long (ms) after the phoneme starts, once its
    // transition is over (heldAfterHeadMs after silence), but at most
    // heldMaxShare of the phoneme; its left bound heldLeftMs before the note
    // and its overlap heldOverlapMs after the left bound.
    double heldAfterStartMs = 100.0;
    double heldAfterHeadMs = 60.0;
    double heldMaxShare = 0.3;
    double heldLeftMs = 30.0;
    double heldOverlapMs = 40.0;
    // A vowel recorded alone ("_aa"): the entry from where it becomes
    // audible (aloneOnsetDb below its held level, gaps up to aloneGapMs
    // bridged), the note where it has come within aloneSettledDb of that
    // level, at least aloneMinNoteMs after it becomes audible.
    double aloneOnsetDb = 35.0;
    double aloneGapMs = 40.0;
    double aloneSettledDb = 6.0;
    double aloneMinNoteMs = 150.0;
    // Some singers speak, breathe or creak the vowel before they sing it,
    // as loud as the held tone: the note is where the tone starts. The tone
    // is voiced within aloneToneCents of the held part's median pitch for
    // aloneToneRunMs on end; the pitch tracker holds a voice some 40-100 ms
    // after it starts, so where the tone is held more than aloneLateToneMs
    // after the level settled, the note is at the break before it: the
    // least periodic frame in the aloneBreakMs before the tone is held.
    double aloneToneCents = 400.0;
    double aloneToneRunMs = 80.0;
    double aloneLateToneMs = 150.0;
    double aloneBreakMs = 150.0;
    // A head's left bound this long (ms) before its note; its overlap at
    // the left bound.
    double phonemeHeadLeftMs = 50.0;
    // A stop or affricate after silence: the note this long (ms) before
    // where its sound is heard, for the closure. A fricative after
    // silence: the note this long (ms) before its noise is loud enough to
    // be aligned, for its quiet onset. Labellers count little of either:
    // the English heads of the development singer were set 31 and 48 ms
    // later (medians) than 40 and 50 ms before would put them.
    double headClosureMs = 10.0;
    double headNoiseMs = 0.0;
    // A vowel, glide or liquid after silence swells in: the note this long
    // (ms) before it is loud enough to be aligned.
    double headSwellMs = 15.0;
    // An English tail's note this long (ms) before its phoneme's level has
    // fallen by LandmarkParams::fallDb; a fricative's noise fades later than
    // its level falls, a stop's burst ends the sound: their notes this much
    // later (ms) and earlier.
    double phonemeTailBeforeFallMs = 10.0;
    double tailNoiseLaterMs = 20.0;
    double tailStopEarlierMs = 25.0;
    // A tail's left bound this long (ms) before its note (a stop's
    // stopTailLeftMs: it has only its closure to give).
    double phonemeTailLeftMs = 90.0;
    double stopTailLeftMs = 65.0;
    // A joint starts in the phoneme it comes from, where that is steady
    // enough to crossfade from: from a vowel fromVowelMs before the note
    // (fromVowelToVowelMs into another vowel, whose change is slow), from a
    // consonant its class's length (ms): about where the consonant starts.
    // Never more than fromMaxShare of the vowel before, nor less than
    // minJointLeftMs.
    double fromVowelMs = 105.0;
    double fromVowelToVowelMs = 150.0;
    double fromStopMs = 60.0;
    double fromStopToVowelMs = 70.0;     // a stop into a vowel: its release too
    double fromStopToSonorantMs = 90.0;  // into a liquid, nasal or glide, which its release runs into
    double fromAffricateMs = 70.0;
    double fromFricativeMs = 75.0;
    double fromNasalMs = 45.0;
    double fromLiquidMs = 45.0;
    double fromGlideMs = 70.0;
    double fromMaxShare = 0.9;
    // Where a joint's note lies against the start of the phoneme it goes
    // into: a vowel after an affricate is taken from within its noise
    // (afterAffricateMs before the voice); a vowel after a liquid from
    // within the slow change: after an l lInMs before, as the tongue leaves
    // the palate quickly, after an r rInMs before, as its colour lingers
    // into the vowel and the alignment counts that to the r. One after a
    // glide, whose change is the vowel's own start, from glideInMs before.
    double afterAffricateMs = 60.0;
    double lInMs = 8.0;
    double rInMs = 35.0;
    double glideInMs = 0.0;
    double minJointLeftMs = 30.0;
    // The overlap this share of the way from the left bound to the note,
    // the fixed part this long (ms) past the note.
    double phonemeOverlapShare = 0.55;
    double phonemeFixedMs = 30.0;
    // A stop or affricate into silence: the note at its burst, the left
    // bound this share of the way from the closure's start to the burst, the
    // overlap tailBurstOverlapMs (ms) before the burst.
    double tailClosureKeptShare = 0.5;
    double tailBurstOverlapMs = 5.0;
    // A joint from a consonant: its left bound this share of the way from
    // where the class's length puts it to where the consonant was found to
    // start.
    double consonantStartShare = 0.5;
    // A stop after a stop: the note at most this long (ms) after the first
    // closes.
    double stopAfterStopMs = 70.0;
};

// How what the set entries teach is weighed against the defaults.
struct HabitParams {
    // Labellers differ by this much (ms, one standard deviation) in where
    // they put a point relative to the signal; a group whose siblings teach
    // nothing about how much groups differ is assumed to differ by
    // unknownSpreadMs, and never by less than minSpreadMs. The assumed
    // spread counts as much as priorGroups groups seen.
    double labellerSpreadMs = 30.0;
    double unknownSpreadMs = 10.0;
    double minSpreadMs = 2.0;
    double priorGroups = 2.0;
    // No labeller places points more steadily than this (ms, one standard
    // deviation), however few of their points agree.
    double minNoiseMs = 10.0;
    // A group never outweighs its parent with a single entry (minPull
    // entries' worth of weight stay with the parent); the bank-wide habit
    // may be learnt from one (minTopPull); a parent never keeps more than
    // maxPull entries' worth.
    double minPull = 1.0;
    // For the note a group keeps at least minNotePull entries' worth with
    // its parent: a set entry's note also carries where the signal misled
    // the rules on its own recording, which a few entries do not tell from
    // the labeller's habit (bounds, measured from the note, do not carry it).
    double minNotePull = 4.0;
    double minTopPull = 0.1;
    double maxPull = 50.0;
    // A group's learnt note is kept only when, on its own set entries,
    // each estimated from the others, it errs less than its parent's; an
    // error counts up to testCapMs (ms), so that one stray entry does not
    // decide; a group of fewer than minTested entries is not tested. How
    // often a group's entries end up further off than that weighs against
    // its parent's share as if priorFar entries had shown it. Below
    // minTested set entries, an English kind counts each of them up to
    // testCapMs from what broader kinds have learnt.
    double testCapMs = 50.0;
    int minTested = 3;
    double priorFar = 4.0;
    // A set entry shows where its recording's boundary really is: an entry
    // estimated at the same place of the recording moves by this share of
    // how far the set entry's note lies from where it would have been
    // estimated, one at the places next to it (up to neighbourReach places
    // away) by neighbourShare of it. Off (0) until it helps: on the English
    // development bank a tenth set moved this way placed fewer notes
    // within 20 ms (the same place: -0.3 points, neighbours at half: -2).
    double samePlaceShare = 0.0;
    double neighbourShare = 0.0;
    int neighbourReach = 1;
    // How much of what is learnt to believe, point by point, is checked on
    // the set entries themselves: their recordings in crossFolds folds,
    // each fold's entries placed from the others' habits, with a share of
    // the learnt move from the rules of 0, 1 / crossSteps, ... up to all of
    // it; the share that errs least (each error counted up to testCapMs)
    // is kept. A labeller who places points as the rules do gains only
    // noise from learning, one who differs gains it all. With fewer than
    // minCrossChecked set entries, or fewer recordings than folds, all of
    // it is believed (the groups' own pull and test hold it back).
    int crossFolds = 5;
    int minCrossChecked = 20;
    int crossSteps = 4;
};

// When an estimated entry is flagged for a person to look at.
struct FlagParams {
    // Set entries of one kind that place the preutterance this far apart
    // (median absolute deviation, ms) teach nothing reliable.
    double disagreeMs = 45.0;
    // A vowel shorter than this (ms) was probably not found.
    double shortVowelMs = 50.0;
    // Below the bank's median vowel fit less this many median absolute
    // deviations (at least 1 each), a vowel does not sound like its name.
    double fitDeviations = 6.0;
    // A syllable's start whose change of spectrum is below this share of
    // the file's median change (clarity) was found on little evidence.
    double unclearChange = 0.6;
    // A tail whose vowel takes longer than this (ms) to fade from
    // LandmarkParams::fadeDb to fallDb below its level ends where taste
    // decides.
    double slowFadeMs = 60.0;
    // An onset whose best rival (another change of sound near the beat)
    // loses by less than this (in the cost of the file's best path, see
    // LandmarkParams::gridWeight) could as well be the other.
    double narrowMargin = 0.7;
    // An English phoneme the recording's alignment would start
    // AlignParams::marginMs or more away at a cost (in its log-likelihood)
    // below this could as well start there: the sounds on either side
    // hardly tell where.
    double narrowPathMargin = 15.0;
    // An English note where the spectrum changes less than this share of
    // the median change at the notes of its kind (at least minKindNotes of
    // them estimated) sits where nothing marks it. The change is the RMS
    // over the bands of the mean level noteChangeSpanMs (ms) after a frame
    // less that before, the strongest within noteChangeReachMs of the note.
    double unclearPhonemeChange = 0.2;
    int minKindNotes = 5;
    double noteChangeSpanMs = 20.0;
    double noteChangeReachMs = 12.0;
    // Entries estimated with less confidence (0..1) than this are flagged.
    double threshold = 0.5;
    // Each note is found a second, independent way: a syllable's by the
    // local detector alone, around where the alignment put its vowel, the
    // beat left out; an English phoneme's by aligning the recording again
    // with finer and with coarser frames (fineStep and coarseStep feature
    // frames per alignment frame) and with a looser hold on vowel lengths and pauses
    // (looseVowelShare and loosePausePenalty, see AlignParams). Where a
    // second way puts the note further than this (ms) from the first, they
    // took different changes of sound, and a labeller may have taken either.
    double secondWayMs = 60.0;
    int fineStep = 2;
    int coarseStep = 4;
    double looseVowelShare = 0.2;
    double loosePausePenalty = 4.0;
};

struct EstimateParams {
    FeatureOptions features;
    AlignParams align;
    LandmarkParams landmarks;
    PlacementParams placement;
    HabitParams habits;
    FlagParams flags;
};

}  // namespace analysis
