#pragma once

#include <QString>

class Dialogs;

// The user's five settings, kept in sett.ini beside the program: one line a
// value, in field order. One instance lives for the whole run.
class clsSett {
public:
    // iniPath is where sett.ini lives; the program passes appPath("sett.ini").
    explicit clsSett(QString iniPath);

    qint32 settlocDisp = 1;    // display charset index (core/CharsetTable.h)
    qint32 settlocFile = 0;    // file charset index
    QString settRecentPath;    // last folder opened with the folder chooser
    double settPrmRound = 1;   // rounding step for parameters, ms
    qint16 settFilenameBad = 1;  // on-disk name rule: 0 off; the menu stores -1 for on, the default is 1

    // Whether the "Bad filenames?" rule is on, whichever non-zero value
    // holds it.
    bool filenameRuleOn() const { return settFilenameBad != 0; }

    // Loads sett.ini; any failure or invalid value gives all the defaults.
    void inpSett();
    void loadDflt();
    bool isSettValid() const;
    // Writes sett.ini; a failure is shown through dialogs. Returns success.
    bool oupsett(Dialogs &dialogs) const;
    // Where sett.ini is kept; other settings files go beside it.
    const QString &iniPath() const { return path_; }

private:
    bool readAll();
    QString path_;
};
