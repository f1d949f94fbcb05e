#pragma once

#include <QListWidget>

namespace kalvor {

// The file list of the renamer view: the visible files of one folder, one of
// which may be selected.
class FileListBox : public QListWidget {
    Q_OBJECT
  public:
    explicit FileListBox(QWidget* parent = nullptr);

    const QString& Path() const { return path_; }
    void setPath(const QString& path);
    void Refresh();
    // Shows `names`, listed from `path` by Listed elsewhere.
    void setListed(const QString& path, const QStringList& names);
    // The visible files of `path`, in the list's order; any thread.
    static QStringList Listed(const QString& path);
    // The selected name, "" when none.
    QString FileName() const;
    // The names listed, in order.
    QStringList Names() const;

  private:
    QString path_;
};

}  // namespace kalvor
