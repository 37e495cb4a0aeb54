#include "TFullText.h"

#include <QShowEvent>

#include "UiLook.h"
#include "ui_TFullText.h"

TFullText::TFullText(const ProgramEnvironment& env, QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::TFullText>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(437, 229);
    setFont(UiFont(QStringLiteral("Arial"), 11));
    ui->FieldText_TXT->setFont(UiFont(QStringLiteral("Arial"), 11, true));
    SetTextColour(*ui->FieldText_TXT, QColor(0, 0, 128));
    ui->Close_BTN->setIcon(Glyph(env, QStringLiteral("glyph_close.png")));
    connect(ui->Close_BTN, &QPushButton::clicked, this, &TFullText::Close_BTNClick);
}

TFullText::~TFullText() = default;

void TFullText::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFullText::FormShow() {
    ui->FieldName_LBL->setText(FieldCaption);
    ui->FieldText_TXT->clear();
    ui->FieldText_TXT->setPlainText(FieldValue);
}

void TFullText::Close_BTNClick() { accept(); }
