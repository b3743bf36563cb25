#include "legacyfiles.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace vok::test {

void useFakeMdbTools()
{
    const QString tools = QStringLiteral(VOK_SOURCE_DIR "/tests/legacy/fakemdbtools");
    const QByteArray path = qgetenv("PATH");
    if (!path.startsWith(QFile::encodeName(tools)))
        qputenv("PATH", QFile::encodeName(tools) + ':' + path);
}

void writeFakeMdb(const QString &path, const QMap<QString, QString> &tables)
{
    QByteArray head(4096 * 3, '\0');
    head[1] = 1;
    head.replace(4, 15, "Standard Jet DB");
    head[0x14] = 1;
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(head);
    file.close();
    const QDir dir(path + QStringLiteral(".tables"));
    QVERIFY(QDir().mkpath(dir.path()));
    for (auto it = tables.begin(); it != tables.end(); ++it) {
        QFile table(dir.filePath(it.key()));
        QVERIFY(table.open(QIODevice::WriteOnly | QIODevice::Truncate));
        table.write(it.value().toUtf8());
    }
}

QMap<QString, QString> sampleTables()
{
    return {
        {"AUTO.csv", "ida,nrauto,marca,formula,motor,Cm,Ca,Cb,Cf,Ispec,Iaerod,apar,rap,kmef,kmechiv,restrez\n"
                     "3,\"B-01-ABC\",\"DACIA LOGAN\",2,1,7.5,0.2,4,0.5,0,0,1,1,12000,12100,20.5\n"
                     "7,\"CT-22-XYZ\",\"ROMAN 19.215\",1,2,32,0.8,24,2,0,1,1,1,0,0,0\n"},
        {"consum.csv", "ida,Cm1,Cm2,Cm3,implicit\n3,9,7.5,6.5,2\n7,36,32,30,2\n"},
        {"Foaie.csv", "idf,nrf,ida,sofer,orap,oras,nrore,data,decada,idl,anul,bm,nractc,gz,um,nractu1,ut,nractu2,ua,"
                      "nractu3,schu,nractschu,schf,nractschf,restit,nractrst\n"
                      "20,100,3,\"POPESCU ION\",6,14,8,\"2026-03-05 00:00:00\",1,3,2026,40,\"B 12/05.03\",,,,,,,,0,,0,,,\n"
                      "21,101,3,\"POPESCU ION\",7,15,8,\"2026-03-12 00:00:00\",2,3,2026,,,,,,,,,,0,,0,,,\n"
                      "30,500,7,\"IONESCU DAN\",5,17,12,\"2026-03-20 00:00:00\",2,3,2026,150,\"B 40\",,1.5,\"U 2\",,,,,1,\"S 1\",0,,,\n"},
        {"CURSE.csv", "idc,idf,nrc,kmI,kmII,kmIII,kmIV,kmV,kmVI,kmT,kmE,Kg,Gm,T,U,I,nri,Ra,A,nrq1,nrq4,Cn,Cu,remorca,traseu,"
                      "kmtract,kmurb\n"
                      "40,20,1,100,20,0,0,0,0,120,122,1,0,0,0,0,0,0,1,0,0,9.15,0.244,0,\"Ploiesti, \"\"centru\"\"\nBucuresti\",0,0\n"
                      "41,20,2,50,0,0,0,0,0,50,50,1,0,0,0,0,0,0,1,0,0,3.75,0.1,0,\"Bucuresti - Ploiesti\",0,0\n"
                      "50,30,1,300,0,0,0,0,0,300,300,1.12,8,0,0,0,0,0,1,0,0,107.52,2.4,0,\"Constanta - Bucuresti\",0,0\n"},
        {"dateluna.csv", "idd,ida,anul,idl,ore,km,kme,kminc,tone,tonekm,bm,gz,restit,restrez,Cn,um,ut,ua,Cu,kmt,kmet\n"
                         "5,3,2026,3,16,170,172,0,0,0,40,0,0,47.6,12.9,0,0,0,0.344,12170,12272\n"},
        {"piese.csv", "ida,act,denp,valoare,zi,luna,an\n3,\"F 12/05.03.2026\",\"filtru ulei\",45.5,5,3,2026\n"},
        {"setari.csv", "unitate,functie,numeman,intocmit\n\"SC TRANSPORT SA\",\"DIRECTOR\",\"POPA VASILE\",\"ENE ANA\"\n"},
        {"sporI.csv", "nri,fel_auto,fel_prest,fel_prest2,sporkm\n1,\"Autobasculanta\",\"basculare\",\"o basculare\",0.5\n"},
        {"sporU.csv", "autom,bucur,restul\n\"Autoturisme\",12,8\n"},
        {"sporT.csv", "nrcrt,tip_r,gr,motor1r1,motor1r2,motor2r1,motor2r2,motor3r1,motor3r2\n\"1\",\"Remorca\",\"3\",10,18,8,15,6,12\n"},
        {"coefKg.csv", "tone,motor1fr,motor1r,motor23fr,motor23r\n1,1.02,1.04,1.01,1.03\n"},
        {"consumCm1.csv", "aprind,fel,marca,capcil,sarcina,Cm\n2,\"Autocamion\",\"ROMAN\",\"10340\",\"10\",32\n"},
        {"consumCm2.csv", "aprind,fel,marca,capcil,locuri,Cm\n1,\"Autoturism\",\"DACIA\",\"1390\",\"5\",7.5\n"},
        {"consumCm3.csv", "aprind,fel,marca,capcil,loc,Cm\n2,\"Autobuz\",\"IVECO\",\"7800\",\"40\",28\n"},
        {"consumCm4.csv", "aprind,fel,marca,capcil,Cm\n2,\"Autospeciala\",\"DAC\",\"11000\",40\n"},
        {"sistemU.csv", "autom,baia,filtru\n\"Autoturisme\",4,0.5\n"},
        {"uleiCa1.csv", "ciclu,autocamion,autotren,autobuz\n\"0-50000\",0.8,0.9,0.85\n"},
        {"uleiCa2.csv", "ciclu,<2000,2001-2005,5001-11000,>11000\n\"0-50000\",0.2,0.4,0.6,0.8\n"},
    };
}

} // namespace vok::test
