#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Replaces a whole file so that no reader ever sees it half-written: the bytes
// go to a temporary file in the same folder, are flushed to disk, and the
// temporary file is renamed over the target. On failure the old file is left
// as it was. Returns the system's description of the failure, or nullopt.
std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes);
