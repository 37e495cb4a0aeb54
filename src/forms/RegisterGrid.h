#pragma once

#include <QPixmap>
#include <QTableView>

// The register grid: a table view with a picture behind its rows. The picture stays put while
// the rows scroll over it, so scrolling repaints the rows instead of moving pixels.
class RegisterGrid : public QTableView {
    Q_OBJECT
public:
    explicit RegisterGrid(QWidget* parent = nullptr);

    // An empty picture leaves the plain background.
    void SetBackgroundPicture(const QPixmap& picture);
    const QPixmap& BackgroundPicture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QPixmap picture_;
    QPixmap scaled_;  // the picture at the viewport's size, made on first paint after a resize
};
