#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>
#include <optional>

class QCheckBox;
class modLocale;

// Chooses the folders of a singer that the current entry's five parameters
// are copied to: one check box per other folder, all ticked at first.
class CopyToFoldersDialog : public QDialog {
    Q_OBJECT
public:
    CopyToFoldersDialog(const QString &alias, const QStringList &folders, QWidget *parent = nullptr);

    // The ticked folders, in the order given.
    QStringList chosenFolders() const;
    void setfrmDispLocale(int id, const modLocale &locale);

private:
    QStringList folders_;
    QList<QCheckBox *> boxes_;
};

// Asks for the folders, modal over parent; nothing when cancelled or when
// no folder is ticked.
std::optional<QStringList> chooseCopyFolders(QWidget *parent, const QString &alias, const QStringList &folders,
                                             int displayCharset, const modLocale &locale);
