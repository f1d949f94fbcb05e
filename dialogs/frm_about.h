#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace kalvor {

// "A propos de Kalvor": what the program does, its version and its notice.
class FrmAbout : public QDialog {
    Q_OBJECT
  public:
    // The product name and the version of the program file, which the About
    // box shows; the message boxes carry their own title.
    static const QString& ProductName();
    static constexpr int kVersionMajor = 1;
    static constexpr int kVersionMinor = 7;

    explicit FrmAbout(QWidget* parent = nullptr);

    static FrmAbout* ShowDefault();
    static FrmAbout* Default();

    QLabel* lblVersion() const { return version_; }
    QPushButton* cmdOK() const { return ok_; }

  private:
    QLabel* version_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace kalvor
