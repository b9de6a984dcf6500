#include "control/RecentBanks.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

void RecentBanks::opened(const QString &folder)
{
    Bank bank{folder, {}, {}, -1};
    if (const Bank *known = find(folder))
        bank = *known;
    banks_.removeIf([&](const Bank &b) { return b.folder == folder; });
    banks_.prepend(bank);
    while (banks_.size() > kMax)
        banks_.removeLast();
}

void RecentBanks::left(const QString &folder, int index, const QString &file, const QString &alias)
{
    for (Bank &b : banks_)
        if (b.folder == folder)
            b = {folder, file, alias, index};
}

const RecentBanks::Bank *RecentBanks::find(const QString &folder) const
{
    for (const Bank &b : banks_)
        if (b.folder == folder)
            return &b;
    return nullptr;
}

RecentBanks RecentBanks::read(const QString &iniPath)
{
    if (!QFileInfo(iniPath).isFile())
        return {};
    QSettings s(iniPath, QSettings::IniFormat);
    return read(s);
}

RecentBanks RecentBanks::read(QSettings &s)
{
    RecentBanks recent;
    const int n = s.beginReadArray(QStringLiteral("recent"));
    for (int i = 0; i < std::min(n, kMax); ++i) {
        s.setArrayIndex(i);
        Bank b{s.value(QStringLiteral("folder")).toString(), s.value(QStringLiteral("file")).toString(),
               s.value(QStringLiteral("alias")).toString(), s.value(QStringLiteral("index"), -1).toInt()};
        if (!b.folder.isEmpty())
            recent.banks_.append(b);
    }
    s.endArray();
    return recent;
}

void RecentBanks::write(const QString &iniPath) const
{
    QDir().mkpath(QFileInfo(iniPath).absolutePath());
    QSettings s(iniPath, QSettings::IniFormat);
    s.remove(QStringLiteral("recent"));
    s.beginWriteArray(QStringLiteral("recent"), int(banks_.size()));
    for (int i = 0; i < banks_.size(); ++i) {
        s.setArrayIndex(i);
        s.setValue(QStringLiteral("folder"), banks_[i].folder);
        s.setValue(QStringLiteral("file"), banks_[i].file);
        s.setValue(QStringLiteral("alias"), banks_[i].alias);
        s.setValue(QStringLiteral("index"), banks_[i].index);
    }
    s.endArray();
}

