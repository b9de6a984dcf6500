#pragma once

#include <QString>

// The Help menu's texts.

struct ProgramVersion {
    int major = 0, minor = 2, revision = 1;
};

QString tipsTitle();
QString tipsText();
QString aboutTitle(const ProgramVersion &version = {});
QString aboutText();
// The project's home page, opened by the Help menu.
QString webAddress();
