#include "oto/OtoDocument.h"
#include "support/LocaleEnv.h"
#include "support/WavImages.h"
#include "view/PictureBox.h"
#include "view/WaveEditor.h"

#include <QFrame>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

// The wave editor over two picture boxes and a document: no window.
struct Editor : ::testing::Test, LocaleEnv {
    Editor()
    {
        pic.resize(1000, 500);
        picSm.resize(1000, 25);
        for (const char *name : {"a.wav", "b.wav", "c.wav"})
            dir.write(name, wavimg::wav(wavimg::noise(44100, 3000)));  // 1000 ms each
        dir.write("oto.ini", "a.wav=a,100,80,-300,50,20\r\nb.wav=b,100,80,-300,50,20\r\nc.wav=c,100,80,-300,50,20\r\n");
        doc.openFolder(dir.path());
        editor.setView({0, 1000});
    }
    OtoDocument doc{locale, dialogs};
    PictureBox pic, picSm;
    QFrame frame{&picSm};
    WaveEditor editor{doc, locale, sett, dialogs, pic, picSm, frame};
};

}  // namespace

TEST_F(Editor, LoadsEditsCommitsAndFollowsTheDocument)
{
    EXPECT_FALSE(editor.isEditable());
    QSignalSpy redrawn(&editor, &WaveEditor::viewsRedrawn);
    editor.loadWave(1);
    ASSERT_TRUE(editor.isEditable());
    EXPECT_EQ(std::tuple(editor.curIdx(), editor.curOto(), redrawn.count()), std::tuple(1, doc.clcOto()[1], 1));
    EXPECT_EQ(editor.view().start, 0);  // 100 ms before LF, no earlier than the start

    editor.setView({0, 1000});
    editor.pic_MouseUp(1, 0, 130, 50);  // band 0: LF
    EXPECT_EQ(std::pair(doc.clcOto()[1]->prmLF, doc.blnChanged()), std::pair(130.0, true));
    editor.pic_MouseUp(1, 0, 50, 450);  // RT left of LF: refused with a beep
    EXPECT_EQ(dialogs.beeps, 1);
    editor.pic_MouseUp(2, 0, 500, 50);
    EXPECT_EQ(editor.dispMode(), DisplayMode::Magnified);

    // Entries before the current one come and go; it keeps its entry.
    doc.insertEntriesStep(0, {std::make_shared<clsOto>("x.wav", "x")}, "add");
    EXPECT_EQ(editor.curIdx(), 2);
    doc.removeEntriesStep(0, 1, "remove");
    EXPECT_EQ(editor.curIdx(), 1);
    doc.removeEntriesStep(1, 1, "remove");  // the current one: none is current, nothing editable
    EXPECT_EQ(editor.curIdx(), -1);
    EXPECT_FALSE(editor.isEditable());
    editor.redrawall();  // draws nothing rather than a stale entry

    dir.write("broken.wav", "RIFX");
    doc.insertEntriesStep(2, {std::make_shared<clsOto>("broken.wav", "z")}, "add");
    editor.loadWave(2);
    EXPECT_FALSE(editor.isEditable());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("the wave file is corrupted"));
}
