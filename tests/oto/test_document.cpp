#include "core/modUtils.h"
#include "oto/OtoDocument.h"
#include "support/LocaleEnv.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <sys/resource.h>

namespace {

const QByteArray kSjisFile =
    "a.wav=\x82\xa0,12,30.5,-200,20,0.25\r\n"  // あ
    "# comment\r\n"
    "\r\n"
    "bad line\r\n"
    "b.wav=\x82\xa2,1,2,3,4,5\r\n";            // い

struct DocFixture : ::testing::Test, LocaleEnv {
    DocFixture()
    {
        QObject::connect(&doc, &OtoDocument::titleChanged, [this](const QString &t) { shownTitle = t; });
    }
    void openFolder(const QByteArray &oto)
    {
        dir.write("oto.ini", oto);
        doc.openFolder(dir.path());
    }
    QStringList aliases() const
    {
        QStringList out;
        for (const auto &e : doc.clcOto())
            out << e->ALS;
        return out;
    }

    OtoDocument doc{locale, dialogs};
    QString shownTitle;
};

}  // namespace

TEST_F(DocFixture, OpenParsesReportsOnceAndTitles)
{
    QSignalSpy replaced(&doc, &OtoDocument::entriesReplaced);
    doc.setChanged();
    openFolder(kSjisFile);
    EXPECT_EQ(std::pair(replaced.count(), doc.blnChanged()), std::pair(qsizetype(1), false));
    EXPECT_EQ(aliases(), (QStringList{QString::fromUtf8("あ"), QString::fromUtf8("い")}));
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].startsWith("1 line(s) are not entries"));
    EXPECT_TRUE(dialogs.texts()[0].contains("\r\n4: bad line\r\n"));
    EXPECT_EQ(shownTitle, "Lirra " + revPath(dir.path()));

    doc.setChanged();
    EXPECT_EQ(shownTitle, "Lirra* " + revPath(dir.path()));
    doc.open([] { return std::optional<QString>(""); });  // cancelled save question: nothing happens
    EXPECT_EQ(doc.title(), "Lirra* " + revPath(dir.path()));
}

TEST_F(DocFixture, SaveKeepsEveryLineAndLineEndChangingEditedEntriesOnly)
{
    // Comments, blank and bad lines stay where they were, the final CR LF too.
    openFolder(kSjisFile);
    doc.setChanged();
    doc.save();
    EXPECT_EQ(dir.read("oto.ini"), kSjisFile);
    EXPECT_FALSE(doc.blnChanged());

    // Lines ending partly in CR LF, partly in LF or CR, the last in nothing:
    // a save without an edit writes the same bytes; an edit changes its own
    // line; a removed entry takes only its line; a new one gets the most
    // common line end, and the last line still ends in nothing.
    const QByteArray mixed = "#c\nx.wav=x,1,2,3,4,5\r\nbad\ny.wav=y,1.50,2,3,4,5\rz.wav=z,1,2,3,4,5\n\nw.wav=w,1,2,3,4,5";
    openFolder(mixed);
    ASSERT_EQ(aliases(), (QStringList{"x", "y", "z", "w"}));
    doc.setChanged();
    doc.save();
    EXPECT_EQ(dir.read("oto.ini"), mixed);
    clsOto y = *doc.clcOto()[1];
    y.prmFX = 7;
    doc.editEntries({{1, y}}, "edit");
    doc.removeEntriesStep(0, 1, "remove");
    doc.insertEntriesStep(3, {std::make_shared<clsOto>("n.wav", "n", 1, 2, 3, 4, 5)}, "add");
    doc.save();
    EXPECT_EQ(dir.read("oto.ini"), QByteArray("#c\nbad\ny.wav=y,1.5,7,3,4,5\rz.wav=z,1,2,3,4,5\n\nw.wav=w,1,2,3,4,5\n"
                                              "n.wav=n,1,2,3,4,5"));
    // Undone, the file is as read again.
    while (doc.history().canUndo())
        doc.undo();
    doc.setChanged();
    doc.save();
    EXPECT_EQ(dir.read("oto.ini"), mixed);

    // A UTF-8 file stays UTF-8 through Save and Save Backup.
    openFolder("#CHARSET:UTF8\r\nc.wav=\xe6\xbc\xa2,1,2,3,4,5\r\n");
    doc.save();
    doc.saveBackup();
    const QByteArray expected = "#CHARSET:UTF8\r\nc.wav=\xe6\xbc\xa2,1,2,3,4,5\r\n";
    EXPECT_EQ(std::pair(dir.read("oto.ini"), dir.read("oto_bkp.ini")), std::pair(expected, expected));
    doc.openoto(dir.path(), "oto.ini");
    EXPECT_EQ(aliases(), QStringList{QString::fromUtf8("漢")});
}

