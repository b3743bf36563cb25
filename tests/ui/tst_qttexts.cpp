#include "ui/filedialog.h"
#include "ui/qttexts.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace vok;

// Qt's dialogs speak Romanian once the program installs its translations, and
// the locale stays what it was.
class QtTextsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void standardButtons_data();
    void standardButtons();
    void fileDialog_data();
    void fileDialog();
    void editMenu();
    void scrollBarMenu();
    void otherQtTexts_data();
    void otherQtTexts();
    void fileMessages();
    void fileDates_data();
    void fileDates();
    void fileDialogColumns();
    void localeUntouched();

private:
    QString localeBefore;
    QChar decimalPointBefore;
};

void QtTextsTest::initTestCase()
{
    localeBefore = QLocale().name();
    decimalPointBefore = QLocale().decimalPoint().at(0);
    installQtTranslations(*QCoreApplication::instance());
}

void QtTextsTest::standardButtons_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("ok") << int(QDialogButtonBox::Ok) << "OK";
    QTest::newRow("cancel") << int(QDialogButtonBox::Cancel) << "Renuntare";
    QTest::newRow("yes") << int(QDialogButtonBox::Yes) << "&Da";
    QTest::newRow("no") << int(QDialogButtonBox::No) << "&Nu";
    QTest::newRow("save") << int(QDialogButtonBox::Save) << "Salvare";
    QTest::newRow("open") << int(QDialogButtonBox::Open) << "Deschidere";
    QTest::newRow("close") << int(QDialogButtonBox::Close) << "Inchidere";
}

void QtTextsTest::standardButtons()
{
    QFETCH(int, button);
    QFETCH(QString, text);
    const auto which = static_cast<QDialogButtonBox::StandardButton>(button);
    QDialogButtonBox box{QDialogButtonBox::StandardButtons(which)};
    QCOMPARE(box.button(which)->text(), text);
}

void QtTextsTest::fileDialog_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("accept");
    QTest::newRow("open") << false << "&Deschidere";
    QTest::newRow("save") << true << "&Salvare";
}

// The program's own file question, as the clerk sees it.
void QtTextsTest::fileDialog()
{
    QFETCH(bool, save);
    QFETCH(QString, accept);
    QStringList seen;
    QTimer probe;
    probe.setInterval(20);
    connect(&probe, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        probe.stop();
        for (const char *name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
            if (auto *label = dialog->findChild<QLabel *>(QString::fromLatin1(name)))
                seen << label->text();
        if (auto *buttons = dialog->findChild<QDialogButtonBox *>()) {
            for (QAbstractButton *button : buttons->buttons())
                seen << button->text();
        }
        dialog->reject();
    });
    probe.start();
    FileRequest request;
    request.title = QStringLiteral("Alegeti fisierul");
    request.nameFilters = {QStringLiteral("Fisiere CSV (*.csv)")};
    request.save = save;
    QVERIFY(askForFile(nullptr, request).isEmpty());
    QCOMPARE(seen, (QStringList{"Cauta in:", "&Nume fisier:", "Fisiere de tipul:", accept, "Renuntare"}));
}

void QtTextsTest::editMenu()
{
    QLineEdit box;
    std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    QStringList texts;
    for (QAction *action : menu->actions())
        if (!action->isSeparator())
            texts << action->text().section(QLatin1Char('\t'), 0, 0);
    QCOMPARE(texts, (QStringList{"&Anulare", "&Refacere", "&Decupare", "&Copiere", "&Lipire", "Stergere",
                                 "Selectare totala"}));
}

// The scroll bar's own menu, as a right click opens it.
void QtTextsTest::scrollBarMenu()
{
    QScrollBar bar(Qt::Vertical);
    bar.resize(20, 200);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QStringList texts;
    QTimer::singleShot(50, this, [&] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            for (QAction *action : menu->actions())
                if (!action->isSeparator())
                    texts << action->text();
            menu->close();
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 100), bar.mapToGlobal(QPoint(10, 100)));
    QApplication::sendEvent(&bar, &event);
    QCOMPARE(texts, (QStringList{"Deruleaza pana aici", "Sus de tot", "Jos de tot", "O pagina in sus", "O pagina in jos",
                                 "Deruleaza in sus", "Deruleaza in jos"}));
}

