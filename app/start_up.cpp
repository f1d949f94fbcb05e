#include "app/start_up.h"

#include <QFileInfo>
#include <algorithm>
#include <vector>

#include "catalogue/catalogue_counts.h"
#include "common/general.h"
#include "common/operation.h"
#include "platform/program_folder.h"
#include "platform/prompt.h"
#include "platform/registry/registry.h"
#include "settings/settings.h"
#include "sqlscripts/script_set.h"

namespace kalvor::start_up {
namespace {

const QString kOrmelo6 = QStringLiteral("Software\\Ormelo6");
const QString kOrmeLoV5 = QStringLiteral("Software\\Orme Lo v5");

QString textOf(const QVariant& value) {
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

// The export's messages, held until its marks are saved: a run whose marks
// could not be saved has not gone through, and its success is not said.
class HeldMessages : public Prompt {
  public:
    explicit HeldMessages(Prompt& out) : out_(out) {}
    void message(const QString& text, const QString& title, PromptIcon icon) override {
        held_.push_back({text, title, icon});
    }
    bool askYesNo(const QString& text, const QString& title, PromptIcon icon) override {
        return out_.askYesNo(text, title, icon);
    }
    void setBusy(bool busy) override { out_.setBusy(busy); }
    void release() {
        for (const Held& h : held_) {
            out_.message(h.text, h.title, h.icon);
        }
        held_.clear();
    }
    // The scripts are in place even so: the user must know that, and that
    // the next incremental export will send this one's data again.
    void releaseWithoutMarks() {
        for (Held& h : held_) {
            if (h.icon == PromptIcon::Information) {
                h.text += QStringLiteral(
                    " ; mais les marques de la dernière exportation n'ont pas été enregistrées : "
                    "la prochaine exportation des dernières données enverra de nouveau ce que "
                    "celle-ci a envoyé.");
            }
        }
        release();
    }

  private:
    struct Held {
        QString text, title;
        PromptIcon icon;
    };
    Prompt& out_;
    std::vector<Held> held_;
};

}  // namespace

QString noCatalogueNamed() {
    return QStringLiteral(
               "Aucun catalogue n'est désigné. Nommez-le dans le fichier des réglages %1, "
               "Kalvor fermé, par les lignes [HKEY_CURRENT_USER\\Software\\Ormelo6] et "
               "\"CheminBase\"=\"/chemin/de/la/collection.mdb\" (pour un catalogue v5 ou v4, "
               "la clé [HKEY_CURRENT_USER\\Software\\Orme Lo v5\\Base]).")
        .arg(Registry::currentUser().storePath());
}

QString Rep_Base_Of(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return cut < 0 ? QString() : path.left(cut + 1);
}

QString Version_Of(catalogue::Generation g, const QString& current) {
    if (g == catalogue::Generation::V6) {
        return QStringLiteral("v6");
    }
    if (!catalogue::IsV6(current)) {
        return current;
    }
    return general::Check_Registry_Key(HKEY_CURRENT_USER, kOrmeLoV5) ? QStringLiteral("v5")
                                                                     : QStringLiteral("v4");
}

void Locate_Catalogue(Settings& s) {
    QString path;
    if (general::Check_Registry_Key(HKEY_CURRENT_USER, kOrmelo6)) {
        s.GV_Version_Base = QStringLiteral("v6");
        path = textOf(
            general::Get_Registry_Value(HKEY_CURRENT_USER, kOrmelo6, QStringLiteral("CheminBase")));
    } else {
        s.GV_Version_Base = general::Check_Registry_Key(HKEY_CURRENT_USER, kOrmeLoV5)
                                ? QStringLiteral("v5")
                                : QStringLiteral("v4");
        path = textOf(general::Get_Registry_Value(
            HKEY_CURRENT_USER, QStringLiteral("Software\\Orme Lo ") + s.GV_Version_Base + "\\Base",
            QStringLiteral("CheminBase")));
    }
    Use_Catalogue(s, path);
}

void Use_Catalogue(Settings& s, const QString& path) {
    s.GV_Chemin_Base = path;
    s.GV_Rep_Base = Rep_Base_Of(s.GV_Chemin_Base);
    // The keys may name a catalogue of the other generation (a path copied
    // by hand, or no key of the application at all): its tables decide. A
    // catalogue that cannot be read is reported where it is first used.
    if (!s.GV_Chemin_Base.isEmpty()) {
        Attempt([&] {
            if (const auto g = catalogue::ReadGeneration(s.GV_Chemin_Base)) {
                s.GV_Version_Base = Version_Of(*g, s.GV_Version_Base);
            }
        });
    }
}

std::optional<QString> Sample_Catalogue() {
    const QString sample = qEnvironmentVariable("KALVOR_SAMPLE_CATALOGUE");
    return sample.isEmpty() ? std::nullopt : std::optional<QString>(sample);
}

bool Is_Program_Sample(const QString& path) {
    const QString file = QFileInfo(path).canonicalFilePath();
    if (file.isEmpty()) {
        return false;
    }
    QStringList samples{QStringLiteral(KALVOR_SAMPLE_CATALOGUE_PATH),
                        programFolder() + QStringLiteral("/../../samples/catalogue-v6.mdb")};
    if (const auto named = Sample_Catalogue()) {
        samples << *named;
    }
    return std::any_of(samples.begin(), samples.end(), [&](const QString& sample) {
        return QFileInfo(sample).canonicalFilePath() == file;
    });
}

void Form_Load_Failed(Settings& s, const QString& description) {
    s.GV_Erreurs += QStringLiteral("\nerreur : ") + description;
    general::Write_Log(QStringLiteral("Kalvorform.form_load"), s.GV_Erreurs);
}

void Form_Load(Settings& s, const CommandLine& line, Prompt& prompt) {
    // What the load would store goes to the file in one write; the keys its
    // reading creates go nowhere, so that a refused run writes no file.
    Registry::Batch batch(Registry::currentUser());
    const std::optional<Failure> failure = Attempt([&] {
        s.GV_App_Path = programFolder();
        s.GV_LastRun_Changed = false;
        Locate_Catalogue(s);
        s.Check_Config(prompt);
        s.Mode_Commande = false;
        if (line.format == CommandLine::Format::Utf8) {
            s.opt_utf8_Click();
        } else if (line.format == CommandLine::Format::Latin1) {
            s.opt_latin1_Click();
        }
    });
    if (failure) {
        Form_Load_Failed(s, failure->description);
    }
    // Before the window or an export: what a killed export or settings
    // save left is mended.
    Registry::currentUser().removeKilledSaves();
    MendScriptsFolder(s);
}

void Form_Load_Unattended(Settings& s, const CommandLine& line, Prompt& console) {
    // The load's checks of the window's fields speak to someone typing in
    // them; the export names, on its one line, any setting it refuses.
    RecordingPrompt held;
    Form_Load(s, line, held);
    if (!held.shown().empty()) {
        for (const RecordingPrompt::Shown& shown : held.shown()) {
            s.GV_Erreurs += QStringLiteral("\n[") + shown.title + QStringLiteral("] ") + shown.text;
        }
        general::Write_Log(QStringLiteral("Kalvorform.form_load"), s.GV_Erreurs);
    }
    Report_Store_Problem(console);
}

int Run_Command_Export(Settings& s, const CommandLine& line, Prompt& prompt,
                       const DataExports& exports) {
    s.Mode_Commande = true;
    const QString title = kBanner + QStringLiteral(" - Génération SQL");
    // A scheduled run publishes only the catalogue the user named: no other
    // stands in for it, nor the sample that settings of an earlier
    // scripts/run name. Logged as the start-up's other failures.
    if (s.GV_Chemin_Base.isEmpty() || Is_Program_Sample(s.GV_Chemin_Base)) {
        const QString refusal = noCatalogueNamed();
        prompt.message(refusal, title, PromptIcon::Critical);
        Form_Load_Failed(s, refusal);
        return 1;
    }
    const bool incremental = line.exportWord == CommandLine::Export::DernieresDonnees;
    const DataExports::Export& run =
        incremental ? exports.btn_LastDonnees_SQL_Click : exports.btn_Donnees_SQL_Click;
    bool done = false;
    HeldMessages held(prompt);
    if (run) {
        done = run(s, held);
    } else {
        held.message(
            QStringLiteral("L'export ") +
                (incremental ? QStringLiteral("dernieres_donnees") : QStringLiteral("donnees")) +
                QStringLiteral(" n'est pas disponible dans cette version."),
            title, PromptIcon::Critical);
    }
    // Marks left unsaved would make the next incremental export repeat this one.
    const bool saved = s.Save_LastRun();
    if (saved) {
        held.release();
        Report_Store_Problem(prompt);
    } else {
        Report_Store_Problem(prompt);
        held.releaseWithoutMarks();
    }
    return done && saved ? 0 : 1;
}

void Report_Store_Problem(Prompt& prompt) {
    const QString problem = Registry::currentUser().takeProblem();
    if (!problem.isEmpty()) {
        prompt.message(problem, kBanner, PromptIcon::Critical);
    }
}

bool Save_Marks(Settings& s, Prompt& prompt) {
    const bool saved = s.Save_LastRun();
    Report_Store_Problem(prompt);
    return saved;
}

}  // namespace kalvor::start_up
