#include "oto/OtoDocument.h"

#include "core/Dialogs.h"
#include "core/modUtils.h"
#include "oto/modLocale.h"
#include "oto/OtoHistory.h"
#include "oto/SingerFolder.h"

#include <cerrno>
#include <numeric>

#include <QFileInfo>

namespace {

// The text a file's entries give: in the layout it was read in (its other
// lines and line ends kept), or the plain form for a new file.
QString fileText(const OtoFile &file, const OtoEntries &entries)
{
    return file.layout.isEmpty() ? otoFileText(entries, file.layout.form) : file.layout.text(entries);
}

}  // namespace

OtoDocument::OtoDocument(modLocale &locale, Dialogs &dialogs, QObject *parent)
    : QObject(parent), locale_(locale), dialogs_(dialogs)
{
    // Every step, and every undo back to the saved state, shows in the title.
    connect(&history_, &QUndoStack::cleanChanged, this, [this] { updTitle(); });
}

OtoDocument::~OtoDocument()
{
    // The history outlives the members declared after it: it must not
    // update the title from its own destructor.
    history_.disconnect(this);
}

bool OtoDocument::blnChanged() const
{
    return changedOutsideHistory_ || !history_.isClean();
}

void OtoDocument::markSaved()
{
    history_.setClean();
    changedOutsideHistory_ = false;
    updTitle();
}

void OtoDocument::pushStep(QUndoCommand *step)
{
    // A new step's first redo is the edit itself: the caller shows it.
    pushing_ = true;
    if (edit_) {
        // Inside a scoped edit the change becomes part of its one step.
        step->redo();
        delete step;
    } else {
        history_.push(step);
    }
    pushing_ = false;
    updTitle();
}

void OtoDocument::announceStep(int entryIndex)
{
    if (!pushing_)
        emit stepApplied(entryIndex);
}

void OtoDocument::announceStep(const clsOto *entry)
{
    if (!pushing_)
        emit stepApplied(indexesOf({entry}).value(0, -1));
}

void OtoDocument::undo()
{
    if (!edit_)
        history_.undo();
}

void OtoDocument::redo()
{
    if (!edit_)
        history_.redo();
}

void OtoDocument::editEntries(const QList<EntryChange> &changes, const QString &what, int mergeKey)
{
    std::vector<history::ChangeEntries::Change> steps;
    for (const EntryChange &c : changes)
        if (c.index >= 0 && c.index < clcOto_.size())
            steps.push_back({clcOto_[c.index], *clcOto_[c.index], c.values});
    if (!steps.empty())
        pushStep(new history::ChangeEntries(*this, std::move(steps), what, mergeKey));
}

void OtoDocument::setEntryStep(const std::shared_ptr<clsOto> &entry, const clsOto &values, const QString &what)
{
    Q_ASSERT(contains(entry.get()));
    if (!contains(entry.get()) || *entry == values)
        return;
    std::vector<history::ChangeEntries::Change> steps{{entry, *entry, values}};
    pushStep(new history::ChangeEntries(*this, std::move(steps), what, 0));
}

void OtoDocument::editAliases(const QList<AliasChange> &changes, const QString &what, int mergeKey)
{
    std::vector<history::ChangeAliases::Change> steps;
    steps.reserve(size_t(changes.size()));
    for (const AliasChange &c : changes)
        if (c.index >= 0 && c.index < clcOto_.size() && clcOto_[c.index]->ALS != c.alias)
            steps.push_back({clcOto_[c.index], clcOto_[c.index]->ALS, c.alias});
    if (!steps.empty())
        pushStep(new history::ChangeAliases(*this, std::move(steps), what, mergeKey));
}

void OtoDocument::insertEntriesStep(int position, const OtoEntries &entries, const QString &what)
{
    if (!entries.isEmpty() && position >= 0 && position <= clcOto_.size())
        pushStep(new history::InsertEntries(*this, position, entries, what, true));
}

void OtoDocument::removeEntriesStep(int position, int count, const QString &what)
{
    if (count > 0 && position >= 0 && position + count <= clcOto_.size())
        pushStep(new history::InsertEntries(*this, position, clcOto_.mid(position, count), what, false));
}

