#pragma once

#include <QColor>
#include <QObject>
#include <functional>

class Dialogs;
class OtoListModel;
class QLineEdit;

// What the search box under the entry list does. Typing selects the first
// row whose text starts with the typed text (grey text when none does);
// Enter filters the list by alias, a second Enter by alias or file name,
// and the entry on show follows: when the filter hides it, the first match
// is shown. A new search always starts from every entry. Getting the focus
// shows every entry again and empties the box; leaving it puts the hint
// back; the hint never stays in the box while it has the focus. None of the
// searching acts while no voicebank is open.
class SearchBox : public QObject {
    Q_OBJECT
public:
    // folderOpen tells whether a voicebank is open; selectRow makes a row of
    // the list current; shownEntry is the entry on show (-1: none).
    SearchBox(QLineEdit &box, OtoListModel &list, Dialogs &dialogs, std::function<bool()> folderOpen,
              std::function<void(int row)> selectRow, std::function<int()> shownEntry, QObject *parent = nullptr);

    // 0 after typing, 1 after an Enter (filtered by alias), 2 after a second
    // (by alias or file name).
    qint16 intSearchMode() const { return intSearchMode_; }

    // The hint the box shows while the user is elsewhere.
    void showHint();

    // The handlers of the box.
    void txtSearch_GotFocus();
    void txtSearch_Change();
    void txtSearch_KeyDown(int key);
    void txtSearch_LostFocus();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setSearchColor(bool found);
    void clearHint();

    QLineEdit &box_;
    OtoListModel &list_;
    Dialogs &dialogs_;
    std::function<bool()> folderOpen_;
    std::function<void(int)> selectRow_;
    std::function<int()> shownEntry_;
    qint16 intSearchMode_ = 0;
    QColor foundColor_, notFoundColor_;
};
