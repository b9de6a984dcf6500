#pragma once

#include <QString>
#include <optional>

class QSettings;

// The views' own settings, kept in lirra.ini beside sett.ini (whose five
// lines keep their form), in its [view] group.
struct ViewSettings {
    bool spectrogram = false;     // the spectrogram behind the detail view's markers
    bool analysisCurves = false;  // the estimator's curves and flagged points over it
    bool pitchCurve = false;      // the F0 over the spectrogram and the trace (and the frequency file's)
    bool loudnessCurve = false;   // the loudness in dB likewise
    bool operator==(const ViewSettings &) const = default;

    // lirra.ini in the folder of the settings file settIni.
    static QString pathBeside(const QString &settIni);
    // The settings in path; a missing or unreadable file, or a value that is
    // not a truth value, gives the defaults for what it lacks.
    static ViewSettings read(const QString &path);
    static ViewSettings read(const QSettings &s);
    // Writes them into path, keeping whatever else the file holds; the
    // reason of a failure, or nothing.
    std::optional<QString> write(const QString &path) const;
};
