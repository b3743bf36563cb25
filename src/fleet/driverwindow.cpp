#include "fleet/driverwindow.h"

#include "base/texts.h"
#include "fleet/driverstore.h"
#include "ui/fields.h"
#include "ui/gridexport.h"
#include "ui/guard.h"
#include "ui/keys.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QGridLayout>
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

QLineEdit *textBox(QWidget *parent, const QString &name, int width)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMinimumWidth(width);
    return box;
}

QStandardItem *cell(const QString &text)
{
    auto *item = new QStandardItem(text);
    item->setEditable(false);
    return item;
}

} // namespace

DriverWindow::DriverWindow(const WindowContext &context, const QString &driver, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("soferi"));
    setWindowTitle(QStringLiteral("Soferi"));

    m_model = new QStandardItemModel(0, 6, this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("Nume"), QStringLiteral("Nr. permis"), QStringLiteral("Categorii"),
                                        QStringLiteral("Expira permisul"), QStringLiteral("Expira avizul"),
                                        QStringLiteral("Activ")});
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setTabKeyNavigation(false);
    m_grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 8);
    gridexport::install(m_grid, m_context.messages, QStringLiteral("soferi"));

    m_nume = textBox(this, QStringLiteral("nume"), 220);
    m_nume->setToolTip(QStringLiteral("Numele ca pe foile de parcurs; numarul maxim de caractere 20"));
    m_permis = textBox(this, QStringLiteral("permis"), 140);
    m_categorii = textBox(this, QStringLiteral("categorii"), 100);
    m_exppermis = textBox(this, QStringLiteral("exppermis"), 100);
    m_expaviz = textBox(this, QStringLiteral("expaviz"), 100);
    for (QLineEdit *date : {m_exppermis, m_expaviz})
        date->setPlaceholderText(QStringLiteral("zz.ll.aaaa"));
    m_activ = new QCheckBox(QStringLiteral("Activ"), this);
    m_activ->setObjectName(QStringLiteral("activ"));
    m_activ->setChecked(true);

    m_save = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Salvare"));

    keys::setSaveButton(m_save);
    m_delete = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("Stergere"));
    m_new = widgets::button(this, QStringLiteral("Command3"), QStringLiteral("Nou"));
    m_exit = widgets::button(this, QStringLiteral("Command4"), QStringLiteral("Iesire"));

    buildLayout();
    connectEvents();
    refreshGrid();
    resize(820, 560);

    if (!driver.isEmpty()) {
        m_nume->setText(driver);
        if (load(driver)) {
            m_exppermis->setFocus(Qt::OtherFocusReason);
            m_exppermis->selectAll();
            return;
        }
    }
    m_nume->setFocus(Qt::OtherFocusReason);
}

DriverWindow::~DriverWindow()
{
    // A focus change while the window is taken down checks nothing.
    fields::setClosing(this);
}

void DriverWindow::buildLayout()
{
    auto *caption = new QLabel(QStringLiteral("Soferi inregistrati (Enter pe un rand il aduce in casute)"), this);
    caption->setBuddy(m_grid);

    auto *entry = new QGridLayout;
    entry->addWidget(widgets::labelFor(this, QStringLiteral("Nume sofer"), m_nume), 0, 0);
    entry->addWidget(m_nume, 0, 1);
    entry->addWidget(widgets::labelFor(this, QStringLiteral("Numar permis"), m_permis), 0, 2);
    entry->addWidget(m_permis, 0, 3);
    entry->addWidget(widgets::labelFor(this, QStringLiteral("Categorii"), m_categorii), 0, 4);
    entry->addWidget(m_categorii, 0, 5);
    entry->addWidget(widgets::labelFor(this, QStringLiteral("Permisul expira la"), m_exppermis), 1, 0);
    entry->addWidget(m_exppermis, 1, 1);
    entry->addWidget(widgets::labelFor(this, QStringLiteral("Avizul medical expira la"), m_expaviz), 1, 2);
    entry->addWidget(m_expaviz, 1, 3);
    entry->addWidget(m_activ, 1, 4, 1, 2);
    entry->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_save);
    buttons->addWidget(m_delete);
    buttons->addWidget(m_new);
    buttons->addStretch();
    buttons->addWidget(m_exit);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(entry);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->addSpacing(6);
    layout->addWidget(caption);
    layout->addWidget(m_grid, 1);

    // The order in which the clerk types a driver, then the register.
    QWidget *order[] = {m_nume, m_permis, m_categorii, m_exppermis, m_expaviz, m_activ,
                        m_save, m_delete, m_new, m_grid, m_exit};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void DriverWindow::connectEvents()
{
    MessageService *messages = m_context.messages;
    fields::selectAllOnEntry(m_nume);
    connect(m_nume, &QLineEdit::textEdited, this, [this, messages](const QString &text) {
        if (text.size() > driver::NameLength)
            messages->inform(this, texts::maxLength(driver::NameLength));
    });
    fields::onLeave(m_nume, [this] { return leaveName(); });

    const std::pair<QLineEdit *, int> texts[] = {{m_permis, driver::PermitLength}, {m_categorii, driver::CategoryLength}};
    for (const auto &[box, length] : texts) {
        fields::selectAllOnEntry(box);
        fields::onLeave(box, [this, box = box, length = length] {
            const QString problem = driver::textProblem(box->text(), length);
            if (problem.isEmpty())
                return true;
            m_context.messages->inform(this, problem);
            return false;
        });
    }
    for (QLineEdit *date : {m_exppermis, m_expaviz}) {
        fields::selectAllOnEntry(date);
        fields::onLeave(date, [this, date] {
            const QString problem = driver::dateProblem(date->text());
            if (!problem.isEmpty()) {
                m_context.messages->inform(this, problem);
                return false;
            }
            const QString shown = driver::normalisedDate(date->text());
            if (shown != date->text())
                date->setText(shown);
            return true;
        });
    }

    keys::onEnterKey(m_grid, [this](const QModelIndex &index) {
        const QString name = m_model->item(index.row(), 0)->text();
        m_nume->setText(name);
        if (load(name)) {
            m_permis->setFocus(Qt::OtherFocusReason);
            m_permis->selectAll();
        }
    });
    connect(m_grid, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        m_nume->setText(m_model->item(index.row(), 0)->text());
        if (load(m_nume->text()))
            m_permis->setFocus(Qt::OtherFocusReason);
    });

    connect(m_save, &QPushButton::clicked, this, &DriverWindow::save);
    connect(m_delete, &QPushButton::clicked, this, &DriverWindow::remove);
    connect(m_new, &QPushButton::clicked, this, [this] {
        m_nume->clear();
        clear();
        m_nume->setFocus(Qt::OtherFocusReason);
    });
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);
}

