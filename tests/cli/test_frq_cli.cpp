#include "analysis/FrqFile.h"
#include "analysis/ToneSynth.h"
#include "support/RunCli.h"
#include "support/TempFolder.h"
#include "support/WavImages.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(FrqCli, WritesMissingFrequencyFilesOfAFolderAndItsPitchFolders)
{
    TempFolder dir;
    QDir(dir.path()).mkpath("C5");
    ToneSynth low, high;
    low.steady(300, 220);
    high.steady(300, 523.25);
    dir.write("a.wav", wavimg::wav(QList<qint16>(low.samples.begin(), low.samples.end())));
    dir.write("C5/a.wav", wavimg::wav(QList<qint16>(high.samples.begin(), high.samples.end())));

    CliRun r = lirraOto({"frq", dir.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("frequency files written: 2, kept: 0, failed: 0")) << r.err.toStdString();
    const std::optional<analysis::FrqData> a = analysis::decodeFrq(dir.read("a_wav.frq"));
    const std::optional<analysis::FrqData> c5 = analysis::decodeFrq(dir.read("C5/a_wav.frq"));
    ASSERT_TRUE(a && c5);
    EXPECT_NEAR(a->averageHz, 220, 2);
    EXPECT_NEAR(c5->averageHz, 523.25, 4);
    EXPECT_EQ(c5->frames(), int((high.samples.size() + 255) / 256));

    // Kept without --force, replaced with it; a broken wave fails alone.
    dir.write("a_wav.frq", "mine");
    dir.write("broken.wav", "RIFF");
    r = lirraOto({"frq", dir.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("failed: " + dir.file("broken.wav"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("written: 0, kept: 2, failed: 1")) << r.err.toStdString();
    EXPECT_EQ(dir.read("a_wav.frq"), QByteArray("mine"));
    r = lirraOto({"frq", dir.path(), "--force"});
    EXPECT_TRUE(r.err.contains("written: 2, kept: 0, failed: 1")) << r.err.toStdString();
    EXPECT_TRUE(analysis::decodeFrq(dir.read("a_wav.frq")));

    EXPECT_EQ(lirraOto({"frq", dir.file("a.wav")}).status, 2);
    EXPECT_TRUE(lirraOto({"--help"}).out.contains("lirra-oto frq FOLDER [--force]"));
}
