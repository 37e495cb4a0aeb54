#pragma once

// What the window tests share: a data root in a temporary folder with kinds made through the
// engine's SQL, dialogs answered by the test, and typing that goes through the event filters.

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <deque>
#include <functional>
#include <vector>

#include "ProgramEnvironment.h"
#include "UserDialogs.h"

// Answers every dialog from queues the test fills; records what the program said.
class ScriptedDialogs : public UserDialogs {
public:
    struct Said {
        QString text;
        Icon icon;
    };
    std::vector<Said> messages;
    std::vector<QString> questions;
    std::deque<bool> answers;  // Yes when empty
    std::deque<QString> saveNames, openNames;
    std::vector<QUrl> urls;
    // Each modal window shown takes the next step, which drives it (clicks, types) and should
    // close it; a window shown without a step is cancelled.
    std::deque<std::function<void(QDialog&)>> steps;
    int runs = 0;

    void Message(QWidget*, const QString& text, Icon icon) override { messages.push_back({text, icon}); }
    bool Ask(QWidget*, const QString& text) override;
    QString SaveFileName(QWidget*, const FileRequest&) override { return Take(saveNames); }
    QString OpenFileName(QWidget*, const FileRequest&) override { return Take(openNames); }
    int Run(QDialog& dialog) override;
    void OpenUrl(const QUrl& url) override { urls.push_back(url); }

    QStringList MessageTexts() const;

private:
    static QString Take(std::deque<QString>& queue);
};

// A catalogue field of a fixture kind.
struct FieldSpec {
    QString name, type, label;
    int min = 0, max = 0;
    QString file;
};

// A data root with kinds in a temporary folder; env is ready for the windows.
class DataRoot {
public:
    DataRoot();

    // Adds a kind to the catalogue with its field catalogue; with protocols, main.dbf is made
    // too (CreateMainTable) and they are inserted. Returns the kind folder.
    QString AddKind(const QString& name, int signature, const QList<FieldSpec>& fields,
                    const QList<QPair<int, QString>>& protocols = {}, bool withMainTable = false);

    QTemporaryDir dir;
    QString root;
    ProgramEnvironment env;
    int kinds = 0;
};

// The fields of the fixture kinds: two number fields, a text, a check box, a choice.
QList<FieldSpec> StandardFields();

// Sends text to a widget as typed characters, one key press each, through the event filters.
void TypeText(QWidget& widget, const QString& text);

// A step that chooses kind i in the kind dialog and confirms it.
std::function<void(QDialog&)> ChooseKind(int i);
