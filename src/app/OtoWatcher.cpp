#include "app/OtoWatcher.h"

#include "control/MainController.h"
#include "core/modUtils.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

OtoWatcher::OtoWatcher(MainController &controller, QObject *parent)
    : QObject(parent), controller_(controller), watcher_(new QFileSystemWatcher(this))
{
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &OtoWatcher::changedOnDisk);
    connect(&controller_.document(), &OtoDocument::titleChanged, this, &OtoWatcher::watch);
}

void OtoWatcher::watch()
{
    const OtoDocument &doc = controller_.document();
    const QString path = doc.wrkpath().isEmpty() ? QString() : joinPath(doc.wrkpath(), OtoDocument::kOtoIni);
    const QStringList watched = watcher_->files();
    if (watched == QStringList{path})
        return;
    if (!watched.isEmpty())
        watcher_->removePaths(watched);
    if (!path.isEmpty() && QFileInfo::exists(path))
        watcher_->addPath(path);
}

void OtoWatcher::changedOnDisk()
{
    const bool reloaded = controller_.followDiskChange();
    watcher_->removePaths(watcher_->files());  // a replaced file is watched anew
    watch();
    if (reloaded)
        emit this->reloaded(QStringLiteral("oto.ini was changed on disk and has been read again. - oto.ini已被外部修改，已重新讀取。"));
}
