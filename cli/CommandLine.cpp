#include "cli/CommandLine.h"

#include "cli/CliSession.h"
#include "core/CharsetTable.h"
#include "core/Version.h"

#include <QHash>
#include <algorithm>
#include <cstdio>

namespace {

void printOut(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stdout);
}

bool isOptional(const QString &argument)
{
    return argument.startsWith(u'[');
}

QString optionSyntax(const QCommandLineOption &option)
{
    QString text = QStringLiteral("--") + option.names().constLast();
    if (!option.valueName().isEmpty())
        text += u' ' + option.valueName();
    return text;
}

QString commandHelp(const CliCommand &command)
{
    QString text = QStringLiteral("usage: ") + usageLine(command) + QStringLiteral("\n\n") + command.summary
                   + QStringLiteral("\n");
    if (!command.options.isEmpty())
        text += QStringLiteral("\noptions:\n");
    for (const QCommandLineOption &option : command.options)
        text += QStringLiteral("  %1\n      %2\n").arg(optionSyntax(option), option.description());
    text += QStringLiteral("  --help\n      Show this help.\n");
    return text;
}

QString programHelp(const QList<CliCommand> &commands)
{
    QString text = QStringLiteral("usage:\n");
    for (const CliCommand &c : commands)
        text += QStringLiteral("  ") + usageLine(c) + u'\n';
    text += QStringLiteral("  lirra-oto --version\n\n");
    for (const CliCommand &c : commands)
        text += QStringLiteral("%1\n    %2\n").arg(c.name, c.summary);
    text += QStringLiteral("\nN is a file charset: ") + charsetChoices()
            + QStringLiteral(".\nA file whose first line is #CHARSET:UTF8 or that starts with a byte-order mark\n"
                             "is read as UTF-8 whatever N says. lirra-oto COMMAND --help tells more.\n");
    return text;
}

int usageError(const QString &problem, const QString &usage)
{
    printErr(QStringLiteral("lirra-oto: ") + problem);
    printErr(QStringLiteral("usage: ") + usage);
    return kCliFailed;
}

}  // namespace

QCommandLineOption charsetOption()
{
    return QCommandLineOption(QStringLiteral("charset"),
                              QStringLiteral("The file charset oto.ini is read and written in: ") + charsetChoices()
                                  + QStringLiteral(". Default 0."),
                              QStringLiteral("N"), QStringLiteral("0"));
}

QCommandLineOption folderOption()
{
    return QCommandLineOption(QStringLiteral("folder"),
                              QStringLiteral("Only the oto.ini of this subfolder of the singer (A3, Power/soft), not "
                                             "every oto.ini under FOLDER."),
                              QStringLiteral("SUB"));
}

QString charsetChoices()
{
    QStringList choices;
    for (int index = 0; index < charsetTable::count(); ++index) {
        const QStringList names = charsetTable::cliNames(index);
        const QString alias = names.value(1) == QString::number(charsetTable::rows()[index].codePage)
                                  ? names.value(2) : names.value(1);
        const CharsetRow &row = charsetTable::rows()[index];
        const QString codePage = row.codePage == 0 ? QString() : QStringLiteral(", %1").arg(row.codePage);
        choices << QStringLiteral("%1 or %2 (%3%4)").arg(names[0], alias, QString::fromUtf16(row.name), codePage);
    }
    return choices.join(QStringLiteral(", "));
}

std::optional<int> charsetIndex(const QString &text)
{
    for (int index = 0; index < charsetTable::count(); ++index)
        if (charsetTable::cliNames(index).contains(text.trimmed(), Qt::CaseInsensitive))
            return index;
    return std::nullopt;
}

QString usageLine(const CliCommand &command)
{
    QStringList words{QStringLiteral("lirra-oto"), command.name};
    words += command.arguments;
    for (const QCommandLineOption &option : command.options)
        words << u'[' + optionSyntax(option) + u']';
    return words.join(u' ');
}

namespace {

// QCommandLineParser reads every word that starts with '-' as options: an
// English head such as "- ay" would be the options ' ', a and y. No option
// has a space in its name, so such a word is held aside under a stand-in
// that cannot be an option, unless it is the value of the option before it.
struct HeldWords {
    QStringList words;             // for the parser
    QHash<QString, QString> held;  // stand-in -> the word
    QString restore(const QString &word) const { return held.value(word, word); }
};

HeldWords holdDashedWords(const QStringList &words, const QList<QCommandLineOption> &options)
{
    const auto takesValue = [&](const QString &word) {
        QString name = word;
        while (name.startsWith(u'-'))
            name.remove(0, 1);
        return word.startsWith(u'-') && !word.contains(u'=')
               && std::any_of(options.begin(), options.end(),
                              [&](const QCommandLineOption &o) { return !o.valueName().isEmpty() && o.names().contains(name); });
    };
    HeldWords out;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &word = words[i];
        if (word.startsWith(u'-') && word.contains(u' ') && !(i > 0 && takesValue(words[i - 1]))) {
            const QString standIn = QStringLiteral("\x01word%1").arg(i);
            out.held.insert(standIn, word);
            out.words << standIn;
        } else {
            out.words << word;
        }
    }
    return out;
}

}  // namespace

int runCommandLine(const QList<CliCommand> &commands, const QStringList &args)
{
    const QString first = args.value(0);
    if (first == QStringLiteral("--help") || first == QStringLiteral("-h") || first == QStringLiteral("help")) {
        printOut(programHelp(commands));
        return 0;
    }
    if (first == QStringLiteral("--version")) {
        printOut(QStringLiteral("lirra-oto %1\n").arg(QString::fromLatin1(lirraVersion::kText)));
        return 0;
    }
    const auto command = std::find_if(commands.begin(), commands.end(), [&](const CliCommand &c) { return c.name == first; });
    if (command == commands.end()) {
        if (!first.isEmpty())
            printErr(QStringLiteral("lirra-oto: unknown command '%1'").arg(first));
        std::fputs(programHelp(commands).toUtf8().constData(), stderr);
        return kCliFailed;
    }

    QCommandLineParser parser;
    parser.addOptions(command->options);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help);
    const QString usage = usageLine(*command);
    const HeldWords words = holdDashedWords(args.mid(1), command->options);
    if (!parser.parse(QStringList{QStringLiteral("lirra-oto")} + words.words))
        return usageError(parser.errorText(), usage);
    if (parser.isSet(help)) {
        printOut(commandHelp(*command));
        return 0;
    }

    QStringList positional;
    for (const QString &word : parser.positionalArguments())
        positional << words.restore(word);
    const qsizetype required = std::count_if(command->arguments.begin(), command->arguments.end(),
                                             [](const QString &a) { return !isOptional(a); });
    if (positional.size() < required)
        return usageError(QStringLiteral("missing %1").arg(command->arguments[positional.size()]), usage);
    const bool repeats = !command->arguments.isEmpty() && command->arguments.last().contains(QStringLiteral("..."));
    if (positional.size() > command->arguments.size() && !repeats)
        return usageError(QStringLiteral("unexpected argument '%1'").arg(positional[command->arguments.size()]), usage);

    int charset = 0;
    if (parser.optionNames().contains(QStringLiteral("charset"))) {
        const std::optional<int> index = charsetIndex(parser.value(QStringLiteral("charset")));
        if (!index)
            return usageError(QStringLiteral("--charset takes %1, not '%2'")
                                  .arg(charsetChoices(), parser.value(QStringLiteral("charset"))),
                              usage);
        charset = *index;
    }
    return command->run(CliArgs(parser, positional, charset));
}
