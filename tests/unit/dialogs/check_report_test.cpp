// The printed check report, end to end: work tables as a check leaves them,
// printed to a PDF file and read back with poppler's tools.
#include "dialogs/check_report.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include "catalogue/sqlite_catalogue.h"
#include "common/vb.h"
#include "platform/dao/db_engine.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "sitecheck/site_work_tables.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::site;

namespace {

// Text of the pages `first` to `last` (0: to the end), laid out as printed.
QString pdfText(const QString& pdf, int first = 1, int last = 0) {
    QProcess run;
    QStringList args{QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(first)};
    if (last > 0) {
        args << QStringLiteral("-l") << QString::number(last);
    }
    run.start(QStringLiteral("pdftotext"), args << pdf << QStringLiteral("-"));
    if (!run.waitForFinished(30000) || run.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext (Debian package poppler-utils) failed on " << pdf.toStdString();
        return {};
    }
    return QString::fromUtf8(run.readAllStandardOutput());
}

QString pdfTool(const QString& tool, const QStringList& args) {
    QProcess run;
    run.start(tool, args);
    EXPECT_TRUE(run.waitForFinished(30000) && run.exitCode() == 0) << tool.toStdString();
    return QString::fromUtf8(run.readAllStandardOutput());
}

int pageCount(const QString& pdf) {
    const QString info = pdfTool(QStringLiteral("pdfinfo"), {pdf});
    for (const QString& line : info.split(u'\n')) {
        if (line.startsWith(QStringLiteral("Pages:"))) {
            return line.mid(6).trimmed().toInt();
        }
    }
    return 0;
}

// Lines that hold every one of `words`, in that order, with blanks between.
bool hasLine(const QString& text, const QStringList& words) {
    for (const QString& line : text.split(u'\n')) {
        qsizetype at = 0;
        bool all = true;
        for (const QString& w : words) {
            at = line.indexOf(w, at);
            if (at < 0) {
                all = false;
                break;
            }
            at += w.size();
        }
        if (all) {
            return true;
        }
    }
    return false;
}

// A section title: alone on its line.
QRegularExpression titleLine(const QString& title) {
    return QRegularExpression(QStringLiteral("\\n\\s*") + QRegularExpression::escape(title) +
                              QStringLiteral("\\s*\\n"));
}

class CheckReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            << "pdftotext missing: run scripts/install-deps";
        settings.GV_Chemin_Base = env.path() + QStringLiteral("/catalogue.db");
        settings.box_site = QStringLiteral("http://bd.example.org/kalvor/");
        catalogue::BuildSqliteCatalogue(
            test::fixturePath(QStringLiteral("catalogue/catalogue-v5.sql")),
            settings.GV_Chemin_Base);
        pdf = env.path() + QStringLiteral("/rapport.pdf");
    }

    void checked() {
        ASSERT_TRUE(Drop_Tables_Temp(settings.GV_Chemin_Base, prompt));
        ASSERT_TRUE(Create_Tables_Temp(settings.GV_Chemin_Base, prompt));
    }

    void add(const char* table, const char* key, const char* type, const QString& file, bool ok,
             const char* problem = nullptr) {
        auto db = dao::DBEngine::OpenDatabase(settings.GV_Chemin_Base);
        auto rs = db->OpenRecordset(QString::fromLatin1(table));
        rs->AddNew();
        rs->SetField(QStringLiteral("key"), QString::fromLatin1(key));
        rs->SetField(QStringLiteral("type"), QString::fromLatin1(type));
        rs->SetField(QStringLiteral("file"), file);
        rs->SetField(QStringLiteral("creation"), QDateTime(QDate(2024, 6, 1), QTime(10, 0)));
        rs->SetField(QStringLiteral("ok"), ok);
        if (problem) {
            rs->SetField(QStringLiteral("probleme"), QString::fromUtf8(problem));
        }
        rs->Update();
    }

    // The print dialog, answered with a PDF file on A4 with a printer's
    // usual unprintable margins.
    ChoosePrinter toPdf(const QString& file) {
        return [this, file](QPrinter& printer) {
            ++dialogs;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(file);
            printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                              QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
            return true;
        };
    }

    void print() { Print_Rapport(settings, prompt, toPdf(pdf)); }

    test::IsolatedEnvironment env;
    vb::ScopedClock clock{QDateTime(QDate(2024, 3, 7), QTime(9, 30))};
    Settings settings;
    RecordingPrompt prompt;
    QString pdf;
    int dialogs = 0;
};

