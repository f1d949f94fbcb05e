#pragma once

#include <QComboBox>
#include <QStringList>

namespace kalvor {

// The drive list of the renamer view: the roots of the file system ("/" and
// the mounted volumes) in place of drive letters.
class DriveListBox : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveListBox(QWidget* parent = nullptr);

    // The root shown.
    QString Drive() const;
    // Shows the root that holds `path` (the longest root it starts with).
    void setDriveOf(const QString& path);
    // The root of those offered that holds `path`.
    QString DriveOf(const QString& path) const;
    // Reads the mounted volumes again.
    void Refresh();

  signals:
    // The user chose another root.
    void driveChanged(const QString& root);

  private:
    QStringList roots_;
};

}  // namespace kalvor
