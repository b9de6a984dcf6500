#include "core/NumberText.h"
#include "oto/OtoDocument.h"
#include "support/LocaleEnv.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

// Every character a code page writes back as the bytes it was read from:
// the single bytes and the lead/trail pairs, Windows' extra single bytes
// included, its duplicate codes (written the other way) left out.
QList<QString> repertoire(int codePage)
{
    QList<QString> chars;
    const auto keep = [&](const QByteArray &bytes) {
        const QString c = modLocale::bytes2str(bytes, codePage);
        if (c.size() == 1 && c != u"\uFFFD" && c != u"=" && c != u"," && c != u"\r" && c != u"\n"
            && modLocale::str2bytes(c, codePage) == bytes)
            chars << c;
    };
    for (int b = 0x20; b <= 0xFF; ++b)
        keep(QByteArray(1, char(b)));
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; trail += 3)  // a third of them keeps the test quick
            keep(QByteArray(1, char(lead)) + char(trail));
    return chars;
}

QString randomText(QRandomGenerator &rng, const QList<QString> &chars, int maxLength)
{
    QString out;
    const int n = rng.bounded(1, maxLength + 1);
    for (int i = 0; i < n; ++i)
        out += chars[rng.bounded(int(chars.size()))];
    return out;
}

// A number as the program writes it, or now and then as another tool does.
QString randomNumber(QRandomGenerator &rng, bool negativeAllowed)
{
    const double v = (negativeAllowed && rng.bounded(3) == 0 ? -1 : 1) * rng.bounded(100000) / std::pow(10, rng.bounded(4));
    switch (rng.bounded(6)) {
    case 0: return formatNumber(v) + (formatNumber(v).contains(u'.') ? "0" : ".0");
    case 1: return " " + formatNumber(v);
    default: return formatNumber(v);
    }
}

struct Form {
    const char *name;
    int charset;  // settlocFile
    QByteArray head;
    TextForm form;
    int codePage;
};

}  // namespace

// Random banks in every code page and form: loaded and saved unedited they
// are written back byte for byte; an edit changes its own line only.
TEST(RoundTrip, RandomBanksInEveryCodePageAndForm)
{
    const Form forms[] = {
        {"Shift-JIS, CR LF", 0, "", {}, 932},
        {"Shift-JIS, LF", 0, "", {.lineEnd = LineEnd::Lf, .finalLineEnd = true}, 932},
        {"GBK", 1, "", {}, 936},
        {"BIG5, LF", 2, "", {.lineEnd = LineEnd::Lf}, 950},
        {"UTF-8 marker", 0, "#CHARSET:UTF8\r\n", {.utf8Marker = true}, 65001},
        {"UTF-8 byte-order mark, LF", 1, "\xef\xbb\xbf", {.bom = true, .lineEnd = LineEnd::Lf, .finalLineEnd = true}, 65001},
    };
    QRandomGenerator rng(20261206);
    for (const Form &f : forms) {
        SCOPED_TRACE(f.name);
        LocaleEnv env;
        env.sett.settlocFile = f.charset;
        QList<QString> chars = f.codePage == 65001 ? repertoire(932) + repertoire(936) : repertoire(f.codePage);
        ASSERT_GT(chars.size(), 1000);

        const QString newline = f.form.lineEndText();
        QStringList lines;
        for (int i = 0; i < 300; ++i) {
            QString file = randomText(rng, chars, 8);
            if (file.startsWith(u'#') || file.trimmed().isEmpty())
                file.prepend(u'a');
            lines << file + ".wav=" + randomText(rng, chars, 6) + "," + randomNumber(rng, true) + ","
                         + randomNumber(rng, true) + "," + randomNumber(rng, true) + "," + randomNumber(rng, false)
                         + "," + randomNumber(rng, true);
        }
        QString text = lines.join(newline);
        if (f.form.finalLineEnd)
            text += newline;
        const QByteArray bytes = f.head + modLocale::str2bytes(text, f.codePage);
        env.dir.write("oto.ini", bytes);

        OtoDocument doc(env.locale, env.dialogs);
        ASSERT_TRUE(doc.openFolder(env.dir.path()));
        ASSERT_EQ(doc.clcOto().size(), lines.size());
        EXPECT_EQ(doc.form(), f.form);
        doc.setChanged();
        doc.save();
        EXPECT_EQ(env.dir.read("oto.ini"), bytes);

        const int edited = rng.bounded(int(lines.size()));
        doc.clcOto()[edited]->prmOV += 1;
        doc.save();
        lines[edited] = doc.clcOto()[edited]->fileStr();
        QString expected = lines.join(newline);
        if (f.form.finalLineEnd)
            expected += newline;
        EXPECT_EQ(env.dir.read("oto.ini"), f.head + modLocale::str2bytes(expected, f.codePage));
        EXPECT_TRUE(env.dialogs.messages.isEmpty());
    }
}

TEST(RoundTrip, WindowsSingleBytesAndDuplicateCodes)
{
    // The single bytes code page 932 leaves unassigned map as Windows maps them.
    const QByteArray singles = "\x80\xa0\xfd\xfe\xff";
    const QString decoded = modLocale::bytes2str(singles, 932);
    EXPECT_EQ(decoded, QString::fromUtf16(u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3"));
    EXPECT_EQ(modLocale::str2bytes(decoded, 932), singles);
    EXPECT_EQ(modLocale::bytes2str("\x80\xff", 936), QString::fromUtf16(u"\u20AC\uF8F5"));
    EXPECT_EQ(modLocale::bytes2str("\x80\xff", 950), QString::fromUtf16(u"\u0080\uF8F8"));
    for (int cp : {936, 950})
        EXPECT_EQ(modLocale::str2bytes(modLocale::bytes2str("\x80\xff", cp), cp), QByteArray("\x80\xff"));
    // Windows writes a NEC-selected IBM character with its IBM code.
    EXPECT_EQ(modLocale::str2bytes(modLocale::bytes2str("\xed\x40", 932), 932), QByteArray("\xfa\x5c"));
}

// Whatever digits a field holds, an unedited entry writes its line back:
// either kept as read or, where the parser found the field in its shortest
// form, formatted to the same text.
TEST(RoundTrip, UneditedNumbersAreWrittenAsRead)
{
    QRandomGenerator rng(7);
    const auto digits = [&](int n) {
        QString d;
        for (int i = 0; i < n; ++i)
            d += QChar(u'0' + rng.bounded(10));
        return d;
    };
    for (int i = 0; i < 50000; ++i) {
        QString field = rng.bounded(3) == 0 ? "-" : "";
        field += digits(rng.bounded(1, 17));
        if (rng.bounded(2))
            field += "." + digits(rng.bounded(0, 17));
        for (const QString &line : {"a.wav=a," + field + ",1,2,3,4", "a.wav=a,1,2,3," + field + ",4"}) {
            const ParsedOto p = parseOtoText(line);
            ASSERT_EQ(p.entries.size(), 1);
            ASSERT_EQ(p.entries[0]->fileStr(), line);
        }
    }
}