TEST_F(CheckReportTest, PrintsTheHeaderAndEverySectionOfACheck) {
    checked();
    add("TEMP_KALVOR_FILES", "MI", "couvertures", "Zorglub.jpg", false);
    add("TEMP_KALVOR_FILES", "MI", "couvertures", "alpha.jpg", true);  // referenced twice
    add("TEMP_KALVOR_FILES", "MI", "couvertures", "Mickey.jpg", false);
    add("TEMP_KALVOR_FILES", "EX", "couvertures", "orphan.jpg", false);
    add("TEMP_KALVOR_FILES", "EX", "couvertures", "used.jpg", true);
    add("TEMP_KALVOR_FILES", "MI", "versos", "dos.jpg", false);
    add("TEMP_KALVOR_THUMBS", "EX", "photos", "m_herge.jpg", false, "Pas d'image correspondante");
    add("TEMP_KALVOR_THUMBS", "EX", "revues", "M_spirou.jpg", false,
        "format du fichier non conforme (m_)");
    print();
    EXPECT_TRUE(prompt.texts().isEmpty()) << prompt.texts().join(u'|').toStdString();
    EXPECT_EQ(dialogs, 1);
    ASSERT_TRUE(QFile::exists(pdf));
    const QString text = pdfText(pdf);

    // The header: no logo in the program folder, so the name in its place.
    EXPECT_TRUE(hasLine(text, {"Kalvor", "Vérification des fichiers entre", "07/03/2024"}));
    EXPECT_TRUE(hasLine(text, {"la base : " + settings.GV_Chemin_Base, "Page : 1"}));
    EXPECT_TRUE(hasLine(text, {"et le site : http://bd.example.org/kalvor/"}));

    // The 14 sections in order, every one with its heading bar.
    const QStringList titles = {"Couvertures",
                                "Versos",
                                "Dedicaces",
                                "Planches",
                                "Photos",
                                "Parabd",
                                "Revues",
                                "Couvertures Miniatures",
                                "Versos Miniatures",
                                "Dedicaces Miniatures",
                                "Planches Miniatures",
                                "Photos Miniatures",
                                "Parabd Miniatures",
                                "Revues Miniatures"};
    qsizetype at = 0;
    for (const QString& title : titles) {
        const qsizetype found = text.indexOf(titleLine(title), at);
        ASSERT_GE(found, 0) << title.toStdString();
        at = found + 1;
    }
    EXPECT_EQ(text.count(QStringLiteral("Fichier(s) manquants")), 7);
    EXPECT_EQ(text.count(QStringLiteral("Fichier(s) non utilisés")), 7);
    EXPECT_EQ(text.count(QRegularExpression(QStringLiteral("Fichier\\s+Problème"))), 7);

    // Each column in name order on its own; a name referenced twice once;
    // a listed file the catalogue uses not at all.
    EXPECT_TRUE(hasLine(text, {"alpha.jpg", "orphan.jpg"}));
    EXPECT_TRUE(hasLine(text, {"Mickey.jpg"}));
    EXPECT_TRUE(hasLine(text, {"Zorglub.jpg"}));
    EXPECT_LT(text.indexOf("alpha.jpg"), text.indexOf("Mickey.jpg"));
    EXPECT_LT(text.indexOf("Mickey.jpg"), text.indexOf("Zorglub.jpg"));
    EXPECT_EQ(text.count(QStringLiteral("alpha.jpg")), 1);
    EXPECT_FALSE(text.contains(QStringLiteral("used.jpg")));
    EXPECT_TRUE(hasLine(text, {"dos.jpg"}));
    EXPECT_TRUE(hasLine(text, {"m_herge.jpg", "Pas d'image correspondante"}));
    EXPECT_TRUE(hasLine(text, {"M_spirou.jpg", "format du fichier non conforme (m_)"}));
}

