#include "render/RenderSynth.h"
#include "support/RunCli.h"
#include "support/TempFolder.h"
#include "support/WavImages.h"
#include "wave/clsWave.h"

#include <QFileInfo>
#include <gtest/gtest.h>

TEST(RenderCli, WritesTheSungPhraseOrNothingWhenAnAliasIsMissing)
{
    TempFolder dir;
    dir.write("a.wav", wavimg::wav(syntheticVowel(100, 700, 220)));
    dir.write("oto.ini", "a.wav=a,80,60,-600,40,20\r\na.wav=- a,90,60,-600,50,10\r\n");
    const QString out = dir.file("out.wav");

    // One note: preutterance plus length.
    CliRun r = lirraOto({"render", dir.path(), "a", "--note", "A3", "--length", "750", "-o", out});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    clsWave wave;
    QString name = "out.wav";
    ASSERT_TRUE(wave.ReadFile(dir.path(), name)) << wave.GetError().toStdString();
    EXPECT_EQ(wave.Length, qint32(std::llround((40 + 750) * 44.1)));

    // A phrase at a tempo, with its click: the first preutterance plus a
    // beat a note. An alias that starts with "- " is no option, before
    // the options or after "--".
    for (const QStringList &words : {QStringList{"--note", "220", "--tempo", "100", "--click", "-o", out, "--", "- a", "a", "a"},
                                     QStringList{"- a", "a", "a", "--note", "220", "--tempo", "100", "--click", "-o", out}}) {
        QFile::remove(out);
        r = lirraOto(QStringList{"render", dir.path()} + words);
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        name = "out.wav";
        ASSERT_TRUE(wave.ReadFile(dir.path(), name));
        EXPECT_EQ(wave.Length, qint32(std::llround((50 + 3 * 600) * 44.1)));
    }

    // An alias the bank does not have is named, and nothing is written.
    QFile::remove(out);
    r = lirraOto({"render", dir.path(), "a", "ka", "--note", "A3", "-o", out});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("'ka'")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out));
    r = lirraOto({"render", dir.path(), "a", "--note", "H2", "-o", out});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("--note")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out));
    r = lirraOto({"render", dir.path(), "a", "--note", "A3", "--tempo", "0.001", "-o", out});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("ten minutes")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_TRUE(lirraOto({"--help"}).out.contains("lirra-oto render FOLDER ALIAS [ALIAS...] [--note NOTE]"));
}
