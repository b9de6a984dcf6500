#include "oto/OtoDocument.h"

#include "core/Dialogs.h"
#include "core/modUtils.h"
#include "oto/modLocale.h"
#include "oto/OtoHistory.h"
#include "oto/SingerFolder.h"

#include <numeric>

#include <QFileInfo>

OtoDocument::OtoDocument(modLocale &locale, Dialogs &dialogs, QObject *parent)
    : QObject(parent), locale_(locale), dialogs_(dialogs)
{
    // Every step, and every undo back to the saved state, shows in the title.
    connect(&history_, &QUndoStack::cleanChanged, this, [this] { updTitle(); });
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
    history_.push(step);
    pushing_ = false;
    updTitle();
}

void OtoDocument::announceStep(int entryIndex)
{
    if (!pushing_)
        emit stepApplied(entryIndex);
}

void OtoDocument::editEntries(const QList<EntryChange> &changes, const QString &what, int mergeKey)
{
    std::vector<history::ChangeEntries::Change> steps;
    for (const EntryChange &c : changes)
        if (c.index >= 0 && c.index < clcOto_.size())
            steps.push_back({c.index, *clcOto_[c.index], c.values});
    if (!steps.empty())
        pushStep(new history::ChangeEntries(*this, std::move(steps), what, mergeKey));
}

void OtoDocument::editAliases(const QList<AliasChange> &changes, const QString &what, int mergeKey)
{
    std::vector<history::ChangeAliases::Change> steps;
    steps.reserve(size_t(changes.size()));
    for (const AliasChange &c : changes)
        if (c.index >= 0 && c.index < clcOto_.size() && clcOto_[c.index]->ALS != c.alias)
            steps.push_back({c.index, clcOto_[c.index]->ALS, c.alias});
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

void OtoDocument::changeAliases(const QList<AliasChange> &changes)
{
    QList<int> indexes;
    indexes.reserve(changes.size());
    for (const AliasChange &c : changes) {
        if (c.index < 0 || c.index >= clcOto_.size())
            continue;
        clcOto_[c.index]->ALS = c.alias;
        indexes.append(c.index);
    }
    if (!indexes.isEmpty())
        emit entriesChanged(indexes);
}

void OtoDocument::insertEntries(int position, const OtoEntries &entries)
{
    if (entries.isEmpty() || position < 0 || position > clcOto_.size())
        return;
    const int last = position + int(entries.size()) - 1;
    emit entriesAboutToBeInserted(position, last);
    clcOto_.insert(position, entries.size(), nullptr);
    std::copy(entries.begin(), entries.end(), clcOto_.begin() + position);
    emit entriesInserted(position, last);
}

void OtoDocument::removeEntries(int position, int count)
{
    if (count <= 0 || position < 0 || position + count > clcOto_.size())
        return;
    emit entriesAboutToBeRemoved(position, position + count - 1);
    clcOto_.remove(position, count);
    emit entriesRemoved(position, position + count - 1);
}

void OtoDocument::changeEntries(const QList<EntryChange> &changes)
{
    QList<int> indexes;
    indexes.reserve(changes.size());
    for (const EntryChange &c : changes) {
        if (c.index < 0 || c.index >= clcOto_.size())
            continue;
        *clcOto_[c.index] = c.values;
        indexes.append(c.index);
    }
    if (!indexes.isEmpty())
        emit entriesChanged(indexes);
}

void OtoDocument::restoreOrder(const OtoEntries &entries)
{
    emit entriesAboutToBeReplaced();
    clcOto_ = entries;
    emit entriesReplaced();
}

void OtoDocument::announceChanged(const QList<int> &indexes)
{
    if (!indexes.isEmpty())
        emit entriesChanged(indexes);
}

EntriesSnapshot OtoDocument::snapshot() const
{
    EntriesSnapshot s;
    s.order = clcOto_;
    s.values.reserve(clcOto_.size());
    for (const auto &e : clcOto_)
        s.values.append(*e);
    return s;
}

bool OtoDocument::recordChangesSince(const EntriesSnapshot &before, const QString &what)
{
    std::vector<history::ChangeInPlace::Change> changes;
    for (qsizetype i = 0; i < before.order.size(); ++i) {
        const clsOto &was = before.values[i];
        const clsOto &is = *before.order[i];
        if (was.FIL != is.FIL || was.ALS != is.ALS || was.prmLF != is.prmLF || was.prmFX != is.prmFX
            || was.prmRT != is.prmRT || was.prmPR != is.prmPR || was.prmOV != is.prmOV)
            changes.push_back({before.order[i], was, is});
    }
    const bool reordered = before.order != clcOto_;
    if (changes.empty() && !reordered)
        return false;
    pushStep(new history::ChangeInPlace(*this, reordered ? before.order : OtoEntries(),
                                        reordered ? clcOto_ : OtoEntries(), std::move(changes), what));
    return true;
}

void OtoDocument::replaceEntries(OtoEntries entries)
{
    emit entriesAboutToBeReplaced();
    // The steps of the history name positions in the old entries.
    history_.clear();
    clcOto_ = std::move(entries);
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
        const QString path = joinPath(folderPath(file.folder), file.fileName);
        const std::optional<TextFile> text = locale_.tryReadfile(path);
        file.read = text.has_value();
        // A file that cannot be read keeps the form of the last one.
        if (text) {
            form_ = text->form;
            stamps_.insert(path, text->stamp);
        } else {
            stamps_.remove(path);
        }
        file.form = form_;
        ParsedOto parsed = parseOtoText(text ? QStringView(text->text) : QStringView(), form_.lineEnd);
        file.badLines = parsed.badLines;
        for (const auto &entry : parsed.entries)
            entry->folder = file.folder;
        file.savedText = text ? otoFileText(parsed.entries, file.form) : QString();
        entries += parsed.entries;
        bad << parsed.badLines;
    }
    return bad;
}

