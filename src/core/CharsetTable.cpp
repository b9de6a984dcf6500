#include "core/CharsetTable.h"

namespace {

// ICU's Windows tables follow Windows' own mapping, for instance 0x8160 in
// code page 932 is U+FF5E FULLWIDTH TILDE, not the wave dash.
constexpr CharsetRow kRows[] = {
    {u"Japanese (Shift-JIS)", 932, 128, 1041, u"MS Gothic", u"Noto Sans CJK JP", 9, "ibm-943_P15A-2003",
     u"sjis,shift-jis"},
    {u"S Chinese (GBK)", 936, 134, 2052, u"SIMSUN", u"Noto Sans CJK SC", 9, "windows-936-2000", u"gbk"},
    {u"T Chinese (BIG5)", 950, 136, 1028, u"MingLiU", u"Noto Sans CJK TC", 9, "windows-950-2000", u"big5"},
    {u"Auto", 0, 0, 0, u"Arial Unicode MS", u"Noto Sans CJK JP", 8, nullptr, u"auto"},
    {u"Western European (CP1252)", 1252, 0, 1033, u"Arial", u"Noto Sans", 9, "ibm-5348_P100-1997",
     u"cp1252,windows-1252,latin"},
    {u"Korean (CP949)", 949, 129, 1042, u"Gulim", u"Noto Sans CJK KR", 9, "windows-949-2000", u"cp949,uhc,korean"},
};

}  // namespace

namespace charsetTable {

std::span<const CharsetRow> rows()
{
    return kRows;
}

const CharsetRow *rowOfCodePage(int codePage)
{
    for (const CharsetRow &row : kRows)
        if (row.codePage == codePage)
            return &row;
    return nullptr;
}

QStringList cliNames(int index)
{
    if (!isIndex(index))
        return {};
    const CharsetRow &row = kRows[index];
    QStringList names{QString::number(index)};
    if (row.codePage != 0)
        names << QString::number(row.codePage);
    names += QString::fromUtf16(row.cliNames).split(u',');
    return names;
}

}  // namespace charsetTable
