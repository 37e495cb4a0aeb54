// The register window: construction, the start sequence, the search as the user types and the
// two search fields' character filters. The commands are in TMainCommands.cpp.
#include "TMain.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QScreen>
#include <QTimer>

#include "Guard.h"
#include "InputFilters.h"
#include "MainTable.h"
#include "ProgramEnvironment.h"
#include "ProgramWindows.h"
#include "RegisterModel.h"
#include "RegisterSearch.h"
#include "TDBSelect.h"
#include "THelp.h"
#include "UiLook.h"
#include "UserDialogs.h"
#include "proc/Text.h"
#include "ui_TMain.h"

namespace {

constexpr int kSearchDelayMs = 100;
constexpr int kNumberColumnWidth = 72;

}  // namespace

TMain::TMain(ProgramEnvironment& env, ProgramWindows& windows, UserDialogs& dialogs)
    : ui(std::make_unique<Ui::TMain>()), env_(env), windows_(windows), dialogs_(dialogs) {
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setAutoFillBackground(true);

    // Pixel sizes: the .ui format knows only points, which vary with the screen's resolution.
    setFont(UiFont(QStringLiteral("Arial"), 12));
    ui->Count_LBL->setFont(UiFont(QStringLiteral("Arial"), 11, false, true));
    SetTextColour(*ui->Count_LBL, kCountColour);
    ui->New_BTN->setFont(UiFont(QStringLiteral("Arial"), 12, true));
    ui->History_GRD->setFont(UiFont(QStringLiteral("Tahoma"), 12));
    ui->Fam_TXT->setMaxLength(100);

    ui->ShowAll_BTN->setIcon(Glyph(env_, QStringLiteral("glyph_showall.png")));
    ui->Open_BTN->setIcon(Glyph(env_, QStringLiteral("glyph_open.png")));
    ui->New_BTN->setIcon(Glyph(env_, QStringLiteral("glyph_new.png")));
    ui->HDNew_MNU->setIcon(ui->New_BTN->icon());
    ui->HDOpen_MNU->setIcon(ui->Open_BTN->icon());
    ui->HDDel_MNU->setIcon(Glyph(env_, QStringLiteral("glyph_delete.png")));
    ui->ServiceArchive_MNU->setIcon(Glyph(env_, QStringLiteral("glyph_archive.png")));
    ui->HelpContent_MNU->setIcon(Glyph(env_, QStringLiteral("glyph_help.png")));

    Filter_TMR = new QTimer(this);
    Filter_TMR->setObjectName(QStringLiteral("Filter_TMR"));
    Filter_TMR->setSingleShot(true);
    Filter_TMR->setInterval(kSearchDelayMs);
    connect(Filter_TMR, &QTimer::timeout, this, &TMain::Filter_TMRTimer);

    model_ = new RegisterModel(this);
    RegisterGrid* grid = ui->History_GRD;
    grid->setModel(model_);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setSectionsClickable(false);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(model_, &QAbstractItemModel::modelReset, this, [grid] {
        if (grid->model()->columnCount() > 1) grid->setColumnWidth(0, kNumberColumnWidth);
    });
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) model_->MoveCursor(current.row());
            });
    connect(model_, &RegisterModel::CursorMoved, this,
            [grid, this](int row) { grid->setCurrentIndex(model_->index(row, 0)); });
    connect(grid, &QAbstractItemView::doubleClicked, this, &TMain::Open_BTNClick);

    connect(ui->DHNum_TXT, &QLineEdit::textChanged, this, &TMain::DHNum_TXTChange);
    connect(ui->Fam_TXT, &QLineEdit::textChanged, this, &TMain::DHNum_TXTChange);
    connect(ui->Part_CHK, &QCheckBox::clicked, this, &TMain::DHNum_TXTChange);
    ui->DHNum_TXT->installEventFilter(this);
    ui->Fam_TXT->installEventFilter(this);

    connect(ui->ShowAll_BTN, &QPushButton::clicked, this, &TMain::ShowAll_BTNClick);
    connect(ui->Open_BTN, &QPushButton::clicked, this, &TMain::Open_BTNClick);
    connect(ui->New_BTN, &QPushButton::clicked, this, &TMain::New_BTNClick);
    connect(ui->HDNew_MNU, &QAction::triggered, this, &TMain::New_BTNClick);
    connect(ui->HDOpen_MNU, &QAction::triggered, this, &TMain::Open_BTNClick);
    connect(ui->HDDel_MNU, &QAction::triggered, this, &TMain::HDDel_MNUClick);
    connect(ui->ServiceArchive_MNU, &QAction::triggered, this, &TMain::ServiceArchive_MNUClick);
    connect(ui->HelpContent_MNU, &QAction::triggered, this, &TMain::HelpContent_MNUClick);
    connect(ui->About_MNU, &QAction::triggered, this, &TMain::About_MNUClick);

    EnableCommands(false);
    FormCreate();
}

TMain::~TMain() {
    // The result set first, then the session (the grid stops listening before either goes).
    model_->Unbind();
    listQuery_.reset();
    env_.MainDB.reset();
}

void TMain::FormCreate() {
    const QPixmap picture(ProgramFile(env_, QStringLiteral("data/main_gbg.jpg")));
    ui->History_GRD->SetBackgroundPicture(picture);
}

