#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <span>

namespace modWave {

// The byte image of a 16-bit mono PCM WAV file holding samples: the only
// form the reader accepts, and what the renderer writes.
QByteArray wavImage(std::span<const qint16> samples, int sampleRate = 44100);

}  // namespace modWave
