#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

class clsSett;
class Dialogs;

// The folder chooser without its widgets: the drives (mounted file systems
// as a Linux user knows them), the folder browser of one drive, the start
// folder and the check that accepts a voicebank folder.

// One line of the mount table, as the system reports it.
struct MountPoint {
    QString root;
    QByteArray fsType;
    QString name;  // the volume label, often empty
};

// One entry of the drive list.
struct DriveInfo {
    QString root;
    QString label;  // what the list shows
};

// One row of the folder list. Ancestors run from the drive's root down to the
// current folder (inclusive); the current folder's subfolders follow, one
// level deeper.
struct FolderEntry {
    enum Kind { Ancestor, Current, Child };
    QString path;
    QString name;
    int depth = 0;
    Kind kind = Child;
};

// The mounted file systems that can hold a voicebank, read from the system:
// valid, ready and folders.
QList<MountPoint> systemMounts();

// The drive list from a mount table: "/" first, then the home folder, then
// the other real mounts by path. Pseudo and memory file systems and mounts
// inside the kernel's and the runtime's trees are left out; they are either
// not folders a user keeps files in or reachable by browsing "/" anyway.
QList<DriveInfo> drivesFromMounts(const QList<MountPoint> &mounts, const QString &home);

// The drive that holds folder: the longest root that is folder itself or a
// parent of it, compared piece by piece. -1 when none does.
int driveOf(const QList<DriveInfo> &drives, const QString &folder);

// The rows of the folder list for folder on the drive with root driveRoot;
// nullopt when folder cannot be listed (missing, not a folder, no access).
// Subfolders are sorted by name, ignoring case; hidden ones are listed too,
// since banks live under ~/.wine or ~/.local as often as anywhere.
std::optional<QList<FolderEntry>> folderEntries(const QString &driveRoot, const QString &folder);

// The open voicebank's folder, else the most recent one, else the fallback
// (the folder that holds the demo voicebank).
QString chooseStartFolder(const QString &wrkpath, const QString &recentPath, const QString &fallback);

// A typed path with a leading "~" (alone or before "/") meaning the home
// folder, as in a shell; any other text as it is.
QString expandHome(const QString &typed, const QString &home);

// The Open command: folderText, exactly as typed (a leading "~" meaning the
// home folder), is accepted when folderText + "/oto.ini" opens for reading;
// then it is stored in sett.settRecentPath and returned. Otherwise the "No
// oto.ini found." box is shown and nothing is stored. A singer's root
// without an oto.ini of its own, and a folder of recordings without any
// (a new bank), are accepted too.
std::optional<QString> acceptFolder(const QString &folderText, clsSett &sett, Dialogs &dialogs);

// The state of the drive and folder lists. Every change either succeeds as a
// whole or leaves drive, folder and entries as they were.
class FolderChooser {
public:
    explicit FolderChooser(QList<DriveInfo> drives);

    // Goes to folder on its drive; when that fails, to the process's current
    // folder. Returns false only if both fail.
    bool start(const QString &folder);
    // Goes to the folder last visited on that drive in this chooser, at first
    // the drive's root.
    bool chooseDrive(int index);
    // Makes folder the current folder, on the current drive.
    bool enter(const QString &folder);

    const QList<DriveInfo> &drives() const { return drives_; }
    int drive() const { return drive_; }
    const QString &folder() const { return folder_; }
    const QList<FolderEntry> &entries() const { return entries_; }

private:
    bool go(int drive, const QString &folder);

    QList<DriveInfo> drives_;
    int drive_ = -1;
    QString folder_;
    QList<FolderEntry> entries_;
    QHash<QString, QString> lastFolderOnDrive_;
};
