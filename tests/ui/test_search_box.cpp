#include "oto/OtoDocument.h"
#include "oto/OtoListModel.h"
#include "support/LocaleEnv.h"
#include "ui/SearchBox.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The search box on a bare line edit and list model: no window around it.
// `open` answers whether a voicebank is open, `shown` which entry is on show.
class SearchScene : public ::testing::Test {
protected:
    LocaleEnv env;
    OtoDocument doc{env.locale, env.dialogs};
    OtoListModel list{doc};
    QLineEdit box;
    bool open = false;
    QList<int> selected;
    int shown = -1;
};

}  // namespace

TEST_F(SearchScene, TypingSelectsEnterFiltersFocusResets)
{
    env.dir.write("oto.ini", "b.wav=a,1,2,3,4,5\r\nc.wav=b,1,2,3,4,5\r\nka.wav=ka,1,2,3,4,5\r\nkz.wav=,1,2,3,4,5\r\n");
    SearchBox search(box, list, env.dialogs, [&] { return open; }, [&](int row) { selected << row; },
                     [&] { return shown; });

    QTest::keyClicks(&box, "ka");  // no voicebank: nothing happens
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_TRUE(selected.isEmpty());
    EXPECT_FALSE(list.isFiltered());

    ASSERT_TRUE(doc.openFolder(env.dir.path()));
    open = true;
    search.txtSearch_GotFocus();
    EXPECT_EQ(box.text(), "");
    QTest::keyClicks(&box, "ka");
    EXPECT_EQ(selected.last(), 2);
    const QColor found = box.palette().color(QPalette::Text);
    QTest::keyClick(&box, Qt::Key_Z);  // nothing starts with "kaz": grey, selection stays
    EXPECT_NE(box.palette().color(QPalette::Text), found);
    EXPECT_EQ(selected.size(), 2);

    box.setText("b");
    QTest::keyClick(&box, Qt::Key_Return);  // by alias
    EXPECT_EQ(std::pair(list.rowCount(), search.intSearchMode()), std::pair(1, qint16(1)));
    QTest::keyClick(&box, Qt::Key_Return);  // by alias or file name
    EXPECT_EQ(std::pair(list.rowCount(), search.intSearchMode()), std::pair(2, qint16(2)));
    box.setText("nothing");
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_EQ(std::pair(list.rowCount(), env.dialogs.beeps), std::pair(0, 1));

    search.txtSearch_LostFocus();
    EXPECT_EQ(std::pair(box.text(), search.intSearchMode()), std::pair(QString("Search - 搜尋"), qint16(0)));
    search.txtSearch_GotFocus();  // a filtered list shows every entry again
    EXPECT_EQ(std::pair(list.rowCount(), list.isFiltered()), std::pair(4, false));
}

// A search after a filter starts from every entry; the entry on show
// follows the filter; the hint never joins what is typed.
TEST_F(SearchScene, NewSearchStartsFromEveryEntryAndTheViewFollows)
{
    env.dir.write("oto.ini", "a.wav=a,1,2,3,4,5\r\nka.wav=ka,1,2,3,4,5\r\nki.wav=ki,1,2,3,4,5\r\nsa.wav=sa,1,2,3,4,5\r\n");
    SearchBox search(box, list, env.dialogs, [&] { return open; },
                     [&](int row) { selected << row; shown = list.rowItemData(row); }, [&] { return shown; });

    search.showHint();
    search.txtSearch_GotFocus();  // straight after start-up, no bank open yet
    QTest::keyClicks(&box, "ka");
    EXPECT_EQ(box.text(), "ka");

    ASSERT_TRUE(doc.openFolder(env.dir.path()));
    open = true;
    shown = 0;  // "a" on show
    box.clear();
    QTest::keyClicks(&box, "k");
    QTest::keyClick(&box, Qt::Key_Return);  // "a" is filtered out: the first match is shown
    EXPECT_EQ(list.rowCount(), 2);
    EXPECT_EQ(shown, 1);
    QTest::keyClick(&box, Qt::Key_Backspace);
    QTest::keyClicks(&box, "s");  // a new search, in the focused box: every entry again
    EXPECT_FALSE(list.isFiltered());
    EXPECT_EQ(shown, 3);
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_EQ(std::pair(list.rowCount(), shown), std::pair(1, 3));
}
