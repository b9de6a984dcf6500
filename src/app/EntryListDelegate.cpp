#include "app/EntryListDelegate.h"

#include "oto/OtoListModel.h"

#include <QApplication>
#include <QPainter>

namespace {

constexpr int kMargin = 3;  // pixels before each column
constexpr int kIcon = 12;

std::pair<QString, QString> columns(const QModelIndex &index)
{
    const QString text = index.data(Qt::DisplayRole).toString();
    const qsizetype tab = text.indexOf(u'\t');
    return tab < 0 ? std::pair(text, QString()) : std::pair(text.left(tab), text.mid(tab + 1));
}

}  // namespace

QList<std::pair<int, int>> edgeSpaces(const QString &text)
{
    QList<std::pair<int, int>> out;
    int lead = 0;
    while (lead < text.size() && text[lead] == u' ')
        ++lead;
    if (lead > 0)
        out.append({0, lead});
    if (lead == text.size())
        return out;
    int trail = 0;
    while (trail < text.size() && text[text.size() - 1 - trail] == u' ')
        ++trail;
    if (trail > 0)
        out.append({int(text.size()) - trail, trail});
    return out;
}

void shadeEdgeSpaces(QPainter &painter, const QFontMetrics &metrics, const QString &text, int x0, int top, int height)
{
    const QColor shade(255, 160, 0, 110);
    for (const auto &[first, count] : edgeSpaces(text)) {
        for (int i = first; i < first + count; ++i) {
            const int left = x0 + metrics.horizontalAdvance(text.left(i));
            const int width = std::max(2, metrics.horizontalAdvance(QLatin1Char(' ')));
            painter.fillRect(QRect(left + 1, top + 2, width - 1, height - 4), shade);
        }
    }
}

int EntryListDelegate::fittingWidths(const QAbstractItemModel &model, const QFont &font, int *aliasWidth)
{
    const QFontMetrics metrics(font);
    int alias = 0, file = 0;
    for (int r = 0; r < model.rowCount(); ++r) {
        const auto [a, f] = columns(model.index(r, 0));
        alias = std::max(alias, metrics.horizontalAdvance(a));
        file = std::max(file, metrics.horizontalAdvance(f));
    }
    if (aliasWidth)
        *aliasWidth = alias + kMargin;
    return kIcon + 3 * kMargin + alias + file;
}

void EntryListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    const bool flagged = index.data(OtoListModel::FlaggedRole).toBool();
    if (flagged && !(opt.state & QStyle::State_Selected))
        opt.backgroundBrush = QColor(255, 236, 200);
    const QStyle *style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    painter->save();
    const QRect r = opt.rect;
    if (flagged) {
        const QIcon icon = style->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, opt.widget);
        icon.paint(painter, QRect(r.left() + 1, r.top() + (r.height() - kIcon) / 2, kIcon, kIcon));
    }
    const auto [alias, file] = columns(index);
    const QFontMetrics metrics(opt.font);
    const int aliasLeft = r.left() + kIcon + kMargin;
    const int fileLeft = aliasLeft + aliasWidth_ + kMargin;
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    const int baseline = r.top() + (r.height() + metrics.ascent() - metrics.descent()) / 2;
    painter->drawText(aliasLeft, baseline, alias);
    painter->drawText(fileLeft, baseline, file);
    shadeEdgeSpaces(*painter, metrics, alias, aliasLeft, r.top(), r.height());
    painter->restore();
}

QSize EntryListDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QFontMetrics metrics(option.font);
    const auto [alias, file] = columns(index);
    return {kIcon + 3 * kMargin + aliasWidth_ + metrics.horizontalAdvance(file), std::max(metrics.height() + 2, kIcon + 2)};
}
