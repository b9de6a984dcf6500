#pragma once

#include "OtoFormat.h"

#include <QObject>
#include <functional>

class Dialogs;
class modLocale;

// The open voicebank as the main window sees it: its folder, its entries in
// file order and whether they hold unsaved changes, with the File menu's
// commands. The window connects to the signals; nothing here draws.
class OtoDocument : public QObject {
    Q_OBJECT
public:
    static inline const QString kOtoIni = QStringLiteral("oto.ini");
    static inline const QString kBackupIni = QStringLiteral("oto_bkp.ini");

    OtoDocument(modLocale &locale, Dialogs &dialogs, QObject *parent = nullptr);

    QString wrkpath;     // open voicebank folder, empty when none
    OtoEntries clcOto;   // entries in file order
    bool blnChanged = false;

    // Loads folder/fileName into clcOto. Returns false when the file could
    // not be read (after the message), so that tools can set an exit status.
    bool openoto(const QString &folder, const QString &fileName);
    // Replaces clcOto by the entries of the text; reports bad lines once.
    void parseOto(QStringView text);
    int lastBadLines() const { return lastBadLines_; }

    // Writes every entry to wrkpath/fileName. Returns whether it was written.
    bool saveoto(const QString &fileName = kOtoIni);
    // 1 save, 0 go on without saving, -1 cancel.
    int askSave();

    void setChanged();
    void updTitle();
    QString title() const;

    // The File menu. open() runs chooseFolder (the folder chooser), which
    // sets wrkpath when the user accepts a folder.
    void open(const std::function<void()> &chooseFolder);
    void reload();
    void save();
    void loadBackup();
    void saveBackup();

signals:
    // The entries were replaced: rebuild the list, forget the wave, redraw.
    void entriesReplaced();
    void titleChanged(const QString &title);

private:
    bool confirmEmptySave(const QString &path);
    bool saveFirstIfAsked();

    modLocale &locale_;
    Dialogs &dialogs_;
    int lastBadLines_ = 0;
};
