#pragma once

#include "oto/OtoDiff.h"
#include "oto/OtoFormat.h"

#include <QHash>
#include <QSet>
#include <QObject>
#include <QUndoStack>
#include <functional>
#include <optional>

class Dialogs;
class modLocale;
namespace history {
template <typename Value>
class ChangeStep;
class InsertEntries;
class RecordedEdit;
struct EditOp;
}  // namespace history

// What following a change of oto.ini on disk did.
enum class DiskChange { None, Reloaded, KeptMine };

// How the user answers a change on disk while there are unsaved edits.
enum class DiskChoice { Reload, KeepMine };
// Asks about a change of the file at path on disk; difference gives what
// reloading would change, for a user who wants to see it first.
using DiskQuestion =
    std::function<DiskChoice(const QString &path, const std::function<QList<EntryDifference>()> &difference)>;

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

// One oto.ini of the open voicebank. A singer's folder holds several (its
// own and one per pitch or voice-colour folder); each is read, kept and
// written on its own: its code page, line ends and bad lines are its own.
struct OtoFile {
    OtoFile() = default;
    OtoFile(QString inFolder, QString name) : folder(std::move(inFolder)), fileName(std::move(name)) {}

    QString folder;    // relative to wrkpath with "/"; empty for wrkpath's own
    QString fileName;  // the name it was read from (oto.ini, oto_bkp.ini)
    // How it was read (form, kept lines and line ends), which
    // its save writes back.
    OtoFileLayout layout;
    int badLines = 0;
    QString badLinesText;  // the message for its bad lines, empty when none
    bool read = false;
    // A singer's pitch folder of recordings with no oto.ini yet: nothing to
    // read; a save writes it once it has entries.
    bool unwritten = false;
    bool decodedCleanly = true;
    // The text its entries gave when it was last read or written under
    // fileName: a singer's save writes only the files whose text differs.
    QString savedText;
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
    ~OtoDocument() override;

    // The code pages files are read and written in.
    modLocale &locale() const { return locale_; }
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
    // and marks the document changed (while a scoped edit is open, it is
    // part of that edit's step instead). what names the step. Typed values
    // with the same non-zero mergeKey and entry merge into one step.
    // Positions are where the entries are now; the steps themselves name
    // the entry objects, so any mix of them undoes and redoes exactly.
    void editEntries(const QList<EntryChange> &changes, const QString &what, int mergeKey = 0);
    void editAliases(const QList<AliasChange> &changes, const QString &what, int mergeKey = 0);
    void insertEntriesStep(int position, const OtoEntries &entries, const QString &what);
    void removeEntriesStep(int position, int count, const QString &what);
    // New values for one entry of the document, named by the object itself
    // (a script writes a field of an entry it holds).
    void setEntryStep(const std::shared_ptr<clsOto> &entry, const clsOto &values, const QString &what);
    bool contains(const clsOto *entry) const { return members_.contains(entry); }

    // One scoped edit: a script run, an estimate or a batch tool opens one,
    // and every change made until it closes (through the calls above, from
    // anywhere) becomes one step of the history, recorded as the document
    // announces the changes. While it is open, undo and redo wait. Edits do
    // not nest: an inner one joins the outer.
    class ScriptEdit {
    public:
        ScriptEdit(OtoDocument &doc, const QString &what);
        ~ScriptEdit();
        ScriptEdit(const ScriptEdit &) = delete;
        ScriptEdit &operator=(const ScriptEdit &) = delete;
        // Ends the edit: true when something changed (one step was made).
        bool close();

    private:
        OtoDocument &doc_;
        bool owner_;
        bool open_ = true;
    };
    bool editOpen() const { return edit_ != nullptr; }

    // The history: undo, redo (both wait while a scoped edit is open), and
    // whether there is anything to.
    const QUndoStack &history() const { return history_; }
    void undo();
    void redo();

    // Replaces every entry, as a load does, and forgets the history.
    void replaceEntries(OtoEntries entries);

    // Makes folder the open voicebank and loads fileName from it; the
    // command line and tests open a folder this way. With only set, just
    // that subfolder's file is loaded (the command line's --folder).
    bool openFolder(const QString &folder, const QString &fileName = kOtoIni,
                    const std::optional<QString> &only = std::nullopt);
    // Makes folder the open voicebank with no entries and no file read (a
    // new bank: no oto.ini yet, or an empty one); a save writes in form an
    // oto.ini into each of a singer's folders of recordings
    // (findRecordingFolders) that has entries by then, a plain bank's file
    // as always.
    void startNew(const QString &folder, const TextForm &form);
    // Opens folder's oto.ini files as openoto does, or, for a new bank (see
    // isNewBank), starts one that a save writes as UTF-8 with its marker.
    bool openOrStartNew(const QString &folder);
    // Loads every fileName of the singer in folder (its own and its
    // subfolders', see findOtoFolders) into clcOto, each entry knowing its
    // folder. A singer's pitch folders of recordings right below folder
    // that have no oto.ini yet join it without entries (OtoFile::unwritten;
    // not a folder whose recordings another file names). Returns false when
    // a file could not be read (after the message), so that tools can set
    // an exit status.
    bool openoto(const QString &folder, const QString &fileName);

