#pragma once

#include "ui/modFolderChooser.h"

#include <QDialog>

class QComboBox;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class clsSett;
class modLocale;
class Dialogs;

// The folder chooser: path box, drive list and folder list over a
// FolderChooser. The result goes only into the caller's wrkpath and the
// settings' settRecentPath, and only when the chosen folder holds a readable
// oto.ini; Cancel, Esc and the close box leave both as they were.
class frmOpen : public QDialog {
    Q_OBJECT
public:
    // drives: the drive list; empty means the system's mounts and home folder.
    frmOpen(clsSett &sett, QString &wrkpath, const modLocale &locale, Dialogs &dialogs,
            QWidget *parent = nullptr, QList<DriveInfo> drives = {});

    // Fonts of the display charset id for drv, dir and txtPath; the captions.
    void setfrmDispLocale(int id);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void drv_Change(int index);
    void dir_Click(QListWidgetItem *item);
    void cmdOpen_Click();
    void enterFolder(const QString &path);
    // Shows the chooser's drive and folder and copies the folder to txtPath.
    void showChooser();

    clsSett &sett_;
    QString &wrkpath_;
    const modLocale &locale_;
    Dialogs &dialogs_;
    FolderChooser chooser_;

    QPlainTextEdit *txtPath;
    QComboBox *drv;
    QListWidget *dir;
    QPushButton *cmdOpen;
    QPushButton *cmdCancel;
};
