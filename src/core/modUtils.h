#pragma once

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

// The shared data of an installed program: programFolder/../share/lirra,
// which `cmake --install` and the .deb fill (the executable in bin/); empty
// when the program runs from its build folder.
QString installedDataFolder(const QString &programFolder);

// The folder that holds the demo voicebank: the program's own in a build,
// where the demo is generated beside the executable, else the installed data
// folder; the program's folder when neither has it.
QString demoHome(const QString &programFolder);

// Where sett.ini lives: beside the program, as it always has; for an
// installed program, or where the program's folder cannot be written, in the
// user's configuration folder, configHome/lirra. An installed program never
// writes beside itself, even as root: nothing would remove the file.
QString settingsFilePath(const QString &programFolder, const QString &configHome);
// The same for this program and user ($XDG_CONFIG_HOME, by default ~/.config).
QString settingsFilePath();