TEST_F(DocFixture, SaveQuestionGuardsReloadAndOpen)
{
    openFolder("a.wav=\x82\xa0,12,30.5,-200,20,0.25\r\nb.wav=\x82\xa2,1,2,3,4,5");
    doc.reload();  // nothing changed: no question
    EXPECT_TRUE(dialogs.messages.isEmpty());
    const auto change = [&](const char *alias) { doc.clcOto()[0]->ALS = alias, doc.setChanged(); };

    change("changed");
    dialogs.answers = {MsgAnswer::Cancel};
    doc.reload();
    ASSERT_EQ(dialogs.messages.size(), 1);
    const MessageRequest &q = dialogs.messages[0];
    EXPECT_EQ(q.text, QString::fromUtf8("something's been changed, save?\r\n有改變，是否保存？"));
    EXPECT_EQ(std::tuple(q.title, q.buttons, q.icon, q.defaultButton),
              std::tuple(QString("?"), MsgButtons::YesNoCancel, MsgIcon::Question, MsgAnswer::Cancel));
    EXPECT_EQ(std::pair(doc.clcOto()[0]->ALS, doc.blnChanged()), std::pair(QString("changed"), true));

    dialogs.answers = {MsgAnswer::No};
    doc.reload();
    EXPECT_EQ(doc.clcOto()[0]->ALS, QString::fromUtf8("あ"));

    change("saved");
    dialogs.answers = {MsgAnswer::Yes};
    doc.reload();
    EXPECT_EQ(std::pair(doc.clcOto()[0]->ALS, doc.blnChanged()), std::pair(QString("saved"), false));

    // Save Backup keeps the unsaved mark; Load Backup brings the backup back.
    change("in backup");
    doc.saveBackup();
    EXPECT_TRUE(doc.blnChanged());
    EXPECT_EQ(shownTitle, "Lirra* " + revPath(dir.path()));
    dialogs.answers = {MsgAnswer::No};
    doc.loadBackup();
    EXPECT_EQ(doc.clcOto()[0]->ALS, "in backup");

    // Open with the chooser cancelled reloads the folder's oto.ini.
    bool chooserShown = false;
    doc.open([&] {
        chooserShown = true;
        return std::optional<QString>();
    });
    EXPECT_TRUE(chooserShown);
    EXPECT_EQ(doc.clcOto()[0]->ALS, "saved");

    // A missing backup: the read message, then an empty collection.
    QFile::remove(dir.file("oto_bkp.ini"));
    dialogs.messages.clear();
    doc.loadBackup();
    EXPECT_TRUE(doc.clcOto().isEmpty());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("modlocale::readfile("));
}

TEST_F(DocFixture, EmptyCollectionNeverSilentlyReplacesEntries)
{
    openFolder(kSjisFile);
    const QByteArray before = dir.read("oto.ini");
    doc.replaceEntries({});
    dialogs.messages.clear();

    dialogs.answers = {MsgAnswer::No};
    EXPECT_FALSE(doc.saveoto());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(std::tuple(dialogs.messages[0].buttons, dialogs.messages[0].defaultButton, dir.read("oto.ini")),
              std::tuple(MsgButtons::YesNo, MsgAnswer::No, before));

    dialogs.answers = {MsgAnswer::Yes};
    EXPECT_TRUE(doc.saveoto());
    EXPECT_EQ(dir.read("oto.ini"), QByteArray("# comment\r\n\r\nbad line\r\n"));  // the lines that were no entries

    EXPECT_TRUE(doc.saveoto("new.ini"));  // nothing to lose: no question
    EXPECT_EQ(dialogs.messages.size(), 2);
}

