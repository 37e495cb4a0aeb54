#pragma once

#include <QPixmap>
#include <QString>

#include <vector>

struct ProgramEnvironment;

// Reads one picture file: a ".bmp" name (any letter case) as a bitmap, every other name as a
// JPEG whatever its content. A file that cannot be read gives an empty picture (0 x 0), so
// drawing shows nothing for it and text after it starts further left.
QPixmap LoadPicture(const QString& path);

// The named heading pictures of the entry window, in the order the folder listed them.
class PictureCatalogue {
public:
    struct Entry {
        QString name;
        QPixmap picture;
    };

    // Every file of the folder (folders skipped) gives an entry named by its file name up to
    // its last "." (empty without a "."), read from that name + ".jpg" whatever the file's own
    // extension was. A missing folder leaves the catalogue empty.
    void LoadFolder(const QString& folder);
    // The first entry whose name equals name, letter case ignored; null when none does.
    const QPixmap* Find(const QString& name) const;
    const std::vector<Entry>& Entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

// Everything the entry window draws that comes from files: read once, when the window is made.
struct EntryPictures {
    QPixmap undefined;  // before "параметр не определен"
    QPixmap checked;    // a set check box, the chosen row of a radio choice
    QPixmap unchecked;  // a cleared check box, an unchosen row
    PictureCatalogue headings;

    // data/view_l_*.jpg (the current folder first, then beside the program) and the heading
    // pictures of ProgramFolder/data/pics.
    static EntryPictures Load(const ProgramEnvironment& env);
};
