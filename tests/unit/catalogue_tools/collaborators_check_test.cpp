#include <gtest/gtest.h>

#include "catalogue/sqlite_catalogue.h"
#include "catalogue_tools/collaborators_check.h"
#include "common/general.h"
#include "platform/dao/db_engine.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "support/test_paths.h"

using namespace kalvor;

namespace {

const QString kAlbums = QStringLiteral(" est indiqué aussi en tant que collaborateur (ALBUMS)");
const QString kAcheter = QStringLiteral(" est indiqué aussi en tant que collaborateur (ACHETER)");

class CollaboratorsCheckTest : public ::testing::Test {
  protected:
    test::IsolatedEnvironment env;
    RecordingPrompt prompt;
    Settings settings;

    // The fixture catalogue of a generation ("v6" or "v5") as a SQLite file,
    // then `script` run on it.
    QString catalogue(const QString& version, const QString& script = QString()) {
        const QString path =
            env.path() + QStringLiteral("/catalogue-") + version + QStringLiteral(".db");
        catalogue::BuildSqliteCatalogue(test::fixturePath(QStringLiteral("catalogue/catalogue-") +
                                                          version + QStringLiteral(".sql")),
                                        path);
        if (!script.isEmpty()) {
            auto db = dao::DBEngine::OpenDatabase(path);
            db->ExecuteScript(script);
            db->Close();
        }
        settings.GV_Chemin_Base = path;
        settings.GV_Version_Base = version;
        return path;
    }
};

// Album 5 of the fixture lists its own scénariste (4) as a collaborator.
const QString kFixtureReport =
    QStringLiteral("L'Ombre du phare - 5 - Le Cœur de la lentille, le scénariste") + kAlbums;

}  // namespace

TEST_F(CollaboratorsCheckTest, FixtureCataloguesOfBothGenerationsGiveTheSameReport) {
    for (const QString& version : {QStringLiteral("v5"), QStringLiteral("v6")}) {
        const QString path = catalogue(version);
        EXPECT_EQ(collaborators::Check_Collaborateurs(path, version), kFixtureReport)
            << (version).toStdString();
        // The Access files hold the same rows; the check only reads them.
        EXPECT_EQ(collaborators::Check_Collaborateurs(
                      test::fixturePath(QStringLiteral("catalogue/catalogue-") + version +
                                        QStringLiteral(".mdb")),
                      version),
                  kFixtureReport)
            << (version).toStdString();
    }
}

TEST_F(CollaboratorsCheckTest, ConflictsAndMissingAuthorsInTableOrder) {
    // Album 12 is also on the wish list with the same scénariste, so its row
    // gives two conflicts; author 99 has no record and writes album 26 (no
    // number) itself; album 500 exists nowhere, so its missing author is not
    // reported; author 97 is missing for wish-list album 72.
    const QString path = catalogue(QStringLiteral("v5"), QStringLiteral(R"(
        DELETE FROM COLLABORATEURS;
        INSERT INTO ACHETER (IdAlbum, Num, Titre, IdSerie, IdDessinateur, IdScenariste)
            VALUES (12, 3, 'Cloche bis', 2, 9, 9);
        UPDATE ALBUMS SET IdScenariste = 99 WHERE IdAlbum = 26;
        INSERT INTO COLLABORATEURS VALUES (12, 9, 0);
        INSERT INTO COLLABORATEURS VALUES (500, 98, 1);
        INSERT INTO COLLABORATEURS VALUES (26, 99, 0);
        INSERT INTO COLLABORATEURS VALUES (72, 97, 2);
        INSERT INTO COLLABORATEURS VALUES (73, 11, 2);
    )"));
    const QString expected =
        QStringLiteral("Les Grelots de Tintinnabule - 3 - La Cloche à fromage, le scénariste") +
        kAlbums +
        QStringLiteral("\n\rLes Grelots de Tintinnabule - 3 - Cloche bis, le scénariste") +
        kAcheter + QStringLiteral("\n\rBrumes sur Vénasque -  - Carnet d'enquête, le scénariste") +
        kAlbums +
        QStringLiteral(
            "\n\rBrumes sur Vénasque -  - Carnet d'enquête, aucune fiche auteur (99) "
            "pour le scénariste indiqué comme collaborateur (ALBUMS)") +
        QStringLiteral(
            "\n\rCœur d'Acier - 7 - Limaille, aucune fiche auteur (97) pour le "
            "coloriste indiqué comme collaborateur (ACHETER)") +
        QStringLiteral("\n\rCœur d'Acier - 8 - Acier trempé, le coloriste") + kAcheter;
    EXPECT_EQ(collaborators::Check_Collaborateurs(path, QStringLiteral("v5")), expected);

    collaborators::btn_collaborateurs_Click(settings, prompt);
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].text, expected);
    EXPECT_EQ(prompt.shown()[0].title, QStringLiteral("Erreurs dans les collaborateurs"));
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Exclamation);
}

