#include "app/dir_list_box.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>

namespace kalvor {

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("Dir1"));
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { setPath(item->data(Qt::UserRole).toString()); });
}

void DirListBox::setPath(const QString& path) {
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const bool changed = clean != path_;
    path_ = clean;
    Refresh();
    if (changed) {
        emit pathChanged(path_);
    }
}

void DirListBox::Refresh() {
    clear();
    if (path_.isEmpty()) {
        return;
    }
    const QFileIconProvider icons;
    const QIcon folder = icons.icon(QFileIconProvider::Folder);
    QStringList parts = path_.split(u'/', Qt::SkipEmptyParts);
    QString at = QStringLiteral("/");
    auto add = [this, &folder](const QString& caption, const QString& path, int depth) {
        auto* item = new QListWidgetItem(folder, QString(depth * 2, u' ') + caption, this);
        item->setData(Qt::UserRole, path);
        return item;
    };
    QListWidgetItem* chosen = add(QStringLiteral("/"), at, 0);
    int depth = 0;
    for (const QString& part : parts) {
        at = at.endsWith(u'/') ? at + part : at + u'/' + part;
        chosen = add(part, at, ++depth);
    }
    const QDir dir(path_);
    for (const QString& sub :
         dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        add(sub, dir.filePath(sub), depth + 1);
    }
    setCurrentItem(chosen);
}

}  // namespace kalvor
