#pragma once

#include <QDialog>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

#include "recovery/recovery_driver.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kalvor {

class Inet;
class Prompt;
class Settings;

// "Recovery": rebuilds a local copy of the catalogue from the published site
// into a recovery database the user picks, and shows how many rows each of
// its tables holds.
class FrmRecovery : public QDialog, private recovery::RecoveryView {
    Q_OBJECT
  public:
    // Loads at once (Form_Load). Without a transfer control of the main
    // window, the dialog uses its own.
    FrmRecovery(Settings& settings, Prompt& prompt, Inet* inet = nullptr,
                QWidget* parent = nullptr);
    ~FrmRecovery() override;

    // The single modeless instance, created and loaded on first use, raised
    // when already open; it goes with `parent`, whose transfer control it uses.
    static FrmRecovery* ShowDefault(Settings& settings, Prompt& prompt, Inet* inet = nullptr,
                                    QWidget* parent = nullptr);
    static FrmRecovery* Default();

    void btn_process_Click();

    // The file dialog by default; tests answer in its place.
    void setDatabaseChooser(std::function<QString()> chooser) { chooser_ = std::move(chooser); }

    QLineEdit* box_site() const { return site_; }
    QPushButton* btn_process() const { return process_; }
    QPushButton* btn_fermer() const { return fermer_; }
    // Label0 (heading) to Label7 (collaborators).
    QLabel* Label(int index) const { return labels_.at(index); }
    QString statusText() const;
    const recovery::RecoveryState& state() const { return driver_.state(); }
    bool running() const { return running_; }

    // True while a run goes on: `window` is then closed once it has ended.
    bool Defer_Close(QWidget* window);

  public slots:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void SetStatus(const QString& text) override;
    QString ChooseDatabase() override;
    void Labels_Show(bool status) override;
    void ShowCounts(const recovery::RecoveryCounts& counts) override;
    void SetRunning(bool running) override;

    Settings& settings_;
    Prompt& prompt_;
    std::unique_ptr<Inet> ownInet_;
    Inet* inet_;
    recovery::RecoveryDriver driver_;
    std::function<QString()> chooser_;
    bool running_ = false;
    bool closeAfterRun_ = false;
    QPointer<QWidget> closeWindowAfterRun_;

    QLineEdit* site_ = nullptr;
    QPushButton* process_ = nullptr;
    QPushButton* fermer_ = nullptr;
    QLabel* status_ = nullptr;
    std::array<QLabel*, 8> labels_{};
};

}  // namespace kalvor
