#include "THelp.h"

#include <QFileInfo>
#include <QShortcut>

#include "UiLook.h"
#include "ui_THelp.h"

THelp::THelp(QWidget* owner) : QWidget(owner, Qt::Window), ui(std::make_unique<Ui::THelp>()) {
    ui->setupUi(this);
    setFont(UiFont(QStringLiteral("Arial"), 12));
    ui->Page_TXT->setFont(UiFont(QStringLiteral("Arial"), 14));
    QTextBrowser* page = ui->Page_TXT;
    connect(ui->Back_BTN, &QPushButton::clicked, page, &QTextBrowser::backward);
    connect(ui->Forward_BTN, &QPushButton::clicked, page, &QTextBrowser::forward);
    connect(ui->Home_BTN, &QPushButton::clicked, page, [this] { ui->Page_TXT->setSource(home_); });
    connect(ui->Close_BTN, &QPushButton::clicked, this, &QWidget::close);
    connect(page, &QTextBrowser::backwardAvailable, ui->Back_BTN, &QWidget::setEnabled);
    connect(page, &QTextBrowser::forwardAvailable, ui->Forward_BTN, &QWidget::setEnabled);
    connect(page, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = ui->Page_TXT->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Справка") : QStringLiteral("Справка: ") + title);
    });
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
}

THelp::~THelp() = default;

void THelp::OpenTopic(const QString& file) {
    home_ = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
    ui->Page_TXT->setSource(home_);
}

QUrl THelp::CurrentPage() const { return ui->Page_TXT->source(); }
