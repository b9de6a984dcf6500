#include "script/TestHost.h"
#include "script/Deadline.h"

#include <QThread>
#include <gtest/gtest.h>

using namespace script;

TEST(Values, NumbersAreWrittenAndReadAsVBScriptDoes)
{
    const std::pair<double, const char *> doubles[] = {
        {0, "0"},          {-0.0, "0"},        {0.1 + 0.2, "0.3"},      {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},        {1e15, "1E+15"},         {999999999999999, "999999999999999"},
        {123456789012345678.0, "1.23456789012346E+17"}, {1e-4, "0.0001"}, {1e-5, "1E-05"},
        {-1.5e-7, "-1.5E-07"}, {100.5, "100.5"}, {-300, "-300"},        {1e308, "1E+308"},
    };
    for (const auto &[d, text] : doubles)
        EXPECT_EQ(formatDouble(d), text) << d;
    EXPECT_EQ(formatSingle(1.0f / 3), "0.3333333");
    EXPECT_EQ(formatDate(2.5), "1900/01/01 12:00:00");
    EXPECT_EQ(formatDate(0.75), "18:00:00");
    EXPECT_EQ(formatDate(45000), "2023/03/15");

    const std::pair<const char *, std::optional<double>> texts[] = {
        {"12", 12},       {" 12 ", 12},     {"+5", 5},          {"-5.", -5},     {".5", 0.5},
        {"1e3", 1000},    {"1.5E-2", 0.015}, {"&HFF", 255},     {"&hFFFF", -1},  {"&H10000", 65536},
        {"&O17", 15},     {"", std::nullopt}, {" ", std::nullopt}, {"1e", std::nullopt}, {"1,000", std::nullopt},
        {"abc", std::nullopt}, {"1 2", std::nullopt}, {"&H", std::nullopt}, {"&HG", std::nullopt},
        {"1e400", std::nullopt}, {"1e-400", 0},
    };
    for (const auto &[text, number] : texts)
        EXPECT_EQ(parseNumber(QString::fromUtf8(text)), number) << text;

    for (const auto &[d, r] : {std::pair{2.5, 2.0}, {3.5, 4.0}, {-2.5, -2.0}, {0.5, 0.0}, {1.4999, 1.0}})
        EXPECT_EQ(roundHalfEven(d), r) << d;
}

TEST(Values, ConversionsFailWithVBScriptErrors)
{
    const auto number = [](const Value &v) {
        try {
            return QString::number(v.toLong());
        } catch (const ScriptException &e) {
            return e.description;
        }
    };
    EXPECT_EQ(number(Value(QStringLiteral("2.5"))), "2");
    EXPECT_EQ(number(Value(true)), "-1");
    EXPECT_EQ(number(Value()), "0");
    EXPECT_EQ(number(Value(3e9)), "Overflow");
    EXPECT_EQ(number(Value(QStringLiteral("x"))), "Type mismatch");
    EXPECT_EQ(number(Value::null()), "Invalid use of Null");
    EXPECT_EQ(number(Value(makeArray({}))), "Type mismatch");
    EXPECT_EQ(number(Value::nothing()), "Object variable not set");
    EXPECT_THROW(Value(qint32(40000)).toInteger(), ScriptException);
    EXPECT_EQ(Value(QStringLiteral(" TRUE ")).toBool(), true);
    EXPECT_EQ(typeName(Value(DateValue{1})), "Date");
    EXPECT_EQ(varType(Value(std::make_shared<const QList<qint16>>())), 8194);
    // An object without a default member has no value; Null stands for
    // Nothing where a host wants an object.
    const auto entry = std::make_shared<testhost::Entry>(std::make_shared<clsOto>());
    EXPECT_THROW(Value(entry).toString(), ScriptException);
    EXPECT_EQ(Value::null().toObject(), nullptr);
    EXPECT_THROW(Value(qint16(1)).toObject(), ScriptException);
}