void QtTextsTest::otherQtTexts_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("text");
    // The print dialog's job page.
    QTest::newRow("job control") << "QCupsJobWidget" << "Job Control" << QString() << "Controlul lucrarii";
    QTest::newRow("scheduled") << "QCupsJobWidget" << "Scheduled printing:" << QString() << "Tiparire programata:";
    QTest::newRow("banner none") << "QCupsJobWidget" << "None" << "CUPS Banner page" << "Fara";
    QTest::newRow("properties") << "QPrintPropertiesDialog" << "Job Options" << QString() << "Optiunile lucrarii";
    QTest::newRow("print") << "QPrintDialog" << "Print" << QString() << "Tiparire";
    QTest::newRow("file model date") << "QFileSystemModel" << "Date Modified" << QString() << "Data modificarii";
}

void QtTextsTest::otherQtTexts()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, comment);
    QFETCH(QString, text);
    QCOMPARE(QCoreApplication::translate(context.toLatin1(), source.toLatin1(),
                                         comment.isEmpty() ? nullptr : comment.toLatin1().constData()),
             text);
}

// What the system says of a file, as the clerk reads it on the command line.
void QtTextsTest::fileMessages()
{
    QTemporaryDir dir;
    QFile missing(dir.filePath("nu-exista.csv"));
    QVERIFY(!missing.open(QIODevice::ReadOnly));
    QCOMPARE(missing.errorString(), "Fisierul sau dosarul nu exista");
}

void QtTextsTest::fileDates_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("size");
    QTest::newRow("bytes") << qint64(812) << "812 octeti";
    QTest::newRow("one KB") << qint64(1024) << "1.0 KB";
    QTest::newRow("KB and a half") << qint64(1536) << "1.5 KB";
    QTest::newRow("MB") << qint64(23 * 1024 * 1024 + 52429) << "23.1 MB";
    QTest::newRow("GB") << qint64(3) * 1024 * 1024 * 1024 << "3.0 GB";
}

void QtTextsTest::fileDates()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, size);
    QCOMPARE(qttexts::fileSize(bytes), size);
    QCOMPARE(qttexts::fileDate(QDateTime(QDate(2026, 12, 7), QTime(14, 5, 59))), "07.12.2026 14:05");
}

// The file dialog shows dates and sizes as the program writes them, in
// columns wide enough for them, within the screen.
void QtTextsTest::fileDialogColumns()
{
    QTemporaryDir dir;
    QFile file(dir.filePath("raport.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1536, 'x'));
    file.close();
    int dateWidth = 0, sizeWidth = 0, dialogWidth = 0;
    QTimer probe;
    probe.setInterval(20);
    connect(&probe, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        probe.stop();
        auto *view = dialog->findChild<QTreeView *>("treeView");
        QVERIFY(view);
        sizeWidth = view->header()->sectionSize(1);
        dateWidth = view->header()->sectionSize(3);
        dialogWidth = dialog->width();
        dialog->reject();
    });
    probe.start();
    FileRequest request;
    request.title = "Alegeti fisierul";
    request.directory = dir.path();
    QVERIFY(askForFile(nullptr, request).isEmpty());
    const QFontMetrics metrics(QApplication::font());
    QVERIFY(dateWidth > metrics.horizontalAdvance("00.00.0000 00:00"));
    QVERIFY(sizeWidth > metrics.horizontalAdvance("1023.9 KB"));
    QVERIFY(dialogWidth <= 1024);
    QVERIFY(dialogWidth >= 700);
}

void QtTextsTest::localeUntouched()
{
    QCOMPARE(QLocale().name(), localeBefore);
    QCOMPARE(QLocale().decimalPoint().at(0), decimalPointBefore);
}

QTEST_MAIN(QtTextsTest)
#include "tst_qttexts.moc"
