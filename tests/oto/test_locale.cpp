#include "LocaleEnv.h"

#include <QDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

struct LocaleFixture : ::testing::Test, LocaleEnv {};

const QString kKana = QString::fromUtf8("あいうえお・ヴァ～ー＿ｶﾞ①髙");
const QString kHanziS = QString::fromUtf8("汉语歌声合成，这是测试");
const QString kHanziT = QString::fromUtf8("漢語歌聲合成，這是測試");

}  // namespace

TEST(Charsets, RoundTripsAndWindowsMappings)
{
    const std::pair<int, QString> texts[] = {
        {932, kKana}, {936, kHanziS}, {950, kHanziT},
        {65001, kKana + kHanziS + kHanziT + QString::fromUtf8("🎤")}, {0, kKana + kHanziT}};
    for (const auto &[cp, text] : texts) {
        SCOPED_TRACE(cp);
        EXPECT_EQ(modLocale::bytes2str(modLocale::str2bytes(text, cp), cp), text);
    }
    EXPECT_EQ(modLocale::str2bytes(QString::fromUtf8("漢"), 950), QByteArray("\xba\x7e"));
    // Windows' 932 reads 0x8160 as FULLWIDTH TILDE and writes the wave dash there too.
    EXPECT_EQ(modLocale::bytes2str("\x81\x60", 932), QString(QChar(0xFF5E)));
    EXPECT_EQ(modLocale::str2bytes(QString(QChar(0x301C)), 932), QByteArray("\x81\x60"));
    EXPECT_EQ(modLocale::bytes2str("\x87\x40", 932), QString::fromUtf8("①"));  // NEC row 13
    EXPECT_EQ(modLocale::bytes2str("\x80", 936), QString::fromUtf8("€"));
    // Unmappable characters become "?"; malformed bytes become U+FFFD.
    EXPECT_EQ(modLocale::str2bytes(QString::fromUtf8("a한b"), 932), QByteArray("a?b"));
    EXPECT_EQ(modLocale::str2bytes(QString::fromUtf8("a👍b"), 936), QByteArray("a?b"));
    EXPECT_EQ(modLocale::bytes2str("a\xff" "b", 65001), QString::fromUtf8("a\uFFFDb"));
    EXPECT_EQ(modLocale::bytes2str("a\x82", 932), QString::fromUtf8("a\uFFFD"));
    EXPECT_TRUE(modLocale::str2bytes(QString(), 932).isEmpty());
}

TEST_F(LocaleFixture, Utf8MarkerDecidesTheEncodingOfEachRead)
{
    const QByteArray entry = QString::fromUtf8("\r\na.wav=あ,1,2,3,4,5").toUtf8();
    const std::pair<QByteArray, bool> firstLines[] = {
        {"#CHARSET:UTF8", true}, {"#charset:utf8", true}, {" # CHARSET : UTF8 ", true},
        {"#CHARSET:UTF-8", false}, {"#CHARSET:\tUTF8", false}, {"\xef\xbb\xbf#CHARSET:UTF8", false},
        {"#CHARSET:UTF8\nx", false},  // a lone LF does not end the first line
    };
    for (const auto &[first, utf8] : firstLines) {
        SCOPED_TRACE(first.toStdString());
        const QString text = locale.readfile(dir.write("oto.ini", first + entry));
        EXPECT_EQ(locale.fileUTF8, utf8);
        EXPECT_EQ(text.contains(QString::fromUtf8("あ")), utf8);
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // A read that cannot open its file, or finds it empty, leaves the flag alone.
    locale.readfile(dir.write("oto.ini", "#CHARSET:UTF8\r\n"));
    ASSERT_TRUE(locale.fileUTF8);
    EXPECT_EQ(locale.readfile(dir.file("none.ini")), QString());
    EXPECT_EQ(locale.readfile(dir.write("empty.ini", "")), QString());
    EXPECT_TRUE(locale.fileUTF8);
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[0].text,
              "modlocale::readfile(" + dir.file("none.ini") + "): No such file or directory\r\n\r\n"
              "May be caused by wrong charset settings.\r\nsee menu [Settings] - [xx charset].\r\n"
              "可能是編碼設定有誤，參見菜單“設定”-xx編碼");
    EXPECT_EQ(dialogs.messages[0].title, "Lirra");
    EXPECT_TRUE(dialogs.messages[1].text.startsWith("modlocale::readfile(" + dir.file("empty.ini") + "): "));
    EXPECT_EQ(locale.readfile(dir.path()), QString());  // a folder
    EXPECT_EQ(dialogs.messages.size(), 3);
}

