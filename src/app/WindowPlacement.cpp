#include "app/WindowPlacement.h"

#include "oto/OtoDocument.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <cmath>

QRect firstWindowRect(const QScreen *screen, const QSize &minimum)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect free = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const double side = std::sqrt(0.75);  // three quarters of the area
    const QSize size = (QSizeF(free.size()) * side).toSize().expandedTo(minimum);
    return QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, free);
}

std::optional<QString> droppedFolder(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return std::nullopt;
    const QFileInfo dropped(data->urls().first().toLocalFile());
    if (dropped.isDir())
        return dropped.absoluteFilePath();
    if (dropped.isFile() && dropped.fileName().compare(OtoDocument::kOtoIni, Qt::CaseInsensitive) == 0)
        return dropped.absolutePath();
    return std::nullopt;
}
