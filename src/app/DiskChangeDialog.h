#pragma once

#include "oto/OtoDocument.h"

#include <QDialog>
#include <functional>

class QPlainTextEdit;
class QPushButton;
class modLocale;

// The question when oto.ini was changed on disk by another program while
// the user has unsaved edits: Reload (drop the edits, read the file) or
// Keep mine (a later save asks before overwriting). Show the difference
// opens, in the same dialog, the entries on disk against those here, so
// that the user can decide having seen them. Closing it keeps the edits.
class DiskChangeDialog : public QDialog {
    Q_OBJECT
public:
    using Difference = std::function<QList<EntryDifference>()>;
    DiskChangeDialog(const QString &path, Difference difference, QWidget *parent = nullptr);

    DiskChoice choice() const { return choice_; }
    // Fonts of the display charset id, for the aliases in the text.
    void setfrmDispLocale(int id, const modLocale &locale);
    // Computes the difference and shows it below the question.
    void showDifference();

private:
    Difference difference_;
    DiskChoice choice_ = DiskChoice::KeepMine;
    QPlainTextEdit *txtDifference_;
    QPushButton *cmdShow_;
};

// The window's question for OtoDocument::followDiskChange, modal over parent.
DiskChoice askDiskChange(QWidget *parent, const QString &path, const DiskChangeDialog::Difference &difference,
                         int displayCharset, const modLocale &locale);
