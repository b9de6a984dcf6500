#include "core/clsSett.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "ui/modFolderChooser.h"

#include <QDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
template <class T> QStringList field(const QList<T> &items, QString T::*member)
{
    QStringList out;
    for (const T &item : items)
        out << item.*member;
    return out;
}
QStringList roots(const QList<DriveInfo> &drives) { return field(drives, &DriveInfo::root); }
QStringList paths(const QList<FolderEntry> &entries) { return field(entries, &FolderEntry::path); }
}  // namespace

TEST(FolderChooserLogic, DrivesAreRealMountsRootAndHomeFirstLongestPrefixWins)
{
    const QList<MountPoint> mounts = {
        {"/proc", "proc", ""}, {"/mnt/data", "ext4", ""}, {"/", "ext4", ""},
        {"/sys/fs/cgroup/cpu", "cgroup", ""}, {"/mnt/ram", "tmpfs", ""}, {"/run/lock", "ext4", ""},
        {"/run/media/u/Stick", "vfat", ""}, {"/snap/core/1", "squashfs", ""},
        {"/media/u/USB/", "vfat", "USB"}, {"/mnt/data", "ext4", ""}, {"/home", "ext4", ""},
    };
    const auto drives = drivesFromMounts(mounts, "/home/u/");
    EXPECT_EQ(roots(drives), QStringList({"/", "/home/u", "/home", "/media/u/USB", "/mnt/data", "/run/media/u/Stick"}));
    EXPECT_EQ(std::pair(drives[3].label, drives[4].label), std::pair(QString("/media/u/USB  [USB]"), QString("/mnt/data")));
    EXPECT_EQ(roots(drivesFromMounts({{"/", "ext4", ""}, {"/home/u", "ext4", ""}}, "/home/u")),
              QStringList({"/", "/home/u"}));

    EXPECT_EQ(driveOf(drives, "/home/u/voice"), 1);
    EXPECT_EQ(driveOf(drives, "/home/ux"), 2);
    EXPECT_EQ(driveOf(drives, "/mnt/database"), 0);
    EXPECT_EQ(driveOf(drives, "relative"), -1);
}

TEST(FolderChooserLogic, EntriesAreAncestorsThenSortedSubfoldersHiddenToo)
{
    TempFolder tmp;
    for (const char *f : {"b/deep", "A", "c", ".hidden"})
        ASSERT_TRUE(QDir().mkpath(tmp.file(f)));
    tmp.write("x.txt", "");
    // A save's temporary file left by a crash is a file: never a row.
    tmp.write(".oto.ini.a1B2c3", "a.wav=a,1,2,3,4,5");
    // Not valid UTF-8: Qt has no path for it, so it must not be a row.
    ASSERT_EQ(::mkdir((QFile::encodeName(tmp.path()) + "/bad\xff\xfe").constData(), 0755), 0);
    const QString root = tmp.path();

    auto top = folderEntries(root, root);
    ASSERT_TRUE(top);
    EXPECT_EQ(paths(*top), QStringList({root, root + "/.hidden", root + "/A", root + "/b", root + "/c"}));
    EXPECT_EQ(std::pair((*top)[0].kind, (*top)[1].depth), std::pair(FolderEntry::Current, 1));

    auto inB = folderEntries("/", root + "/b");
    ASSERT_TRUE(inB);
    EXPECT_EQ(paths(inB->mid(0, 2)), QStringList({"/", "/" + root.section('/', 1, 1)}));
    const FolderEntry &b = inB->at(inB->size() - 2), &deep = inB->last();
    EXPECT_EQ(std::tuple(b.path, b.name, b.kind), std::tuple(root + "/b", QString("b"), FolderEntry::Current));
    EXPECT_EQ(std::tuple(deep.path, deep.depth, deep.kind), std::tuple(root + "/b/deep", b.depth + 1, FolderEntry::Child));

    EXPECT_FALSE(folderEntries(root, root + "/missing"));
    EXPECT_FALSE(folderEntries(root, root + "/x.txt"));
    EXPECT_FALSE(folderEntries(root + "/b", root + "/c"));
}

