#pragma once

#include <QString>
#include <optional>

class QCommandLineParser;
class Dialogs;
class OtoDocument;
class clsSett;

// The editor's command line, lirra [FOLDER]: the desktop's "Open with Lirra"
// on a folder and a terminal user both name the voicebank to open.

// The words the parser knows: FOLDER, --help and --version.
void describeArguments(QCommandLineParser &parser);

// FOLDER as an absolute, clean path (a relative one is taken from the current
// folder), so that the window title and the recent folder do not depend on
// where the program was started; nothing when no folder was given.
std::optional<QString> folderArgument(const QCommandLineParser &parser);

// Opens folder at start-up as File, Open does when its chooser accepts it:
// without oto.ini the chooser's "No oto.ini found." box is shown and nothing
// is opened; otherwise it becomes the recent folder and is read.
void openAtStart(OtoDocument &doc, const QString &folder, clsSett &sett, Dialogs &dialogs);
