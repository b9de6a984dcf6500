#include "control/MainController.h"
#include "control/MainView.h"
#include "support/LocaleEnv.h"
#include "support/ScriptedEstimateUi.h"
#include "support/SungRecording.h"
#include "support/WavImages.h"

#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QSet>
#include <gtest/gtest.h>

namespace {

// A window without widgets: it records what the controller asks of it.
struct FakeView : MainView {
    int row = -1, entry = -1;
    bool editable = false;
    QList<int> selected;
    int consoles = 0, closes = 0, reports = 0;
    EstimateUi *ui = nullptr;
    const OtoListModel *list = nullptr;

    int currentRow() const override { return row; }
    int currentEntry() const override { return entry; }
    bool isEditable() const override { return editable; }
    QItemSelectionModel *listSelection() override { return nullptr; }
    void selectRow(int r) override
    {
        selected << r;
        row = r;
        entry = list->rowItemData(r);
        editable = entry >= 0;
    }
    void scrollToRow(int) override {}
    void showEntry(int index) override { entry = index; }
    void redrawall() override {}
    std::optional<QString> chooseFolder() override { return std::nullopt; }
    std::optional<QString> chooseSaveFolder() override { return saveFolder; }
    std::optional<QString> saveFolder;
    void closeWindow() override { ++closes; }
    void openConsole() override { ++consoles; }
    void openAddress(const QString &) override {}
    void applyDisplayCharset(int) override {}
    void applyViewSettings(const ViewSettings &) override {}
    void showEstimateFlags() override {}
    void generateFrequencyFiles(const QString &) override {}
    EstimateUi &estimateUi() override { return *ui; }
    void openReport() override { ++reports; }
    ViewWindow viewWindow() const override { return view; }
    void setViewWindow(const ViewWindow &v) override { view = v; }
    std::optional<singer::PrefixMap> editPrefixMap(const singer::PrefixMap &) override { return std::nullopt; }
    void listen(Listening) override {}
    std::optional<QStringList> chooseCopyFolders(const QString &, const QStringList &) override { return std::nullopt; }
    DiskChoice askDiskChange(const QString &, const std::function<QList<EntryDifference>()> &) override
    {
        return DiskChoice::KeepMine;
    }
    ViewWindow view{};
};

struct ControllerFixture : ::testing::Test, LocaleEnv {
    ControllerFixture() { view.list = &controller.listModel(); view.ui = &ui; }

    // A bank of entries {alias, file} with a noise wave each.
    QString writeBank(TempFolder &folder, const QStringList &aliases, const QString &params = "0,0,0,0,0")
    {
        QString text = "#CHARSET:UTF8\r\n";
        for (int i = 0; i < aliases.size(); ++i) {
            const QString file = QString("w%1.wav").arg(i);
            text += file + "=" + aliases[i] + "," + params + "\r\n";
            folder.write(file, wavimg::wav(wavimg::noise(22050, 3000, quint32(i + 1))));
        }
        folder.write("oto.ini", text.toUtf8());
        return folder.path();
    }
    const MenuItem &item(const char *name)
    {
        for (const MenuItem &i : menuTable())
            if (qstrcmp(i.name, name) == 0)
                return i;
        throw std::runtime_error(name);
    }

    FakeView view;
    ScriptedEstimateUi ui;
    MainController controller{sett, locale, dialogs, view};
    OtoDocument &doc = controller.document();
    TempFolder bank, other;
};

}  // namespace

TEST(MenuTable, RowsAreWellFormed)
{
    QSet<QByteArray> names, menus;
    for (const MenuItem &item : menuTable()) {
        EXPECT_FALSE(names.contains(item.name)) << item.name;
        names << item.name;
        if (item.parent) {
            EXPECT_TRUE(menus.contains(item.parent)) << item.name << " sits in a menu not defined before it";
        }
        if (item.kind == MenuKind::Menu || item.kind == MenuKind::Recent)
            menus << item.name;
        const bool command = item.kind == MenuKind::Item || item.kind == MenuKind::Toggle;
        EXPECT_EQ(command, item.handler != nullptr) << item.name;
        EXPECT_EQ(item.kind == MenuKind::Toggle, item.checked != nullptr) << item.name;
        const QString keys = QString::fromLatin1(item.keys);
        if (!keys.isEmpty())
            for (const QKeySequence &k : QKeySequence::listFromString(keys)) {
                EXPECT_FALSE(k.isEmpty()) << item.name;
            }
        if (command) {
            EXPECT_TRUE(item.captionText().contains(" - ")) << item.name << ": both languages";
        }
    }
}

