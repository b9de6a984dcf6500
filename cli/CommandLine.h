#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>
#include <functional>
#include <optional>

// The words of one lirra-oto command after they were parsed: its positional
// arguments (optional ones may be missing) and its options.
class CliArgs {
public:
    CliArgs(const QCommandLineParser &parser, QStringList positional, int charset)
        : parser_(parser), positional_(std::move(positional)), charset_(charset)
    {
    }
    // Positional argument i, or an empty text when it was left out.
    QString arg(int i) const { return positional_.value(i); }
    bool has(int i) const { return i < positional_.size(); }
    // Every positional argument from i on.
    QStringList argsFrom(int i) const { return positional_.mid(i); }
    bool isSet(const QString &option) const { return parser_.isSet(option); }
    QString value(const QString &option) const { return parser_.value(option); }
    // The file charset index of --charset, 0 (Shift-JIS) when not given.
    int charset() const { return charset_; }

private:
    const QCommandLineParser &parser_;
    QStringList positional_;
    int charset_;
};

// One command: its name, what it does in a line, its positional arguments
// ("[NAME]" when optional, "[NAME...]" as the last for any number more), its options and what runs it. Usage lines, help
// and the checks of the words all come from this table.
struct CliCommand {
    QString name;
    QString summary;
    QStringList arguments;
    QList<QCommandLineOption> options;
    std::function<int(const CliArgs &)> run;
};

// --charset N, shared by every command that reads oto.ini.
QCommandLineOption charsetOption();
// A file charset index from its number, its code page (932, 936, 950,
// 1252, 949) or its name (sjis, gbk, big5, auto, cp1252, cp949); nullopt
// for anything else.
std::optional<int> charsetIndex(const QString &text);
// What --charset takes, for messages.
QString charsetChoices();

// The usage line of a command, as the help shows it.
QString usageLine(const CliCommand &command);

// Runs args (without the program name) against the commands: --help and
// --version of the program, COMMAND --help, bad words reported with the
// command's usage (exit status 2), else the command's own run.
int runCommandLine(const QList<CliCommand> &commands, const QStringList &args);
