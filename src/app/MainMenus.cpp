#include "app/MainMenus.h"

#include "control/MainController.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

MainMenus::MainMenus(QMenuBar &bar, MainController &controller) : QObject(&bar), controller_(controller)
{
    QHash<QByteArray, QMenu *> byName;
    for (const MenuItem &item : menuTable()) {
        QMenu *in = item.parent ? byName.value(item.parent) : nullptr;
        if (item.kind == MenuKind::Menu || item.kind == MenuKind::Recent) {
            QMenu *menu = in ? in->addMenu(item.captionText()) : bar.addMenu(item.captionText());
            menu->setObjectName(QString::fromLatin1(item.name));
            menu->menuAction()->setObjectName(QString::fromLatin1(item.name) + QStringLiteral("Item"));
            byName.insert(item.name, menu);
            menus_.append({&item, menu});
            if (item.kind == MenuKind::Recent)
                connect(menu, &QMenu::aboutToShow, this, [this, menu] { fillRecent(menu); });
            continue;
        }
        QAction *action = item.kind == MenuKind::Separator ? in->addSeparator() : in->addAction(item.captionText());
        action->setObjectName(QString::fromLatin1(item.name));
        action->setVisible(item.kind != MenuKind::Hidden);
        action->setCheckable(item.kind == MenuKind::Toggle);
        action->setShortcuts(QKeySequence::listFromString(QString::fromLatin1(item.keys)));
        keys_ << action->shortcuts();
        if (item.handler)
            connect(action, &QAction::triggered, this, [this, &item] { controller_.run(item); });
        actions_.append({&item, action});
    }
    connect(&controller_, &MainController::menuStateChanged, this, &MainMenus::refresh);
    refresh();
}

void MainMenus::refresh()
{
    for (const auto &[item, action] : std::as_const(actions_)) {
        action->setEnabled(controller_.isEnabled(*item));
        if (item->kind == MenuKind::Toggle)
            action->setChecked(controller_.isChecked(*item));
    }
}

void MainMenus::setCaptions()
{
    for (const auto &[item, menu] : std::as_const(menus_))
        menu->setTitle(item->captionText());
    for (const auto &[item, action] : std::as_const(actions_))
        action->setText(item->captionText());
}

QAction *MainMenus::action(const char *name) const
{
    for (const auto &[item, action] : actions_)
        if (qstrcmp(item->name, name) == 0)
            return action;
    return nullptr;
}

bool MainMenus::isShortcut(const QKeyEvent *key) const
{
    const QKeySequence pressed(key->keyCombination());
    return std::any_of(keys_.begin(), keys_.end(), [&](const QKeySequence &k) { return k == pressed; });
}

void MainMenus::fillRecent(QMenu *menu)
{
    menu->clear();
    for (const RecentBanks::Bank &bank : controller_.recentBanks().banks()) {
        QAction *a = menu->addAction(QDir::toNativeSeparators(bank.folder));
        // A bank that is gone stays listed, greyed, until ten newer ones push it out.
        a->setEnabled(QFileInfo(QDir(bank.folder).filePath(OtoDocument::kOtoIni)).isFile());
        connect(a, &QAction::triggered, this, [this, folder = bank.folder] { controller_.openFolder(folder); });
    }
    if (menu->isEmpty())
        menu->addAction(QStringLiteral("-"))->setEnabled(false);
}
