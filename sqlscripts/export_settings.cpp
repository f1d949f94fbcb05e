#include "sqlscripts/export_settings.h"

#include "common/vb.h"
#include "platform/error.h"
#include "settings/settings.h"

namespace kalvor::export_settings {
namespace {

const QString kFullExportSetsIt =
    QStringLiteral(" Corrigez-la, ou faites une exportation complète, qui la fixe à nouveau.");

[[noreturn]] void refuse(const QString& text) {
    throw Error(err::InvalidSetting, text);
}

QString quoted(const QString& value) {
    return QStringLiteral("« ") + value + QStringLiteral(" »");
}

void requireMark(const std::optional<QString>& unreadable, const char* name) {
    if (unreadable) {
        const QString fault =
            vb::ReadWholeNumber(*unreadable).tooLarge
                ? QStringLiteral(" : ce nombre est trop grand (2147483647 au plus).")
                : QStringLiteral(" : ce n'est pas un nombre entier.");
        refuse(QStringLiteral("La marque de la dernière exportation ") +
               quoted(QString::fromLatin1(name)) + QStringLiteral(" vaut ") + quoted(*unreadable) +
               fault + kFullExportSetsIt);
    }
}

}  // namespace

QDateTime LastRun(const Settings& s) {
    // Never set, as when only other groups were exported: nothing to
    // correct, and the box is hidden in the window.
    if (s.box_LastRun.trimmed().isEmpty()) {
        refuse(
            QStringLiteral("La date « après le » (réglage « Lastrun ») est vide : les albums de "
                           "la collection n'ont pas de dernière exportation d'où partir. "
                           "Faites une exportation complète, qui la fixe."));
    }
    const QDateTime last = vb::ParseDayFirst(s.box_LastRun);
    if (!last.isValid()) {
        refuse(QStringLiteral("La date « après le » (réglage « Lastrun ») vaut ") +
               quoted(s.box_LastRun) + QStringLiteral(" : ce n'est pas une date jj/mm/aaaa.") +
               kFullExportSetsIt);
    }
    return last;
}

void RequireReadableMarks(const Settings& s) {
    if (s.opt_acheter == 1) {
        requireMark(s.unreadableMarks.lastId, "Lastid");
    }
    if (s.opt_revues == 1) {
        requireMark(s.unreadableMarks.lastIdRevue, "Lastidrevue");
    }
    if (s.opt_parabd == 1) {
        requireMark(s.unreadableMarks.lastIdPara, "Lastidpara");
    }
}

void RequireLinksSent(const Settings& s) {
    if (s.Opt_Collaborateurs == 0 || (s.opt_albums != 1 && s.opt_acheter != 1)) {
        return;
    }
    const QString mark = s.GV_LastCollaborateurs.trimmed();
    // Read as "sent", "00" or "2" would keep the links of the albums already
    // on the site off it for good.
    if (!mark.isEmpty() && mark != u"0" && mark != u"1") {
        refuse(QStringLiteral("La marque de la dernière exportation « lastcollaborateurs » vaut ") +
               quoted(s.GV_LastCollaborateurs) +
               QStringLiteral(" : ce n'est ni « 0 » ni « 1 ». Corrigez-la, ou faites une "
                              "exportation complète, « Collaborateurs » coché, des « Albums de "
                              "la collection » et des « Albums Recherchés » s'ils ont déjà été "
                              "publiés, qui la fixe à nouveau."));
    }
    if (mark == u"0") {
        refuse(QStringLiteral(
            "« Collaborateurs » est coché, mais des albums déjà publiés l'ont été sans leurs "
            "collaborateurs (réglage « lastcollaborateurs » à « 0 ») : l'exportation des "
            "dernières données ne les enverrait qu'avec les nouveaux albums. Faites une "
            "exportation complète, « Collaborateurs » coché, des « Albums de la collection » "
            "et des « Albums Recherchés » s'ils ont déjà été publiés : elle les envoie tous."));
    }
}

qint32 SplitGroup(const Settings& s) {
    // The rule the box and the settings load keep to.
    const qint32 size = vb::WholeNumber(s.box_SplitGroup).value_or(0);
    if (size < 1) {
        refuse(QStringLiteral("Le nombre de lignes par fichier (« regrouper les albums par », "
                              "réglage « splitgroup ») vaut ") +
               quoted(s.box_SplitGroup) +
               QStringLiteral(" : ce n'est pas un nombre entier positif. Corrigez-le, ou "
                              "choisissez « Créer un seul fichier »."));
    }
    return size;
}

void RequireGroups(const Settings& s) {
    if (s.opt_albums != 1 && s.opt_acheter != 1 && s.opt_revues != 1 && s.opt_parabd != 1) {
        // Split or in one file alike: sending the user to the other choice
        // would only bring this refusal back.
        refuse(QStringLiteral("Aucune collection n'est cochée (le réglage « collection » vaut ") +
               quoted(s.collectionRefused.value_or(s.GV_Collection_Bits)) +
               QStringLiteral(") : l'exportation n'a aucune donnée à écrire. Cochez une "
                              "collection."));
    }
}

}  // namespace kalvor::export_settings
