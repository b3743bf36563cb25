#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace vok {

// What a trip sheet records of its refuelling: the columns of its `foaie` row
// that the refuelling window shows and writes, with the sheet's key, number
// and date.
struct SheetRefuel {
    int idf = 0;
    int nrf = 0;
    QString data;           // the sheet's date, as the trip window wrote it

    double bm = 0;          // petrol or diesel received, litres
    double gz = 0;          // gas received, litres
    QString nractc;         // document of the fuel
    double um = 0;          // oil added to the engine
    QString nractu1;
    double ut = 0;          // oil added to the transmission
    QString nractu2;
    double ua = 0;          // oil added to the auxiliary installations
    QString nractu3;
    bool schu = false;      // oil changed
    QString nractschu;
    bool schf = false;      // oil filter changed
    QString nractschf;
    double restit = 0;      // fuel returned, litres
    QString nractrst;
    // The fuel in the tank at departure and at return, litres; nullopt when
    // not recorded (NULL, never 0).
    std::optional<double> rezplecare, rezsosire;
    int versiunealim = 0;   // the refuelling's version: each write of it advances it
};

// The refuelling columns of the trip sheets. The sheets themselves are made
// and deleted by the trip window; this store only reads them and updates their
// refuelling. Throws DbError when a statement fails.
class RefuelStore {
public:
    explicit RefuelStore(const QSqlDatabase &db);

    // The numbers of the vehicle's sheets of that month, ascending.
    QList<int> sheetNumbers(int ida, int year, int month) const;

    // The sheet `nrf` of the vehicle; nullopt when there is none.
    std::optional<SheetRefuel> sheet(int ida, int nrf) const;

    // Writes the refuelling columns of the sheet `values.idf` in one UPDATE
    // (nrf and data are not written), while its refuelling is still at the
    // version `values.versiunealim` it was loaded with (StaleRecord
    // otherwise). A sheet that no longer exists is a DbError, never a silent
    // success. Returns the refuelling's new version.
    int save(const SheetRefuel &values, const QString &window = QStringLiteral("alim")) const;

    // Takes the fuel off the sheet `idf` loaded at version `versiunealim`: no
    // petrol or diesel, no gas, no fuel document; its oil and returns stay. A
    // sheet that no longer exists is a DbError. Returns the new version.
    int clearFuel(int idf, int versiunealim, const QString &window = QStringLiteral("alim")) const;

private:
    QSqlDatabase m_db;
};

} // namespace vok
