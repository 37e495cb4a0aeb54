#include "EntryPictures.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include "ProgramEnvironment.h"

QPixmap LoadPicture(const QString& path) {
    if (path.isEmpty() || !QFileInfo::exists(path)) return {};
    const bool bitmap = QFileInfo(path).suffix().toUpper() == u"BMP";
    QImageReader reader(path, bitmap ? "bmp" : "jpeg");
    // The name decides how the file is read, as it always has: a PNG named .jpg stays unread.
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

void PictureCatalogue::LoadFolder(const QString& folder) {
    entries_.clear();
    const QDir dir(folder);
    if (!dir.exists()) return;
    const QFileInfoList files =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QFileInfo& file : files) {
        const QString fileName = file.fileName();
        const qsizetype dot = fileName.lastIndexOf(u'.');
        const QString name = dot < 0 ? QString() : fileName.left(dot);
        entries_.push_back({name, LoadPicture(dir.filePath(name + QStringLiteral(".jpg")))});
    }
}

const QPixmap* PictureCatalogue::Find(const QString& name) const {
    for (const Entry& entry : entries_)
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0) return &entry.picture;
    return nullptr;
}

EntryPictures EntryPictures::Load(const ProgramEnvironment& env) {
    EntryPictures pictures;
    pictures.undefined = LoadPicture(ProgramFile(env, QStringLiteral("data/view_l_undef.jpg")));
    pictures.checked = LoadPicture(ProgramFile(env, QStringLiteral("data/view_l_ch.jpg")));
    pictures.unchecked = LoadPicture(ProgramFile(env, QStringLiteral("data/view_l_unch.jpg")));
    pictures.headings.LoadFolder(QDir(env.ProgramFolder).filePath(QStringLiteral("data/pics")));
    return pictures;
}
