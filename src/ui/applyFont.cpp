#include "ui/applyFont.h"

#include "oto/modLocale.h"

#include <QFont>
#include <QVariant>
#include <QWidget>

namespace {

QString languageFallback(int charsetIndex)
{
    switch (charsetIndex) {
    case 0: return QStringLiteral("Noto Sans CJK JP");
    case 1: return QStringLiteral("Noto Sans CJK SC");
    case 2: return QStringLiteral("Noto Sans CJK TC");
    default: return QStringLiteral("Noto Sans CJK JP");
    }
}

}  // namespace

void applyFont(QWidget *control, int charsetIndex, const modLocale &locale)
{
    QFont font = control->font();
    font.setFamilies({locale.charsets().value(charsetIndex).font, languageFallback(charsetIndex)});
    font.setPointSize(charsetIndex == 3 ? 8 : 9);
    control->setFont(font);
    control->setProperty("fontCharset", locale.charsets().value(charsetIndex).charset);
}
