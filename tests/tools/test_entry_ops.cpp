#include "oto/OtoDocument.h"
#include "oto/OtoListModel.h"
#include "support/LocaleEnv.h"
#include "tools/EntryOps.h"
#include "tools/ToolDialogs.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

// Entries e1..e10 with aliases a1..a10, except s2, s5 and s9. The filter "s"
// shows entries 2, 5 and 9 (item data 1, 4, 8); the row of entry 5 is current.
struct Bank : ::testing::Test, LocaleEnv {
    Bank()
    {
        QByteArray oto;
        for (int n = 1; n <= 10; ++n)
            oto += QStringLiteral("e%1.wav=%2,%1,0,0,0,0\r\n").arg(n).arg(QString(n == 2 || n == 5 || n == 9 ? "s%1" : "a%1").arg(n)).toLatin1();
        dir.write("oto.ini", oto);
        doc.openFolder(dir.path());
        original = doc.clcOto();
        list.F5LstOtoS(QStringLiteral("s"), 0);
        selection.setCurrentIndex(list.index(1), QItemSelectionModel::ClearAndSelect);
        spy.clear();
    }
    // The rows' item data, and the entry objects they reach through it.
    QList<int> rows() const
    {
        QList<int> out;
        for (int r = 0; r < list.rowCount(); ++r)
            out << list.rowItemData(r);
        return out;
    }
    QList<clsOto *> shown() const
    {
        QList<clsOto *> out;
        for (int r : rows())
            out << doc.clcOto().value(r).get();
        return out;
    }
    clsOto *entry(int n) const { return original[n - 1].get(); }
    QString alias(int n) const { return original[n - 1]->ALS; }

    OtoDocument doc{locale, dialogs};
    OtoListModel list{doc};
    QAbstractItemModelTester tester{&list, QAbstractItemModelTester::FailureReportingMode::Fatal};
    QItemSelectionModel selection{&list};
    QSignalSpy spy{&selection, &QItemSelectionModel::currentRowChanged};
    OtoEntries original;
};

}  // namespace

TEST_F(Bank, DuplicateInsertsTheCopyInFrontAndKeepsTheSourceSelected)
{
    EXPECT_FALSE(duplicateEntry(doc, list, -1, 4).done);  // nothing selected
    EXPECT_FALSE(duplicateEntry(doc, list, 1, 5).done);   // the row does not show curIdx
    EXPECT_FALSE(doc.blnChanged());

    const EntryOpResult r = duplicateEntry(doc, list, 1, 4);
    EXPECT_EQ(std::tuple(r.done, r.curIdx, r.row), std::tuple(true, 5, 2));
    EXPECT_EQ(rows(), (QList<int>{1, 4, 5, 9}));
    ASSERT_EQ(doc.clcOto().size(), 11);
    clsOto *copy = doc.clcOto()[4].get();
    EXPECT_EQ(shown(), (QList<clsOto *>{entry(2), copy, entry(5), entry(9)}));
    EXPECT_EQ(std::pair(copy->fileStr(), doc.clcOto()[3].get()), std::pair(entry(5)->fileStr(), entry(4)));
    // Still the source entry, silently.
    EXPECT_EQ(std::tuple(selection.currentIndex().row(), spy.count(), doc.blnChanged()), std::tuple(2, 0, true));
}

TEST_F(Bank, RemoveSelectsTheNextRowOrTheLastAndForgetsTheLastOne)
{
    EntryOpResult r = removeEntry(doc, list, 1, 4, &selection);
    EXPECT_EQ(rows(), (QList<int>{1, 7}));
    EXPECT_EQ(shown(), (QList<clsOto *>{entry(2), entry(9)}));
    EXPECT_EQ(std::pair(r.row, r.curIdx), std::pair(1, 7));
    ASSERT_EQ(spy.count(), 1);  // one change, signalled once the rows are final
    EXPECT_EQ(spy[0][0].toModelIndex().row(), 1);
    EXPECT_FALSE(doc.clcOto().contains(original[4]));

    r = removeEntry(doc, list, 1, 7, &selection);  // the last row: the one before it
    EXPECT_EQ(std::tuple(r.row, r.curIdx, selection.currentIndex().row(), spy.count()), std::tuple(0, 1, 0, 2));
    r = removeEntry(doc, list, 0, 1, &selection);  // the only row
    EXPECT_EQ(std::tuple(r.row, r.curIdx, selection.currentIndex().isValid(), spy.count()), std::tuple(-1, -1, false, 2));
    EXPECT_FALSE(removeEntry(doc, list, -1, -1, &selection).done);
    EXPECT_TRUE(doc.blnChanged());  // a removal is a step: closing asks before it is lost
}

