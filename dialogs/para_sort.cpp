#include "dialogs/para_sort.h"

#include <algorithm>

#include "settings/settings.h"

namespace kalvor {
namespace {

const QStringList& terms() {
    static const QStringList list = {QStringLiteral("typeobjet"),
                                     QStringLiteral("a.editeur"),
                                     QStringLiteral("c.num"),
                                     QStringLiteral("numero"),
                                     QStringLiteral("right(a.dl, 4), left(a.dl, 2)"),
                                     QStringLiteral("libraire"),
                                     QStringLiteral("description")};
    return list;
}

}  // namespace

const QStringList& ParaSort::Labels() {
    static const QStringList list = {
        QStringLiteral("Type"),           QStringLiteral("Editeur"),
        QStringLiteral("Numéro d'album"), QStringLiteral("Numéro de l'objet"),
        QStringLiteral("Dépot Légal"),    QStringLiteral("Libraire"),
        QStringLiteral("Description")};
    return list;
}

QString ParaSort::Return_Para_Tri(const QString& value) {
    const qsizetype i = Labels().indexOf(value);
    return i < 0 ? QString() : terms().at(i);
}

QString ParaSort::Get_Para_Tri(const QString& value) {
    const qsizetype i = terms().indexOf(value);
    return i < 0 ? QString() : Labels().at(i);
}

ParaSort::ParaSort(Settings& settings) : settings_(settings) {}

QString& ParaSort::Term(int rank) {
    QString* const variables[kRanks] = {&settings_.GV_Tri_Para_1, &settings_.GV_Tri_Para_2,
                                        &settings_.GV_Tri_Para_3, &settings_.GV_Tri_Para_4,
                                        &settings_.GV_Tri_Para_5, &settings_.GV_Tri_Para_6,
                                        &settings_.GV_Tri_Para_7};
    return *variables[rank - 1];
}

void ParaSort::Form_Load() {
    for (int n = 1; n <= kRanks; ++n) {
        settings_.GV_Erreurs += QStringLiteral("\nGV_Tri_Para_%1 : ").arg(n) + Term(n);
    }
    for (int n = 1; n <= kRanks; ++n) {
        lists_.at(n - 1).clear();
        shown_.at(n - 1).clear();
    }
    lists_[0] = Labels();
    settings_.GV_Erreurs += QStringLiteral("\nvaleurs ajoutées pour cbo_para_tri_1");
    for (int n = 1; n <= kRanks; ++n) {
        Choose(n, Get_Para_Tri(Term(n)));
    }
}

bool ParaSort::Choose(int rank, const QString& label) {
    if (rank < 1 || rank > kRanks || label.isEmpty() || !List(rank).contains(label)) {
        return false;
    }
    shown_.at(rank - 1) = label;
    if (rank < kRanks) {
        initialize_combo_parabd(rank + 1, QStringList(shown_.begin(), shown_.begin() + rank));
    }
    // Only a whole order is kept: with ranks left empty the later terms
    // would repeat the ones chosen above them.
    if (CanClose()) {
        for (int n = 1; n <= kRanks; ++n) {
            Term(n) = Return_Para_Tri(shown_.at(n - 1));
        }
    }
    return true;
}

void ParaSort::initialize_combo_parabd(int start, const QStringList& values) {
    QStringList free;
    for (const QString& label : Labels()) {
        if (!values.contains(label)) {
            free << label;
        }
    }
    for (int n = start; n <= kRanks; ++n) {
        lists_.at(n - 1) = free;
        shown_.at(n - 1).clear();
    }
    if (start == kRanks) {
        // Rank 7 completes itself: each free label is chosen in turn.
        for (const QString& label : free) {
            Choose(kRanks, label);
        }
    }
}

void ParaSort::btn_tri_defaut_Click() {
    for (int n = 1; n <= kRanks; ++n) {
        Choose(n, Labels().at(n - 1));
    }
}

bool ParaSort::CanClose() const {
    return std::none_of(shown_.begin(), shown_.end(),
                        [](const QString& shown) { return shown.isEmpty(); });
}

}  // namespace kalvor
