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

class TstOrbitNumbers : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void singleToText_data();
    void singleToText();
    void singleToTextIgnoresLocale();

    void readAccepts_data();
    void readAccepts();
    void readRejects_data();
    void readRejects();
    void readSingleRoundsOnce_data();
    void readSingleRoundsOnce();

    void everyBarPositionReadsBack_data();
    void everyBarPositionReadsBack();
    void writtenTextIsStable();

    void roundPosition_data();
    void roundPosition();
    void boxTextToPosition_data();
    void boxTextToPosition();

    void toSingle_data();
    void toSingle();
};

void TstOrbitNumbers::initTestCase()
{
    // A comma locale must not leak into any number text.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    std::setlocale(LC_ALL, "de_DE.UTF-8");
}

void TstOrbitNumbers::singleToText_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");

    // The documented examples.
    QTest::newRow("6582 km in metres") << 6582000.0f << "6582000";
    QTest::newRow("16764 km in metres") << 16764000.0f << "1.6764E+07";
    QTest::newRow("42164 km in metres") << 42164000.0f << "4.2164E+07";
    QTest::newRow("50000 km in metres") << 50000000.0f << "5E+07";
    QTest::newRow("0.001") << 0.001f << "0.001";
    QTest::newRow("0.00001") << 0.00001f << "1E-05";
    QTest::newRow("nearest 55.1") << 55.1f << "55.1";
    QTest::newRow("63") << 63.0f << "63";
    QTest::newRow("-35.1902") << -35.1902f << "-35.1902";

    // Zero and its sign.
    QTest::newRow("zero") << 0.0f << "0";
    QTest::newRow("negative zero") << -0.0f << "0";

    // Where the exponent form starts and ends.
    QTest::newRow("largest 7-digit integer") << 9999999.0f << "9999999";
    QTest::newRow("exponent 7") << 10000000.0f << "1E+07";
    QTest::newRow("exponent -4 stays plain") << 0.0001f << "0.0001";
    QTest::newRow("exponent -4 with digits") << 0.00012345f << "0.00012345";
    QTest::newRow("exponent -5") << 0.000099999f << "9.9999E-05";
    QTest::newRow("rounding carries into exponent -4") << 9.9999997e-05f << "0.0001";
    QTest::newRow("rounding up in the last digit") << 1234567.875f << "1234568";
    QTest::newRow("negative exponent form") << -2.5e-07f << "-2.5E-07";
    QTest::newRow("three-digit magnitude stays two digits") << 1.5e+20f << "1.5E+20";

    // Seven significant digits, trailing zeros dropped.
    QTest::newRow("nine digits") << 123456789.0f << "1.234568E+08";
    QTest::newRow("binary 0.1") << 0.1f << "0.1";
    QTest::newRow("one third") << (1.0f / 3.0f) << "0.3333333";
    QTest::newRow("two thirds rounds up") << (2.0f / 3.0f) << "0.6666667";
    QTest::newRow("eccentricity step") << 0.123f << "0.123";
    QTest::newRow("inclination step") << 45.5f << "45.5";
    QTest::newRow("near 360") << 359.9f << "359.9";
    QTest::newRow("exact tie goes to even") << 12345685.0f << "1.234568E+07";
    QTest::newRow("exact tie goes to even, odd below") << 12345675.0f << "1.234568E+07";

    // The ends of the single range.
    QTest::newRow("largest single") << FLT_MAX << "3.402823E+38";
    QTest::newRow("most negative single") << -FLT_MAX << "-3.402823E+38";
    QTest::newRow("smallest normal") << FLT_MIN << "1.175494E-38";
    QTest::newRow("smallest subnormal") << std::numeric_limits<float>::denorm_min()
                                        << "1.401298E-45";

    // Never sent, but never text a host would take for a word.
    QTest::newRow("infinity") << std::numeric_limits<float>::infinity() << "0";
    QTest::newRow("nan") << std::numeric_limits<float>::quiet_NaN() << "0";
}

void TstOrbitNumbers::singleToText()
{
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(SingleToText(value), text);
}

void TstOrbitNumbers::singleToTextIgnoresLocale()
{
    QCOMPARE(SingleToText(-35.1902f), QStringLiteral("-35.1902"));
    QCOMPARE_EXACT(*ReadDouble(u"35.19"), 35.19);
    QVERIFY(!ReadDouble(u"35,19"));
}

