#include "oto/OtoDocument.h"
#include "oto/OtoListModel.h"
#include "support/LocaleEnv.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

OtoEntries entries(std::initializer_list<std::pair<const char *, const char *>> aliasAndFile)
{
    OtoEntries out;
    for (const auto &[alias, file] : aliasAndFile)
        out.append(std::make_shared<clsOto>(QString::fromUtf8(file), QString::fromUtf8(alias)));
    return out;
}

QList<int> itemData(const OtoListModel &m)
{
    QList<int> out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.data(m.index(r), OtoListModel::ItemDataRole).toInt();
    return out;
}

struct ModelFixture : ::testing::Test, LocaleEnv {
    OtoDocument doc{locale, dialogs};
    OtoListModel m{doc};
    QAbstractItemModelTester tester{&m, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

}  // namespace

TEST_F(ModelFixture, FilterKeepsCollectionIndexesAsItemData)
{
    doc.replaceEntries(entries({{"a", "b.wav"}, {"b", "c.wav"}, {"ka", "x.wav"}, {"kab", "b"}}));
    EXPECT_EQ(itemData(m), (QList<int>{0, 1, 2, 3}));  // a load shows every entry
    EXPECT_FALSE(m.isFiltered());
    EXPECT_EQ(m.data(m.index(2)).toString(), "ka\tx.wav");

    EXPECT_TRUE(m.F5LstOtoS("b", 0));  // alias only
    EXPECT_EQ(itemData(m), (QList<int>{1, 3}));
    EXPECT_TRUE(m.isFiltered());
    EXPECT_TRUE(m.F5LstOtoS("b", 1));  // alias or file name without ".wav"; "b" is too short
    EXPECT_EQ(itemData(m), (QList<int>{0, 1, 3}));
    EXPECT_FALSE(m.F5LstOtoS("B", 1));  // exact case
    EXPECT_EQ(m.rowCount(), 0);
    EXPECT_TRUE(m.F5LstOtoS("", 0));
    EXPECT_EQ(m.rowCount(), 4);
    EXPECT_FALSE(m.isFiltered());
}

TEST_F(ModelFixture, TypeAheadMatchesRowTextFromTheStart)
{
    doc.replaceEntries(entries({{"a", "a.wav"}, {"", "kx.wav"}, {"ka", "ka.wav"}, {"ka", "kb.wav"}}));
    EXPECT_EQ(m.findRowStartingWith("k"), 1);       // an entry without alias matches on its file name
    EXPECT_EQ(m.findRowStartingWith("ka"), 2);
    EXPECT_EQ(m.findRowStartingWith("ka\tkb"), 3);  // across the TAB into the file name
    EXPECT_EQ(m.findRowStartingWith("KA"), -1);
    EXPECT_EQ(m.findRowStartingWith("kaz"), -1);
    EXPECT_EQ(m.rowOfEntry(3), 3);
}

// Whatever the document does, every row still names the entry it shows.
TEST_F(ModelFixture, FollowsTheDocument)
{
    doc.replaceEntries(entries({{"a0", "0"}, {"b1", "1"}, {"a2", "2"}, {"b3", "3"}, {"a4", "4"}}));
    ASSERT_TRUE(m.F5LstOtoS("a", 0));
    EXPECT_EQ(itemData(m), (QList<int>{0, 2, 4}));

    doc.insertEntriesStep(1, entries({{"x", "x"}, {"y", "y"}}), "add");  // not shown: the list stays filtered
    EXPECT_EQ(itemData(m), (QList<int>{0, 4, 6}));
    doc.removeEntriesStep(3, 2, "remove");  // "b1" and "a2": a shown row goes
    EXPECT_EQ(itemData(m), (QList<int>{0, 4}));
    for (int r = 0; r < m.rowCount(); ++r)
        EXPECT_TRUE(m.data(m.index(r)).toString().startsWith(u'a'));

    QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);
    clsOto renamed = *doc.clcOto()[4];
    renamed.ALS = "A4";
    doc.editEntries({{4, renamed}}, "rename");
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].value<QModelIndex>().row(), 1);
    EXPECT_EQ(m.data(m.index(1)).toString(), "A4\t4");

    EXPECT_TRUE(m.insertRow(1, 1));  // a duplicate's row, where the tool puts it
    EXPECT_EQ(itemData(m), (QList<int>{0, 1, 4}));
    EXPECT_FALSE(m.insertRow(9, 1));
}
