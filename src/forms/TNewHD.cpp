#include "TNewHD.h"

#include <QShowEvent>

#include "Guard.h"
#include "NewProtocol.h"
#include "ProgramEnvironment.h"
#include "UiLook.h"
#include "ui_TNewHD.h"

TNewHD::TNewHD(ProgramEnvironment& env, UserDialogs& dialogs, QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::TNewHD>()), env_(env), dialogs_(dialogs) {
    ui->setupUi(this);
    // A single border without title-bar buttons: the dialog ends through its two buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(504, 119);
    setFont(UiFont(QStringLiteral("Arial"), 12));
    ui->HDNum_TXT->setFont(UiFont(QStringLiteral("Arial"), 12, true));
    ui->Label2->setFont(UiFont(QStringLiteral("Arial"), 12, true));
    ui->Fio_TXT->setMaxLength(kMaxPatientName);
    ui->Ok_BTN->setIcon(Glyph(env_, QStringLiteral("glyph_ok.png")));
    ui->Cancel_BTN->setIcon(Glyph(env_, QStringLiteral("glyph_cancel.png")));
    connect(ui->Ok_BTN, &QPushButton::clicked, this, &TNewHD::Ok_BTNClick);
    connect(ui->Cancel_BTN, &QPushButton::clicked, this, &TNewHD::Cancel_BTNClick);
}

TNewHD::~TNewHD() = default;

void TNewHD::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TNewHD::FormShow() {
    ui->Fio_TXT->clear();
    Number = 0;
    const bool ok = env_.MainDB && RunGuarded(dialogs_, this, [this] { Number = NextProtocolNumber(*env_.MainDB); });
    ui->HDNum_TXT->setText(ok ? QString::number(Number) : QString());
    ui->Ok_BTN->setEnabled(ok);
    ui->Fio_TXT->setFocus();
}

void TNewHD::Ok_BTNClick() {
    if (ui->Fio_TXT->text().isEmpty()) {
        dialogs_.Message(this, QStringLiteral("Необходимо ввести Ф.И.О. пациентки"), UserDialogs::Icon::Error);
        ui->Fio_TXT->setFocus();
        return;
    }
    if (!env_.MainDB) return;
    int number = Number;
    if (!RunGuarded(dialogs_, this, [&] { number = CreateProtocol(*env_.MainDB, Number, ui->Fio_TXT->text()); })) return;
    Number = number;
    accept();
}

void TNewHD::Cancel_BTNClick() { reject(); }
