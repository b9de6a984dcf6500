#include "support/LocaleEnv.h"
#include "support/WavImages.h"
#include "wave/clsWave.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace wavimg;

namespace {

const QString kCorrupt = QString::fromUtf8("the wave file is corrupted or not supported.\r\nwav文件損壞或不支持。\r\n");
const QString kWrong = QString::fromUtf8("modwave::wavReadFile()\r\nthe wave file has Wrong format.\r\nwav文件格式有誤。\r\n");
const QString kRate = QString::fromUtf8("Sample Rate <> 44100 (Only 44100Hz supported) - 採樣率不爲44100Hz，僅支持此採樣率\r\n");
const QString kBps = QString::fromUtf8("Wrong bytesPerSec - 每秒字節數非標準\r\n");
const QString kAlign = QString::fromUtf8("Wrong bytesperblock - 每塊字節數非標準\r\n");
const QString kBits = QString::fromUtf8("bitsPerSample <> 16 (Only 16-bit supported) - 採樣位數不爲16，僅支持16bit\r\n");
const QString kNoData = QString::fromUtf8("'data' ID wrong - 'data'標籤不匹配\r\n");

bool load(clsWave &w, const TempFolder &dir, const QByteArray &bytes)
{
    dir.write("t.wav", bytes);
    QString name = "t.wav";
    return w.ReadFile(dir.path(), name);
}

}  // namespace

TEST(WaveReader, LoadsCanonicalAndTolerantLayouts)
{
    TempFolder dir;
    clsWave w;
    EXPECT_EQ(w.GetError(), QString::fromUtf8("No Error - 無錯誤"));
    const QList<qint16> s = noise(44100, 32768);
    dir.write("a.wav", wav(s));
    QString name = "a.wav";
    ASSERT_TRUE(w.ReadFile(dir.path(), name));
    EXPECT_EQ(std::tuple(name, w.FileAddress, w.Samplerate), std::tuple(dir.path() + "/a.wav", name, 44100));

    const QList<qint16> t = noise(101, 3000);
    const QByteArray fmt = chunk("fmt ", fmtBody());
    QList<qint16> padded = t.mid(0, 50);
    padded.resize(200);
    // held: how many of the samples the file really holds (-1: all).
    const struct { const char *what; QByteArray bytes; QList<qint16> samples; int held = -1; } cases[] = {
        {"canonical", wav(s), s},
        {"odd LIST and empty fact before data", riff(fmt + chunk("LIST", "abcde") + chunk("fact", "") + chunk("data", pcm(t))), t},
        {"18-byte fmt", riff(chunk("fmt ", fmtBody() + le16(0)) + chunk("data", pcm(t))), t},
        {"chunks after data", riff(fmt + chunk("data", pcm(t)) + chunk("LIST", "xyz")) + "junk", t},
        {"3-byte data", riff(fmt + chunk("data", pcm({-5}) + "\x07")), {-5}},
        {"data longer than the file", riff(fmt + "data" + le32(400) + pcm(t.mid(0, 50))), padded, 50},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(load(w, dir, c.bytes));
        EXPECT_EQ(std::tuple(w.Valid, w.getData(), w.Length, w.getAllData()), std::tuple(true, c.samples, c.samples.size(), c.bytes));
        EXPECT_DOUBLE_EQ(w.LengthMs, c.samples.size() / 44.1);
        EXPECT_EQ(w.heldSamples(), c.held < 0 ? c.samples.size() : c.held);
    }
}

