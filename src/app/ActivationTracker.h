#pragma once

#include <QObject>
#include <QPointer>

class QEvent;
class QWidget;

// Tells apart the two ways a window of the program becomes active again:
// back from another window of the program (a dialog it showed, the script
// console), or back from another program. The main window redoes its
// activation work (fonts, search hint, layout) only for the first: a user
// who looks at a browser and comes back finds the list as filtered and the
// boxes as typed.
class ActivationTracker : public QObject {
public:
    explicit ActivationTracker(QObject *parent = nullptr);

    // For a window that has just been activated: true when the window of
    // the program active before it was another one, or there was none.
    bool cameFromAnotherWindow(const QWidget *window) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> previous_;
    QPointer<QWidget> current_;
};

// The focus leaves or comes back with the whole window (another program,
// a menu): not a move between the window's own controls, which is what the
// focus handlers are about. Acting on it would rewrite a half-typed value
// behind the user's back.
bool windowWideFocusChange(const QEvent *e);
