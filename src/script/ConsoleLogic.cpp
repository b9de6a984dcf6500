#include "script/ConsoleLogic.h"

#include "core/NumberText.h"

#include <QStringList>
#include <cmath>

namespace script {

QString errorReport(const ScriptError &error, bool fromScriptBox)
{
    const QString nl = QStringLiteral("\r\n");
    QString text;
    if (fromScriptBox)
        text = QStringLiteral("Error at line ") + QString::number(error.line) + nl;
    return text + error.source + nl + error.description + nl + error.text + nl;
}

TextSelection errorLineSelection(const QString &text, int line)
{
    const QStringList lines = text.split(u'\n');
    const int index = std::max(line, 1) - 1;
    if (index >= lines.size())
        return {text.size(), 0};
    qsizetype start = 0;
    for (int i = 0; i < index; ++i)
        start += lines[i].size() + 1;
    QStringView whole(lines[index]);
    if (whole.endsWith(u'\r'))
        whole.chop(1);
    return {start, whole.size()};
}

std::optional<int> timeoutFromAnswer(const QString &answer)
{
    const double seconds = readNumber(answer);  // leading number, blanks ignored; none reads 0
    // Rounded as the box's whole seconds are, halves to the even neighbour.
    const double whole = std::nearbyint(seconds);
    if (!(whole >= 0 && whole <= 1000000))
        return std::nullopt;
    return int(std::nearbyint(seconds * 1000));
}

QString timeoutCaption(int ms)
{
    return QStringLiteral("Timeout: ") + formatNumber(ms / 1000.0) + QStringLiteral("s");
}

QString autoIndent(const QString &text, qsizetype caret)
{
    // The line before the break Enter put just before the caret; a line
    // longer than this gets no indentation.
    constexpr qsizetype kLongestLine = 157;
    const qsizetype lineBreak = caret - 1;
    if (lineBreak < 0 || lineBreak > text.size())
        return {};
    qsizetype start = lineBreak;
    while (start > 0 && text.at(start - 1) != u'\n') {
        --start;
        if (lineBreak - start > kLongestLine)
            return {};
    }
    qsizetype tabs = 0;
    while (start + tabs < lineBreak && text.at(start + tabs) == u'\t')
        ++tabs;
    return QString(tabs, u'\t');
}

}  // namespace script
