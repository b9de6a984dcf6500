#include "script/ScriptSource.h"

#include <QFile>
#include <QStringDecoder>

namespace script {

QString scriptTooLongText()
{
    return QStringLiteral("The script is longer than the limit of %1 characters").arg(kMaxScriptLength);
}

std::optional<QString> decodeScript(const QByteArray &bytes, QString *error)
{
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    qsizetype skip = 0;
    if (bytes.startsWith("\xff\xfe")) {
        encoding = QStringConverter::Utf16LE;
        skip = 2;
    } else if (bytes.startsWith("\xfe\xff")) {
        encoding = QStringConverter::Utf16BE;
        skip = 2;
    } else if (bytes.startsWith("\xef\xbb\xbf")) {
        skip = 3;
    }
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(bytes).sliced(skip));
    if (decoder.hasError()) {
        *error = encoding == QStringConverter::Utf8
                     ? QStringLiteral("The script is not UTF-8 text (save it as UTF-8, or as UTF-16 with a byte-order mark)")
                     : QStringLiteral("The script's UTF-16 text is damaged");
        return std::nullopt;
    }
    if (text.size() > kMaxScriptLength) {
        *error = scriptTooLongText();
        return std::nullopt;
    }
    return text;
}

std::optional<QString> readScriptFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    // Four bytes a character at most: anything longer is over the limit
    // whatever its encoding, and is not read into memory.
    if (file.size() > 4 * kMaxScriptLength) {
        *error = QStringLiteral("%1: %2").arg(path, scriptTooLongText());
        return std::nullopt;
    }
    std::optional<QString> text = decodeScript(file.readAll(), error);
    if (!text)
        *error = QStringLiteral("%1: %2").arg(path, *error);
    return text;
}

}  // namespace script
