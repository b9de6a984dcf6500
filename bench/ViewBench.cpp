#include "app/frmMain.h"
#include "bench/BenchSession.h"
#include "bench/BenchUtil.h"
#include "core/clsSett.h"
#include "core/Dialogs.h"
#include "core/modUtils.h"
#include "oto/clsOto.h"
#include "oto/modLocale.h"
#include "oto/OtoDocument.h"
#include "view/modGfx.h"
#include "view/PictureBox.h"
#include "view/SpectrogramView.h"
#include "view/WaveEditor.h"
#include "view/ViewGeometry.h"
#include "wave/clsWave.h"

#include <QApplication>
#include <QDir>
#include <QListView>
#include <QtEndian>
#include <cmath>

namespace {

// A voice-like test signal: a 220 Hz tone with harmonics under a slow
// swell, plus a little noise, as 16-bit mono PCM at 44100 Hz.
bool writeWave(const QString &path, qint64 samples)
{
    QByteArray data(samples * 2, Qt::Uninitialized);
    quint32 seed = 12345;
    for (qint64 i = 0; i < samples; ++i) {
        const double t = double(i) / 44100;
        const double env = 0.55 + 0.45 * std::sin(t * 1.3);
        const double v = env * (9000 * std::sin(t * 2 * M_PI * 220) + 3000 * std::sin(t * 2 * M_PI * 660));
        seed = seed * 1664525u + 1013904223u;
        const int noise = int(seed >> 22) - 512;
        qToLittleEndian<qint16>(qint16(std::clamp(int(v) + noise, -32768, 32767)), data.data() + 2 * i);
    }
    QByteArray head;
    const auto le32 = [&](quint32 v) { char b[4]; qToLittleEndian(v, b); head.append(b, 4); };
    const auto le16 = [&](quint16 v) { char b[2]; qToLittleEndian(v, b); head.append(b, 2); };
    head += "RIFF";
    le32(quint32(36 + data.size()));
    head += "WAVEfmt ";
    le32(16), le16(1), le16(1), le32(44100), le32(88200), le16(2), le16(16);
    head += "data";
    le32(quint32(data.size()));
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(head) == head.size() && f.write(data) == data.size();
}

// The drawing alone, into boxes of the views' sizes: a parameter changes,
// then both views are cleared and drawn as a full redraw does. With the
// spectrogram, "nothing cached" is the first drawing of a window.
void drawingOnly(const QString &folder, const char *what, const QString &file, bool spectrogram)
{
    clsWave wave;
    QString name = file;
    if (!wave.ReadFile(folder, name))
        return;
    PictureBox pic, picSm;
    pic.resize(1920, 600);
    picSm.resize(1920, 25);
    pic.setBackColor(Qt::white);
    pic.setForeColor(QColor(192, 192, 255));
    picSm.setForeColor(Qt::white);
    clsOto e;
    e.prmLF = 1000, e.prmFX = 300, e.prmRT = -1500, e.prmPR = 200, e.prmOV = 50;
    const QColor face(240, 240, 240);
    DetailExtras extras;
    extras.spectrogram = spectrogram;
    int k = 0;
    double start = 900, length = 1700;
    const auto redraw = [&] {
        e.prmOV = 50 + (++k % 7);
        pic.cls();
        picSm.cls();
        drawDetail(pic, wave, &e, true, DisplayMode::Magnified, start, length, face, extras);
        drawOverview(picSm, wave, true, DisplayMode::Magnified, face);
    };
    const auto clearCaches = [] {
        viewColumnCache().clear();
        viewSpectrogramCache().clear();
    };
    const double warm = bench::timeMs(redraw, 7, [] {});
    const double cold = bench::timeMs(redraw, 3, clearCaches);
    std::printf("  %s (display mode 1: two traces%s):\n", what, spectrogram ? ", spectrogram" : "");
    bench::row("  edit + draw both views, summaries cached", warm);
    bench::row("  edit + draw both views, nothing cached", cold);
    if (spectrogram) {
        start = -250, length = wave.LengthMs + 500;  // zoomed out as far as the view goes
        bench::row("  the whole wave in view, nothing cached", bench::timeMs(redraw, 3, clearCaches));
    }
}

// Selecting the entry of a row and editing it in the real main window.
void mainWindowRow(frmMain &window, QListView &list, PictureBox &pic, PictureBox &picSm, const char *name, int row,
                   bool spectrogram)
{
    const auto shown = [&] {
        QApplication::processEvents();
        pic.repaint();
        picSm.repaint();
    };
    const double selectMs = bench::timeMs([&] {
        list.setCurrentIndex(QModelIndex());
        list.setCurrentIndex(window.listModel().index(row));
        shown();
    }, 3);
    if (!window.isEditable()) {
        std::printf("  %s: the entry did not load\n", name);
        return;
    }
    // Releases in the overlap band at alternating positions inside the
    // fixed length (the overlap is kept below it), so each one changes the
    // entry.
    int k = 0;
    const auto release = [&] {
        const double x = 200 + (++k % 2) * 40;
        window.waveEditor().pic_MouseUp(1, 0, x, 600 * 1.5 / 5);
    };
    const double ovBefore = window.waveEditor().curOto()->prmOV;
    release();
    if (window.waveEditor().curOto()->prmOV == ovBefore)
        release();  // the entry was left at the first position by an earlier row
    if (window.waveEditor().curOto()->prmOV == ovBefore)
        std::printf("  %s: the release did not change the entry; the figures below are not edits\n", name);
    const double editMs = bench::timeMs([&] { release(); shown(); }, 7);
    const double editAllMs = bench::timeMs([&] { release(); window.redrawall(); shown(); }, 7);
    // The play cursor a frame at a time across the detail view, each frame
    // painted (only the strips it leaves and enters).
    WaveEditor &editor = window.waveEditor();
    const ViewWindow view = editor.view();
    int frame = 0;
    constexpr int kFrames = 120;
    const double cursorMs = bench::timeMs([&] {
        for (int i = 0; i < kFrames; ++i, ++frame) {
            editor.setPlayCursor(view.start + view.len * (frame % kFrames) / kFrames);
            QApplication::processEvents();
        }
    }, 3);
    editor.setPlayCursor(-1);
    std::printf("  %s, main window%s:\n", name, spectrogram ? ", spectrogram on (aim: select 10 min <= 300)" : "");
    bench::row("  select the entry (load, first draw)", selectMs);
    bench::row("  mouse edit (its own redraw)", editMs);
    bench::row("  mouse edit + redraw of both views", editAllMs);
    bench::row("  play cursor, per frame (aim <= 1)", cursorMs / kFrames);
}

}  // namespace

