#include "app/databasemenu.h"

#include "app/textreportwindow.h"
#include "db/automaticcopy.h"
#include "db/backup.h"
#include "db/passwordstore.h"
#include "db/restwarnings.h"
#include "db/schema.h"
#include "legacy/legacyimport.h"
#include "ui/backgroundtask.h"
#include "ui/guard.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace vok {

namespace {

QString sizeText(qint64 bytes)
{
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
    return QStringLiteral("%1 MB").arg(double(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

QString dateTimeText(const QDateTime &when) { return when.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")); }

// The current password, asked as at the start: one box, "OK" and "Revocare".
std::optional<QString> askCurrentPassword(QWidget *parent)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("parolacurenta"));
    dialog.setWindowTitle(QStringLiteral(" "));
    auto *box = new QLineEdit(&dialog);
    box->setObjectName(QStringLiteral("passcur"));
    box->setEchoMode(QLineEdit::Password);
    auto *buttons = new QDialogButtonBox(&dialog);
    auto *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    auto *cancel = buttons->addButton(QStringLiteral("Revocare"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("Command2"));
    cancel->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    auto *form = new QFormLayout(&dialog);
    form->addRow(QStringLiteral("Parola curenta"), box);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    box->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return box->text();
}

} // namespace

DatabaseMenu::DatabaseMenu(WindowContext &context, QWidget *window)
    : QObject(window)
    , m_context(context)
    , m_window(window)
{
    chooseFile = [this](const FileRequest &request) { return askForFile(m_window, request); };
    askPassword = [this] { return askCurrentPassword(m_window); };
}

bool DatabaseMenu::currentPasswordGiven()
{
    bool set = false;
    try {
        set = PasswordStore(m_context.sys).isSet();
    } catch (const DbError &error) {
        m_context.messages->inform(m_window, QStringLiteral(" Parola de acum nu poate fi citita (%1); ea va fi "
                                                            "inlocuita. ")
                                                 .arg(error.message()));
        return true;
    }
    if (!set)
        return true;
    const std::optional<QString> typed = askPassword();
    if (!typed) {
        m_context.messages->inform(m_window, QStringLiteral(" Parola curenta este necesara "));
        return false;
    }
    bool matches = false;
    if (!guarded(m_context.messages, m_window, [&] { matches = PasswordStore(m_context.sys).matches(*typed); }))
        return false;
    if (!matches) {
        m_context.messages->inform(m_window, QStringLiteral(" Parola incorecta !!! "));
        return false;
    }
    return true;
}

QString DatabaseMenu::serverText()
{
    return QStringLiteral(" Datele sunt pe serverul PostgreSQL. Copiile de siguranta, restaurarea si compactarea "
                          "se fac cu instrumentele serverului (pg_dump, pg_restore, VACUUM), intr-o lucrare zilnica "
                          "a administratorului (vezi docs/DEPLOYMENT.md). ");
}

bool DatabaseMenu::onServer() const { return schema::dialectOf(m_context.db) == schema::Dialect::Postgres; }

QString DatabaseMenu::dataDir() const { return QFileInfo(m_context.dataFile).absolutePath(); }

void DatabaseMenu::stopAutomaticCopy()
{
    if (m_automatic)
        m_automatic->stop();
}

void DatabaseMenu::closeDatabases()
{
    m_context.db.close();
    m_context.sys.close();
}

bool DatabaseMenu::reopenDatabases()
{
    try {
        backup::reopen(m_context.db, m_context.sys);
        return true;
    } catch (const DbError &error) {
        m_context.messages->error(m_window, QStringLiteral("Baza de date nu a putut fi deschisa din nou: %1\n"
                                                           "Reporniti programul.")
                                                .arg(error.message()));
        return false;
    }
}

bool DatabaseMenu::runTask(const QString &label, bool cancellable,
                          const std::function<void(const TaskProgress &)> &work, const QString &stopped,
                          const std::function<void(const QString &)> &refuse)
{
    try {
        runInBackground(m_window, label, cancellable, work);
        return true;
    } catch (const backup::Cancelled &) {
        if (!stopped.isEmpty())
            m_context.messages->inform(m_window, stopped);
    } catch (const DbError &error) {
        const bool refusal = dynamic_cast<const backup::Refused *>(&error)
                             || dynamic_cast<const legacy::UnreadableFile *>(&error);
        if (refusal && refuse)
            refuse(error.message());
        else
            m_context.messages->error(m_window, error.message());
    }
    return false;
}

bool DatabaseMenu::installPrepared(const backup::Prepared &prepared, const QString &asideTag,
                                   const std::function<void(const QString &)> &refuse, backup::Installed &installed)
{
    closeDatabases();
    try {
        installed = backup::install(prepared, asideTag, now());
    } catch (const DbError &error) {
        backup::discard(prepared);
        if (reopenDatabases()) {
            if (dynamic_cast<const backup::Refused *>(&error))
                refuse(error.message());
            else
                m_context.messages->error(m_window, error.message());
        }
        return false;
    }
    return reopenDatabases();
}

void DatabaseMenu::copy()
{
    if (onServer()) {
        m_context.messages->inform(m_window, serverText());
        return;
    }
    FileRequest request;
    request.title = QStringLiteral("Dosarul in care se face copia datelor");
    request.folder = true;
    request.directory = QDir::homePath();
    const QString folder = chooseFile(request);
    if (folder.isEmpty())
        return;
    QString copy;
    if (!runTask(
            QStringLiteral("Se face copia datelor..."), true,
            [&](const TaskProgress &progress) { copy = backup::copyDataFolder(dataDir(), folder, now(), progress); },
            QStringLiteral(" Copia a fost oprita; nu a ramas nimic din ea. ")))
        return;
    m_context.messages->inform(m_window, QStringLiteral(" Copia datelor a fost facuta: %1 ").arg(QDir::toNativeSeparators(copy)));
}

void DatabaseMenu::restore()
{
    if (onServer()) {
        m_context.messages->inform(m_window, serverText());
        return;
    }
    FileRequest request;
    request.title = QStringLiteral("Alegeti copia datelor care se restaureaza");
    request.nameFilters = {QStringLiteral("Copii ale datelor (vok*.db)"), QStringLiteral("Toate fisierele (*)")};
    request.directory = backup::automaticFolder(dataDir());
    const QString file = chooseFile(request);
    if (file.isEmpty())
        return;
    stopAutomaticCopy();

    backup::Prepared prepared;
    auto refuse = [this](const QString &reason) {
        m_context.messages->inform(m_window, QStringLiteral(" Copia nu poate fi restaurata: %1 !!! ").arg(reason));
    };
    if (!runTask(
            QStringLiteral("Se verifica copia..."), false,
            [&](const TaskProgress &) { prepared = backup::prepareRestore(dataDir(), file); }, {}, refuse))
        return;

    const backup::CopySummary &s = prepared.summary;
    QString question = QStringLiteral(" Copia din %1 contine: autovehicule %2, foi de parcurs %3")
                           .arg(dateTimeText(s.taken))
                           .arg(s.vehicles)
                           .arg(s.sheets);
    question += s.lastSheetDate.isEmpty() ? QStringLiteral(".")
                                          : QStringLiteral(" (ultima din %1).").arg(s.lastSheetDate);
    if (s.migrated)
        question += QStringLiteral("\nCopia este a unei versiuni mai vechi a programului si a fost adusa la zi.");
    if (s.systemFile.isEmpty())
        question += QStringLiteral("\nLanga copie nu este fisierul parolei: parola ramane cea de acum.");
    question += QStringLiteral("\nDatele de acum vor fi pastrate deoparte, in dosarul backups.\n"
                               " Restaurati aceasta copie ? ");
    if (!m_context.messages->confirmDestructive(m_window, question)
        || (!prepared.system.isEmpty() && !currentPasswordGiven())) {
        backup::discard(prepared);
        return;
    }

    backup::Installed installed;
    if (!installPrepared(prepared, QStringLiteral("inainte-de-restaurare"), refuse, installed))
        return;
    m_context.messages->inform(m_window, QStringLiteral(" Copia a fost restaurata. Datele de dinainte au fost "
                                                        "pastrate in %1 ")
                                             .arg(QDir::toNativeSeparators(installed.dataAside)));
}

void DatabaseMenu::check()
{
    QStringList problems;
    QString scope;
    if (onServer()) {
        if (!guarded(m_context.messages, m_window, [&] { problems = backup::consistencyProblems(m_context.db); }))
            return;
        scope = QStringLiteral("Pe server s-a verificat consistenta datelor; integritatea fisierelor o asigura serverul.");
    } else {
        if (!runTask(QStringLiteral("Se verifica baza de date..."), true,
                     [&](const TaskProgress &progress) { problems = backup::checkDataFolder(dataDir(), progress); }))
            return;
        scope = QStringLiteral("S-au verificat integritatea fisierelor vok.db si sys.db si consistenta datelor.");
    }
    if (onServer())
        guarded(m_context.messages, m_window, [&] { problems << restWarnings(m_context.db); });
    const auto warnings = std::count_if(problems.begin(), problems.end(), isWarning);
    const auto faults = problems.size() - warnings;
    QString heading = faults == 0 ? QStringLiteral(" Baza de date este in regula. ") + scope
                                  : QStringLiteral(" Verificarea a gasit %1 probleme. ").arg(faults) + scope;
    if (warnings > 0)
        heading += QStringLiteral(" Avertismente: %1.").arg(warnings);
    TextReportWindow window(QStringLiteral("verificare"), QStringLiteral("Verificare baza de date"), heading,
                            problems.join(u'\n'), m_window);
    window.exec();
}

void DatabaseMenu::compact()
{
    if (onServer()) {
        m_context.messages->inform(m_window, serverText());
        return;
    }
    if (!m_context.messages->confirm(m_window, QStringLiteral(" Inainte de compactare se face o copie a datelor in "
                                                              "dosarul backups. Compactati baza de date ? ")))
        return;
    stopAutomaticCopy();
    closeDatabases();
    backup::Compacted result;
    const bool compacted =
        runTask(QStringLiteral("Se compacteaza baza de date..."), false,
                [&](const TaskProgress &progress) { result = backup::compact(dataDir(), now(), progress); });
    if (!reopenDatabases() || !compacted)
        return;
    m_context.messages->inform(m_window, QStringLiteral(" Baza de date a fost compactata: %1 inainte, %2 acum.\n"
                                                        "Copia facuta inainte: %3 ")
                                             .arg(sizeText(result.before), sizeText(result.after),
                                                  QDir::toNativeSeparators(result.copy)));
}

void DatabaseMenu::importOldData()
{
    if (onServer()) {
        m_context.messages->inform(m_window, QStringLiteral(" Importul datelor vechi construieste bazele de date ale "
                                                            "dosarului de date; cu datele pe serverul PostgreSQL nu "
                                                            "se poate face. "));
        return;
    }
    FileRequest request;
    request.title = QStringLiteral("Alegeti fisierul vok.mdb al programului vechi");
    request.nameFilters = {QStringLiteral("Baze de date Access (*.mdb *.MDB)"), QStringLiteral("Toate fisierele (*)")};
    request.directory = QDir::homePath();
    const QString file = chooseFile(request);
    if (file.isEmpty())
        return;
    const QString system = legacy::systemFileBeside(file);
    auto refuse = [this](const QString &reason) {
        m_context.messages->inform(m_window, QStringLiteral(" Fisierul nu poate fi importat: %1 !!! ").arg(reason));
    };

    legacy::Preview preview;
    bool holdsData = false;
    if (!runTask(
            QStringLiteral("Se citeste fisierul..."), true,
            [&](const TaskProgress &progress) {
                preview = legacy::preview(file, progress);
                holdsData = legacy::folderHoldsData(dataDir());
            },
            {}, refuse))
        return;
    QString question = QStringLiteral(" Fisierul %1 contine:\n").arg(QFileInfo(file).fileName());
    for (const legacy::MdbTable &table : preview.tables)
        if (!preview.unknown.contains(table.name))
            question += QStringLiteral("   %1: %2 randuri\n").arg(table.name).arg(table.rows);
    if (!preview.unknown.isEmpty())
        question += QStringLiteral("Tabele care nu sunt ale programului (nu se importa): %1\n")
                        .arg(preview.unknown.join(QStringLiteral(", ")));
    question += system.isEmpty() ? QStringLiteral("Langa el nu este sys.mdb: parola ramane cea de acum.\n")
                                 : QStringLiteral("Parola se preia din %1.\n").arg(QFileInfo(system).fileName());
    question += QStringLiteral(" Importati datele ? ");
    if (!m_context.messages->confirmDestructive(m_window, question))
        return;
    if (holdsData
        && !m_context.messages->confirmDestructive(m_window,
                                                   QStringLiteral(" Dosarul de date contine deja date. Ele vor fi "
                                                                  "inlocuite cu cele importate; cele de acum se "
                                                                  "pastreaza in dosarul backups. Continuati ? ")))
        return;
    if (!system.isEmpty() && !currentPasswordGiven())
        return;

    stopAutomaticCopy();
    legacy::Built built;
    if (!runTask(
            QStringLiteral("Se importa datele..."), true,
            [&](const TaskProgress &progress) { built = legacy::build(dataDir(), file, system, now(), progress); },
            QStringLiteral(" Importul a fost oprit; datele nu s-au schimbat. "), refuse))
        return;

    backup::Installed installed;
    if (!installPrepared(built.prepared, QStringLiteral("inainte-de-import"), refuse, installed))
        return;
    QString heading = QStringLiteral(" Datele au fost importate");
    heading += built.report.refused.isEmpty()
                   ? QStringLiteral(". ")
                   : QStringLiteral("; %1 randuri au fost refuzate (lista lor urmeaza randurilor importate). ").arg(built.report.refused.size());
    try {
        heading += QStringLiteral("Raportul este salvat in %1 ")
                       .arg(QDir::toNativeSeparators(legacy::saveReport(dataDir(), built.report)));
    } catch (const DbError &error) {
        heading += error.message();
    }
    TextReportWindow window(QStringLiteral("importdate"), QStringLiteral("Import date vechi"), heading,
                            built.report.text(), m_window);
    window.exec();
}

} // namespace vok
