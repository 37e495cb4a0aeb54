#include "TDebug.h"

#include "UiLook.h"
#include "ui_TDebug.h"

TDebug::TDebug(QWidget* owner) : QWidget(owner, Qt::Window), ui(std::make_unique<Ui::TDebug>()) {
    ui->setupUi(this);
    setFont(UiFont(QStringLiteral("MS Sans Serif"), 11));
    connect(ui->Clear_BTN, &QPushButton::clicked, this, &TDebug::Clear_BTNClick);
}

TDebug::~TDebug() = default;

void TDebug::Append(const QString& line) { ui->Memo->appendPlainText(line); }

void TDebug::Clear_BTNClick() { ui->Memo->clear(); }
