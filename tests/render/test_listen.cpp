#include "render/Listen.h"
#include "render/RenderSynth.h"

#include <gtest/gtest.h>
#include <cmath>

namespace {

OtoEntries bank(const QString &folder, const QStringList &aliases)
{
    OtoEntries entries;
    for (const QString &alias : aliases) {
        entries.append(std::make_shared<clsOto>(QStringLiteral("x.wav"), alias, 100, 50, -300, 60, 20));
        entries.back()->folder = folder;
    }
    return entries;
}

// The alias of the entry that index follows, or "" for none.
QString before(const OtoEntries &entries, int index)
{
    const int i = render::precedingEntry(entries, index);
    return i < 0 ? QString() : entries[i]->ALS;
}

}  // namespace

TEST(Listen, AnAliasFollowsAnEntryOfItsFolderThatEndsInTheSoundItStartsFrom)
{
    // A Japanese VCV bank, with a second folder whose "- あ" comes first.
    OtoEntries ja = bank(QStringLiteral("soft"), {QStringLiteral("- あ")});
    ja += bank(QString(), {QStringLiteral("a か"), QStringLiteral("- か"), QStringLiteral("a あ"), QStringLiteral("- あ2"),
                           QStringLiteral("- あ"), QStringLiteral("i か"), QStringLiteral("- い"), QStringLiteral("a ん"),
                           QStringLiteral("n か"), QStringLiteral("か"), QStringLiteral("a -")});
    EXPECT_EQ(before(ja, 1), QStringLiteral("- あ"));
    EXPECT_EQ(render::precedingEntry(ja, 1), 5);  // its own folder's, without a take number
    EXPECT_EQ(before(ja, 6), QStringLiteral("- い"));
    EXPECT_EQ(before(ja, 9), QStringLiteral("a ん"));
    EXPECT_EQ(before(ja, 11), QStringLiteral("- あ"));  // "a -" ends the vowel
    EXPECT_EQ(before(ja, 2), QString());                 // "- か" follows silence
    EXPECT_EQ(before(ja, 10), QString());                // a lone "か" follows anything
    EXPECT_EQ(before(ja, 0), QString());                 // nothing else in "soft"

    // An English ARPAsing pitch folder: its aliases carry the note.
    const OtoEntries en = bank(QStringLiteral("A3"),
                               {QStringLiteral("- ayA3"), QStringLiteral("ay erA3"), QStringLiteral("erA3"),
                                QStringLiteral("- pA3"), QStringLiteral("p aaA3"), QStringLiteral("aa rA3"),
                                QStringLiteral("r kA3"), QStringLiteral("aaA3"), QStringLiteral("aa -A3"),
                                QStringLiteral("ayA3")});
    EXPECT_EQ(before(en, 1), QStringLiteral("- ayA3"));
    EXPECT_EQ(before(en, 2), QStringLiteral("ay erA3"));  // a held vowel after the joint into it
    EXPECT_EQ(before(en, 4), QStringLiteral("- pA3"));
    EXPECT_EQ(before(en, 5), QStringLiteral("aaA3"));     // no "- aa": the held vowel
    EXPECT_EQ(before(en, 6), QStringLiteral("aa rA3"));
    EXPECT_EQ(before(en, 9), QStringLiteral("- ayA3"));
    EXPECT_EQ(before(en, 0), QString());
    EXPECT_EQ(render::precedingEntry(en, 42), -1);
}

TEST(Listen, AFolderSingsAtTheNoteItsNameOrItsAliasesCarry)
{
    EXPECT_NEAR(*render::folderNoteHz(QStringLiteral("A3"), {}), 220, 1e-9);
    EXPECT_NEAR(*render::folderNoteHz(QStringLiteral("voice/F#4"), {}), 369.994, 1e-3);
    EXPECT_NEAR(*render::folderNoteHz(QStringLiteral("power"), {QStringLiteral("_aaC5"), QStringLiteral("- ayC5"),
                                                               QStringLiteral("ay erC5")}),
                523.251, 1e-3);
    EXPECT_FALSE(render::folderNoteHz(QString(), {QStringLiteral("- あ"), QStringLiteral("a か"), QStringLiteral("a さ")}));
    EXPECT_FALSE(render::folderNoteHz(QStringLiteral("Ab"), {}));
}

TEST(Listen, ANoteAndAPhraseLoopInTheirOwnLengths)
{
    const QList<qint16> wave = syntheticVowel(100, 900, 200);
    const render::RenderNote vowel{clsOto("a.wav", "- a", 80, 60, -700, 40, 20), wave, 700};
    const render::LoopSound note = render::singNote(vowel, 440);
    EXPECT_EQ(note.samples.size(), size_t(std::llround((40 + 700 + render::kNoteGapMs) * 44.1)));
    EXPECT_DOUBLE_EQ(note.listened.beatMs, 40);
    EXPECT_TRUE(note.beatsMs.empty());

    // At 120 the two notes and the first preutterance fit one bar of four
    // beats, clicked on the first note's beat and every beat after it.
    render::RenderNote after{clsOto("a.wav", "a a", 80, 60, -700, 150, 30), wave, 0};
    const render::LoopSound phrase = render::singPhrase(vowel, after, 261.6, 120);
    EXPECT_EQ(phrase.samples.size(), size_t(2000 * 44.1));
    EXPECT_DOUBLE_EQ(phrase.listened.beatMs, 540);
    EXPECT_DOUBLE_EQ(phrase.listened.startMs, 390);
    EXPECT_EQ(phrase.beatsMs, (std::vector<double>{40, 540, 1040, 1540}));
    // The click sounds over the silence after the phrase.
    EXPECT_GT(std::abs(phrase.samples[size_t(1540 * 44.1 + 5)]), 1000);

    // A preutterance longer than what the bar leaves makes two bars; the
    // beats wrap around the loop.
    const render::RenderNote slow{clsOto("a.wav", "- a", 80, 60, -700, 600, 20), wave, 0};
    const render::LoopSound two = render::singPhrase(slow, after, 261.6, 240);
    EXPECT_EQ(two.samples.size(), size_t(2000 * 44.1));
    EXPECT_EQ(two.beatsMs.size(), 8u);
    EXPECT_DOUBLE_EQ(two.beatsMs.front(), 100);  // 600 + 6 * 250 - 2000
    // Alone, the entry is still sung on the beat.
    const render::LoopSound alone = render::singPhrase(std::nullopt, after, 261.6, 120);
    EXPECT_EQ(alone.samples.size(), size_t(2000 * 44.1));
    EXPECT_DOUBLE_EQ(alone.listened.beatMs, 150);
}
