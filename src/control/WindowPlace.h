#pragma once

#include <QByteArray>
#include <QString>

class QSettings;

// Where the window stood, kept in lirra.ini's [window] group: its geometry
// as Qt saves it and the width of the entry list in twips (0: not yet set).
struct WindowPlace {
    QByteArray geometry;
    int listWidth = 0;

    static WindowPlace read(const QSettings &s);
    void write(const QString &iniPath) const;
};
