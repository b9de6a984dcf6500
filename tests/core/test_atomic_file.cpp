#include "core/AtomicFile.h"
#include "support/TempFolder.h"

#include <QDateTime>
#include <QDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

// Runs check in a child process as another user (nobody) and returns its
// exit status: a plain user's permissions, whoever runs the tests.
int asNobody(const std::function<bool()> &check)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const bool ok = ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && check();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

QStringList entriesOf(const TempFolder &dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

}  // namespace

TEST(AtomicFile, ReplacesOnlyWhatAPlainWriteMayAndKeepsOwnerAndMode)
{
    TempFolder dir;
    const QString path = dir.write("oto.ini", "old");
    ::chmod(QFile::encodeName(path).constData(), 0640);
    EXPECT_EQ(writeFileAtomically(path, "new"), std::nullopt);
    EXPECT_EQ(dir.read("oto.ini"), "new");
    struct stat st{};
    ::stat(QFile::encodeName(path).constData(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(entriesOf(dir), QStringList{"oto.ini"});

    // The permission check answers as access(2) would for a plain write.
    AtomicWriteHooks readOnly;
    readOnly.mayWrite = [](const QByteArray &) { return EACCES; };
    EXPECT_EQ(writeFileAtomically(path, "newer", readOnly), QString("Permission denied"));
    EXPECT_EQ(dir.read("oto.ini"), "new");

    if (::geteuid() != 0)
        GTEST_SKIP() << "the rest needs root to act as two users";
    // Another user's file keeps its owner; a plain user may not give a file
    // away, so the save is refused rather than taking the file over.
    ::chown(QFile::encodeName(path).constData(), 4321, 4321);
    EXPECT_EQ(writeFileAtomically(path, "theirs"), std::nullopt);
    ::stat(QFile::encodeName(path).constData(), &st);
    EXPECT_EQ(std::pair(st.st_uid, st.st_gid), std::pair(uid_t(4321), gid_t(4321)));
    ::chmod(QFile::encodeName(dir.path()).constData(), 0777);
    ::chmod(QFile::encodeName(path).constData(), 0666);
    EXPECT_EQ(asNobody([&] { return writeFileAtomically(path, "mine") == QString("Operation not permitted"); }), 0);
    EXPECT_EQ(dir.read("oto.ini"), "theirs");

    // A read-only file of one's own stays as it is, with the system's reason.
    ::chown(QFile::encodeName(path).constData(), kNobody, kNobody);
    ::chmod(QFile::encodeName(path).constData(), 0444);
    EXPECT_EQ(asNobody([&] { return writeFileAtomically(path, "mine") == QString("Permission denied"); }), 0);
    EXPECT_EQ(dir.read("oto.ini"), "theirs");
    EXPECT_EQ(entriesOf(dir), QStringList{"oto.ini"});
}

TEST(AtomicFile, NoTemporaryFileOutlivesACrash)
{
    TempFolder dir;
    const QString path = dir.write("oto.ini", "old");
    const pid_t child = ::fork();
    if (child == 0) {
        AtomicWriteHooks crash;
        crash.beforeCommit = [] { ::raise(SIGKILL); };
        writeFileAtomically(path, QByteArray(4 << 20, 'x'), crash);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(dir.read("oto.ini"), "old");
    EXPECT_EQ(entriesOf(dir), QStringList{"oto.ini"});

    // Where the system has no nameless files, a crash leaves ".oto.ini.XXXXXX";
    // the next open of the bank removes those, and only those, once older
    // than a minute (a younger one may be another program's save going on).
    const auto writeAged = [&](const QString &name, int ageSeconds) {
        QFile file(dir.write(name, "stale"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds), QFileDevice::FileModificationTime));
    };
    writeAged(".oto.ini.a1B2c3", 70);
    writeAged(".oto.ini.d4E5f6", 50);
    writeAged(".oto.ini.keep", 3600);
    writeAged(".other.ini.a1B2c3", 3600);
    EXPECT_EQ(removeStaleTemporaryFiles(path), 1);
    EXPECT_EQ(entriesOf(dir), (QStringList{".other.ini.a1B2c3", ".oto.ini.d4E5f6", ".oto.ini.keep", "oto.ini"}));
    EXPECT_TRUE(isTemporaryFileName(".oto.ini.a1B2c3"));
    EXPECT_FALSE(isTemporaryFileName("oto.ini"));
    EXPECT_FALSE(isTemporaryFileName(".oto.ini.a1B2c"));
}
