#include "RegisterGrid.h"

#include <QHeaderView>
#include <QPainter>

RegisterGrid::RegisterGrid(QWidget* parent) : QTableView(parent) {}

void RegisterGrid::SetBackgroundPicture(const QPixmap& picture) {
    picture_ = picture;
    scaled_ = QPixmap();
    viewport()->setAutoFillBackground(picture_.isNull());
    viewport()->update();
}

void RegisterGrid::paintEvent(QPaintEvent* event) {
    if (!picture_.isNull()) {
        const QSize size = viewport()->size();
        if (scaled_.size() != size)
            scaled_ = picture_.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)
                          .copy(0, 0, size.width(), size.height());
        QPainter painter(viewport());
        painter.drawPixmap(0, 0, scaled_);
    }
    QTableView::paintEvent(event);
}

void RegisterGrid::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    if (!picture_.isNull()) viewport()->update();
}
