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
