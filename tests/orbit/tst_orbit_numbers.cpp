// How element values become text and positions, and how box texts become numbers.
#include "orbit/elements.h"
#include "orbit/numbers.h"

#include <QLocale>
#include <QtTest>

#include "exact.h"

#include <bit>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <limits>

using namespace velmora::orbit;

namespace {
const float kInfF = std::numeric_limits<float>::infinity();
const float kNanF = std::numeric_limits<float>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::numeric_limits<double>::quiet_NaN();
} // namespace

class TstOrbitNumbers : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void singleToText_data();
    void singleToText();
    void read_data();
    void read();
    void everyBarPositionReadsBack();
    void writtenTextIsStable();
    void roundPosition_data();
    void roundPosition();
    void boxTextToPosition_data();
    void boxTextToPosition();
    void toSingleRoundsToNearest_data();
    void toSingleRoundsToNearest();
};

void TstOrbitNumbers::initTestCase()
{
    // A comma locale must not leak into any number text, written or read.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    std::setlocale(LC_ALL, "de_DE.UTF-8");
}

void TstOrbitNumbers::singleToText_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");
    const struct { float value; const char *text; } rows[] = {
        // Axes in metres, angles and fractions as the host gets them: plain
        // text from 0.0001 to below 1E+07, the exponent form beyond.
        {6582000.0f, "6582000"}, {16764000.0f, "1.6764E+07"}, {42164000.0f, "4.2164E+07"},
        {50000000.0f, "5E+07"}, {0.001f, "0.001"}, {0.00001f, "1E-05"}, {55.1f, "55.1"},
        {63.0f, "63"}, {-35.1902f, "-35.1902"},
        // Zero and its sign.
        {0.0f, "0"}, {-0.0f, "0"},
        // Where the exponent form starts and ends; rounding may carry across it.
        {9999999.0f, "9999999"}, {10000000.0f, "1E+07"}, {0.0001f, "0.0001"},
        {0.00012345f, "0.00012345"}, {0.000099999f, "9.9999E-05"}, {9.9999997e-05f, "0.0001"},
        {1234567.875f, "1234568"}, {-2.5e-07f, "-2.5E-07"}, {1.5e+20f, "1.5E+20"},
        // Seven significant digits, trailing zeros dropped, exact ties to even.
        {123456789.0f, "1.234568E+08"}, {0.1f, "0.1"}, {1.0f / 3.0f, "0.3333333"},
        {2.0f / 3.0f, "0.6666667"}, {359.9f, "359.9"}, {12345685.0f, "1.234568E+07"},
        {12345675.0f, "1.234568E+07"},
        // The ends of the single range.
        {FLT_MAX, "3.402823E+38"}, {-FLT_MAX, "-3.402823E+38"}, {FLT_MIN, "1.175494E-38"},
        {std::numeric_limits<float>::denorm_min(), "1.401298E-45"},
        // Never sent, but never text a host would take for a word.
        {kInfF, "0"}, {kNanF, "0"},
    };
    for (const auto &r : rows)
        QTest::addRow("%.9g", double(r.value)) << r.value << QString::fromLatin1(r.text);
}

void TstOrbitNumbers::singleToText()
{
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(SingleToText(value), text);
}

