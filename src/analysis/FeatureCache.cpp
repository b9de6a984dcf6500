#include "analysis/FeatureCache.h"

#include <QFileInfo>

namespace analysis {

FeatureCache::FeatureCache(qsizetype maxBytes) : maxBytes_(maxBytes) {}

QString FeatureCache::fileKey(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QString();
    return QStringLiteral("%1|%2|%3")
        .arg(info.absoluteFilePath())
        .arg(info.size())
        .arg(info.lastModified().toMSecsSinceEpoch());
}

QString FeatureCache::idOf(const QString &key, const FeatureOptions &o)
{
    // Every option that changes the features.
    return QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
        .arg(key)
        .arg(o.hopMs)
        .arg(o.windowSamples)
        .arg(o.bandCount)
        .arg(o.noiseFloorShare)
        .arg(o.noiseGapDb)
        .arg(o.noiseDepthDb);
}

std::shared_ptr<const WaveFeatures> FeatureCache::get(const QString &key, const FeatureOptions &options,
                                                      const Compute &compute)
{
    if (key.isEmpty())
        return compute();
    const QString id = idOf(key, options);
    {
        QMutexLocker lock(&mutex_);
        if (auto it = index_.constFind(id); it != index_.constEnd()) {
            items_.splice(items_.begin(), items_, it.value());
            return items_.front().features;
        }
    }
    // Computed outside the lock so that two threads analyse two waves at once.
    std::shared_ptr<const WaveFeatures> features = compute();
    if (!features)
        return features;
    QMutexLocker lock(&mutex_);
    if (index_.contains(id))
        return features;
    items_.push_front({id, features});
    index_.insert(id, items_.begin());
    bytes_ += features->byteSize();
    while (bytes_ > maxBytes_ && items_.size() > 1) {
        bytes_ -= items_.back().features->byteSize();
        index_.remove(items_.back().id);
        items_.pop_back();
    }
    return features;
}

qsizetype FeatureCache::bytes() const
{
    QMutexLocker lock(&mutex_);
    return bytes_;
}

int FeatureCache::count() const
{
    QMutexLocker lock(&mutex_);
    return int(items_.size());
}

void FeatureCache::clear()
{
    QMutexLocker lock(&mutex_);
    items_.clear();
    index_.clear();
    bytes_ = 0;
}

}  // namespace analysis
