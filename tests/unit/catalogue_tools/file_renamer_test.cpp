#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "catalogue_tools/file_renamer.h"
#include "common/general.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "support/test_paths.h"

using namespace kalvor;
using renamer::Conversion;
using renamer::Request;
using renamer::Selection;

namespace {

class FileRenamerTest : public ::testing::Test {
  protected:
    test::IsolatedEnvironment env;
    QString root = env.path() + QStringLiteral("/work");
    QString folder = root + QStringLiteral("/Images");

    void SetUp() override { QDir().mkpath(folder + QStringLiteral("/Sous Dossier")); }
    void file(const QString& name, const QByteArray& bytes = "x") {
        test::writeAll(folder + u'/' + name, bytes.isEmpty() ? name.toUtf8() : bytes);
    }
    // Names in `dir`, hidden ones included, sorted.
    static QStringList names(const QString& dir) {
        return QDir(dir).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    Request request(Conversion conversion, Selection selection = Selection::Repertoire) {
        Request r;
        r.conversion = conversion;
        r.selection = selection;
        r.folder = folder;
        return r;
    }
    renamer::Kept nothingKept() const { return {}; }
};

}  // namespace

TEST_F(FileRenamerTest, NewNamesFollowUnicodeAndReplaceCaseSensitively) {
    Request r = request(Conversion::Minuscule);
    EXPECT_EQ(renamer::NewName(QStringLiteral("ÉTÉ Œuvre.JPG"), r),
              QStringLiteral("été œuvre.jpg"));
    r.conversion = Conversion::Majuscule;
    EXPECT_EQ(renamer::NewName(QStringLiteral("été_ça.jpg"), r), QStringLiteral("ÉTÉ_ÇA.JPG"));
    r.conversion = Conversion::Caractere;
    r.from = QStringLiteral("a");
    r.to = QStringLiteral("x");
    EXPECT_EQ(renamer::NewName(QStringLiteral("aAaa.jpg"), r), QStringLiteral("xAxx.jpg"));
    r.from = QStringLiteral("aa");
    EXPECT_EQ(renamer::NewName(QStringLiteral("aaa.jpg"), r), QStringLiteral("xa.jpg"));
}

TEST_F(FileRenamerTest, FolderModeRenamesVisibleFilesOnly) {
    file(QStringLiteral("Couverture_01.JPG"));
    file(QStringLiteral("ÉTÉ.Png"));
    file(QStringLiteral("deja.jpg"));
    file(QStringLiteral(".Cache.JPG"));
    test::writeAll(folder + QStringLiteral("/Sous Dossier/Dedans.JPG"), "x");

    EXPECT_EQ(renamer::Convertir(request(Conversion::Minuscule), nothingKept()), folder);
    EXPECT_EQ(names(folder),
              (QStringList{QStringLiteral(".Cache.JPG"), QStringLiteral("Sous Dossier"),
                           QStringLiteral("couverture_01.jpg"), QStringLiteral("deja.jpg"),
                           QStringLiteral("été.png")}));
    EXPECT_EQ(names(folder + QStringLiteral("/Sous Dossier")),
              QStringList{QStringLiteral("Dedans.JPG")});
    // Contents travel with the names; a second run changes nothing.
    EXPECT_EQ(test::readAll(folder + QStringLiteral("/deja.jpg")), "x");
    renamer::Convertir(request(Conversion::Minuscule), nothingKept());
    EXPECT_EQ(names(folder).size(), 5);

    Request replace = request(Conversion::Caractere);
    replace.from = QStringLiteral("_");
    replace.to = QStringLiteral("-");
    renamer::Convertir(replace, nothingKept());
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/couverture-01.jpg")));
    EXPECT_TRUE(QDir(root).exists(QStringLiteral("Images")));  // the folder keeps its name
}

TEST_F(FileRenamerTest, UpperCaseFolderModeRenamesTheFolderFirst) {
    file(QStringLiteral("été.jpg"));
    file(QStringLiteral(".cache"));
    const QString renamed = renamer::Convertir(request(Conversion::Majuscule), nothingKept());
    EXPECT_EQ(renamed, root + QStringLiteral("/IMAGES"));
    EXPECT_EQ(names(root), QStringList{QStringLiteral("IMAGES")});
    EXPECT_EQ(names(renamed), (QStringList{QStringLiteral(".cache"), QStringLiteral("Sous Dossier"),
                                           QStringLiteral("ÉTÉ.JPG")}));
}

TEST_F(FileRenamerTest, ANameIsConvertedOnceEvenWhenTheNewOneComesLater) {
    // In name order, "x.jpg" becomes "xx.jpg", which a walk of the live
    // folder would meet again.
    file(QStringLiteral("x.jpg"));
    file(QStringLiteral("y.jpg"));
    Request r = request(Conversion::Caractere);
    r.from = QStringLiteral("x");
    r.to = QStringLiteral("xx");
    renamer::Convertir(r, nothingKept());
    EXPECT_EQ(names(folder), (QStringList{QStringLiteral("Sous Dossier"), QStringLiteral("xx.jpg"),
                                          QStringLiteral("y.jpg")}));
}

TEST_F(FileRenamerTest, ACollisionStopsWithBothFilesIntact) {
    file(QStringLiteral("Album.jpg"), "upper");
    file(QStringLiteral("album.jpg"), "lower");
    try {
        renamer::Convertir(request(Conversion::Minuscule), nothingKept());
        FAIL() << "no failure";
    } catch (const Error& e) {
        EXPECT_TRUE(e.Description().contains(QStringLiteral("existe déjà")))
            << (e.Description()).toStdString();
    }
    EXPECT_EQ(test::readAll(folder + QStringLiteral("/Album.jpg")), "upper");
    EXPECT_EQ(test::readAll(folder + QStringLiteral("/album.jpg")), "lower");

    // Through the button: traced, logged, shown, lists left as they are.
    Settings settings;
    RecordingPrompt prompt;
    prompt.queueAnswers({true});
    EXPECT_EQ(renamer::btn_convertir_Click(request(Conversion::Minuscule), settings, prompt),
              QString());
    ASSERT_EQ(prompt.shown().size(), 2u);
    EXPECT_EQ(prompt.shown()[1].title, QStringLiteral("Renamer"));
    EXPECT_EQ(prompt.shown()[1].icon, PromptIcon::Critical);
    EXPECT_TRUE(settings.GV_Erreurs.startsWith(QStringLiteral("\nerreur : Le fichier existe déjà")))
        << (settings.GV_Erreurs).toStdString();
    const QByteArray log = test::readAll(general::Log_Path());
    EXPECT_TRUE(log.startsWith("Kalvorform.btn_convertir_click\r\n")) << log.constData();
    EXPECT_EQ(test::readAll(folder + QStringLiteral("/Album.jpg")), "upper");
}

TEST_F(FileRenamerTest, SingleFileModeRenamesTheChosenFileOnly) {
    file(QStringLiteral("Un.JPG"));
    file(QStringLiteral("Deux.JPG"));
    Request r = request(Conversion::Minuscule, Selection::Fichier);
    r.file = QStringLiteral("Un.JPG");
    EXPECT_EQ(renamer::Convertir(r, nothingKept()), folder);
    EXPECT_EQ(names(folder),
              (QStringList{QStringLiteral("Deux.JPG"), QStringLiteral("Sous Dossier"),
                           QStringLiteral("un.jpg")}));
    // A file that is gone is a failure.
    EXPECT_THROW(renamer::Convertir(r, nothingKept()), Error);
}

TEST_F(FileRenamerTest, FoldersHoldingWhatTheProgramUsesKeepTheirNames) {
    file(QStringLiteral("catalogue.db"));
    file(QStringLiteral("Photo.jpg"));
    const QString catalogue = folder + QStringLiteral("/catalogue.db");
    const renamer::Kept kepts[] = {
        {catalogue, {}, {}},                                 // holds the open catalogue
        {{}, folder, {}},                                    // is the program folder
        {{}, {}, folder},                                    // is the current folder
        {{}, {}, folder + QStringLiteral("/Sous Dossier")},  // holds the current folder
    };
    for (const renamer::Kept& kept : kepts) {
        EXPECT_THROW(renamer::Convertir(request(Conversion::Majuscule), kept), Error);
        EXPECT_EQ(names(root), QStringList{QStringLiteral("Images")});
        EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Photo.jpg")));
    }
    // Another mode converts the files around the catalogue, not the catalogue.
    Request replace = request(Conversion::Caractere);
    replace.from = QStringLiteral("o");
    replace.to = QStringLiteral("0");
    renamer::Convertir(replace, kepts[0]);
    EXPECT_EQ(names(folder),
              (QStringList{QStringLiteral("Ph0t0.jpg"), QStringLiteral("Sous Dossier"),
                           QStringLiteral("catalogue.db")}));
    Request single = replace;
    single.selection = Selection::Fichier;
    single.file = QStringLiteral("catalogue.db");
    EXPECT_THROW(renamer::Convertir(single, kepts[0]), Error);
    EXPECT_TRUE(QFile::exists(catalogue));

    // The root of the file system has no name of its own.
    Request top = request(Conversion::Majuscule);
    top.folder = QStringLiteral("/");
    EXPECT_THROW(renamer::Convertir(top, nothingKept()), Error);
}

TEST_F(FileRenamerTest, ChecksComeFirstInTheirOrder) {
    Settings settings;
    RecordingPrompt prompt;
    Request r;
    r.folder = folder;
    renamer::btn_convertir_Click(r, settings, prompt);
    r.conversion = Conversion::Caractere;
    renamer::btn_convertir_Click(r, settings, prompt);
    r.selection = Selection::Fichier;
    r.from = QStringLiteral("a");
    renamer::btn_convertir_Click(r, settings, prompt);
    r.conversion = Conversion::Majuscule;
    renamer::btn_convertir_Click(r, settings, prompt);
    r.selection = Selection::Repertoire;
    r.folder.clear();
    renamer::btn_convertir_Click(r, settings, prompt);
    EXPECT_EQ(
        prompt.texts(),
        (QStringList{QStringLiteral("Veuillez sélectionner Minuscule, Majuscule ou Caractère"),
                     QStringLiteral("Veuillez sélectionner Fichier ou répertoire"),
                     QStringLiteral("Veuillez indiquer les caractères à remplacer"),
                     QStringLiteral("Veuillez sélectionner le fichier"),
                     QStringLiteral("Veuillez sélectionner le répertoire")}));
    for (const RecordingPrompt::Shown& shown : prompt.shown()) {
        EXPECT_EQ(shown.title, QStringLiteral("Renamer"));
        EXPECT_EQ(shown.icon, PromptIcon::Critical);
        EXPECT_FALSE(shown.question);
    }
}

TEST_F(FileRenamerTest, QuestionNamesTheTargetAndNoChangesNothing) {
    file(QStringLiteral("Un_Deux.JPG"));
    Settings settings;
    RecordingPrompt prompt;
    Request lower = request(Conversion::Minuscule);
    Request upper = request(Conversion::Majuscule, Selection::Fichier);
    upper.file = QStringLiteral("Un_Deux.JPG");
    Request replace = request(Conversion::Caractere);
    replace.from = QStringLiteral("_");
    replace.to = QStringLiteral(" ");
    for (const Request& r : {lower, upper, replace}) {
        EXPECT_EQ(renamer::btn_convertir_Click(r, settings, prompt), folder);  // refreshed
    }
    EXPECT_EQ(
        prompt.texts(),
        (QStringList{
            QStringLiteral("Conversion en minuscule de") + folder + QStringLiteral("/*.*"),
            QStringLiteral("Conversion en majuscule de ") + folder + QStringLiteral("/Un_Deux.JPG"),
            QStringLiteral("Remplacer _ par   dans ") + folder + QStringLiteral("/*.*")}));
    for (const RecordingPrompt::Shown& shown : prompt.shown()) {
        EXPECT_EQ(shown.title, QStringLiteral("Rename"));
        EXPECT_TRUE(shown.question);
    }
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Un_Deux.JPG")));

    prompt.clear();
    prompt.queueAnswers({true});
    EXPECT_EQ(renamer::btn_convertir_Click(replace, settings, prompt), folder);
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Un Deux.JPG")));
    EXPECT_TRUE(settings.GV_Erreurs.isEmpty());
}