TEST_F(Bank, ReplaceAndSplitAskWithTheirOwnTextsAndCancelChangesNothing)
{
    dialogs.inputAnswers = {std::nullopt, QString(), QStringLiteral("a=A,x=y=z"), std::nullopt,
                            QStringLiteral("n-,by,dy,fy,gy,hy,ky,my,ny,py,ry,ty,sh,ch,ts,dz,cy,jy,sy")};
    EXPECT_FALSE(runReplaceDialog(dialogs, doc));
    EXPECT_FALSE(runReplaceDialog(dialogs, doc));
    EXPECT_EQ(alias(1), "a1");
    EXPECT_TRUE(runReplaceDialog(dialogs, doc));
    EXPECT_EQ(alias(1) + alias(2), "A1s2");
    EXPECT_FALSE(runSplitDialog(dialogs, doc));
    EXPECT_TRUE(runSplitDialog(dialogs, doc));
    EXPECT_EQ(alias(9) + "|" + alias(10), "s 9|A 1 0");
    EXPECT_TRUE(doc.blnChanged());  // each rewrite is a step of the history
    EXPECT_EQ(doc.history().count(), 2);

    ASSERT_EQ(dialogs.inputs.size(), 5);
    EXPECT_EQ(std::pair(dialogs.inputs[0].title, dialogs.inputs[0].defaultText),
              std::pair(QString::fromUtf8("Aliases batch replace - 別名批量替換"), QString("Before=After")));
    EXPECT_EQ(dialogs.inputs[0].prompt,
              QString::fromUtf8("What to replace? - 輸入替換規則\r\n"
                                "Enter the text to match and replace with, connected by [=]. No extra spaces, they are "
                                "all kept.\r\nSplit multiple rules by [,]. They'll be excuted one by one in order.\r\n"
                                "輸入替換前與替換後文字，以等號[=]分隔。勿多任何空格，所有空格都原樣保留。\r\n"
                                "多組規則以英文逗號[,]分隔，將按順序一一執行。\r\n"));
    EXPECT_EQ(dialogs.inputs[3].title, QString::fromUtf8("SplitCmb - 別名拆分"));
    EXPECT_EQ(dialogs.inputs[3].defaultText, "n-,by,dy,fy,gy,hy,ky,my,ny,py,ry,ty,sh,ch,ts,dz,cy,jy,sy");
    EXPECT_EQ(dialogs.inputs[3].prompt, QString::fromUtf8("List combined letters which should not be splitted - "
                                                          "列出不應拆分之合字\r\nsplit with [,] - 以逗號分隔"));

    OtoDocument closed(locale, dialogs);  // no voicebank open: no box at all
    EXPECT_FALSE(runReplaceDialog(dialogs, closed));
    EXPECT_FALSE(runSplitDialog(dialogs, closed));
    EXPECT_EQ(dialogs.inputs.size(), 5);
}

// Split's letter rule is meant for romaji: aliases in kana or hanzi change
// only after a question that names how many would.
TEST(SplitDialog, AsksBeforeSplittingKanaOrHanzi)
{
    LocaleEnv env;
    env.dir.write("oto.ini", QStringLiteral("#CHARSET:UTF8\r\na.wav=a てゅ,0,0,0,0,0\r\nb.wav=ka,0,0,0,0,0\r\n"
                                            "c.wav=漢字,0,0,0,0,0\r\nd.wav=- あ,0,0,0,0,0\r\n").toUtf8());
    OtoDocument doc(env.locale, env.dialogs);
    ASSERT_TRUE(doc.openFolder(env.dir.path()));
    env.dialogs.inputAnswers = {QStringLiteral("ky"), QStringLiteral("ky")};
    env.dialogs.answers = {MsgAnswer::No, MsgAnswer::Yes};
    EXPECT_FALSE(runSplitDialog(env.dialogs, doc));
    EXPECT_EQ(doc.clcOto()[0]->ALS, "a てゅ");
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages[0].text.startsWith("Split would change 3 aliases"));
    EXPECT_EQ(env.dialogs.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(runSplitDialog(env.dialogs, doc));
    EXPECT_EQ(doc.clcOto()[1]->ALS, "k a");
    EXPECT_EQ(doc.clcOto()[0]->ALS, "a   て ゅ");  // its space a unit of its own
    EXPECT_EQ(doc.clcOto()[2]->ALS, "漢 字");
}
