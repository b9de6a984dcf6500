#include "analysis/SungSynth.h"
#include "support/RunCli.h"
#include "support/TempFolder.h"
#include "support/WavImages.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// "_あさあ": a vowel from silence at 300 ms, s from 800 ms, the vowel again
// from 920 ms; "_さ": s at 400 ms, its vowel from 520 ms. Only "a さ" is set.
void writeBank(const TempFolder &dir, const QByteArray &extraLine = {})
{
    SungSynth vcv, cv;
    vcv.silence(300).vowel(500).noise(120).vowel(580).silence(300);
    cv.silence(400).noise(120).vowel(600).silence(300);
    dir.write(QString::fromUtf8("_あさあ.wav"), wavimg::wav(vcv.samples));
    dir.write(QString::fromUtf8("_さ.wav"), wavimg::wav(cv.samples));
    dir.write("oto.ini", QString::fromUtf8("#CHARSET:UTF8\n_あさあ.wav=- あ,0,0,0,0,0\n_あさあ.wav=a さ,690,260,500,200,60\n"
                                           "_あさあ.wav=a -,0,0,0,0,0\n").toUtf8() + extraLine);
}

double notePoint(const QString &line)
{
    const QStringList f = line.section(u'=', 1).split(u',');
    return f[1].toDouble() + f[4].toDouble();
}

}  // namespace

