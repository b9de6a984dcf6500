#include "app/CopyToFoldersDialog.h"

#include "ui/QtDialogs.h"
#include "ui/applyFont.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

CopyToFoldersDialog::CopyToFoldersDialog(const QString &alias, const QStringList &folders, QWidget *parent)
    : QDialog(parent), folders_(folders)
{
    setObjectName(QStringLiteral("frmCopyToFolders"));
    setWindowTitle(QStringLiteral("Copy to other folders - 複製到其他文件夾"));
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Copy the five parameters of \"%1\" to the same alias in these folders, "
                                            "each shifted onto its own recording:").arg(alias)
                                 + QStringLiteral("\n")
                                 + QStringLiteral("將“%1”的五個參數複製到這些文件夾的同名條目（按各自的錄音對齊）：").arg(alias),
                             this);
    label->setWordWrap(true);
    layout->addWidget(label);
    for (const QString &folder : folders) {
        auto *box = new QCheckBox(folder.isEmpty() ? QStringLiteral("./") : folder + u'/', this);
        box->setObjectName(QStringLiteral("chkFolder"));
        box->setChecked(true);
        boxes_ << box;
        layout->addWidget(box);
    }
    QDialogButtonBox *buttons = okCancelButtons(*this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(buttons);
    // Nothing ticked, nothing to copy.
    const auto follow = [this, ok = buttons->button(QDialogButtonBox::Ok)] { ok->setEnabled(!chosenFolders().isEmpty()); };
    for (QCheckBox *box : boxes_)
        connect(box, &QCheckBox::toggled, this, follow);
}

QStringList CopyToFoldersDialog::chosenFolders() const
{
    QStringList out;
    for (int i = 0; i < boxes_.size(); ++i)
        if (boxes_[i]->isChecked())
            out << folders_[i];
    return out;
}

void CopyToFoldersDialog::setfrmDispLocale(int id, const modLocale &locale)
{
    applyFont(this, id, locale);
}

std::optional<QStringList> chooseCopyFolders(QWidget *parent, const QString &alias, const QStringList &folders,
                                             int displayCharset, const modLocale &locale)
{
    CopyToFoldersDialog dialog(alias, folders, parent);
    dialog.setfrmDispLocale(displayCharset, locale);
    fitTitle(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.chosenFolders().isEmpty())
        return std::nullopt;
    return dialog.chosenFolders();
}
