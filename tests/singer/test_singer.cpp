#include "oto/OtoDocument.h"
#include "oto/SingerFolder.h"
#include "singer/Alignment.h"
#include "singer/BaseAlias.h"
#include "singer/PrefixMap.h"
#include "support/LocaleEnv.h"
#include "support/RunCli.h"
#include "support/SungRecording.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cmath>
#include <gtest/gtest.h>

using singer::PrefixMap;

namespace {

// A generated singer: files in Shift-JIS, UTF-8 with the marker and with a
// byte-order mark, CR LF and LF line ends, a comment and a bad line, a
// hidden folder and folders whose names sort differently by bytes than by
// letters.
struct GeneratedSinger {
    TempFolder dir;
    QMap<QString, QByteArray> files;  // relative path -> bytes

    GeneratedSinger()
    {
        put("oto.ini", "_a.wav=- a,1,2,3,4,5\r\n_i.wav=- \x82\xa2,1,2,3,4,5");                        // Shift-JIS, CR LF
        put("A3/oto.ini", "#CHARSET:UTF8\n0.wav=- ayA3,10,20,-30,40,5\n1.wav=ay erA3,1.50,2,3,4,5\n");  // marker, LF
        put("A3/deep/oto.ini", "\xef\xbb\xbf" "x.wav=\xe3\x81\x82" "A3d,1,2,3,4,5\r\n");                     // BOM
        put("A3b/oto.ini", "0.wav=- ayA3b,1,2,3,4,5\r\n# a comment\r\nbad line\r\n1.wav=ay erA3b,1,2,3,4,5");
        put("C5/oto.ini", "0.wav=- ayC5,100,20,-30,40,5\r\n1.wav=ay erC5,1,2,3,4,5\r\n2.wav=- kC5,1,2,3,4,5");
        put("a/oto.ini", "z.wav=z,1,2,3,4,5");  // lower case sorts after every capital
        put(".git/oto.ini", "hidden.wav=h,1,2,3,4,5");
        put("character.txt", "name=\x83\x7e\x83\x8b\x83\x4e\r\nimage=milk.bmp\r\n");  // ミルク
        put("prefix.map", "C5\t\tC5\r\nB4\t\tA3\r\nA3\t\tA3\r\n");
    }
    void put(const QString &path, const QByteArray &bytes)
    {
        QDir(dir.path()).mkpath(QFileInfo(path).path());
        dir.write(path, bytes);
        files.insert(path, bytes);
    }
    // Every file under the singer, by relative path.
    QMap<QString, QByteArray> onDisk() const
    {
        QMap<QString, QByteArray> out;
        QDirIterator it(dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            out.insert(QDir(dir.path()).relativeFilePath(path), f.readAll());
        }
        return out;
    }
};

QList<qint16> recording(double onsetMs, double lengthMs, quint32 seed, double pitchHz = 220)
{
    return sungRecording(onsetMs, lengthMs, seed, pitchHz);
}

}  // namespace

TEST(Singer, FoldersAreFoundInByteOrderHiddenOnesSkippedAndTheNameRead)
{
    GeneratedSinger singer;
    EXPECT_EQ(findOtoFolders(singer.dir.path()), (QStringList{"", "A3", "A3/deep", "A3b", "C5", "a"}));
    LocaleEnv env;
    EXPECT_EQ(singerName(singer.dir.path(), env.locale), QString::fromUtf8("ミルク"));
    TempFolder plain;
    plain.write("oto.ini", "a.wav=a,1,2,3,4,5");
    EXPECT_EQ(findOtoFolders(plain.path()), QStringList{""});
    EXPECT_TRUE(singerName(plain.path(), env.locale).isEmpty());
}

