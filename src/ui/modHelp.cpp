#include "ui/modHelp.h"

#include "core/Version.h"

#include <QStringList>

QString tipsTitle()
{
    return QStringLiteral("Tips & Hints - 使用技巧提示");
}

QString tipsText()
{
    return QStringList{
        QStringLiteral("Hold Ctrl or Shift to modify parameters in different ways with mouse."),
        QStringLiteral("Drag up/down on the wave overview to zoom-in/out"),
        QStringLiteral("You may lock some of the parameters by typing number in corresponding colored boxes."),
        QStringLiteral("Press Enter when using Search box to filter items."),
        QStringLiteral("Adjust charset settings to make it work correctly with Kana or Hanzi. utf8 supported."),
        QStringLiteral("Use arrow keys to navigate around."),
        QStringLiteral("按住Ctrl或Shift以不同方式改變參數。"),
        QStringLiteral("在波形總覽欄上向上/下拖動鼠標以放大/縮小顯示範圍。"),
        QStringLiteral("在對應顏色的框中輸入數字可以鎖定對應oto參數。"),
        QStringLiteral("在搜索框中按回車可以按要求篩選條目。"),
        QStringLiteral("正確選擇編碼設置以正確顯示、處理中文與日語編碼。支持utf-8。"),
        QStringLiteral("按方向鍵可左右移動視野範圍、切換前後oto項。"),
    }.join(QStringLiteral("\r\n"));
}

QString playButtonTip()
{
    return QStringList{
        QStringLiteral("Play sound"),
        QStringLiteral("Space plays the whole file, Shift+Space the entry (left to right bound)."),
        QStringLiteral("Ctrl+Space plays from the preutterance to the right bound. Esc stops."),
        QStringLiteral("空格鍵播放整個文件，Shift+空格播放條目（左界至右界）。"),
        QStringLiteral("Ctrl+空格從先行發聲播放至右界。Esc停止播放。"),
    }.join(u'\n');
}

QString aboutTitle()
{
    return QStringLiteral("About Lirra v%1.%2.%3").arg(lirraVersion::kMajor).arg(lirraVersion::kMinor).arg(lirraVersion::kPatch);
}

QString aboutText()
{
    return QStringList{
        QStringLiteral("oto tool for utagoe goosei tsuuru UTAU."),
        QStringLiteral("[UTAU by Ameya/Ayame - http://utau2008.web.fc2.com/]"),
        QStringLiteral("爲歌聲合成ツールUTAU設計的原音設置工具。"),
        QStringLiteral("[UTAU作者：飴屋／菖蒲 - http://utau2008.web.fc2.com/]"),
        QString(),
        QStringLiteral("Released under the MIT License."),
        QStringLiteral("the Lirra developers"),
        QStringLiteral("E-mail: developers@lirra.example.org"),
    }.join(QStringLiteral("\r\n"));
}

QString webAddress()
{
    return QStringLiteral("https://lirra.example.org/");
}
