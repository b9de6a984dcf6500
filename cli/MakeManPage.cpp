// lirra-make-man FILE: writes the manual page of lirra-oto, generated at
// build time from its command table.

#include "cli/Commands.h"
#include "cli/ManPage.h"
#include "core/AtomicFile.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: lirra-make-man FILE\n", stderr);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    if (const std::optional<QString> error = writeFileAtomically(path, manPage(otoCommands()).toUtf8())) {
        std::fprintf(stderr, "lirra-make-man: %s\n", error->toLocal8Bit().constData());
        return 2;
    }
    return 0;
}