// Loaded and saved, a singer's unchanged files keep their bytes (bad line
// and comment included); an edit writes its own file only, in its own form;
// nothing but oto.ini files is written.
TEST(Singer, DocumentReadsEachFileOnItsOwnAndWritesOnlyChangedOnes)
{
    GeneratedSinger singer;
    LocaleEnv env;
    OtoDocument doc(env.locale, env.dialogs);
    EXPECT_TRUE(doc.openFolder(singer.dir.path()));
    ASSERT_EQ(doc.files().size(), 6);
    EXPECT_TRUE(doc.isSinger());
    EXPECT_EQ(doc.lastBadLines(), 1);
    ASSERT_EQ(env.dialogs.texts().size(), 1);  // one message naming the file
    EXPECT_TRUE(env.dialogs.texts()[0].startsWith("A3b/oto.ini:")) << env.dialogs.texts()[0].toStdString();
    ASSERT_EQ(doc.clcOto().size(), 11);
    EXPECT_EQ(doc.clcOto()[1]->ALS, QString::fromUtf8("- い"));
    EXPECT_EQ(doc.clcOto()[2]->folder, "A3");
    EXPECT_EQ(doc.clcOto()[4]->pathStr(), "A3/deep/x.wav");
    EXPECT_EQ(doc.clcOto()[4]->ALS, QString::fromUtf8("あA3d"));
    EXPECT_TRUE(doc.title().contains(QString::fromUtf8("ミルク")));

    const auto before = singer.onDisk();
    EXPECT_TRUE(doc.saveoto());
    EXPECT_EQ(singer.onDisk(), before);
    EXPECT_TRUE(doc.unsavedFolders().isEmpty());

    clsOto edited = *doc.clcOto()[3];
    edited.prmLF = 7;
    doc.editEntries({{3, edited}}, "edit");
    EXPECT_EQ(doc.unsavedFolders(), QStringList{"A3"});
    env.dialogs.answers = {MsgAnswer::Cancel};
    EXPECT_EQ(doc.askSave(), SaveAnswer::Cancel);
    EXPECT_TRUE(env.dialogs.texts().last().endsWith("A3/oto.ini"));
    EXPECT_TRUE(doc.saveoto());
    auto after = singer.onDisk();
    EXPECT_EQ(after.take("A3/oto.ini"), QByteArray("#CHARSET:UTF8\n0.wav=- ayA3,10,20,-30,40,5\n1.wav=ay erA3,7,2,3,4,5\n"));
    auto rest = before;
    rest.remove("A3/oto.ini");
    EXPECT_EQ(after, rest);

    // A file with a comment and a bad line keeps both where they were.
    ASSERT_EQ(doc.clcOto()[6]->pathStr(), "A3b/1.wav");
    edited = *doc.clcOto()[6];
    edited.prmLF = 9;
    doc.editEntries({{6, edited}}, "edit");
    EXPECT_TRUE(doc.saveoto());
    EXPECT_EQ(singer.onDisk().value("A3b/oto.ini"),
              QByteArray("0.wav=- ayA3b,1,2,3,4,5\r\n# a comment\r\nbad line\r\n1.wav=ay erA3b,9,2,3,4,5"));

    // One folder alone is a voicebank of one file; a plain folder as before.
    OtoDocument one(env.locale, env.dialogs);
    EXPECT_TRUE(one.openFolder(singer.dir.path(), OtoDocument::kOtoIni, QString("C5")));
    EXPECT_EQ(one.clcOto().size(), 3);
    EXPECT_EQ(one.clcOto()[0]->pathStr(), "C5/0.wav");
}

