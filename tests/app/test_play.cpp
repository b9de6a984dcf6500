#include "support/WindowEnv.h"
#include "view/PictureBox.h"

#include <QDeadlineTimer>
#include <QListView>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// Splits what the disk driver wrote into the sounds played, at the silence
// between them (the test waves hold no 0 sample).
QList<QList<qint16>> sounds(const QByteArray &raw)
{
    QList<QList<qint16>> out;
    QList<qint16> current;
    for (qsizetype i = 0; i + 1 < raw.size(); i += 2) {
        const qint16 v = qFromLittleEndian<qint16>(raw.constData() + i);
        if (v != 0) {
            current << v;
        } else if (!current.isEmpty()) {
            out << current;
            current.clear();
        }
    }
    if (!current.isEmpty())
        out << current;
    return out;
}

}  // namespace

// Shift+Space plays the entry's stretch, Ctrl+Space from its preutterance to
// its right bound, with a cursor over the views while the sound plays.
TEST(PlayKeys, StretchesWithACursorAndEscStops)
{
    TempFolder out;
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", out.file("played.raw").toLocal8Bit());
    WindowEnv env;  // LF 100, PR 50, RT -300: the stretch is 100 to 400 ms
    env.resizeClient(1124, 366);
    env.openBank({{"a", "a.wav"}}, "100,80,-300,50,20", 44100);
    env.child<QListView>("lstOto")->setCurrentIndex(env.window->listModel().index(0));
    auto *pic = env.child<PictureBox>("pic");
    auto *picSm = env.child<PictureBox>("picSm");
    EXPECT_TRUE(env.child<QPushButton>("cmdPlay")->toolTip().contains("Shift+Space"));

    const auto playAndFollow = [&](Qt::KeyboardModifiers mods) {
        QTest::keyClick(pic, Qt::Key_Space, mods);
        bool cursorSeen = false;
        for (QDeadlineTimer deadline(5000); !deadline.hasExpired();) {
            QTest::qWait(10);
            cursorSeen = cursorSeen || (pic->cursorX() >= 0 && picSm->cursorX() >= 0);
            if (cursorSeen && pic->cursorX() < 0)
                break;  // played out: the cursor is gone
        }
        EXPECT_TRUE(cursorSeen);
        EXPECT_EQ(std::pair(pic->cursorX(), picSm->cursorX()), std::pair(-1, -1));
    };
    playAndFollow(Qt::ShiftModifier);
    playAndFollow(Qt::ControlModifier);

    QTest::keyClick(pic, Qt::Key_Space);  // the whole file, stopped by Esc
    QTest::qWait(100);
    QTest::keyClick(env.window.get(), Qt::Key_Escape);
    QTest::qWait(200);
    EXPECT_EQ(pic->cursorX(), -1);
    env.window.reset();  // closes the device: everything played is in the file
    qunsetenv("SDL_AUDIODRIVER");

    const QList<qint16> wave = wavimg::noise(44100, 3000);
    const QList<QList<qint16>> played = sounds(out.read("played.raw"));
    ASSERT_EQ(played.size(), 3);
    EXPECT_EQ(played[0], wave.mid(4410, 17640 - 4410));
    EXPECT_EQ(played[1], wave.mid(6615, 17640 - 6615));
    EXPECT_GT(played[2].size(), 2000);  // a tenth of a second or so, not the whole second
    EXPECT_LT(played[2].size(), 30000);
    EXPECT_EQ(played[2], wave.mid(0, played[2].size()));
}
