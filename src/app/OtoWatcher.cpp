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
    if (watcher_->files() == QStringList{path})
        return;
    unwatch();
    if (!path.isEmpty() && QFileInfo::exists(path))
        watcher_->addPath(path);
}

// A file renamed over or deleted is already dropped from the watcher's
// list, and removing nothing makes Qt print a warning.
void OtoWatcher::unwatch()
{
    const QStringList watched = watcher_->files();
    if (!watched.isEmpty())
        watcher_->removePaths(watched);
}

void OtoWatcher::changedOnDisk()
{
    const bool reloaded = controller_.followDiskChange();
    unwatch();  // a replaced file is watched anew
    watch();
    if (reloaded)
        emit this->reloaded(QStringLiteral("oto.ini was changed on disk and has been read again. - oto.ini已被外部修改，已重新讀取。"));
}