TEST(Values, TraceTextAndSample)
{
    const auto entry = std::make_shared<testhost::Entry>(std::make_shared<clsOto>());
    const Value values[] = {Value(qint16(1)), Value(QStringLiteral("a")), Value(true), Value(0.1 + 0.2), Value()};
    EXPECT_EQ(traceOutput(values, true), "1 a True 0.3 \r\n");
    EXPECT_EQ(traceOutput({}, true), "\r\n");
    EXPECT_EQ(traceOutput(std::array{Value(QStringLiteral("a"))}, false), "a");
    EXPECT_EQ(traceOutput(std::array{Value(qint16(1)), Value(entry)}, true),
              "Invalid argument for trace\r\nObject doesn't support this property or method\r\n");
    EXPECT_EQ(traceOutput(std::array{Value::null()}, false), "Invalid argument for trace\r\nInvalid use of Null\r\n");

    const Value wave = makeArray({Value(2.5), Value(3.5), Value(-0.5), Value(40000.0), Value(QStringLiteral("7"))});
    const Value data(std::make_shared<const QList<qint16>>(QList<qint16>{0, 1, -32768}));
    struct Case {
        const Value &array;
        int index;
        const char *result;
    };
    const Case cases[] = {
        {wave, 0, "2"}, {wave, 1, "4"}, {wave, 2, "0"}, {wave, 4, "7"}, {data, 1, "1"}, {data, 2, "-32768"},
        {wave, 3, "Overflow"}, {wave, 5, "Subscript out of range"}, {data, -1, "Subscript out of range"},
        {Value(qint16(3)), 0, "Type mismatch"},
    };
    for (const Case &c : cases) {
        QString result;
        try {
            result = QString::number(sampleOf(c.array, Value(qint32(c.index))));
        } catch (const ScriptException &e) {
            result = e.description;
        }
        EXPECT_EQ(result, c.result) << c.index;
    }
}

TEST(Values, HostMembersCheckArgumentsAndPassThemOn)
{
    testhost::Host host;
    const HostClass &cls = host.hostClass();
    EXPECT_EQ(cls.find(u"CLCOTO"), cls.find(u"clcOto"));
    EXPECT_EQ(cls.find(u"missing"), -1);
    EXPECT_EQ(cls.defaultMember(), -1);
    const QString what = QStringLiteral("env.x");
    // Arguments to a property without parameters go to what it returns.
    const Value one[] = {Value(qint16(2))};
    EXPECT_EQ(readMember(host, cls.find(u"getWave"), {}, what).kind(), ValueKind::Array);
    EXPECT_EQ(readMember(host, cls.find(u"clcOto"), one, what).toObject()->hostClass().typeName(), "clsOto");
    EXPECT_THROW(readMember(host, cls.find(u"Sample"), one, what), ScriptException);
    EXPECT_THROW(writeMember(host, cls.find(u"clcOto"), {}, Value(), what), ScriptException);
    try {
        readDefault(host, {}, what);
        ADD_FAILURE();
    } catch (const ScriptException &e) {
        EXPECT_EQ(e.description, "Object doesn't support this property or method: 'env.x'");
    }

    // A collection walked while it shrinks ends instead of reading past it.
    const std::unique_ptr<Enumerator> walk = host.collection->enumerate();
    Value v;
    ASSERT_TRUE(walk->next(v));
    host.entries.removeLast();
    host.entries.removeLast();
    EXPECT_FALSE(walk->next(v));
}

TEST(Values, DeadlineLeavesOutPausedTime)
{
    Deadline d;
    EXPECT_FALSE(d.expired());
    d.start(0);
    EXPECT_FALSE(d.due().has_value());
    d.stop();
    d.start(150);
    d.start(5000);  // a nested call keeps the outer limit
    d.pause();
    EXPECT_FALSE(d.due().has_value());
    QThread::msleep(250);
    d.resume();
    EXPECT_FALSE(d.expired());
    QThread::msleep(250);
    EXPECT_TRUE(d.expired());
    d.stop();
    EXPECT_TRUE(d.expired());
    d.stop();
    EXPECT_FALSE(d.expired());
}
