#include "control/WindowPlace.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

WindowPlace WindowPlace::read(const QSettings &s)
{
    WindowPlace place;
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