TEST_F(ControllerFixture, ItemsAreEnabledByStateAndRunOnlyWhenEnabled)
{
    EXPECT_FALSE(controller.isEnabled(item("mnuSave")));
    EXPECT_FALSE(controller.isEnabled(item("mnuEstimate")));
    EXPECT_FALSE(controller.isEnabled(item("mnuOtoDel")));
    EXPECT_FALSE(controller.isEnabled(item("mnuUndo")));
    EXPECT_TRUE(controller.isEnabled(item("mnuOpen")));
    controller.run(item("mnuOtoDup"));  // disabled: nothing happens
    controller.run(item("mnuReport"));
    EXPECT_EQ(std::pair(doc.clcOto().size(), view.reports), std::pair(qsizetype(0), 0));

    controller.openFolder(writeBank(bank, {"a", "i", "u"}));
    EXPECT_TRUE(controller.isEnabled(item("mnuSave")));
    EXPECT_TRUE(controller.isEnabled(item("mnuOtoDel")));  // the first entry is on show
    controller.run(item("mnuOtoDup"));
    EXPECT_EQ(doc.clcOto().size(), 4);
    EXPECT_TRUE(controller.isEnabled(item("mnuUndo")));
    controller.run(item("mnuUndo"));
    EXPECT_EQ(std::pair(doc.clcOto().size(), controller.isEnabled(item("mnuRedo"))), std::pair(qsizetype(3), true));

    const bool spectrogram = controller.isChecked(item("mnuSettSpectrogram"));
    controller.run(item("mnuSettSpectrogram"));
    EXPECT_NE(controller.isChecked(item("mnuSettSpectrogram")), spectrogram);
    controller.run(item("mnuExpScript"));
    controller.run(item("mnuReport"));
    controller.run(item("mnuQuit"));
    EXPECT_EQ(std::tuple(view.consoles, view.reports, view.closes), std::tuple(1, 1, 1));
}

TEST_F(ControllerFixture, TypingMergesIntoOneStepUntilTheBoxIsLeft)
{
    controller.openFolder(writeBank(bank, {"a", "i"}, "10,20,30,40,50"));
    ASSERT_TRUE(view.editable);
    EXPECT_TRUE(controller.typeValue(0, "1", 1000));
    EXPECT_TRUE(controller.typeValue(0, "12", 1000));
    EXPECT_EQ(doc.history().count(), 1);
    controller.endTyping();
    EXPECT_TRUE(controller.typeValue(0, "13", 1000));
    EXPECT_EQ(doc.history().count(), 2);
    EXPECT_FALSE(controller.typeValue(0, "x", 1000));
    EXPECT_FALSE(controller.typeAlias("a,b"));  // a separator of the file's lines
    EXPECT_TRUE(controller.typeAlias("a "));
    EXPECT_TRUE(controller.typeAlias("a  "));
    EXPECT_EQ(std::pair(doc.history().count(), doc.clcOto()[0]->ALS), std::pair(3, QString("a  ")));
    controller.undo();  // also ends the typing
    EXPECT_TRUE(controller.typeAlias("b"));
    EXPECT_EQ(doc.history().count(), 3);
}

TEST_F(ControllerFixture, OpeningShowsTheFirstOrTheLastShownEntryAndKeepsTenRecentBanks)
{
    const QString first = writeBank(bank, {"a", "i", "u"});
    const QString second = writeBank(other, {"ka"});
    controller.openFolder(first);
    EXPECT_EQ(std::pair(view.selected.last(), view.entry), std::pair(0, 0));
    view.selectRow(2);
    controller.openFolder(second);
    EXPECT_EQ(view.entry, 0);
    controller.openFolder(first);  // back where it was left
    EXPECT_EQ(view.entry, 2);
    ASSERT_EQ(controller.recentBanks().banks().size(), 2);
    EXPECT_EQ(controller.recentBanks().banks()[0].folder, first);

    // Kept across runs, at most ten, newest first.
    controller.writeSettings({});
    RecentBanks recent = RecentBanks::read(controller.ownIniPath());
    EXPECT_EQ(recent.banks(), controller.recentBanks().banks());
    for (int i = 0; i < 12; ++i)
        recent.opened(QString("/banks/%1").arg(i));
    EXPECT_EQ(std::pair(recent.banks().size(), recent.banks()[0].folder), std::pair(qsizetype(10), QString("/banks/11")));
}

