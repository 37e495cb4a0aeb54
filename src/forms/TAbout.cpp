#include "TAbout.h"

#include <QMouseEvent>
#include <QPixmap>

#include "ProgramEnvironment.h"
#include "UiLook.h"
#include "UserDialogs.h"
#include "ui_TAbout.h"

TAbout::TAbout(const ProgramEnvironment& env, UserDialogs& dialogs, QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::TAbout>()), dialogs_(dialogs) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(499, 285);
    setFont(UiFont(QStringLiteral("Arial"), 12));
    ui->Label1->setFont(UiFont(QStringLiteral("Arial"), 22, true));
    ui->Label2->setFont(UiFont(QStringLiteral("Arial"), 13, true));
    ui->Version_LBL->setText(QStringLiteral("Версия %1").arg(QStringLiteral(VELMORA_VERSION)));
    ui->Logo_IMG->setPixmap(QPixmap(ProgramFile(env, QStringLiteral("data/about_logo.jpg"))));
    for (QLabel* link : {ui->Label3, ui->Label11, ui->Label12}) {
        QFont font = link->font();
        font.setUnderline(true);
        link->setFont(font);
        SetTextColour(*link, QColor(Qt::blue));
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
    }
    ui->Close_BTN->setIcon(Glyph(env, QStringLiteral("glyph_close.png")));
    connect(ui->Close_BTN, &QPushButton::clicked, this, &QDialog::accept);
}

TAbout::~TAbout() = default;

bool TAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == ui->Label3) Label3Click();
        else if (watched == ui->Label11) Label11Click();
        else if (watched == ui->Label12) Label12Click();
        else return QDialog::eventFilter(watched, event);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAbout::Label3Click() { dialogs_.OpenUrl(QUrl(kWebPage)); }

void TAbout::Label11Click() { dialogs_.OpenUrl(QUrl(QStringLiteral("mailto:") + kSupportMail)); }

void TAbout::Label12Click() { dialogs_.OpenUrl(QUrl(kWebPage)); }
