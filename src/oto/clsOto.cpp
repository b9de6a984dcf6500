#include "oto/clsOto.h"

#include "core/NumberText.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

QString clsOto::dispStr() const
{
    return ALS + u'\t' + FIL;
}

QString clsOto::pathStr() const
{
    return folder.isEmpty() ? FIL : folder + u'/' + FIL;
}

QString clsOto::fileStr() const
{
    QString line;
    line.reserve(FIL.size() + ALS.size() + 48);
    appendFileStr(line);
    return line;
}

QString clsOto::pathLineStr() const
{
    return folder.isEmpty() ? fileStr() : folder + u'/' + fileStr();
}

void clsOto::keepSourceLine(QStringView line, qsizetype filSize, qsizetype alsSize)
{
    auto source = std::make_shared<SourceLine>();
    source->text = line.toString();
    source->filSize = filSize;
    source->alsSize = alsSize;
    const double values[5] = {prmLF, prmFX, prmRT, prmPR, prmOV};
    std::copy(std::begin(values), std::end(values), source->values);
    source_.line = std::move(source);
}

bool clsOto::holdsSourceLine() const
{
    if (!source_.line)
        return false;
    const SourceLine &s = *source_.line;
    const double values[5] = {prmLF, prmFX, prmRT, prmPR, prmOV};
    return std::equal(std::begin(values), std::end(values), std::begin(s.values))
           && QStringView(s.text).first(s.filSize) == FIL && QStringView(s.text).sliced(s.filSize + 1, s.alsSize) == ALS;
}

void clsOto::appendFileStr(QString &out) const
{
    if (holdsSourceLine()) {
        out += source_.line->text;
        return;
    }
    // The five numbers are ASCII: gather them first and append them at once.
    char numbers[5 * (kNumberBufferSize + 1)];
    char *p = numbers;
    for (double v : {prmLF, prmFX, prmRT, prmPR, prmOV}) {
        *p++ = ',';
        p += formatNumberTo(p, v);
    }
    out += FIL;
    out += u'=';
    out += ALS;
    out += QLatin1StringView(numbers, p - numbers);
}

double clsOto::roundTo(double value, double step)
{
    if (step == 0 || !std::isfinite(step))
        return value;
    const double units = value / step;
    if (!std::isfinite(units))
        return value;
    // nearbyint follows the current rounding mode, which is to nearest with
    // halves to the even neighbour unless someone changed it.
    const double result = std::nearbyint(units) * step;
    return std::isfinite(result) ? result : value;
}

void clsOto::truncPrm(double step)
{
    prmLF = roundTo(prmLF, step);
    prmFX = roundTo(prmFX, step);
    prmRT = roundTo(prmRT, step);
    prmPR = roundTo(prmPR, step);
    prmOV = roundTo(prmOV, step);
}

bool clsOto::tryToFix(double L)
{
    if (prmLF < 0)
        prmLF = 0;
    if (prmFX < 0)
        prmFX = 0;
    if (prmPR < 0)
        prmPR = 0;

    if (prmRT < 0) {
        if (prmLF - prmRT > L)
            prmRT = prmLF - L;
        if (prmLF - prmRT > L)
            return false;
    } else {
        if (prmRT + prmLF >= L)
            prmRT = L - prmLF;
        if (prmRT + prmLF >= L)
            return false;  // an empty stretch
    }

    if (prmOV > prmFX)
        prmOV = prmFX;
    if (prmPR > prmFX)
        prmFX = prmPR;

    if (prmRT < 0) {
        if (-prmRT > prmFX)
            return true;
        prmRT = -prmFX;
        if (prmLF + prmFX > L)
            return false;
        return prmFX > 0;
    }
    if (prmFX + prmLF + prmRT < L)
        return true;
    prmRT = L - prmLF - prmFX;
    return prmRT >= 0;
}
