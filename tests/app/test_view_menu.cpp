#include "analysis/FrqFile.h"
#include "analysis/ToneSynth.h"
#include "support/WindowEnv.h"
#include "view/PictureBox.h"
#include "view/ViewSettings.h"

#include <QListView>
#include <gtest/gtest.h>

namespace {

// Pixels of the detail view's upper half that are the white background.
int whiteAbove(const PictureBox &pic)
{
    const QImage &img = pic.image();
    int n = 0;
    for (int y = 0; y < img.height() / 2; ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixelColor(x, y) == Qt::white;
    return n;
}

}  // namespace

TEST(ViewMenu, SpectrogramAndCurvesToggleTheViewAndAreKeptBesideTheSettings)
{
    WindowEnv env;
    env.resizeClient(900, 500);
    env.openBank({{"a", "a.wav"}}, "10,20,-100,15,5", 44100 / 2);
    env.child<QListView>("lstOto")->setCurrentIndex(env.window->listModel().index(0));
    ASSERT_TRUE(env.window->isEditable());
    auto *pic = env.child<PictureBox>("pic");
    QAction *spectrogram = env.child<QAction>("mnuSettSpectrogram");
    QAction *curves = env.child<QAction>("mnuSettCurves");
    ASSERT_TRUE(spectrogram && curves);
    EXPECT_EQ(spectrogram->text(), "&Spectrogram - 頻譜圖");
    EXPECT_EQ(curves->text(), "&Analysis curves - 分析曲線");
    EXPECT_FALSE(spectrogram->isChecked());
    const int plain = whiteAbove(*pic);
    EXPECT_GT(plain, pic->image().width() * pic->image().height() / 4);  // a quiet trace on white

    // On: the upper part is the spectrogram; the curves come on top of it.
    spectrogram->trigger();
    EXPECT_TRUE(env.editor().spectrogram());
    EXPECT_LT(whiteAbove(*pic), plain / 20);
    const QImage withoutCurves = pic->image();
    curves->trigger();
    EXPECT_TRUE(env.editor().analysisCurves());
    EXPECT_NE(pic->image(), withoutCurves);
    EXPECT_TRUE(env.editor().curveFeatures());
    // A mouse edit draws the same spectrogram again (from its cache).
    env.editor().pic_MouseUp(1, 0, 300, pic->height() * 1.5 / 5);
    EXPECT_LT(whiteAbove(*pic), plain / 20);

    // Kept beside sett.ini when the window closes; sett.ini keeps its five lines.
    env.dialogs.answers = {MsgAnswer::No};  // the edit is not saved
    ASSERT_TRUE(env.window->close());
    EXPECT_EQ(env.dir.read("sett.ini").count("\r\n"), 5);
    const ViewSettings saved = ViewSettings::read(env.dir.file("lirra.ini"));
    EXPECT_EQ(saved, (ViewSettings{true, true}));
    frmMain again(env.sett, env.locale, env.dialogs);
    again.aplSett();
    EXPECT_TRUE(again.findChild<QAction *>("mnuSettSpectrogram")->isChecked());
    EXPECT_TRUE(again.waveEditor().spectrogram());
    EXPECT_TRUE(again.waveEditor().analysisCurves());

    // Off again, and a value that is not a truth value reads as the default.
    again.findChild<QAction *>("mnuSettSpectrogram")->trigger();
    EXPECT_FALSE(again.waveEditor().spectrogram());
    env.dir.write("lirra.ini", "[view]\nspectrogram=maybe\nanalysisCurves=1\n");
    EXPECT_EQ(ViewSettings::read(env.dir.file("lirra.ini")), (ViewSettings{false, true}));
    EXPECT_EQ(ViewSettings::read(env.dir.file("missing.ini")), ViewSettings{});
}

namespace {

int pixelsOf(const QImage &img, const QColor &c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixelColor(x, y) == c;
    return n;
}

}  // namespace

TEST(ViewMenu, PitchAndLoudnessCurvesAndTheFrequencyFileTheMenuWrites)
{
    WindowEnv env;
    env.resizeClient(900, 500);
    ToneSynth tone;
    tone.silence(100).steady(600, 220).silence(100);
    env.bank.write("a.wav", wavimg::wav(QList<qint16>(tone.samples.begin(), tone.samples.end())));
    env.bank.write("oto.ini", "#CHARSET:UTF8\r\na.wav=a,10,20,-700,15,5\r\n");
    env.window->setFolderChooser([&] { return std::optional<QString>(env.bank.path()); });
    env.child<QAction>("mnuOpen")->trigger();
    env.child<QListView>("lstOto")->setCurrentIndex(env.window->listModel().index(0));
    ASSERT_TRUE(env.window->isEditable());
    auto *pic = env.child<PictureBox>("pic");
    QAction *pitch = env.child<QAction>("mnuSettPitch");
    QAction *loudness = env.child<QAction>("mnuSettLoudness");
    QAction *generate = env.child<QAction>("mnuGenFrq");
    ASSERT_TRUE(pitch && loudness && generate);
    EXPECT_EQ(pitch->text(), "&Pitch curve - 音高曲線");
    EXPECT_EQ(loudness->text(), "&Loudness curve - 響度曲線");
    EXPECT_EQ(generate->text(), "Generate frequency files - 生成頻率檔");

    // The view runs from -90 to 810 ms: the note from 100 to 700 ms.
    const double noteX = env.editor().viewW() / 2;
    const double silenceX = env.editor().viewW() * (50 + 90) / 900;
    EXPECT_TRUE(env.editor().pitchAt(noteX).isEmpty());
    const QColor f0Color(200, 0, 60), frqColor(255, 140, 0);
    EXPECT_EQ(pixelsOf(pic->image(), f0Color), 0);
    pitch->trigger();
    EXPECT_GT(pixelsOf(pic->image(), f0Color), 200);
    EXPECT_TRUE(env.editor().pitchAt(noteX).contains("A3 ")) << env.editor().pitchAt(noteX).toStdString();
    EXPECT_TRUE(env.editor().pitchAt(silenceX).startsWith("unvoiced")) << env.editor().pitchAt(silenceX).toStdString();
    EXPECT_TRUE(env.editor().pitchAt(1).isEmpty());  // before the start of the file
    EXPECT_EQ(pixelsOf(pic->image(), frqColor), 0);

    // Written from the menu, the frequency file is drawn as a second curve.
    generate->trigger();
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages[0].text.startsWith("Frequency files written: 1, kept: 0, failed: 0"));
    EXPECT_TRUE(analysis::decodeFrq(env.bank.read("a_wav.frq")));
    EXPECT_GT(pixelsOf(pic->image(), frqColor), 20);
    EXPECT_TRUE(env.editor().pitchAt(noteX).contains("frq 22")) << env.editor().pitchAt(noteX).toStdString();
    // Once there is one, the menu asks whether to replace it; No keeps it.
    env.bank.write("a_wav.frq", QByteArray("kept"));
    env.dialogs.answers = {MsgAnswer::No};
    generate->trigger();
    ASSERT_EQ(env.dialogs.messages.size(), 3);
    EXPECT_EQ(env.dialogs.messages[1].buttons, MsgButtons::YesNoCancel);
    EXPECT_TRUE(env.dialogs.messages[2].text.startsWith("Frequency files written: 0, kept: 1"));
    EXPECT_EQ(env.bank.read("a_wav.frq"), QByteArray("kept"));
    EXPECT_EQ(pixelsOf(pic->image(), frqColor), 0);  // not a frequency file: no curve

    const QImage pitchOnly = pic->image();
    loudness->trigger();
    EXPECT_NE(pic->image(), pitchOnly);
    env.dialogs.answers = {MsgAnswer::No};
    ASSERT_TRUE(env.window->close());
    const ViewSettings saved = ViewSettings::read(env.dir.file("lirra.ini"));
    EXPECT_TRUE(saved.pitchCurve && saved.loudnessCurve);
    EXPECT_FALSE(saved.spectrogram);
}
