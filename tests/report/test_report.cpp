#include "oto/modLocale.h"
#include "oto/OtoDocument.h"
#include "analysis/FrqFile.h"
#include "report/BankReport.h"
#include "report/ReportModel.h"
#include "wave/clsWave.h"
#include "support/LocaleEnv.h"
#include "support/RunCli.h"
#include "tests/report/ReportBanks.h"

#include <gtest/gtest.h>

using namespace reportbank;

namespace {

const QString kGood = "10,100,-500,60,20";  // inside a 1000 ms recording

struct ReportFixture : ::testing::Test, LocaleEnv {
    std::unique_ptr<TempFolder> folder = std::make_unique<TempFolder>();
    TempFolder &bank = *folder;
    // A fresh bank folder for the next case.
    TempFolder &fresh() { return *folders.emplace_back(std::make_unique<TempFolder>()); }
    std::vector<std::unique_ptr<TempFolder>> folders;

    BankInput read(const TempFolder &at)
    {
        QString why;
        std::optional<BankInput> input = readBank(doc, at.path(), &why);
        EXPECT_TRUE(input) << why.toStdString();
        return input.value_or(BankInput{});
    }
    QList<Problem> run(const QString &coverage = {}) { return runOn(bank, coverage); }
    QList<Problem> runOn(const TempFolder &at, const QString &coverage)
    {
        input = read(at);
        if (coverage.isEmpty())
            return BankReport(input).run();
        QString why;
        const auto decode = [this](const QString &path) { return readCoverageFile(path, locale); };
        const std::optional<CoverageProfile> profile = coverageProfile(coverage, decode, &why);
        EXPECT_TRUE(profile) << why.toStdString();
        return profile ? BankReport(input).run(&*profile) : QList<Problem>{};
    }
    static QStringList lines(const QList<Problem> &problems)
    {
        QStringList out;
        for (const Problem &p : problems)
            out << p.line();
        return out;
    }
    static QStringList aliases(const QList<Problem> &problems)
    {
        QStringList out;
        for (const Problem &p : problems)
            out << p.alias;
        return out;
    }
    OtoDocument doc{locale, dialogs};
    BankInput input;
};

}  // namespace

TEST_F(ReportFixture, EachPlantedFaultIsReportedOnceAndNothingElse)
{
    const QString ga = QString::fromUtf8("が");
    const QString gaDecomposed = ga.normalized(QString::NormalizationForm_D);
    ASSERT_NE(ga, gaDecomposed);
    writeWaves(bank, {"_あいう.wav", "b.wav", "Case.wav", gaDecomposed + ".wav", "long.wav", "extra.wav"});
    bank.write("stereo.wav", wavimg::wav(wavimg::noise(1000, 3000), {1, 2, 44100, 176400, 4, 16}));
    writeOto(bank, "oto.ini",
             {"_あいう.wav=- あ," + kGood, "_あいう.wav=a い," + kGood, "_あいう.wav=i う," + kGood,
              "_あいう.wav=u -," + kGood,
              "_あいう.wav=a い," + kGood,      // line 6: duplicate of line 3
              "b.wav=b ," + kGood,               // line 7: trailing space
              "gone.wav=gone," + kGood,          // line 8: no such recording
              "stereo.wav=st," + kGood,          // line 9: stereo
              "case.wav=cs," + kGood,            // line 10: Case.wav on disk
              ga + ".wav=" + ga + "," + kGood,   // line 11: stored decomposed
              "long.wav=lg,900,200,0,60,20",      // line 12: fixed length past the end
             });

    const QStringList expected = {
        "duplicate-alias\toto.ini:6\ta い\tfirst at oto.ini:3",
        "alias-spaces\toto.ini:7\tb \ttrailing space in the alias",
        "missing-wave\toto.ini:8\tgone\tgone.wav is not in the bank",
        "wave-format\tstereo.wav\t\tChannel <> 1 (Only MONO wave supported) - 聲道數不爲1，僅支持單聲道; Wrong "
        "bytesPerSec - 每秒字節數非標準; Wrong bytesperblock - 每塊字節數非標準",
        "case-mismatch\toto.ini:10\tcs\ton disk as Case.wav",
        "nfd-name\t" + gaDecomposed + ".wav\t\tstored decomposed (NFD) on disk; oto.ini writes it composed (NFC)",
        "out-of-range\toto.ini:12\tlg\tthe fixed length ends at 1100 ms, past the right bound 1000 ms",
        "unused-wave\textra.wav\t\tno entry uses it",
    };
    const QList<Problem> problems = run();
    EXPECT_EQ(lines(problems), expected);
    // Double clicks find the entries: the problem's entry is the line's.
    for (const Problem &p : problems) {
        if (p.entry >= 0 && p.where.startsWith("oto.ini:")) {
            EXPECT_EQ(input.entries[p.entry].where(), p.where);
        }
    }

    // The same on the command line, with the counts and the exit status.
    const CliRun cli = lirraOto({"report", bank.path()});
    EXPECT_EQ(cli.status, 1);
    EXPECT_EQ(cli.out, expected.join("\n") + "\n");
    EXPECT_TRUE(cli.err.contains("duplicate-alias: 1\n")) << cli.err.toStdString();
    EXPECT_TRUE(cli.err.contains("problems: 8")) << cli.err.toStdString();
    // A bank named relative to the working folder reads the same.
    EXPECT_EQ(lirraOto({"report", QDir::current().relativeFilePath(bank.path())}).out, cli.out);
}

