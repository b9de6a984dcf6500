#include "support/TitleRoom.h"
#include "ui/QtDialogs.h"

#include <QApplication>
#include <QFontMetrics>
#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

// A box shows its whole title whatever its text, in both languages: its
// title bar has room for the title in bold (Qt sizes it to the text alone).
TEST(QtDialogs, BoxesAreAtLeastAsWideAsTheirTitles)
{
    QtDialogs dialogs;
    const QString titles[] = {QStringLiteral("Estimate - 自動估算"),
                              QStringLiteral("Select Display charset - 顯示編碼設定 (UI charset, fonts and captions)")};
    for (const QString &title : titles) {
        SCOPED_TRACE(title.toStdString());
        int boxWidth = 0, inputWidth = 0;
        QFont font;
        QTimer::singleShot(0, [&] {
            QWidget *box = QApplication::activeModalWidget();
            ASSERT_TRUE(qobject_cast<QMessageBox *>(box));
            boxWidth = box->width();
            font = box->font();
            qobject_cast<QMessageBox *>(box)->accept();
        });
        dialogs.inform(QStringLiteral("3 done."), title);
        const int titleWidth = boldTitleWidth(title, font);
        EXPECT_GE(titleRoom(boxWidth), titleWidth);

        QTimer::singleShot(0, [&] {
            auto *input = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            ASSERT_TRUE(input);
            inputWidth = input->width();
            input->reject();
        });
        EXPECT_FALSE(dialogs.input(QStringLiteral("0~3"), title, QStringLiteral("1")));
        EXPECT_GE(titleRoom(inputWidth), titleWidth);
    }
}