void DriverWindow::done(int result)
{
    fields::setClosing(this);
    QDialog::done(result);
}

void DriverWindow::refreshGrid()
{
    guarded(m_context.messages, this, [&] {
        const QList<Driver> drivers = DriverStore(m_context.db).all();
        m_model->removeRows(0, m_model->rowCount());
        for (const Driver &d : drivers)
            m_model->appendRow({cell(d.nume), cell(d.permis), cell(d.categorii), cell(d.exppermis), cell(d.expaviz),
                                cell(d.activ ? QStringLiteral("da") : QStringLiteral("nu"))});
    });
}

bool DriverWindow::leaveName()
{
    const QString name = m_nume->text().trimmed();
    if (const QString problem = driver::nameProblem(name); !problem.isEmpty()) {
        m_context.messages->inform(this, problem);
        return false;
    }
    if (name.toUpper() != m_nume->text())
        m_nume->setText(name.toUpper());
    load(m_nume->text());
    return true;
}

bool DriverWindow::load(const QString &name)
{
    bool registered = false;
    guarded(m_context.messages, this, [&] {
        const std::optional<Driver> d = DriverStore(m_context.db).byName(name);
        if (!d) {
            // A new name: what a driver loaded before showed is not his.
            if (!m_loadedName.isEmpty())
                clear();
            return;
        }
        registered = true;
        m_loadedName = d->nume;
        m_loadedVersion = d->versiune;
        m_permis->setText(d->permis);
        m_categorii->setText(d->categorii);
        m_exppermis->setText(d->exppermis);
        m_expaviz->setText(d->expaviz);
        m_activ->setChecked(d->activ);
    });
    return registered;
}

void DriverWindow::clear()
{
    m_loadedName.clear();
    m_loadedVersion.reset();
    for (QLineEdit *box : {m_permis, m_categorii, m_exppermis, m_expaviz})
        box->clear();
    m_activ->setChecked(true);
}

QWidget *DriverWindow::box(driver::EntryProblem::Field field) const
{
    using Field = driver::EntryProblem::Field;
    switch (field) {
    case Field::Name: return m_nume;
    case Field::Permit: return m_permis;
    case Field::Categories: return m_categorii;
    case Field::PermitExpiry: return m_exppermis;
    case Field::CertificateExpiry: return m_expaviz;
    }
    return m_nume;
}

void DriverWindow::save()
{
    driver::DriverTexts typed{m_nume->text().trimmed().toUpper(), m_permis->text(), m_categorii->text(),
                              m_exppermis->text(), m_expaviz->text()};
    if (const std::optional<driver::EntryProblem> problem = driver::checkSave(typed))
        return fields::refuse(m_context.messages, box(problem->field), problem->message);
    if (!m_context.messages->confirm(this, texts::saveQuestion()))
        return;

    Driver d;
    d.nume = typed.nume;
    d.permis = typed.permis.trimmed();
    d.categorii = typed.categorii.trimmed().toUpper();
    d.exppermis = driver::normalisedDate(typed.exppermis);
    d.expaviz = driver::normalisedDate(typed.expaviz);
    d.activ = m_activ->isChecked();
    const std::optional<int> loaded = d.nume == m_loadedName ? m_loadedVersion : std::nullopt;
    if (!guardedSave(
            m_context.messages, this, [&] { DriverStore(m_context.db).save(d, loaded, objectName()); },
            [this, name = d.nume] {
                m_loadedName.clear();
                load(name);
                refreshGrid();
            }))
        return;
    m_context.messages->inform(this, texts::saved());
    refreshGrid();
    m_nume->clear();
    clear();
    m_nume->setFocus(Qt::OtherFocusReason);
}

void DriverWindow::remove()
{
    const QString name = m_nume->text().trimmed().toUpper();
    if (name.isEmpty())
        return fields::refuse(m_context.messages, m_nume, driver::noNameMessage());
    std::optional<Driver> d;
    if (!guarded(m_context.messages, this, [&] { d = DriverStore(m_context.db).byName(name); }))
        return;
    if (!d)
        return fields::refuse(m_context.messages, m_nume, driver::notRegisteredMessage());
    if (!m_context.messages->confirmDestructive(this, driver::deleteQuestion(name)))
        return;
    bool removed = false;
    if (!guarded(m_context.messages, this, [&] { removed = DriverStore(m_context.db).remove(d->idsofer, objectName()); }))
        return;
    if (!removed)
        return fields::refuse(m_context.messages, m_nume, driver::notRegisteredMessage());
    refreshGrid();
    m_nume->clear();
    clear();
    m_context.messages->inform(this, texts::deleted());
    m_nume->setFocus(Qt::OtherFocusReason);
}

} // namespace vok
