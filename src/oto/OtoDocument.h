#pragma once

#include "OtoFormat.h"

#include <QObject>
#include <functional>

class Dialogs;
class modLocale;

// The answer to the question whether to save unsaved changes first.
enum class SaveAnswer { Save, Discard, Cancel };

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
    void parseOto(QStringView text, LineEnd lineEnd = LineEnd::CrLf);
    int lastBadLines() const { return lastBadLines_; }

    // Writes every entry to wrkpath/fileName, in the form the file was read
    // in. Returns whether it was written.
    bool saveoto(const QString &fileName = kOtoIni);
    SaveAnswer askSave();
    // Asks whether to save unsaved changes and saves when told to. False
    // when the user cancelled or the save failed: the caller must not go on
    // and drop the changes.
    bool saveFirstIfAsked();

    // How the last file read was stored (encoding, byte-order mark, line
    // ends); saving writes the same form.
    const TextForm &form() const { return form_; }
    void setForm(const TextForm &form) { form_ = form; }

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

    modLocale &locale_;
    Dialogs &dialogs_;
    int lastBadLines_ = 0;
    TextForm form_;
};
