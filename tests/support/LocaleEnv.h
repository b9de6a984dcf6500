#pragma once

#include "core/clsSett.h"
#include "oto/modLocale.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

// A temporary folder, default settings kept in it, scripted dialogs and the
// charset table: where the oto, wave and window tests start.
struct LocaleEnv {
    LocaleEnv() { locale.initLocale(); }
    TempFolder dir;
    ScriptedDialogs dialogs;
    clsSett sett{dir.file("sett.ini")};
    modLocale locale{sett, dialogs};
};
