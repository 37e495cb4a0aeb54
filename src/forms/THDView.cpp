// The entry window: its controls, its showing and closing, and the placement of its lists.
#include "THDView.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>

#include "EngineError.h"
#include "EntryDelegates.h"
#include "EntryListWidget.h"
#include "InlineEditors.h"
#include "PressFilter.h"
#include "ProgramEnvironment.h"
#include "TFullText.h"
#include "UiLook.h"
#include "UserDialogs.h"
#include "ui_THDView.h"

namespace {

constexpr int kShowWidth = 760;
constexpr int kShowHeight = 550;
constexpr int kNoticeHeight = 18;

const QColor kNoticeColour(176, 0, 0);
const QString kNotWritten = QStringLiteral("Не записаны в протокол:\n");

void SetListLook(EntryListWidget& list) {
    list.setFont(UiFont(QStringLiteral("Arial"), 13));
    QPalette palette = list.palette();
    palette.setColor(QPalette::Base, kListColour);
    list.setPalette(palette);
}

}  // namespace

THDView::THDView(ProgramEnvironment& env, UserDialogs& dialogs, QWidget* owner, TFullText* fullText)
    : QDialog(owner),
      ui(std::make_unique<Ui::THDView>()),
      env_(env),
      dialogs_(dialogs),
      fullText_(fullText),
      pictures_(EntryPictures::Load(env)),
      painter_(pictures_, env.InputTypes) {
    ui->setupUi(this);
    // Only the system menu and the close box: the window is sized by FormShow and by hand.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(UiFont(QStringLiteral("Arial"), 11));
    ui->Cancel_BTN->setVisible(false);  // "Выйти без записи": every value is already written
    ui->Notice_LBL->setVisible(false);
    for (QLabel* title : {ui->Title1_LBL, ui->Title2_LBL, ui->Title3_LBL}) SetBackground(*title, kWindowColour);
    ui->Notice_LBL->setFont(UiFont(QStringLiteral("Arial"), 12, true));
    SetBackground(*ui->Notice_LBL, kNoticeColour);
    SetTextColour(*ui->Notice_LBL, Qt::white);
    ui->Notice_LBL->installEventFilter(this);
    ui->Ok_BTN->setIcon(Glyph(env_, QStringLiteral("glyph_ok.png")));
    ui->Cancel_BTN->setIcon(Glyph(env_, QStringLiteral("glyph_cancel.png")));

    for (EntryListWidget* list : {ui->Entered_LST, ui->Cur_LST, ui->Next_LST}) SetListLook(*list);
    listFrameWidth_ = ui->Cur_LST->width() - ui->Cur_LST->contentsRect().width();
    enteredRows_ = new EntryRowDelegate(painter_, EntryRowDelegate::Rows::Side, *ui->Entered_LST);
    currentRows_ = new EntryRowDelegate(painter_, EntryRowDelegate::Rows::Current, *ui->Cur_LST);
    nextRows_ = new EntryRowDelegate(painter_, EntryRowDelegate::Rows::Side, *ui->Next_LST);
    ui->Entered_LST->setItemDelegate(enteredRows_);
    ui->Cur_LST->setItemDelegate(currentRows_);
    ui->Next_LST->setItemDelegate(nextRows_);
    ui->Cur_LST->SetOneLineWheel(true);
    nextFrame_ = std::make_unique<WidgetShown>(ui->Next_BVL);
    painter_.SetErrorSink([this](const QString& message) {
        Notice(QStringLiteral("ref:") + message, QStringLiteral("Справочник не прочитан: ") + message);
    });

    pressFilter_ = new PressFilter(*ui->Cur_LST, this);
    scrollBarFilter_ = new ScrollBarPressFilter([this] { ScrollBarPress(); }, this);
    for (EntryListWidget* list : {ui->Entered_LST, ui->Cur_LST, ui->Next_LST})
        scrollBarFilter_->Watch(list->verticalScrollBar());

    connect(ui->Cur_LST, &QAbstractItemView::pressed, this, &THDView::Cur_LSTMouseDown);
    connect(ui->Cur_LST, &QAbstractItemView::clicked, this, &THDView::Cur_LSTClick);
    connect(ui->Cur_LST, &EntryListWidget::WheelScrolled, this, &THDView::RemoveInlineEditors);
    connect(ui->Next_LST, &QAbstractItemView::clicked, this, &THDView::Next_LSTClick);
    connect(ui->Entered_LST, &QAbstractItemView::clicked, this, &THDView::Entered_LSTClick);
    connect(ui->Entered_LST, &EntryListWidget::DoubleClicked, this, &THDView::Entered_LSTDblClick);
    connect(ui->Ok_BTN, &QPushButton::clicked, this, &THDView::Ok_BTNClick);
    connect(ui->Cancel_BTN, &QPushButton::clicked, this, &THDView::Cancel_BTNClick);

    if (!fullText_) {
        ownFullText_ = std::make_unique<TFullText>(env_, this);
        fullText_ = ownFullText_.get();
    }
}

