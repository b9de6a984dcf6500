#pragma once

#include "script/ObjectModel.h"

#include <QPointer>
#include <QWidget>

class frmMain;
class frmScript;

// What scripts see of the two windows, on top of the document's object
// model: the controls, the entry list, and the windows' operations.

namespace script {

// A control of a window: Text (where it has one), Enabled and Visible.
// Setting Text acts as typing does, so a parameter box's change handling
// runs; settext writes without it.
class ControlObject : public HostObject {
public:
    explicit ControlObject(QWidget *widget) : widget_(widget) {}
    const HostClass &hostClass() const override;
    QWidget *widget() const;

private:
    QPointer<QWidget> widget_;
};

// env: the document's members and the main window's.
class WindowEnvObject : public EnvObject {
public:
    explicit WindowEnvObject(frmMain &window);
    const HostClass &hostClass() const override;
    frmMain &window() const { return window_; }

private:
    frmMain &window_;
};

// spt: the built-in functions and the console's own controls.
class ConsoleObject : public BuiltinsObject {
public:
    ConsoleObject(frmScript &console, BuiltinHost host);
    const HostClass &hostClass() const override;
    frmScript &console() const { return console_; }

private:
    frmScript &console_;
};

}  // namespace script
