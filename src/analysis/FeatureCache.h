#pragma once

#include "analysis/Features.h"

#include <QHash>
#include <QMutex>
#include <QString>
#include <functional>
#include <list>
#include <memory>

namespace analysis {

// Features of recently analysed waves, shared by the estimator and the
// spectrogram, bounded by size (the least recently used go first). Keyed by
// the wave file's path, size and modification time rather than by
// clsWave::generation(): the editor reloads the current wave each time an
// entry is selected, which changes the generation but not the sound, while
// a file rewritten on disk changes its size or time. Safe to use from
// several threads.
class FeatureCache {
public:
    explicit FeatureCache(qsizetype maxBytes = qsizetype(512) << 20);

    // The key of a file on disk: path, size and modification time; empty
    // when the file cannot be seen.
    static QString fileKey(const QString &path);

    using Compute = std::function<std::shared_ptr<const WaveFeatures>()>;
    // The cached features for key and options, or compute() stored under
    // them. An empty key is never cached; compute() may return null (no
    // wave), which is not cached either.
    std::shared_ptr<const WaveFeatures> get(const QString &key, const FeatureOptions &options, const Compute &compute);

    qsizetype bytes() const;
    int count() const;
    void clear();

private:
    struct Item {
        QString key;
        FeatureOptions options;  // other options, other features
        std::shared_ptr<const WaveFeatures> features;
    };
    using Items = std::list<Item>;
    // The item of key and options; items_.end() when there is none. Under the lock.
    Items::iterator find(const QString &key, const FeatureOptions &options);

    mutable QMutex mutex_;
    qsizetype maxBytes_;
    qsizetype bytes_ = 0;
    Items items_;  // most recently used first
    QMultiHash<QString, Items::iterator> index_;  // by key, one per options used
};

}  // namespace analysis