TEST(FolderChooserLogic, StartFolderAndOtoCheck)
{
    EXPECT_EQ(chooseStartFolder("/w", "/r", "/p"), "/w");
    EXPECT_EQ(chooseStartFolder("", "/r", "/p"), "/r");
    EXPECT_EQ(chooseStartFolder("", "", "/p"), "/p");

    TempFolder tmp;
    tmp.write("oto.ini", "a.wav=a,0,0,0,0,0\r\n");
    ASSERT_TRUE(QDir().mkpath(tmp.file("dirOto/oto.ini")));
    ScriptedDialogs dialogs;
    clsSett sett(tmp.file("sett.ini"));
    sett.settRecentPath = "/old";

    // Taken as typed: no trimming, and a folder named oto.ini is no file.
    for (const QString &refused : {tmp.file("dirOto"), " " + tmp.path(), tmp.path() + " "})
        EXPECT_FALSE(acceptFolder(refused, sett, dialogs)) << refused.toStdString();
    ASSERT_EQ(dialogs.messages.size(), 3);
    const MessageRequest &m = dialogs.messages[0];
    EXPECT_EQ(std::tuple(m.text, m.title, m.icon, m.buttons),
              std::tuple(QString("打開的文件夾中未見oto.ini。\r\nNo oto.ini found."), QString("...orz"), MsgIcon::Question, MsgButtons::Ok));
    EXPECT_EQ(sett.settRecentPath, "/old");

    EXPECT_EQ(acceptFolder(tmp.path() + "/", sett, dialogs), tmp.path() + "/");
    EXPECT_EQ(sett.settRecentPath, tmp.path() + "/");

    // A folder that is gone, or one that is a file, says so with the
    // system's reason; an oto.ini the user may not read is not "not found".
    dialogs.messages.clear();
    EXPECT_FALSE(acceptFolder(tmp.file("gone"), sett, dialogs));
    EXPECT_FALSE(acceptFolder(tmp.file("oto.ini"), sett, dialogs));
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[0].text, "打開的文件夾中未見oto.ini。\r\nNo oto.ini found.\r\n\r\n" + tmp.file("gone")
                                            + ": No such file or directory");
    EXPECT_TRUE(dialogs.messages[1].text.endsWith(tmp.file("oto.ini") + ": Not a directory"));
    ::chmod(QFile::encodeName(tmp.path()).constData(), 0755);
    ::chmod(QFile::encodeName(tmp.file("oto.ini")).constData(), 0600);
    const pid_t child = ::fork();
    if (child == 0) {
        // A plain user's permissions, whoever runs the tests.
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        ScriptedDialogs asked;
        const bool refused = !acceptFolder(tmp.path(), sett, asked);
        ::_exit(refused && asked.messages.size() == 1
                        && asked.messages[0].text.endsWith(tmp.file("oto.ini") + ": Permission denied")
                        && asked.messages[0].text.contains("The folder's oto.ini cannot be read.")
                    ? 0
                    : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
    // An empty oto.ini is a voicebank to open; the window says it is empty.
    tmp.write("oto.ini", "");
    EXPECT_EQ(acceptFolder(tmp.path(), sett, dialogs), tmp.path());
    // So is a folder of recordings without one: a new bank.
    TempFolder fresh;
    fresh.write("a.wav", "RIFF");
    EXPECT_EQ(acceptFolder(fresh.path(), sett, dialogs), fresh.path());

    // A leading "~" is the home folder, as in a shell; elsewhere it is a letter.
    EXPECT_EQ(expandHome("~", "/home/u"), "/home/u");
    EXPECT_EQ(expandHome("~/voice/~a", "/home/u"), "/home/u/voice/~a");
    EXPECT_EQ(expandHome("~other/x", "/home/u"), "~other/x");
    EXPECT_EQ(expandHome("/x/~", "/home/u"), "/x/~");
}

TEST(FolderChooserLogic, FailedMovesKeepTheState)
{
    TempFolder tmp;
    ASSERT_TRUE(QDir().mkpath(tmp.file("b/x")));
    const QString b = tmp.file("b");
    FolderChooser chooser({{"/", "/"}, {b, b}, {tmp.file("unplugged"), "unplugged"}});

    // A start folder that has gone falls back to the process's folder.
    ASSERT_TRUE(chooser.start(tmp.file("never")));
    EXPECT_EQ(chooser.folder(), QDir::cleanPath(QDir::currentPath()));

    ASSERT_TRUE(chooser.start(b + "/x/"));
    const auto before = paths(chooser.entries());
    for (int drive : {2, 7})
        EXPECT_FALSE(chooser.chooseDrive(drive));
    EXPECT_FALSE(chooser.enter(b + "/missing"));
    EXPECT_FALSE(chooser.enter(tmp.path()));  // not on the current drive
    EXPECT_EQ(std::tuple(chooser.drive(), chooser.folder(), paths(chooser.entries())), std::tuple(1, b + "/x", before));

    // A remembered folder removed since leaves the drive's root.
    ASSERT_TRUE(chooser.chooseDrive(0));
    ASSERT_TRUE(QDir(b + "/x").removeRecursively());
    ASSERT_TRUE(chooser.chooseDrive(1));
    EXPECT_EQ(chooser.folder(), b);
}
