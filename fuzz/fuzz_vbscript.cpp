#include "script/TraceText.h"
#include "script/vbs/Lexer.h"
#include "script/vbs/Runtime.h"

#include <QByteArray>
#include <cstdint>

namespace {

using namespace script;

// A host object with the shapes scripts meet: a method taking any values, a
// collection with a default member, an indexed property and arrays.
class FuzzHost : public HostObject {
public:
    const HostClass &hostClass() const override
    {
        static const HostClass cls = [] {
            HostClass c(QStringLiteral("Host"));
            HostClassBuilder<FuzzHost>(c)
                .method("trace", 0, -1, [](FuzzHost &h, Args a) { h.out = traceOutput(a, true); return Value(); })
                .method("Item", 1, 1, [](FuzzHost &, Args a) { return Value(a[0].toLong() * 2); })
                .method("Count", 0, 0, [](FuzzHost &, Args) { return qint32(3); })
                .indexed("Data", 1, [](FuzzHost &h, Args a) { return h.data[quint32(a[0].toLong()) % 4]; },
                         [](FuzzHost &h, Args a, const Value &v) { h.data[quint32(a[0].toLong()) % 4] = v; })
                .method("getData", 0, 0, [](FuzzHost &, Args) {
                    return IntegerArrayRef(std::make_shared<const QList<qint16>>(QList<qint16>{1, -2, 3}));
                })
                .method("Sample", 2, 2, [](FuzzHost &, Args a) { return sampleOf(a[0], a[1]); })
                .defaultMember("Item");
            return c;
        }();
        return cls;
    }
    std::unique_ptr<Enumerator> enumerate() override
    {
        return std::make_unique<IndexEnumerator>([] { return qsizetype(3); }, [](qsizetype i) { return Value(qint32(i)); });
    }
    QString out;
    Value data[4];
};

}  // namespace

// Compiles and runs arbitrary text as VBScript, then reads it as an Eval
// expression: nothing may crash, hang or leak. Small limits keep each run
// short; running out of them is an ordinary script error.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString code = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    Deadline deadline;
    vbs::Runtime rt(nullptr, deadline);
    rt.limits.maxSteps = 20000;
    rt.limits.maxStringLength = qsizetype(1) << 14;
    rt.limits.maxArrayElements = qsizetype(1) << 12;
    const auto host = std::make_shared<FuzzHost>();
    rt.addObject(QStringLiteral("env"), host, true);
    for (bool asExpression : {false, true}) {
        try {
            if (asExpression)
                (void)rt.evaluate(code).dereferenced();
            else
                rt.runCode(code);
        } catch (const vbs::CompileFailure &) {
        } catch (const ScriptException &) {
        }
    }
    // The host's own slots may hold the host itself (env.Data(0) = env):
    // letting go of them is the host's part; the runtime frees the rest.
    for (Value &v : host->data)
        v = Value();
    return 0;
}
