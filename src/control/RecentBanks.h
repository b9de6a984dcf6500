#pragma once

#include <QList>
#include <QString>

class QSettings;

// The last banks opened, newest first, each with the entry that was on show
// when it was left, kept in lirra.ini's [recent] group.
class RecentBanks {
public:
    static constexpr int kMax = 10;

    struct Bank {
        QString folder;
        // The entry on show when the bank was left: its file and alias,
        // and where it stood then (found again by name if the file moved).
        QString file, alias;
        int index = -1;
        bool operator==(const Bank &) const = default;
    };

    const QList<Bank> &banks() const { return banks_; }
    // Puts folder first (at most kMax are kept), keeping its entry.
    void opened(const QString &folder);
    // Remembers which entry was on show in folder.
    void left(const QString &folder, int index, const QString &file, const QString &alias);
    const Bank *find(const QString &folder) const;

    static RecentBanks read(const QString &iniPath);
    static RecentBanks read(QSettings &s);
    void write(const QString &iniPath) const;

private:
    QList<Bank> banks_;
};
