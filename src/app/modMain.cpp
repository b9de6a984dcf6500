// Lirra's start: settings, the main window, and the event loop until the
// window closes.

#include "app/frmMain.h"
#include "core/Version.h"
#include "core/clsSett.h"
#include "core/modUtils.h"
#include "oto/modLocale.h"
#include "ui/QtDialogs.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lirra"));
    QApplication::setApplicationVersion(QString::fromLatin1(lirraVersion::kText));

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
