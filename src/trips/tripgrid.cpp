#include "trips/tripgrid.h"

#include "trips/tripstore.h"
#include "ui/keys.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QSqlQueryModel>

namespace vok {

namespace {

const char *const captions[] = {"idc",     "Nr. cursa", "km I",         "km II",       "km III",   "km IV",
                                "km V",    "km VI",     "Total km",     "km echiv.",   "Greut.medie (Gm)",
                                "Coef.Kg", "Spor T",    "Spor U",       "Spor I",      "Spor Ra",  "Coef. A",
                                "Nr.opriri-dem.", "Nr.incalziri", "Cn(litri)", "Cua(litri)"};

constexpr int keyColumn = 0;
constexpr int numberColumn = 1;

} // namespace

TripGrid::TripGrid(QWidget *parent)
    : QTableView(parent)
{
    setObjectName(QStringLiteral("DBGrid1"));
    setAccessibleName(QStringLiteral("Cursele foii de parcurs"));
    m_trips = new QSqlQueryModel(this);
    setModel(m_trips);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One row at a time: a deletion asks about "the current record" only.
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setTabKeyNavigation(false);
    QFont gridFont = font();
    gridFont.setPointSizeF(gridFont.pointSizeF() * 0.9);
    setFont(gridFont);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter | static_cast<Qt::AlignmentFlag>(Qt::TextWordWrap));
    horizontalHeader()->setMinimumHeight(2 * fontMetrics().height() + 6);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setMinimumWidth(16);
    setMinimumHeight(120);

    connect(this, &QTableView::clicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            emit tripNumberClicked(m_trips->data(m_trips->index(index.row(), numberColumn)).toString());
    });
    connect(this, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        emit tripDoubleClicked(index.isValid() ? m_trips->data(m_trips->index(index.row(), keyColumn)) : QVariant());
    });
    connect(verticalHeader(), &QHeaderView::sectionClicked, this, [this] { setFocus(); });
    // Enter on a row opens its trip, as a double-click does, and goes on to
    // its number.
    keys::onEnterKey(this, [this](const QModelIndex &index) {
        emit tripDoubleClicked(m_trips->data(m_trips->index(index.row(), keyColumn)));
        emit tripNumberClicked(m_trips->data(m_trips->index(index.row(), numberColumn)).toString());
    });
}

void TripGrid::showTrips(const TripStore &trips, int idf)
{
    trips.showTrips(m_trips, idf);
    m_sheet = idf;
    for (int c = 0; c < int(std::size(captions)); ++c)
        m_trips->setHeaderData(c, Qt::Horizontal, QLatin1String(captions[c]));
    // Narrow columns with their captions on two lines, so that the whole
    // trip fits the window's width.
    const QFontMetrics metrics = fontMetrics();
    for (int c = 0; c < m_trips->columnCount(); ++c) {
        int width = metrics.horizontalAdvance(QStringLiteral("000.0"));
        for (const QString &word : QString::fromLatin1(captions[c]).split(u' '))
            width = std::max(width, metrics.horizontalAdvance(word));
        for (int r = 0; r < m_trips->rowCount(); ++r)
            width = std::max(width, metrics.horizontalAdvance(m_trips->data(m_trips->index(r, c)).toString()));
        setColumnWidth(c, width + 8);
    }
}

void TripGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Delete) {
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
    QList<int> keys;
    for (const QModelIndex &row : selectionModel()->selectedRows())
        keys << m_trips->data(m_trips->index(row.row(), keyColumn)).toInt();
    if (!keys.isEmpty())
        emit deleteRequested(keys);
}

} // namespace vok
