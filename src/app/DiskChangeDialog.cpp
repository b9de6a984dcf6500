#include "app/DiskChangeDialog.h"

#include "ui/applyFont.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

DiskChangeDialog::DiskChangeDialog(const QString &path, Difference difference, QWidget *parent)
    : QDialog(parent), difference_(std::move(difference))
{
    setObjectName(QStringLiteral("frmDiskChange"));
    setWindowTitle(QStringLiteral("?"));
    auto *layout = new QVBoxLayout(this);
    auto *question = new QLabel(
        path + QStringLiteral("\nhas been changed on disk by another program, and you have unsaved edits. "
                              "Reload it and drop your edits, or keep yours (a save then asks before overwriting)?")
            + QStringLiteral("\n") + path
            + QStringLiteral("\n已被其他程序修改，而你有未保存的修改。重新讀取並放棄修改，還是保留你的修改（保存前會再詢問）？"),
        this);
    question->setWordWrap(true);
    layout->addWidget(question);

    txtDifference_ = new QPlainTextEdit(this);
    txtDifference_->setObjectName(QStringLiteral("txtDifference"));
    txtDifference_->setReadOnly(true);
    txtDifference_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtDifference_->setMinimumSize(560, 260);
    txtDifference_->hide();
    layout->addWidget(txtDifference_, 1);

    auto *buttons = new QDialogButtonBox(this);
    auto *reload = buttons->addButton(QStringLiteral("Reload - 重新讀取"), QDialogButtonBox::AcceptRole);
    reload->setObjectName(QStringLiteral("cmdReload"));
    auto *keep = buttons->addButton(QStringLiteral("Keep mine - 保留我的修改"), QDialogButtonBox::RejectRole);
    keep->setObjectName(QStringLiteral("cmdKeep"));
    cmdShow_ = buttons->addButton(QStringLiteral("Show the difference - 顯示差異"), QDialogButtonBox::ActionRole);
    cmdShow_->setObjectName(QStringLiteral("cmdShowDifference"));
    // Enter must not throw the edits away.
    keep->setDefault(true);
    layout->addWidget(buttons);

    connect(reload, &QPushButton::clicked, this, [this] {
        choice_ = DiskChoice::Reload;
        accept();
    });
    connect(keep, &QPushButton::clicked, this, [this] {
        choice_ = DiskChoice::KeepMine;
        reject();
    });
    connect(cmdShow_, &QPushButton::clicked, this, &DiskChangeDialog::showDifference);
}

void DiskChangeDialog::setfrmDispLocale(int id, const modLocale &locale)
{
    applyFont(this, id, locale);
    applyFont(txtDifference_, id, locale);
}

void DiskChangeDialog::showDifference()
{
    txtDifference_->setPlainText(differenceText(difference_()));
    txtDifference_->show();
    cmdShow_->setEnabled(false);
    adjustSize();
}

DiskChoice askDiskChange(QWidget *parent, const QString &path, const DiskChangeDialog::Difference &difference,
                         int displayCharset, const modLocale &locale)
{
    DiskChangeDialog dialog(path, difference, parent);
    dialog.setfrmDispLocale(displayCharset, locale);
    dialog.exec();
    return dialog.choice();
}
