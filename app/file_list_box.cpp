#include "app/file_list_box.h"

#include <QDir>

namespace kalvor {

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("File1"));
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void FileListBox::setPath(const QString& path) {
    path_ = path;
    Refresh();
}

void FileListBox::Refresh() {
    setListed(path_, Listed(path_));
}

void FileListBox::setListed(const QString& path, const QStringList& names) {
    path_ = path;
    clear();
    addItems(names);
}

QStringList FileListBox::Listed(const QString& path) {
    if (path.isEmpty()) {
        return {};
    }
    return QDir(path).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

QString FileListBox::FileName() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

QStringList FileListBox::Names() const {
    QStringList names;
    for (int i = 0; i < count(); ++i) {
        names << item(i)->text();
    }
    return names;
}

}  // namespace kalvor