THDView::~THDView() {
    pressFilter_->Remove();
    painter_.SetSession(nullptr);
}

int THDView::OpenProtocol(int number) {
    ProtocolNumber = number;
    return dialogs_.Run(*this);
}

QRect THDView::PressRect() const { return pressFilter_->PressRect(); }

QString THDView::NoticeText() const {
    return ui->Notice_LBL->isHidden() ? QString() : ui->Notice_LBL->text();
}

void THDView::Guarded(const std::function<void()>& body) {
    QString error;
    try {
        body();
    } catch (const EngineError& e) {
        error = e.message();
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
    }
    // The lists show what was built before a message box lets them paint.
    SyncLists();
    if (!error.isEmpty()) dialogs_.Message(this, error, UserDialogs::Icon::Error);
}

void THDView::SyncLists() {
    for (EntryListWidget* list : {ui->Entered_LST, ui->Cur_LST, ui->Next_LST}) list->Sync();
}

int THDView::ScrollBarWidth() const {
    if (env_.ScrollBarWidth > 0) return env_.ScrollBarWidth;
    return ui->Cur_LST->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, ui->Cur_LST);
}

// ---- showing and closing ----------------------------------------------------------------

void THDView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void THDView::FormShow() {
    // Every showing starts at the same size, centred on the whole screen, whatever the user
    // made of the last one.
    resize(kShowWidth, kShowHeight);
    const QRect screen = this->screen() ? this->screen()->geometry() : QRect(0, 0, kShowWidth, kShowHeight);
    move(screen.left() + (screen.width() - kShowWidth) / 2, screen.top() + (screen.height() - kShowHeight) / 2);
    FormResize(QSize(kShowWidth, kShowHeight));

    noticed_.clear();
    lossTold_ = false;
    ui->Notice_LBL->hide();
    setWindowTitle(QStringLiteral("Протокол №%1").arg(ProtocolNumber));
    // Measured anew; the heights of rows measured in the same look stay good for this showing.
    const EntryLook look = EntryLook::Measure(listFrameWidth_, ScrollBarWidth());
    if (!look.SameMeasures(painter_.Look()))
        for (EntryRowDelegate* rows : {enteredRows_, currentRows_, nextRows_}) rows->ClearHeights();
    painter_.SetLook(look);
    if (!Open()) {
        // Nothing can be entered into a protocol that did not open; the user has been told.
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
        return;
    }
    pressFilter_->Install();
}

bool THDView::Open() {
    if (!env_.MainDB) {
        dialogs_.Message(this, QStringLiteral("Вид протоколов не выбран"), UserDialogs::Icon::Error);
        return false;
    }
    session_ = std::make_unique<ProtocolSession>(
        *env_.MainDB, env_.InputTypes,
        EntryLists{*ui->Entered_LST, *ui->Cur_LST, *ui->Next_LST, nextFrame_.get()});
    painter_.SetSession(session_.get());
    session_->SetMetrics(painter_.Metrics(*ui->Cur_LST));
    bool found = false;
    try {
        found = descriptionSource_ ? session_->OpenWith(descriptionSource_(), ProtocolNumber)
                                   : session_->Open(ProtocolNumber);
    } catch (const EngineError& e) {
        session_->Close();
        SyncLists();
        dialogs_.Message(this, e.message(), UserDialogs::Icon::Error);
        return false;
    }
    if (!found) {
        session_->Close();
        SyncLists();
        dialogs_.Message(this, QStringLiteral("Протокол №%1 не найден в базе данных").arg(ProtocolNumber),
                         UserDialogs::Icon::Error);
        return false;
    }
    ui->Title3_LBL->setVisible(session_->ThreeColumns());
    // The columns follow this protocol's description from the start, not the last one's.
    if (PlaceControls(placed_.width(), placed_.height(), session_->ThreeColumns())) Remeasure();
    SyncLists();
    return true;
}

