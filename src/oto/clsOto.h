#pragma once

#include <QString>

// One line of oto.ini: the wave file, its alias and five timing parameters in
// milliseconds. prmFX, prmPR and prmOV are offsets from prmLF; prmRT >= 0 is
// the distance back from the end of the wave, prmRT < 0 minus the length of
// the used stretch measured from prmLF.
class clsOto {
public:
    QString FIL;
    QString ALS;
    double prmLF = 0;
    double prmFX = 0;
    double prmRT = 0;
    double prmPR = 0;
    double prmOV = 0;

    void cpy(const clsOto &src);
    // The entry list row: alias, TAB, file name.
    QString dispStr() const;
    // The oto.ini line, without a line end.
    QString fileStr() const;
    // The same line appended to out, for writing many lines at once.
    void appendFileStr(QString &out) const;
    // Repairs the parameters against a wave of lengthMs; true when the entry
    // then has a usable stretch. Repairs made before a false result stay.
    bool tryToFix(double lengthMs);
    // Rounds the five parameters to the step (settPrmRound).
    void truncPrm(double step);

private:
    static double roundTo(double value, double step);
};
