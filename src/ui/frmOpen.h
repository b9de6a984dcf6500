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
// FolderChooser. It starts at wrkpath (the open voicebank). A folder is
// chosen, and stored in the settings' settRecentPath, only when it holds a
// readable oto.ini; Cancel, Esc and the close box choose nothing.
class frmOpen : public QDialog {
    Q_OBJECT
public:
    // drives: the drive list; empty means the system's mounts and home folder.
    frmOpen(clsSett &sett, const QString &wrkpath, const modLocale &locale, Dialogs &dialogs,
            QWidget *parent = nullptr, QList<DriveInfo> drives = {});

    // The folder the user opened; nothing after Cancel.
    const std::optional<QString> &chosenFolder() const { return chosen_; }

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
    std::optional<QString> chosen_;
    const modLocale &locale_;
    Dialogs &dialogs_;
    FolderChooser chooser_;

    QPlainTextEdit *txtPath;
    QComboBox *drv;
    QListWidget *dir;
    QPushButton *cmdOpen;
    QPushButton *cmdCancel;
};
