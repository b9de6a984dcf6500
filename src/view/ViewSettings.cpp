#include "view/ViewSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kSpectrogram = QStringLiteral("view/spectrogram");
const QString kCurves = QStringLiteral("view/analysisCurves");
const QString kPitch = QStringLiteral("view/pitchCurve");
const QString kLoudness = QStringLiteral("view/loudnessCurve");

bool readBool(const QSettings &s, const QString &key, bool fallback)
{
    const QString v = s.value(key).toString().trimmed().toLower();
    if (v == QLatin1String("true") || v == QLatin1String("1"))
        return true;
    if (v == QLatin1String("false") || v == QLatin1String("0"))
        return false;
    return fallback;
}

}  // namespace

QString ViewSettings::pathBeside(const QString &settIni)
{
    return QFileInfo(settIni).dir().filePath(QStringLiteral("lirra.ini"));
}

ViewSettings ViewSettings::read(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return {};
    return read(QSettings(path, QSettings::IniFormat));
}

ViewSettings ViewSettings::read(const QSettings &s)
{
    ViewSettings v;
    v.spectrogram = readBool(s, kSpectrogram, v.spectrogram);
    v.analysisCurves = readBool(s, kCurves, v.analysisCurves);
    v.pitchCurve = readBool(s, kPitch, v.pitchCurve);
    v.loudnessCurve = readBool(s, kLoudness, v.loudnessCurve);
    return v;
}

std::optional<QString> ViewSettings::write(const QString &path) const
{
    // The configuration folder of a fresh user account may not exist yet.
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSettings s(path, QSettings::IniFormat);
    s.setValue(kSpectrogram, spectrogram);
    s.setValue(kCurves, analysisCurves);
    s.setValue(kPitch, pitchCurve);
    s.setValue(kLoudness, loudnessCurve);
    s.sync();
    switch (s.status()) {
    case QSettings::NoError: return std::nullopt;
    case QSettings::AccessError: return path + QStringLiteral(": cannot be written");
    case QSettings::FormatError: return path + QStringLiteral(": not a settings file");
    }
    return path;
}
