#include "OtoDocument.h"

#include "Dialogs.h"
#include "modLocale.h"
#include "modUtils.h"

#include <QFileInfo>

OtoDocument::OtoDocument(modLocale &locale, Dialogs &dialogs, QObject *parent)
    : QObject(parent), locale_(locale), dialogs_(dialogs)
{
}

bool OtoDocument::openoto(const QString &folder, const QString &fileName)
{
    bool read = false;
    try {
        const std::optional<TextFile> file = locale_.tryReadfile(joinPath(folder, fileName));
        read = file.has_value();
        // A file that cannot be read leaves the form of the last one.
        if (file)
            form_ = file->form;
        parseOto(file ? QStringView(file->text) : QStringView(), form_.lineEnd);
        emit entriesReplaced();
    } catch (const std::exception &e) {
        dialogs_.message({QStringLiteral("frmmain::openoto") + QStringLiteral("\r\n") + QString::fromLocal8Bit(e.what()),
                          QStringLiteral("..."), MsgButtons::Ok, MsgIcon::None, MsgAnswer::Ok});
        wrkpath.clear();
        read = false;
    }
    blnChanged = false;
    updTitle();
    return read;
}

void OtoDocument::parseOto(QStringView text, LineEnd lineEnd)
{
    ParsedOto parsed = parseOtoText(text, lineEnd);
    clcOto = std::move(parsed.entries);
    lastBadLines_ = parsed.badLines;
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

bool OtoDocument::saveoto(const QString &fileName)
{
    const QString path = joinPath(wrkpath, fileName);
    // An empty collection usually means a read failed or everything was
    // removed by mistake; it never silently replaces the user's entries.
    if (clcOto.isEmpty() && !confirmEmptySave(path))
        return false;
    return locale_.writefile(path, otoFileText(clcOto, form_), form_);
}

SaveAnswer OtoDocument::askSave()
{
    if (!blnChanged)
        return SaveAnswer::Discard;
    const MsgAnswer answer = dialogs_.message(
        {QStringLiteral("something's been changed, save?") + QStringLiteral("\r\n") + QStringLiteral("有改變，是否保存？"),
         QStringLiteral("?"), MsgButtons::YesNoCancel, MsgIcon::Question, MsgAnswer::Cancel});
    switch (answer) {
    case MsgAnswer::Yes: return SaveAnswer::Save;
    case MsgAnswer::No: return SaveAnswer::Discard;
    default: return SaveAnswer::Cancel;
    }
}

void OtoDocument::setChanged()
{
    blnChanged = true;
    updTitle();
}

QString OtoDocument::title() const
{
    QString caption = Dialogs::programTitle();
    if (blnChanged)
        caption += u'*';
    if (!wrkpath.isEmpty())
        caption += u' ' + revPath(wrkpath);
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
    blnChanged = false;
    updTitle();
    return true;
}

void OtoDocument::open(const std::function<void()> &chooseFolder)
{
    if (!saveFirstIfAsked())
        return;
    chooseFolder();
    if (!wrkpath.isEmpty())
        openoto(wrkpath, kOtoIni);
}

void OtoDocument::reload()
{
    if (saveFirstIfAsked())
        openoto(wrkpath, kOtoIni);
}

void OtoDocument::save()
{
    // A save that did not write keeps the mark, so that closing still asks.
    if (!saveoto(kOtoIni))
        return;
    blnChanged = false;
    updTitle();
}

void OtoDocument::loadBackup()
{
    if (saveFirstIfAsked() && !wrkpath.isEmpty())
        openoto(wrkpath, kBackupIni);
}

void OtoDocument::saveBackup()
{
    saveoto(kBackupIni);
}
