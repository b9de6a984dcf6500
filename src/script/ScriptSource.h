#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace script {

// The longest script text either language accepts: 16 Mi characters. A
// longer one is refused whole, with a message naming the limit.
constexpr qsizetype kMaxScriptLength = qsizetype(1) << 24;

// The message that refuses a script over the limit.
QString scriptTooLongText();

// A script file's text: UTF-16 (little or big endian) after its byte-order
// mark, UTF-8 with or without one. nullopt, with the reason in *error, for
// bytes that are neither or a text over the limit.
std::optional<QString> decodeScript(const QByteArray &bytes, QString *error);

// The same for a file on disk; the reason names the path.
std::optional<QString> readScriptFile(const QString &path, QString *error);

}  // namespace script