TEST_F(ControllerFixture, EstimateCancelledChangesNothingAndFinishedKeepsChosenParameters)
{
    controller.openFolder(writeBank(bank, {"a", "i", "u"}, "0,0,0,0,0"));
    doc.editEntries({{1, [&] { clsOto e = *doc.clcOto()[1]; e.prmLF = 100; e.prmRT = -300; return e; }()}}, "set");
    const int steps = doc.history().count();
    ui.choice = EstimateChoice{analysis::EstimateScope::All, {true, false, false, false, false}};  // keep LF
    ui.cancel = true;
    controller.estimate();
    ASSERT_EQ(ui.asked.size(), 1);
    EXPECT_EQ(std::tuple(ui.asked[0].unset, ui.asked[0].all, ui.asked[0].hasCurrent), std::tuple(2, 3, true));
    EXPECT_EQ(std::pair(doc.history().count(), ui.summaries.size()), std::pair(steps, qsizetype(0)));

    ui.cancel = false;
    const QList<double> lf = {doc.clcOto()[0]->prmLF, doc.clcOto()[1]->prmLF, doc.clcOto()[2]->prmLF};
    controller.estimate();
    ASSERT_EQ(ui.summaries.size(), 1);
    EXPECT_TRUE(ui.summaries[0].contains("of 3 entries estimated"));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(doc.clcOto()[i]->prmLF, lf[i]) << "kept";
    ui.choice.reset();  // the dialog cancelled: no run at all
    controller.estimate();
    EXPECT_EQ(ui.summaries.size(), 1);
}

TEST_F(ControllerFixture, FlagMarksStayBesideOtoIniUntilEditedAndF4StepsThroughThem)
{
    const QString folder = writeBank(bank, {"a", "i", "u", "e"});
    controller.openFolder(folder);
    controller.flags().mark({{1, "no vowel found"}, {3, "preutterance after the vowel"}});
    EXPECT_EQ(controller.listModel().data(controller.listModel().index(1), Qt::ToolTipRole).toString(), "no vowel found");
    EXPECT_TRUE(controller.listModel().data(controller.listModel().index(3), OtoListModel::FlaggedRole).toBool());
    EXPECT_FALSE(controller.listModel().data(controller.listModel().index(0), OtoListModel::FlaggedRole).toBool());
    EXPECT_TRUE(bank.read(FlagMarks::kFileName).contains("w1.wav\ti\tno vowel found"));

    controller.nextFlagged();
    EXPECT_EQ(view.entry, 1);
    controller.nextFlagged();
    EXPECT_EQ(view.entry, 3);
    controller.nextFlagged();  // round to the first again
    EXPECT_EQ(view.entry, 1);

    doc.reload();  // kept across a new read, by file and alias
    EXPECT_EQ(controller.flags().count(), 2);
    EXPECT_TRUE(controller.typeAlias("ii"));  // an edit clears the entry's mark
    EXPECT_EQ(std::pair(controller.flags().count(), controller.flags().isFlagged(1)), std::pair(1, false));
    view.selectRow(3);
    controller.clearFlag();
    EXPECT_EQ(controller.flags().count(), 0);
    EXPECT_FALSE(controller.isEnabled(item("mnuNextFlagged")));
    EXPECT_FALSE(QFileInfo::exists(bank.file(FlagMarks::kFileName)));

    // In a singer the same file and alias may stand in two pitch folders:
    // the mark keeps to its own folder's entry.
    TempFolder singer;
    for (const char *sub : {"A3", "C5"}) {
        QDir(singer.path()).mkpath(sub);
        singer.write(QString(sub) + "/oto.ini", "w.wav=a,1,2,3,4,5\r\n");
    }
    controller.save();
    controller.openFolder(singer.path());
    ASSERT_EQ(doc.clcOto().size(), 2);
    controller.flags().mark({{1, "no vowel found"}});
    EXPECT_EQ(singer.read(FlagMarks::kFileName), QByteArray("C5/w.wav\ta\tno vowel found\n"));
    doc.reload();
    EXPECT_EQ(std::pair(controller.flags().isFlagged(0), controller.flags().isFlagged(1)), std::pair(false, true));
}