// ---- Scoped edits ---------------------------------------------------------------

OtoDocument::ScriptEdit::ScriptEdit(OtoDocument &doc, const QString &what) : doc_(doc), owner_(!doc.edit_)
{
    if (owner_)
        doc_.edit_ = std::make_unique<history::RecordedEdit>(doc_, what);
}

OtoDocument::ScriptEdit::~ScriptEdit()
{
    close();
}

bool OtoDocument::ScriptEdit::close()
{
    if (!open_ || !owner_)
        return false;
    open_ = false;
    std::unique_ptr<history::RecordedEdit> edit = std::move(doc_.edit_);
    doc_.announceEntries(edit->takeUnannounced());
    if (!edit->changedAnything())
        return false;
    doc_.history_.push(edit.release());
    doc_.updTitle();
    return true;
}

// ---- The primitives ----------------------------------------------------------

QList<int> OtoDocument::indexesOf(const QList<const clsOto *> &entries) const
{
    QList<int> indexes;
    indexes.reserve(entries.size());
    // A few entries are looked up one by one; many at once through a table
    // of every position, so that a batch of n changes costs O(n).
    constexpr qsizetype kLookUpOneByOne = 8;
    if (entries.size() <= kLookUpOneByOne) {
        for (const clsOto *e : entries) {
            const auto it = std::find_if(clcOto_.begin(), clcOto_.end(), [e](const auto &p) { return p.get() == e; });
            if (it != clcOto_.end())
                indexes.append(int(it - clcOto_.begin()));
        }
        return indexes;
    }
    QHash<const clsOto *, int> position;
    position.reserve(clcOto_.size());
    for (int i = 0; i < clcOto_.size(); ++i)
        position.insert(clcOto_[i].get(), i);
    for (const clsOto *e : entries) {
        const auto it = position.constFind(e);
        if (it != position.constEnd())
            indexes.append(*it);
    }
    return indexes;
}

void OtoDocument::announceEntries(const QList<const clsOto *> &entries)
{
    const QList<int> indexes = indexesOf(entries);
    if (!indexes.isEmpty())
        emit entriesChanged(indexes);
}

void OtoDocument::setValues(const QList<std::pair<std::shared_ptr<clsOto>, clsOto>> &values)
{
    QList<const clsOto *> changed;
    changed.reserve(values.size());
    for (const auto &[entry, value] : values) {
        Q_ASSERT(contains(entry.get()));
        if (edit_)
            edit_->recordChange(entry, *entry, value);
        *entry = value;
        changed.append(entry.get());
    }
    // Inside a scoped edit the list hears of in-place changes when it closes.
    if (!edit_)
        announceEntries(changed);
}

void OtoDocument::setAliases(const QList<std::pair<std::shared_ptr<clsOto>, QString>> &aliases)
{
    QList<const clsOto *> changed;
    changed.reserve(aliases.size());
    for (const auto &[entry, alias] : aliases) {
        Q_ASSERT(contains(entry.get()));
        if (edit_) {
            clsOto after = *entry;
            after.ALS = alias;
            edit_->recordChange(entry, *entry, after);
        }
        entry->ALS = alias;
        changed.append(entry.get());
    }
    if (!edit_)
        announceEntries(changed);
}

void OtoDocument::insertEntries(int position, const OtoEntries &entries)
{
    Q_ASSERT(position >= 0 && position <= clcOto_.size());
    if (entries.isEmpty() || position < 0 || position > clcOto_.size())
        return;
    if (edit_) {
        // Values changed so far are told before positions move.
        announceEntries(edit_->takeUnannounced());
        edit_->recordInsert(position, entries);
    }
    const int last = position + int(entries.size()) - 1;
    emit entriesAboutToBeInserted(position, last);
    clcOto_.insert(position, entries.size(), nullptr);
    std::copy(entries.begin(), entries.end(), clcOto_.begin() + position);
    for (const auto &e : entries)
        members_.insert(e.get());
    emit entriesInserted(position, last);
}

