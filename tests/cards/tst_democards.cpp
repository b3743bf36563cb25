// The sample fleet's fuel cards: its month's statement and e-invoice are
// imported, and --reconcile finds exactly the seeded cases, one of each kind,
// for more than one seed; the register journalled; the files refused again.
#include "cards/cardcli.h"
#include "cards/cardstore.h"
#include "cards/democards.h"
#include "db/database.h"
#include "sample/demofleet.h"

#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using namespace vok;

class DemoCardsTest : public QObject {
    Q_OBJECT
private slots:
    void reconcileFindsTheSeeded_data();
    void reconcileFindsTheSeeded();
};

void DemoCardsTest::reconcileFindsTheSeeded_data()
{
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<QDate>("today");
    QTest::newRow("seed 1, March") << 1u << QDate(2025, 3, 15);
    QTest::newRow("seed 7, January") << 7u << QDate(2026, 1, 2);
}

void DemoCardsTest::reconcileFindsTheSeeded()
{
    QFETCH(unsigned, seed);
    QFETCH(QDate, today);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString dir = root.filePath(QStringLiteral("demo"));
    const sample::DemoFolder folder = sample::createDemoFolder(dir, {seed, today});
    QVERIFY2(folder.created(), qPrintable(folder.refusal));
    const sample::DemoSummary &summary = folder.summary;

    // The last closed month: two months before the last one with sheets.
    const QDate month = summary.lastMonth.addMonths(-2);
    QCOMPARE(summary.cardYear, month.year());
    QCOMPARE(summary.cardMonth, month.month());

    QStringList expected;
    QSet<QString> kinds;
    for (const sample::SeededFinding &f : summary.cardFindings) {
        expected << QStringList{f.nrauto, f.nrf ? QString::number(f.nrf) : QString(), f.data, f.kind}.join(u'\t');
        kinds.insert(f.kind);
    }
    QCOMPARE(kinds.size(), 10);
    QCOMPARE(summary.cardFindings.size(), 10);

    cards::CardCommand command;
    command.dataDir = dir;
    command.month = QStringLiteral("%1-%2").arg(month.year()).arg(month.month(), 2, 10, QLatin1Char('0'));
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    QCOMPARE(cards::runReconcile(command, outStream, errStream), 1);
    QStringList found;
    for (const QString &line : out.split(u'\n', Qt::SkipEmptyParts))
        found << line.section(u'\t', 0, 3); // the detail aside
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(found, expected);

    // The month before has no statement: nothing to find.
    out.clear();
    command.month = QStringLiteral("%1-%2").arg(month.addMonths(-1).year()).arg(month.addMonths(-1).month(), 2, 10, QLatin1Char('0'));
    QCOMPARE(cards::runReconcile(command, outStream, errStream), 0);
    QVERIFY(out.isEmpty());

    // Both files are in, once, with one journal row each; most vehicles have a card.
    {
        const QSqlDatabase db = database::openSqlite(dir + QStringLiteral("/vok.db"), QStringLiteral("democards"), DatabaseKind::Data);
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM importcard")).toInt(), 1);
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM facturi")).toInt(), 1);
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM jurnal WHERE tabela IN ('importcard', 'facturi')")).toInt(), 2);
        const int cards = scalar(db, QStringLiteral("SELECT COUNT(*) FROM carduri")).toInt();
        const int vehicles = scalar(db, QStringLiteral("SELECT COUNT(*) FROM auto")).toInt();
        QVERIFY2(cards * 2 > vehicles && cards < vehicles, qPrintable(QStringLiteral("%1 of %2").arg(cards).arg(vehicles)));
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM jurnal WHERE tabela='carduri'")).toInt(), cards);
    }
    database::close(QStringLiteral("democards"));
}

QTEST_GUILESS_MAIN(DemoCardsTest)
#include "tst_democards.moc"
