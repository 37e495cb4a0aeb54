#include "proc/RandomHexName.h"

#include <chrono>

namespace {

QString HexGroup(uint32_t value) {
    return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

uint32_t DrawGroup(RunTimeRandom& random, const TickSource& ticks) {
    const auto r = static_cast<uint32_t>(random.Next());
    return r * ticks();  // unsigned arithmetic wraps at 2^32
}

}  // namespace

uint32_t SystemTicks() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    return static_cast<uint32_t>(ms);
}

int RunTimeRandom::Next() {
    seed_ = seed_ * 22695477u + 1u;
    return static_cast<int>((seed_ >> 16) & 0x7FFFu);
}

RunTimeRandom& RunTimeRandom::Process() {
    static RunTimeRandom instance;
    return instance;
}

QString RandomHexName(int count, RunTimeRandom& random, const TickSource& ticks) {
    if (count < 0) count = 0;
    QString name;
    name.reserve(count + 8);
    for (int group = 0; group < count / 8; ++group) name += HexGroup(DrawGroup(random, ticks));
    name += HexGroup(DrawGroup(random, ticks)).left(count % 8);
    return name;
}

QString RandomHexName(int count, const TickSource& ticks) {
    return RandomHexName(count, RunTimeRandom::Process(), ticks);
}