TEST_F(DocFixture, LineEndsAndByteOrderMarkAreWrittenBackAsRead)
{
    const QByteArray files[] = {
        "a.wav=\x82\xa0,12,30.5,-200,20,0.25\nb.wav=\x82\xa2,1,2,3,4,5\n",       // LF, as git leaves it
        "a.wav=\x82\xa0,12,30.5,-200,20,0.25\nb.wav=\x82\xa2,1,2,3,4,5",          // LF, none at the end
        "\xef\xbb\xbf" "a.wav=\xe3\x81\x82,1,2,3,4,5\r\nb.wav=b,1,2,3,4,5",      // byte-order mark
        "\xef\xbb\xbf#CHARSET:UTF8\nc.wav=\xe6\xbc\xa2,1,2,3,4,5\n",             // both marks, LF
    };
    for (const QByteArray &bytes : files) {
        SCOPED_TRACE(bytes.toStdString());
        openFolder(bytes);
        ASSERT_TRUE(dialogs.messages.isEmpty());
        EXPECT_FALSE(doc.clcOto().first()->FIL.startsWith(QChar(0xFEFF)));
        doc.setChanged();
        doc.save();
        EXPECT_EQ(dir.read("oto.ini"), bytes);
        doc.clcOto().last()->prmLF = 7;  // an edit changes its own line only
        doc.save();
        QByteArray edited = bytes;
        edited.replace(edited.lastIndexOf(",1,2,3,4,5"), 2, ",7");
        EXPECT_EQ(dir.read("oto.ini"), edited);
    }
}

TEST_F(DocFixture, FailedSaveKeepsTheUnsavedMark)
{
    openFolder(kSjisFile);
    doc.setChanged();
    const QByteArray before = dir.read("oto.ini");
    {
        ReadOnlyFolder readOnly(dir.path());
        doc.save();
        EXPECT_TRUE(doc.blnChanged());
        dialogs.answers = {MsgAnswer::Yes};
        EXPECT_FALSE(doc.saveFirstIfAsked());  // the caller must not go on
        doc.reload();
    }
    EXPECT_EQ(std::tuple(doc.blnChanged(), shownTitle.startsWith("Lirra*"), doc.clcOto().size()),
              std::tuple(true, true, qsizetype(2)));
    EXPECT_EQ(dir.read("oto.ini"), before);
}

TEST_F(DocFixture, RealLfBankFromGit)
{
    const QString bank = realBankFolder();
    if (bank.isEmpty())
        GTEST_SKIP() << "the development voicebank is not beside this checkout";
    ASSERT_TRUE(doc.openFolder(bank));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(doc.clcOto().size(), 1016);
    EXPECT_EQ(doc.form().lineEnd, LineEnd::Lf);
    EXPECT_TRUE(doc.clcOto().first()->FIL.startsWith(QString::fromUtf8("_あ")));
}

TEST_F(DocFixture, FullDiskKeepsTheOldFileAndSaysWhy)
{
    SmallFileSystem disk("16k");
    QString folder = disk.path();
    rlimit saved{};
    if (!disk.mounted()) {
        // No file system of our own here: a file-size limit fails the write
        // half-way the same way, with the system's own reason.
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        folder = dir.path();
    }
    const QByteArray old = "a.wav=\x82\xa0,1,2,3,4,5";
    QFile f(folder + "/oto.ini");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
    f.close();
    ASSERT_TRUE(doc.openFolder(folder));
    OtoEntries more;
    for (int i = 0; i < 2000; ++i)
        more.append(std::make_shared<clsOto>(QString("entry%1.wav").arg(i), "alias", 1, 2, 3, 4, 5));
    doc.insertEntriesStep(1, more, "more");
    doc.setChanged();

    if (!disk.mounted()) {
        rlimit small = saved;
        small.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    doc.save();
    if (!disk.mounted())
        setrlimit(RLIMIT_FSIZE, &saved);

    ASSERT_EQ(dialogs.messages.size(), 1);
    const QString reason = disk.mounted() ? "No space left on device" : "File too large";
    EXPECT_EQ(dialogs.messages[0].text, "modlocale::writefile(" + folder + "/oto.ini): " + reason);
    EXPECT_TRUE(doc.blnChanged());
    QFile after(folder + "/oto.ini");
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), old);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"oto.ini"});  // no temporary left
}