// A mouse edit and the redraw of both views at a 1920 x 600 detail view
// (the overview as wide), on a 3-second and a 10-minute wave: first the
// drawing alone, then the real main window driven offscreen.
void runViewBenchmarks(const QString &scratch)
{
    const QString folder = scratch + QStringLiteral("/view-bench");
    QDir().mkpath(folder);
    if (!writeWave(joinPath(folder, QStringLiteral("short.wav")), 3 * 44100)
        || !writeWave(joinPath(folder, QStringLiteral("long.wav")), 600 * 44100))
        return;
    QFile oto(joinPath(folder, OtoDocument::kOtoIni));
    if (!oto.open(QIODevice::WriteOnly)
        || oto.write("short.wav=a,1000,300,-1500,200,50\r\nlong.wav=b,300000,300,-1500,200,50\r\n") < 0)
        return;
    oto.close();

    std::printf("views: edit and redraw at 1920 x 600 (aim 3 s <= 8, 10 min <= 50)\n");
    for (bool spectrogram : {false, true}) {
        drawingOnly(folder, "3-second wave, drawing only", QStringLiteral("short.wav"), spectrogram);
        drawingOnly(folder, "10-minute wave, drawing only", QStringLiteral("long.wav"), spectrogram);
    }

    bench::WindowSession session(scratch, QStringLiteral("sett-view.ini"), folder);
    frmMain &window = session.window;
    window.F5LstOto();
    auto *list = window.findChild<QListView *>(QStringLiteral("lstOto"));
    auto *pic = window.findChild<PictureBox *>(QStringLiteral("pic"));
    auto *picSm = window.findChild<PictureBox *>(QStringLiteral("picSm"));
    if (!list || !pic || !picSm)
        return;
    // The detail view's size follows the window's; grow the window until
    // the view is 1920 x 600.
    window.resize(2600, 900);
    for (int i = 0; i < 4; ++i) {
        QApplication::processEvents();
        window.resize(window.size() + QSize(1920 - pic->width(), 600 - pic->height()));
    }
    QApplication::processEvents();
    std::printf("  main window: detail view %d x %d, overview %d x %d\n", pic->width(), pic->height(),
                picSm->width(), picSm->height());
    const char *names[2] = {"3-second wave", "10-minute wave"};
    QAction *spectrogramItem = window.findChild<QAction *>(QStringLiteral("mnuSettSpectrogram"));
    for (bool spectrogram : {false, true}) {
        if (spectrogramItem && spectrogramItem->isChecked() != spectrogram)
            spectrogramItem->trigger();
        for (int row = 0; row < 2; ++row)
            mainWindowRow(window, *list, *pic, *picSm, names[row], row, spectrogram);
    }
}