void OtoDocument::removeEntries(int position, int count)
{
    Q_ASSERT(count > 0 && position >= 0 && position + count <= clcOto_.size());
    if (count <= 0 || position < 0 || position + count > clcOto_.size())
        return;
    if (edit_) {
        announceEntries(edit_->takeUnannounced());
        edit_->recordRemove(position, clcOto_.mid(position, count));
    }
    emit entriesAboutToBeRemoved(position, position + count - 1);
    for (qsizetype i = position; i < position + count; ++i)
        members_.remove(clcOto_[i].get());
    clcOto_.remove(position, count);
    emit entriesRemoved(position, position + count - 1);
}

void OtoDocument::applyRecorded(const std::vector<history::EditOp> &ops, bool forward)
{
    using Kind = history::EditOp::Kind;
    const bool moves = std::any_of(ops.begin(), ops.end(), [](const auto &op) { return op.kind != Kind::Change; });
    QList<const clsOto *> changed;
    const auto step = [&](const history::EditOp &op) {
        const bool insert = (op.kind == Kind::Insert) == forward;
        switch (op.kind) {
        case Kind::Change:
            *op.entry = forward ? op.after : op.before;
            changed.append(op.entry.get());
            break;
        case Kind::Insert:
        case Kind::Remove:
            if (insert) {
                clcOto_.insert(op.position, op.entries.size(), nullptr);
                std::copy(op.entries.begin(), op.entries.end(), clcOto_.begin() + op.position);
                for (const auto &e : op.entries)
                    members_.insert(e.get());
            } else {
                Q_ASSERT(op.position + op.entries.size() <= clcOto_.size()
                         && std::equal(op.entries.begin(), op.entries.end(), clcOto_.begin() + op.position));
                for (const auto &e : op.entries)
                    members_.remove(e.get());
                clcOto_.remove(op.position, op.entries.size());
            }
            break;
        }
    };
    // Entries came or went: the list is rebuilt once, not per change.
    if (moves)
        emit entriesAboutToBeReplaced();
    if (forward)
        std::for_each(ops.begin(), ops.end(), step);
    else
        std::for_each(ops.rbegin(), ops.rend(), step);
    if (moves) {
        emit entriesReplaced();
        announceStep(0);
        return;
    }
    announceEntries(changed);
    announceStep(changed.value(0));
}

void OtoDocument::replaceEntries(OtoEntries entries)
{
    Q_ASSERT(!edit_);
    emit entriesAboutToBeReplaced();
    // The steps of the history hold entries of the old collection.
    history_.clear();
    clcOto_ = std::move(entries);
    members_.clear();
    members_.reserve(clcOto_.size());
    for (const auto &e : clcOto_)
        members_.insert(e.get());
    emit entriesReplaced();
}

bool OtoDocument::openFolder(const QString &folder, const QString &fileName, const std::optional<QString> &only)
{
    wrkpath_ = folder;
    if (!only)
        return openoto(folder, fileName);
    QString sub = *only;
    while (sub.endsWith(u'/'))
        sub.chop(1);
    if (sub == u".")
        sub.clear();
    return load(folder, {sub}, fileName);
}

QList<int> OtoDocument::readFiles(OtoEntries &entries)
{
    QList<int> bad;
    for (OtoFile &file : files_) {
        if (file.unwritten) {
            bad << 0;
            continue;
        }
        const QString path = joinPath(folderPath(file.folder), file.fileName);
        // What a save cut short by a crash left behind, of this very file.
        removeStaleTemporaryFiles(path);
        const std::optional<TextFile> text = locale_.tryReadfile(path);
        file.read = text.has_value();
        file.decodedCleanly = !text || text->decodedCleanly;
        // A file that cannot be read keeps the form of the last one.
        if (text) {
            form_ = text->form;
            stamps_.insert(path, text->stamp);
        } else {
            stamps_.remove(path);
        }
        ParsedOto parsed = parseOtoText(text ? QStringView(text->text) : QStringView());
        file.badLines = parsed.badLines;
        file.badLinesText = parsed.badLines > 0 ? badLinesMessage(parsed) : QString();
        file.layout = std::move(parsed.layout);
        file.layout.form = form_;
        for (const auto &entry : parsed.entries)
            entry->folder = file.folder;
        file.savedText = text ? fileText(file, parsed.entries) : QString();
        if (!file.decodedCleanly)
            reportUncleanDecode(path, *text);
        entries += parsed.entries;
        bad << parsed.badLines;
    }
    // A folder's new file is written as the singer's first one is.
    const auto first = std::find_if(files_.cbegin(), files_.cend(), [](const OtoFile &f) { return !f.unwritten; });
    for (OtoFile &file : files_)
        if (file.unwritten && first != files_.cend())
            file.layout.form = first->layout.form;
    return bad;
}

