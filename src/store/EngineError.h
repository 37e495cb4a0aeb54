#pragma once

#include <QString>
#include <stdexcept>

// A failure reported by the database engine: a bad statement, a missing table or column, a
// malformed file, a value a field cannot hold. The message is the engine's own text and is
// shown to the user as it is.
class EngineError : public std::runtime_error {
public:
    explicit EngineError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};
