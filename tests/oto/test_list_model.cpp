#include "oto/OtoListModel.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

namespace {

OtoEntries entries(std::initializer_list<std::pair<const char *, const char *>> aliasAndFile)
{
    OtoEntries out;
    for (const auto &[alias, file] : aliasAndFile) {
        auto e = std::make_shared<clsOto>();
        e->ALS = QString::fromUtf8(alias);
        e->FIL = QString::fromUtf8(file);
        out.append(e);
    }
    return out;
}

QList<int> itemData(const OtoListModel &m)
{
    QList<int> out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.data(m.index(r), OtoListModel::ItemDataRole).toInt();
    return out;
}

}  // namespace

TEST(ListModel, FilterKeepsCollectionIndexesAsItemData)
{
    const OtoEntries e = entries({{"a", "b.wav"}, {"b", "c.wav"}, {"ka", "x.wav"}, {"kab", "b"}});
    OtoListModel m(e);
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);

    m.F5LstOto();
    EXPECT_EQ(itemData(m), (QList<int>{0, 1, 2, 3}));
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

TEST(ListModel, TypeAheadMatchesRowTextFromTheStart)
{
    const OtoEntries e = entries({{"a", "a.wav"}, {"", "kx.wav"}, {"ka", "ka.wav"}, {"ka", "kb.wav"}});
    OtoListModel m(e);
    m.F5LstOto();
    EXPECT_EQ(m.findRowStartingWith("k"), 1);       // an entry without alias matches on its file name
    EXPECT_EQ(m.findRowStartingWith("ka"), 2);
    EXPECT_EQ(m.findRowStartingWith("ka\tkb"), 3);  // across the TAB into the file name
    EXPECT_EQ(m.findRowStartingWith("KA"), -1);
    EXPECT_EQ(m.findRowStartingWith("kaz"), -1);
    EXPECT_EQ(m.rowOfEntry(3), 3);
}
