#include "analysis/FeatureCache.h"

#include <QFileInfo>
#include <iterator>

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

FeatureCache::Items::iterator FeatureCache::find(const QString &key, const FeatureOptions &options)
{
    for (auto it = index_.constFind(key); it != index_.constEnd() && it.key() == key; ++it)
        if (it.value()->options == options)
            return it.value();
    return items_.end();
}

std::shared_ptr<const WaveFeatures> FeatureCache::get(const QString &key, const FeatureOptions &options,
                                                      const Compute &compute)
{
    if (key.isEmpty())
        return compute();
    {
        QMutexLocker lock(&mutex_);
        if (const auto it = find(key, options); it != items_.end()) {
            items_.splice(items_.begin(), items_, it);
            return items_.front().features;
        }
    }
    // Computed outside the lock so that two threads analyse two waves at once.
    std::shared_ptr<const WaveFeatures> features = compute();
    if (!features)
        return features;
    QMutexLocker lock(&mutex_);
    if (find(key, options) != items_.end())
        return features;
    items_.push_front({key, options, features});
    index_.insert(key, items_.begin());
    bytes_ += features->byteSize();
    while (bytes_ > maxBytes_ && items_.size() > 1) {
        bytes_ -= items_.back().features->byteSize();
        index_.remove(items_.back().key, std::prev(items_.end()));
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
