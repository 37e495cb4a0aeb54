#pragma once

#include <QString>

#include <memory>

#include "TFolderDB.h"
#include "binding/InputTypes.h"
#include "proc/ProtocolDescription.h"

// What the whole run shares: where the program and the data live, the kind chosen at start-up
// and the database session opened on it. main() owns the one instance and hands it to the
// windows by reference; nothing below the windows reads it.
struct ProgramEnvironment {
    QString ProgramFolder;  // the executable's folder, ending with "/"
    QString DataRoot;       // ends with "/"; the catalogue is DataRoot + "db"
    QString KindSubfolder;  // "db/" + the kind's folder name; empty until a kind is chosen
    protocolDescription CurrentKind;
    std::unique_ptr<TFolderDB> MainDB;  // null until the register window opened the kind
    bool MainTableCreated = false;
    InputTypeRegistry InputTypes;  // the program registers no custom input types
    int ScrollBarWidth = 0;

    // DataRoot joined with KindSubfolder, without a trailing separator.
    QString KindFolder() const;
};

// A picture or help file of the program: `relative` ("data/main_gbg.jpg") is looked for in the
// current folder first, then beside the executable. Returns the first path that exists, or
// the one beside the executable when neither does.
QString ProgramFile(const ProgramEnvironment& env, const QString& relative);
