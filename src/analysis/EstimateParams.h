#pragma once

#include "analysis/Features.h"

// Every number the estimator is tuned by, in one place, with its unit and
// what it does. The defaults are what the estimator was tuned to on sung
// voicebanks; a test or a settings page changes them through
// EstimateOptions::params.

namespace analysis {

// How the recordings are cut into sounds (the forced alignment).
struct AlignParams {
    // Log-likelihood an alignment pays for putting a pause between two
    // syllables, so that a pause is only put where the frames look like one.
    double pausePenalty = 8.0;
    // A sound with fewer frames than this (coarse frames) across the bank
    // is modelled by its consonant class.
    int minModelFrames = 60;
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
    // vowel takes: singers keep to a beat.
    double minVowelShare = 0.35;
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
    // Rounds of aligning and re-learning the singer's sounds.
    int iterations = 3;
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
};

// How the points of an entry are placed from its marks when the bank has
// taught nothing about its kind.
struct PlacementParams {
    // A tail's note ends this long (ms) before the vowel's level has fallen.
    double tailBeforeFallMs = 40.0;
    // A tail's left bound at most this long (ms) before its note.
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
    double aloneSettledDb = 3.0;
    double aloneMinNoteMs = 150.0;
    // A head's left bound this long (ms) before its note; its overlap at
    // the left bound.
    double phonemeHeadLeftMs = 50.0;
    // A stop or affricate after silence: the note this long (ms) before
    // where its sound is heard, for the closure.
    double headClosureMs = 40.0;
    // A fricative after silence: the note this long (ms) before its noise
    // is loud enough to be aligned, for its quiet onset.
    double headNoiseMs = 50.0;
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
    double fromStopToSonorantMs = 90.0;  // a stop into a vowel, liquid, nasal or glide: its release too
    double fromAffricateMs = 70.0;
    double fromFricativeMs = 95.0;
    double fromNasalMs = 65.0;
    double fromLiquidMs = 65.0;
    double fromGlideMs = 70.0;
    double fromMaxShare = 0.9;
    // Where a joint's note lies against the start of the phoneme it goes
    // into: a vowel after an affricate is taken from within its noise
    // (afterAffricateMs before the voice); a vowel after a liquid or a
    // glide from within the slow change (glideInMs before).
    double afterAffricateMs = 60.0;
    double glideInMs = 20.0;
    double minJointLeftMs = 30.0;
    // The overlap this share of the way from the left bound to the note,
    // the fixed part this long (ms) past the note.
    double phonemeOverlapShare = 0.55;
    double phonemeFixedMs = 30.0;
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
    double minTopPull = 0.1;
    double maxPull = 50.0;
    // A group's learnt note is kept only when, on its own set entries,
    // each estimated from the others, it errs less than its parent's; an
    // error counts up to testCapMs (ms), so that one stray entry does not
    // decide; a group of fewer than minTested entries is not tested. How
    // often a group's entries end up further off than that weighs against
    // its parent's share as if priorFar entries had shown it.
    double testCapMs = 50.0;
    int minTested = 3;
    double priorFar = 2.0;
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
};

// When an estimated entry is flagged for a person to look at.
struct FlagParams {
    // Set entries of one kind that place the preutterance this far apart
    // (median absolute deviation, ms) teach nothing reliable.
    double disagreeMs = 30.0;
    // A vowel shorter than this (ms) was probably not found.
    double shortVowelMs = 50.0;
    // Below the bank's median vowel fit less this many median absolute
    // deviations (at least 1 each), a vowel does not sound like its name.
    double fitDeviations = 6.0;
    // A start whose change of spectrum is below this share of the file's
    // median change (clarity) was found on little evidence.
    double unclearChange = 0.6;
    // A tail whose vowel takes longer than this (ms) to fade from
    // LandmarkParams::fadeDb to fallDb below its level ends where taste
    // decides.
    double slowFadeMs = 60.0;
    // An onset whose best rival (another change of sound near the beat)
    // loses by less than this (in the cost of the file's best path, see
    // LandmarkParams::gridWeight) could as well be the other.
    double narrowMargin = 0.7;
    // Entries estimated with less confidence (0..1) than this are flagged.
    double threshold = 0.5;
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
