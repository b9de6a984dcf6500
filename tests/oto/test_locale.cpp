#include "support/LocaleEnv.h"

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

TEST_F(LocaleFixture, MarkerByteOrderMarkAndLineEndsMakeTheFormOfEachRead)
{
    const QByteArray entry = QString::fromUtf8("\r\na.wav=あ,1,2,3,4,5").toUtf8();
    const QByteArray bom = "\xef\xbb\xbf";
    const std::tuple<QByteArray, bool, bool> firstLines[] = {
        {"#CHARSET:UTF8", true, false}, {"#charset:utf8", true, false}, {" # CHARSET : UTF8 ", true, false},
        {"#CHARSET:UTF-8", false, false}, {"#CHARSET:\tUTF8", false, false},
        {bom + "#CHARSET:UTF8", true, true}, {bom + "x", false, true},  // the mark alone makes UTF-8
        {"#CHARSET:UTF8\nx", false, false},  // with CR LF in the file a lone LF does not end a line
    };
    for (const auto &[first, marker, hasBom] : firstLines) {
        SCOPED_TRACE(first.toStdString());
        const auto file = locale.tryReadfile(dir.write("oto.ini", first + entry));
        ASSERT_TRUE(file);
        EXPECT_EQ(file->form, (TextForm{.utf8Marker = marker, .bom = hasBom}));
        EXPECT_EQ(file->text.contains(QString::fromUtf8("あ")), marker || hasBom);
        EXPECT_FALSE(file->text.startsWith(QChar(0xFEFF)));
    }
    // A file without CR LF but with LF is an LF file, its first line too.
    const auto lf = locale.tryReadfile(dir.write("lf.ini", bom + QString::fromUtf8("#CHARSET:UTF8\nあ\n").toUtf8()));
    ASSERT_TRUE(lf);
    EXPECT_EQ(lf->form, (TextForm{.utf8Marker = true, .bom = true, .lineEnd = LineEnd::Lf, .finalLineEnd = true}));
    EXPECT_EQ(lf->text, QString::fromUtf8("#CHARSET:UTF8\nあ\n"));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    EXPECT_EQ(locale.readfile(dir.file("none.ini")), QString());
    EXPECT_EQ(locale.readfile(dir.write("empty.ini", "")), QString());
    ASSERT_EQ(dialogs.messages.size(), 2);
    // The system's reason, not a guess at the charset; an empty file says so.
    EXPECT_EQ(dialogs.messages[0].text, "modlocale::readfile(" + dir.file("none.ini") + "): No such file or directory");
    EXPECT_TRUE(dialogs.messages[1].text.contains("The file is empty; saving writes the entries to it."));
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

    {
        ReadOnlyFolder readOnly(dir.path());
        EXPECT_FALSE(locale.writefile(path, big));
    }
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

    // A name stored decomposed (a bank made on a Mac) is found from the
    // composed name and the other way round.
    const QString ga = QString::fromUtf8("が.wav"), gaDecomposed = ga.normalized(QString::NormalizationForm_D);
    dir.write(gaDecomposed, "x");
    dir.write(QString::fromUtf8("ぱ.wav"), "x");
    EXPECT_EQ(locale.wavePath(dir.path(), ga), dir.file(gaDecomposed));
    EXPECT_EQ(locale.wavePath(dir.path(), QString::fromUtf8("ぱ.wav").normalized(QString::NormalizationForm_D)),
              dir.file(QString::fromUtf8("ぱ.wav")));
    EXPECT_EQ(locale.wavePath(dir.path(), "none.wav"), dir.file("none.wav"));
}

TEST_F(LocaleFixture, WesternAndKoreanCodePagesRoundTrip)
{
    // The two rows after "Auto", by their command-line names and code pages.
    ASSERT_EQ(locale.charsets().size(), 6);
    EXPECT_EQ(locale.charsets()[4].codePage, 1252);
    EXPECT_EQ(locale.charsets()[5].codePage, 949);
    const QString western = QString::fromUtf8("café=Ñandú,1,2,3,4,5 €‘’—");
    const QString korean = QString::fromUtf8("가.wav=- 가,1,2,3,4,5 한글 노래");
    EXPECT_EQ(modLocale::str2bytes(QString::fromUtf8("é€"), 1252), QByteArray("\xe9\x80"));
    EXPECT_EQ(modLocale::str2bytes(QString::fromUtf8("가한"), 949), QByteArray("\xb0\xa1\xc7\xd1"));
    EXPECT_EQ(modLocale::bytes2str("\x81\x41", 949), QString::fromUtf8("갂"));  // a UHC extension syllable
    EXPECT_EQ(modLocale::str2bytes(QString::fromUtf8("a가b"), 1252), QByteArray("a?b"));

    for (const auto &[index, text] : {std::pair{4, western}, std::pair{5, korean}}) {
        SCOPED_TRACE(index);
        sett.settlocFile = index;
        const QString name = QString::number(index) + ".ini";
        ASSERT_TRUE(locale.writefile(dir.file(name), text));
        EXPECT_EQ(dir.read(name), modLocale::str2bytes(text, locale.charsets()[index].codePage));
        EXPECT_EQ(locale.readfile(dir.file(name)), text);
    }
    EXPECT_TRUE(sett.isSettValid());
    sett.settlocFile = 6;
    EXPECT_FALSE(sett.isSettValid());
}
