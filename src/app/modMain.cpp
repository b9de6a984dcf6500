// Lirra's start: the command line, settings, the main window with the
// folder it names, and the event loop until the window closes.

#include "app/StartArguments.h"
#include "app/frmMain.h"
#include "core/Version.h"
#include "core/clsSett.h"
#include "core/modUtils.h"
#include "core/VectorState.h"
#include "oto/modLocale.h"
#include "ui/QtDialogs.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

int main(int argc, char **argv)
{
    restartWithAvx2MemoryRoutines(argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lirra"));
    QApplication::setApplicationVersion(QString::fromLatin1(lirraVersion::kText));
    // Lets the desktop match the window to the menu entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral("io.github.lirra.Lirra"));
    QCommandLineParser parser;
    describeArguments(parser);
    parser.process(app);

    clsSett sett(settingsFilePath());
    sett.inpSett();

    QtDialogs dialogs;
    modLocale locale(sett, dialogs);
    frmMain window(sett, locale, dialogs);
    dialogs.setParent(&window);
    QObject::connect(&window, &frmMain::programEnd, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    window.aplSett();
    // Before the window shows: its first showing enables the File items the
    // open folder needs.
    if (const std::optional<QString> folder = folderArgument(parser))
        openAtStart(window.document(), *folder, sett, dialogs);
    window.show();
    // A folder of recordings with no entries yet is offered them once the
    // window is there to show the progress over.
    QTimer::singleShot(0, &window, [&window] { window.controller().offerNewBank(); });
    return app.exec();
}
