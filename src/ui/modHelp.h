#pragma once

#include <QString>

// The Help menu's texts.

QString tipsTitle();
QString tipsText();
// The play button's tooltip: its name and, in the tips' style, the keys
// that play and stop.
QString playButtonTip();
// "About Lirra v" and the program's version.
QString aboutTitle();
QString aboutText();
// The project's home page, opened by the Help menu.
QString webAddress();
