#include "core/clsSett.h"

#include "core/AtomicFile.h"
#include "core/CharsetTable.h"
#include "core/Dialogs.h"
#include "core/NumberText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <limits>

clsSett::clsSett(QString iniPath) : path_(std::move(iniPath)) {}

void clsSett::loadDflt()
{
    settlocDisp = 1;
    settlocFile = 0;
    settRecentPath.clear();
    settPrmRound = 1;
    settFilenameBad = 1;
}

bool clsSett::isSettValid() const
{
    return charsetTable::isIndex(settlocDisp) && charsetTable::isIndex(settlocFile)
           && settPrmRound >= 0.01 && settPrmRound <= 100;
}

void clsSett::inpSett()
{
    if (!readAll() || !isSettValid())
        loadDflt();
}

namespace {

bool readInt(const QString &line, qint64 min, qint64 max, qint64 &out)
{
    bool ok = false;
    const qint64 v = line.trimmed().toLongLong(&ok);
    if (!ok || v < min || v > max)
        return false;
    out = v;
    return true;
}

}  // namespace

bool clsSett::readAll()
{
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // sett.ini is tiny; anything large is not ours.
    const QByteArray bytes = file.read(64 * 1024);
    file.close();

    QStringList lines = QString::fromLocal8Bit(bytes).split(u'\n');
    for (QString &l : lines)
        if (l.endsWith(u'\r'))
            l.chop(1);
    if (lines.size() < 5)
        return false;

    qint64 disp, fileCs, bad;
    if (!readInt(lines[0], std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(), disp)
        || !readInt(lines[1], std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(), fileCs)
        || !readInt(lines[4], std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max(), bad))
        return false;

    // The path sits between the first and the last double quote of its line,
    // so commas and even quotes inside it survive.
    const QString quoted = lines[2].trimmed();
    if (quoted.size() < 2 || !quoted.startsWith(u'"') || !quoted.endsWith(u'"'))
        return false;

    bool ok = false;
    const double step = lines[3].trimmed().toDouble(&ok);  // always "." as the point
    if (!ok)
        return false;

    settlocDisp = qint32(disp);
    settlocFile = qint32(fileCs);
    settRecentPath = quoted.mid(1, quoted.size() - 2);
    settPrmRound = step;
    settFilenameBad = qint16(bad);
    return true;
}

bool clsSett::oupsett(Dialogs &dialogs) const
{
    const QString text = QString::number(settlocDisp) + QStringLiteral("\r\n")
                         + QString::number(settlocFile) + QStringLiteral("\r\n")
                         + u'"' + settRecentPath + u'"' + QStringLiteral("\r\n")
                         + formatNumber(settPrmRound) + QStringLiteral("\r\n")
                         + QString::number(settFilenameBad) + QStringLiteral("\r\n");
    // The configuration folder of a fresh user account may not exist yet.
    QDir().mkpath(QFileInfo(path_).absolutePath());
    if (auto error = writeFileAtomically(path_, text.toLocal8Bit())) {
        dialogs.message({QStringLiteral("error while saving settings - 保存設定時出現錯誤") + QStringLiteral("\r\n") + *error,
                         QStringLiteral("..."), MsgButtons::Ok, MsgIcon::None, MsgAnswer::Ok});
        return false;
    }
    return true;
}
