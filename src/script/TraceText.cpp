#include "script/TraceText.h"

#include "script/ScriptError.h"

namespace script {

QString traceText(const Value &v)
{
    if (v.isArray())
        throw ScriptException(RuntimeError::TypeMismatch);
    return v.toString();
}

QString traceOutput(Args args, bool newline)
{
    QString out;
    try {
        for (qsizetype i = 0; i < qsizetype(args.size()); ++i) {
            if (i > 0)
                out += u' ';
            out += traceText(args[i]);
        }
    } catch (const ScriptException &e) {
        return QStringLiteral("Invalid argument for trace\r\n") + e.description + QStringLiteral("\r\n");
    }
    if (newline)
        out += QStringLiteral("\r\n");
    return out;
}

qint16 sampleOf(const Value &array, const Value &index)
{
    const qint32 n = index.toLong();
    double sample = 0;
    if (array.kind() == ValueKind::IntegerArray) {
        const QList<qint16> &items = *array.integerArray();
        if (n < 0 || n >= items.size())
            throw ScriptException(RuntimeError::SubscriptOutOfRange);
        return items[n];
    }
    if (array.kind() != ValueKind::Array)
        throw ScriptException(RuntimeError::TypeMismatch);
    const qsizetype pos = array.array()->offset(&n, 1);
    if (pos < 0)
        throw ScriptException(RuntimeError::SubscriptOutOfRange);
    sample = roundHalfEven(array.array()->items[pos].toDouble());
    if (sample < -32768 || sample > 32767)
        throw ScriptException(RuntimeError::Overflow);
    return qint16(sample);
}

}  // namespace script
