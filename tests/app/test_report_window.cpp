#include "app/frmReport.h"
#include "support/WindowEnv.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

struct ReportWindowFixture : ::testing::Test, WindowEnv {
    frmReport *openReport()
    {
        child<QAction>("mnuReport")->trigger();
        frmReport *report = window->reportWindow();
        EXPECT_TRUE(report && QTest::qWaitForWindowExposed(report));
        return report;
    }
    static QStringList column(const QTableView *table, int column)
    {
        QStringList out;
        for (int r = 0; r < table->model()->rowCount(); ++r)
            out << table->model()->index(r, column).data().toString();
        return out;
    }
};

}  // namespace

TEST_F(ReportWindowFixture, ListsFiltersSelectsAndCreatesMissingEntries)
{
    // Three entries on one VCV recording of 250 ms: "a い" twice, the second
    // reaching past the end; "_いう.wav" unused.
    openBank({{"- あ", "_あい.wav"}, {"a い", "_あい.wav"}, {"a い", "_あい.wav"}}, "10,20,-100,15,5", 44100 / 4);
    bank.write("_いう.wav", wavimg::wav(wavimg::noise(1000, 3000)));
    // The report reads the document, not the file: a change not saved counts.
    window->document().clcOto()[2]->prmLF = 400;

    frmReport *report = openReport();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->windowTitle(), "Report - 檢查");
    EXPECT_EQ(child<QAction>("mnuReport")->text(), "Report - 檢查");
    QTableView *table = report->table();
    EXPECT_EQ(column(table, 0), (QStringList{"duplicate-alias", "out-of-range", "unused-wave"}));
    EXPECT_EQ(column(table, 1), (QStringList{"oto.ini:4", "oto.ini:4", "_いう.wav"}));  // after the UTF-8 marker line

    // Sorted by a header click, filtered by kind.
    table->horizontalHeader()->setSortIndicator(1, Qt::AscendingOrder);
    EXPECT_EQ(column(table, 1).first(), "_いう.wav");
    auto *kinds = report->findChild<QComboBox *>("cboKind");
    kinds->setCurrentIndex(kinds->findData("out-of-range"));
    EXPECT_EQ(column(table, 0), QStringList{"out-of-range"});

    // A double click selects the entry.
    const QModelIndex cell = table->model()->index(0, 2);
    table->scrollTo(cell);
    // As a real double click comes: a click, then the second press.
    const QPoint at = table->visualRect(cell).center();
    const int before = editor().curIdx();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(editor().curIdx(), before);  // a single click selects nothing
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(editor().curIdx(), 2);

    // Coverage by the VCV naming, and the missing entries made in one step.
    auto *coverage = report->findChild<QComboBox *>("cboCoverage");
    auto *create = report->findChild<QPushButton *>("cmdCreate");
    coverage->setCurrentIndex(coverage->findData("ja-vcv"));
    kinds->setCurrentIndex(kinds->findData("missing-alias"));
    EXPECT_EQ(column(table, 2), (QStringList{"i -", "- い", "i う", "u -"}));
    EXPECT_EQ(create->text(), "Create missing entries");
    ASSERT_TRUE(create->isEnabled());
    QTest::mouseClick(create, Qt::LeftButton);
    QStringList made;
    for (const auto &e : window->document().clcOto().mid(3))
        made << e->fileStr();
    EXPECT_EQ(made, (QStringList{"_あい.wav=i -,0,0,0,0,0", "_いう.wav=- い,0,0,0,0,0", "_いう.wav=i う,0,0,0,0,0",
                                 "_いう.wav=u -,0,0,0,0,0"}));
    EXPECT_FALSE(create->isEnabled());  // nothing missing any more
    window->document().undo();
    EXPECT_EQ(window->document().clcOto().size(), 3);
}