// Save As writes the entries in the chosen code page to the chosen folder,
// which becomes the open bank; a bank whose folder was deleted while open
// can still be saved elsewhere, and an oto.ini already there is replaced only
// when the user says so.
TEST_F(ControllerFixture, SaveAsWritesTheChosenCodePageToAnotherFolder)
{
    TempFolder gone;
    controller.openFolder(writeBank(gone, {"あ", "- か"}, "1,2,3,4,5"));
    ASSERT_EQ(doc.clcOto().size(), 2);
    ASSERT_TRUE(QDir(gone.path()).removeRecursively());

    view.saveFolder = other.path();
    dialogs.inputAnswers = {QString("0")};  // Japanese Shift-JIS
    controller.run(item("mnuSaveAs"));
    QFile written(QDir(other.path()).filePath("oto.ini"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("w0.wav=\x82\xa0,1,2,3,4,5\r\nw1.wav=- \x82\xa9,1,2,3,4,5"));
    EXPECT_EQ(doc.wrkpath(), other.path());
    EXPECT_EQ(controller.recentBanks().banks().value(0).folder, other.path());

    // Over an existing oto.ini: No keeps it, Yes writes UTF-8 with its marker.
    const QString utf8 = QString::number(locale.charsets().size());  // after the code pages
    doc.editAliases({{0, "a"}}, "Alias");
    dialogs.inputAnswers = {utf8};
    dialogs.answers = {MsgAnswer::No};
    controller.run(item("mnuSaveAs"));
    written.close();
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("w0.wav=\x82\xa0"));
    dialogs.inputAnswers = {utf8};
    dialogs.answers = {MsgAnswer::Yes};
    controller.run(item("mnuSaveAs"));
    written.close();
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("#CHARSET:UTF8\r\nw0.wav=a,1,2,3,4,5\r\nw1.wav=- \xe3\x81\x8b,1,2,3,4,5"));
    EXPECT_FALSE(doc.blnChanged());
}

// A singer's Estimate finds each entry's recording in its own folder: the
// same file name in A3/ and C5/ is two recordings, 300 ms apart, and each
// entry is estimated from its own.
TEST_F(ControllerFixture, EstimateReadsEachFolderOfASingerFromItsOwnRecordings)
{
    QDir(bank.path()).mkpath("A3");
    QDir(bank.path()).mkpath("C5");
    bank.write("A3/oto.ini", "ka.wav=- ka,0,0,0,0,0\r\n");
    bank.write("C5/oto.ini", "ka.wav=- ka,0,0,0,0,0\r\n");
    bank.write("A3/ka.wav", wavimg::wav(sungRecording(300, 1500, 1)));
    bank.write("C5/ka.wav", wavimg::wav(sungRecording(600, 1500, 2, 440)));
    controller.openFolder(bank.path());
    ASSERT_EQ(doc.clcOto().size(), 2);
    ASSERT_TRUE(doc.isSinger());

    ui.choice = EstimateChoice{analysis::EstimateScope::Unset, {}};
    controller.estimate();
    ASSERT_EQ(ui.summaries.size(), 1);
    EXPECT_TRUE(ui.summaries[0].startsWith("2 of 2 entries estimated.")) << ui.summaries[0].toStdString();
    const clsOto &a3 = *doc.clcOto()[0], &c5 = *doc.clcOto()[1];
    EXPECT_EQ(a3.folder, "A3");
    EXPECT_EQ(c5.folder, "C5");
    // The consonant lies 300 ms later in C5's recording.
    EXPECT_NEAR((c5.prmLF + c5.prmPR) - (a3.prmLF + a3.prmPR), 300, 40);
    EXPECT_EQ(doc.history().count(), 1);
}