void THDView::done(int result) {
    if (!ConfirmClose()) return;  // the user stays to put right what was not written
    FormClose();
    QDialog::done(result);
}

void THDView::hideEvent(QHideEvent* event) {
    // However the window went away, the open editor's text is not lost.
    FormClose();
    FormHide();
    QDialog::hideEvent(event);
}

QStringList THDView::WriteOutstanding() {
    QStringList lost;
    if (!session_ || !session_->Tree()) return lost;
    const TNvDescriptorItem* item = session_->CurItem();
    if (const std::optional<EditOutcome> outcome = CommitOpenEditor(); outcome && item) {
        if (const QString why = Problem(*outcome); !why.isEmpty()) editorProblem_ = LostLine(item->Name, why);
    }
    if (!editorProblem_.isEmpty()) {
        lost << editorProblem_;
        ++dateMessageTicket_;  // told here, not again by a message still on its way
    }
    std::vector<UnsavedValue> unsaved;
    Guarded([&] { unsaved = session_->RetryUnsaved(); });
    for (const UnsavedValue& value : unsaved)
        if (value.item != item || lost.isEmpty()) lost << LostLine(value.name, value.reason);
    return lost;
}

QString THDView::LostLine(const QString& name, const QString& why) {
    return QStringLiteral("«%1»: %2").arg(name, why);
}

bool THDView::ConfirmClose() {
    const QStringList lost = WriteOutstanding();
    if (lost.isEmpty()) return true;
    const bool close = dialogs_.Ask(
        this, kNotWritten + lost.join(u'\n') + QStringLiteral("\n\nЗакрыть протокол без них?"));
    lossTold_ = close;
    return close;
}

void THDView::FormClose() {
    if (!session_ || !session_->Tree()) return;
    // Closed without the chance to ask (the program is ending): at least nobody is misled.
    if (!lossTold_)
        if (const QStringList lost = WriteOutstanding(); !lost.isEmpty())
            dialogs_.Message(this, kNotWritten + lost.join(u'\n'), UserDialogs::Icon::Error);
    lossTold_ = false;
    DestroyEditors();
    session_->RemoveEditors();
    Guarded([&] { session_->Close(); });
}

void THDView::FormHide() { pressFilter_->Remove(); }

void THDView::Ok_BTNClick() { close(); }

void THDView::Cancel_BTNClick() { close(); }

// ---- placement --------------------------------------------------------------------------

bool THDView::ThreeColumns() const {
    if (session_ && session_->Tree()) return session_->ThreeColumns();
    return !ui->Next_LST->isHidden();
}

void THDView::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize(event->size());
}

void THDView::FormResize(const QSize& client) {
    if (client == placed_) return;  // the columns move only when the size changes
    const bool moved = PlaceControls(client.width(), client.height(), ThreeColumns());
    if (moved && session_ && session_->Tree()) {
        // An editor left floating where its row no longer is would mislead.
        RemoveInlineEditors();
        Remeasure();
    }
}

