#include "catalogue_tools/case_conversion.h"

#include <memory>

#include "common/banner.h"
#include "common/operation.h"
#include "platform/dao/db_engine.h"
#include "platform/prompt.h"
#include "settings/settings.h"

namespace kalvor::caseconv {
namespace {

// "UPDATE T SET T.Col = UCase([col])" and its condition; the engine reads
// names and functions without regard to case, and its case functions follow
// Unicode (accented letters convert too).
QString update(const QString& table, const QString& column, const QString& function,
               const QString& condition = QString()) {
    QString sql = QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + table +
                  QStringLiteral(".") + column + QStringLiteral(" = ") + function +
                  QStringLiteral("([") + column.toLower() + QStringLiteral("])");
    if (!condition.isEmpty()) {
        sql += QStringLiteral(" where ") + condition;
    }
    return sql;
}

void albumColumns(QStringList& out, const QString& table, const QString& function,
                  const QString& condition) {
    out << update(table, QStringLiteral("Couverture"), function, condition)
        << update(table, QStringLiteral("exlibris"), function, condition)
        << update(table, QStringLiteral("dedicace"), function, condition);
}

void run(Settings& settings, const Tables& tables, Prompt& prompt, Case letterCase) {
    const int sum = tables.opt_conv_albums + tables.opt_conv_acheter + tables.opt_conv_serie +
                    tables.opt_conv_auteur + tables.opt_conv_exlibris + tables.opt_conv_revues;
    if (sum == 0) {
        prompt.message(QStringLiteral("sélectionner les tables à modifier"), kBanner,
                       PromptIcon::Critical);
        return;
    }
    if (dao::DBEngine::IsAccessFile(settings.GV_Chemin_Base)) {
        prompt.message(QStringLiteral("La base ") + settings.GV_Chemin_Base +
                           QStringLiteral(" est une base Access : Kalvor peut la lire mais pas "
                                          "la modifier. Les noms de fichiers qu'elle contient "
                                          "n'ont pas été changés."),
                       kBanner, PromptIcon::Critical);
        return;
    }
    if (!prompt.askYesNo(QStringLiteral("Voulez-vous réellement modifier la base"), kBanner,
                         PromptIcon::Exclamation)) {
        return;
    }
    const OnFailure onFailure{
        .title = kBanner,
        .message = QStringLiteral("Erreur lors de la modification de la base : "),
        .withCause = true,
        .busy = true};
    RunOperation(prompt, onFailure, [&] {
        Convert_Base(settings.GV_Chemin_Base,
                     Statements(tables, settings.GV_Version_Base, letterCase));
        prompt.message(QStringLiteral("base modifiée"), kBanner, PromptIcon::Information);
    });
}

}  // namespace

QStringList Statements(const Tables& t, const QString& version, Case letterCase) {
    const QString f = letterCase == Case::Upper ? QStringLiteral("UCase") : QStringLiteral("LCase");
    const bool v6 = version == QStringLiteral("v6");
    QStringList out;
    if (t.opt_conv_albums == 1) {
        albumColumns(out, QStringLiteral("ALBUMS"), f,
                     v6 ? QStringLiteral("AACHETER=0") : QString());
    }
    if (t.opt_conv_acheter == 1) {
        if (v6) {
            albumColumns(out, QStringLiteral("ALBUMS"), f, QStringLiteral("AACHETER=1"));
        } else {
            albumColumns(out, QStringLiteral("ACHETER"), f, QString());
        }
    }
    if (t.opt_conv_auteur == 1) {
        out << update(QStringLiteral("AUTEURS"), QStringLiteral("surnom"), f);
    }
    if (t.opt_conv_serie == 1) {
        out << update(QStringLiteral("SERIES"), QStringLiteral("planche"), f);
    }
    if (t.opt_conv_exlibris == 1) {
        if (v6) {
            out << update(QStringLiteral("PARABD"), QStringLiteral("image1"), f)
                << update(QStringLiteral("PARABD"), QStringLiteral("image2"), f);
        } else {
            out << update(QStringLiteral("EXLIBRIS"), QStringLiteral("imageex"), f);
        }
    }
    if (t.opt_conv_revues == 1) {
        out << update(QStringLiteral("REVUES"), QStringLiteral("Couverture"), f);
    }
    return out;
}

void Convert_Base(const QString& path, const QStringList& statements) {
    std::unique_ptr<dao::Database> db = dao::DBEngine::OpenDatabase(path);
    for (const QString& sql : statements) {
        db->Execute(sql);
    }
    db->Close();
}

void cmd_majuscule_Click(Settings& settings, const Tables& tables, Prompt& prompt) {
    run(settings, tables, prompt, Case::Upper);
}

void cmd_minuscule_Click(Settings& settings, const Tables& tables, Prompt& prompt) {
    run(settings, tables, prompt, Case::Lower);
}

}  // namespace kalvor::caseconv