TEST_F(LocaleFixture, FileCharsetIsUsedForReadingAndWriting)
{
    const QString text = "b.wav=" + kHanziS + ",1,2,3,4,5";
    sett.settlocFile = 1;
    ASSERT_TRUE(locale.writefile(dir.file("gbk.ini"), text));
    EXPECT_EQ(dir.read("gbk.ini"), modLocale::str2bytes(text, 936));
    EXPECT_EQ(locale.readfile(dir.file("gbk.ini")), text);

    sett.settlocFile = 3;  // Auto: the system's character set, UTF-8 here
    ASSERT_TRUE(locale.writefile(dir.file("auto.ini"), text));
    EXPECT_EQ(dir.read("auto.ini"), text.toUtf8());

    sett.settlocFile = 0;
    ASSERT_TRUE(locale.writefile(dir.file("sjis.ini"), QString::fromUtf8("あ漢한")));
    EXPECT_EQ(dir.read("sjis.ini"), QByteArray("\x82\xa0\x8a\xbf?"));

    ASSERT_TRUE(locale.writefile(dir.file("empty.ini"), QString()));
    EXPECT_EQ(QFileInfo(dir.file("empty.ini")).size(), 0);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(LocaleFixture, FailedWritesLeaveTheOldFileIntact)
{
    const QByteArray old = "a.wav=a,1,2,3,4,5";
    const QString path = dir.write("oto.ini", old);
    const QString big = QString("x.wav=x,1,2,3,4,5\r\n").repeated(20000);

    // The target is a folder.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    EXPECT_FALSE(locale.writefile(dir.file("folder.ini"), big));
    EXPECT_TRUE(QFileInfo(dir.file("folder.ini")).isDir());

    // A file-size limit stands in for a full disk: the write stops half-way.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_FALSE(locale.writefile(path, big));
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(dir.read("oto.ini"), old);

    // A read-only folder. Root writes anywhere, so drop to nobody meanwhile.
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(seteuid(65534), 0);
    }
    EXPECT_FALSE(locale.writefile(path, big));
    if (root) {
        ASSERT_EQ(seteuid(0), 0);
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(dir.read("oto.ini"), old);

    ASSERT_EQ(dialogs.messages.size(), 3);
    for (const auto &m : dialogs.messages)
        EXPECT_TRUE(m.text.startsWith("modlocale::writefile(")) << m.text.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"oto.ini"});  // no temporary left
}

TEST_F(LocaleFixture, OnDiskNameRule)
{
    const QString name = QString::fromUtf8("あ한.wav");
    sett.settFilenameBad = 0;
    EXPECT_EQ(locale.onDiskName(name), name);

    sett.settFilenameBad = -1;
    sett.settlocFile = 0;
    sett.settlocDisp = 0;
    EXPECT_EQ(locale.onDiskName(name), QString::fromUtf8("あ?.wav"));
    sett.settlocDisp = 1;  // Shift-JIS bytes read as GBK: the garbled name on disk
    EXPECT_EQ(locale.onDiskName(QString::fromUtf8("あ.wav")), QString::fromUtf8("\u5041.wav"));
    sett.settlocFile = 3;
    sett.settlocDisp = 3;
    EXPECT_EQ(locale.onDiskName(name), name);
}