// A folder of recordings without entries opens with the offer to make them
// from the recordings' names: yes makes and estimates them as one step of
// the history, which a save writes as a new UTF-8 oto.ini; no leaves the
// bank empty and is not asked again until the folder changes; an empty
// oto.ini is a new bank too; a bank with entries is not asked about.
TEST_F(ControllerFixture, ANewBankIsOfferedItsEntriesFromTheRecordingsNames)
{
    // Saved As in Shift-JIS before: the new bank is UTF-8 all the same.
    controller.openFolder(writeBank(other, {"a"}));
    ASSERT_TRUE(doc.saveAs(other.path(), 932));
    bank.write(QString::fromUtf8("_かさ.wav"), wavimg::wav(sungRecording(300, 1500, 1)));
    bank.write(QString::fromUtf8("_あ.wav"), wavimg::wav(sungRecording(400, 1500, 2)));
    dialogs.answers = {MsgAnswer::No};
    controller.openFolder(bank.path());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, EstimateFlow::newBankQuestion(2));
    EXPECT_TRUE(dialogs.messages[0].text.contains("\r\n"));  // both languages
    EXPECT_EQ(std::pair(doc.wrkpath(), doc.clcOto().size()), std::pair(bank.path(), qsizetype(0)));
    controller.reload();  // declined, and nothing changed: not asked again
    ASSERT_EQ(dialogs.messages.size(), 1);

    bank.write("oto.ini", QByteArray());
    dialogs.answers = {MsgAnswer::Yes};
    controller.reload();
    ASSERT_EQ(dialogs.messages.size(), 2);
    QStringList made;
    for (const auto &e : doc.clcOto())
        made << e->FIL + "=" + e->ALS;
    EXPECT_EQ(made, QStringList({QString::fromUtf8("_あ.wav=- あ"), QString::fromUtf8("_あ.wav=a -"),
                                 QString::fromUtf8("_かさ.wav=- か"), QString::fromUtf8("_かさ.wav=a さ")}));
    // Estimated: the burst of _かさ starts at 300 ms, its vowel 80 ms later.
    const clsOto &ka = *doc.clcOto()[2];
    EXPECT_NEAR(ka.prmLF + ka.prmPR, 360, 60);
    ASSERT_EQ(ui.summaries.size(), 1);
    EXPECT_TRUE(ui.summaries[0].startsWith("4 entries made for the recordings that had none.")) << ui.summaries[0].toStdString();
    EXPECT_EQ(view.entry, 0);
    EXPECT_EQ(doc.history().count(), 1);
    controller.save();
    EXPECT_TRUE(bank.read("oto.ini").startsWith(QString::fromUtf8("#CHARSET:UTF8\r\n_あ.wav=- あ,").toUtf8()));
    controller.undo();
    EXPECT_EQ(doc.clcOto().size(), 0);
    controller.redo();

    controller.reload();  // an oto.ini with entries: no question
    EXPECT_EQ(std::pair(dialogs.messages.size(), doc.clcOto().size()), std::pair(qsizetype(2), qsizetype(4)));
}

