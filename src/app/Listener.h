#pragma once

#include "control/MainView.h"
#include "render/Listen.h"

#include <QDialog>
#include <QObject>
#include <optional>

class QCheckBox;
class QLineEdit;
class QSpinBox;
class QTimer;
class frmMain;
class modLocale;
class WavePlayer;

// The Listen menu's commands: the current entry sung as a
// synthesizer places it, looped until Esc or the same key again. "Sing
// Note" sings it on its own at its folder's note (or the chosen one) for
// the chosen length; "Sing Phrase" sings it a beat after the entry its alias
// follows, on a metronome. An edit of either entry, or another entry
// selected, while it loops sings anew at once, in time with the loop. The
// sound goes through the window's player, the cursor over its views.
class Listener : public QObject {
    Q_OBJECT
public:
    enum class Mode { Off, Note, Phrase };

    // The menu itself is rows of the window's menu table; its handlers
    // reach this through the controller and the window's listen().
    Listener(frmMain &window, WavePlayer &player, const modLocale &locale);

    void run(Listening what);

    // F5, F6: start that loop, or stop it when it is the one playing.
    void mnuListenNote_Click();
    void mnuListenPhrase_Click();
    void mnuListenSett_Click();

    Mode mode() const { return mode_; }
    // What is looping (or last looped), the pitch it is sung at, and the
    // entry sung before the current one (-1 for none).
    const render::LoopSound &sound() const { return sound_; }
    double noteHz() const { return hz_; }
    int precedingIndex() const { return before_; }
    render::ListenSettings &settings() { return settings_; }

    // The settings dialog, so that tests can fill it in; exec() runs it.
    std::function<bool(render::ListenSettings &)> askSettings;

private:
    void start(Mode mode);
    // Renders the sound of the mode for the current entry and loops it (in
    // place of the one looping).
    bool sing();
    void stop();
    void follow();
    // The samples of an entry's recording; the last one read is kept while
    // its file stays as it was, so that every edit does not read it again.
    std::optional<QList<qint16>> waveOf(const clsOto &entry);

    frmMain &window_;
    WavePlayer &player_;
    const modLocale &locale_;
    render::ListenSettings settings_;
    Mode mode_ = Mode::Off;
    render::LoopSound sound_;
    double hz_ = 0;
    int sungIndex_ = -1;
    int before_ = -1;
    quint64 soundNumber_ = 0;
    QTimer *cursorTimer_ = nullptr;
    struct HeldWave {
        QString key;  // the file's path, size and time of change
        QList<qint16> samples;
    };
    HeldWave heldWave_;
};

// The Listen settings: the note for a folder that names none (or for every
// folder), the note's length and the phrase's tempo.
class ListenDialog : public QDialog {
    Q_OBJECT
public:
    ListenDialog(const render::ListenSettings &settings, QWidget *parent);
    // The settings as filled in; nullopt while the note is no note.
    std::optional<render::ListenSettings> settings() const;

private:
    QLineEdit *note_;
    QCheckBox *always_;
    QSpinBox *length_;
    QSpinBox *tempo_;
};
