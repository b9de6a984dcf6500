#pragma once

#include "control/MenuTable.h"

#include <QKeySequence>
#include <QList>
#include <QObject>

class MainController;
class QAction;
class QKeyEvent;
class QMenu;
class QMenuBar;

// The main window's menu bar, built from the menu table: each row becomes a
// menu or an action that runs the controller's handler, with its enabled
// and checked states read from the controller whenever they may change.
class MainMenus : public QObject {
    Q_OBJECT
public:
    MainMenus(QMenuBar &bar, MainController &controller);

    void refresh();
    // Writes the captions again (after a change of the display charset).
    void setCaptions();
    // The action of the row named name, nullptr when there is none.
    QAction *action(const char *name) const;
    // Whether key is one of the menus' shortcuts.
    bool isShortcut(const QKeyEvent *key) const;

private:
    void fillRecent(QMenu *menu);

    MainController &controller_;
    QList<std::pair<const MenuItem *, QMenu *>> menus_;
    QList<std::pair<const MenuItem *, QAction *>> actions_;
    QList<QKeySequence> keys_;
};