    // The files of the open voicebank, in the order of clcOto: the
    // singer's own first, then its subfolders in the byte order of their
    // paths. A plain voicebank has one.
    const QList<OtoFile> &files() const { return files_; }
    // Those of files() that are on disk: not a pitch folder's that has no
    // oto.ini yet (OtoFile::unwritten).
    QList<OtoFile> writtenFiles() const;
    bool isSinger() const { return files_.size() > 1 || (files_.size() == 1 && !files_[0].folder.isEmpty()); }
    QStringList folders() const;
    // The entries of each folder, by their positions in clcOto: the files'
    // folders in their order (a file without entries too), then any folder
    // only an entry names (a script set it up), in the order first named.
    struct FolderIndexes {
        QString folder;
        QList<int> indexes;
    };
    QList<FolderIndexes> indexesByFolder() const;
    // The folder an entry's wave and oto.ini lie in.
    QString folderPath(const QString &folder) const;
    // The files whose entries changed since they were read or saved, by
    // their folder.
    QStringList unsavedFolders() const;
    // The singer's name from character.txt, empty when none.
    const QString &singerName() const { return singerName_; }
    // Gives one file a new form (the command line's convert): it is
    // written anew in it, in the plain layout, its other lines not kept.
    void setFileForm(int file, const TextForm &form);
    int lastBadLines() const { return lastBadLines_; }

    // Writes every entry to wrkpath/fileName, in the layout the file was
    // read in: its other lines and line ends kept. When that file has
    // changed on disk since it was read or written here, asks first; lines
    // that would not be written as they read (a wrong code page) are asked
    // about too. Returns whether it was written.
    bool saveoto(const QString &fileName = kOtoIni);
    // Writes the entries as a new file (the plain form, in codePage) to
    // folder's oto.ini and makes that folder the open one.
    bool saveAs(const QString &folder, int codePage);
    // The layout of the (first) file read, which a save writes back.
    const OtoFileLayout &layout() const { return files_.isEmpty() ? emptyLayout_ : files_.first().layout; }
    // Whether the file on disk differs from what was last read or written
    // here (another program changed it).
    bool changedOnDisk(const QString &fileName = kOtoIni) const;
    // Follows a change of oto.ini on disk by another program: with no
    // unsaved edits the entries are read again; with some, the user is
    // asked at once, through ask (the window's question, which can show the
    // difference), whether to reload or keep theirs.
    DiskChange followDiskChange(const DiskQuestion &ask);
    // The entries of every file as they are on disk now against those here:
    // what a reload would change. A file that is gone counts as empty.
    QList<EntryDifference> differenceOnDisk();
    SaveAnswer askSave();
    // Asks whether to save unsaved changes and saves when told to. False
    // when the user cancelled or the save failed: the caller must not go on
    // and drop the changes.
    bool saveFirstIfAsked();

    // How the last file read was stored (encoding, byte-order mark, line
    // ends); saving writes the same form.
    const TextForm &form() const { return files_.isEmpty() ? form_ : files_.first().layout.form; }
    // A new form for every file: each is written anew in it (convert), in
    // the plain layout, its other lines not kept.
    void setForm(const TextForm &form);

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
    template <typename Value>
    friend class history::ChangeStep;
    friend class history::InsertEntries;
    friend class history::RecordedEdit;

    // The changes themselves, announced and, while a scoped edit is open,
    // recorded; only the history's steps and loads call them.
    void insertEntries(int position, const OtoEntries &entries);
    void removeEntries(int position, int count);
    void setValues(const QList<std::pair<std::shared_ptr<clsOto>, clsOto>> &values);
    void setAliases(const QList<std::pair<std::shared_ptr<clsOto>, QString>> &aliases);
    // Applies recorded changes forwards or backwards (a scoped edit's undo).
    void applyRecorded(const std::vector<history::EditOp> &ops, bool forward);
    // Tells the list and the views that these entries changed in place.
    void announceEntries(const QList<const clsOto *> &entries);
    QList<int> indexesOf(const QList<const clsOto *> &entries) const;
    // Tells the window which entry an undo or redo brought back (a step
    // calls it; it stays silent while a new step is being pushed).
    void announceStep(int entryIndex);
    void announceStep(const clsOto *entry);

    void reportUncleanDecode(const QString &path, const TextFile &file);
    // encoded is text in codePage, as the save will write it.
    bool confirmLossyLines(const QString &path, const QString &text, const QByteArray &encoded, int codePage,
                           bool decodedCleanly);
    bool confirmEmptySave(const QString &path);
    // Asks before overwriting a file another program changed since it was
    // read here, or, noneAtOpen, one that has appeared since the open.
    bool confirmChangedOnDisk(const QString &path, bool noneAtOpen = false);
    // A save into a folder that was deleted or moved while it was open.
    void reportFolderGone(const QString &path);
    // The entries of each file, in the order of files_; entries of a folder
    // without a file get a new one.
    QList<OtoEntries> entriesByFile();
    OtoEntries entriesAt(const QList<int> &indexes) const;
    // Reads every file of files_, appending their entries; the bad lines
    // of each.
    QList<int> readFiles(OtoEntries &entries);
    bool load(const QString &folder, const QStringList &subs, const QString &fileName,
              const QStringList &unwritten = {});
    void reportBadLines();
    bool saveFile(OtoFile &file, const OtoEntries &entries, const QString &fileName, bool always);
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
    QList<OtoFile> files_;
    QString singerName_;
    // What each file was when last read or written here, by path.
    QHash<QString, FileStamp> stamps_;
    // The entry objects held, to tell whether an entry is one of ours.
    QSet<const clsOto *> members_;
    static inline const OtoFileLayout emptyLayout_{};
    // The code page a Save As chose, which later saves keep.
    std::optional<int> codePage_;
    // The scoped edit open, if any: its recorded changes.
    std::unique_ptr<history::RecordedEdit> edit_;
    QString editWhat_;
};
