#include "support/RunCli.h"
#include "support/TempFolder.h"
#include "support/WavImages.h"

#include <gtest/gtest.h>

using namespace wavimg;

TEST(CheckCommand, ReportsEveryEntryWhoseWaveTheEditorCannotUse)
{
    const auto check = [](const QStringList &args) { return lirraOto(QStringList{"check"} + args); };
    TempFolder dir;
    const QByteArray second = wav(noise(44100, 5000));  // 1000 ms
    dir.write("ok.wav", second);
    dir.write("bad.wav", "riff" + second.mid(4));
    dir.write("stereo.wav", wav({1, 2}, {.channels = 2, .bytesPerSec = 176400, .blockAlign = 4}));
    dir.write(QString::fromUtf8("あ.wav"), second);  // its real name, as on a Linux disk
    // LF line ends, as git leaves them.
    dir.write("oto.ini", "ok.wav=a,100,200,-300,50,20\nok.wav=far,5000,0,0,0,0\ngone.wav=g,0,0,0,0,0\n"
                         "bad.wav=b,0,0,0,0,0\nstereo.wav=s,0,0,0,0,0\n\x82\xa0.wav=\x82\xa0,10,20,30,5,5\n");

    // With "Bad filenames?" on or off, the kana name is found as written.
    for (const QStringList &options : {QStringList{}, QStringList{"--no-bad-names", "--charset", "0"}}) {
        const CliRun r = check(QStringList{dir.path()} + options);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, QString::fromUtf8("ok.wav=far,5000,0,0,0,0\tunusable\n"
                                         "gone.wav=g,0,0,0,0,0\tmissing\n"
                                         "bad.wav=b,0,0,0,0,0\trefused: the wave file is corrupted or not supported.\n"
                                         "stereo.wav=s,0,0,0,0,0\trefused: Channel <> 1 (Only MONO wave supported) - 聲道數不爲1，僅支持單聲道; "
                                         "Wrong bytesPerSec - 每秒字節數非標準; Wrong bytesperblock - 每塊字節數非標準\n"));
        EXPECT_TRUE(r.err.endsWith("entries: 6, problems: 4\n")) << r.err.toStdString();
    }
    CliRun r;

    dir.write("oto.ini", "ok.wav=a,100,200,-300,50,20\r\n");
    r = check({dir.path()});
    EXPECT_EQ(std::tuple(r.status, r.out), std::tuple(0, QString()));
    EXPECT_TRUE(r.err.endsWith("entries: 1, problems: 0\n"));
    for (const QStringList &bad : {QStringList{dir.path() + "/nowhere"}, {dir.path(), "--charset", "9"}, {dir.path(), "--loud"}})
        EXPECT_EQ(check(bad).status, 2);
}
