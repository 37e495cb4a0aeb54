// velmora-demo DATA_ROOT PACKAGE...: a data root to show the program on. Installs the packages
// and gives each kind a few dozen protocols with realistic names and some values, made the way
// the new-protocol dialog makes them.
#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

#include "EngineError.h"
#include "Install.h"
#include "Kinds.h"
#include "MainTable.h"
#include "NewProtocol.h"
#include "FieldCatalogue.h"
#include "TFolderDB.h"

namespace {

const char* const kSurnames[] = {"Иванова", "Петрова", "Смирнова", "Кузнецова", "Попова", "Соколова",
                                 "Лебедева", "Козлова", "Новикова", "Морозова", "Волкова", "Соловьева",
                                 "Васильева", "Зайцева", "Павлова", "Семенова", "Голубева", "Виноградова",
                                 "Богданова", "Воробьева", "Федорова", "Михайлова", "Беляева", "Тарасова"};
const char* const kNames[] = {"Анна", "Мария", "Елена", "Ольга", "Татьяна", "Наталья", "Ирина",
                              "Светлана", "Екатерина", "Юлия", "Галина", "Людмила", "Дарья"};
const char* const kPatronymics[] = {"Ивановна", "Петровна", "Сергеевна", "Александровна", "Николаевна",
                                    "Викторовна", "Андреевна", "Михайловна", "Владимировна", "Юрьевна"};

struct Field {
    QString name, type;
    int min = 0, max = 0;
};

QList<Field> Catalogue(const QString& folder) {
    FieldCatalogue catalogue(folder);
    TDbTable& table = catalogue.Table();
    QList<Field> fields;
    for (table.First(); !table.Eof(); table.Next())
        fields.append({table.FieldByName(QStringLiteral("Fieldname")).AsString(),
                       table.FieldByName(QStringLiteral("Fieldtype")).AsString(),
                       table.FieldByName(QStringLiteral("FieldMin")).AsInteger(),
                       table.FieldByName(QStringLiteral("FieldMax")).AsInteger()});
    return fields;
}

// Some values for a protocol, so that opened protocols are not all empty.
void FillSome(TFolderDB& db, const QList<Field>& fields, int number, unsigned& seed) {
    QStringList sets;
    for (const Field& f : fields) {
        seed = seed * 1103515245u + 12345u;
        const unsigned r = seed >> 16;
        if (r % 3 == 0) continue;
        if (IsNumberTypeWord(f.type) && f.max > f.min) {
            // Around the middle of the range, where most real values lie.
            const int middle = (f.min + f.max) / 2, spread = (f.max - f.min) / 8;
            sets << f.name + QStringLiteral("=") + QString::number(middle - spread + int(r % unsigned(2 * spread + 1)));
        }
        else if (f.type == u"bool")
            sets << f.name + QStringLiteral("=") + QString::number(r % 2);
        else if (f.type == u"enum")
            sets << f.name + QStringLiteral("=") + QString::number(1 + r % 3);
    }
    if (!sets.isEmpty())
        db.Execute(QStringLiteral("update main set ") + sets.join(QStringLiteral(", ")) +
                   QStringLiteral(" where code=") + QString::number(number));
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (args.size() < 3) {
        err << "usage: velmora-demo DATA_ROOT PACKAGE...\n";
        return 2;
    }
    const QString root = args.at(1);
    try {
        EnsureCatalogue(root);
        for (const QString& package : args.mid(2)) {
            const InstallOutcome outcome = InstallPackage(root, package);
            if (!outcome.ok()) err << package << ": " << outcome.message << " " << outcome.detail << "\n";
        }
        const KindList kinds = LoadKinds(root);
        unsigned seed = 20240501;
        for (qsizetype k = 0; k < kinds.size(); ++k) {
            const QString folder = KindFolderPath(root, kinds.folders.at(k));
            bool created = false;
            CreateMainTable(folder, created);
            TFolderDB db(folder);
            const QList<Field> fields = Catalogue(folder);
            const int count = 24 + int(k) * 13;
            TBatch batch(folder);
            for (int i = 0; i < count; ++i) {
                seed = seed * 1103515245u + 12345u;
                const unsigned r = seed >> 8;
                const QString name = QStringLiteral("%1 %2 %3").arg(QString::fromUtf8(kSurnames[r % 24]),
                                                                   QString::fromUtf8(kNames[(r / 24) % 13]),
                                                                   QString::fromUtf8(kPatronymics[(r / 312) % 10]));
                const int number = CreateProtocol(db, NextProtocolNumber(db), name);
                FillSome(db, fields, number, seed);
            }
            batch.Commit();
        }
    } catch (const EngineError& e) {
        err << e.message() << "\n";
        return 1;
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
    return 0;
}
