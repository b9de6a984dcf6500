#include "app/StartArguments.h"

#include "oto/OtoDocument.h"
#include "ui/modFolderChooser.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

void describeArguments(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral("Lirra, the editor of an UTAU voicebank's oto.ini."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FOLDER"),
                                 QStringLiteral("The voicebank folder (holding oto.ini) to open at start."),
                                 QStringLiteral("[FOLDER]"));
}

std::optional<QString> folderArgument(const QCommandLineParser &parser)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty() || positional.first().isEmpty())
        return std::nullopt;
    return QDir::cleanPath(QFileInfo(positional.first()).absoluteFilePath());
}

void openAtStart(OtoDocument &doc, const QString &folder, clsSett &sett, Dialogs &dialogs)
{
    // Nothing is unsaved at start, so the save question of File, Open is
    // never asked; the chooser's own check decides as it would there.
    doc.open([&] { return acceptFolder(folder, sett, dialogs); });
}
