#include "trips/towingdialog.h"

#include "base/numbers.h"
#include "trips/surcharge.h"
#include "trips/surchargetablestore.h"
#include "trips/tripsubdialog.h"
#include "ui/fields.h"
#include "ui/guard.h"
#include "ui/keys.h"
#include "ui/widgets.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QVBoxLayout>

namespace vok {

namespace {

// A horizontal header with headings over groups of columns, as on the
// normative's printed table: the captions of the model sit in the bottom row,
// a group's heading spans its columns above them; columns outside every group
// use the whole height for their own caption.
class GroupedHeader : public QHeaderView {
public:
    struct Group {
        int first;
        int last;
        int level; // 0 = top row
        QString text;
    };

    GroupedHeader(int levels, QList<Group> groups, QWidget *parent)
        : QHeaderView(Qt::Horizontal, parent)
        , m_levels(levels)
        , m_groups(std::move(groups))
    {
        setDefaultAlignment(Qt::AlignCenter);
        setSectionsClickable(false);
        setHighlightSections(false);
        // A resized column moves the headings that span it.
        connect(this, &QHeaderView::sectionResized, this, [this] { viewport()->update(); });
    }

protected:
    QSize sizeHint() const override
    {
        QSize size = QHeaderView::sizeHint();
        size.setHeight(rowHeight() * (m_levels + 1));
        return size;
    }

    void paintSection(QPainter *painter, const QRect &rect, int logical) const override
    {
        const int row = rect.height() / (m_levels + 1);
        int captionTop = rect.top();
        for (const Group &group : m_groups) {
            if (logical < group.first || logical > group.last)
                continue;
            const int left = sectionViewportPosition(group.first);
            const int right = sectionViewportPosition(group.last) + sectionSize(group.last);
            const QRect span(left, rect.top() + group.level * row, right - left, row);
            paintHeading(painter, span, group.text);
            captionTop = std::max(captionTop, span.bottom() + 1);
        }
        QHeaderView::paintSection(painter, QRect(rect.left(), captionTop, rect.width(), rect.bottom() + 1 - captionTop),
                                  logical);
    }

private:
    int rowHeight() const { return fontMetrics().height() + 10; }

    void paintHeading(QPainter *painter, const QRect &rect, const QString &text) const
    {
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.rect = rect;
        option.text = text;
        option.textAlignment = Qt::AlignCenter;
        option.position = QStyleOptionHeader::Middle;
        option.state |= QStyle::State_Enabled;
        painter->save();
        style()->drawControl(QStyle::CE_Header, &option, painter, this);
        painter->restore();
    }

