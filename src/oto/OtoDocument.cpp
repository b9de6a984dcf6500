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
        const std::optional<QString> text = locale_.tryReadfile(joinPath(folder, fileName));
        read = text.has_value();
        parseOto(text.value_or(QString()));
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

void OtoDocument::parseOto(QStringView text)
{
    ParsedOto parsed = parseOtoText(text);
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
    return locale_.writefile(path, otoFileText(clcOto, locale_.fileUTF8));
}

int OtoDocument::askSave()
{
    if (!blnChanged)
        return 0;
    const MsgAnswer answer = dialogs_.message(
        {QStringLiteral("something's been changed, save?") + QStringLiteral("\r\n") + QStringLiteral("有改變，是否保存？"),
         QStringLiteral("?"), MsgButtons::YesNoCancel, MsgIcon::Question, MsgAnswer::Cancel});
    switch (answer) {
    case MsgAnswer::Yes: return 1;
    case MsgAnswer::No: return 0;
    default: return -1;
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
    const int answer = askSave();
    if (answer == -1)
        return false;
    if (answer == 1)
        saveoto(kOtoIni);
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
    saveoto(kOtoIni);
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
