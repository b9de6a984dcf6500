#include "oto/OtoDiff.h"

#include <gtest/gtest.h>

namespace {

OtoEntries entries(std::initializer_list<clsOto> values)
{
    OtoEntries out;
    for (const clsOto &v : values)
        out << std::make_shared<clsOto>(v);
    return out;
}

}  // namespace

// Entries pair by file and alias (the n-th equal one with the n-th), then
// by file alone in order (a renamed alias); what is left was added or
// removed on disk. The result follows the order here.
TEST(OtoDiff, PairsEntriesAndNamesEveryChangedField)
{
    const OtoEntries here = entries({{"a.wav", "a", 1, 2, 3, 4, 5},
                                     {"b.wav", "b", 1, 2, 3, 4, 5},
                                     {"c.wav", "c", 1, 2, 3, 4, 5},
                                     {"d.wav", "d", 1, 2, 3, 4, 5},
                                     {"d.wav", "d", 1, 2, 3, 4, 5}});
    OtoEntries onDisk = entries({{"new.wav", "first", 0, 0, 0, 0, 0},
                                 {"b.wav", "b", 1, 2, -300, 40, 5},
                                 {"a.wav", "a", 1, 2, 3, 4, 5},
                                 {"c.wav", "c2", 1, 2, 3, 4, 5},
                                 {"d.wav", "d", 1, 2, 3, 4, 5},
                                 {"e.wav", "e", 1, 2, 3, 4, 5}});
    onDisk.last()->folder = "C5";
    using Kind = EntryDifference::Kind;
    const QList<EntryDifference> diff = diffEntries(onDisk, here);
    QList<std::pair<Kind, QString>> got;
    for (const EntryDifference &d : diff)
        got.append({d.kind, (d.here ? d.here : d.onDisk)->FIL});
    EXPECT_EQ(got, (QList<std::pair<Kind, QString>>{{Kind::Added, "new.wav"},
                                                     {Kind::Changed, "b.wav"},
                                                     {Kind::Changed, "c.wav"},
                                                     {Kind::Added, "e.wav"},
                                                     {Kind::Removed, "d.wav"}}));

    const QString text = differenceText(diff);
    EXPECT_TRUE(text.startsWith("On disk against the entries here: 2 added, 1 removed, 2 changed.\n"));
    EXPECT_TRUE(text.contains("\n+ only on disk:  new.wav=first,0,0,0,0,0\n"));
    EXPECT_TRUE(text.contains("\n~ changed:       b.wav=b,1,2,3,4,5\n      right: 3 here, -300 on disk\n"
                              "      preutterance: 4 here, 40 on disk\n"));
    EXPECT_TRUE(text.contains("\n      alias: \"c\" here, \"c2\" on disk\n"));
    EXPECT_TRUE(text.endsWith("\n+ only on disk:  C5/e.wav=e,1,2,3,4,5\n- only here:     d.wav=d,1,2,3,4,5"));
    EXPECT_TRUE(diffEntries(here, here).isEmpty());
}
