// Test helper: appends rows to FOLDER/TABLE one statement at a time and reports each row
// whose statement returned, so a test can kill it anywhere and check what survived.
//   append_rows FOLDER TABLE FIRST COUNT
#include "EngineError.h"
#include "TFolderDB.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 5) return 2;
    TFolderDB db(QString::fromLocal8Bit(argv[1]));
    const QString table = QString::fromLocal8Bit(argv[2]);
    const long first = std::atol(argv[3]);
    const long count = std::atol(argv[4]);
    for (long code = first; code < first + count; ++code) {
        try {
            db.Execute(QStringLiteral("insert into %1 (code, fio) values (%2, 'строка %2')")
                           .arg(table).arg(code));
        } catch (const EngineError& e) {
            std::fprintf(stderr, "%s\n", e.message().toUtf8().constData());
            return 1;
        }
        std::printf("ok %ld\n", code);
        std::fflush(stdout);
    }
    return 0;
}
