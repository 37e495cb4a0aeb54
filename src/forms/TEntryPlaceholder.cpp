#include "TEntryPlaceholder.h"

#include "ProgramEnvironment.h"
#include "UiLook.h"
#include "UserDialogs.h"
#include "ui_TEntryPlaceholder.h"

TEntryPlaceholder::TEntryPlaceholder(ProgramEnvironment& env, UserDialogs& dialogs, QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::TEntryPlaceholder>()), env_(env), dialogs_(dialogs) {
    ui->setupUi(this);
    setFixedSize(size());
    setFont(UiFont(QStringLiteral("Arial"), 12));
    ui->Patient_TXT->setFont(UiFont(QStringLiteral("Arial"), 12, true));
    ui->Close_BTN->setIcon(Glyph(env_, QStringLiteral("glyph_close.png")));
    connect(ui->Close_BTN, &QPushButton::clicked, this, &QDialog::accept);
}

TEntryPlaceholder::~TEntryPlaceholder() = default;

int TEntryPlaceholder::OpenProtocol(int number) {
    setWindowTitle(QStringLiteral("Протокол №%1").arg(number));
    QString patient;
    if (env_.MainDB) {
        try {
            TMyQuerySlot slot;
            env_.MainDB->OpenQuery(QStringLiteral("select fio from main where code=") + QString::number(number), slot, false);
            if (slot->Query->RecordCount() > 0) patient = slot->Query->FieldByName(QStringLiteral("fio")).AsString();
        } catch (const std::exception&) {
            // Only the heading suffers: the window still opens.
        }
    }
    ui->Patient_TXT->setText(QStringLiteral("Протокол №%1. %2").arg(number).arg(patient));
    return dialogs_.Run(*this);
}
