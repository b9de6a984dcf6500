#include "ui/modFolderChooser.h"

#include "core/clsSett.h"
#include "core/Dialogs.h"
#include "core/modUtils.h"
#include "oto/SingerFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <algorithm>
#include <cerrno>

namespace {

QString absoluteClean(const QString &path)
{
    return QDir::cleanPath(QDir(path).absolutePath());
}

// Compared piece by piece, so /home/u holds /home/u/x but not /home/ux.
bool holds(const QString &root, const QString &path)
{
    if (root == u"/")
        return path.startsWith(u'/');
    return path == root || (path.startsWith(root) && path.at(root.size()) == u'/');
}

bool isPseudoType(const QByteArray &type)
{
    static const QSet<QByteArray> pseudo = {
        "proc", "sysfs", "devtmpfs", "devpts", "tmpfs", "ramfs", "cgroup", "cgroup2",
        "securityfs", "pstore", "efivarfs", "bpf", "debugfs", "tracefs", "configfs",
        "fusectl", "hugetlbfs", "mqueue", "binfmt_misc", "autofs", "rpc_pipefs", "nsfs",
        "selinuxfs", "squashfs", "overlay", "nfsd", "rootfs", "fuse.gvfsd-fuse", "fuse.portal",
    };
    return pseudo.contains(type);
}

// The kernel's and the runtime's trees; removable media under /run/media are
// the exception some distributions mount there.
bool isSystemTree(const QString &root)
{
    for (const char *tree : {"/proc", "/sys", "/dev", "/snap"})
        if (holds(QLatin1String(tree), root))
            return true;
    return holds(QStringLiteral("/run"), root) && !holds(QStringLiteral("/run/media"), root);
}

bool canList(const QFileInfo &info)
{
    return info.isDir() && info.isReadable() && info.isExecutable();
}

// Why folder holds no oto.ini to open: the chooser's own text where there
// is none, else the system's reason (a folder that is gone or is no folder,
// a file the user may not read), so that an unreadable file is not taken
// for a missing one.
QString noOtoText(const QString &folder, const QFile &oto)
{
    const QString notFound = QStringLiteral("打開的文件夾中未見oto.ini。\r\nNo oto.ini found.");
    const QFileInfo info(folder);
    if (!info.isDir())
        return notFound + QStringLiteral("\r\n\r\n") + folder + QStringLiteral(": ")
               + qt_error_string(info.exists() ? ENOTDIR : ENOENT);
    if (!QFileInfo(oto.fileName()).isFile())
        return notFound;
    return QStringLiteral("打開的文件夾中的oto.ini無法讀取。\r\nThe folder's oto.ini cannot be read.\r\n\r\n")
           + oto.fileName() + QStringLiteral(": ") + oto.errorString();
}

}  // namespace

QList<MountPoint> systemMounts()
{
    QList<MountPoint> out;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir())
            out.append({volume.rootPath(), volume.fileSystemType(), volume.name()});
    }
    return out;
}

QList<DriveInfo> drivesFromMounts(const QList<MountPoint> &mounts, const QString &home)
{
    const QString root = QStringLiteral("/");
    const QString homeClean = home.isEmpty() ? QString() : QDir::cleanPath(home);
    QList<DriveInfo> out{{root, root}};
    if (!homeClean.isEmpty() && homeClean != root)
        out.append({homeClean, homeClean});

    QList<MountPoint> others;
    for (const MountPoint &m : mounts) {
        const QString path = QDir::cleanPath(m.root);
        if (path == root || path == homeClean || isPseudoType(m.fsType) || isSystemTree(path))
            continue;
        const bool seen = std::any_of(others.cbegin(), others.cend(),
                                      [&](const MountPoint &o) { return o.root == path; });
        if (!seen)
            others.append({path, m.fsType, m.name});
    }
    std::sort(others.begin(), others.end(),
              [](const MountPoint &a, const MountPoint &b) { return a.root < b.root; });
    for (const MountPoint &m : others)
        out.append({m.root, m.name.isEmpty() ? m.root : m.root + QStringLiteral("  [") + m.name + u']'});
    return out;
}

