#include "app/AliasBox.h"

#include "app/EntryListDelegate.h"

#include <QPainter>

void AliasBox::paintEvent(QPaintEvent *e)
{
    QLineEdit::paintEvent(e);
    const QString shown = text();
    if (edgeSpaces(shown).isEmpty())
        return;
    // Where the text starts, scrolled or not: the cursor's place less the
    // width of the text in front of it.
    const QFontMetrics metrics(font());
    const int x0 = cursorRect().center().x() - metrics.horizontalAdvance(shown.left(cursorPosition()));
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    shadeEdgeSpaces(painter, metrics, shown, x0, cursorRect().top(), cursorRect().height());
}