TEST(Singer, PrefixMapRoundTripsAndSetsRanges)
{
    LocaleEnv env;
    // The development singer's own file, when this checkout has it.
    const QString milk = QStringLiteral(LIRRA_SOURCE_DIR "/../shared/banks/milk-en-dev");
    if (QFile::exists(milk + "/prefix.map")) {
        const auto map = PrefixMap::read(milk, env.locale);
        ASSERT_TRUE(map);
        QFile f(milk + "/prefix.map");
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(modLocale::str2bytes(map->toText(), 932), f.readAll());
        EXPECT_EQ(map->lines().size(), 84);
        EXPECT_EQ(map->find(u"A#4")->suffix, "F#4");
    }
    for (const QByteArray &bytes : {QByteArray("C5\t\tC5\r\nB4\tx\tA3\r\n"), QByteArray("#CHARSET:UTF8\nC4\t\t\xe5\xbc\xb1\nodd line\n"),
                                    QByteArray("A3\t\tA3"), QByteArray()}) {
        env.dir.write("prefix.map", bytes);
        const auto map = PrefixMap::read(env.dir.path(), env.locale);
        ASSERT_TRUE(map);
        EXPECT_TRUE(map->write(env.dir.path(), env.locale));
        EXPECT_EQ(env.dir.read("prefix.map"), bytes);
    }
    // A descending map gets new notes in its order; a range sets every note.
    auto map = PrefixMap::fromText(u"C5\t\tC5\r\nA3\t\tA3", TextForm{});
    map.setRange(u"C4", u"B4", "", "F#4");
    EXPECT_EQ(map.toText(), "C5\t\tC5\r\nB4\t\tF#4\r\nA#4\t\tF#4\r\nA4\t\tF#4\r\nG#4\t\tF#4\r\nG4\t\tF#4\r\nF#4\t\tF#4\r\n"
                            "F4\t\tF#4\r\nE4\t\tF#4\r\nD#4\t\tF#4\r\nD4\t\tF#4\r\nC#4\t\tF#4\r\nC4\t\tF#4\r\nA3\t\tA3");
    EXPECT_EQ(PrefixMap::allNotes().size(), 84);
    EXPECT_EQ(PrefixMap::allNotes().first(), "C1");
    EXPECT_EQ(PrefixMap::noteNumber(u"Db4"), PrefixMap::noteNumber(u"C#4"));
    EXPECT_FALSE(PrefixMap::noteNumber(u"H4"));
    EXPECT_FALSE(PrefixMap::noteNumber(u"C"));

    GeneratedSinger singer;
    const CliRun r = lirraOto({"prefix-map", singer.dir.path()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "C5\t\tC5\nB4\t\tA3\nA3\t\tA3\n");
}

TEST(Singer, BaseAliasesFromPrefixMapOrSharedEndingAndStepping)
{
    using namespace singer;
    EXPECT_EQ(sharedEnding({"- ayA3", "ay erA3", "- kA3", "k aA3"}), "A3");
    EXPECT_EQ(sharedEnding({"- a", "a ka", "ka", "- i"}), "");
    EXPECT_EQ(sharedEnding({"only"}), "");
    const AffixPairs pairs{{"", "C5"}, {"", "A3"}, {"", "F#4"}};
    EXPECT_EQ(folderAffixes({"- ayA3", "ay erA3", "breath"}, pairs), (Affixes{"", "A3"}));
    EXPECT_EQ(folderAffixes({"↑a", "↑ka"}, {{"↑", ""}}), (Affixes{"↑", ""}));
    EXPECT_EQ(baseAlias("- ayC5", {"", "C5"}), "- ay");
    EXPECT_EQ(baseAlias("C5", {"", "C5"}), "C5");  // nothing would be left
    EXPECT_EQ(baseAlias("breath", {"", "C5"}), "breath");

    GeneratedSinger generated;
    LocaleEnv env;
    OtoDocument doc(env.locale, env.dialogs);
    doc.openFolder(generated.dir.path());
    const SameAlias same(doc.clcOto(), doc.folders(), pairs);
    // - ayA3 (2) -> - ayA3b (5) -> - ayC5 (7), and back; - kC5 has no other.
    EXPECT_EQ(same.base(2), "- ay");
    EXPECT_EQ(same.step(2, +1), 5);
    EXPECT_EQ(same.step(5, +1), 7);
    EXPECT_EQ(same.step(7, +1), -1);
    EXPECT_EQ(same.step(7, -1), 5);
    EXPECT_EQ(same.step(9, -1), -1);
    EXPECT_EQ(same.inFolder(3, "C5"), 8);
}

// A recording shifted by a known offset: the alignment finds it and the
// copied parameters land on the same moment of the sound; a recording of
// something else is flagged.
TEST(Singer, CopyAcrossFoldersAlignsTheRecordings)
{
    using namespace singer;
    for (double offset : {0.0, 137.0, -85.0}) {
        SCOPED_TRACE(offset);
        const auto from = SampleBuffer::of(recording(300, 1500, 1));
        const auto to = SampleBuffer::of(recording(300 + offset, 1500 + std::max(0.0, offset), 2, 440));
        const Alignment a = alignRecordings(from, to, 44100);
        EXPECT_NEAR(a.shiftMs, offset, 10);
        EXPECT_FALSE(a.unsure) << a.why.toStdString();

        const clsOto source("0.wav", "- ayA3", 250, 120, 400, 80, 30);
        const clsOto target("0.wav", "- ayC5", 0, 0, 0, 0, 0);
        const clsOto copied = shiftedParameters(source, 1500, target, 1500 + std::max(0.0, offset), a.shiftMs);
        EXPECT_EQ(copied.ALS, "- ayC5");
        EXPECT_NEAR(copied.prmLF, 250 + offset, 10);
        EXPECT_EQ(copied.prmPR, 80);
        EXPECT_NEAR(1500 + std::max(0.0, offset) - copied.prmRT, 1100 + offset, 10);  // the right bound moved with it
    }
    QList<qint16> silence(44100 * 2, 0);
    EXPECT_TRUE(alignRecordings(SampleBuffer::of(recording(300, 1500, 1)), SampleBuffer::of(silence), 44100).unsure);
}

// list over a singer: its own file first, then the subfolders in byte
// order, names relative to the singer; --folder lists one.
TEST(Singer, CommandLineListsAndRewritesEveryFile)
{
    GeneratedSinger singer;
    CliRun r = lirraOto({"list", singer.dir.path()});
    EXPECT_EQ(r.status, 0);
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[0], "_a.wav=- a,1,2,3,4,5");
    EXPECT_EQ(lines[2], "A3/0.wav=- ayA3,10,20,-30,40,5");
    EXPECT_EQ(lines[4], QString::fromUtf8("A3/deep/x.wav=あA3d,1,2,3,4,5"));
    EXPECT_EQ(lines[10], "a/z.wav=z,1,2,3,4,5");
    EXPECT_TRUE(r.err.contains("entries: 11, bad: 1, files: 6")) << r.err.toStdString();
    r = lirraOto({"list", singer.dir.path(), "--folder", "C5"});
    EXPECT_EQ(r.out, "C5/0.wav=- ayC5,100,20,-30,40,5\nC5/1.wav=ay erC5,1,2,3,4,5\nC5/2.wav=- kC5,1,2,3,4,5\n");

    // A replace over the singer writes what replacing each folder alone
    // writes; A3b's bad line stays where it is.
    GeneratedSinger alone;
    const QByteArray a3b = singer.dir.read("A3b/oto.ini");
    r = lirraOto({"replace", singer.dir.path(), "ay=AY"});
    QByteArray expected = a3b;
    EXPECT_EQ(singer.dir.read("A3b/oto.ini"), expected.replace("=- ayA3b", "=- AYA3b").replace("=ay erA3b", "=AY erA3b"));
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("/C5/oto.ini: 2 of 3 aliases changed")) << r.out.toStdString();
    for (const QString &sub : findOtoFolders(alone.dir.path())) {
        const QString one = sub.isEmpty() ? QStringLiteral(".") : sub;
        EXPECT_EQ(lirraOto({"replace", alone.dir.path(), "ay=AY", "--folder", one}).status, 0);
    }
    const auto result = singer.onDisk();
    EXPECT_EQ(result, alone.onDisk());
    EXPECT_EQ(result.value("oto.ini"), singer.files.value("oto.ini"));  // nothing to replace: untouched
    EXPECT_EQ(result.value("A3/oto.ini"), QByteArray("#CHARSET:UTF8\n0.wav=- AYA3,10,20,-30,40,5\n1.wav=AY erA3,1.5,2,3,4,5\n"));
    EXPECT_EQ(result.value("prefix.map"), singer.files.value("prefix.map"));
    EXPECT_EQ(result.size(), singer.files.size());  // nothing but oto.ini written
}
