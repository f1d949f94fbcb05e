#pragma once

#include <QListWidget>

namespace kalvor {

// The folder list of the renamer view: the folders from the root down to the
// chosen one, then its sub-folders. Opening an entry (double click or Enter)
// makes it the chosen folder.
class DirListBox : public QListWidget {
    Q_OBJECT
  public:
    explicit DirListBox(QWidget* parent = nullptr);

    const QString& Path() const { return path_; }
    // Chooses `path` and lists it; pathChanged follows when it differs.
    void setPath(const QString& path);
    // Lists the chosen folder again.
    void Refresh();

  signals:
    void pathChanged(const QString& path);

  private:
    QString path_;
};

}  // namespace kalvor
