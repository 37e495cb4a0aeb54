#pragma once

#include <QString>
#include <stdexcept>

namespace dbf {

// Every failure of the codec: a malformed or unreadable file, a value the field cannot hold,
// an I/O error. The message always names the file it concerns.
class DbfError : public std::runtime_error {
public:
    explicit DbfError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

}  // namespace dbf