// A new singer: pitch folders of recordings and no oto.ini anywhere. The
// offer counts every folder's recordings; yes makes each folder's entries,
// named with the suffix prefix.map gives that folder, as one step of the
// history, and a save writes an oto.ini into each folder of recordings
// (none into the root, which has none), in UTF-8 with its marker line
// whatever the file charset.
TEST_F(ControllerFixture, ANewSingersPitchFoldersGetTheirEntriesEachInTheirOwnOtoIni)
{
    for (const char *sub : {"A3/takes", "C5", ".hidden"})
        QDir(bank.path()).mkpath(sub);
    bank.write("A3/takes/_a.wav", wavimg::wav(sungRecording(400, 1500, 5)));  // deeper: spare takes
    bank.write("A3/_kasa.wav", wavimg::wav(sungRecording(300, 1500, 1)));
    bank.write("A3/_a.wav", wavimg::wav(sungRecording(400, 1500, 2)));
    bank.write("C5/_kasa.wav", wavimg::wav(sungRecording(600, 1500, 3, 440)));
    bank.write(".hidden/_a.wav", wavimg::wav(sungRecording(400, 1500, 4)));
    bank.write("prefix.map", "C6\t\tC5\r\nC5\t\tC5\r\nA3\t\tA3\r\n");
    dialogs.answers = {MsgAnswer::Yes};
    controller.openFolder(bank.path());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, EstimateFlow::newBankQuestion(3, 2));
    EXPECT_TRUE(dialogs.messages[0].text.contains("UTF-8"));
    QStringList made;
    for (const auto &e : doc.clcOto())
        made << e->folder + "/" + e->FIL + "=" + e->ALS;
    // Named in kana, as a bank with nothing to go by; "a -" is made once.
    EXPECT_EQ(made.join(' '), QString::fromUtf8("A3/_a.wav=- あA3 A3/_a.wav=a -A3 A3/_kasa.wav=- かA3 A3/_kasa.wav=a さA3 "
                                                "C5/_kasa.wav=- かC5 C5/_kasa.wav=a さC5 C5/_kasa.wav=a -C5"));
    // Each from its own recording: C5's burst lies 300 ms later.
    const auto point = [&](int i) { return doc.clcOto()[i]->prmLF + doc.clcOto()[i]->prmPR; };
    EXPECT_NEAR(point(4) - point(2), 300, 40);
    EXPECT_EQ(doc.history().count(), 1);

    sett.settlocFile = 1;  // GBK: a new file is UTF-8 all the same
    controller.save();
    EXPECT_FALSE(QFile::exists(bank.file("oto.ini")));
    EXPECT_FALSE(QFile::exists(bank.file(".hidden/oto.ini")));
    EXPECT_FALSE(QFile::exists(bank.file("A3/takes/oto.ini")));
    EXPECT_TRUE(bank.read("A3/oto.ini").startsWith(QString::fromUtf8("#CHARSET:UTF8\r\n_a.wav=- あA3,").toUtf8()));
    EXPECT_TRUE(bank.read("C5/oto.ini").startsWith(QString::fromUtf8("#CHARSET:UTF8\r\n_kasa.wav=- かC5,").toUtf8()));
    EXPECT_EQ(bank.read("C5/oto.ini").count("\r\n"), 3);

    controller.undo();
    EXPECT_EQ(doc.clcOto().size(), 0);
    controller.redo();
    controller.reload();  // the saved files are read back: no question
    EXPECT_EQ(std::pair(dialogs.messages.size(), doc.clcOto().size()), std::pair(qsizetype(1), qsizetype(7)));
}

// A pitch folder recorded after the others were set (no oto.ini) is offered
// its entries as the set folder names the same recordings, in that folder
// alone; the set one's unnamed recordings are left as they are.
TEST_F(ControllerFixture, ASetSingersNewPitchFolderIsOfferedItsNamesakesEntries)
{
    for (const char *sub : {"A3", "C5", "Breaths"})
        QDir(bank.path()).mkpath(sub);
    bank.write("Breaths/br1.wav", wavimg::wav(sungRecording(300, 1500, 4)));  // sings nothing A3 does: not asked about
    bank.write("A3/_ka.wav", wavimg::wav(sungRecording(300, 1500, 1)));
    bank.write("A3/_sa.wav", wavimg::wav(sungRecording(300, 1500, 2)));
    bank.write("C5/_ka.wav", wavimg::wav(sungRecording(400, 1500, 3, 440)));
    bank.write("A3/oto.ini", "_ka.wav=- kaA3,250,80,500,60,0\r\n_ka.wav=a -A3,0,0,0,0,0\r\n");
    dialogs.answers = {MsgAnswer::Yes};
    controller.openFolder(bank.path());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, EstimateFlow::newFoldersQuestion({"C5"}, 1));
    QStringList made;
    for (const auto &e : doc.clcOto())
        made << e->folder + "/" + e->FIL + "=" + e->ALS;
    EXPECT_EQ(made.join(' '), "A3/_ka.wav=- kaA3 A3/_ka.wav=a -A3 C5/_ka.wav=- kaC5 C5/_ka.wav=a -C5");
    EXPECT_EQ(doc.clcOto()[1]->prmPR, 0);  // the set folder's unset entry is not its business
    EXPECT_GT(doc.clcOto()[3]->prmPR, 0);
    // An oto.ini another program put into C5 meanwhile is not overwritten
    // unasked.
    bank.write("C5/oto.ini", "x.wav=x,1,2,3,4,5\r\n");
    dialogs.answers = {MsgAnswer::No};
    controller.save();
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(bank.read("C5/oto.ini"), "x.wav=x,1,2,3,4,5\r\n");
    QFile::remove(bank.file("C5/oto.ini"));
    controller.saveBackup();
    controller.saveBackup();  // its own file again: no question
    controller.save();
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(bank.read("C5/oto.ini").startsWith("_ka.wav=- kaC5,"));
    controller.undo();
    EXPECT_EQ(doc.clcOto().size(), 2);

    // Declined, the folder stays without a file, whatever another program
    // puts there meanwhile: a save neither asks about it nor touches it.
    QFile::remove(bank.file("C5/oto.ini"));
    dialogs.answers = {MsgAnswer::No, MsgAnswer::No};  // the undone entries not saved; the offer declined
    controller.openFolder(bank.path());
    EXPECT_EQ(dialogs.messages.size(), 4);
    bank.write("C5/oto.ini", "x.wav=x,1,2,3,4,5\r\n");
    controller.save();
    EXPECT_EQ(dialogs.messages.size(), 4);
    EXPECT_EQ(bank.read("C5/oto.ini"), "x.wav=x,1,2,3,4,5\r\n");
    // Nor is the offer made again at the next open.
    QFile::remove(bank.file("C5/oto.ini"));
    controller.openFolder(bank.path());
    EXPECT_EQ(dialogs.messages.size(), 4);
    EXPECT_FALSE(doc.clcOto().isEmpty());
}

