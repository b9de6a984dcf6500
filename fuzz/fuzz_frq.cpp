#include "analysis/FrqFile.h"
#include "analysis/PitchTracker.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

// Reads arbitrary bytes as a frequency file, and tracks them as samples:
// nothing may crash or hang, a file that is read must write back as the
// same bytes (its 16 reserved bytes as zeros), and every F0 found must be a
// frequency of the tracker's range or 0.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const std::optional<analysis::FrqData> frq = analysis::decodeFrq(bytes)) {
        const QByteArray again = analysis::encodeFrq(*frq);
        if (again.size() != 40 + qsizetype(frq->frames()) * 16 || again.left(20) != bytes.left(20)
            || again.mid(36) != bytes.mid(36, again.size() - 36))
            __builtin_trap();
    }

    std::vector<qint16> samples(size / 2);
    if (!samples.empty())
        std::memcpy(samples.data(), data, samples.size() * 2);
    const analysis::PitchOptions options;
    const analysis::PitchTrack t = analysis::trackPitch(samples, 44100, options);
    if (t.frames != int((samples.size() + 255) / 256) || int(t.f0Hz.size()) != t.frames)
        __builtin_trap();
    for (const float f : t.f0Hz)
        if (!(f == 0 || (f > options.minHz * 0.9 && f < options.maxHz * 1.1)))
            __builtin_trap();
    for (const float v : t.voicing)
        if (!(v >= 0 && v <= 1))
            __builtin_trap();
    return 0;
}
