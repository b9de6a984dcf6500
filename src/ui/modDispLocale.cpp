#include "ui/modDispLocale.h"

#include "core/CharsetTable.h"
#include "core/clsSett.h"
#include "core/Dialogs.h"
#include "core/NumberText.h"
#include "oto/modLocale.h"

#include <cmath>

bool askLocale(int which, clsSett &sett, const modLocale &locale, Dialogs &dialogs)
{
    qint32 &setting = which == 0 ? sett.settlocFile : sett.settlocDisp;
    const QString name = which == 0 ? QStringLiteral("File charset - 文件編碼設定")
                                    : QStringLiteral("Display charset - 顯示編碼設定");
    QString prompt;
    for (int i = 0; i < charsetTable::count(); ++i)
        prompt += QString::number(i) + QStringLiteral(" --> ") + locale.charsets().value(i).name + QStringLiteral("\r\n");
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

const QList<QPair<QString, QString>> &mainMenuCaptions()
{
    static const QList<QPair<QString, QString>> captions = {
        {QStringLiteral("mnuFile"), QStringLiteral("&File - 文件")},
        {QStringLiteral("mnuOpen"), QStringLiteral("&Open... - 打開oto")},
        {QStringLiteral("mnuReload"), QStringLiteral("&Reload - 重新讀取文件")},
        {QStringLiteral("mnuSave"), QStringLiteral("&Save - 保存oto")},
        {QStringLiteral("mnuLoadBkp"), QStringLiteral("&Load Backup - 讀取備份版 (oto-bkp.ini)")},
        {QStringLiteral("mnuSaveBkp"), QStringLiteral("Save &Backup - 保存到備份版")},
        {QStringLiteral("mnuQuit"), QStringLiteral("&Quit - 滾！")},
        {QStringLiteral("mnuEdit"), QStringLiteral("&Edit - 編輯")},
        {QStringLiteral("mnuOtoDup"), QStringLiteral("&Duplicate - 複製")},
        {QStringLiteral("mnuOtoDel"), QStringLiteral("&Remove - 刪除")},
        {QStringLiteral("mnuUndo"), QStringLiteral("Undo - 撤銷")},
        {QStringLiteral("mnuRedo"), QStringLiteral("Redo - 重做")},
        {QStringLiteral("mnuSamePrev"), QStringLiteral("Same alias, previous folder - 上一文件夾的同名條目")},
        {QStringLiteral("mnuSameNext"), QStringLiteral("Same alias, next folder - 下一文件夾的同名條目")},
        {QStringLiteral("mnuSameCopy"), QStringLiteral("Copy to other folders... - 複製參數到其他文件夾")},
        {QStringLiteral("mnuPrefixMap"), QStringLiteral("prefix.map... - 編輯音階前後綴")},
        {QStringLiteral("mnuSett"), QStringLiteral("&Settings - 設定")},
        {QStringLiteral("mnuLocFile"), QStringLiteral("&File charset... - 文件編碼設定")},
        {QStringLiteral("mnuLocDisp"), QStringLiteral("&UI charset... - 顯示編碼設定")},
        {QStringLiteral("mnuFix"), QStringLiteral("&Parameter fixing... - 數字取整設定")},
        {QStringLiteral("mnuSettFilenameBad"), QStringLiteral("&Bad filenames? - 若文件名亦亂碼，選之")},
        {QStringLiteral("mnuSettSpectrogram"), QStringLiteral("&Spectrogram - 頻譜圖")},
        {QStringLiteral("mnuSettCurves"), QStringLiteral("&Analysis curves - 分析曲線")},
        {QStringLiteral("mnuSettPitch"), QStringLiteral("&Pitch curve - 音高曲線")},
        {QStringLiteral("mnuSettLoudness"), QStringLiteral("&Loudness curve - 響度曲線")},
        {QStringLiteral("mnuHelp"), QStringLiteral("&Help - 幫助")},
        {QStringLiteral("mnuTips"), QStringLiteral("&Tips && hints... - 使用技巧提示")},
        {QStringLiteral("mnuAbout"), QStringLiteral("&About... - 關於")},
        {QStringLiteral("mnuOnline"), QStringLiteral("Lirra web... - 訪問Lirra主頁")},
        {QStringLiteral("mnuSecret"), QStringLiteral("☆")},
        {QStringLiteral("mnuSecretExpr"), QStringLiteral("(Experimental) - 實驗小功能")},
        {QStringLiteral("mnuExpSplitCmb"), QStringLiteral("Split - 別名拆分")},
        {QStringLiteral("mnuExpReplace"), QStringLiteral("Replace - 別名批量替換")},
        {QStringLiteral("mnuExpScript"), QStringLiteral("Scripting - 執行程序")},
        {QStringLiteral("mnuEstimate"), QStringLiteral("Estimate - 自動估算")},
        {QStringLiteral("mnuGenFrq"), QStringLiteral("Generate frequency files - 生成頻率檔")},
        {QStringLiteral("mnuReport"), QStringLiteral("Report - 檢查")},
    };
    return captions;
}

QString searchHint()
{
    return QStringLiteral("Search - 搜尋");
}
