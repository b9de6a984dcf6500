#include "LocaleEnv.h"
#include "OtoDocument.h"
#include "modUtils.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

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
        doc.wrkpath = dir.path();
        doc.openoto(doc.wrkpath, "oto.ini");
    }
    QStringList aliases() const
    {
        QStringList out;
        for (const auto &e : doc.clcOto)
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
    doc.blnChanged = true;
    openFolder(kSjisFile);
    EXPECT_EQ(std::pair(replaced.count(), doc.blnChanged), std::pair(qsizetype(1), false));
    EXPECT_EQ(aliases(), (QStringList{QString::fromUtf8("あ"), QString::fromUtf8("い")}));
    EXPECT_EQ(dialogs.texts(), QStringList{badLinesMessage(1)});
    EXPECT_EQ(shownTitle, "Lirra " + revPath(dir.path()));

    doc.setChanged();
    EXPECT_EQ(shownTitle, "Lirra* " + revPath(dir.path()));
    doc.wrkpath.clear();
    EXPECT_EQ(doc.title(), "Lirra*");
}

TEST_F(DocFixture, SaveKeepsOnlyValidEntriesInTheFileEncoding)
{
    openFolder(kSjisFile);
    doc.setChanged();
    doc.save();
    EXPECT_EQ(dir.read("oto.ini"), QByteArray("a.wav=\x82\xa0,12,30.5,-200,20,0.25\r\nb.wav=\x82\xa2,1,2,3,4,5"));
    EXPECT_FALSE(doc.blnChanged);

    // A UTF-8 file stays UTF-8 through Save and Save Backup.
    openFolder("#CHARSET:UTF8\r\nc.wav=\xe6\xbc\xa2,1,2,3,4,5\r\n");
    doc.save();
    doc.saveBackup();
    const QByteArray expected = "#CHARSET:UTF8\r\nc.wav=\xe6\xbc\xa2,1,2,3,4,5";
    EXPECT_EQ(std::pair(dir.read("oto.ini"), dir.read("oto_bkp.ini")), std::pair(expected, expected));
    doc.openoto(dir.path(), "oto.ini");
    EXPECT_EQ(aliases(), QStringList{QString::fromUtf8("漢")});
}

TEST_F(DocFixture, SaveQuestionGuardsReloadAndOpen)
{
    openFolder("a.wav=\x82\xa0,12,30.5,-200,20,0.25\r\nb.wav=\x82\xa2,1,2,3,4,5");
    doc.reload();  // nothing changed: no question
    EXPECT_TRUE(dialogs.messages.isEmpty());
    const auto change = [&](const char *alias) { doc.clcOto[0]->ALS = alias, doc.setChanged(); };

    change("changed");
    dialogs.answers = {MsgAnswer::Cancel};
    doc.reload();
    ASSERT_EQ(dialogs.messages.size(), 1);
    const MessageRequest &q = dialogs.messages[0];
    EXPECT_EQ(q.text, QString::fromUtf8("something's been changed, save?\r\n有改變，是否保存？"));
    EXPECT_EQ(std::tuple(q.title, q.buttons, q.icon, q.defaultButton),
              std::tuple(QString("?"), MsgButtons::YesNoCancel, MsgIcon::Question, MsgAnswer::Cancel));
    EXPECT_EQ(std::pair(doc.clcOto[0]->ALS, doc.blnChanged), std::pair(QString("changed"), true));

    dialogs.answers = {MsgAnswer::No};
    doc.reload();
    EXPECT_EQ(doc.clcOto[0]->ALS, QString::fromUtf8("あ"));

    change("saved");
    dialogs.answers = {MsgAnswer::Yes};
    doc.reload();
    EXPECT_EQ(std::pair(doc.clcOto[0]->ALS, doc.blnChanged), std::pair(QString("saved"), false));

    // Save Backup keeps the unsaved mark; Load Backup brings the backup back.
    change("in backup");
    doc.saveBackup();
    EXPECT_TRUE(doc.blnChanged);
    EXPECT_EQ(shownTitle, "Lirra* " + revPath(dir.path()));
    dialogs.answers = {MsgAnswer::No};
    doc.loadBackup();
    EXPECT_EQ(doc.clcOto[0]->ALS, "in backup");

    // Open with the chooser cancelled reloads the folder's oto.ini.
    bool chooserShown = false;
    doc.open([&] { chooserShown = true; });
    EXPECT_TRUE(chooserShown);
    EXPECT_EQ(doc.clcOto[0]->ALS, "saved");

    // A missing backup: the read message, then an empty collection.
    QFile::remove(dir.file("oto_bkp.ini"));
    dialogs.messages.clear();
    doc.loadBackup();
    EXPECT_TRUE(doc.clcOto.isEmpty());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("modlocale::readfile("));
}

TEST_F(DocFixture, EmptyCollectionNeverSilentlyReplacesEntries)
{
    openFolder(kSjisFile);
    const QByteArray before = dir.read("oto.ini");
    doc.clcOto.clear();
    dialogs.messages.clear();

    dialogs.answers = {MsgAnswer::No};
    EXPECT_FALSE(doc.saveoto());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(std::tuple(dialogs.messages[0].buttons, dialogs.messages[0].defaultButton, dir.read("oto.ini")),
              std::tuple(MsgButtons::YesNo, MsgAnswer::No, before));

    dialogs.answers = {MsgAnswer::Yes};
    EXPECT_TRUE(doc.saveoto());
    EXPECT_EQ(dir.read("oto.ini"), QByteArray());

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
        EXPECT_FALSE(doc.clcOto.first()->FIL.startsWith(QChar(0xFEFF)));
        doc.setChanged();
        doc.save();
        EXPECT_EQ(dir.read("oto.ini"), bytes);
        doc.clcOto.last()->prmLF = 7;  // an edit changes its own line only
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
        EXPECT_TRUE(doc.blnChanged);
        dialogs.answers = {MsgAnswer::Yes};
        EXPECT_FALSE(doc.saveFirstIfAsked());  // the caller must not go on
        doc.reload();
    }
    EXPECT_EQ(std::tuple(doc.blnChanged, shownTitle.startsWith("Lirra*"), doc.clcOto.size()),
              std::tuple(true, true, qsizetype(2)));
    EXPECT_EQ(dir.read("oto.ini"), before);
}

TEST_F(DocFixture, RealLfBankFromGit)
{
    const QString bank = realBankFolder();
    if (bank.isEmpty())
        GTEST_SKIP() << "the development voicebank is not beside this checkout";
    doc.wrkpath = bank;
    ASSERT_TRUE(doc.openoto(bank, "oto.ini"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(doc.clcOto.size(), 1016);
    EXPECT_EQ(doc.form().lineEnd, LineEnd::Lf);
    EXPECT_TRUE(doc.clcOto.first()->FIL.startsWith(QString::fromUtf8("_あ")));
}
