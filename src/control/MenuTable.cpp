#include "control/MenuTable.h"

#include "control/MainController.h"

const QList<MenuItem> &menuTable()
{
    using C = MainController;
    using enum MenuKind;
    using N = Needs;
    // clang-format off
    static const QList<MenuItem> table = {
    //   kind       name                  in              caption                                        keys                      enabled when   handler                     checked
        {Menu,      "mnuFile",            nullptr,        "&File - 文件",                                  "",                       N::Nothing,    nullptr,                    nullptr},
        {Item,      "mnuOpen",            "mnuFile",      "&Open... - 打開oto",                            "Ctrl+O",                 N::Nothing,    &C::open,                   nullptr},
        {Recent,    "mnuOpenRecent",      "mnuFile",      "Open Recent - 最近",                            "",                       N::Nothing,    nullptr,                    nullptr},
        {Item,      "mnuReload",          "mnuFile",      "&Reload - 重新讀取文件",                         "Ctrl+R",                 N::OpenBank,   &C::reload,                 nullptr},
        {Item,      "mnuSave",            "mnuFile",      "&Save - 保存oto",                               "Ctrl+S",                 N::OpenBank,   &C::save,                   nullptr},
        {Item,      "mnuSaveAs",          "mnuFile",      "Save &As... - 另存為",                           "Ctrl+Shift+S",           N::OpenBank,   &C::saveAs,                 nullptr},
        {Separator, "mnu0",               "mnuFile",      "",                                              "",                       N::Nothing,    nullptr,                    nullptr},
        {Hidden,    "mnuLoadB",           "mnuFile",      "",                                              "",                       N::Nothing,    nullptr,                    nullptr},
        {Hidden,    "mnuSaveB",           "mnuFile",      "",                                              "",                       N::Nothing,    nullptr,                    nullptr},
        {Hidden,    "mnu2",               "mnuFile",      "",                                              "",                       N::Nothing,    nullptr,                    nullptr},
        {Item,      "mnuLoadBkp",         "mnuFile",      "&Load Backup - 讀取備份版 (oto-bkp.ini)",        "Ctrl+L",                 N::OpenBank,   &C::loadBackup,             nullptr},
        {Item,      "mnuSaveBkp",         "mnuFile",      "Save &Backup - 保存到備份版",                    "Ctrl+B",                 N::OpenBank,   &C::saveBackup,             nullptr},
        {Separator, "mnu1",               "mnuFile",      "",                                              "",                       N::Nothing,    nullptr,                    nullptr},
        {Item,      "mnuQuit",            "mnuFile",      "&Quit - 滾！",                                   "",                       N::Nothing,    &C::quit,                   nullptr},

        {Menu,      "mnuEdit",            nullptr,        "&Edit - 編輯",                                   "",                       N::Nothing,    nullptr,                    nullptr},
        {Item,      "mnuOtoDup",          "mnuEdit",      "&Duplicate - 複製",                              "Shift+Ins",              N::Selection,  &C::duplicate,              nullptr},
        {Item,      "mnuOtoDel",          "mnuEdit",      "&Remove - 刪除",                                 "Shift+Del",              N::Selection,  &C::remove,                 nullptr},
        {Separator, "mnuEdit0",           "mnuEdit",      "",                                              "",                       N::Nothing,    nullptr,                    nullptr},
        {Item,      "mnuUndo",            "mnuEdit",      "Undo - 撤銷",                                    "Ctrl+Z",                 N::CanUndo,    &C::undo,                   nullptr},
        {Item,      "mnuRedo",            "mnuEdit",      "Redo - 重做",                                    "Ctrl+Y; Ctrl+Shift+Z",   N::CanRedo,    &C::redo,                   nullptr},
        {Separator, "mnuEdit1",           "mnuEdit",      "",                                              "",                       N::Nothing,    nullptr,                    nullptr},
        {Item,      "mnuSamePrev",        "mnuEdit",      "Same alias, previous folder - 上一文件夾的同名條目",   "Ctrl+PgUp",              N::Singer,     &C::samePrevious,           nullptr},
        {Item,      "mnuSameNext",        "mnuEdit",      "Same alias, next folder - 下一文件夾的同名條目",       "Ctrl+PgDown",            N::Singer,     &C::sameNext,               nullptr},
        {Item,      "mnuSameCopy",        "mnuEdit",      "Copy to other folders... - 複製參數到其他文件夾",      "",                       N::Singer,     &C::copyToFolders,          nullptr},
        {Item,      "mnuPrefixMap",       "mnuEdit",      "prefix.map... - 編輯音階前後綴",                  "",                       N::OpenBank,   &C::editPrefixMap,          nullptr},
        {Separator, "mnuEdit2",           "mnuEdit",      "",                                              "",                       N::Nothing,    nullptr,                    nullptr},
        {Item,      "mnuNextFlagged",     "mnuEdit",      "Next Flagged - 下一個待查條目",                   "F4",                     N::Flagged,    &C::nextFlagged,            nullptr},
        {Item,      "mnuClearFlag",       "mnuEdit",      "Clear Flag - 清除標記",                           "Shift+F4",               N::Flagged,    &C::clearFlag,              nullptr},

        {Menu,      "mnuSett",            nullptr,        "&Settings - 設定",                               "",                       N::Nothing,    nullptr,                    nullptr},
        {Item,      "mnuLocFile",         "mnuSett",      "&File charset... - 文件編碼設定",                 "Ctrl+E",                 N::Nothing,    &C::fileCharset,            nullptr},
        {Item,      "mnuLocDisp",         "mnuSett",      "&UI charset... - 顯示編碼設定",                   "",                       N::Nothing,    &C::displayCharset,         nullptr},
        {Item,      "mnuFix",             "mnuSett",      "&Parameter fixing... - 數字取整設定",              "",                       N::Nothing,    &C::roundingStep,           nullptr},
        {Separator, "mnuSett0",           "mnuSett",      "",                                              "",                       N::Nothing,    nullptr,                    nullptr},
        {Toggle,    "mnuSettFilenameBad", "mnuSett",      "&Bad filenames? - 若文件名亦亂碼，選之",           "",                       N::Nothing,    &C::toggleFilenameRule,     &C::filenameRuleOn},
        {Toggle,    "mnuSettSpectrogram", "mnuSett",      "&Spectrogram - 頻譜圖",                           "",                       N::Nothing,    &C::toggleSpectrogram,      &C::spectrogramOn},
        {Toggle,    "mnuSettCurves",      "mnuSett",      "&Analysis curves - 分析曲線",                     "",                       N::Nothing,    &C::toggleCurves,           &C::curvesOn},
        {Toggle,    "mnuSettPitch",       "mnuSett",      "&Pitch curve - 音高曲線",                         "",                       N::Nothing,    &C::togglePitch,            &C::pitchOn},
        {Toggle,    "mnuSettLoudness",    "mnuSett",      "&Loudness curve - 響度曲線",                      "",                       N::Nothing,    &C::toggleLoudness,         &C::loudnessOn},

        {Menu,      "mnuListen",          nullptr,        "&Listen - 試聽",                                 "",                       N::Nothing,    nullptr,                    nullptr},
        {Item,      "mnuListenNote",      "mnuListen",    "Sing &Note - 單音試唱",                           "F5",                     N::Selection,  &C::listenNote,             nullptr},
        {Item,      "mnuListenPhrase",    "mnuListen",    "Sing in &Phrase - 連句試唱",                      "F6",                     N::Selection,  &C::listenPhrase,           nullptr},
        {Separator, "mnuListen0",         "mnuListen",    "",                                              "",                       N::Nothing,    nullptr,                    nullptr},
        {Item,      "mnuListenSett",      "mnuListen",    "Listen &Settings... - 試聽設定",                   "",                       N::Nothing,    &C::listenSettings,         nullptr},

        {Menu,      "mnuHelp",            nullptr,        "&Help - 幫助",                                   "",                       N::Nothing,    nullptr,                    nullptr},
        {Item,      "mnuTips",            "mnuHelp",      "&Tips && hints... - 使用技巧提示",                 "F1",                     N::Nothing,    &C::tips,                   nullptr},
        {Item,      "mnuAbout",           "mnuHelp",      "&About... - 關於",                               "",                       N::Nothing,    &C::about,                  nullptr},
        {Item,      "mnuOnline",          "mnuHelp",      "Lirra web... - 訪問Lirra主頁",                    "",                       N::Nothing,    &C::online,                 nullptr},

        {Menu,      "mnuSecret",          nullptr,        "☆",                                             "",                       N::Nothing,    nullptr,                    nullptr},
        {Menu,      "mnuSecretExpr",      "mnuSecret",    "(Experimental) - 實驗小功能",                      "",                       N::Nothing,    nullptr,                    nullptr},
        {Item,      "mnuExpSplitCmb",     "mnuSecretExpr", "Split - 別名拆分",                               "",                       N::OpenBank,   &C::split,                  nullptr},
        {Item,      "mnuExpReplace",      "mnuSecretExpr", "Replace - 別名批量替換",                          "",                       N::OpenBank,   &C::replace,                nullptr},
        {Item,      "mnuExpScript",       "mnuSecretExpr", "Scripting - 執行程序",                           "",                       N::Nothing,    &C::script,                 nullptr},
        {Item,      "mnuEstimate",        "mnuSecret",    "Estimate - 自動估算",                             "",                       N::OpenBank,   &C::estimate,               nullptr},
        {Item,      "mnuGenFrq",          "mnuSecret",    "Generate frequency files - 生成頻率檔",            "",                       N::OpenBank,   &C::generateFrq,            nullptr},
        {Item,      "mnuReport",          "mnuSecret",    "Report - 檢查",                                  "",                       N::OpenBank,   &C::report,                 nullptr},
    };
    // clang-format on
    return table;
}
