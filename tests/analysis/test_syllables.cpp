#include "analysis/Estimator.h"
#include "analysis/Syllables.h"

#include <gtest/gtest.h>

using namespace analysis;

namespace {

QStringList keys(const QString &text)
{
    QStringList out;
    for (const Syllable &s : parseSyllables(text))
        out << s.key();
    return out;
}

int place(const QString &alias, const QString &file, int occurrence = 0)
{
    return placeAlias(parseAlias(alias), parseFileName(file).syllables, occurrence);
}

}  // namespace

TEST(Syllables, KanaAndRomajiReadAsTheSameSounds)
{
    // Small kana join the syllable before, in each way they can.
    EXPECT_EQ(keys(QStringLiteral("きゃしゅちょ")), QStringList({"kya", "shu", "cho"}));
    EXPECT_EQ(keys(QStringLiteral("くぁてぃとぅうぃいぇふぁすぃでゅ")),
              QStringList({"kwa", "ti", "tu", "wi", "ye", "fa", "si", "dyu"}));
    EXPECT_EQ(keys(QStringLiteral("カンR")), QStringList({"ka", "n", "R"}));
    EXPECT_EQ(keys(QStringLiteral("kyashitsun")), QStringList({"kya", "shi", "tsu", "n"}));
    EXPECT_EQ(keys(QStringLiteral("syazu")), QStringList({"sha", "zu"}));
    EXPECT_EQ(keys(QStringLiteral("ぢづ")), keys(QStringLiteral("じず")));
    EXPECT_EQ(parseSyllables(QStringLiteral("きゃ"))[0].consonantClass(), ConsonantClass::UnvoicedPlosive);
    EXPECT_EQ(parseSyllables(QStringLiteral("ん"))[0].consonantClass(), ConsonantClass::MoraicNasal);
    EXPECT_EQ(parseSyllables(QStringLiteral("wa"))[0].consonantClass(), ConsonantClass::Glide);
    // Kana written back from a syllable reads as the same syllable.
    for (const QString &k : {QStringLiteral("きゃ"), QStringLiteral("くぁ"), QStringLiteral("てぃ"), QStringLiteral("とぅ"),
                             QStringLiteral("いぇ"), QStringLiteral("ん"), QStringLiteral("ふ"), QStringLiteral("しぇ")})
        EXPECT_EQ(kanaOf(parseSyllables(k)[0]), k);
}

TEST(Syllables, AliasesSayWhatKindOfEntryTheyAre)
{
    using Kind = AliasInfo::Kind;
    EXPECT_EQ(parseAlias(QStringLiteral("- あ")).kind, Kind::Head);
    EXPECT_EQ(parseAlias(QStringLiteral("-ka")).kind, Kind::Head);
    const AliasInfo vcv = parseAlias(QStringLiteral("a きゃ"));
    EXPECT_EQ(vcv.kind, Kind::Vcv);
    EXPECT_EQ(vcv.prevVowel, u'a');
    EXPECT_EQ(vcv.syllable.key(), "kya");
    EXPECT_EQ(parseAlias(QStringLiteral("n ka")).prevVowel, u'n');
    EXPECT_EQ(parseAlias(QStringLiteral("a R")).kind, Kind::Tail);
    EXPECT_EQ(parseAlias(QStringLiteral("o -")).kind, Kind::Tail);
    EXPECT_EQ(parseAlias(QStringLiteral("o -C5")).kind, Kind::Tail);  // a pitch folder's
    EXPECT_EQ(parseAlias(QStringLiteral("か")).kind, Kind::Cv);
    EXPECT_EQ(parseAlias(QStringLiteral("kaA3")).kind, Kind::Cv);
    EXPECT_EQ(parseAlias(QStringLiteral("か2")).kind, Kind::Cv);
    // Two syllables, breaths and marks are no syllable entry.
    EXPECT_EQ(parseAlias(QStringLiteral("かか")).kind, Kind::Unknown);
    EXPECT_EQ(parseAlias(QStringLiteral("@br1")).kind, Kind::Unknown);
    EXPECT_EQ(parseAlias(QStringLiteral("x か")).kind, Kind::Unknown);
    EXPECT_EQ(parseAlias(QString()).kind, Kind::Unknown);
}

