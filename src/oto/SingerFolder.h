#pragma once

#include <QString>
#include <QStringList>

class modLocale;

// A singer's folder: voicebanks released today are often not one folder but
// a root (character.txt, prefix.map) with pitch or voice-colour folders
// (A3/, C5/, Power/ ...), each with its own oto.ini.

// The folders of root that hold fileName, relative to root with "/" ("" for
// root itself): root first, then every subfolder at any depth in the byte
// order of the folders' paths (a folder before the folders inside it). Hidden folders are skipped, and a folder
// reached twice through links is read once.
QStringList findOtoFolders(const QString &root, const QString &fileName = QStringLiteral("oto.ini"));

// The singer's name: the name= line of root/character.txt, read in the file
// charset (UTF-8 when it starts with a byte-order mark); empty when there is
// none.
QString singerName(const QString &root, const modLocale &locale);

// The recordings of a folder: its WAV files' names (either case of the
// extension), sorted by name.
QStringList recordingNames(const QString &folder);

// Root and those of its direct subfolders (not hidden) that hold
// recordings, in the byte order of their names: where a new singer's
// oto.ini files are to be.
QStringList findRecordingFolders(const QString &root);

// A bank whose entries are still to be made: no oto.ini in folder or in any
// of its subfolders, or only an empty one of its own.
bool isNewBank(const QString &folder);
// The same, from the folders findOtoFolders(folder) found.
bool isNewBank(const QString &folder, const QStringList &otoFolders);

// Bytes of a path in the order the list of a singer's files uses.
bool pathByteLess(const QString &a, const QString &b);