TEST(WaveReader, RefusesCorruptedFilesAndKeepsThePreviousWave)
{
    TempFolder dir;
    clsWave w;
    const QList<qint16> good = noise(300, 9000);
    ASSERT_TRUE(load(w, dir, wav(good)));
    const QByteArray fmt = chunk("fmt ", fmtBody()), data = chunk("data", pcm(good));
    const struct { const char *what; QByteArray bytes; } cases[] = {
        {"riff", "riff" + wav(good).mid(4)},
        {"JUNK before fmt", riff(chunk("JUNK", "ab") + fmt + data)},
        {"4-byte file", "RIFF"},
        {"1-byte data", riff(fmt + chunk("data", "\x01"))},
        {"no data chunk", riff(fmt + chunk("LIST", "abc"))},
        {"fmt size 12", riff(chunk("fmt ", fmtBody().left(12)) + data)},
        {"fmt size beyond the file", riff("fmt " + le32(0x7fffffff) + fmtBody() + data)},
        {"fmt body cut short", riff("fmt " + le32(16) + fmtBody().left(8))},
        {"negative chunk size", riff(fmt + "LIST" + le32(0xfffffff0) + data)},
        {"huge skipped chunk", riff(fmt + "LIST" + le32(0x7ffffff0) + data)},
        {"data declared over 1 GiB", riff(fmt + "data" + le32(0x7ffffff0) + pcm(good))},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(load(w, dir, c.bytes));
        EXPECT_EQ(std::tuple(w.errType, w.Valid, w.getData(), w.getAllData()), std::tuple(WaveError::Corrupted, false, good, wav(good)));
        EXPECT_TRUE(w.GetError().startsWith(kCorrupt) && w.GetError().endsWith("\r\n"));
        EXPECT_TRUE(w.errorReason().startsWith("the wave file is corrupted or not supported.") && !w.errorReason().contains('\n'));
    }
    load(w, dir, "RIFX");
    EXPECT_EQ(w.GetError(), kCorrupt + "\r\n");  // a mismatch has no description

    // A file past the size limit is refused from its size, not read (sparse).
    dir.write("t.wav", wav(good));
    QFile big(dir.file("t.wav"));
    ASSERT_TRUE(big.resize(clsWave::maxFileBytes() + 1));
    QString name = "t.wav";
    EXPECT_FALSE(w.ReadFile(dir.path(), name));
    EXPECT_TRUE(w.GetError().contains("1090519041"));
    EXPECT_TRUE(w.errorReason().endsWith("supported.; the file has 1090519041 bytes, more than the 1090519040 this editor loads"));
    // The data limit is inclusive and counts declared bytes, not held ones.
    clsWave::maxDataBytes = 1000;
    EXPECT_TRUE(load(w, dir, riff(fmt + "data" + le32(1000) + pcm({1, 2}))));
    EXPECT_FALSE(load(w, dir, riff(fmt + "data" + le32(1002) + pcm({1, 2}))));
    clsWave::maxDataBytes = qint64(1) << 30;
}

TEST(WaveReader, WrongFormatListsEveryWrongField)
{
    TempFolder dir;
    clsWave w;
    EXPECT_FALSE(load(w, dir, wav({1, 2}, {.channels = 2, .bytesPerSec = 176400, .blockAlign = 4})));
    EXPECT_EQ(w.errType, WaveError::WrongFormat);
    EXPECT_EQ(w.GetError(), kWrong + QString::fromUtf8("Channel <> 1 (Only MONO wave supported) - 聲道數不爲1，僅支持單聲道\r\n")
                                + kBps + kAlign + "\r\n" + kNoData);
    EXPECT_FALSE(load(w, dir, wav({1}, {.tag = 3, .bytesPerSec = 176400, .blockAlign = 4, .bits = 32})));
    EXPECT_EQ(w.GetError(), kWrong + QString::fromUtf8("Format Tag <> 1 - 文件格式不是PCM\r\n") + kBps + kAlign + kBits
                                + "\r\n" + kNoData);

    // The chunk header of the last good load is still there: no 'data' line.
    ASSERT_TRUE(load(w, dir, wav({1, 2, 3})));
    EXPECT_FALSE(load(w, dir, wav({1}, {.rate = 22050, .bytesPerSec = 44100})));
    EXPECT_EQ(w.GetError(), kWrong + kRate + kBps + "\r\n\r\n");
    // On one line: the wrong fields, not the message box's headings.
    EXPECT_EQ(w.errorReason(), (kRate.chopped(2) + "; " + kBps.chopped(2)));
    EXPECT_FALSE(load(w, dir, wav({1}, {.bytesPerSec = 44100, .blockAlign = 1, .bits = 8})));
    EXPECT_EQ(w.GetError(), kWrong + kBps + kAlign + kBits + "\r\n\r\n");
    EXPECT_EQ(w.Length, 3);
}

