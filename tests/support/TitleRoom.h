#pragma once

#include <QApplication>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionTitleBar>

// The room for the title in a title bar as the style draws one (an MDI
// window's) across a window this wide, with its icon and three buttons: a
// measure of whether a window shows its whole title that owes nothing to
// the program's own estimate.
inline int titleRoom(int windowWidth)
{
    QStyleOptionTitleBar bar;
    bar.rect = QRect(0, 0, windowWidth, QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight));
    bar.titleBarFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                        | Qt::WindowCloseButtonHint;
    return QApplication::style()->subControlRect(QStyle::CC_TitleBar, &bar, QStyle::SC_TitleBarLabel).width();
}

// The title's width as a title bar shows it, in bold.
inline int boldTitleWidth(const QString &title, QFont font)
{
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title);
}