TEST_F(ReportFixture, CoverageProfilesNameTheMissingAliasesAndTheirRecordings)
{
    // ja-vcv: "i u" in romaji stands for "i う"; "_br.wav" is no recording name.
    writeWaves(bank, {"_あいう.wav", "_br.wav"});
    writeOto(bank, "oto.ini", {"_あいう.wav=- あ," + kGood, "_あいう.wav=a い," + kGood, "_あいう.wav=i u," + kGood,
                               "_br.wav=br," + kGood});
    QList<Problem> problems = run("ja-vcv");
    EXPECT_EQ(lines(problems), QStringList{"missing-alias\t_あいう.wav\tu -\tfrom _あいう.wav"});
    const OtoEntries made = entriesForMissing(problems);
    ASSERT_EQ(made.size(), 1);
    EXPECT_EQ(made[0]->fileStr(), "_あいう.wav=u -,0,0,0,0,0");

    // ja-cv: one alias a syllable, whether the file holds one or several.
    TempFolder &cv = fresh();
    writeWaves(cv, {"か.wav", "き.wav", "_さし.wav"});
    writeOto(cv, "oto.ini", {"か.wav=か," + kGood, "き.wav=ki," + kGood, "_さし.wav=さ," + kGood});
    EXPECT_EQ(aliases(runOn(cv, "ja-cv")), QStringList{"し"});

    // ja-cvvc: the syllables, vowel into consonant, last vowel into silence.
    TempFolder &cvvc = fresh();
    writeWaves(cvvc, {"_かき.wav", "_さし.wav", "か.wav"});
    writeOto(cvvc, "oto.ini", {"か.wav=か," + kGood, "_かき.wav=き," + kGood, "_さし.wav=さ," + kGood,
                               "_さし.wav=し," + kGood, "_さし.wav=a sh," + kGood, "_かき.wav=a k," + kGood});
    problems = runOn(cvvc, "ja-cvvc");
    EXPECT_EQ(aliases(problems), (QStringList{"i -", "a -"}));
    EXPECT_EQ(problems.value(1).where, "か.wav");

    // en-arpasing, in a pitch folder whose suffix prefix.map names.
    TempFolder &en = fresh();
    writeWaves(en, {"A3/_aa_b_aa.wav"});
    writeOto(en, "A3/oto.ini", {"_aa_b_aa.wav=- aaA3," + kGood, "_aa_b_aa.wav=aa bA3," + kGood});
    en.write("prefix.map", "C4\t\tA3\nA3\t\tA3\n");
    problems = runOn(en, "en-arpasing");
    EXPECT_EQ(lines(problems), (QStringList{"missing-alias\tA3/_aa_b_aa.wav\tb aa\tfrom A3/_aa_b_aa.wav",
                                            "missing-alias\tA3/_aa_b_aa.wav\taa -\tfrom A3/_aa_b_aa.wav"}));
    EXPECT_EQ(entriesForMissing(problems).value(0)->FIL, "_aa_b_aa.wav");  // as the pitch folder's oto.ini names it

    // A recording list: recorded and unrecorded names, an alias as it stands.
    TempFolder &listed = fresh();
    writeWaves(listed, {"_かき.wav"});
    writeOto(listed, "oto.ini", {"_かき.wav=- か," + kGood, "_かき.wav=a き," + kGood});
    listed.write("reclist.txt", "# mine\n_かき\n_く\na R\n");
    problems = runOn(listed, listed.file("reclist.txt"));
    EXPECT_EQ(lines(problems), (QStringList{"missing-alias\t_かき.wav\ti -\tfrom _かき.wav",
                                            "missing-alias\treclist.txt:3\t- く\tfrom _く, listed in reclist.txt:3 "
                                            "but not recorded",
                                            "missing-alias\treclist.txt:3\tu -\tfrom _く, listed in reclist.txt:3 "
                                            "but not recorded",
                                            "missing-alias\treclist.txt:4\ta R\tlisted in reclist.txt:4"}));
    EXPECT_EQ(entriesForMissing(problems).size(), 1);  // only "i -" has a recording

    // presamp.ini: "- C" and "V C" for each syllable of its vowel table.
    listed.write("presamp.ini", "[VERSION]\n1.7\n[VOWEL]\na=あ=あ,か,カ=100\ni=い=き=100\n[CONSONANT]\nk=か,き=1\n");
    problems = runOn(listed, listed.file("presamp.ini"));
    EXPECT_EQ(aliases(problems), (QStringList{"- あ", "a あ", "i あ", "a か", "i か", "- き", "i き"}));
    EXPECT_EQ(problems.value(4).recording, "");
    EXPECT_EQ(problems.value(6).recording, "");
}

