#include "cli/ManPage.h"

#include "core/Version.h"

namespace {

QString bold(const QString &text)
{
    return QStringLiteral("\\fB") + roffText(text) + QStringLiteral("\\fR");
}

QString italic(const QString &text)
{
    return QStringLiteral("\\fI") + roffText(text) + QStringLiteral("\\fR");
}

// FOLDER in italics, [COMBINATIONS] with its brackets upright.
QString argumentWord(const QString &argument)
{
    if (argument.startsWith(u'[') && argument.endsWith(u']'))
        return u'[' + italic(argument.mid(1, argument.size() - 2)) + u']';
    return italic(argument);
}

QString optionWord(const QCommandLineOption &option)
{
    QString text = bold(QStringLiteral("--") + option.names().constLast());
    if (!option.valueName().isEmpty())
        text += u' ' + italic(option.valueName());
    return text;
}

QString synopsisLine(const CliCommand &command)
{
    QStringList words{bold(QStringLiteral("lirra-oto ") + command.name)};
    for (const QString &argument : command.arguments)
        words << argumentWord(argument);
    for (const QCommandLineOption &option : command.options)
        words << u'[' + optionWord(option) + u']';
    return words.join(u' ');
}

QString commandSection(const CliCommand &command)
{
    QString text = QStringLiteral(".SS ") + roffText(command.name) + u'\n' + synopsisLine(command)
                   + QStringLiteral("\n.PP\n") + roffText(command.summary) + u'\n';
    for (const QCommandLineOption &option : command.options)
        text += QStringLiteral(".TP\n") + optionWord(option) + u'\n' + roffText(option.description()) + u'\n';
    text += QStringLiteral(".TP\n") + bold(QStringLiteral("--help")) + QStringLiteral("\nShow the command's help.\n");
    return text;
}

}  // namespace

QString roffText(const QString &text)
{
    QString out = text;
    out.replace(u'\\', QStringLiteral("\\e"));
    out.replace(u'-', QStringLiteral("\\-"));
    QStringList lines = out.split(u'\n');
    for (QString &line : lines)
        if (line.startsWith(u'.') || line.startsWith(u'\''))
            line.prepend(QStringLiteral("\\&"));
    return lines.join(u'\n');
}

QString manPage(const QList<CliCommand> &commands)
{
    // No hyphenation: option words and before=after rules must stay whole.
    QString page = QStringLiteral(".TH LIRRA\\-OTO 1 \"\" \"Lirra %1\" \"User Commands\"\n.nh\n")
                       .arg(QString::fromLatin1(lirraVersion::kText));
    page += QStringLiteral(".SH NAME\n"
                           "lirra\\-oto \\- list, check and rewrite the oto.ini of an UTAU voicebank\n"
                           ".SH SYNOPSIS\n");
    for (const CliCommand &command : commands)
        page += synopsisLine(command) + QStringLiteral("\n.br\n");
    page += bold(QStringLiteral("lirra-oto --help")) + QStringLiteral("\n.br\n")
            + bold(QStringLiteral("lirra-oto --version")) + u'\n';

    page += QStringLiteral(
        ".SH DESCRIPTION\n"
        ".B lirra\\-oto\n"
        "works on the\n"
        ".I oto.ini\n"
        "of a voicebank folder, the table that names each sample's wave file, its alias and five timing "
        "parameters.\n"
        "It reads the file exactly as the editor,\n"
        ".BR lirra (1),\n"
        "does, for voicebank makers who keep their banks in version control and for scripted checks.\n"
        "Commands that rewrite the file write it whole or not at all, and refuse when it changed on disk "
        "since it was read.\n"
        ".SH COMMANDS\n");
    for (const CliCommand &command : commands)
        page += commandSection(command);

    page += QStringLiteral(".SH CHARSETS\n"
                           "Where a command takes a file charset\n"
                           ".IR N :\n")
            + roffText(charsetChoices())
            + QStringLiteral(".\n"
                             "The code page numbers work too.\n"
                             "A file whose first line is\n"
                             ".B #CHARSET:UTF8\n"
                             "or that starts with a byte\\-order mark is read as UTF\\-8 whatever\n"
                             ".I N\n"
                             "says.\n"
                             ".SH EXIT STATUS\n"
                             ".TP\n.B 0\nSuccess.\n"
                             ".TP\n.B 1\nProblems found: \\fBcheck\\fR found some in the waves, or the script of \\fBrun\\fR failed.\n"
                             ".TP\n.B 2\n"
                             "The file could not be read or written, or the command line was wrong.\n"
                             ".SH EXAMPLES\n"
                             ".nf\n"
                             "lirra\\-oto list ~/voice/tan\n"
                             "lirra\\-oto convert ~/voice/tan \\-\\-to utf8\n"
                             "lirra\\-oto check ~/voice/tan \\-\\-no\\-bad\\-names\n"
                             "lirra\\-oto replace ~/voice/tan \\(aq\\- =\\(aq\n"
                             ".fi\n"
                             ".SH SEE ALSO\n"
                             ".BR lirra (1)\n");
    return page;
}
