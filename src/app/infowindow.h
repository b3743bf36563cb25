#pragma once

#include <QDialog>
#include <QStringList>

namespace vok {

// `info`, "Informatii": the order in which the clerk types the data.
class InfoWindow : public QDialog {
    Q_OBJECT
public:
    explicit InfoWindow(QWidget *parent = nullptr);
    static const QStringList &texts();
};

} // namespace vok
