#pragma once

#include "analysis/EstimateParams.h"
#include "analysis/FeatureCache.h"
#include "analysis/Syllables.h"
#include "oto/clsOto.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class modLocale;

namespace analysis {

// A wave as the estimator needs it.
struct WaveData {
    QList<qint16> samples;
    int sampleRate = 44100;
    QString error;  // why it could not be loaded (samples empty then)
};

// Where the estimator gets its waves: load() by the entry's file name (FIL),
// and cacheKey() saying which content a name stands for now (empty: do not
// cache). Both are called from worker threads.
struct WaveSource {
    std::function<WaveData(const QString &fileName)> load;
    std::function<QString(const QString &fileName)> cacheKey;
};

// Waves of a voicebank folder read as the editor reads them (clsWave), with
// the locale's on-disk name rule when a locale is given.
WaveSource folderWaves(const QString &folder, const modLocale *locale = nullptr);

// An entry whose five numbers are all 0 has not been set.
bool isUnset(const clsOto &entry);
QList<int> unsetIndexes(const QList<clsOto> &entries);
// Whether most set entries of the bank keep a positive right bound (a
// distance back from the wave's end), which its unset entries then take.
bool bankUsesPositiveRight(const QList<clsOto> &entries);

struct EstimateOptions {
    int threads = 2;
    EstimateParams params;  // the tuning, defaults in EstimateParams.h
    // The singer's prefix.map pairs (prefix, suffix): what a pitch folder's
    // aliases carry. Without them, the ending nearly all of a folder's
    // aliases share is taken for its pitch suffix.
    singer::AffixPairs affixPairs;
    // The form of right bound for entries with none to go by (all unset):
    // a singer's other folders' (positive: from the end of the recording).
    bool positiveRight = false;
};

struct Estimate {
    int index = -1;         // into the entries given
    clsOto entry;           // FIL and ALS as given; the five numbers estimated when `estimated`, the right
                            // bound in the entry's form (an unset entry's in the bank's)
    bool estimated = false; // false: nothing could be worked out; entry holds the old numbers
    bool flagged = false;   // estimated or not, a person should look at it
    QString reason;         // why it is flagged, one short line
    double confidence = 0;  // 0..1, how sure the estimate is; flagged below FlagParams::threshold
};

// The line a flagged estimate is reported by:
// "flagged<TAB>N<TAB>ALIAS<TAB>REASON", N the entry's 1-based position.
QString flagLine(const Estimate &estimate);

struct EstimateReport {
    QList<Estimate> estimates;  // one per target, in the order of the targets
    int flagged = 0;
    double elapsedMs = 0;
    double featuresMs = 0;  // of which reading the waves and their features
    double alignMs = 0;     // and segmenting them
};

// Sets the five numbers of entries from their recordings. The entries that
// are set and not targets teach it how this bank places its points for each
// kind of entry; the targets get positions found in the signal, moved by
// what was learnt.
class Estimator {
public:
    explicit Estimator(WaveSource source, FeatureCache *cache = nullptr);

    EstimateReport estimate(const QList<clsOto> &entries, const QList<int> &targets,
                            const EstimateOptions &options = {});

private:
    WaveSource source_;
    FeatureCache *cache_;
};

// Unset entries for the waves among waveFiles that no entry names, by the
// usual naming of recordings: "_あかさ.wav" (VCV) gives "- あ", "a か",
// "a さ", "a -"; "か.wav" (CV) gives "か"; in a bank of CVVC entries
// ("a k", "ka") "_あか.wav" gives "- あ", "a k", "か", "a -". An alias the
// bank already has is not made twice; of two recordings that sing it, the
// one with the plainer name has it. Aliases are spelt as bankSpelling
// says, and made under each kana of a sound the bank writes two ways.
//
// namesakes: what a singer's other folders call their recording of a file
// name (aliases without pitch affixes, in their order). A pitch folder sings
// the list the others do, so such a recording is named as they name it
// (an English "0.wav" too). Where the aliases read as English phonemes, a
// recording with no namesake is left to a person: its name is no Japanese.
QList<clsOto> generateEntries(const QList<clsOto> &existing, const QStringList &waveFiles,
                              const QHash<QString, QStringList> &namesakes = {});

// How made aliases are spelt: in the script most of the bank's syllable
// aliases are written in; in a bank with none, in kana, as a recording's
// name writes them where it writes kana.
struct AliasSpelling {
    enum class Script { AsNamed, Hiragana, Katakana, Romaji };
    Script script = Script::AsNamed;
    // s in that script. In a kana bank, named, how a recording's name
    // writes s in kana, is kept where it reads as s ("うぉ", "づ", not the
    // table's "を", "ず"), turned into the bank's hiragana or katakana.
    // Romaji names give kana aliases: makers name files in romaji for
    // archives' sake and sing kana lyrics.
    QString spell(const Syllable &s, QStringView named = {}) const;
};
AliasSpelling bankSpelling(const QStringList &aliases);

// The aliases a recording's name implies by that usual naming, in the
// order generateEntries makes them; none for a name that is not a
// recording name.
// VCV names each sound after the vowel before it ("a か"); CVVC names the
// move from a vowel into a consonant ("a k") and the syllable on its own.
enum class RecordingNaming { Vcv, Cvvc };
QStringList namedAliases(const QString &file, const AliasSpelling &spelling,
                         RecordingNaming naming = RecordingNaming::Vcv);

// The kind of entry, for reports and for learning: "head", "tail", "V-V",
// "ん", or the consonant class ("plosive", "fricative", ...), with "CV " in
// front for plain CV aliases.
QString entryKind(const AliasInfo &alias);

}  // namespace analysis
