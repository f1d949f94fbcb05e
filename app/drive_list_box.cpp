#include "app/drive_list_box.h"

#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

namespace kalvor {

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("Drive1"));
    Refresh();
    connect(this, &QComboBox::activated, this,
            [this](int index) { emit driveChanged(itemText(index)); });
}

void DriveListBox::Refresh() {
    const QString shown = Drive();
    roots_ = {QStringLiteral("/")};
    // Volumes of a block device only: the kernel's own file systems and the
    // files a container binds into place are no drives.
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (volume.isValid() && volume.device().startsWith("/dev/") && QFileInfo(root).isDir() &&
            !roots_.contains(root)) {
            roots_ << root;
        }
    }
    std::sort(roots_.begin() + 1, roots_.end());
    clear();
    addItems(roots_);
    if (!shown.isEmpty()) {
        setDriveOf(shown);
    }
}

QString DriveListBox::Drive() const {
    return currentText();
}

QString DriveListBox::DriveOf(const QString& path) const {
    QString best = QStringLiteral("/");
    for (const QString& root : roots_) {
        if ((path == root || path.startsWith(root + u'/')) && root.size() > best.size()) {
            best = root;
        }
    }
    return best;
}

void DriveListBox::setDriveOf(const QString& path) {
    setCurrentIndex(int(roots_.indexOf(DriveOf(path))));
}

}  // namespace kalvor