void OtoDocument::reportBadLines()
{
    if (lastBadLines_ == 0)
        return;
    if (!isSinger()) {
        dialogs_.inform(files_.value(0).badLinesText);
        return;
    }
    // One message for the whole singer, naming each file.
    QStringList parts;
    for (const OtoFile &file : files_)
        if (file.badLines > 0)
            parts << joinPath(file.folder, file.fileName) + QStringLiteral(":\r\n") + file.badLinesText;
    dialogs_.inform(parts.join(QStringLiteral("\r\n\r\n")));
}

void OtoDocument::startNew(const QString &folder, const TextForm &form)
{
    wrkpath_ = folder;
    form_ = form;
    codePage_.reset();  // a Save As's code page before does not hold here
    // A new singer's pitch folders of recordings get an oto.ini each.
    QStringList subs = findRecordingFolders(folder);
    if (subs.isEmpty())
        subs << QString();
    files_.clear();
    for (const QString &sub : subs) {
        files_ << OtoFile{sub, kOtoIni};
        files_.last().layout.form = form;
    }
    singerName_ = ::singerName(folder, locale_);
    lastBadLines_ = 0;
    replaceEntries({});
    markSaved();
}

namespace {

// A singer's pitch folders of recordings that have no oto.ini yet (a pitch
// recorded after the others were set): they join the singer empty.
QStringList unwrittenFolders(const QString &folder, const QStringList &subs)
{
    if (std::all_of(subs.begin(), subs.end(), [](const QString &sub) { return sub.isEmpty(); }))
        return {};
    QStringList out;
    for (const QString &sub : findRecordingFolders(folder))
        if (!sub.isEmpty() && !subs.contains(sub))
            out << sub;
    return out;
}

}  // namespace

bool OtoDocument::openOrStartNew(const QString &folder)
{
    const QStringList subs = findOtoFolders(folder, kOtoIni);
    if (!isNewBank(folder, subs))
        return load(folder, subs.isEmpty() ? QStringList{QString()} : subs, kOtoIni, unwrittenFolders(folder, subs));
    TextForm form;
    form.utf8Marker = true;
    startNew(folder, form);
    return true;
}

bool OtoDocument::openoto(const QString &folder, const QString &fileName)
{
    QStringList subs = findOtoFolders(folder, fileName);
    // A folder without the file reads it anyway, for the message.
    if (subs.isEmpty())
        subs << QString();
    return load(folder, subs, fileName, fileName == kOtoIni ? unwrittenFolders(folder, subs) : QStringList());
}

bool OtoDocument::load(const QString &folder, const QStringList &subs, const QString &fileName,
                       const QStringList &unwritten)
{
    bool read = false;
    try {
        files_.clear();
        QStringList all = subs + unwritten;
        std::sort(all.begin(), all.end(), pathByteLess);
        for (const QString &sub : all) {
            files_ << OtoFile{sub, fileName};
            files_.last().unwritten = unwritten.contains(sub);
        }
        codePage_.reset();
        OtoEntries entries;
        const QList<int> bad = readFiles(entries);
        // A folder whose recordings another oto.ini names (breaths the
        // root's file lists) is no pitch folder of its own.
        files_.removeIf([&](const OtoFile &file) {
            return file.unwritten && std::any_of(entries.begin(), entries.end(), [&](const auto &entry) {
                       return entry->pathStr().replace(u'\\', u'/').startsWith(file.folder + u'/');
                   });
        });
        read = std::all_of(files_.begin(), files_.end(), [](const OtoFile &f) { return f.read || f.unwritten; });
        lastBadLines_ = std::accumulate(bad.begin(), bad.end(), 0);
        replaceEntries(std::move(entries));
        reportBadLines();
        singerName_ = ::singerName(folder, locale_);
    } catch (const std::exception &e) {
        dialogs_.message({QStringLiteral("frmmain::openoto") + QStringLiteral("\r\n") + QString::fromLocal8Bit(e.what()),
                          QStringLiteral("..."), MsgButtons::Ok, MsgIcon::None, MsgAnswer::Ok});
        wrkpath_.clear();
        read = false;
    }
    markSaved();
    return read;
}

