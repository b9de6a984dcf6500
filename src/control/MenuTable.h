#pragma once

#include <QList>
#include <QString>

class MainController;

// The main window's menus as one table: each row is a menu, an item or a
// separator with its object name, the menu it sits in, its caption (English
// and Chinese), its shortcut keys, when it can be chosen and the
// controller's handler. The window builds its menu bar from the rows in
// order and asks the controller for the enabled and checked states.

enum class MenuKind {
    Menu,       // a menu (nullptr parent: on the menu bar)
    Item,       // a command
    Toggle,     // a command with a check mark (checked says whether it is on)
    Separator,
    Hidden,     // kept for its name, never shown
    Recent,     // a menu the window fills with the recent banks when it opens
};

// When an item can be chosen.
enum class Needs {
    Nothing,
    OpenBank,   // a voicebank is open
    Selection,  // an entry is on show (an open bank, a selected row, its wave loaded)
    CanUndo,
    CanRedo,
    Flagged,    // the open bank has flagged entries
    Singer,     // an entry is on show in a singer of several folders
};

struct MenuItem {
    MenuKind kind;
    const char *name;      // the control's name, also its objectName
    const char *parent;    // the menu it sits in; nullptr: the menu bar
    const char *caption;   // UTF-8; "&" marks the access key
    const char *keys;      // portable key names, several separated by "; "
    Needs needs;
    void (MainController::*handler)();
    bool (MainController::*checked)() const;

    QString captionText() const { return QString::fromUtf8(caption); }
};

const QList<MenuItem> &menuTable();