TEST_F(ReportFixture, CommandLineStatusAndRefusals)
{
    writeWaves(bank, {"a.wav"});
    writeOto(bank, "oto.ini", {"a.wav=a," + kGood});
    CliRun cli = lirraOto({"report", bank.path()});
    EXPECT_EQ(cli.status, 0) << cli.err.toStdString();
    EXPECT_EQ(cli.out, "");

    cli = lirraOto({"report", bank.path(), "--coverage", "ja-nothing"});
    EXPECT_EQ(cli.status, 2);
    EXPECT_TRUE(cli.err.contains("--coverage takes ja-vcv")) << cli.err.toStdString();
    cli = lirraOto({"report", fresh().path()});
    EXPECT_EQ(cli.status, 2);
    EXPECT_TRUE(cli.err.contains("holds no oto.ini")) << cli.err.toStdString();
    cli = lirraOto({"report", bank.path(), "--charset", "cp949"});
    EXPECT_EQ(cli.status, 0) << cli.err.toStdString();
}

TEST_F(ReportFixture, EveryWayANumberOrANameGoesWrong)
{
    const QString ga = QString::fromUtf8("が"), gaD = ga.normalized(QString::NormalizationForm_D);
    const QString pa = QString::fromUtf8("ぱ"), paD = pa.normalized(QString::NormalizationForm_D);
    writeWaves(bank, {"a.wav", ga + ".wav", paD + ".wav"});
    bank.write("short.wav", wavimg::riff(wavimg::chunk("fmt ", wavimg::fmtBody()) + wavimg::chunk("data", "\x01")));
    bank.write("cut.wav", wavimg::riff(wavimg::chunk("fmt ", wavimg::fmtBody())));  // no data chunk
    writeOto(bank, "oto.ini",
             {"a.wav=lf,-5,0,0,0,0",             // 2: before the start
              "a.wav=rt,100,0,-950,0,0",         // 3: right bound 1050
              "a.wav=rt2,600,0,500,0,0",         // 4: right bound 500, before the left
              "a.wav=ov,0,0,0,10,30",            // 5: overlap after the preutterance
              "a.wav=fx,900,150,-120,0,0",       // 6: fixed length 1050 past the right bound 1020... and the end
              "a.wav=ok,0,0,0,30,-10",           // 7: a negative overlap is fine
              "a.wav= lead," + kGood,            // 8
              "a.wav=in  two," + kGood,          // 9
              "a.wav=full\u3000width," + kGood,  // 10
              "a.wav =file," + kGood,            // 11: the file name's space, and a missing wave
              gaD + ".wav=" + ga + "," + kGood,  // 12: written decomposed, stored composed
              paD + ".wav=" + pa + "," + kGood,  // 13: decomposed on both sides
              "short.wav=s," + kGood, "cut.wav=c," + kGood});
    QStringList got;
    for (const Problem &p : run())
        got << p.where + " " + p.detail;
    EXPECT_EQ(got.join("\n").toStdString(), (QStringList{
                       "oto.ini:8 leading space in the alias",
                       "oto.ini:9 doubled space in the alias",
                       "oto.ini:10 full-width space in the alias",
                       "oto.ini:11 trailing space in the file name",
                       "oto.ini:11 a.wav  is not in the bank",
                       "short.wav the wave file is corrupted or not supported.; the data chunk holds no sample",
                       "cut.wav the wave file is corrupted or not supported.; the file ends before a 'data' chunk",
                       paD + ".wav stored decomposed (NFD) on disk; oto.ini writes it decomposed too",
                       "oto.ini:12 oto.ini writes the name decomposed (NFD); on disk it is composed (NFC)",
                       "oto.ini:2 the left bound -5 ms is before the start",
                       "oto.ini:3 the right bound reaches 1050 ms, past the end (1000 ms)",
                       "oto.ini:4 the right bound 500 ms is before the left bound",
                       "oto.ini:5 the overlap 30 ms is after the preutterance 10 ms",
                       "oto.ini:6 the right bound reaches 1020 ms, past the end (1000 ms); the fixed length ends at "
                       "1050 ms, past the right bound 1020 ms",
                   }).join("\n").toStdString());
}

