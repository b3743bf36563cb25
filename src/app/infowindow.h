#pragma once

#include <QDialog>
#include "db/roles.h"

#include <QStringList>

namespace vok {

// `info`, "Informatii": the order in which the clerk types the data.
class InfoWindow : public QDialog {
    Q_OBJECT
public:
    // `account`, when given, heads the texts: who works, with which role.
    explicit InfoWindow(QWidget *parent = nullptr, const QString &account = {});
    static const QStringList &texts();
    // "Utilizator: ana (vok_operator)".
    static QString accountLine(const QString &login, roles::Role role);
};

} // namespace vok