int driveOf(const QList<DriveInfo> &drives, const QString &folder)
{
    int best = -1;
    for (int i = 0; i < drives.size(); ++i) {
        if (holds(drives[i].root, folder) && (best < 0 || drives[i].root.size() > drives[best].root.size()))
            best = i;
    }
    return best;
}

std::optional<QList<FolderEntry>> folderEntries(const QString &driveRoot, const QString &folder)
{
    if (!holds(driveRoot, folder) || !canList(QFileInfo(folder)))
        return std::nullopt;

    QList<FolderEntry> out;
    out.append({driveRoot, driveRoot, 0, folder == driveRoot ? FolderEntry::Current : FolderEntry::Ancestor});
    const QStringList below = folder.mid(driveRoot.size()).split(u'/', Qt::SkipEmptyParts);
    QString path = driveRoot;
    for (int i = 0; i < below.size(); ++i) {
        path = joinPath(path, below[i]);
        out.append({path, below[i], i + 1, i + 1 == below.size() ? FolderEntry::Current : FolderEntry::Ancestor});
    }

    const int childDepth = int(below.size()) + 1;
    // Folders only: files, among them a save's temporary ".oto.ini.XXXXXX"
    // that a crash may have left, are never rows.
    const QStringList children =
        QDir(folder).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : children)
        out.append({joinPath(folder, name), name, childDepth, FolderEntry::Child});
    return out;
}

QString chooseStartFolder(const QString &wrkpath, const QString &recentPath, const QString &fallback)
{
    if (!wrkpath.isEmpty())
        return wrkpath;
    if (!recentPath.isEmpty())
        return recentPath;
    return fallback;
}

QString expandHome(const QString &typed, const QString &home)
{
    if (typed == u"~" || typed.startsWith(QStringLiteral("~/")))
        return home + typed.mid(1);
    return typed;
}

std::optional<QString> acceptFolder(const QString &typed, clsSett &sett, Dialogs &dialogs)
{
    const QString folderText = expandHome(typed, QDir::homePath());
    QFile oto(joinPath(folderText, QStringLiteral("oto.ini")));
    // A singer's folder may hold no oto.ini of its own, only its pitch
    // folders'.
    const bool ownOto = QFileInfo::exists(oto.fileName());
    const bool singer = !ownOto && !findOtoFolders(folderText).isEmpty();
    // A folder of recordings (or of pitch folders of recordings) without
    // entries yet is a new bank: the window offers to make them.
    const bool recordings = !ownOto && !singer && !findRecordingFolders(folderText).isEmpty();
    if (!singer && !recordings && !oto.open(QIODevice::ReadOnly)) {
        dialogs.message({noOtoText(folderText, oto), QStringLiteral("...orz"), MsgButtons::Ok, MsgIcon::Question,
                         MsgAnswer::Ok});
        return std::nullopt;
    }
    if (oto.isOpen())
        oto.close();
    sett.settRecentPath = folderText;
    return folderText;
}

FolderChooser::FolderChooser(QList<DriveInfo> drives) : drives_(std::move(drives)) {}

bool FolderChooser::start(const QString &folder)
{
    const QString wanted = absoluteClean(folder);
    if (go(driveOf(drives_, wanted), wanted))
        return true;
    const QString current = absoluteClean(QDir::currentPath());
    return go(driveOf(drives_, current), current);
}

bool FolderChooser::chooseDrive(int index)
{
    if (index < 0 || index >= drives_.size())
        return false;
    const QString &root = drives_[index].root;
    const QString last = lastFolderOnDrive_.value(root, root);
    // A remembered folder that has gone since still leaves the drive's root.
    return go(index, last) || (last != root && go(index, root));
}

bool FolderChooser::enter(const QString &folder)
{
    return go(drive_, absoluteClean(folder));
}

bool FolderChooser::go(int drive, const QString &folder)
{
    if (drive < 0 || drive >= drives_.size())
        return false;
    auto entries = folderEntries(drives_[drive].root, folder);
    if (!entries)
        return false;
    drive_ = drive;
    folder_ = folder;
    entries_ = std::move(*entries);
    lastFolderOnDrive_.insert(drives_[drive].root, folder);
    return true;
}
