#include "fleet/duewindow.h"

#include "base/numbers.h"
#include "base/texts.h"
#include "fleet/documentstore.h"
#include "fleet/documentwindow.h"
#include "fleet/driverwindow.h"
#include "reports/reportservice.h"
#include "ui/fields.h"
#include "ui/guard.h"
#include "ui/keys.h"
#include "ui/widgets.h"

#include <QBrush>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace vok {

namespace {

QString whatCaption(const due::Item &item)
{
    switch (item.kind) {
    case due::Kind::Driver:
        return item.what == QLatin1String("aviz") ? QStringLiteral("aviz medical") : QStringLiteral("permis de conducere");
    case due::Kind::Service: return QStringLiteral("revizie");
    case due::Kind::Document: break;
    }
    return item.what;
}

QString leftCaption(const due::Item &item)
{
    const bool oneDay = item.kind != due::Kind::Service && (item.left == 1 || item.left == -1);
    const QString unit = item.kind == due::Kind::Service ? QStringLiteral("km")
                         : oneDay                          ? QStringLiteral("zi")
                                                           : QStringLiteral("zile");
    if (item.overdue())
        return QStringLiteral("depasit cu %1 %2").arg(doubleText(-item.left), unit);
    return QStringLiteral("%1 %2").arg(doubleText(item.left), unit);
}

} // namespace

DueWindow::DueWindow(const WindowContext &context, const QDate &today, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_today(today)
{
    setObjectName(QStringLiteral("scadente"));
    setWindowTitle(QStringLiteral("Scadente"));

    m_model = new QStandardItemModel(0, 4, this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("Auto / sofer"), QStringLiteral("Ce expira"),
                                        QStringLiteral("Data / km"), QStringLiteral("Ramas")});
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setTabKeyNavigation(false);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 8);

    m_days = new QLineEdit(this);
    m_days->setObjectName(QStringLiteral("zilescadente"));
    m_days->setMaximumWidth(60);
    m_days->setAlignment(Qt::AlignRight);
    m_km = new QLineEdit(this);
    m_km->setObjectName(QStringLiteral("kmscadente"));
    m_km->setMaximumWidth(80);
    m_km->setAlignment(Qt::AlignRight);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("numar"));
    m_save = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Salvare"));
    m_report = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("Raport"));
    m_exit = widgets::button(this, QStringLiteral("Command3"), QStringLiteral("Iesire"));

    auto *ahead = new QHBoxLayout;
    ahead->addWidget(widgets::labelFor(this, QStringLiteral("Aminteste cu"), m_days));
    ahead->addWidget(m_days);
    ahead->addWidget(widgets::labelFor(this, QStringLiteral("zile inainte; reviziile cu"), m_km));
    ahead->addWidget(m_km);
    ahead->addWidget(new QLabel(QStringLiteral("km inainte"), this));
    ahead->addWidget(m_save);
    ahead->addStretch();

    auto *caption = new QLabel(QStringLiteral("Enter pe un rand deschide documentele autovehiculului sau soferul; "
                                              "Escape inchide fereastra"), this);
    caption->setWordWrap(true);
    caption->setBuddy(m_grid);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_count, 1);
    buttons->addWidget(m_report);
    buttons->addWidget(m_exit);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(ahead);
    layout->addWidget(caption);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);

    setTabOrder(m_grid, m_report);
    setTabOrder(m_report, m_exit);
    setTabOrder(m_exit, m_days);
    setTabOrder(m_days, m_km);
    setTabOrder(m_km, m_save);

    fields::kilometreBox(m_days, m_context.messages, QStringLiteral("#0"), QStringLiteral("30"));
    fields::kilometreBox(m_km, m_context.messages, QStringLiteral("#0"), QStringLiteral("1000"));
    keys::onEnterKey(m_grid, [this](const QModelIndex &index) { open(index.row()); });
    connect(m_grid, &QTableView::doubleClicked, this, [this](const QModelIndex &index) { open(index.row()); });
    connect(m_save, &QPushButton::clicked, this, &DueWindow::saveSettings);
    connect(m_report, &QPushButton::clicked, this, &DueWindow::report);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);

    guarded(m_context.messages, this, [&] {
        const DueSettings settings = DocumentStore(m_context.db).dueSettings();
        m_days->setText(QString::number(settings.days));
        m_km->setText(formatNumber(settings.km, QStringLiteral("#0")));
    });
    refresh();
    resize(760, 520);
    m_grid->setFocus(Qt::OtherFocusReason);
}

void DueWindow::done(int result)
{
    fields::setClosing(this);
    QDialog::done(result);
}

void DueWindow::refresh()
{
    const int row = m_grid->currentIndex().row();
    guarded(m_context.messages, this, [&] {
        const DocumentStore store(m_context.db);
        m_items = due::overdueFirst(store.dueItems(m_today, store.dueSettings().days));
    });
    m_model->removeRows(0, m_model->rowCount());
    for (const due::Item &item : m_items) {
        QList<QStandardItem *> cells;
        const QString when = item.kind == due::Kind::Service ? QStringLiteral("la %1 km").arg(item.when) : item.when;
        for (const QString &text : {item.subject, whatCaption(item), when, leftCaption(item)}) {
            auto *cell = new QStandardItem(text);
            cell->setEditable(false);
            if (item.overdue())
                cell->setForeground(QBrush(Qt::red));
            cells << cell;
        }
        m_model->appendRow(cells);
    }
    const qsizetype overdue = std::count_if(m_items.cbegin(), m_items.cend(), [](const due::Item &i) { return i.overdue(); });
    m_count->setText(m_items.isEmpty() ? QStringLiteral("Nimic nu expira in perioada aleasa.")
                                       : QStringLiteral("%1 scadente, din care %2 depasite").arg(m_items.size()).arg(overdue));
    if (!m_items.isEmpty())
        m_grid->setCurrentIndex(m_model->index(std::clamp(row, 0, int(m_items.size()) - 1), 0));
}

void DueWindow::open(int row)
{
    if (row < 0 || row >= m_items.size())
        return;
    const due::Item item = m_items.at(row);
    if (item.kind == due::Kind::Driver) {
        DriverWindow window(m_context, item.subject, this);
        window.exec();
    } else {
        DocumentWindow window(m_context, item.ida, this);
        window.exec();
    }
    // Back here, with what the clerk changed meanwhile.
    activateWindow();
    refresh();
    m_grid->setFocus(Qt::OtherFocusReason);
}

void DueWindow::saveSettings()
{
    const int days = int(readNumber(m_days->text()));
    const double km = readNumber(m_km->text());
    if (!m_context.messages->confirm(this, texts::saveQuestion()))
        return;
    if (!guarded(m_context.messages, this, [&] { DocumentStore(m_context.db).saveDueSettings({days, km}, objectName()); }))
        return;
    m_context.messages->inform(this, texts::saved());
    refresh();
    m_grid->setFocus(Qt::OtherFocusReason);
}

void DueWindow::report()
{
    ReportRequest request;
    request.reportFile = QStringLiteral("rapscadente.rpt");
    request.dataFile = m_context.dataFile;
    m_context.reports->show(this, request);
}

} // namespace vok
