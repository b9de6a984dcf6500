#include "ui/applyFont.h"

#include "core/CharsetTable.h"
#include "oto/modLocale.h"

#include <QFont>
#include <QVariant>
#include <QWidget>

void applyFont(QWidget *control, int charsetIndex, const modLocale &locale)
{
    QFont font = control->font();
    const CharsetRow &row = charsetTable::rows()[charsetTable::isIndex(charsetIndex) ? charsetIndex : 0];
    font.setFamilies({locale.charsets().value(charsetIndex).font, QString::fromUtf16(row.fallbackFont)});
    font.setPointSize(row.fontPoints);
    control->setFont(font);
    control->setProperty("fontCharset", locale.charsets().value(charsetIndex).charset);
}
