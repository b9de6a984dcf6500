#include "oto/OtoFileLayout.h"

#include "oto/clsOto.h"

#include <QSet>
#include <algorithm>

void OtoFileLayout::addEntryLine(const std::shared_ptr<clsOto> &entry, End end)
{
    entryLines_.append({entry, end});
    lastEnd_ = end;
    ++endCounts_[int(end)];
}

void OtoFileLayout::addKeptLine(QStringView text, End end)
{
    kept_.append({text.toString(), end, entryLines_.size() - 1});
    lastEnd_ = end;
    ++endCounts_[int(end)];
}

OtoFileLayout::End OtoFileLayout::mostCommonEnd() const
{
    End best = End::CrLf;
    for (End e : {End::Lf, End::Cr})
        if (endCounts_[int(e)] > endCounts_[int(best)])
            best = e;
    return best;
}

QStringView OtoFileLayout::endText(End end)
{
    switch (end) {
    case End::CrLf: return u"\r\n";
    case End::Lf: return u"\n";
    case End::Cr: return u"\r";
    case End::None: break;
    }
    return {};
}

QList<OtoFileLayout::Piece> OtoFileLayout::pieces(const OtoEntries &entries) const
{
    // Which entry line each entry still present came from.
    QHash<const clsOto *, qsizetype> lineOf;
    lineOf.reserve(entryLines_.size());
    for (qsizetype i = 0; i < entryLines_.size(); ++i)
        lineOf.insert(entryLines_[i].entry.get(), i);
    QSet<const clsOto *> present;
    present.reserve(entries.size());
    for (const auto &e : entries)
        present.insert(e.get());

    // Kept lines move to the nearest earlier entry line that survives.
    QList<qsizetype> anchor(entryLines_.size());
    qsizetype lastSurviving = -1;
    for (qsizetype i = 0; i < entryLines_.size(); ++i) {
        if (present.contains(entryLines_[i].entry.get()))
            lastSurviving = i;
        anchor[i] = lastSurviving;
    }
    QHash<qsizetype, QList<const KeptLine *>> keptAfter;
    for (const KeptLine &k : kept_)
        keptAfter[k.after < 0 ? -1 : anchor[k.after]].append(&k);

    QList<Piece> pieces;
    pieces.reserve(entries.size() + kept_.size());
    const auto addKept = [&](qsizetype after) {
        const auto it = keptAfter.constFind(after);
        if (it != keptAfter.constEnd())
            for (const KeptLine *k : *it)
                pieces.append({&k->text, nullptr, k->end});
    };
    addKept(-1);
    const End newEnd = mostCommonEnd();
    for (const auto &e : entries) {
        const auto line = lineOf.constFind(e.get());
        if (line == lineOf.constEnd()) {
            pieces.append({nullptr, e.get(), newEnd});
            continue;
        }
        pieces.append({nullptr, e.get(), entryLines_[*line].end});
        addKept(*line);
    }
    return pieces;
}

QString OtoFileLayout::text(const OtoEntries &entries) const
{
    const QList<Piece> pieces = this->pieces(entries);
    const End newEnd = mostCommonEnd();
    QString out;
    out.reserve(pieces.size() * 48);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const Piece &p = pieces[i];
        if (p.kept)
            out += *p.kept;
        else
            p.entry->appendFileStr(out);
        // The last line ends as the file's last line did; a line that was
        // last and is not any more gets a line end.
        End end = i + 1 == pieces.size() ? lastEnd_ : p.end;
        if (end == End::None && i + 1 < pieces.size())
            end = newEnd;
        out += endText(end);
    }
    return out;
}

QList<int> OtoFileLayout::lineNumbers(const OtoEntries &entries) const
{
    QList<int> numbers;
    numbers.reserve(entries.size());
    if (isEmpty()) {
        // Written anew: the entries one a line, after the UTF-8 marker line.
        const int first = form.utf8Marker ? 2 : 1;
        for (qsizetype i = 0; i < entries.size(); ++i)
            numbers << first + int(i);
        return numbers;
    }
    const QList<Piece> pieces = this->pieces(entries);
    for (qsizetype i = 0; i < pieces.size(); ++i)
        if (pieces[i].entry)
            numbers << int(i) + 1;
    return numbers;
}
