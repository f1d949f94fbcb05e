#pragma once

#include <QDialog>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

#include "platform/forwarded_prompt.h"
#include "platform/long_work.h"
#include "recovery/recovery_driver.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kalvor {

class Prompt;
class Settings;

// "Recovery": rebuilds a local copy of the catalogue from the published site
// into a recovery database the user picks, and shows how many rows each of
// its tables holds. The imports run as the window's long work: the dialog
// refuses to start while other work runs.
class FrmRecovery : public QDialog, private recovery::RecoveryView {
    Q_OBJECT
  public:
    // Loads at once (Form_Load). Without the main window's long work, the
    // dialog keeps its own.
    FrmRecovery(Settings& settings, Prompt& prompt, LongWork* work = nullptr,
                QWidget* parent = nullptr);
    ~FrmRecovery() override;

    // The single modeless instance, created and loaded on first use, raised
    // when already open; it goes with `parent`, whose long work it shares.
    static FrmRecovery* ShowDefault(Settings& settings, Prompt& prompt, LongWork* work = nullptr,
                                    QWidget* parent = nullptr);
    static FrmRecovery* Default();

    // Starts a run: what it asks is asked at once, the imports go on after
    // this returns. Refused, and said, while a run is prepared or runs, or
    // other work runs.
    void btn_process_Click();
    // The longest silence of the site a request waits through.
    void setRequestTimeout(int ms) { timeoutMs_ = ms; }
    LongWork& work() const { return *work_; }

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

  public slots:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void SetStatus(const QString& text) override;
    QString ChooseDatabase() override;
    void Labels_Show(bool status) override;
    void ShowCounts(const recovery::RecoveryCounts& counts) override;
    // While running: the hourglass pointer.
    void SetRunning(bool running);
    void ended();
    // "Récupérer" is refused from its first click to the end of the run it
    // starts, and while other work runs.
    void enableProcess();
    // Runs `show` on the dialog's thread: the imports call from their own.
    template <class F>
    void onWindow(F show);

    Settings& settings_;
    Prompt& prompt_;
    std::unique_ptr<LongWork> ownWork_;
    QPointer<LongWork> work_;  // the window's may go first
    ForwardedPrompt forwarded_;
    recovery::RecoveryDriver driver_;
    int timeoutMs_ = 60000;
    std::function<QString()> chooser_;
    bool running_ = false;
    bool preparing_ = false;  // the base is being chosen
    bool closeAfterRun_ = false;

    QLineEdit* site_ = nullptr;
    QPushButton* process_ = nullptr;
    QPushButton* fermer_ = nullptr;
    QLabel* status_ = nullptr;
    std::array<QLabel*, 8> labels_{};
};

}  // namespace kalvor
