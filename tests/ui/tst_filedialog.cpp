// The one "ask where to save": the name proposed for a description, the
// folder it is proposed in, and what the clerk's answer becomes.
#include "ui/filedialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace vok;

class FileDialogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void fileNames_data();
    void fileNames();
    void answerGetsItsSuffixAndItsFolderIsKept();
    void aRemovedFolderIsNotProposed();
    void theDialogShowsTheProposal();
};

void FileDialogTest::initTestCase()
{
    // A Documents folder of the test's own.
    QStandardPaths::setTestModeEnabled(true);
}

void FileDialogTest::fileNames_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("name");
    QTest::newRow("bracket and dots kept") << "FISA ACTIVITATII ZILNICE (V.O.K.) B-104-VOK martie 2026"
                                           << "FISA ACTIVITATII ZILNICE (V.O.K.) B-104-VOK martie 2026";
    QTest::newRow("colon") << "Parc auto 2026: cresterea restului in rezervor"
                           << "Parc auto 2026 - cresterea restului in rezervor";
    QTest::newRow("slashes") << "Consum 01/2026\\02/2026" << "Consum 01-2026-02-2026";
    QTest::newRow("forbidden characters") << "a*b?c\"d<e>f|g" << "a b c d e f g";
    QTest::newRow("control characters") << "linia\nunu\ttab" << "linia unu tab";
    QTest::newRow("leading dot and dash") << ".-ascuns" << "ascuns";
    QTest::newRow("trailing dot") << "PIESE, REPARATII ETC." << "PIESE, REPARATII ETC";
    QTest::newRow("nothing left") << " :/ " << "document";
    QTest::newRow("empty") << "" << "document";
    const QString word = QStringLiteral("CUVANT ");
    QTest::newRow("long, cut after a word") << word.repeated(20) << word.repeated(17).trimmed();
    QTest::newRow("one long word") << QString(200, u'x') << QString(120, u'x');
}

void FileDialogTest::fileNames()
{
    QFETCH(QString, description);
    QFETCH(QString, name);
    QCOMPARE(fileNameFor(description), name);
    QCOMPARE(printDocumentName(description), name + QStringLiteral(".pdf"));
}

void FileDialogTest::answerGetsItsSuffixAndItsFolderIsKept()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QVERIFY(QDir().mkpath(documents));
    // The first save of the run is proposed in the Documents folder.
    QCOMPARE(saveFolder(), QDir(documents).absolutePath());
    QTemporaryDir dir;
    const SaveRequest request{QStringLiteral("Salvare CSV"), QStringLiteral("Fisiere CSV (*.csv)"), QStringLiteral("csv"),
                              QStringLiteral("Situatia lunilor 2026")};
    FileRequest asked;
    const QString path = askWhereToSave(nullptr, request, [&](const FileRequest &r) {
        asked = r;
        return dir.filePath(QStringLiteral("situatie"));
    });
    QCOMPARE(asked.suggested, QDir(documents).absoluteFilePath(QStringLiteral("Situatia lunilor 2026.csv")));
    QCOMPARE(asked.title, QStringLiteral("Salvare CSV"));
    QVERIFY(asked.save);
    QCOMPARE(asked.defaultSuffix, QStringLiteral("csv"));
    QCOMPARE(path, dir.filePath(QStringLiteral("situatie.csv")));
    // The next save, of any kind, is proposed where this one went.
    QCOMPARE(proposedSavePath(QStringLiteral("Grafic: km"), QStringLiteral("png")),
             QDir(dir.path()).absoluteFilePath(QStringLiteral("Grafic - km.png")));
    // A suffix typed in any case is kept; cancelling changes nothing.
    QCOMPARE(askWhereToSave(nullptr, request, [&](const FileRequest &) { return dir.filePath(QStringLiteral("A.CSV")); }),
             dir.filePath(QStringLiteral("A.CSV")));
    QVERIFY(askWhereToSave(nullptr, request, [](const FileRequest &) { return QString(); }).isEmpty());
    QCOMPARE(saveFolder(), QDir(dir.path()).absolutePath());
}

void FileDialogTest::aRemovedFolderIsNotProposed()
{
    QString removed;
    {
        QTemporaryDir dir;
        removed = dir.path();
        askWhereToSave(nullptr, {QStringLiteral("Salvare PDF"), QStringLiteral("Fisiere PDF (*.pdf)"), QStringLiteral("pdf"), {}},
                       [&](const FileRequest &) { return dir.filePath(QStringLiteral("x.pdf")); });
        QCOMPARE(saveFolder(), QDir(removed).absolutePath());
    }
    const QString folder = saveFolder();
    QVERIFY(folder != removed);
    QVERIFY(QFileInfo(folder).isDir());
}

void FileDialogTest::theDialogShowsTheProposal()
{
    QTemporaryDir dir;
    askWhereToSave(nullptr, {QStringLiteral("Salvare PDF"), QStringLiteral("Fisiere PDF (*.pdf)"), QStringLiteral("pdf"), {}},
                   [&](const FileRequest &) { return dir.filePath(QStringLiteral("x.pdf")); });
    QString name, folder;
    QTimer probe;
    probe.setInterval(20);
    connect(&probe, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        probe.stop();
        if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            name = edit->text();
        folder = dialog->directory().absolutePath();
        dialog->reject();
    });
    probe.start();
    const QString path = askWhereToSave(nullptr, {QStringLiteral("Salvare Excel"), QStringLiteral("Fisiere Excel (*.xlsx)"),
                                                  QStringLiteral("xlsx"), QStringLiteral("Piese reparatii B-10-ABC")});
    QVERIFY(path.isEmpty());
    QCOMPARE(name, QStringLiteral("Piese reparatii B-10-ABC.xlsx"));
    QCOMPARE(folder, QDir(dir.path()).absolutePath());
}

QTEST_MAIN(FileDialogTest)
#include "tst_filedialog.moc"
