#include "support/LocaleEnv.h"
#include "ui/frmOpen.h"

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A voicebank tree in a temporary folder and what the dialog borrows from
// the main window.
struct Fixture : LocaleEnv {
    QString wrkpath;
    Fixture()
    {
        for (const char *f : {"bank/voice", "bank/empty", "bank/gone", "other"})
            QDir().mkpath(dir.file(f));
        dir.write("bank/voice/oto.ini", "a.wav=a,0,0,0,0,0\r\n");
    }
    QString bank(const QString &sub = {}) const { return dir.file(sub.isEmpty() ? "bank" : "bank/" + sub); }
};

QListWidget *dirOf(const frmOpen &dlg) { return dlg.findChild<QListWidget *>("dir"); }
QString pathBox(const frmOpen &dlg) { return dlg.findChild<QPlainTextEdit *>("txtPath")->toPlainText(); }
QPushButton *button(const frmOpen &dlg, const char *name) { return dlg.findChild<QPushButton *>(name); }

QStringList rowPaths(const frmOpen &dlg)
{
    QStringList out;
    for (int i = 0; i < dirOf(dlg)->count(); ++i)
        out << dirOf(dlg)->item(i)->data(Qt::UserRole).toString();
    return out;
}

// Clicks the folder list's row for path, as a user would.
void clickRow(const frmOpen &dlg, const QString &path)
{
    QListWidget *dir = dirOf(dlg);
    const int row = int(rowPaths(dlg).indexOf(path));
    ASSERT_GE(row, 0) << path.toStdString();
    dir->scrollToItem(dir->item(row));
    QTest::mouseClick(dir->viewport(), Qt::LeftButton, {}, dir->visualItemRect(dir->item(row)).center());
}

}  // namespace

TEST(frmOpenDialog, CaptionsStartFolderAndDrives)
{
    Fixture f;
    f.sett.settlocDisp = 2;
    const QString other = f.dir.file("other");
    f.wrkpath = f.bank("voice");
    frmOpen dlg(f.sett, f.wrkpath, f.locale, f.dialogs, nullptr,
                {{f.bank(), "bank"}, {other, "other"}, {f.dir.file("unplugged"), "unplugged"}});
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Open... - 選擇UTAU聲音庫");
    EXPECT_EQ(button(dlg, "cmdOpen")->text(), "Open - 打開");
    EXPECT_TRUE(button(dlg, "cmdOpen")->isDefault());
    EXPECT_EQ(button(dlg, "cmdCancel")->text(), "Cancel - 取消");
    EXPECT_EQ(dirOf(dlg)->font().family(), "MingLiU");
    EXPECT_EQ(pathBox(dlg), f.bank("voice"));
    EXPECT_EQ(dirOf(dlg)->currentItem()->data(Qt::UserRole).toString(), f.bank("voice"));

    // Another drive's root; a drive that cannot be listed changes nothing;
    // back on the first drive, the folder visited there.
    auto *drv = dlg.findChild<QComboBox *>("drv");
    drv->setFocus();
    QTest::keyClick(drv, Qt::Key_Down);
    EXPECT_EQ(std::pair(pathBox(dlg), rowPaths(dlg)), std::pair(other, QStringList{other}));
    EXPECT_EQ(dlg.focusWidget(), dirOf(dlg));
    QTest::keyClick(drv, Qt::Key_Down);
    EXPECT_EQ(std::pair(drv->currentIndex(), pathBox(dlg)), std::pair(1, other));
    QTest::keyClick(drv, Qt::Key_Home);
    EXPECT_EQ(pathBox(dlg), f.bank("voice"));
}

TEST(frmOpenDialog, BrowseByClicksAndKeysPastVanishedFolders)
{
    Fixture f;
    f.sett.settRecentPath = f.bank();
    frmOpen dlg(f.sett, f.wrkpath, f.locale, f.dialogs);
    dlg.show();
    clickRow(dlg, f.bank("empty"));
    EXPECT_EQ(pathBox(dlg), f.bank("empty"));
    QTest::mouseClick(button(dlg, "cmdOpen"), Qt::LeftButton);
    EXPECT_EQ(f.dialogs.messages.size(), 1);  // no oto.ini: refused
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(dlg.chosenFolder());

    // Up through the ancestor row; a folder removed meanwhile is not entered and its row goes.
    clickRow(dlg, f.bank());
    ASSERT_TRUE(QDir(f.bank("gone")).removeRecursively());
    clickRow(dlg, f.bank("gone"));
    EXPECT_EQ(pathBox(dlg), f.bank());
    EXPECT_FALSE(rowPaths(dlg).contains(f.bank("gone")));

    // Space enters the selected row, Enter is Open.
    dirOf(dlg)->setCurrentRow(int(rowPaths(dlg).indexOf(f.bank("voice"))));
    QTest::keyClick(dirOf(dlg), Qt::Key_Space);
    EXPECT_EQ(pathBox(dlg), f.bank("voice"));
    QTest::keyClick(dirOf(dlg), Qt::Key_Return);
    EXPECT_EQ(std::pair(dlg.isVisible(), dlg.result()), std::pair(false, int(QDialog::Accepted)));
    EXPECT_EQ(std::pair(dlg.chosenFolder(), f.sett.settRecentPath), std::pair(std::optional(f.bank("voice")), f.bank("voice")));
    EXPECT_EQ(f.dialogs.messages.size(), 1);
}

TEST(frmOpenDialog, CancelEscAndCloseBoxAfterBrowsingStoreNothing)
{
    Fixture f;
    f.wrkpath = f.bank();
    f.sett.settRecentPath = f.dir.file("other");
    for (int way = 0; way < 3; ++way) {
        frmOpen dlg(f.sett, f.wrkpath, f.locale, f.dialogs);
        dlg.show();
        clickRow(dlg, f.bank("voice"));
        if (way == 0)
            QTest::mouseClick(button(dlg, "cmdCancel"), Qt::LeftButton);
        else if (way == 1)
            QTest::keyClick(dirOf(dlg), Qt::Key_Escape);
        else
            dlg.close();
        EXPECT_EQ(std::tuple(dlg.isVisible(), dlg.result(), dlg.chosenFolder(), f.sett.settRecentPath),
                  std::tuple(false, int(QDialog::Rejected), std::optional<QString>(), f.dir.file("other"))) << way;
    }
    EXPECT_TRUE(f.dialogs.messages.isEmpty());
}
