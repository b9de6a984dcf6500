#pragma once

#include "oto/OtoFormat.h"

#include <QHash>
#include <QObject>
#include <QUndoStack>
#include <functional>
#include <optional>

class Dialogs;
class modLocale;

// The answer to the question whether to save unsaved changes first.
enum class SaveAnswer { Save, Discard, Cancel };

// A new value for one entry of the collection.
struct EntryChange {
    int index = 0;
    clsOto values;
};

// A new alias for one entry.
struct AliasChange {
    int index = 0;
    QString alias;
};

// The entries as they are at one moment: their order and their values.
struct EntriesSnapshot {
    OtoEntries order;
    QList<clsOto> values;
};

// The open voicebank: its folder, its entries in file order and whether they
// hold unsaved changes, with the File menu's commands. It is the one owner
// of the entries: every insertion, removal and change goes through it and
// is announced, in the manner of Qt's item models, so that the entry list
// and the views follow. Nothing here draws.
class OtoDocument : public QObject {
    Q_OBJECT
public:
    static inline const QString kOtoIni = QStringLiteral("oto.ini");
    static inline const QString kBackupIni = QStringLiteral("oto_bkp.ini");

    OtoDocument(modLocale &locale, Dialogs &dialogs, QObject *parent = nullptr);

    // The open voicebank folder, empty when none.
    const QString &wrkpath() const { return wrkpath_; }
    // The entries in file order. The entries themselves are shared with
    // whoever shows or edits them (the current entry of the window, a
    // script); change them through the document so that it is announced.
    const OtoEntries &clcOto() const { return clcOto_; }
    // Unsaved changes: a step of the history since the last save or load,
    // or a change made outside it (setChanged).
    bool blnChanged() const;

    // ---- What the user does: each call is one step of the undo history
    // and marks the document changed. what names the step. Typed values
    // with the same non-zero mergeKey and entry merge into one step.
    void editEntries(const QList<EntryChange> &changes, const QString &what, int mergeKey = 0);
    void editAliases(const QList<AliasChange> &changes, const QString &what, int mergeKey = 0);
    void insertEntriesStep(int position, const OtoEntries &entries, const QString &what);
    void removeEntriesStep(int position, int count, const QString &what);
    // The history itself: undo, redo, and whether there is anything to.
    QUndoStack &history() { return history_; }
    const QUndoStack &history() const { return history_; }
    // Changes made in place outside these calls (a script writes the
    // entries' fields, adds and removes entries) become one step too: take
    // a snapshot before, record what changed since after. False when
    // nothing did.
    EntriesSnapshot snapshot() const;
    bool recordChangesSince(const EntriesSnapshot &before, const QString &what);

    // ---- The changes themselves, announced but outside the history (the
    // history's steps, loads, the command line).
    // Inserts entries in front of position (== size appends).
    void insertEntries(int position, const OtoEntries &entries);
    void removeEntries(int position, int count);
    // Gives entries new values (file name, alias, parameters). Each entry
    // stays the same object, so whoever holds it sees the change.
    void changeEntries(const QList<EntryChange> &changes);
    void changeAliases(const QList<AliasChange> &changes);
    // Replaces every entry, as a load does, and forgets the history.
    void replaceEntries(OtoEntries entries);
    // Puts entries back in this order, the history kept (a step's undo).
    void restoreOrder(const OtoEntries &entries);
    // Tells the list and the views that these entries changed in place.
    void announceChanged(const QList<int> &indexes);
    // Tells the window which entry an undo or redo brought back (a step
    // calls it; it stays silent while a new step is being pushed).
    void announceStep(int entryIndex);

    // Makes folder the open voicebank and loads fileName from it; the
    // command line and tests open a folder this way.
    bool openFolder(const QString &folder, const QString &fileName = kOtoIni);
    // Loads folder/fileName into clcOto. Returns false when the file could
    // not be read (after the message), so that tools can set an exit status.
    bool openoto(const QString &folder, const QString &fileName);
    // Replaces clcOto by the entries of the text; reports bad lines once.
    void parseOto(QStringView text, LineEnd lineEnd = LineEnd::CrLf);
    int lastBadLines() const { return lastBadLines_; }

    // Writes every entry to wrkpath/fileName, in the form the file was read
    // in. When that file has changed on disk since it was read or written
    // here, asks first. Returns whether it was written.
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
    // returns the folder the user accepted, or nothing.
    void open(const std::function<std::optional<QString>()> &chooseFolder);
    void reload();
    void save();
    void loadBackup();
    void saveBackup();

signals:
    // Each change to the entries is announced before and after it happens,
    // with the positions concerned (first and last inclusive).
    void entriesAboutToBeInserted(int first, int last);
    void entriesInserted(int first, int last);
    void entriesAboutToBeRemoved(int first, int last);
    void entriesRemoved(int first, int last);
    void entriesChanged(const QList<int> &indexes);
    void entriesAboutToBeReplaced();
    // An undo or redo changed entry index (or, for a removal, made it the
    // one in that place): select it and show it.
    void stepApplied(int index);
    // Every entry was replaced (a load): rebuild the list, forget the wave,
    // redraw.
    void entriesReplaced();
    void titleChanged(const QString &title);

private:
    bool confirmEmptySave(const QString &path);
    bool confirmChangedOnDisk(const QString &path);
    void pushStep(QUndoCommand *step);
    void markSaved();

    modLocale &locale_;
    Dialogs &dialogs_;
    QString wrkpath_;
    OtoEntries clcOto_;
    // A change made outside the history since the last save or load.
    bool changedOutsideHistory_ = false;
    QUndoStack history_;
    bool pushing_ = false;
    int lastBadLines_ = 0;
    TextForm form_;
    // What each file was when last read or written here, by path.
    QHash<QString, FileStamp> stamps_;
};
