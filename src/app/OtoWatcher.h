#pragma once

#include <QObject>

class MainController;
class QFileSystemWatcher;

// Watches the open oto.ini for changes by other programs and hands each one
// to the controller, which reloads or asks. A save renames a new file into
// place, so the watch follows every load and save.
class OtoWatcher : public QObject {
    Q_OBJECT
public:
    OtoWatcher(MainController &controller, QObject *parent);

signals:
    // The file was read again after a change on disk.
    void reloaded(const QString &message);

private:
    void watch();
    void unwatch();
    void changedOnDisk();

    MainController &controller_;
    QFileSystemWatcher *watcher_;
};
