#pragma once

#include <QString>
#include <memory>

// One line of oto.ini: the wave file, its alias and five timing parameters in
// milliseconds. prmFX, prmPR and prmOV are offsets from prmLF; prmRT >= 0 is
// the distance back from the end of the wave, prmRT < 0 minus the length of
// the used stretch measured from prmLF.
class clsOto {
public:
    clsOto() = default;
    clsOto(QString fil, QString als, double lf = 0, double fx = 0, double rt = 0, double pr = 0, double ov = 0)
        : FIL(std::move(fil)), ALS(std::move(als)), prmLF(lf), prmFX(fx), prmRT(rt), prmPR(pr), prmOV(ov)
    {
    }

    QString FIL;
    QString ALS;
    double prmLF = 0;
    double prmFX = 0;
    double prmRT = 0;
    double prmPR = 0;
    double prmOV = 0;
    // The folder of the oto.ini this entry belongs to, relative to the
    // singer's folder with "/"; empty for the singer's own oto.ini.
    QString folder;

    // Entries are equal when they hold the same file name, alias and
    // parameters; every field counts, however the line was written.
    bool operator==(const clsOto &) const = default;

    // The entry list row: alias, TAB, file name.
    QString dispStr() const;
    // The file name relative to the singer's folder: folder/FIL.
    QString pathStr() const;
    // Where the right bound falls in a wave of waveMs, from prmRT's sign
    // form; not clamped to the wave, so a checker can tell it overruns.
    double rightBoundMs(double waveMs) const { return prmRT >= 0 ? waveMs - prmRT : prmLF - prmRT; }
    // The oto.ini line, without a line end.
    QString fileStr() const;
    // The same line with the file name relative to the singer's folder
    // ("A3/0.wav=- ayA3,..."), as lists and differences show it.
    QString pathLineStr() const;
    // The same line appended to out, for writing many lines at once.
    void appendFileStr(QString &out) const;
    // Repairs the parameters against a wave of lengthMs; true when the entry
    // then has a usable stretch. Repairs made before a false result stay.
    bool tryToFix(double lengthMs);
    // Rounds the five parameters to the step (settPrmRound).
    void truncPrm(double step);

    // Keeps the oto.ini line this entry was read from, for a line that
    // formatting would write differently (numbers such as "250.0" or " 12 ",
    // a negative preutterance): while the entry still holds what was read
    // from it, that very line is written back, so a save changes the bytes
    // of edited entries only. filSize and alsSize are the lengths of its
    // file name and alias.
    void keepSourceLine(QStringView line, qsizetype filSize, qsizetype alsSize);

private:
    static double roundTo(double value, double step);
    bool holdsSourceLine() const;

    struct SourceLine {
        QString text;
        qsizetype filSize = 0, alsSize = 0;
        double values[5] = {};  // LF, FX, RT, PR, OV as read
    };
    // Shared between copies: a duplicate of an unedited entry writes the
    // same line. How a line was written is not what the entry holds, so it
    // never makes two entries unequal.
    struct KeptSource {
        std::shared_ptr<const SourceLine> line;
        bool operator==(const KeptSource &) const { return true; }
    };
    KeptSource source_;
};
