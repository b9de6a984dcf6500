#pragma once

#include <QRect>
#include <QString>
#include <optional>

class QMimeData;
class QScreen;

// Where the first window goes on screen (about three quarters of the
// screen's free area, centred), at least minimum in size.
QRect firstWindowRect(const QScreen *screen, const QSize &minimum);

// The bank folder in a drag: one folder, or the oto.ini of one; nothing for
// anything else.
std::optional<QString> droppedFolder(const QMimeData *data);
