#pragma once

#include <QStyledItemDelegate>

// Draws a row of the entry list as two columns, the alias and the file name,
// with the alias's leading and trailing spaces shaded so that they can be
// seen, and a flagged entry with a warning mark (its reason is the row's
// tooltip).
class EntryListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The alias column's width in pixels (the widest alias shown).
    void setAliasWidth(int px) { aliasWidth_ = px; }
    // The width that shows every row of model whole in font.
    static int fittingWidths(const QAbstractItemModel &model, const QFont &font, int *aliasWidth);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int aliasWidth_ = 80;
};

// The character ranges of text's leading and trailing spaces, as
// (first, count) pairs; at most two.
QList<std::pair<int, int>> edgeSpaces(const QString &text);
// Shades those spaces of text drawn from x0 on a line from top to top +
// height in font.
void shadeEdgeSpaces(QPainter &painter, const QFontMetrics &metrics, const QString &text, int x0, int top, int height);