QStringList OtoDocument::folders() const
{
    QStringList out;
    for (const OtoFile &file : files_)
        out << file.folder;
    return out;
}

QString OtoDocument::folderPath(const QString &folder) const
{
    return folder.isEmpty() ? wrkpath_ : joinPath(wrkpath_, folder);
}

void OtoDocument::setForm(const TextForm &form)
{
    form_ = form;
    for (int i = 0; i < files_.size(); ++i)
        setFileForm(i, form);
}

void OtoDocument::setFileForm(int file, const TextForm &form)
{
    if (file < 0 || file >= files_.size())
        return;
    files_[file].layout = OtoFileLayout();
    files_[file].layout.form = form;
}

QList<OtoDocument::FolderIndexes> OtoDocument::indexesByFolder() const
{
    QList<FolderIndexes> out;
    QHash<QString, qsizetype> byFolder;
    for (const OtoFile &file : files_) {
        byFolder.insert(file.folder, out.size());
        out.append({file.folder, {}});
    }
    for (int i = 0; i < clcOto_.size(); ++i) {
        auto it = byFolder.constFind(clcOto_[i]->folder);
        if (it == byFolder.constEnd()) {
            it = byFolder.insert(clcOto_[i]->folder, out.size());
            out.append({clcOto_[i]->folder, {}});
        }
        out[*it].indexes << i;
    }
    return out;
}

OtoEntries OtoDocument::entriesAt(const QList<int> &indexes) const
{
    OtoEntries entries;
    for (int i : indexes)
        entries << clcOto_[i];
    return entries;
}

QList<OtoEntries> OtoDocument::entriesByFile()
{
    QList<OtoEntries> out;
    for (const FolderIndexes &f : indexesByFolder()) {
        if (out.size() >= files_.size()) {
            // An entry of a folder without a file (a script set it up):
            // that folder gets one, in the form of the first.
            OtoFile added{f.folder, kOtoIni};
            added.layout.form = form();
            files_ << added;
        }
        out << entriesAt(f.indexes);
    }
    return out;
}

QList<OtoFile> OtoDocument::writtenFiles() const
{
    QList<OtoFile> out;
    for (const OtoFile &file : files_)
        if (!file.unwritten)
            out << file;
    return out;
}

QStringList OtoDocument::unsavedFolders() const
{
    QStringList out;
    const QList<FolderIndexes> byFolder = indexesByFolder();
    for (qsizetype f = 0; f < byFolder.size(); ++f) {
        const OtoEntries entries = entriesAt(byFolder[f].indexes);
        if (f < files_.size() && files_[f].unwritten && entries.isEmpty())
            continue;  // a save makes no file there
        if (f >= files_.size() || fileText(files_[f], entries) != files_[f].savedText)
            out << byFolder[f].folder;
    }
    return out;
}

