#include "oto/FlagMarks.h"

#include "core/AtomicFile.h"
#include "oto/OtoDocument.h"

#include <QDir>
#include <QFile>

FlagMarks::FlagMarks(const OtoDocument &doc, QObject *parent) : QObject(parent), doc_(doc)
{
    connect(&doc_, &OtoDocument::entriesReplaced, this, &FlagMarks::load);
    connect(&doc_, &OtoDocument::entriesChanged, this, &FlagMarks::forget);
    connect(&doc_, &OtoDocument::entriesAboutToBeRemoved, this, [this](int first, int last) {
        QList<int> gone;
        for (int i = first; i <= last; ++i)
            gone << i;
        forget(gone);
    });
}

QString FlagMarks::reason(int index) const
{
    const OtoEntries &entries = doc_.clcOto();
    if (index < 0 || index >= entries.size())
        return {};
    return reasons_.value(entries[index].get());
}

int FlagMarks::nextAfter(int index) const
{
    const int n = int(doc_.clcOto().size());
    for (int step = 1; step <= n; ++step) {
        const int i = ((index + step) % n + n) % n;
        if (isFlagged(i))
            return i;
    }
    return -1;
}

void FlagMarks::mark(const QHash<int, QString> &reasons)
{
    const OtoEntries &entries = doc_.clcOto();
    for (auto it = reasons.begin(); it != reasons.end(); ++it)
        if (it.key() >= 0 && it.key() < entries.size())
            reasons_.insert(entries[it.key()].get(), it.value().isEmpty() ? QStringLiteral("?") : it.value());
    store();
    emit changed();
}

void FlagMarks::clear(int index)
{
    forget({index});
}

void FlagMarks::forget(const QList<int> &indexes)
{
    const OtoEntries &entries = doc_.clcOto();
    bool any = false;
    for (int i : indexes)
        if (i >= 0 && i < entries.size())
            any |= reasons_.remove(entries[i].get()) > 0;
    if (!any)
        return;
    store();
    emit changed();
}

void FlagMarks::load()
{
    reasons_.clear();
    QFile file(QDir(doc_.wrkpath()).filePath(kFileName));
    if (!doc_.wrkpath().isEmpty() && file.open(QIODevice::ReadOnly)) {
        // The first entry of each file and alias takes its line's mark.
        QHash<QPair<QString, QString>, QString> byName;
        for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            const QStringList parts = line.trimmed().split(u'\t');
            if (parts.size() >= 3)
                byName.insert({parts[0], parts[1]}, parts.mid(2).join(u' '));
        }
        for (const auto &entry : doc_.clcOto()) {
            // Files written before marks named the folder give the bare name.
            auto it = byName.find({entry->pathStr(), entry->ALS});
            if (it == byName.end())
                it = byName.find({entry->FIL, entry->ALS});
            if (it != byName.end()) {
                reasons_.insert(entry.get(), *it);
                byName.erase(it);
            }
        }
    }
    emit changed();
}

void FlagMarks::store()
{
    lastError_.clear();
    if (doc_.wrkpath().isEmpty())
        return;
    const QString path = QDir(doc_.wrkpath()).filePath(kFileName);
    if (reasons_.isEmpty()) {
        QFile::remove(path);
        return;
    }
    QByteArray text;
    for (const auto &entry : doc_.clcOto())
        if (const auto it = reasons_.find(entry.get()); it != reasons_.end())
            text += (entry->pathStr() + u'\t' + entry->ALS + u'\t' + QString(*it).replace(u'\n', u' ')).toUtf8() + '\n';
    if (const std::optional<QString> error = writeFileAtomically(path, text))
        lastError_ = *error;
}
