#pragma once

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
    // Reads folder/file as the editor does; false (after the message) when
    // it cannot be read.
    bool open(const QString &folder, const QString &file = OtoDocument::kOtoIni);

    ConsoleDialogs dialogs;
    clsSett sett;
    modLocale locale;
    OtoDocument doc;
};

// The first entry line that the document's write encoding cannot hold, so
// that a command refuses before it turns characters into "?".
std::optional<QString> firstUnwritableLine(const CliSession &session);

// What a command that writes refuses, with a message, before anything is
// written: a save that would drop the file at path's bad lines, and one
// that would turn characters into "?".
bool refusesBadLines(const CliSession &session, const QString &path);
bool refusesUnwritable(const CliSession &session);
