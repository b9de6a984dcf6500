#include "ui/modDispLocale.h"

#include "core/CharsetTable.h"
#include "core/clsSett.h"
#include "core/Dialogs.h"
#include "core/NumberText.h"
#include "oto/modLocale.h"

#include <cmath>

QString numberedCharsets(const modLocale &locale)
{
    QString lines;
    const QList<modLocale::Charset> &charsets = locale.charsets();
    for (int i = 0; i < charsets.size(); ++i)
        lines += QString::number(i) + QStringLiteral(" --> ") + charsets[i].name + QStringLiteral("\r\n");
    return lines;
}

bool askLocale(int which, clsSett &sett, const modLocale &locale, Dialogs &dialogs)
{
    qint32 &setting = which == 0 ? sett.settlocFile : sett.settlocDisp;
    const QString name = which == 0 ? QStringLiteral("File charset - 文件編碼設定")
                                    : QStringLiteral("Display charset - 顯示編碼設定");
    QString prompt = numberedCharsets(locale);
    prompt += QStringLiteral("\r\n") + QStringLiteral("Current - 現設定: ") + QString::number(setting)
              + QStringLiteral(" --> ") + locale.charsets().value(setting).name;

    const std::optional<QString> answer = dialogs.input(prompt, QStringLiteral("Select ") + name, QString::number(setting));
    if (!answer || answer->isEmpty())
        return false;

    const double v = readNumber(*answer);
    if (answer->size() >= 3 || v != std::floor(v)) {
        dialogs.message({QStringLiteral("..."), QStringLiteral("..."), MsgButtons::Ok, MsgIcon::None, MsgAnswer::Ok});
        return false;
    }
    if (charsetTable::isIndex(qint64(v))) {
        setting = qint32(v);
        return true;
    }
    dialogs.message({QStringLiteral("0~") + QString::number(charsetTable::count() - 1), QStringLiteral("..."), MsgButtons::Ok, MsgIcon::None, MsgAnswer::Ok});
    return false;
}

QString searchHint()
{
    return QStringLiteral("Search - 搜尋");
}
