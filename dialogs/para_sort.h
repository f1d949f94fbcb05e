#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace kalvor {

class Settings;

// The collectible sort-order dialog without its window: the seven criteria,
// and the lists and shown labels of its seven ranked combos, which write the
// sort terms GV_Tri_Para_1 .. GV_Tri_Para_7 of the settings as the user
// chooses, each time the seven ranks are all chosen.
class ParaSort {
  public:
    static constexpr int kRanks = 7;

    // "Type", "Editeur", "Numéro d'album", "Numéro de l'objet", "Dépot Légal",
    // "Libraire", "Description": the fixed order, also the default order.
    static const QStringList& Labels();
    // Label to ORDER BY term and back; "" for any other text. Exact compare.
    static QString Return_Para_Tri(const QString& value);
    static QString Get_Para_Tri(const QString& value);

    explicit ParaSort(Settings& settings);

    // Form_Load: traces the terms into GV_Erreurs, fills combo 1 and shows
    // each rank's stored term. A term that is none of the seven, or already
    // taken above it, leaves its combo without a choice.
    void Form_Load();
    // The user chose `label` in combo `rank` (1 to 7). False, and nothing
    // changes, when the label is not in that combo's list.
    bool Choose(int rank, const QString& label);
    // "Défaut": the seven labels in their fixed order.
    void btn_tri_defaut_Click();
    // The dialog may close only when every combo shows a label.
    bool CanClose() const;

    const QStringList& List(int rank) const { return lists_.at(rank - 1); }
    const QString& Shown(int rank) const { return shown_.at(rank - 1); }
    QString& Term(int rank);

  private:
    void initialize_combo_parabd(int start, const QStringList& values);

    Settings& settings_;
    std::array<QStringList, kRanks> lists_;
    std::array<QString, kRanks> shown_;
};

}  // namespace kalvor