TEST_F(CheckReportTest, ALongSectionGoesOnUnderItsHeaderOnTheNextPage) {
    checked();
    for (int i = 1; i <= 70; ++i) {
        add("TEMP_KALVOR_FILES", "MI", "couvertures",
            QStringLiteral("manque%1.jpg").arg(i, 3, 10, QChar(u'0')), false);
    }
    add("TEMP_KALVOR_FILES", "EX", "couvertures", "orphan.jpg", false);
    print();
    ASSERT_TRUE(QFile::exists(pdf));
    ASSERT_GE(pageCount(pdf), 2);

    const QString first = pdfText(pdf, 1, 1);
    const QString second = pdfText(pdf, 2, 2);
    EXPECT_TRUE(hasLine(first, {"manque001.jpg", "orphan.jpg"}));
    EXPECT_TRUE(hasLine(second, {"la base : " + settings.GV_Chemin_Base, "Page : 2"}));
    EXPECT_TRUE(hasLine(second, {"et le site : http://bd.example.org/kalvor/"}));
    // The section's title and bar come again, then the rows go on where the
    // first page stopped, none lost nor printed twice.
    const qsizetype title = second.indexOf(titleLine(QStringLiteral("Couvertures")));
    const qsizetype bar = second.indexOf(QStringLiteral("Fichier(s) manquants"));
    const qsizetype last = first.lastIndexOf(QRegularExpression(QStringLiteral("manque\\d+")));
    ASSERT_GE(title, 0);
    ASSERT_GT(bar, title);
    ASSERT_GE(last, 0);
    const int lastOnFirst = first.mid(last + 6, 3).toInt();
    const qsizetype next =
        second.indexOf(QStringLiteral("manque%1.jpg").arg(lastOnFirst + 1, 3, 10, QChar(u'0')));
    EXPECT_GT(next, bar);
    const QString all = first + second;
    for (int i = 1; i <= 70; ++i) {
        EXPECT_EQ(all.count(QStringLiteral("manque%1.jpg").arg(i, 3, 10, QChar(u'0'))), 1) << i;
    }
}

TEST_F(CheckReportTest, TheLogoOfTheProgramFolderTakesTheNamesPlace) {
    checked();
    QDir(env.programFolder()).mkpath(QStringLiteral("images"));
    ASSERT_TRUE(QFile::copy(test::sourceDir() + QStringLiteral("/images/kalvor.gif"),
                            env.programFolder() + QStringLiteral("/images/kalvor.gif")));
    print();
    ASSERT_TRUE(QFile::exists(pdf));
    const QString text = pdfText(pdf);
    EXPECT_TRUE(hasLine(text, {"Vérification des fichiers entre", "07/03/2024"}));
    EXPECT_FALSE(text.contains(QStringLiteral("Kalvor")));
    const QString images = pdfTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    EXPECT_EQ(images.count(QStringLiteral("image")), pageCount(pdf));
}

TEST_F(CheckReportTest, BeforeAnyCheckNoPrinterIsAskedFor) {
    print();
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].text,
              QStringLiteral("veuillez lancer la vérification avant l'impression"));
    EXPECT_EQ(prompt.shown()[0].title, QStringLiteral("Kalvor 1.8.3"));
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(dialogs, 0);
    EXPECT_FALSE(QFile::exists(pdf));

    // Nor when the catalogue itself cannot be opened.
    settings.GV_Chemin_Base = env.path() + QStringLiteral("/absente.mdb");
    prompt.clear();
    print();
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Erreur (3024) lors de l'impression")});
    EXPECT_EQ(dialogs, 0);
}

TEST_F(CheckReportTest, ACancelledDialogPrintsAndSaysNothing) {
    checked();
    Print_Rapport(settings, prompt, [&](QPrinter& printer) {
        toPdf(pdf)(printer);
        return false;
    });
    EXPECT_TRUE(prompt.texts().isEmpty());
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(CheckReportTest, AFailureOnceThePrinterIsChosenLeavesNoJobAndIsReported) {
    checked();
    // The thumbnail table gone while the files table stays: the report fails
    // on its 8th section, before a page was sent.
    {
        auto db = dao::DBEngine::OpenDatabase(settings.GV_Chemin_Base);
        db->Execute(QStringLiteral("DROP TABLE TEMP_KALVOR_THUMBS"));
    }
    print();
    EXPECT_EQ(dialogs, 1);
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_TRUE(prompt.shown()[0].text.startsWith(QStringLiteral("Erreur (")));
    EXPECT_TRUE(prompt.shown()[0].text.endsWith(QStringLiteral(") lors de l'impression")));
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Exclamation);
    EXPECT_FALSE(QFile::exists(pdf));

    // A printer that refuses the document.
    prompt.clear();
    checked();
    Print_Rapport(settings, prompt, toPdf(env.path() + QStringLiteral("/absent/rapport.pdf")));
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Erreur (482) lors de l'impression")});
}

}  // namespace