void OtoDocument::reportUncleanDecode(const QString &path, const TextFile &file)
{
    const QList<qsizetype> lines = modLocale::changedLines(file.text, file.codePage, false);
    QStringList numbers;
    for (qsizetype n : lines.first(std::min<qsizetype>(lines.size(), 10)))
        numbers << QString::number(n);
    if (lines.size() > 10)
        numbers << QStringLiteral("...");
    const QString clean = file.cleanCharsets.isEmpty() ? QStringLiteral("none of the known charsets")
                                                       : file.cleanCharsets.join(QStringLiteral(", "));
    dialogs_.inform(QStringLiteral("%1 does not read cleanly in the file charset: lines %2 hold bytes it cannot "
                                   "show. It reads cleanly in: %3. Choose that file charset and reopen; "
                                   "a save in this charset would change those lines and asks first.")
                        .arg(path, numbers.join(QStringLiteral(", ")), clean)
                    + QStringLiteral("\r\n")
                    + QStringLiteral("%1無法以當前文件編碼正確讀取：第%2行含有無法顯示的字節。可正確讀取的編碼：%3。"
                                     "請選擇該編碼並重新打開；以當前編碼保存會改變這些行，保存前會先詢問。")
                          .arg(path, numbers.join(QStringLiteral(", ")), clean));
}

bool OtoDocument::confirmLossyLines(const QString &path, const QString &text, const QByteArray &encoded, int codePage,
                                    bool decodedCleanly)
{
    if (decodedCleanly && modLocale::bytes2str(encoded, codePage) == text)
        return true;
    const QList<qsizetype> lines = modLocale::changedLines(text, codePage, decodedCleanly);
    if (lines.isEmpty())
        return true;
    QStringList numbers;
    for (qsizetype n : lines.first(std::min<qsizetype>(lines.size(), 10)))
        numbers << QString::number(n);
    if (lines.size() > 10)
        numbers << QStringLiteral("...");
    const QString list = numbers.join(QStringLiteral(", "));
    const MsgAnswer answer = dialogs_.message(
        {QStringLiteral("%1: the file charset cannot write lines %2 as they read (characters it cannot hold, or "
                        "bytes that were not read in the right charset); they would change, with \"?\" in "
                        "their place. Save anyway?").arg(path, list)
             + QStringLiteral("\r\n")
             + QStringLiteral("%1：文件編碼無法按原樣寫出第%2行（無法表示的字符或未以正確編碼讀取的字節），"
                              "這些行將被改變（以“?”代替）。仍然保存？").arg(path, list),
         QStringLiteral("?"), MsgButtons::YesNo, MsgIcon::Warning, MsgAnswer::No});
    return answer == MsgAnswer::Yes;
}

bool OtoDocument::confirmEmptySave(const QString &path)
{
    const QFileInfo target(path);
    if (!target.exists() || target.size() == 0)
        return true;
    const MsgAnswer answer = dialogs_.message(
        {QStringLiteral("There are no entries to save. Replace %1 with an empty file?").arg(path)
             + QStringLiteral("\r\n") + QStringLiteral("沒有可保存的條目。是否以空文件覆蓋%1？").arg(path),
         QStringLiteral("?"), MsgButtons::YesNo, MsgIcon::Warning, MsgAnswer::No});
    return answer == MsgAnswer::Yes;
}

bool OtoDocument::confirmChangedOnDisk(const QString &path, bool noneAtOpen)
{
    const auto known = stamps_.constFind(path);
    const std::optional<FileStamp> now = stampOnDisk(path);
    if (known == stamps_.constEnd()) {
        if (!noneAtOpen || !now)
            return true;  // never read or written here: nothing of ours to compare
    } else if (!now || *now == *known) {
        return true;  // gone, or still as we left it
    }
    const QString title = Dialogs::programTitle();
    const MsgAnswer answer = dialogs_.message(
        {path + QStringLiteral("\r\nhas been changed on disk since %1 read it. Overwrite it with the entries here?"
                               "\r\n(No keeps both: the file stays as it is, the entries stay here; "
                               "Reload shows the file's version.)").arg(title)
             + QStringLiteral("\r\n") + path
             + QStringLiteral("\r\n在%1讀取之後已被其他程序修改。是否以此處的條目覆蓋它？"
                              "\r\n（否：兩者都保留，文件不變，條目仍在此處；重新讀取可見文件的版本。）").arg(title),
         QStringLiteral("?"), MsgButtons::YesNo, MsgIcon::Warning, MsgAnswer::No});
    return answer == MsgAnswer::Yes;
}