void TstOrbitNumbers::read_data()
{
    // NaN in a column: that reading refuses the text.
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("d");
    QTest::addColumn<float>("f");
    const struct { const char *text; double value; } accepted[] = {
        {"6582", 6582}, {"0.123", 0.123}, {"-35.1902", -35.1902}, {"35.19", 35.19}, {"+5", 5},
        {"5.", 5}, {".5", 0.5}, {"-.5", -0.5}, {"0007000", 7000}, {"4.2164E+07", 42164000},
        {"1E-05", 0.00001}, {"1e-05", 0.00001}, {"1E7", 1e7}, {"  12 ", 12}, {"\t12", 12},
        {"0E999999999999", 0}, {"1E-400", 0}, {"0.000000000000000000001000000000000000000000", 1e-21},
    };
    for (const auto &r : accepted)
        QTest::addRow("accepts '%s'", r.text) << QString::fromLatin1(r.text) << r.value << float(r.value);
    for (const char *text : {"", "   ", "-", "+", ".", "-.", "abc", "12abc", "1 000", "1,000", "1,5",
                             "35,19", "1.2.3", "+-1", "--1", "1E", "1E+", "E5", ".E5", "inf",
                             "-Infinity", "nan", "NaN", "0x1A", "0x1p3", "1.5f", "1E400", "-1E400"})
        QTest::addRow("rejects '%s'", text) << QString::fromLatin1(text) << kNan << kNanF;
    QTest::newRow("other script digits") << QStringLiteral("\u0661\u0662") << kNan << kNanF;
    QTest::newRow("full-width digits") << QStringLiteral("\uff11\uff12") << kNan << kNanF;

    // Single readings round once, straight from the text, not through double.
    QTest::newRow("just above a single halfway")
        << "1.00000005960464477539062501" << 1.0000000596046448 << std::nextafter(1.0f, 2.0f);
    QTest::newRow("just below a single halfway")
        << "1.00000005960464477539062499" << 1.0000000596046448 << 1.0f;
    QTest::newRow("largest single") << "3.4028235E+38" << 3.4028235E+38 << FLT_MAX;
    QTest::newRow("beyond single range") << "3.5E+38" << 3.5E+38 << kNanF;
    QTest::newRow("negative beyond single range") << "-1E+39" << -1E+39 << kNanF;
    QTest::newRow("subnormal") << "1.401298E-45" << 1.401298E-45 << std::numeric_limits<float>::denorm_min();
    QTest::newRow("below single range is zero") << "1E-50" << 1E-50 << 0.0f;
    QTest::newRow("fine for double, not for single") << "1E+300" << 1E+300 << kNanF;
}

void TstOrbitNumbers::read()
{
    QFETCH(QString, text);
    QFETCH(double, d);
    QFETCH(float, f);
    const std::optional<double> gotD = readDouble(text);
    QCOMPARE(bool(gotD), !std::isnan(d));
    if (gotD)
        QCOMPARE_EXACT(*gotD, d);
    const std::optional<float> gotF = readSingle(text);
    QCOMPARE(bool(gotF), !std::isnan(f));
    if (gotF)
        QCOMPARE_EXACT(*gotF, f);
}

void TstOrbitNumbers::everyBarPositionReadsBack()
{
    const int first[] = {6578, 0, 0, 0, 0, 0};
    const int last[] = {50000, 999, 1800, 3600, 3600, 3600};
    const double scale[] = {1, 1000, 10, 10, 10, 10};
    for (int row = 0; row < kElementRows; ++row) {
        const double k = positionScale(Row(row));
        QCOMPARE_EXACT(k, scale[row]);
        for (int p = first[row]; p <= last[row]; ++p) {
            const float field = float(p / k);
            const QString text = SingleToText(field);
            // Bar positions never need the exponent form.
            QVERIFY2(!text.contains(u'E'), qPrintable(text));
            const std::optional<float> back = readSingle(text);
            QVERIFY2(back && *back == field, qPrintable(text));
            QCOMPARE(RoundPosition(double(*back) * k), std::optional<qint32>(p));
        }
    }
}

void TstOrbitNumbers::writtenTextIsStable()
{
    // Across the whole single range by a stride over bit patterns: every text
    // reads back, and writing what was read gives the same text again.
    int checked = 0;
    for (quint64 bits = 1; bits < 0x7f800000u; bits += 7919) {
        for (const quint32 sign : {0u, 0x80000000u}) {
            const float f = std::bit_cast<float>(quint32(bits) | sign);
            const QString text = SingleToText(f);
            const std::optional<float> back = readSingle(text);
            QVERIFY2(back, qPrintable(text));
            QCOMPARE(SingleToText(*back), text);
            // Half a unit of the 7th digit, plus half a single ulp from reading.
            if (std::fpclassify(f) == FP_NORMAL)
                QVERIFY2(std::fabs(*back - f) <= std::fabs(f) * 5.7e-7f, qPrintable(text));
            ++checked;
        }
    }
    QVERIFY(checked > 500000);
}

