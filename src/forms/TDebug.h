#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TDebug;
}

// A plain text log with a clear button, for developers; the program itself never shows it.
class TDebug : public QWidget {
    Q_OBJECT
public:
    explicit TDebug(QWidget* owner = nullptr);
    ~TDebug() override;

    void Append(const QString& line);
    Ui::TDebug& Controls() { return *ui; }

public slots:
    void Clear_BTNClick();

private:
    std::unique_ptr<Ui::TDebug> ui;
};