TEST_F(ReportFixture, SingerWithPitchFoldersIsOneBank)
{
    // Two pitch folders with their own oto.ini, an extra folder of
    // recordings the root's oto.ini names, and a duplicate across folders.
    // F4/ is a pitch folder with no oto.ini yet: its recordings are listed
    // once, as its own.
    writeWaves(bank, {"A3/_かき.wav", "C5/_かき.wav", "C5/spare.wav", "F4/_かき.wav", "breath/br.wav", "root.wav"});
    ASSERT_TRUE(QFile::link(bank.path(), bank.file("breath/loop")));  // a folder linked back up is not followed
    writeOto(bank, "oto.ini", {"breath/br.wav=br," + kGood, "root.wav=root," + kGood});
    writeOto(bank, "A3/oto.ini", {"_かき.wav=- かA3," + kGood, "_かき.wav=a きA3," + kGood, "_かき.wav=i -A3," + kGood});
    writeOto(bank, "C5/oto.ini", {"_かき.wav=- かC5," + kGood, "_かき.wav=a きA3," + kGood});
    bank.write("prefix.map", "C5\t\tC5\r\nA3\t\tA3\r\n");
    QList<Problem> problems = run("ja-vcv");
    EXPECT_EQ(lines(problems), (QStringList{
                                   "duplicate-alias\tC5/oto.ini:3\ta きA3\tfirst at A3/oto.ini:3",
                                   "unused-wave\tC5/spare.wav\t\tno entry uses it",
                                   "unused-wave\tF4/_かき.wav\t\tno entry uses it",
                               }));
    EXPECT_EQ(input.otoFolders, (QStringList{"", "A3", "C5", "F4"}));
    EXPECT_EQ(input.recordings, (QStringList{"root.wav", "breath/br.wav", "A3/_かき.wav", "C5/_かき.wav", "C5/spare.wav",
                                             "F4/_かき.wav"}));

    // Each pitch folder's mark comes off its aliases before coverage compares them.
    EXPECT_EQ(input.affixes.value("A3"), (singer::Affixes{"", "A3"}));
    EXPECT_EQ(input.affixes.value("C5"), (singer::Affixes{"", "C5"}));
    EXPECT_EQ(input.baseAlias(input.entries.value(2)), "- か");
    EXPECT_EQ(entryName(input, "C5/_かき.wav"), "_かき.wav");
    EXPECT_EQ(entryName(input, "breath/br.wav"), "breath/br.wav");

    // A Shift-JIS recording list is read in the file charset, a UTF-8 one as UTF-8.
    bank.write("sjis.txt", modLocale::str2bytes("_かき\r\n", 932));
    bank.write("utf8.txt", QString("_かき\n").toUtf8());
    for (const char *name : {"sjis.txt", "utf8.txt"})
        EXPECT_EQ(readCoverageFile(bank.file(name), locale), "_かき\n") << name;

    // An entry's line counts the comments, blank and bad lines above it.
    TempFolder &kept = fresh();
    writeWaves(kept, {"a.wav"});
    writeOto(kept, "oto.ini", {"", "a.wav=a," + kGood, "# a comment", "not an entry", "a.wav=a," + kGood});
    EXPECT_EQ(lines(runOn(kept, {})), QStringList{"duplicate-alias\toto.ini:6\ta\tfirst at oto.ini:3"});
}

