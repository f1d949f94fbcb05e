#pragma once

#include <QDialog>
#include <array>

#include "dialogs/para_sort.h"

class QComboBox;
class QPushButton;

namespace kalvor {

class Prompt;
class Settings;

// "Ordre de Tri pour le Para-BD": seven ranked combos that set the collectible
// sort terms of the settings as the user chooses. Closing is refused while a
// combo shows nothing.
class FrmPara : public QDialog {
    Q_OBJECT
  public:
    // Loads at once (Form_Load).
    FrmPara(Settings& settings, Prompt& prompt, QWidget* parent = nullptr);

    // The single modeless instance, created and loaded on first use, raised
    // when already open.
    static FrmPara* ShowDefault(Settings& settings, Prompt& prompt);
    static FrmPara* Default();

    QComboBox* cbo_para_tri(int rank) const { return combos_.at(rank - 1); }
    QPushButton* btn_tri_defaut() const { return defaut_; }
    QPushButton* btn_annuler() const { return annuler_; }
    const ParaSort& model() const { return model_; }

    // Closes without the check, as the program ends: an order left
    // unfinished is dropped, the last whole one kept.
    void Discard();

  public slots:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void refresh();

    ParaSort model_;
    Prompt& prompt_;
    std::array<QComboBox*, ParaSort::kRanks> combos_{};
    bool discarding_ = false;
    QPushButton* defaut_ = nullptr;
    QPushButton* annuler_ = nullptr;
};

}  // namespace kalvor
