#pragma once

#include <cstdio>

#include "UserDialogs.h"

// Says nothing and shows nothing: the benchmarks need no answers. Messages go to stderr, so a
// benchmark that ran into one does not pass for a fast run.
class SilentDialogs : public UserDialogs {
public:
    void Message(QWidget*, const QString& text, Icon) override {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    }
    bool Ask(QWidget*, const QString&) override { return false; }
    QString SaveFileName(QWidget*, const FileRequest&) override { return {}; }
    QString OpenFileName(QWidget*, const FileRequest&) override { return {}; }
    int Run(QDialog&) override { return 0; }
    void OpenUrl(const QUrl&) override {}
};