TEST_F(DocFixture, FileChangedBehindOurBackIsNotOverwrittenSilently)
{
    openFolder(kSjisFile);
    const auto changeOnDisk = [&](const QByteArray &bytes) { dir.write("oto.ini", bytes); };
    doc.clcOto()[0]->ALS = "mine";
    doc.setChanged();
    changeOnDisk("theirs.wav=theirs,1,2,3,4,5");
    dialogs.messages.clear();

    doc.save();  // the question's default: keep both
    ASSERT_EQ(dialogs.messages.size(), 1);
    const MessageRequest &q = dialogs.messages[0];
    EXPECT_EQ(std::tuple(q.title, q.buttons, q.defaultButton), std::tuple(QString("?"), MsgButtons::YesNo, MsgAnswer::No));
    EXPECT_TRUE(q.text.startsWith(dir.file("oto.ini") + "\r\nhas been changed on disk"));
    EXPECT_EQ(std::pair(dir.read("oto.ini"), doc.blnChanged()), std::pair(QByteArray("theirs.wav=theirs,1,2,3,4,5"), true));

    dialogs.answers = {MsgAnswer::Yes};
    doc.save();  // overwrite
    EXPECT_TRUE(dir.read("oto.ini").contains("=mine,"));
    EXPECT_FALSE(doc.blnChanged());

    // What we wrote ourselves is no change; a touch that keeps the bytes neither.
    dialogs.messages.clear();
    doc.setChanged();
    changeOnDisk(dir.read("oto.ini"));
    doc.save();
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Kept both, then Reload: the disk's version.
    changeOnDisk("theirs.wav=theirs,1,2,3,4,5");
    doc.setChanged();
    dialogs.answers = {MsgAnswer::No, MsgAnswer::No};  // keep both; then don't save
    doc.save();
    doc.reload();
    EXPECT_EQ(doc.clcOto()[0]->ALS, "theirs");

    // The backup is guarded the same way once written here.
    doc.saveBackup();
    dir.write("oto_bkp.ini", "x.wav=x,1,2,3,4,5");
    dialogs.messages.clear();
    doc.saveBackup();
    EXPECT_EQ(std::pair(dialogs.messages.size(), dir.read("oto_bkp.ini")), std::pair(qsizetype(1), QByteArray("x.wav=x,1,2,3,4,5")));
}

TEST_F(DocFixture, AFileReadInTheWrongCodePageIsNamedAndNeverSavedSilently)
{
    // 这 in GBK, read with the default Japanese file charset.
    const QByteArray gbk = "a.wav=\xd5\xe2,1,2,3,4,5\r\nb.wav=b,1,2,3,4,5\r\n";
    openFolder(gbk);
    ASSERT_EQ(dialogs.messages.size(), 1);
    const QString said = dialogs.messages[0].text;
    EXPECT_TRUE(said.contains("does not read cleanly in the file charset: lines 1 ")) << said.toStdString();
    EXPECT_TRUE(said.contains("It reads cleanly in: S Chinese (GBK)"));
    EXPECT_FALSE(said.contains("Japanese"));

    // The save asks, naming the lines; no keeps the file as it is.
    doc.setChanged();
    dialogs.answers = {MsgAnswer::No};
    doc.save();
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(std::pair(dialogs.messages[1].buttons, dialogs.messages[1].defaultButton),
              std::pair(MsgButtons::YesNo, MsgAnswer::No));
    EXPECT_TRUE(dialogs.messages[1].text.contains("cannot write lines 1 as they read"));
    EXPECT_EQ(dir.read("oto.ini"), gbk);
    EXPECT_TRUE(doc.blnChanged());

    // In the right code page it reads cleanly and saves without a question.
    sett.settlocFile = 1;
    dialogs.answers = {MsgAnswer::No};
    doc.reload();
    EXPECT_EQ(doc.clcOto()[0]->ALS, QString::fromUtf8("这"));
    const qsizetype asked = dialogs.messages.size();
    doc.setChanged();
    doc.save();
    EXPECT_EQ(dialogs.messages.size(), asked);
    EXPECT_EQ(dir.read("oto.ini"), gbk);

    // A character the code page cannot hold is asked about too, never "?" silently.
    clsOto e = *doc.clcOto()[1];
    e.ALS = QString::fromUtf8("한");
    doc.editEntries({{1, e}}, "alias");
    dialogs.answers = {MsgAnswer::Yes};
    doc.save();
    EXPECT_TRUE(dialogs.messages.last().text.contains("cannot write lines 2 as they read"));
    EXPECT_EQ(dir.read("oto.ini"), QByteArray("a.wav=\xd5\xe2,1,2,3,4,5\r\nb.wav=?,1,2,3,4,5\r\n"));
}