TEST_F(ReportFixture, HeadersAloneGiveTheLengthAndTheReason)
{
    // The length comes from the declared data size; the samples are not read.
    // A file that holds much less than that was cut off.
    const auto declaring2s = [](int held) {
        return wavimg::riff(wavimg::chunk("fmt ", wavimg::fmtBody()) + "data" + wavimg::le32(88200 * 2)
                            + wavimg::pcm(wavimg::noise(held, 3000)));
    };
    bank.write("long.wav", declaring2s(88200 - 100));
    const WaveHeader h = readWaveHeader(bank.file("long.wav"));
    EXPECT_TRUE(h.usable);
    EXPECT_DOUBLE_EQ(h.lengthMs, 2000);
    bank.write("cut.wav", declaring2s(44100));
    EXPECT_EQ(readWaveHeader(bank.file("cut.wav")).reason, "the file ends before its data: 1000 of 2000 ms are there");
    clsWave wave;
    QString name = "long.wav";
    ASSERT_TRUE(wave.ReadHeader(bank.path(), name));
    EXPECT_FALSE(wave.Valid);
    EXPECT_TRUE(wave.samples().isEmpty());

    bank.write("rate.wav", wavimg::wav(wavimg::noise(100, 3000), {1, 1, 22050, 44100, 2, 16}));
    EXPECT_EQ(readWaveHeader(bank.file("rate.wav")).reason,
              "Sample Rate <> 44100 (Only 44100Hz supported) - 採樣率不爲44100Hz，僅支持此採樣率; Wrong bytesPerSec - "
              "每秒字節數非標準");
    EXPECT_TRUE(readWaveHeader(bank.file("none.wav")).reason.startsWith("cannot be opened"));

    // Recording names read as ARPAbet words only when every word is one.
    EXPECT_EQ(arpabetWords("_aa_b_aa"), (QStringList{"aa", "b", "aa"}));
    EXPECT_EQ(arpabetWords("k-ae t"), (QStringList{"k", "ae", "t"}));
    EXPECT_TRUE(arpabetWords("aa_x").isEmpty());
    EXPECT_TRUE(arpabetWords("12").isEmpty());
}

TEST_F(ReportFixture, RecordingsOffTheirNoteAndWrongFrequencyFilesAreNamed)
{
    // A singer's A3 folder: one recording sung on A3, one three semitones
    // above it; the first has a frequency file that says A4 throughout.
    const auto sung = [](double hz) {
        QList<qint16> s(44100);
        for (int i = 0; i < s.size(); ++i) {
            double v = 0;
            for (int k = 1; k <= 5; ++k)
                v += std::sin(2 * M_PI * hz * k * i / 44100.0) / k;
            s[i] = qint16(6000 * v);
        }
        return s;
    };
    QDir(bank.path()).mkdir("A3");
    bank.write("A3/on.wav", wavimg::wav(sung(220.0)));
    bank.write("A3/high.wav", wavimg::wav(sung(261.63)));
    bank.write("A3/oto.ini", "#CHARSET:UTF8\r\non.wav=- aA3,10,100,-300,50,20\r\nhigh.wav=- iA3,10,100,-300,50,20\r\n");
    analysis::FrqData wrong;
    wrong.f0Hz.assign(173, 440.0);
    wrong.amplitude.assign(173, 1000.0);
    wrong.averageHz = 440.0;
    bank.write("A3/on_wav.frq", analysis::encodeFrq(wrong));

    const QList<Problem> found = run();
    QStringList kinds;
    for (const Problem &p : found)
        kinds << kindName(p.kind) + u' ' + p.where;
    EXPECT_EQ(kinds, (QStringList{"off-pitch A3/high.wav", "frq-mismatch A3/on.wav"}));

    // The right frequency file is no problem, and the command line says the same.
    ASSERT_TRUE(analysis::writeFrqFor(bank.file("A3/on.wav")) == std::nullopt);
    const CliRun cli = lirraOto({"report", bank.path()});
    EXPECT_EQ(cli.out.count(u'\n'), 1) << cli.out.toStdString();
    EXPECT_TRUE(cli.out.startsWith("off-pitch\tA3/high.wav\t\t")) << cli.out.toStdString();
}
