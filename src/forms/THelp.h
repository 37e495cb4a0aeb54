#pragma once

#include <QUrl>
#include <QWidget>

#include <memory>

namespace Ui {
class THelp;
}

// The help window: the program's own help pages (help/*.htm) with their links, back and
// forward, and the contents page.
class THelp : public QWidget {
    Q_OBJECT
public:
    explicit THelp(QWidget* owner = nullptr);
    ~THelp() override;

    // Shows the page of this file; the contents button comes back to it.
    void OpenTopic(const QString& file);
    QUrl CurrentPage() const;

    Ui::THelp& Controls() { return *ui; }

private:
    std::unique_ptr<Ui::THelp> ui;
    QUrl home_;
};
