#include "ui/SearchBox.h"

#include "core/Dialogs.h"
#include "oto/OtoListModel.h"
#include "ui/modDispLocale.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

SearchBox::SearchBox(QLineEdit &box, OtoListModel &list, Dialogs &dialogs, std::function<bool()> folderOpen,
                     std::function<void(int)> selectRow, std::function<int()> shownEntry, QObject *parent)
    : QObject(parent), box_(box), list_(list), dialogs_(dialogs), folderOpen_(std::move(folderOpen)),
      selectRow_(std::move(selectRow)), shownEntry_(std::move(shownEntry))
{
    // Black while the typed text finds a row, grey while it does not (and
    // for the hint), from the box's own palette before it is recoloured.
    foundColor_ = box_.palette().color(QPalette::WindowText);
    notFoundColor_ = box_.palette().color(QPalette::Disabled, QPalette::Text);
    box_.installEventFilter(this);
    connect(&box_, &QLineEdit::textChanged, this, &SearchBox::txtSearch_Change);
    setSearchColor(false);
}

void SearchBox::showHint()
{
    const QSignalBlocker quiet(&box_);
    box_.setText(searchHint());
}

void SearchBox::setSearchColor(bool found)
{
    QPalette p = box_.palette();
    p.setColor(QPalette::Text, found ? foundColor_ : notFoundColor_);
    box_.setPalette(p);
}

void SearchBox::clearHint()
{
    if (box_.text() != searchHint())
        return;
    const QSignalBlocker quiet(&box_);
    box_.clear();
    setSearchColor(true);
}

void SearchBox::txtSearch_GotFocus()
{
    clearHint();
    if (!folderOpen_())
        return;
    if (list_.isFiltered())
        list_.F5LstOto();
    const QSignalBlocker quiet(&box_);
    box_.clear();
    setSearchColor(true);
}

void SearchBox::txtSearch_Change()
{
    if (!folderOpen_())
        return;
    intSearchMode_ = 0;
    const QString typed = box_.text();
    if (typed.isEmpty())
        return;
    // A new search: after a filter, the whole list again.
    if (list_.isFiltered()) {
        list_.F5LstOto();
        if (const int shown = list_.rowOfEntry(shownEntry_()); shown >= 0)
            selectRow_(shown);
    }
    const int row = list_.findRowStartingWith(typed);
    if (row >= 0)
        selectRow_(row);
    setSearchColor(row >= 0);
}

void SearchBox::txtSearch_KeyDown(int key)
{
    if (!folderOpen_() || (key != Qt::Key_Return && key != Qt::Key_Enter))
        return;
    const int mode = intSearchMode_ != 0 ? 1 : 0;
    if (!list_.F5LstOtoS(box_.text(), mode))
        dialogs_.beep();
    intSearchMode_ = qint16(mode + 1);
    // The view follows the list: the entry on show if it is still listed,
    // else the first match.
    const int shown = list_.rowOfEntry(shownEntry_());
    if (list_.rowCount() > 0)
        selectRow_(shown >= 0 ? shown : 0);
}

void SearchBox::txtSearch_LostFocus()
{
    showHint();
    setSearchColor(false);
    intSearchMode_ = 0;
}

bool SearchBox::eventFilter(QObject *watched, QEvent *e)
{
    if (watched != &box_)
        return false;
    switch (e->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        // The whole window losing or regaining the focus (another program,
        // a menu) is no move into or out of the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(e)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
            if (e->type() == QEvent::FocusIn)
                clearHint();  // the box has the focus again: what is typed must not join the hint
            break;
        }
        if (e->type() == QEvent::FocusIn)
            txtSearch_GotFocus();
        else
            txtSearch_LostFocus();
        break;
    }
    case QEvent::KeyPress: txtSearch_KeyDown(static_cast<QKeyEvent *>(e)->key()); break;
    default: break;
    }
    return false;
}
