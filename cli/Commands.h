#pragma once

#include "cli/CommandLine.h"

// The commands of lirra-oto, each run with its parsed words. Exit status:
// 0 success, 1 problems found (check), 2 failure or bad usage.

// The whole table, in the order the help lists them.
QList<CliCommand> otoCommands();

int checkCommand(const CliArgs &args);
int estimateCommand(const CliArgs &args);
int frqCommand(const CliArgs &args);
int renderCommand(const CliArgs &args);
int runCommand(const CliArgs &args);
int reportCommand(const CliArgs &args);
