// lirra-make-demo FOLDER: writes a small demo voicebank that the build places
// beside the programs, so that a first File, Open has something to show:
// synthetic sung syllables at 44100 Hz mono 16-bit, an oto.ini in Shift-JIS
// with kana aliases, and in utf8/ a second bank whose oto.ini is UTF-8.
// An existing demo is left alone, so edits made in the editor survive builds.

#include "core/AtomicFile.h"
#include "core/NumberText.h"
#include "oto/modLocale.h"
#include "oto/OtoDocument.h"
#include "oto/OtoFormat.h"
#include "wave/WavImage.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kRate = 44100;

struct Syllable {
    const char *file;      // ASCII, so the name is the same on every disk
    const char *alias;     // UTF-8
    double consonantMs;    // noise before the vowel; 0 for a bare vowel
    double f1, f2;         // the vowel's two formants, Hz
};

// 200 ms of silence, a consonant burst, then a vowel on 220 Hz made of
// harmonics weighted by two formant peaks, fading out; 1.4 s in all.
QList<qint16> sing(const Syllable &syl)
{
    const int total = int(1.4 * kRate);
    const int start = int(0.2 * kRate);
    const int vowelStart = start + int(syl.consonantMs * kRate / 1000);
    QList<qint16> samples(total, 0);
    QRandomGenerator noise(42);
    for (int i = start; i < total; ++i) {
        double v = 0;
        if (i < vowelStart) {
            v = 0.25 * (noise.generateDouble() * 2 - 1);
        } else {
            const double t = double(i - vowelStart) / kRate;
            for (int h = 1; h <= 20; ++h) {
                const double f = 220.0 * h;
                const double weight = std::exp(-std::pow((f - syl.f1) / 150, 2)) + 0.6 * std::exp(-std::pow((f - syl.f2) / 250, 2)) + 0.05 / h;
                v += weight * std::sin(2 * M_PI * f * t);
            }
            const double attack = std::min(1.0, t / 0.03);
            const double release = std::min(1.0, double(total - i) / (0.25 * kRate));
            v *= 0.3 * attack * release;
        }
        samples[i] = qint16(std::clamp(v, -1.0, 1.0) * 32000);
    }
    return samples;
}

bool writeBank(const QString &folder, const QList<Syllable> &syllables, bool utf8)
{
    if (QFileInfo::exists(folder + "/oto.ini"))
        return true;
    if (!QDir().mkpath(folder))
        return false;
    QString text = utf8 ? kUtf8Marker + "\r\n" : QString();
    for (const Syllable &syl : syllables) {
        if (writeFileAtomically(folder + '/' + syl.file, modWave::wavImage(sing(syl), kRate)))
            return false;
        // Left bound before the consonant, preutterance at the vowel.
        const double pre = syl.consonantMs > 0 ? syl.consonantMs + 20 : 60;
        text += QStringLiteral("%1=%2,%3,%4,%5,%6,%7\r\n")
                    .arg(QString::fromLatin1(syl.file), QString::fromUtf8(syl.alias))
                    .arg(180).arg(pre + 80).arg(-900).arg(pre).arg(formatNumber(std::round(pre / 3 * 10) / 10));
    }
    const QByteArray bytes = modLocale::str2bytes(text, utf8 ? modLocale::kUtf8CodePage : 932);
    return !writeFileAtomically(folder + "/oto.ini", bytes);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: lirra-make-demo FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QList<Syllable> japanese = {
        {"_a.wav", "- あ", 0, 800, 1200},  {"_i.wav", "- い", 0, 300, 2300},
        {"_u.wav", "- う", 0, 350, 1300},  {"ka.wav", "か", 60, 800, 1200},
        {"sa.wav", "さ", 140, 800, 1200},  {"shi.wav", "し", 160, 300, 2300},
        {"ta.wav", "た", 40, 800, 1200},   {"na.wav", "な", 70, 800, 1200},
        {"ha.wav", "は", 120, 800, 1200},  {"n.wav", "ん", 0, 250, 1100},
    };
    const QList<Syllable> chinese = {
        {"a.wav", "啊", 0, 800, 1200},   {"ni.wav", "你", 70, 300, 2300},
        {"hao.wav", "好", 120, 700, 1100}, {"ge.wav", "歌", 50, 500, 1000},
        {"sheng.wav", "聲", 150, 450, 1500}, {"ka.wav", "か", 60, 800, 1200},
    };
    if (!writeBank(folder, japanese, false) || !writeBank(folder + "/utf8", chinese, true)) {
        std::fprintf(stderr, "lirra-make-demo: cannot write the demo voicebank in %s\n", argv[1]);
        return 2;
    }
    return 0;
}
