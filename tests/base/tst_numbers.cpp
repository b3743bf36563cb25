#include "base/numbers.h"

#include <QtTest>

#include <limits>

using namespace vok;

class NumbersTest : public QObject {
    Q_OBJECT
private slots:
    void readNumber_data();
    void readNumber();
    void isNumber_data();
    void isNumber();
    void formatNumber_data();
    void formatNumber();
    void storageText_data();
    void storageText();
    void singleValueIsTheShortText();
};

void NumbersTest::readNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << "12" << 12.0;
    QTest::newRow("decimal") << "12.5" << 12.5;
    QTest::newRow("leading blanks") << "   7.25" << 7.25;
    QTest::newRow("negative") << "-3.5" << -3.5;
    QTest::newRow("plus sign") << "+4" << 4.0;
    QTest::newRow("point first") << ".5" << 0.5;
    QTest::newRow("prefix only") << "12a" << 12.0;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("comma stops") << "3,7" << 3.0;
    QTest::newRow("letters first") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("point alone") << "." << 0.0;
    QTest::newRow("exponent not read") << "1e5" << 1.0;
    QTest::newRow("trailing blanks") << "8 " << 8.0;
}

void NumbersTest::readNumber()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(vok::readNumber(text), value);
}

void NumbersTest::isNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("number");
    QTest::newRow("integer") << "12" << true;
    QTest::newRow("decimal") << "12.50" << true;
    QTest::newRow("blanks around") << "  -1.5 " << true;
    QTest::newRow("point first") << ".5" << true;
    QTest::newRow("point last") << "5." << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blank") << "   " << false;
    QTest::newRow("letter after") << "12a" << false;
    QTest::newRow("two points") << "1.2.3" << false;
    QTest::newRow("comma") << "1,5" << false;
    QTest::newRow("sign alone") << "-" << false;
    QTest::newRow("exponent") << "1e3" << false;
    QTest::newRow("inner blank") << "1 2" << false;
}

void NumbersTest::isNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, number);
    QCOMPARE(vok::isNumber(text), number);
}

void NumbersTest::formatNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("text");
    QTest::newRow("three decimals") << 1.0 << "#0.000" << "1.000";
    QTest::newRow("half up 2.675") << 2.675 << "#0.00" << "2.68";
    QTest::newRow("half up 1.005") << 1.005 << "#0.00" << "1.01";
    QTest::newRow("half away negative") << -2.5 << "#0" << "-3";
    QTest::newRow("below half") << 0.0449 << "#0.0" << "0.0";
    QTest::newRow("no negative zero") << -0.04 << "#0.0" << "0.0";
    QTest::newRow("leading zero") << 0.5 << "#0.00" << "0.50";
    QTest::newRow("carry") << 9.999 << "#0.00" << "10.00";
    QTest::newRow("carry to new digit") << 99.95 << "#0.0" << "100.0";
    QTest::newRow("two digits") << 5.0 << "00" << "05";
    QTest::newRow("two digits wide") << 12.0 << "00" << "12";
    QTest::newRow("plain zero mask") << 7.6 << "0" << "8";
    QTest::newRow("hash zero") << 7.4 << "#0" << "7";
    QTest::newRow("large") << 123456.789 << "#0.00" << "123456.79";
    QTest::newRow("float residue") << double(72.1f) << "#0.0" << "72.1";
    QTest::newRow("zero") << 0.0 << "#0.000" << "0.000";
}

void NumbersTest::formatNumber()
{
    QFETCH(double, value);
    QFETCH(QString, mask);
    QFETCH(QString, text);
    QCOMPARE(vok::formatNumber(value, mask), text);
}

void NumbersTest::storageText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("single");
    QTest::addColumn<QString>("dbl");
    QTest::newRow("integer") << 12.0 << "12" << "12";
    QTest::newRow("decimal") << 12.5 << "12.5" << "12.5";
    QTest::newRow("single residue") << 72.1 << "72.1" << "72.1";
    QTest::newRow("third") << 1.0 / 3.0 << "0.3333333" << "0.333333333333333";
    QTest::newRow("negative") << -0.25 << "-0.25" << "-0.25";
    QTest::newRow("large no exponent") << 1e15 << "1000000000000000" << "1000000000000000";
    QTest::newRow("small no exponent") << 0.000012 << "0.000012" << "0.000012";
    QTest::newRow("zero") << 0.0 << "0" << "0";
    QTest::newRow("negative zero") << -0.0 << "0" << "0";
    QTest::newRow("sum of decimals") << 12000.1 + 0.2 << "12000.3" << "12000.3";
    QTest::newRow("15 digits") << 2345.67891234567 << "2345.679" << "2345.67891234567";
}

void NumbersTest::storageText()
{
    QFETCH(double, value);
    QFETCH(QString, single);
    QFETCH(QString, dbl);
    QCOMPARE(vok::singleText(float(value)), single);
    QCOMPARE(vok::doubleText(value), dbl);
    // The stored double is the double of that text.
    QCOMPARE(vok::doubleValue(value), dbl.toDouble());
    QCOMPARE(vok::doubleValue(value + 1e-12 * value), (vok::doubleText(value + 1e-12 * value)).toDouble());
}

void NumbersTest::singleValueIsTheShortText()
{
    QCOMPARE(vok::singleValue(72.1f), 72.1);
    QCOMPARE(vok::singleValue(0.1f), 0.1);
    QVERIFY(double(72.1f) != 72.1);
    QCOMPARE(vok::formatNumber(std::numeric_limits<double>::quiet_NaN(), QStringLiteral("#0.0")), QStringLiteral("0.0"));
}

QTEST_APPLESS_MAIN(NumbersTest)
#include "tst_numbers.moc"
