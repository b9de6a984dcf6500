// Lirra's start: settings, the main window, and the event loop until the
// window closes.

#include "QtDialogs.h"
#include "clsSett.h"
#include "frmMain.h"
#include "modLocale.h"
#include "modUtils.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lirra"));
    QApplication::setApplicationVersion(QStringLiteral("0.2.1"));

    clsSett sett(settingsFilePath());
    sett.inpSett();

    QtDialogs dialogs;
    modLocale locale(sett, dialogs);
    frmMain window(sett, locale, dialogs);
    dialogs.setParent(&window);
    QObject::connect(&window, &frmMain::programEnd, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    window.aplSett();
    window.show();
    return app.exec();
}