void OtoDocument::reportFolderGone(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    const QString reason = qt_error_string(ENOENT);
    dialogs_.inform(QStringLiteral("modlocale::writefile(%1): %2\r\nThe folder %3 is gone (moved or deleted while "
                                   "open). Nothing was written and the entries are still here: save them to "
                                   "another folder with Save As.").arg(path, reason, folder)
                    + QStringLiteral("\r\n") + QStringLiteral("文件夾%1已不存在（打開後被移動或刪除）。未寫入任何內容，條目仍在此處：請用“另存為”保存到其他文件夾。").arg(folder));
}

bool OtoDocument::saveFile(OtoFile &file, const OtoEntries &entries, const QString &fileName, bool always)
{
    const QString path = joinPath(folderPath(file.folder), fileName);
    const QString text = fileText(file, entries);
    // A singer's files are written only when their entries changed: the
    // others keep their bytes, bad lines and comments included.
    if (!always && fileName == file.fileName && file.read && text == file.savedText)
        return true;
    // A singer's folder left without entries gets no new empty file, nor
    // does a pitch folder that had none at the open (whatever another
    // program has put there since).
    if (!always && !file.read && entries.isEmpty() && (file.unwritten || QFileInfo(path).size() == 0))
        return true;
    // An empty collection usually means a read failed or everything was
    // removed by mistake; it never silently replaces the user's entries.
    if (entries.isEmpty() && !confirmEmptySave(path))
        return false;
    if (!confirmChangedOnDisk(path, file.unwritten))
        return false;
    if (!QFileInfo(QFileInfo(path).absolutePath()).isDir()) {
        reportFolderGone(path);
        return false;
    }
    const int codePage = codePage_.value_or(locale_.writeCodePage(file.layout.form));
    const std::optional<QByteArray> bytes = locale_.encodefile(path, text, codePage);
    if (!bytes || !confirmLossyLines(path, text, *bytes, codePage, file.decodedCleanly))
        return false;
    const std::optional<FileStamp> written = locale_.writeEncoded(path, *bytes, file.layout.form);
    if (!written)
        return false;
    stamps_.insert(path, *written);
    if (fileName == kOtoIni) {
        file.fileName = fileName;
        file.savedText = text;
        file.read = true;
        file.unwritten = false;
    }
    return true;
}

bool OtoDocument::saveoto(const QString &fileName)
{
    if (files_.isEmpty()) {
        OtoFile file{QString(), kOtoIni};
        file.layout.form = form_;
        files_ << file;
    }
    const QList<OtoEntries> entries = entriesByFile();
    // A plain voicebank's file is written whenever asked, as it always was.
    const bool always = !isSinger();
    bool ok = true;
    for (int i = 0; i < files_.size(); ++i)
        ok = saveFile(files_[i], entries[i], fileName, always) && ok;
    return ok;
}

bool OtoDocument::saveAs(const QString &folder, int codePage)
{
    const QString path = joinPath(folder, kOtoIni);
    TextForm form;
    form.utf8Marker = codePage == modLocale::kUtf8CodePage;
    const QString text = otoFileText(clcOto_, form);
    const std::optional<QByteArray> bytes = locale_.encodefile(path, text, codePage);
    if (!bytes || !confirmLossyLines(path, text, *bytes, codePage, true))
        return false;
    const std::optional<FileStamp> written = locale_.writeEncoded(path, *bytes, form);
    if (!written)
        return false;
    // The new file is the open one from now on, in its own plain layout.
    wrkpath_ = folder;
    form_ = form;
    stamps_.insert(path, *written);
    OtoFile file{QString(), kOtoIni};
    file.layout.form = form;
    file.read = true;
    file.unwritten = false;
    file.savedText = text;
    files_ = {file};
    codePage_ = codePage;
    markSaved();
    return true;
}

bool OtoDocument::changedOnDisk(const QString &fileName) const
{
    // Any file of the singer another program changed.
    for (const OtoFile &file : files_) {
        const QString path = joinPath(folderPath(file.folder), fileName);
        const auto known = stamps_.constFind(path);
        if (known == stamps_.constEnd())
            continue;
        const std::optional<FileStamp> now = stampOnDisk(path);
        if (now && *now != *known)
            return true;
    }
    return false;
}

