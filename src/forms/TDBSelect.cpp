#include "TDBSelect.h"

#include <QDir>

#include "Guard.h"
#include "Install.h"
#include "ProgramEnvironment.h"
#include "UiLook.h"
#include "ui_TDBSelect.h"

TDBSelect::TDBSelect(ProgramEnvironment& env, UserDialogs& dialogs, QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::TDBSelect>()), env_(env), dialogs_(dialogs) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    setFont(UiFont(QStringLiteral("Arial"), 12));
    ui->Label1->setFont(UiFont(QStringLiteral("Arial"), 12, true));
    ui->Add_BTN->setIcon(Glyph(env_, QStringLiteral("glyph_add.png")));
    ui->Ok_BTN->setIcon(Glyph(env_, QStringLiteral("glyph_ok.png")));
    ui->Cancel_BTN->setIcon(Glyph(env_, QStringLiteral("glyph_exit.png")));
    ui->DB_CBX->setPlaceholderText(QStringLiteral("вид протокола не выбран"));
    connect(ui->Ok_BTN, &QPushButton::clicked, this, &TDBSelect::Ok_BTNClick);
    connect(ui->Cancel_BTN, &QPushButton::clicked, this, &TDBSelect::Cancel_BTNClick);
    connect(ui->Add_BTN, &QToolButton::clicked, this, &TDBSelect::Add_BTNClick);
    EnsureCatalogue(env_.DataRoot);
    LoadKinds();
}

TDBSelect::~TDBSelect() = default;

void TDBSelect::LoadKinds() {
    kinds_ = ::LoadKinds(env_.DataRoot);
    ui->DB_CBX->clear();
    ui->DB_CBX->addItems(kinds_.names);
    ui->DB_CBX->setCurrentIndex(-1);
}

void TDBSelect::Ok_BTNClick() {
    const int i = ui->DB_CBX->currentIndex();
    if (i < 0 || i >= kinds_.size()) {
        dialogs_.Message(nullptr, QStringLiteral("Необходимо выбрать протокол исследований"), UserDialogs::Icon::Warning);
        ui->DB_CBX->setFocus();
        return;
    }
    env_.KindSubfolder = kinds_.folders.at(i);
    env_.CurrentKind = kinds_.kinds.at(i);
    accept();
}

void TDBSelect::Cancel_BTNClick() { reject(); }

void TDBSelect::Add_BTNClick() {
    UserDialogs::FileRequest request;
    request.title = QStringLiteral("Установка протокола исследований");
    request.filter = QStringLiteral("Файлы протоколов (*.prt);;Все файлы (*)");
    request.initialPath = QDir::homePath();
    const QString package = dialogs_.OpenFileName(this, request);
    if (package.isEmpty()) return;
    InstallOutcome outcome;
    if (!RunGuarded(dialogs_, this, [&] { outcome = InstallPackage(env_.DataRoot, package); })) return;
    if (!outcome.ok()) {
        const QString text = outcome.detail.isEmpty() ? outcome.message : outcome.message + QStringLiteral("\n\n") + outcome.detail;
        dialogs_.Message(this, text, UserDialogs::Icon::Error);
        return;
    }
    if (!RunGuarded(dialogs_, this, [this] { LoadKinds(); })) return;
    dialogs_.Message(this, outcome.message, UserDialogs::Icon::None);
}
