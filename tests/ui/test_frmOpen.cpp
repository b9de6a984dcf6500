#include "LocaleEnv.h"
#include "frmOpen.h"
#include "modUtils.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
    QString bank(const QString &sub = {}) const { return sub.isEmpty() ? dir.file("bank") : dir.file("bank/" + sub); }
};

QListWidget *dirOf(const frmOpen &dlg) { return dlg.findChild<QListWidget *>("dir"); }
QString pathBox(const frmOpen &dlg) { return dlg.findChild<QPlainTextEdit *>("txtPath")->toPlainText(); }
void click(const frmOpen &dlg, const char *button) { QTest::mouseClick(dlg.findChild<QPushButton *>(button), Qt::LeftButton); }

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

TEST(frmOpenDialog, LayoutCaptionsFontsStartFolderAndDrives)
{
    Fixture f;
    f.sett.settlocDisp = 2;
    const QString other = f.dir.file("other");
    f.sett.settRecentPath = other;
    f.wrkpath = f.bank("voice");
    frmOpen dlg(f.sett, f.wrkpath, f.locale, f.dialogs, nullptr,
                {{f.bank(), "bank"}, {other, "other"}, {f.dir.file("unplugged"), "unplugged"}});
    dlg.show();

    EXPECT_EQ(dlg.windowTitle(), "Open... - 選擇UTAU聲音庫");
    EXPECT_EQ(dlg.size(), QSize(344, 362));
    EXPECT_EQ(dlg.findChild<QPushButton *>("cmdOpen")->text(), "Open - 打開");
    EXPECT_TRUE(dlg.findChild<QPushButton *>("cmdOpen")->isDefault());
    EXPECT_EQ(dlg.findChild<QPushButton *>("cmdCancel")->text(), "Cancel - 取消");
    const QList<std::pair<const char *, QRect>> layout = {
        {"txtPath", {8, 8, 329, 33}}, {"drv", {8, 48, 329, 20}}, {"dir", {8, 72, 329, 244}},
        {"cmdOpen", {8, 328, 161, 25}}, {"cmdCancel", {176, 328, 161, 25}}};
    for (const auto &[name, rect] : layout) {
        QWidget *w = dlg.findChild<QWidget *>(name);
        ASSERT_TRUE(w) << name;
        EXPECT_EQ(w->geometry(), rect) << name;
        // Tab walks the controls in the table's order.
        if (w->objectName() == "txtPath")
            w->setFocus();
        else
            QTest::keyClick(dlg.focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(dlg.focusWidget(), w) << name;
        if (w->inherits("QPushButton"))  // the buttons keep the default font
            continue;
        EXPECT_EQ(w->property("fontCharset").toInt(), 136) << name;
        EXPECT_EQ(w->font().family(), "MingLiU") << name;
    }

    // The open voicebank first, then the most recent folder.
    EXPECT_EQ(pathBox(dlg), f.bank("voice"));
    EXPECT_EQ(dirOf(dlg)->currentItem()->data(Qt::UserRole).toString(), f.bank("voice"));
    QString none;
    EXPECT_EQ(pathBox(frmOpen(f.sett, none, f.locale, f.dialogs)), other);

    // The drive list: another drive's root, a drive that cannot be listed
    // (nothing changes), then back to the folder visited on the first.
    auto *drv = dlg.findChild<QComboBox *>("drv");
    EXPECT_EQ(drv->currentIndex(), 0);
    drv->setFocus();
    QTest::keyClick(drv, Qt::Key_Down);
    EXPECT_EQ(drv->currentIndex(), 1);
    EXPECT_EQ(pathBox(dlg), other);
    EXPECT_EQ(rowPaths(dlg), QStringList{other});
    EXPECT_EQ(dlg.focusWidget(), dirOf(dlg));
    QTest::keyClick(drv, Qt::Key_Down);
    EXPECT_EQ(drv->currentIndex(), 1);
    EXPECT_EQ(pathBox(dlg), other);
    QTest::keyClick(drv, Qt::Key_Home);
    EXPECT_EQ(pathBox(dlg), f.bank("voice"));
}
TEST(frmOpenDialog, BrowseByClicksAndKeysPastVanishedAndUnnamableFolders)
{
    Fixture f;
    // Not valid UTF-8: Qt has no path for it, so it must not be a row.
    const QByteArray badName = QFile::encodeName(f.bank()) + "/bad\xff\xfe";
    ASSERT_EQ(::mkdir(badName.constData(), 0755), 0);
    f.sett.settRecentPath = f.bank();
    frmOpen dlg(f.sett, f.wrkpath, f.locale, f.dialogs);
    dlg.show();
    const QStringList rows = rowPaths(dlg);
    ::rmdir(badName.constData());
    EXPECT_EQ(rows.mid(rows.indexOf(f.bank())), QStringList({f.bank(), f.bank("empty"), f.bank("gone"), f.bank("voice")}));

    clickRow(dlg, f.bank("empty"));
    EXPECT_EQ(pathBox(dlg), f.bank("empty"));
    click(dlg, "cmdOpen");
    ASSERT_EQ(f.dialogs.texts(), QStringList{"打開的文件夾中未見oto.ini。\r\nNo oto.ini found."});
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(f.wrkpath.isEmpty());

    // Up through the ancestor row; a folder removed meanwhile is not entered and its row goes.
    clickRow(dlg, f.bank());
    EXPECT_EQ(pathBox(dlg), f.bank());
    ASSERT_TRUE(QDir(f.bank("gone")).removeRecursively());
    clickRow(dlg, f.bank("gone"));
    EXPECT_EQ(pathBox(dlg), f.bank());
    EXPECT_FALSE(rowPaths(dlg).contains(f.bank("gone")));

    // Space enters the selected row, Enter is Open.
    dirOf(dlg)->setCurrentRow(int(rowPaths(dlg).indexOf(f.bank("voice"))));
    QTest::keyClick(dirOf(dlg), Qt::Key_Space);
    EXPECT_EQ(pathBox(dlg), f.bank("voice"));
    EXPECT_EQ(rowPaths(dlg).last(), f.bank("voice"));
    QTest::keyClick(dirOf(dlg), Qt::Key_Return);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(std::pair(f.wrkpath, f.sett.settRecentPath), std::pair(f.bank("voice"), f.bank("voice")));
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
        ASSERT_EQ(pathBox(dlg), f.bank("voice"));
        if (way == 0)
            click(dlg, "cmdCancel");
        else if (way == 1)
            QTest::keyClick(dirOf(dlg), Qt::Key_Escape);
        else
            dlg.close();
        EXPECT_EQ(std::tuple(dlg.isVisible(), dlg.result(), f.wrkpath, f.sett.settRecentPath),
                  std::tuple(false, int(QDialog::Rejected), f.bank(), f.dir.file("other"))) << way;
    }
    EXPECT_TRUE(f.dialogs.messages.isEmpty());
}
