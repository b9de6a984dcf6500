#pragma once

#include <QString>

// The input boxes of the batch alias commands, word for word as the user
// sees them.
namespace toolTexts {

inline const QString kReplaceTitle = QStringLiteral("Aliases batch replace - 別名批量替換");
inline const QString kReplaceDefault = QStringLiteral("Before=After");
inline const QString kReplacePrompt =
    QStringLiteral("What to replace? - 輸入替換規則\r\n"
                   "Enter the text to match and replace with, connected by [=]. No extra spaces, they are all kept.\r\n"
                   "Split multiple rules by [,]. They'll be excuted one by one in order.\r\n"
                   "輸入替換前與替換後文字，以等號[=]分隔。勿多任何空格，所有空格都原樣保留。\r\n"
                   "多組規則以英文逗號[,]分隔，將按順序一一執行。\r\n");

inline const QString kSplitTitle = QStringLiteral("SplitCmb - 別名拆分");
inline const QString kSplitDefault = QStringLiteral("n-,by,dy,fy,gy,hy,ky,my,ny,py,ry,ty,sh,ch,ts,dz,cy,jy,sy");
inline const QString kSplitPrompt = QStringLiteral("List combined letters which should not be splitted - 列出不應拆分之合字\r\n"
                                                   "split with [,] - 以逗號分隔");

// Asked before Split changes aliases written in kana or hanzi: the letter
// rule is meant for romaji.
inline QString splitScriptQuestion(int count)
{
    return QStringLiteral("Split would change %1 aliases written in kana or hanzi; it is meant for romaji. Split them anyway?\r\n"
                          "拆分將改變%1個含假名或漢字的別名；此功能原為羅馬字設計。仍要拆分嗎？")
        .arg(count);
}

}  // namespace toolTexts
