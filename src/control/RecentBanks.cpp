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
    RecentBanks recent;
    if (!QFileInfo(iniPath).isFile())
        return recent;
    QSettings s(iniPath, QSettings::IniFormat);
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

WindowPlace WindowPlace::read(const QString &iniPath)
{
    WindowPlace place;
    if (!QFileInfo(iniPath).isFile())
        return place;
    const QSettings s(iniPath, QSettings::IniFormat);
    place.geometry = QByteArray::fromBase64(s.value(QStringLiteral("window/geometry")).toByteArray());
    place.listWidth = std::max(0, s.value(QStringLiteral("window/listWidth"), 0).toInt());
    return place;
}

void WindowPlace::write(const QString &iniPath) const
{
    QDir().mkpath(QFileInfo(iniPath).absolutePath());
    QSettings s(iniPath, QSettings::IniFormat);
    s.setValue(QStringLiteral("window/geometry"), QString::fromLatin1(geometry.toBase64()));
    s.setValue(QStringLiteral("window/listWidth"), listWidth);
}