bool THDView::PlaceControls(int CW, int CH, bool threeColumns) {
    placed_ = QSize(CW, CH);
    Ui::THDView& c = *ui;
    const QRect before = c.Cur_LST->geometry();
    const QRect enteredBefore = c.Entered_LST->geometry();
    const int listHeight = CH - 56;
    if (threeColumns) {
        const int w = (CW - 20) / 3;
        c.Entered_LST->setGeometry(6, 22, w, listHeight);
        c.Bevel1->setGeometry(8, 12, w - 8, c.Bevel1->height());
        c.Cur_LST->setGeometry(w + 10, 22, w, listHeight);
        c.Title2_LBL->move(c.Cur_LST->x() + 10, c.Title2_LBL->y());
        c.Bevel2->setGeometry(c.Cur_LST->x() + 4, 12, w - 8, c.Bevel2->height());
        c.Next_LST->setGeometry(2 * w + 14, 22, w, listHeight);
        c.Title3_LBL->move(c.Next_LST->x() + 10, c.Title3_LBL->y());
        c.Next_BVL->setGeometry(c.Next_LST->x() + 4, 12, w - 8, c.Next_BVL->height());
    } else {
        const int w = (CW - 20) / 2;
        c.Entered_LST->setGeometry(6, 22, w, listHeight);
        c.Bevel1->setGeometry(8, 12, w - 8, c.Bevel1->height());
        c.Cur_LST->setGeometry(w + 14, 22, w, listHeight);
        c.Title2_LBL->move(c.Cur_LST->x() + 14, c.Title2_LBL->y());
        c.Bevel2->setGeometry(c.Cur_LST->x() + 8, 12, w - 8, c.Bevel2->height());
    }
    c.Cancel_BTN->move(c.Cancel_BTN->x(), CH - 27);
    c.Ok_BTN->setGeometry(c.Ok_BTN->x(), CH - 27, CW - 10, c.Ok_BTN->height());
    c.Notice_LBL->setGeometry(6, 22 + listHeight - kNoticeHeight, CW - 12, kNoticeHeight);
    return c.Cur_LST->geometry() != before || c.Entered_LST->geometry() != enteredBefore;
}

void THDView::Remeasure() {
    // The lists' widths are part of every row's height: the rows are built and measured again.
    session_->SetMetrics(painter_.Metrics(*ui->Cur_LST));
    session_->BuildLists();
    SyncLists();
}

// ---- window messages --------------------------------------------------------------------

void THDView::RepaintLists() {
    for (EntryListWidget* list : {ui->Entered_LST, ui->Cur_LST, ui->Next_LST}) list->viewport()->update();
}

void THDView::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    RepaintLists();
}

void THDView::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) RepaintLists();
}

void THDView::keyPressEvent(QKeyEvent* event) {
    // Escape does not close the window and Enter presses no button: both are typed in the
    // editors all day long.
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter: event->accept(); return;
        default: QDialog::keyPressEvent(event);
    }
}

void THDView::mousePressEvent(QMouseEvent* event) {
    QDialog::mousePressEvent(event);
    FormClick();
}

void THDView::FormClick() { RemoveInlineEditors(); }

bool THDView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->Notice_LBL && event->type() == QEvent::MouseButtonPress) {
        ui->Notice_LBL->hide();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// ---- the entered and next lists ---------------------------------------------------------

void THDView::Entered_LSTClick() {
    KeepSelection(*ui->Entered_LST, [this] { RemoveInlineEditors(); });
    if (!session_ || !session_->Tree()) return;
    FullTextRequest request;
    Guarded([&] { request = session_->EnteredListClick(); });
    if (!request.show) return;
    fullText_->FieldCaption = request.caption;
    fullText_->FieldValue = request.text;
    dialogs_.Run(*fullText_);
}

void THDView::Entered_LSTDblClick() {
    if (!session_ || !session_->Tree()) return;
    Guarded([&] { session_->EnteredListDblClick(); });
}

void THDView::Next_LSTClick() {
    KeepSelection(*ui->Next_LST, [this] { RemoveInlineEditors(); });
    if (!session_ || !session_->Tree()) return;
    Guarded([&] { session_->NextListClick(); });
}

// ---- notices ----------------------------------------------------------------------------

void THDView::Notice(const QString& key, const QString& text) {
    // Once per item (or table) and showing: a failure repeated at every keystroke would only
    // bury the work; the first one stays until clicked away.
    if (noticed_.contains(key)) return;
    noticed_.insert(key);
    ui->Notice_LBL->setText(QStringLiteral("  ") + text);
    ui->Notice_LBL->show();
    ui->Notice_LBL->raise();
}