// A change on disk while there are unsaved edits: the window's question can
// look at the difference first, and either answer is followed.
TEST_F(DocFixture, ChangeOnDiskShowsTheDifferenceBeforeReloadOrKeep)
{
    openFolder("a.wav=a,1,2,3,4,5\r\nb.wav=b,1,2,3,4,5\r\n");
    clsOto a = *doc.clcOto()[0];
    a.prmPR = 9;
    doc.editEntries({{0, a}}, "edit");
    dir.write("oto.ini", "a.wav=a,1,2,3,4,5\r\nb.wav=b,1,2,3,4,7\r\nc.wav=c,1,2,3,4,5\r\n");
    QString shown;
    DiskChoice answer = DiskChoice::KeepMine;
    const DiskQuestion ask = [&](const QString &path, const auto &difference) {
        shown = path + "\n" + differenceText(difference());
        return answer;
    };
    EXPECT_EQ(doc.followDiskChange(ask), DiskChange::KeptMine);
    EXPECT_TRUE(shown.startsWith(dir.file("oto.ini") + "\nOn disk against the entries here: 1 added, 0 removed, 2 changed."))
        << shown.toStdString();
    EXPECT_TRUE(shown.contains("preutterance: 9 here, 4 on disk"));
    EXPECT_TRUE(shown.contains("overlap: 5 here, 7 on disk"));
    EXPECT_EQ(std::pair(doc.clcOto().size(), doc.clcOto()[0]->prmPR), std::pair(qsizetype(2), 9.0));
    EXPECT_TRUE(doc.blnChanged());

    answer = DiskChoice::Reload;
    EXPECT_EQ(doc.followDiskChange(ask), DiskChange::Reloaded);
    EXPECT_EQ(aliases(), (QStringList{"a", "b", "c"}));
    EXPECT_FALSE(doc.blnChanged());
}

// The open folder deleted behind the editor's back: a save says why and
// keeps every entry and the unsaved mark; Save As writes them elsewhere.
TEST_F(DocFixture, AFolderDeletedWhileOpenSavesElsewhere)
{
    TempFolder bank, other;
    bank.write("oto.ini", "# kept\r\na.wav=a,1,2,3,4,5\r\nbad\r\nb.wav=b,1,2,3,4,5\r\n");
    doc.openFolder(bank.path());
    clsOto b = *doc.clcOto()[1];
    b.ALS = "changed";
    doc.editEntries({{1, b}}, "edit");
    const QString folder = bank.path();
    ASSERT_TRUE(QDir(folder).removeRecursively());
    dialogs.messages.clear();
    doc.save();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("modlocale::writefile(" + folder + "/oto.ini): No such file or directory\r\n"
                                                    "The folder " + folder + " is gone"))
        << dialogs.messages[0].text.toStdString();
    EXPECT_TRUE(dialogs.messages[0].text.contains("Save As"));
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_EQ(aliases(), (QStringList{"a", "changed"}));
    EXPECT_TRUE(doc.blnChanged());

    ASSERT_TRUE(doc.saveAs(other.path(), 932));
    EXPECT_EQ(other.read("oto.ini"), QByteArray("a.wav=a,1,2,3,4,5\r\nb.wav=changed,1,2,3,4,5"));
    EXPECT_EQ(std::pair(doc.wrkpath(), doc.blnChanged()), std::pair(other.path(), false));
    // From then on the new folder is the open one.
    doc.clcOto()[0]->ALS = "again";
    doc.setChanged();
    doc.save();
    EXPECT_EQ(other.read("oto.ini"), QByteArray("a.wav=again,1,2,3,4,5\r\nb.wav=changed,1,2,3,4,5"));
}