void TstOrbitNumbers::readAccepts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("integer") << "6582" << 6582.0;
    QTest::newRow("fraction") << "0.123" << 0.123;
    QTest::newRow("negative") << "-35.1902" << -35.1902;
    QTest::newRow("plus sign") << "+5" << 5.0;
    QTest::newRow("trailing point") << "5." << 5.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("negative leading point") << "-.5" << -0.5;
    QTest::newRow("leading zeros") << "0007000" << 7000.0;
    QTest::newRow("written exponent") << "4.2164E+07" << 42164000.0;
    QTest::newRow("written small exponent") << "1E-05" << 0.00001;
    QTest::newRow("lower-case exponent") << "1e-05" << 0.00001;
    QTest::newRow("unsigned exponent") << "1E7" << 1e7;
    QTest::newRow("blanks around") << "  12 " << 12.0;
    QTest::newRow("tab before") << "\t12" << 12.0;
    QTest::newRow("zero with huge exponent") << "0E999999999999" << 0.0;
    QTest::newRow("below double range is zero") << "1E-400" << 0.0;
    QTest::newRow("long digit string") << "0.000000000000000000001000000000000000000000" << 1e-21;
}

void TstOrbitNumbers::readAccepts()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    const std::optional<double> d = ReadDouble(text);
    QVERIFY(d);
    QCOMPARE_EXACT(*d, value);
    const std::optional<float> f = ReadSingle(text);
    QVERIFY(f);
    QCOMPARE_EXACT(*f, float(value));
}

void TstOrbitNumbers::readRejects_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << "";
    QTest::newRow("blanks only") << "   ";
    QTest::newRow("lone minus") << "-";
    QTest::newRow("lone plus") << "+";
    QTest::newRow("lone point") << ".";
    QTest::newRow("sign and point") << "-.";
    QTest::newRow("letters") << "abc";
    QTest::newRow("trailing junk") << "12abc";
    QTest::newRow("blank inside") << "1 000";
    QTest::newRow("thousands separator") << "1,000";
    QTest::newRow("decimal comma") << "1,5";
    QTest::newRow("two points") << "1.2.3";
    QTest::newRow("two signs") << "+-1";
    QTest::newRow("double minus") << "--1";
    QTest::newRow("exponent without digits") << "1E";
    QTest::newRow("exponent sign without digits") << "1E+";
    QTest::newRow("exponent without mantissa") << "E5";
    QTest::newRow("point and exponent only") << ".E5";
    QTest::newRow("inf") << "inf";
    QTest::newRow("signed infinity") << "-Infinity";
    QTest::newRow("nan") << "nan";
    QTest::newRow("NaN") << "NaN";
    QTest::newRow("hexadecimal") << "0x1A";
    QTest::newRow("hexadecimal float") << "0x1p3";
    QTest::newRow("type suffix") << "1.5f";
    QTest::newRow("other script digits") << QString::fromUtf8("\u0661\u0662");
    QTest::newRow("full-width digits") << QString::fromUtf8("\uff11\uff12");
    QTest::newRow("beyond double range") << "1E400";
    QTest::newRow("negative beyond double range") << "-1E400";
}

void TstOrbitNumbers::readRejects()
{
    QFETCH(QString, text);
    QVERIFY(!ReadDouble(text));
    QVERIFY(!ReadSingle(text));
}

void TstOrbitNumbers::readSingleRoundsOnce_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<float>("value");

    const float afterOne = std::nextafter(1.0f, 2.0f);
    // Through double this lands exactly on the halfway point and rounds down.
    QTest::newRow("just above a single halfway") << "1.00000005960464477539062501" << true << afterOne;
    QTest::newRow("just below a single halfway") << "1.00000005960464477539062499" << true << 1.0f;
    QTest::newRow("largest single") << "3.4028235E+38" << true << FLT_MAX;
    QTest::newRow("beyond single range") << "3.5E+38" << false << 0.0f;
    QTest::newRow("negative beyond single range") << "-1E+39" << false << 0.0f;
    QTest::newRow("subnormal") << "1.401298E-45" << true
                               << std::numeric_limits<float>::denorm_min();
    QTest::newRow("below single range is zero") << "1E-50" << true << 0.0f;
    QTest::newRow("fine for double, not for single") << "1E+300" << false << 0.0f;
}

void TstOrbitNumbers::readSingleRoundsOnce()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(float, value);
    const std::optional<float> f = ReadSingle(text);
    QCOMPARE(bool(f), ok);
    if (ok)
        QCOMPARE_EXACT(*f, value);
}

void TstOrbitNumbers::everyBarPositionReadsBack_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("semi-major axis") << 0 << 6578 << 50000;
    QTest::newRow("eccentricity") << 1 << 0 << 999;
    QTest::newRow("inclination") << 2 << 0 << 1800;
    QTest::newRow("argument of perigee") << 3 << 0 << 3600;
    QTest::newRow("RAAN") << 4 << 0 << 3600;
    QTest::newRow("true anomaly") << 5 << 0 << 3600;
}