// A set bank given new recordings: Estimate counts them and makes their
// entries only when asked, named as the bank names its own, estimated, and
// as one step of the history with the estimate.
TEST_F(ControllerFixture, EstimateMakesEntriesForNewRecordingsOnlyWhenAsked)
{
    bank.write("_ka.wav", wavimg::wav(sungRecording(300, 1500, 1)));
    bank.write("_sa.wav", wavimg::wav(sungRecording(300, 1500, 2)));
    bank.write("breath.wav", wavimg::wav(sungRecording(300, 1500, 3)));
    bank.write("oto.ini", "_ka.wav=- ka,250,80,500,60,0\r\n_ka.wav=a R,0,0,0,0,0\r\n");
    controller.openFolder(bank.path());
    ASSERT_TRUE(dialogs.messages.isEmpty());  // a set bank is not offered anything at open

    ui.choice = EstimateChoice{analysis::EstimateScope::Unset, {}, false};
    controller.estimate();
    ASSERT_EQ(ui.asked.size(), 1);
    EXPECT_EQ(ui.asked[0].unnamedRecordings, 2);
    EXPECT_EQ(doc.clcOto().size(), 2);
    EXPECT_GT(doc.clcOto()[1]->prmPR, 0);

    ui.choice->generate = true;
    controller.estimate();
    EXPECT_EQ(ui.asked[1].unnamedRecordings, 2);
    QStringList made;
    for (const auto &e : doc.clcOto())
        made << e->FIL + "=" + e->ALS;
    // Romaji as the bank has it, its tail "a R" not made twice; a breath
    // names nothing.
    EXPECT_EQ(made.join(' '), "_ka.wav=- ka _ka.wav=a R _sa.wav=- sa");
    EXPECT_GT(doc.clcOto()[2]->prmPR, 0);
    EXPECT_TRUE(ui.summaries.last().startsWith("1 entry made for the recordings that had none.")) << ui.summaries.last().toStdString();
    EXPECT_EQ(doc.history().count(), 2);
    controller.undo();
    EXPECT_EQ(doc.clcOto().size(), 2);

    // Asked for, and nothing to make: the summary says why.
    bank.write("_ka_.wav", wavimg::wav(sungRecording(300, 1500, 4)));
    controller.redo();
    controller.estimate();
    EXPECT_EQ(ui.asked[2].unnamedRecordings, 2);
    EXPECT_EQ(doc.clcOto().size(), 3);
    EXPECT_TRUE(ui.summaries.last().startsWith("No entries made:")) << ui.summaries.last().toStdString();
}