TEST(Syllables, VcvAliasesArePlacedByTheVowelBeforeAndTheSyllable)
{
    const QString file = QStringLiteral("_あんああいあうあ.wav");
    EXPECT_EQ(place(QStringLiteral("- あ"), file), 0);
    EXPECT_EQ(place(QStringLiteral("a ん"), file), 1);
    EXPECT_EQ(place(QStringLiteral("n あ"), file), 2);
    EXPECT_EQ(place(QStringLiteral("a あ"), file), 3);  // not 2: ん comes before that one
    EXPECT_EQ(place(QStringLiteral("u あ"), file), 7);
    EXPECT_EQ(place(QStringLiteral("a -"), file), 7);
    EXPECT_EQ(place(QStringLiteral("a か"), file), -1);
    EXPECT_EQ(place(QStringLiteral("a ka"), QStringLiteral("_akaka.wav"), 1), 2);
    // Rests: a vowel before R ends there, a syllable after R starts from silence.
    const QString rests = QStringLiteral("_うRいRあR.wav");
    EXPECT_EQ(place(QStringLiteral("u R"), rests), 0);
    EXPECT_EQ(place(QStringLiteral("- い"), rests), 2);
    EXPECT_EQ(place(QStringLiteral("i R"), rests), 2);
    EXPECT_EQ(place(QStringLiteral("u い"), rests), -1);
    // を names the sound of お; small kana stay with their syllable.
    EXPECT_EQ(place(QStringLiteral("u を"), QStringLiteral("_うんううえうおう.wav")), 6);
    EXPECT_EQ(place(QStringLiteral("a きゃ"), QStringLiteral("_きゃんきゃきゃききゃきゅきゃ.wav")), 3);
    EXPECT_EQ(place(QStringLiteral("u うぉ"), QStringLiteral("_ううぇううぉいゆいいぇ.wav")), 3);
    // CV: the syllable wherever it is, several per file in order.
    EXPECT_EQ(place(QStringLiteral("か"), QStringLiteral("か.wav")), 0);
    EXPECT_EQ(place(QStringLiteral("ki"), QStringLiteral("ka_ki_ku.wav")), 1);
    EXPECT_EQ(place(QStringLiteral("ka"), QStringLiteral("kakaka.wav"), 2), 2);
}

TEST(Syllables, EntriesAreMadeFromFileNamesInTheBanksScript)
{
    clsOto kanaEntry;
    kanaEntry.FIL = QStringLiteral("_あか.wav");
    kanaEntry.ALS = QStringLiteral("- あ");
    const QList<clsOto> made = generateEntries(
        {kanaEntry}, {QStringLiteral("_あか.wav"), QStringLiteral("_あさRきゃ.wav"), QStringLiteral("た.wav"), QStringLiteral("notes.wav")});
    QStringList aliases;
    for (const clsOto &e : made) {
        aliases << e.FIL + u'=' + e.ALS;
        EXPECT_TRUE(isUnset(e));
    }
    // "- あ" exists already; a wave with entries gets none; a name of no
    // syllables gives nothing.
    EXPECT_EQ(aliases, QStringList({"_あさRきゃ.wav=a さ", "_あさRきゃ.wav=a R", "_あさRきゃ.wav=- きゃ",
                                    "_あさRきゃ.wav=a -", "た.wav=た"}));

    clsOto romajiEntry;
    romajiEntry.FIL = QStringLiteral("_a.wav");
    romajiEntry.ALS = QStringLiteral("- a");
    const QList<clsOto> romaji = generateEntries({romajiEntry}, {QStringLiteral("_きゃん.wav")});
    ASSERT_EQ(romaji.size(), 3);
    EXPECT_EQ(romaji[0].ALS, "- kya");
    EXPECT_EQ(romaji[1].ALS, "a n");
    EXPECT_EQ(romaji[2].ALS, "n -");

    // A name's own kana is kept where it reads as the sound ("うぉ", "づ",
    // not the table's "を", "ず"), in the bank's hiragana or katakana; with
    // nothing to follow, a romaji name still gives kana.
    auto aliasesOf = [](const QList<clsOto> &entries) {
        QStringList out;
        for (const clsOto &e : entries)
            out << e.ALS;
        return out;
    };
    const clsOto katakana(QStringLiteral("_ア.wav"), QStringLiteral("- ア"));
    EXPECT_EQ(aliasesOf(generateEntries({katakana}, {QStringLiteral("_うぉづ.wav")})),
              QStringList({"- ウォ", "o ヅ", "u -"}));
    EXPECT_EQ(aliasesOf(generateEntries({}, {QStringLiteral("_ウォづ.wav")})), QStringList({"- ウォ", "o づ", "u -"}));
    EXPECT_EQ(aliasesOf(generateEntries({}, {QStringLiteral("_kasa.wav")})), QStringList({"- か", "a さ", "a -"}));
}