void TstOrbitNumbers::everyBarPositionReadsBack()
{
    QFETCH(int, row);
    QFETCH(int, first);
    QFETCH(int, last);
    const double k = PositionScale(row);
    for (int p = first; p <= last; ++p) {
        const float field = float(p / k);
        const QString text = SingleToText(field);
        // Bar positions never need the exponent form.
        QVERIFY2(!text.contains(u'E'), qPrintable(text));
        const std::optional<float> back = ReadSingle(text);
        QVERIFY2(back && *back == field, qPrintable(text));
        QCOMPARE(RoundPosition(double(*back) * k), std::optional<qint32>(p));
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
            const std::optional<float> back = ReadSingle(text);
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
    QTest::addColumn<double>("x");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("position");

    QTest::newRow("tie down to even") << 12.5 << true << 12;
    QTest::newRow("tie up to even") << 7.5 << true << 8;
    QTest::newRow("half") << 0.5 << true << 0;
    QTest::newRow("negative half") << -0.5 << true << 0;
    QTest::newRow("negative tie to even") << -12.5 << true << -12;
    QTest::newRow("negative tie up") << -13.5 << true << -14;
    QTest::newRow("below half") << 2.4999999 << true << 2;
    QTest::newRow("above half") << 2.5000001 << true << 3;
    QTest::newRow("largest position") << 2147483647.0 << true << 2147483647;
    QTest::newRow("rounds down to largest") << 2147483647.4 << true << 2147483647;
    QTest::newRow("rounds past largest") << 2147483647.5 << false << 0;
    QTest::newRow("smallest position") << -2147483648.0 << true << int(-2147483648LL);
    QTest::newRow("tie to the even smallest") << -2147483648.5 << true << int(-2147483648LL);
    QTest::newRow("below smallest") << -2147483649.0 << false << 0;
    QTest::newRow("1E+10 in box 0") << 1e10 << false << 0;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << false << 0;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << false << 0;
}

void TstOrbitNumbers::roundPosition()
{
    QFETCH(double, x);
    QFETCH(bool, fits);
    QFETCH(int, position);
    const std::optional<qint32> p = RoundPosition(x);
    QCOMPARE(bool(p), fits);
    if (fits)
        QCOMPARE(*p, position);
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
    QTest::newRow("0.9995 is above the bound, sits below the tie") << 1 << "0.9995" << true << 999
                                                                    << 999;
    QTest::newRow("0.999 is the bound") << 1 << "0.999" << false << 999 << 999;
    QTest::newRow("180 is the bound") << 2 << "180" << false << 1800 << 1800;
    QTest::newRow("6582 km") << 0 << "6582" << false << 50000 << 6582;
    QTest::newRow("0.123") << 1 << "0.123" << false << 999 << 123;
    QTest::newRow("200 after aids lowered the bar") << 3 << "200" << true << 1800 << 2000;
}

void TstOrbitNumbers::boxTextToPosition()
{
    QFETCH(int, row);
    QFETCH(QString, text);
    QFETCH(bool, aboveMax);
    QFETCH(int, max);
    QFETCH(int, position);
    const double k = PositionScale(row);
    QCOMPARE(*ReadDouble(text) > max / k, aboveMax);
    const std::optional<float> field = ReadSingle(text);
    QVERIFY(field);
    QCOMPARE(RoundPosition(double(*field) * k), std::optional<qint32>(position));
}

void TstOrbitNumbers::toSingle_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<float>("value");

    const double halfUlpAboveMax = double(FLT_MAX) + std::ldexp(1.0, 103);
    QTest::newRow("rounds") << 0.1 << true << 0.1f;
    QTest::newRow("largest") << double(FLT_MAX) << true << FLT_MAX;
    QTest::newRow("just above largest rounds back") << std::nextafter(double(FLT_MAX), 1e39) << true
                                                   << FLT_MAX;
    QTest::newRow("below the overflow tie") << std::nextafter(halfUlpAboveMax, 0.0) << true
                                           << FLT_MAX;
    QTest::newRow("overflow tie") << halfUlpAboveMax << false << 0.0f;
    QTest::newRow("negative overflow") << -1e39 << false << 0.0f;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << false << 0.0f;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << false << 0.0f;
}

void TstOrbitNumbers::toSingle()
{
    QFETCH(double, x);
    QFETCH(bool, ok);
    QFETCH(float, value);
    const std::optional<float> f = ToSingle(x);
    QCOMPARE(bool(f), ok);
    if (ok)
        QCOMPARE_EXACT(*f, value);
}

QTEST_GUILESS_MAIN(TstOrbitNumbers)
#include "tst_orbit_numbers.moc"
