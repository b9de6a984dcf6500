#include "analysis/PitchTracker.h"
#include "app/Listener.h"
#include "render/RenderSynth.h"
#include "support/WindowEnv.h"
#include "view/PictureBox.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <cmath>

namespace {

size_t samplesOf(double ms) { return size_t(std::llround(ms * 44.1)); }

}  // namespace

// F5 sings the current entry at a note, F6 after the entry it follows on a
// metronome; both loop with a cursor, sing anew when the entry is edited,
// and stop on the same key or Esc.
TEST(ListenKeys, SingTheEntryLoopingAndAnewOnAnEdit)
{
    TempFolder out;
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", out.file("played.raw").toLocal8Bit());
    WindowEnv env;
    env.resizeClient(1124, 366);
    // A vowel at 200 Hz after 100 ms of silence; LF 100, PR 50, RT -600.
    env.writeBank({{"- あ", "a.wav"}, {"a か", "ka.wav"}}, "100,80,-600,50,20", 100);
    for (const char *file : {"a.wav", "ka.wav"})
        env.bank.write(file, wavimg::wav(syntheticVowel(100, 900, 200)));
    env.window->setFolderChooser([&] { return std::optional<QString>(env.bank.path()); });
    env.child<QAction>("mnuOpen")->trigger();
    env.child<QListView>("lstOto")->setCurrentIndex(env.window->listModel().index(1));
    auto *listener = env.window->findChild<Listener *>("listener");
    ASSERT_TRUE(listener);
    EXPECT_EQ(env.window->menuBar()->actions().at(env.window->menuBar()->actions().size() - 3)->objectName(),
              "mnuListenItem");  // in front of Help and ☆
    auto *pic = env.child<PictureBox>("pic");
    pic->setFocus();

    QTest::keyClick(pic, Qt::Key_F5);
    ASSERT_EQ(listener->mode(), Listener::Mode::Note);
    EXPECT_EQ(listener->sound().samples.size(), samplesOf(50 + 1000 + render::kNoteGapMs));
    EXPECT_NEAR(listener->noteHz(), 261.63, 0.01);  // the folder names no note: the chosen C4
    EXPECT_LT(std::abs(1200 * std::log2(medianHz(listener->sound().samples, 100, 1000) / 261.63)), 20);
    bool cursorSeen = false;
    for (QDeadlineTimer deadline(3000); !cursorSeen && !deadline.hasExpired(); QTest::qWait(10))
        cursorSeen = pic->cursorX() >= 0;
    EXPECT_TRUE(cursorSeen);

    // A new preutterance is heard at once.
    auto *pr = env.child<QLineEdit>("txtPrm(2)");
    pr->selectAll();
    QTest::keyClicks(pr, "120");
    EXPECT_EQ(listener->sound().samples.size(), samplesOf(120 + 1000 + render::kNoteGapMs));
    EXPECT_EQ(listener->mode(), Listener::Mode::Note);
    QTest::keyClick(pic, Qt::Key_F5);
    EXPECT_EQ(listener->mode(), Listener::Mode::Off);

    // After "- あ" (PR 50), a beat each at 120: one bar.
    QTest::keyClick(pic, Qt::Key_F6);
    ASSERT_EQ(listener->mode(), Listener::Mode::Phrase);
    EXPECT_EQ(listener->precedingIndex(), 0);
    EXPECT_EQ(listener->sound().samples.size(), samplesOf(2000));
    EXPECT_DOUBLE_EQ(listener->sound().listened.beatMs, 550);
    listener->settings().tempoBpm = 60;
    pr->selectAll();
    QTest::keyClicks(pr, "90");  // and the tempo with it
    EXPECT_EQ(listener->sound().samples.size(), samplesOf(4000));
    EXPECT_DOUBLE_EQ(listener->sound().listened.beatMs, 1050);

    // The preceding recording is read again only when its file changed:
    // silence written behind its old size and time still sings the vowel
    // held from before; with a new time, the silence.
    const auto precedingLevel = [&] {  // RMS between the first beat's click and the entry's own note
        const auto &s = listener->sound().samples;
        const size_t from = samplesOf(200), to = samplesOf(listener->sound().listened.startMs - 50);
        double sum = 0;
        for (size_t i = from; i < to; ++i)
            sum += double(s[i]) * s[i];
        return std::sqrt(sum / double(to - from));
    };
    EXPECT_GT(precedingLevel(), 1000);
    const QDateTime written = QFileInfo(env.bank.file("a.wav")).lastModified();
    const auto rewrite = [&](const QDateTime &time) {
        env.bank.write("a.wav", wavimg::wav(syntheticVowel(100, 900, 200, 0)));
        QFile file(env.bank.file("a.wav"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
    };
    rewrite(written);
    pr->selectAll();
    QTest::keyClicks(pr, "80");
    EXPECT_GT(precedingLevel(), 1000);
    rewrite(written.addSecs(5));
    pr->selectAll();
    QTest::keyClicks(pr, "90");
    EXPECT_EQ(listener->precedingIndex(), 0);
    EXPECT_LT(precedingLevel(), 10);
    QTest::qWait(100);
    QTest::keyClick(env.window.get(), Qt::Key_Escape);
    QTest::qWait(100);
    EXPECT_EQ(listener->mode(), Listener::Mode::Off);
    EXPECT_EQ(pic->cursorX(), -1);
    qunsetenv("SDL_AUDIODRIVER");
}