void TMain::setVisible(bool visible) {
    if (visible && !started_) {
        started_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            adjustSize();
            move(screen->availableGeometry().center() - rect().center());
        }
        if (!FormShow()) {
            emit TerminateRequested();
            return;
        }
    }
    QMainWindow::setVisible(visible);
}

bool TMain::FormShow() {
    if (windows_.kindSelect == nullptr) return false;
    if (dialogs_.Run(*windows_.kindSelect) != QDialog::Accepted) return false;
    OpenKind();
    return true;
}

bool TMain::OpenKind() {
    const bool ok = Guarded([this] {
        CreateMainTable(env_.KindFolder(), env_.MainTableCreated);
        env_.MainDB = std::make_unique<TFolderDB>(env_.KindFolder());
        Filter_TMR->stop();
        env_.MainDB->OpenQuery(*SearchStatement({}), listQuery_, true);
        model_->Bind(*listQuery_->Source);
        SetTitles();
        lastCount_ = listQuery_->Query->RecordCount();
        ui->Count_LBL->setText(QStringLiteral("Всего в базе данных ") + CountText(lastCount_));
    });
    if (!ok) {
        // Without a session no command can work: they are disabled instead of failing.
        model_->Unbind();
        listQuery_.reset();
        env_.MainDB.reset();
        ui->Count_LBL->clear();
    }
    EnableCommands(ok);
    return ok;
}

bool TMain::HasSession() const { return env_.MainDB != nullptr && listQuery_ != nullptr; }

TDbQuery* TMain::ListQuery() const { return listQuery_ ? listQuery_->Query.get() : nullptr; }

void TMain::EnableCommands(bool enabled) {
    for (QWidget* w : {static_cast<QWidget*>(ui->DHNum_TXT), static_cast<QWidget*>(ui->Fam_TXT),
                       static_cast<QWidget*>(ui->ShowAll_BTN), static_cast<QWidget*>(ui->Part_CHK),
                       static_cast<QWidget*>(ui->History_GRD), static_cast<QWidget*>(ui->Open_BTN),
                       static_cast<QWidget*>(ui->New_BTN)})
        w->setEnabled(enabled);
    for (QAction* a : {ui->HDNew_MNU, ui->HDOpen_MNU, ui->HDDel_MNU, ui->ServiceArchive_MNU}) a->setEnabled(enabled);
}

void TMain::DHNum_TXTChange() {
    // Starting a running timer would restart its 100 ms: the search runs 100 ms after the
    // first change, with whatever the fields hold then.
    if (!Filter_TMR->isActive()) Filter_TMR->start();
}

void TMain::Filter_TMRTimer() {
    Filter_TMR->stop();
    if (!HasSession()) return;
    const std::optional<QString> statement =
        SearchStatement({ui->DHNum_TXT->text(), ui->Fam_TXT->text(), ui->Part_CHK->isChecked()});
    if (!statement) {
        // A pasted number that is not all digits names no protocol.
        listQuery_->Query->Close();
        emit SearchRan(QString());
        return;
    }
    Guarded([&] { env_.MainDB->OpenQuery(*statement, listQuery_, true); });
    SetTitles();
    emit SearchRan(*statement);
}

void TMain::SetTitles() {
    TDbQuery* query = ListQuery();
    if (query == nullptr || query->FieldCount() < 2) return;
    query->Fields(0).DisplayLabel = QStringLiteral("№");
    query->Fields(1).DisplayLabel = QStringLiteral("Ф.И.О.");
    model_->TitlesChanged();
}

void TMain::ShowAll_BTNClick() {
    ui->DHNum_TXT->clear();
    ShowPrompt(false);
    ui->Fam_TXT->clear();
    DHNum_TXTChange();
}

void TMain::ShowPrompt(bool on) {
    QLineEdit& field = *ui->Fam_TXT;
    if (on) field.setText(kRussianPrompt);
    else if (field.text() == kRussianPrompt) field.clear();
    SetTextColour(field, on ? kPromptColour : QColor(Qt::black));
    field.setReadOnly(on);
}

bool TMain::DHNum_TXTKeyPress(QChar c) { return NumberCharAllowed(c); }

bool TMain::Fam_TXTKeyPress(QChar c) {
    QLineEdit& field = *ui->Fam_TXT;
    if (!NameCharAllowed(c)) {
        if (TrimControl(field.text()).isEmpty()) ShowPrompt(true);
        return false;
    }
    if (field.text() == kRussianPrompt) ShowPrompt(false);
    return true;
}

bool TMain::eventFilter(QObject* watched, QEvent* event) {
    const bool number = watched == ui->DHNum_TXT;
    if (!number && watched != ui->Fam_TXT) return QMainWindow::eventFilter(watched, event);
    QString typed;
    if (event->type() == QEvent::KeyPress) typed = static_cast<QKeyEvent*>(event)->text();
    else if (event->type() == QEvent::InputMethod) typed = static_cast<QInputMethodEvent*>(event)->commitString();
    bool pass = true;
    for (const QChar c : typed) pass = (number ? DHNum_TXTKeyPress(c) : Fam_TXTKeyPress(c)) && pass;
    return !pass;  // a refused character is dropped
}

void TMain::closeEvent(QCloseEvent* event) {
    if (help_) help_->close();
    QMainWindow::closeEvent(event);
}

bool TMain::Guarded(const std::function<void()>& body) { return RunGuarded(dialogs_, this, body); }