TEST(Syllables, OddSmallKanaStillReadAsSoundsRomajiSpells)
{
    // Found by fuzzing: a second small kana after a glide changes only the
    // vowel, palatal forms are the ones romaji writes, ほぅ sounds as ふ.
    EXPECT_EQ(keys(QStringLiteral("きぃゃ")), QStringList({"kya"}));
    EXPECT_EQ(keys(QStringLiteral("すゃずゅつょ")), QStringList({"sha", "ju", "cho"}));
    EXPECT_EQ(keys(QStringLiteral("くぁぇ")), QStringList({"kwe"}));
    EXPECT_EQ(keys(QStringLiteral("ほぅ")), keys(QStringLiteral("ふ")));
    EXPECT_EQ(keys(QStringLiteral("てぃぃ")), QStringList({"tyi"}));
    // Every key read from kana reads back the same from romaji.
    for (const QString &k : {QStringLiteral("きぃゃ"), QStringLiteral("すゃ"), QStringLiteral("てぃぃ"), QStringLiteral("ゔゃ"),
                             QStringLiteral("うぅ"), QStringLiteral("いぃ")}) {
        const QString key = keys(k).value(0);
        EXPECT_EQ(keys(key), QStringList({key})) << k.toStdString();
    }
}

TEST(Syllables, FileNamesAndAliasesInEitherScriptMeetByTheirSounds)
{
    // A romaji alias finds its place in a kana file name and the other way
    // round; folders, numbers and extensions are no part of the name.
    EXPECT_EQ(place(QStringLiteral("a ka"), QStringLiteral("_あかさ.wav")), 1);
    EXPECT_EQ(place(QStringLiteral("a さ"), QStringLiteral("_akasa.wav")), 2);
    EXPECT_EQ(place(QStringLiteral("- kya"), QStringLiteral("voice/_きゃきゅ.wav")), 0);
    EXPECT_EQ(place(QStringLiteral("u o"), QStringLiteral("_うを2.wav")), 1);
    const FileSyllables numbered = parseFileName(QStringLiteral("sub\\_あかさ2.wav"));
    EXPECT_TRUE(numbered.vcv);
    EXPECT_TRUE(numbered.complete);
    EXPECT_EQ(numbered.syllables.size(), 3);
    const FileSyllables notes = parseFileName(QStringLiteral("_あか(old).wav"));
    EXPECT_FALSE(notes.complete);
    EXPECT_EQ(notes.syllables.size(), 2);
    EXPECT_FALSE(parseFileName(QStringLiteral("か.wav")).vcv);

    // Entries made from odd names read back as their syllables, as the
    // name writes them.
    clsOto kana;
    kana.FIL = QStringLiteral("x.wav");
    kana.ALS = QStringLiteral("- あ");
    const QString odd = QStringLiteral("_いてぃぃ.wav");
    const QList<clsOto> made = generateEntries({kana}, {odd});
    ASSERT_EQ(made.size(), 3);
    EXPECT_EQ(made[0].ALS, "- い");
    EXPECT_EQ(made[1].ALS, "i てぃぃ");
    for (const clsOto &e : made)
        EXPECT_GE(placeAlias(parseAlias(e.ALS), parseFileName(odd).syllables), 0) << e.ALS.toStdString();
}
