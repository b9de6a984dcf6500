#include "support/SungRecording.h"
#include "support/WindowEnv.h"

#include "app/CopyToFoldersDialog.h"
#include "app/DiskChangeDialog.h"
#include "app/PrefixMapDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Runs with the next modal dialog named name once it is shown, then goes on
// (the dialog must be closed by act).
template <class T> void whenShown(const char *name, std::function<void(T *)> act)
{
    QTimer::singleShot(0, [name, act] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == name && w->isVisible())
                return act(qobject_cast<T *>(w));
        ADD_FAILURE() << name << " was not shown";
    });
}

int fontCharset(const QWidget *w)
{
    return w->property("fontCharset").toInt();
}

}  // namespace

// The question about a change on disk: the difference opens in the dialog
// itself, computed only when asked for, and the user can still reload or
// keep; Enter and the close box keep the edits.
TEST(SafeDialogs, DiskChangeShowsTheDifferenceAndStillAsks)
{
    LocaleEnv env;
    int computed = 0;
    const auto difference = [&] {
        ++computed;
        OtoEntries disk{std::make_shared<clsOto>("a.wav", "a", 1, 2, 3, 40, 5)};
        OtoEntries here{std::make_shared<clsOto>("a.wav", "a", 1, 2, 3, 4, 5)};
        return diffEntries(disk, here);
    };
    for (const char *button : {"cmdReload", "cmdKeep"}) {
        DiskChangeDialog dialog("/bank/oto.ini", difference);
        dialog.setfrmDispLocale(2, env.locale);
        dialog.show();
        auto *text = dialog.findChild<QPlainTextEdit *>("txtDifference");
        EXPECT_FALSE(text->isVisible());
        QTest::mouseClick(dialog.findChild<QPushButton *>("cmdShowDifference"), Qt::LeftButton);
        EXPECT_TRUE(text->isVisible());
        EXPECT_TRUE(text->toPlainText().contains("preutterance: 4 here, 40 on disk"));
        EXPECT_EQ(fontCharset(text), 136);
        QTest::mouseClick(dialog.findChild<QPushButton *>(button), Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.choice(), button == std::string("cmdReload") ? DiskChoice::Reload : DiskChoice::KeepMine);
    }
    EXPECT_EQ(computed, 2);

    DiskChangeDialog dialog("/bank/oto.ini", difference);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_EQ(std::pair(dialog.choice(), computed), std::pair(DiskChoice::KeepMine, 2));
}

// The folders to copy to: one box per folder, all ticked; unticking leaves
// the others, and with none ticked there is nothing to confirm.
TEST(SafeDialogs, CopyToFoldersTicksEveryFolder)
{
    CopyToFoldersDialog dialog("- ay", {"", "C5", "F#4/soft"});
    dialog.show();
    const QList<QCheckBox *> boxes = dialog.findChildren<QCheckBox *>("chkFolder");
    ASSERT_EQ(boxes.size(), 3);
    EXPECT_EQ(boxes[2]->text(), "F#4/soft/");
    EXPECT_EQ(dialog.chosenFolders(), (QStringList{"", "C5", "F#4/soft"}));
    QTest::mouseClick(boxes[1], Qt::LeftButton, {}, QPoint(4, boxes[1]->height() / 2));
    EXPECT_EQ(dialog.chosenFolders(), (QStringList{"", "F#4/soft"}));
    auto *ok = dialog.findChild<QPushButton *>("cmdOK");
    EXPECT_TRUE(ok->isEnabled());
    boxes[0]->setChecked(false);
    boxes[2]->setChecked(false);
    EXPECT_FALSE(ok->isEnabled());
}

// In the window: Copy asks with the check boxes and lists what is unsure;
// the folder filter and the prefix.map editor take the display charset's font.
TEST(SafeDialogs, WindowCopiesToTickedFoldersInTheDisplayFont)
{
    WindowEnv env;
    env.sett.settlocDisp = 2;
    for (const char *folder : {"A3", "C5", "E4"})
        QDir(env.bank.path()).mkpath(folder);
    env.bank.write("A3/oto.ini", "0.wav=- ayA3,250,120,400,80,30\r\n1.wav=- kA3,1,2,3,4,5");
    env.bank.write("C5/oto.ini", "0.wav=- ayC5,0,0,0,0,0\r\n1.wav=- kC5,1,2,3,4,5");
    env.bank.write("E4/oto.ini", "0.wav=- ayE4,0,0,0,0,0\r\n1.wav=- kE4,1,2,3,4,5");
    env.bank.write("A3/0.wav", wavimg::wav(sungRecording(300, 1500, 1)));
    env.bank.write("C5/0.wav", wavimg::wav(sungRecording(437, 1637, 2, 440)));
    env.bank.write("E4/0.wav", wavimg::wav(wavimg::noise(44100, 3000)));  // no onset to align on
    env.window->setFolderChooser([&] { return std::optional<QString>(env.bank.path()); });
    env.child<QAction>("mnuOpen")->trigger();
    env.window->setfrmDispLocale(env.sett.settlocDisp);
    EXPECT_EQ(fontCharset(env.child("cboFolder")), 136);

    env.child<QListView>("lstOto")->setCurrentIndex(env.window->listModel().index(0));
    ASSERT_TRUE(env.editor().isEditable());
    whenShown<CopyToFoldersDialog>("frmCopyToFolders", [](CopyToFoldersDialog *d) {
        EXPECT_EQ(d->chosenFolders(), (QStringList{"C5", "E4"}));
        EXPECT_EQ(fontCharset(d), 136);
        QTest::mouseClick(d->findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
    });
    env.child<QAction>("mnuSameCopy")->trigger();
    const OtoEntries &entries = env.window->document().clcOto();
    EXPECT_NEAR(entries[2]->prmLF, 250 + 137, 10);
    EXPECT_EQ(entries[4]->prmPR, 80);
    ASSERT_EQ(env.dialogs.texts().size(), 1);
    EXPECT_TRUE(env.dialogs.texts()[0].contains("E4/0.wav")) << env.dialogs.texts()[0].toStdString();
    EXPECT_FALSE(env.dialogs.texts()[0].contains("C5/0.wav"));

    // Cancel copies nothing.
    env.window->document().undo();
    whenShown<CopyToFoldersDialog>("frmCopyToFolders", [](CopyToFoldersDialog *d) { d->reject(); });
    env.child<QAction>("mnuSameCopy")->trigger();
    EXPECT_EQ(entries[2]->prmLF, 0);

    whenShown<singer::PrefixMapDialog>("frmPrefixMap", [](singer::PrefixMapDialog *d) {
        EXPECT_EQ(fontCharset(d->findChild<QTableWidget *>("tblPrefixMap")), 136);
        d->reject();
    });
    env.child<QAction>("mnuPrefixMap")->trigger();
}