TEST(EstimateCli, EstimatesUnsetEntriesGeneratesSavesAndRefusesWhatReplaceRefuses)
{
    TempFolder dir;
    writeBank(dir);
    CliRun r = lirraOto({"estimate", dir.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1], QString::fromUtf8("_あさあ.wav=a さ,690,260,500,200,60"));  // set: kept
    EXPECT_NEAR(notePoint(lines[0]), 300, 40);  // the set entry teaches a note 30 ms early
    EXPECT_FALSE(lines[2].endsWith(",0,0,0,0,0"));
    EXPECT_TRUE(r.err.contains("entries: 3, estimated: 2, generated: 0")) << r.err.toStdString();
    EXPECT_TRUE(dir.read("oto.ini").contains(",0,0,0,0,0"));  // nothing written

    r = lirraOto({"estimate", dir.path(), "--generate", "--save"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[3].startsWith(QString::fromUtf8("_さ.wav=- さ,"))) << lines[3].toStdString();
    EXPECT_NEAR(notePoint(lines[3]), 520, 40);
    const QByteArray saved = dir.read("oto.ini");
    EXPECT_TRUE(saved.startsWith("#CHARSET:UTF8\n"));  // its own form: marker, LF
    EXPECT_EQ(lirraOto({"list", dir.path()}).out, r.out);

    // A bad line is kept in its place by the save.
    TempFolder bad;
    writeBank(bad, "not an entry\n");
    r = lirraOto({"estimate", bad.path(), "--save"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("They are kept"));
    EXPECT_TRUE(bad.read("oto.ini").endsWith("\nnot an entry\n"));
    EXPECT_FALSE(bad.read("oto.ini").contains(",0,0,0,0,0"));

    // A wave the reader refuses: its entry is flagged with the reason, left
    // as it was, and not counted as estimated.
    TempFolder refused;
    writeBank(refused, QString::fromUtf8("_あ.wav=- あ,0,0,0,0,0\n").toUtf8());
    refused.write(QString::fromUtf8("_あ.wav"), wavimg::wav({1, 2}, {.channels = 2, .bytesPerSec = 176400, .blockAlign = 4}));
    r = lirraOto({"estimate", refused.path()});
    EXPECT_TRUE(r.out.endsWith(QString::fromUtf8("_あ.wav=- あ,0,0,0,0,0\n")));
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("flagged\t4\t- あ\tChannel <> 1 (Only MONO wave supported)"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("entries: 4, estimated: 2, generated: 0")) << r.err.toStdString();
}

TEST(EstimateCli, ANewBankGetsItsEntriesFromTheRecordingsAndItsFirstOtoIni)
{
    TempFolder dir;
    SungSynth vcv;
    vcv.silence(300).vowel(500).noise(120).vowel(580).silence(300);
    dir.write(QString::fromUtf8("_あさ.wav"), wavimg::wav(vcv.samples));
    // Without --generate there is nothing to estimate: refused, nothing made.
    CliRun r = lirraOto({"estimate", dir.path()});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("--generate")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.path() + "/oto.ini"));

    // Recordings named by number say nothing sung: nothing is made, and no
    // oto.ini is written to make the folder look like a bank.
    TempFolder numbered;
    numbered.write("0.wav", wavimg::wav(vcv.samples));
    r = lirraOto({"estimate", numbered.path(), "--generate", "--save"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("no entries made")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(numbered.path() + "/oto.ini"));

    dir.write("oto.ini", QByteArray());  // an empty file is a new bank too
    r = lirraOto({"estimate", dir.path(), "--generate", "--save"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(QString::fromUtf8("_あさ.wav=- あ,")));
    EXPECT_TRUE(lines[1].startsWith(QString::fromUtf8("_あさ.wav=a さ,")));
    EXPECT_NEAR(notePoint(lines[1]), 920, 40);
    const QByteArray saved = dir.read("oto.ini");
    EXPECT_TRUE(saved.startsWith("#CHARSET:UTF8")) << saved.constData();
    EXPECT_EQ(lirraOto({"list", dir.path()}).out, r.out);
    // Every flagged line names the entry's place and alias, TAB separated.
    for (const QString &line : r.err.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith("flagged")) {
            EXPECT_EQ(line.split(u'\t').size(), 4) << line.toStdString();
        }
    }
}

// A pitch folder's aliases are read without the suffix prefix.map gives
// them, even where they share a longer ending ("aaC5" here): without the
// map, that ending is taken for the suffix and no alias names a sound.
TEST(EstimateCli, PrefixMapTellsTheFoldersSuffix)
{
    TempFolder dir;
    QDir(dir.path()).mkpath("C5");
    QByteArray ini;
    int n = 0;
    for (const char *alias : {"- aaC5", "b aaC5", "d aaC5", "k aaC5", "t aaC5"}) {
        SungSynth s;
        s.silence(300).noise(60).vowel(600).silence(300);
        const QString file = QString("w%1.wav").arg(n++);
        dir.write("C5/" + file, wavimg::wav(s.samples));
        ini += file.toUtf8() + "=" + alias + ",0,0,0,0,0\r\n";
    }
    dir.write("C5/oto.ini", ini);
    const auto unread = [](const CliRun &r) { return r.err.count("the alias names no syllable"); };
    CliRun r = lirraOto({"estimate", dir.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(unread(r), 5) << r.err.toStdString();

    dir.write("prefix.map", "C5\t\tC5\nC#5\t\tC5\n");
    r = lirraOto({"estimate", dir.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(unread(r), 0) << r.err.toStdString();
    EXPECT_FALSE(r.out.split(u'\n', Qt::SkipEmptyParts).value(0).endsWith(",0,0,0,0,0")) << r.out.toStdString();
}

// A new singer of two pitch folders of recordings, no oto.ini anywhere:
// each folder gets its own oto.ini of its own recordings' entries, with the
// suffix prefix.map gives it; a chosen charset is the new files' code page.
TEST(EstimateCli, ANewSingersPitchFoldersGetAnOtoIniEach)
{
    TempFolder dir;
    SungSynth vcv;
    vcv.silence(300).vowel(500).noise(120).vowel(580).silence(300);
    for (const char *sub : {"A3", "C5"}) {
        QDir(dir.path()).mkpath(sub);
        dir.write(QString(sub) + QString::fromUtf8("/_あさ.wav"), wavimg::wav(vcv.samples));
    }
    dir.write(QString::fromUtf8("C5/_か.wav"), wavimg::wav(vcv.samples));
    dir.write("prefix.map", "C5\t\tC5\nA3\t\tA3\n");
    CliRun r = lirraOto({"estimate", dir.path(), "--generate", "--save"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("generated: 7")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.file("oto.ini")));
    EXPECT_TRUE(dir.read("A3/oto.ini").startsWith(QString::fromUtf8("#CHARSET:UTF8\r\n_あさ.wav=- あA3,").toUtf8()));
    EXPECT_EQ(dir.read("C5/oto.ini").count(QString::fromUtf8("C5,").toUtf8()), 4);
    EXPECT_EQ(lirraOto({"list", dir.path()}).out, r.out);

    // A pitch folder beside a set one (no oto.ini yet) is named as that
    // one names the same recordings, marked with its own name as the set
    // one is with its own (no prefix.map to say so), and written in the set
    // one's form although it comes first. convert leaves it alone.
    TempFolder half;
    for (const char *sub : {"A3", "C5", "D4"}) {
        QDir(half.path()).mkpath(sub);
        half.write(QString(sub) + "/0.wav", wavimg::wav(vcv.samples));
    }
    half.write("C5/oto.ini", "#CHARSET:UTF8\r\n0.wav=- aaC5,250,80,500,60,0\r\n0.wav=aa sC5,700,100,400,80,40\r\n");
    half.write("D4/oto.ini", "0.wav=- aaD4,250,80,500,60,0\r\n");  // read last, in another form
    TempFolder converted;  // the same, converted
    for (const char *file : {"A3/0.wav", "C5/0.wav", "C5/oto.ini"}) {
        QDir(converted.path()).mkpath(QString(file).section(u'/', 0, 0));
        converted.write(file, half.read(file));
    }
    r = lirraOto({"convert", converted.path(), "--to", "0"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(converted.file("A3/oto.ini")));
    r = lirraOto({"estimate", half.path(), "--generate", "--save"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("generated: 2")) << r.err.toStdString();
    const QByteArray made = half.read("A3/oto.ini");
    EXPECT_TRUE(made.startsWith("#CHARSET:UTF8\r\n0.wav=- aaA3,")) << made.constData();
    EXPECT_TRUE(made.contains("\r\n0.wav=aa sA3,")) << made.constData();
    // and with its right bounds in the singer's form (from the end).
    EXPECT_GT(QString(made).section(u',', 3, 3).toDouble(), 0);

    TempFolder sjis;
    QDir(sjis.path()).mkpath("A3");
    sjis.write(QString::fromUtf8("A3/_あさ.wav"), wavimg::wav(vcv.samples));
    r = lirraOto({"estimate", sjis.path(), "--generate", "--save", "--charset", "0"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(sjis.read("A3/oto.ini").startsWith("_\x82\xa0\x82\xb3.wav=- \x82\xa0,")) << sjis.read("A3/oto.ini").constData();
}