void TstOrbitNumbers::roundPosition_data()
{
    // NaN: the value fits no position.
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("position");
    const double rows[][2] = {
        {12.5, 12}, {7.5, 8}, {0.5, 0}, {-0.5, 0}, {-12.5, -12}, {-13.5, -14}, {2.4999999, 2},
        {2.5000001, 3}, {2147483647.0, 2147483647}, {2147483647.4, 2147483647},
        {2147483647.5, kNan}, {-2147483648.0, -2147483648.0}, {-2147483648.5, -2147483648.0},
        {-2147483649.0, kNan}, {1e10, kNan}, {kInf, kNan}, {kNan, kNan},
    };
    for (const auto &r : rows)
        QTest::addRow("%.11g", r[0]) << r[0] << r[1];
}

void TstOrbitNumbers::roundPosition()
{
    QFETCH(double, x);
    QFETCH(double, position);
    const std::optional<qint32> p = RoundPosition(x);
    QCOMPARE(bool(p), !std::isnan(position));
    if (p)
        QCOMPARE(*p, qint32(position));
}

void TstOrbitNumbers::boxTextToPosition_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("aboveMax");  // against the bar's maximum, in double
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("position");

    QTest::newRow("45.55 into box 2") << 2 << "45.55" << false << 1800 << 455;
    QTest::newRow("1.25 ties to 12") << 2 << "1.25" << false << 1800 << 12;
    QTest::newRow("0.75 ties to 8") << 2 << "0.75" << false << 1800 << 8;
    QTest::newRow("0.0625 ties to 62") << 1 << "0.0625" << false << 999 << 62;
    QTest::newRow("0.9995 is above the bound, sits below the tie") << 1 << "0.9995" << true << 999 << 999;
    QTest::newRow("0.999 is the bound") << 1 << "0.999" << false << 999 << 999;
    QTest::newRow("180 is the bound") << 2 << "180" << false << 1800 << 1800;
    QTest::newRow("200 after aids lowered the bar") << 3 << "200" << true << 1800 << 2000;
}

void TstOrbitNumbers::boxTextToPosition()
{
    QFETCH(int, row);
    QFETCH(QString, text);
    QFETCH(bool, aboveMax);
    QFETCH(int, max);
    QFETCH(int, position);
    const double k = positionScale(Row(row));
    QCOMPARE(*readDouble(text) > max / k, aboveMax);
    const std::optional<float> field = readSingle(text);
    QVERIFY(field);
    QCOMPARE(RoundPosition(double(*field) * k), std::optional<qint32>(position));
}

void TstOrbitNumbers::toSingleRoundsToNearest_data()
{
    // NaN in value: no single can hold it.
    QTest::addColumn<double>("x");
    QTest::addColumn<float>("value");
    const double halfUlpAboveMax = double(FLT_MAX) + std::ldexp(1.0, 103);
    QTest::newRow("rounds") << 0.1 << 0.1f;
    QTest::newRow("largest") << double(FLT_MAX) << FLT_MAX;
    QTest::newRow("just above largest rounds back") << std::nextafter(double(FLT_MAX), 1e39) << FLT_MAX;
    QTest::newRow("below the overflow tie") << std::nextafter(halfUlpAboveMax, 0.0) << FLT_MAX;
    QTest::newRow("overflow tie") << halfUlpAboveMax << kNanF;
    QTest::newRow("negative overflow") << -1e39 << kNanF;
    QTest::newRow("infinity") << kInf << kNanF;
    QTest::newRow("nan") << kNan << kNanF;
}

void TstOrbitNumbers::toSingleRoundsToNearest()
{
    QFETCH(double, x);
    QFETCH(float, value);
    const std::optional<float> f = toSingle(x);
    QCOMPARE(bool(f), !std::isnan(value));
    if (f)
        QCOMPARE_EXACT(*f, value);
}

QTEST_GUILESS_MAIN(TstOrbitNumbers)
#include "tst_orbit_numbers.moc"
