#pragma once

#include "charts/chartdata.h"
#include "ui/windowcontext.h"

#include <QDialog>

class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QListWidget;
class QPainter;
class QPrinter;
class QPushButton;
class QTabWidget;

namespace vok {

// The window `grafice` ("Grafice"): one vehicle over a range of months (km,
// normed fuel beside fuel received with the rest in tank, normed litres per
// 100 km against Cm, real against normed consumption where the sheets
// measured the tank) and the fleet's year ranked (litres per 100 km, growth of
// the rest in tank); what looks wrong is marked on the charts and listed
// beside them. "Tiparire", "Salvare PNG", "Salvare PDF" give the chart on
// show with that list. The figures come from charts:: (chartdata.h).
class ChartWindow : public QDialog {
    Q_OBJECT
public:
    enum Page { Kilometres, Fuel, PerHundredKm, Measured, FleetConsumption, FleetRestGrowth, PageCount };

    explicit ChartWindow(const WindowContext &context, QWidget *parent = nullptr);
    ~ChartWindow() override;

    // What the vehicle's charts show, and the lines of the list beside the
    // chart on show.
    const charts::VehicleChart &vehicleChart() const { return m_vehicle; }
    const QVector<charts::MeasuredMonth> &measuredMonths() const { return m_measured; }
    QStringList observations() const;
    QChart *chart(Page page) const;

    // Write the chart on show; tell the clerk when it fails. True when written.
    bool savePng(const QString &path);
    bool savePdf(const QString &path);
    void printTo(QPrinter &printer);

private:
    void chooseVehicle();
    void rangeChanged(bool fromChanged);
    void refreshVehicle();
    void refreshFleet();
    void showObservations();
    void setChart(Page page, QChart *chart);
    charts::YearMonth from() const;
    charts::YearMonth to() const;
    void setRange(charts::YearMonth from, charts::YearMonth to);
    void paintPage(QPainter &painter, const QRectF &page);
    void print();
    void askAndSave(bool pdf);

    WindowContext m_context;
    QVector<charts::Vehicle> m_vehicles;
    charts::VehicleChart m_vehicle;
    QVector<charts::MeasuredMonth> m_measured;
    QVector<charts::Anomaly> m_vehicleAnomalies;
    QVector<charts::Anomaly> m_fleetAnomalies;

    QComboBox *m_nra;
    QLabel *m_tip;
    QComboBox *m_fromMonth;
    QComboBox *m_fromYear;
    QComboBox *m_toMonth;
    QComboBox *m_toYear;
    QComboBox *m_year;
    QTabWidget *m_tabs;
    QChartView *m_views[PageCount];
    QLabel *m_listTitle;
    QListWidget *m_list;
    QPushButton *m_print;
    QPushButton *m_png;
    QPushButton *m_pdf;
    QPushButton *m_exit;
};

} // namespace vok