TEST_F(CollaboratorsCheckTest, NewerCatalogueFindsItsWishListInAlbums) {
    // Wish-list album 73 (AAcheter = 1) has colourist 11: reported under
    // ACHETER only; collection album 12 with its own dessinateur under ALBUMS
    // only.
    const QString path = catalogue(QStringLiteral("v6"), QStringLiteral(R"(
        DELETE FROM COLLABORATEURS;
        INSERT INTO COLLABORATEURS VALUES (73, 11, 2);
        INSERT INTO COLLABORATEURS VALUES (12, 9, 1);
        INSERT INTO COLLABORATEURS VALUES (80, 96, 1);
    )"));
    EXPECT_EQ(collaborators::Check_Collaborateurs(path, QStringLiteral("v6")),
              QStringLiteral("Cœur d'Acier - 8 - Acier trempé, le coloriste") + kAcheter +
                  QStringLiteral("\n\rLes Grelots de Tintinnabule - 3 - La Cloche à fromage, le "
                                 "dessinateur") +
                  kAlbums +
                  QStringLiteral("\n\rMécaniques Célestes - 2 - Engrenages stellaires, aucune "
                                 "fiche auteur (96) pour le dessinateur indiqué comme "
                                 "collaborateur (ACHETER)"));
}

TEST_F(CollaboratorsCheckTest, NothingWrongIsSaidSo) {
    catalogue(QStringLiteral("v6"), QStringLiteral("DELETE FROM COLLABORATEURS WHERE IdAlbum = 5 "
                                                   "AND IdAuteur = 4;"));
    collaborators::btn_collaborateurs_Click(settings, prompt);
    catalogue(QStringLiteral("v5"), QStringLiteral("DELETE FROM COLLABORATEURS;"));
    collaborators::btn_collaborateurs_Click(settings, prompt);
    ASSERT_EQ(prompt.shown().size(), 2u);
    for (const RecordingPrompt::Shown& shown : prompt.shown()) {
        EXPECT_EQ(shown.text, QStringLiteral("Pas d'anomalie dans la base"));
        EXPECT_EQ(shown.title, QStringLiteral("Vérification des Collaborateurs"));
        EXPECT_EQ(shown.icon, PromptIcon::Information);
    }
}

TEST_F(CollaboratorsCheckTest, FailuresAreShownTracedAndLogged) {
    // An older-generation check on a newer catalogue meets no ACHETER table;
    // a row without author cannot be looked up; no catalogue at all.
    const QString newer = catalogue(QStringLiteral("v6"));
    const QString older =
        catalogue(QStringLiteral("v5"), QStringLiteral("INSERT INTO COLLABORATEURS VALUES "
                                                       "(12, NULL, 0);"));
    const QString paths[] = {newer, older, env.path() + QStringLiteral("/absent.mdb")};
    for (const QString& path : paths) {
        prompt.clear();
        const QString before = settings.GV_Erreurs;
        settings.GV_Chemin_Base = path;
        settings.GV_Version_Base = QStringLiteral("v5");
        collaborators::btn_collaborateurs_Click(settings, prompt);
        ASSERT_EQ(prompt.shown().size(), 1u) << (path).toStdString();
        EXPECT_EQ(prompt.shown()[0].text,
                  QStringLiteral("impossible d'effectuer la vérification de la base"));
        EXPECT_EQ(prompt.shown()[0].title, QStringLiteral("Kalvor 1.8.3"));
        EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
        EXPECT_TRUE(settings.GV_Erreurs.startsWith(before +
                                                   QStringLiteral("\nerreur vérification base : ")))
            << (settings.GV_Erreurs).toStdString();
        EXPECT_GT(settings.GV_Erreurs.size(), before.size() + 28);
        const QString log = QString::fromUtf8(test::readAll(general::Log_Path()));
        EXPECT_TRUE(log.startsWith(QStringLiteral("Kalvorform.btn_collaborateurs_click")))
            << (log).toStdString();
        EXPECT_FALSE(prompt.busy());
    }
}
