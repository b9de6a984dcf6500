#pragma once

#include "app/frmMain.h"
#include "core/clsSett.h"
#include "core/Dialogs.h"
#include "oto/modLocale.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace bench {

// Takes every box's default button and counts the boxes: a benchmark never
// stops for a person.
class SilentDialogs : public Dialogs {
public:
    int shown = 0;
    MsgAnswer message(const MessageRequest &r) override
    {
        ++shown;
        return r.defaultButton;
    }
    std::optional<QString> input(const QString &, const QString &, const QString &) override { return std::nullopt; }
    void beep() override {}
};

// Writes a whole file; false when it cannot.
bool writeFile(const QString &path, const QByteArray &bytes);
// A whole file, empty when it cannot be read.
QByteArray readFile(const QString &path);
// A voicebank folder scratch/name whose UTF-8 oto.ini holds `entries` lines,
// line(i) for each; empty when it cannot be written.
QString writeBank(const QString &scratch, const QString &name, int entries, const std::function<QString(int)> &line);

// The real main window, shown offscreen, with a voicebank folder opened as
// File, Open would, and its own settings file in scratch.
struct WindowSession {
    WindowSession(const QString &scratch, const QString &settName, const QString &folder);
    SilentDialogs dialogs;
    clsSett sett;
    modLocale locale;
    frmMain window;
};

}  // namespace bench
