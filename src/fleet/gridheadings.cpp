#include "fleet/gridheadings.h"

namespace vok::grid {

QVariant heading(const QStringList &headings, int section, Qt::Orientation orientation, int role)
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QString();
    return headings.value(section);
}

QVariant numberAlignment() { return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter)); }

QString referenceHeading(const QString &table, const QString &column)
{
    struct Heading {
        const char *table; // nullptr: every table
        const char *column;
        const char *text;
    };
    // The consumption tables share their first columns; the towing and load
    // tables name engine classes and trailers as the towing dialog's
    // grouped heading does.
    static const Heading headings[] = {
        {"sporI", "nri", "Nr."},
        {"sporI", "fel_auto", "Instalatii speciale"},
        {"sporI", "fel_prest", "Prestatia"},
        {"sporI", "fel_prest2", "Descrierea prestatiei"},
        {"sporI", "sporkm", "km echiv./1 prestatie"},
        {"sporU", "autom", "Grupa de automobile"},
        {"sporU", "bucur", "Bucuresti"},
        {"sporU", "restul", "Municipii, celelalte orase"},
        {"sporT", "nrcrt", "Nr.crt."},
        {"sporT", "tip_r", "Tipuri de remorci tractate"},
        {"sporT", "gr", "Greutatea poprie (tone)"},
        {"sporT", "motor1r1", "pana la 150 CP, 1 remorca"},
        {"sporT", "motor1r2", "pana la 150 CP, 2 remorci"},
        {"sporT", "motor2r1", "151 - 215 CP, 1 remorca"},
        {"sporT", "motor2r2", "151 - 215 CP, 2 remorci"},
        {"sporT", "motor3r1", "peste 215 CP, 1 remorca"},
        {"sporT", "motor3r2", "peste 215 CP, 2 remorci"},
        {"coefKg", "tone", "Sarcina (tone)"},
        {"coefKg", "motor1fr", "pana la 150 CP, fara remorca"},
        {"coefKg", "motor1r", "pana la 150 CP, cu remorci"},
        {"coefKg", "motor23fr", "peste 150 CP, fara remorca"},
        {"coefKg", "motor23r", "peste 150 CP, cu remorci"},
        {nullptr, "aprind", "Aprindere"},
        {nullptr, "fel", "Felul automobilului"},
        {nullptr, "marca", "Marca si tipul"},
        {"consumCm1", "capcil", "Cap.cil.(cmc)"},
        {"consumCm1", "sarcina", "Sarcina utila(to)"},
        {"consumCm2", "capcil", "Cap.cil(cmc)"},
        {"consumCm2", "locuri", "Capac."},
        {"consumCm3", "capcil", "Cap.cil(cmc)"},
        {"consumCm3", "loc", "Locuri"},
        {"consumCm4", "capcil", "Cap.cil.(cmc)"},
        {nullptr, "Cm", "Cm"},
        {"sistemU", "autom", "Felul automobilului"},
        {"sistemU", "baia", "Baia de ulei (litri) ,,Cb''"},
        {"sistemU", "filtru", "Filtrul de ulei (litri) ,,Cf''"},
        {nullptr, "ciclu", "km echivalenti"},
        {"uleiCa1", "autocamion", "Autocamioane si derivate"},
        {"uleiCa1", "autotren", "Autotrenuri (cu remorci sau semiremorci)"},
        {"uleiCa1", "autobuz", "Autobuze"},
        {"uleiCa2", "<2000", "< 2000"},
        {"uleiCa2", "2001-2005", "2001 - 5000"},
        {"uleiCa2", "5001-11000", "5001 - 11000"},
        {"uleiCa2", ">11000", "> 11000"},
    };
    for (const Heading &h : headings)
        if ((!h.table || table == QLatin1String(h.table)) && column == QLatin1String(h.column))
            return QString::fromLatin1(h.text);
    return column;
}

} // namespace vok::grid
