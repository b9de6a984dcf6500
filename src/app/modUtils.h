#pragma once

#include <QByteArrayView>
#include <QString>

// Path helpers shared by the settings and the voicebank document.
// The separator is "/".

// folder and name with exactly one separator between them.
QString joinPath(const QString &folder, const QString &name);

// name inside the folder of the running executable.
QString appPath(const QString &name);

// The folder's pieces from last to first, joined with "/"; empty pieces are
// dropped. /home/u/voice gives voice/u/home. Used in the window title, where
// the voicebank's own name is what the user needs to see first.
QString revPath(const QString &path);

// The folder of the running executable.
QString programFolder();

// Where sett.ini lives: beside the program, as it always has; where the
// program's folder cannot be written (an installed program), in the user's
// configuration folder, configHome/lirra.
QString settingsFilePath(const QString &programFolder, const QString &configHome);
// The same for this program and user ($XDG_CONFIG_HOME, by default ~/.config).
QString settingsFilePath();

// Little-endian integers from the start of a byte array (the wave reader's
// fields). Bytes missing from a short array count as 0.
qint16 bytesToInt(QByteArrayView bytes);
qint32 bytesToLong(QByteArrayView bytes);
