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

void QtTextsTest::localeUntouched()
{
    QCOMPARE(QLocale().name(), localeBefore);
    QCOMPARE(QLocale().decimalPoint().at(0), decimalPointBefore);
}

QTEST_MAIN(QtTextsTest)
#include "tst_qttexts.moc"
