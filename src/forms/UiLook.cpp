#include "UiLook.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

#include "ProgramEnvironment.h"

namespace {

QString AvailableFamily(const QString& family) {
    if (QFontDatabase::hasFamily(family)) return family;
    if (family == u"Arial" && QFontDatabase::hasFamily(QStringLiteral("Liberation Sans")))
        return QStringLiteral("Liberation Sans");
    if ((family == u"Tahoma" || family == u"MS Sans Serif") && QFontDatabase::hasFamily(QStringLiteral("DejaVu Sans")))
        return QStringLiteral("DejaVu Sans");
    return family;
}

}  // namespace

QFont UiFont(const QString& family, int pixelSize, bool bold, bool italic) {
    QFont font(AvailableFamily(family));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QIcon Glyph(const ProgramEnvironment& env, const QString& name) {
    const QString path = ProgramFile(env, QStringLiteral("data/") + name);
    return QFileInfo::exists(path) ? QIcon(path) : QIcon();
}

void SetBackground(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void SetTextColour(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget.setPalette(palette);
}