DiskChange OtoDocument::followDiskChange(const DiskQuestion &ask)
{
    if (wrkpath_.isEmpty() || edit_ || !changedOnDisk())
        return DiskChange::None;
    if (blnChanged()) {
        const QString path = joinPath(wrkpath_, kOtoIni);
        // Without a question there is no one to ask: the edits here stay.
        const DiskChoice choice = ask ? ask(path, [this] { return differenceOnDisk(); }) : DiskChoice::KeepMine;
        if (choice != DiskChoice::Reload)
            return DiskChange::KeptMine;
    }
    openoto(wrkpath_, kOtoIni);
    return DiskChange::Reloaded;
}

QList<EntryDifference> OtoDocument::differenceOnDisk()
{
    OtoEntries onDisk;
    for (const OtoFile &file : files_) {
        const QString path = joinPath(folderPath(file.folder), file.fileName);
        if (!QFileInfo::exists(path))
            continue;
        const std::optional<TextFile> text = locale_.tryReadfile(path);
        if (!text)
            continue;
        ParsedOto parsed = parseOtoText(text->text);
        for (const auto &entry : parsed.entries)
            entry->folder = file.folder;
        onDisk += parsed.entries;
    }
    return diffEntries(onDisk, clcOto_);
}

SaveAnswer OtoDocument::askSave()
{
    if (!blnChanged())
        return SaveAnswer::Discard;
    QString text = QStringLiteral("something's been changed, save?") + QStringLiteral("\r\n") + QStringLiteral("有改變，是否保存？");
    if (isSinger()) {
        QStringList names;
        for (const QString &folder : unsavedFolders())
            names << (folder.isEmpty() ? QStringLiteral("./") : folder + u'/') + kOtoIni;
        if (!names.isEmpty())
            text += QStringLiteral("\r\n\r\n") + names.join(QStringLiteral("\r\n"));
    }
    const MsgAnswer answer = dialogs_.message(
        {text,
         QStringLiteral("?"), MsgButtons::YesNoCancel, MsgIcon::Question, MsgAnswer::Cancel});
    switch (answer) {
    case MsgAnswer::Yes: return SaveAnswer::Save;
    case MsgAnswer::No: return SaveAnswer::Discard;
    default: return SaveAnswer::Cancel;
    }
}

void OtoDocument::setChanged()
{
    changedOutsideHistory_ = true;
    updTitle();
}

QString OtoDocument::title() const
{
    QString caption = Dialogs::programTitle();
    if (blnChanged())
        caption += u'*';
    if (!singerName_.isEmpty() && !wrkpath_.isEmpty())
        caption += u' ' + singerName_ + QStringLiteral(" |");
    if (!wrkpath_.isEmpty())
        caption += u' ' + revPath(wrkpath_);
    return caption;
}

void OtoDocument::updTitle()
{
    emit titleChanged(title());
}

bool OtoDocument::saveFirstIfAsked()
{
    switch (askSave()) {
    case SaveAnswer::Cancel: return false;
    case SaveAnswer::Discard: return true;
    case SaveAnswer::Save: break;
    }
    if (!saveoto(kOtoIni))
        return false;
    markSaved();
    return true;
}

void OtoDocument::open(const std::function<std::optional<QString>()> &chooseFolder)
{
    if (!saveFirstIfAsked())
        return;
    // A cancelled chooser leaves the open folder, which is then read again.
    if (const std::optional<QString> folder = chooseFolder())
        wrkpath_ = *folder;
    if (!wrkpath_.isEmpty())
        openOrStartNew(wrkpath_);
}

void OtoDocument::reload()
{
    if (saveFirstIfAsked())
        openOrStartNew(wrkpath_);
}

void OtoDocument::save()
{
    // A save that did not write keeps the mark, so that closing still asks.
    if (!saveoto(kOtoIni))
        return;
    markSaved();
}

void OtoDocument::loadBackup()
{
    if (saveFirstIfAsked() && !wrkpath_.isEmpty())
        openoto(wrkpath_, kBackupIni);
}

void OtoDocument::saveBackup()
{
    saveoto(kBackupIni);
}