    int m_levels;
    QList<Group> m_groups;
};

QLabel *note(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

TowingDialog::TowingDialog(const WindowContext &context, int engineClass, int trailers, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_engineClass(engineClass)
    , m_trailerCount(trailers)
{
    setObjectName(QStringLiteral("tractare"));
    setWindowTitle(QStringLiteral("Tractare"));
    buildLayout();

    guarded(m_context.messages, this, [&] { SurchargeTableStore(m_context.db).loadTowingTable(*m_model); });
    const QString captions[] = {
        QString(), QStringLiteral("Nr.crt."), QStringLiteral("Tipuri de remorci tractate"),
        QStringLiteral("Greutatea poprie (tone)"), QStringLiteral("1 remorca"), QStringLiteral("2 remorci"),
        QStringLiteral("1 remorca"), QStringLiteral("2 remorci"), QStringLiteral("1 remorca"),
        QStringLiteral("2 remorci")};
    for (int column = 0; column < m_model->columnCount() && column < 10; ++column)
        m_model->setHeaderData(column, Qt::Horizontal, captions[column]);
    QHeaderView *header = m_grid->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (m_model->columnCount() > 2)
        header->setSectionResizeMode(2, QHeaderView::Stretch);
    m_grid->setColumnHidden(SurchargeTableStore::towingKeyColumn, true);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_grid->verticalHeader()->hide(); // the normative's own row numbers are in "Nr.crt."

    switch (m_trailerCount) {
    case 1: m_trailers->setText(QStringLiteral("1 remorca")); break;
    case 2: m_trailers->setText(QStringLiteral("2 remorca")); break;
    default: break;
    }

    // Opening writes nothing: the trip window keeps its T until Pt or t changes.
    connect(m_pt, &QLineEdit::textChanged, this, &TowingDialog::recompute);
    connect(m_stract, &QLineEdit::textChanged, this, &TowingDialog::recompute);
    connect(m_grid, &QTableView::doubleClicked, this, &TowingDialog::rowChosen);
    // The arrows and Enter choose a row as well; Pt comes next.
    keys::onEnterKey(m_grid, [this](const QModelIndex &index) {
        rowChosen(index);
        m_pt->setFocus(Qt::TabFocusReason);
    });
    fields::numericBox(m_pt, m_context.messages, QStringLiteral("#0.0"));
    fields::numericBox(m_stract, m_context.messages, QStringLiteral("#0"));
    m_grid->setFocus();
    resize(sizeHint().expandedTo(QSize(940, 540)));
}

void TowingDialog::buildLayout()
{
    auto *title = new QLabel(QStringLiteral("Sporul specific de tractare ,,t'' (km echiv./100 km)"), this);
    title->setObjectName(QStringLiteral("Label1"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    auto *hint = new QLabel(QStringLiteral("Dublu-click pe tipul de remorca tractata"), this);
    hint->setObjectName(QStringLiteral("Label12"));
    m_trailers = new QLabel(this);
    m_trailers->setObjectName(QStringLiteral("Label13"));
    m_trailers->setFont(bold);
    m_trailers->setAccessibleName(QStringLiteral("numar remorci"));

    m_model = new ReferenceTableModel(this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    const QString perClass[] = {QStringLiteral("pana la 150 CP"), QStringLiteral("151 - 215 CP"),
                                QStringLiteral("peste 215 CP")};
    const int rates = SurchargeTableStore::towingFirstRateColumn;
    QList<GroupedHeader::Group> groups{
        {rates, rates + 5, 0, QStringLiteral("pentru automobile echipate cu motoare de :")}};
    for (int i = 0; i < 3; ++i)
        groups.append({rates + 2 * i, rates + 2 * i + 1, 1, perClass[i]});
    m_grid->setHorizontalHeader(new GroupedHeader(2, groups, m_grid));
    tripdialogs::showTable(m_grid, m_model, title->text());
    // Room to give when the chosen row's description or the notes need a
    // second line: the dialog keeps its height.
    m_grid->setMinimumSize(900, 200);
    title->setBuddy(m_grid);
    hint->setBuddy(m_grid);

    m_choice = new QLabel(surcharge::towingDescriptionEmpty(), this);
    m_choice->setObjectName(QStringLiteral("Label11"));
    m_choice->setWordWrap(true);

    m_pt = tripdialogs::numberBox(this, QStringLiteral("pt"), QStringLiteral("0.0"));
    m_stract = tripdialogs::numberBox(this, QStringLiteral("stract"), QStringLiteral("0"));
    auto *ptLabel = new QLabel(QStringLiteral("Pt - parcursul tractat (km)"), this);
    ptLabel->setObjectName(QStringLiteral("Label14"));
    ptLabel->setBuddy(m_pt);
    auto *stractLabel = new QLabel(QStringLiteral("Sporul specific de tractare ,,t''"), this);
    stractLabel->setObjectName(QStringLiteral("Label16"));
    stractLabel->setBuddy(m_stract);

    m_result = new QLabel(QStringLiteral("T = (Pt / 100) * t = 0.0"), this);
    m_result->setObjectName(QStringLiteral("Label15"));
    m_result->setFont(bold);
    // Wide enough for any T, so that the notes beside it do not reflow.
    m_result->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(QStringLiteral("T = (Pt / 100) * t = 00000.0")));

    auto *exit = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Iesire"));
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    auto *top = new QHBoxLayout;
    top->addWidget(hint);
    top->addStretch();
    top->addWidget(m_trailers);

    auto *form = new QFormLayout;
    form->addRow(ptLabel, m_pt);
    form->addRow(stractLabel, m_stract);
    form->addRow(QString(), m_result);

    auto *notes = new QVBoxLayout;
    notes->setSpacing(0);
    notes->addWidget(note(QStringLiteral("La nr.crt. 7 se includ si semiremorcile autobuzelor articulate."), this));
    notes->addWidget(note(QStringLiteral("La nr.crt. 9a sunt prevazute automobilele tractate de automobile cu "
                                         "sarcina nominala peste 1,5 tone."), this));
    notes->addWidget(note(QStringLiteral("La nr.crt. 1 si 9.b sunt prevazute automobilele tractate de automobile "
                                         "cu sarcina nominala sub 1,5 tone."), this));
    notes->addWidget(note(QStringLiteral("La nr.crt. 9.b la greutatea proprie s-a prevazut greutatea totala a "
                                         "automobilelor tractate."), this));

    auto *bottom = new QHBoxLayout;
    bottom->addLayout(form);
    bottom->addSpacing(24);
    bottom->addLayout(notes, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exit);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_choice);
    layout->addLayout(bottom);
    layout->addLayout(buttons);

    setTabOrder(m_grid, m_pt);
    setTabOrder(m_pt, m_stract);
    setTabOrder(m_stract, exit);
}

void TowingDialog::done(int result)
{
    // What was typed stays on the trip window; nothing is checked any more.
    // A number in the box just left is rewritten as leaving it would.
    tripdialogs::settle(m_pt, QStringLiteral("#0.0"));
    tripdialogs::settle(m_stract, QStringLiteral("#0"));
    fields::setClosing(this);
    QDialog::done(result);
}

void TowingDialog::rowChosen(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const int idr = m_model->index(index.row(), SurchargeTableStore::towingKeyColumn).data().toInt();
    std::optional<TowingRate> rate;
    if (!guarded(m_context.messages, this,
                 [&] { rate = SurchargeTableStore(m_context.db).towingRate(idr, m_engineClass, m_trailerCount); })
        || !rate)
        return;
    m_choice->setText(surcharge::towingDescription(rate->trailerType, rate->ownWeight, rate->rate));
    m_stract->setText(doubleText(rate->rate));
}

void TowingDialog::recompute()
{
    m_result->setText(surcharge::towingResultText(surcharge::equivalentKm(m_pt->text(), m_stract->text())));
    emit entryChanged(surcharge::entry(m_pt->text(), m_stract->text()));
}

} // namespace vok
