#pragma once

#include <QDialog>
#include <QList>
#include <array>

#include "dialogs/tintin_series.h"

class QButtonGroup;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kalvor {

class Prompt;
class Settings;

// "Configuration du plugin Tintin": the series that gets the animations (one
// of at most six qualifying series of the catalogue) and the web folder that
// holds them. Only "Activer", "Désactiver" and "Kalvor" change the settings.
class FrmTintin : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kOptions = 6;

    FrmTintin(Settings& settings, Prompt& prompt, QWidget* parent = nullptr);

    // Lists the qualifying series afresh. False when the dialog is not to be
    // shown: more than six series, or the catalogue could not be read (the
    // message is shown here).
    bool Form_Load();

    // The single modeless instance, loaded when created; null when the load
    // refused to show it.
    static FrmTintin* ShowDefault(Settings& settings, Prompt& prompt);
    static FrmTintin* Default();

    void btn_activer_Click();
    void btn_desactiver_Click();
    void btn_default_Click();
    void btn_annuler_Click();

    int Nb_Find = 0;
    QList<TintinSeries> Tablo_Plugin;

    QRadioButton* opt_tintin(int index) const { return options_.at(index); }
    // Shown in place of the options when no series qualifies.
    QLabel* lbl_aucune_serie() const { return none_; }
    QLineEdit* box_plugin_tintin_path() const { return path_; }
    QPushButton* btn_activer() const { return activer_; }
    QPushButton* btn_desactiver() const { return desactiver_; }
    QPushButton* btn_default() const { return default_; }
    QPushButton* btn_annuler() const { return annuler_; }

    // Escape closes as "Fermer" does.
    void reject() override;

  protected:
    // An address typed without "Activer" is not kept: closing says so, and
    // the user may stay, unless no series can be activated.
    void closeEvent(QCloseEvent* event) override;

  private:
    void clearOptions();

    Settings& settings_;
    Prompt& prompt_;
    std::array<QRadioButton*, kOptions> options_{};
    QButtonGroup* group_ = nullptr;
    QLabel* none_ = nullptr;
    QLineEdit* path_ = nullptr;
    QPushButton* activer_ = nullptr;
    QPushButton* desactiver_ = nullptr;
    QPushButton* default_ = nullptr;
    QPushButton* annuler_ = nullptr;
};

}  // namespace kalvor
