#pragma once

#include "cli/CommandLine.h"
#include "cli/ConsoleDialogs.h"
#include "core/clsSett.h"
#include "oto/modLocale.h"
#include "oto/OtoDocument.h"

#include <optional>

// What every lirra-oto command shares: the editor's document with its
// settings and charset table, messages on standard error, and the checks
// the commands make before writing.

constexpr int kCliFailed = 2;

void printErr(const QString &text);

struct CliSession {
    explicit CliSession(int charset);
    // Reads folder/file as the editor does, every file of a singer or the
    // one of subfolder only; false (after the message) when one cannot be
    // read.
    bool open(const QString &folder, const QString &file = OtoDocument::kOtoIni,
              const std::optional<QString> &only = std::nullopt);
    // open() with the command's --folder.
    bool open(const CliArgs &args, const QString &folder);

    ConsoleDialogs dialogs;
    clsSett sett;
    modLocale locale;
    OtoDocument doc;
};

// The first entry line that the document's write encoding cannot hold, so
// that a command refuses before it turns characters into "?".
std::optional<QString> firstUnwritableLine(const CliSession &session);

// Every entry's line (clsOto::pathLineStr), UTF-8, one a line, to standard output.
void printEntries(const OtoEntries &entries);
// The file of a document as the command line names it: "A3/oto.ini".
QString fileLabel(const OtoFile &file);
// What a command that writes refuses, with a message, before anything is
// written: a save that would turn characters into "?". (Bad lines are no
// reason: a save writes them back where they were.)
bool refusesUnwritable(const CliSession &session);
