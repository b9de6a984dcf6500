#include "wave/clsWave.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdint>

// Loads arbitrary bytes as a wave file: nothing may crash, hang or allocate
// without bound, and a loaded wave must describe exactly the bytes given.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    // Inputs are small; a data chunk declared beyond them is zeros, and
    // zero-filling up to the editor's 1 GiB would only slow the search.
    clsWave::maxDataBytes = 1 << 20;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QFile f(dir.filePath(QStringLiteral("f.wav")));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return 0;
    }
    clsWave w;
    QString name = QStringLiteral("f.wav");
    const bool ok = w.ReadFile(dir.path(), name);
    if (ok != w.Valid || w.GetError().isEmpty())
        __builtin_trap();
    if (!ok) {
        if (w.errType != WaveError::Corrupted && w.errType != WaveError::WrongFormat)
            __builtin_trap();
        return 0;
    }
    if (w.getAllData() != bytes || w.getData().size() != w.Length || w.Length < 1 || w.Samplerate != 44100
        || w.Range < 276 || std::abs(w.LengthMs - w.Length / 44.1) > 1e-9 * w.LengthMs)
        __builtin_trap();
    return 0;
}