TEST(WaveReader, MissingFilesAndOnDiskNames)
{
    TempFolder dir;
    clsWave w;
    QString name = "nope.wav";
    EXPECT_FALSE(w.ReadFile(dir.path(), name));
    EXPECT_EQ(w.errType, WaveError::NotFound);
    EXPECT_EQ(w.GetError(), dir.path() + QString::fromUtf8(
        "/nope.wav\r\nthe wave file above is not found or can't be opened. \r\n以上波形文件未找到或不能打開。\r\n"
        "(May be caused by wrong charset settings, try toggle 'Bad filenames'\r\n 可能是編碼設定有誤，請嘗試切換文件名亂碼)\r\n"
        "No such file or directory\r\n"));
    name = "";  // the folder itself
    EXPECT_FALSE(w.ReadFile(dir.path(), name));
    EXPECT_EQ(w.errType, WaveError::NotFound);

    // With "Bad filenames?" on, a Shift-JIS name is looked up as GBK shows it.
    LocaleEnv env;
    const QString real = QString::fromUtf8("あ.wav"), garbled = env.locale.onDiskName(real);
    ASSERT_NE(garbled, real);
    dir.write(garbled, wav({4, 5}));
    clsWave named(&env.locale);
    name = real;
    EXPECT_TRUE(named.ReadFile(dir.path(), name));
    EXPECT_EQ(name, dir.path() + "/" + garbled);

    // Whichever of the two names exists is used, the rule's first; with the
    // rule off the name as written comes first.
    const QString other = QString::fromUtf8("い.wav");
    dir.write(other, wav({6}));
    name = other;
    EXPECT_TRUE(named.ReadFile(dir.path(), name));
    EXPECT_EQ(name, dir.path() + "/" + other);
    env.sett.settFilenameBad = 0;
    name = real;
    EXPECT_TRUE(named.ReadFile(dir.path(), name));
    EXPECT_EQ(name, dir.path() + "/" + garbled);
    dir.write(real, wav({7}));
    name = real;
    EXPECT_TRUE(named.ReadFile(dir.path(), name));
    EXPECT_EQ(name, dir.path() + "/" + real);
    // Neither there: the message names the path tried first.
    env.sett.settFilenameBad = 1;
    name = QString::fromUtf8("う.wav");
    EXPECT_FALSE(named.ReadFile(dir.path(), name));
    EXPECT_TRUE(named.GetError().startsWith(dir.path() + "/" + env.locale.onDiskName(QString::fromUtf8("う.wav")) + "\r\n"));
}

TEST(WaveReader, RangeIsTheLevelOneSampleInAThousandExceeds)
{
    TempFolder dir;
    clsWave w;
    const auto rangeOf = [&](const QByteArray &bytes) { return load(w, dir, bytes) ? w.Range : -1; };
    EXPECT_EQ(rangeOf(wav(QList<qint16>(5000, 0))), 276);
    QList<qint16> full(44100, 0), ten(10000, 0);
    for (int i = 0; i < 45; ++i)
        full[i * 900] = qint16(i % 2 ? 32767 : -32768);
    EXPECT_EQ(rangeOf(wav(full)), 32767);
    // 10 of 10000 samples at exactly the first bisection level: they do not
    // exceed it, but exceed every lower level, as 10 > 9999 * 0.001.
    for (int i = 0; i < 10; ++i)
        ten[i * 1000 + 3] = qint16(i % 2 ? 2896 : -2896);
    EXPECT_EQ(rangeOf(wav(ten)), 2896);
    // Samples declared beyond the end of the file count as silence.
    EXPECT_EQ(rangeOf(riff(chunk("fmt ", fmtBody()) + "data" + le32(2000000) + pcm(QList<qint16>(100, 30000)))), 276);

    // Against a direct count: Range is exceeded by at most n/1000 samples,
    // a level 10 % lower (where the bisection stopped) by more.
    for (int amplitude : {600, 4000, 12000, 31000}) {
        const QList<qint16> s = noise(30000, amplitude, quint32(amplitude));
        const auto above = [&](int level) { return std::count_if(s.begin(), s.end(), [&](qint16 v) { return std::abs(v) > level; }); };
        const int range = rangeOf(wav(s));
        EXPECT_LE(above(range), 29.999) << amplitude;
        EXPECT_GT(above(int(range / 1.1)), 29.999) << amplitude;
    }
}
