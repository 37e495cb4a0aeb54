#include "proc/Text.h"

namespace {

bool IsBlankOrControl(QChar c) {
    return c.unicode() <= 32;
}

bool IsSeparator(QChar c) {
    return c == u'/' || c == u'\\';
}

}  // namespace

QString TrimControl(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlankOrControl(text[begin])) ++begin;
    while (end > begin && IsBlankOrControl(text[end - 1])) --end;
    return text.sliced(begin, end - begin).toString();
}

std::optional<int> ParseInt(QStringView text) {
    bool ok = false;
    const int value = TrimControl(text).toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.isEmpty()) return name;
    if (IsSeparator(folder.back())) return folder + name;
    return folder + u'/' + name;
}