void OtoDocument::reportBadLines()
{
    if (lastBadLines_ == 0)
        return;
    if (!isSinger()) {
        dialogs_.inform(badLinesMessage(lastBadLines_));
        return;
    }
    // One message for the whole singer, naming each file.
    QStringList parts;
    for (const OtoFile &file : files_)
        if (file.badLines > 0)
            parts << joinPath(file.folder, file.fileName) + QStringLiteral(":\r\n") + badLinesMessage(file.badLines);
    dialogs_.inform(parts.join(QStringLiteral("\r\n\r\n")));
}

bool OtoDocument::openoto(const QString &folder, const QString &fileName)
{
    QStringList subs = findOtoFolders(folder, fileName);
    // A folder without the file reads it anyway, for the message.
    if (subs.isEmpty())
        subs << QString();
    return load(folder, subs, fileName);
}

bool OtoDocument::load(const QString &folder, const QStringList &subs, const QString &fileName)
{
    bool read = false;
    try {
        files_.clear();
        for (const QString &sub : subs)
            files_ << OtoFile{sub, fileName};
        OtoEntries entries;
        const QList<int> bad = readFiles(entries);
        read = std::all_of(files_.begin(), files_.end(), [](const OtoFile &f) { return f.read; });
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
    for (OtoFile &file : files_)
        file.form = form;
}

void OtoDocument::setFileForm(int file, const TextForm &form)
{
    if (file >= 0 && file < files_.size())
        files_[file].form = form;
}

QList<OtoEntries> OtoDocument::entriesByFile()
{
    QHash<QString, int> byFolder;
    for (int i = 0; i < files_.size(); ++i)
        byFolder.insert(files_[i].folder, i);
    QList<OtoEntries> out(files_.size());
    for (const auto &entry : clcOto_) {
        auto it = byFolder.constFind(entry->folder);
        if (it == byFolder.constEnd()) {
            // An entry of a folder without a file (a script set it up):
            // that folder gets one, in the form of the first.
            files_ << OtoFile{entry->folder, kOtoIni, form(), 0, false, QString()};
            out.append(OtoEntries());
            it = byFolder.insert(entry->folder, int(files_.size()) - 1);
        }
        out[*it] << entry;
    }
    return out;
}

QStringList OtoDocument::unsavedFolders() const
{
    QHash<QString, QString> texts;
    QHash<QString, OtoEntries> byFolder;
    for (const auto &entry : clcOto_)
        byFolder[entry->folder] << entry;
    QStringList out;
    for (const OtoFile &file : files_) {
        if (otoFileText(byFolder.value(file.folder), file.form) != file.savedText)
            out << file.folder;
        byFolder.remove(file.folder);
    }
    for (auto it = byFolder.cbegin(); it != byFolder.cend(); ++it)
        out << it.key();
    return out;
}

void OtoDocument::parseOto(QStringView text, LineEnd lineEnd)
{
    ParsedOto parsed = parseOtoText(text, lineEnd);
    lastBadLines_ = parsed.badLines;
    replaceEntries(std::move(parsed.entries));
    if (parsed.badLines > 0)
        dialogs_.inform(badLinesMessage(parsed.badLines));
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

bool OtoDocument::confirmChangedOnDisk(const QString &path)
{
    const auto known = stamps_.constFind(path);
    if (known == stamps_.constEnd())
        return true;  // never read or written here: nothing of ours to compare
    const std::optional<FileStamp> now = stampOnDisk(path);
    if (!now || *now == *known)
        return true;  // gone, or still as we left it
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

bool OtoDocument::saveFile(OtoFile &file, const OtoEntries &entries, const QString &fileName, bool always)
{
    const QString path = joinPath(folderPath(file.folder), fileName);
    const QString text = otoFileText(entries, file.form);
    // A singer's files are written only when their entries changed: the
    // others keep their bytes, bad lines and comments included.
    if (!always && fileName == file.fileName && file.read && text == file.savedText)
        return true;
    // An empty collection usually means a read failed or everything was
    // removed by mistake; it never silently replaces the user's entries.
    if (entries.isEmpty() && !confirmEmptySave(path))
        return false;
    if (!confirmChangedOnDisk(path))
        return false;
    const std::optional<FileStamp> written = locale_.writefile(path, text, file.form);
    if (!written)
        return false;
    stamps_.insert(path, *written);
    if (fileName == kOtoIni) {
        file.fileName = fileName;
        file.savedText = text;
        file.read = true;
    }
    return true;
}

bool OtoDocument::saveoto(const QString &fileName)
{
    if (files_.isEmpty())
        files_ << OtoFile{QString(), kOtoIni, form_, 0, false, QString()};
    const QList<OtoEntries> entries = entriesByFile();
    // A plain voicebank's file is written whenever asked, as it always was.
    const bool always = !isSinger();
    bool ok = true;
    for (int i = 0; i < files_.size(); ++i)
        ok = saveFile(files_[i], entries[i], fileName, always) && ok;
    return ok;
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
        openoto(wrkpath_, kOtoIni);
}

void OtoDocument::reload()
{
    if (saveFirstIfAsked())
        openoto(wrkpath_, kOtoIni);
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
