#pragma once

#include <QList>
#include <QTableView>

class QSqlQueryModel;

namespace vok {

class TripStore;

// The trips of the sheet on the trip window (`DBGrid1`): one row a trip, read
// only, with the captions of the paper program over narrow columns. A click
// on a row hands over its trip number, a double-click its trip, Enter both
// (the trip, then its number, where the focus goes), and Delete the selected
// row.
class TripGrid : public QTableView {
    Q_OBJECT
public:
    explicit TripGrid(QWidget *parent = nullptr);

    // Shows the trips of sheet `idf` (-1 or 0: none). Throws DbError.
    void showTrips(const TripStore &trips, int idf);
    // The sheet shown last.
    int shownSheet() const { return m_sheet; }

signals:
    // A click on a row: its trip number, as the grid shows it.
    void tripNumberClicked(const QString &nrc);
    // A double-click: the row's idc; a null value when no row was hit.
    void tripDoubleClicked(const QVariant &idc);
    // Delete pressed with a row selected: the keys of the selected rows.
    void deleteRequested(const QList<int> &idcs);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QSqlQueryModel *m_trips = nullptr;
    int m_sheet = -1;
};

} // namespace vok
