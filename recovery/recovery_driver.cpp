#include "recovery/recovery_driver.h"

#include <functional>
#include <optional>

#include "common/banner.h"
#include "common/operation.h"
#include "common/republish.h"
#include "platform/error.h"
#include "platform/inet.h"
#include "platform/prompt.h"
#include "recovery/collaborator_cleanup.h"
#include "recovery/work_copy.h"

namespace kalvor::recovery {

namespace {

// Said of a run that read a recovery.php published before the end mark, or
// before the count after it.
QString olderNote(const RecoveryState& state) {
    if (!state.olderScript && !state.uncountedScript) {
        return QString();
    }
    QString note =
        state.olderScript
            ? QStringLiteral(
                  "\nLe fichier recovery.php du site est d'une version antérieure, sans marque de "
                  "fin : une table coupée entre deux lignes par une erreur du site ne s'y "
                  "distingue pas d'une table entière.")
            : QStringLiteral(
                  "\nLe fichier recovery.php du site est d'une version antérieure, dont la marque "
                  "de fin ne compte pas les lignes : une ligne perdue en route ne s'y voit pas.");
    if (!state.emptyFromOlder.isEmpty()) {
        note += QStringLiteral(
                    "\nCes tables sont revenues vides, ce qu'une erreur du site peut aussi "
                    "donner : ") +
                state.emptyFromOlder.join(QStringLiteral(", ")) + u'.';
    }
    return note + u'\n' + kRepublish +
           QStringLiteral(" Une récupération faite ensuite est vérifiée jusqu'à sa fin.");
}

}  // namespace

const QList<ImportStep>& ImportSteps() {
    // Every row must carry exactly dimension + 1 fields.
    static const QList<ImportStep> steps = {
        {QStringLiteral("series"), 6, QStringLiteral("Importation des séries ...")},
        {QStringLiteral("auteurs"), 12, QStringLiteral("Importation des auteurs ...")},
        {QStringLiteral("collaborateurs"), 2, QStringLiteral("Importation des collaborateurs ...")},
        {QStringLiteral("albums"), 29, QStringLiteral("Importation des albums ...")},
        {QStringLiteral("acheter"), 29, QStringLiteral("Importation des albums à acheter ...")},
        {QStringLiteral("parabd"), 21, QStringLiteral("Importation des parabd ...")},
        {QStringLiteral("revues"), 20, QStringLiteral("Importation des revues ...")},
    };
    return steps;
}

RecoveryDriver::RecoveryDriver(RecoveryView& view, Prompt& prompt, const WorkCopyDisk& disk)
    : view_(view), prompt_(prompt), disk_(disk) {}

RecoveryDriver::~RecoveryDriver() = default;

bool RecoveryDriver::Prepare(const QString& site, const QString& password) {
    work_.reset();
    if (site.isEmpty()) {
        prompt_.message(QStringLiteral("Veuillez renseigner le nom du site"), kBanner,
                        PromptIcon::Critical);
        return false;
    }
    view_.Labels_Show(false);
    state_ = RecoveryState();

    view_.SetStatus(QStringLiteral("Sélection de la base Recovery ..."));
    const QString chosen = view_.ChooseDatabase();
    if (chosen.isEmpty()) {
        return false;
    }
    chosen_ = chosen;
    site_ = site;
    password_ = password;
    cancelled_ = false;
    replacing_ = false;
    lateCancel_ = false;
    prepared_ = true;
    return true;
}

bool RecoveryDriver::claim() {
    view_.SetStatus(QStringLiteral("Vérification de la base Recovery ..."));
    QString why;
    const bool empty = Check_Base_Is_Empty(state_, RecoveryBase(chosen_), why);
    if (!empty && state_.Continue_Error != QLatin1String("non vide")) {
        QString text = QStringLiteral("la structure de la base sélectionnée est invalide !");
        if (!why.isEmpty()) {
            text += u'\n' + why;
        }
        prompt_.message(text, kBanner, PromptIcon::Critical);
        view_.SetStatus(QString());
        return false;
    }
    // Before anything is asked: a base that cannot be written, or that
    // another run is filling, is said at once.
    try {
        work_ = std::make_unique<WorkCopy>(chosen_, disk_);
    } catch (const Error& e) {
        prompt_.message(e.Description(), kBanner, PromptIcon::Critical);
        view_.SetStatus(QString());
        return false;
    }
    emptyFirst_ = false;
    if (!empty) {
        asking_ = true;
        const bool yes = prompt_.askYesNo(
            QStringLiteral("la base Recovery n'est pas vide - Voulez-vous la vider ?"), kBanner,
            PromptIcon::Exclamation);
        asking_ = false;
        if (!yes) {
            work_.reset();
            return false;
        }
        // Emptied in the run's copy, once the site has given the first table.
        emptyFirst_ = true;
    }
    return true;
}

void RecoveryDriver::Forget_Prepared() {
    prepared_ = false;
}

void RecoveryDriver::Run(Inet& inet) {
    if (!prepared_) {
        return;
    }
    prepared_ = false;
    // A base holding an earlier recovery takes a while to check: here, off
    // the window's thread.
    if (!claim()) {
        return;
    }
    if (cancelled_) {
        work_.reset();
        keepsEarlier_ = emptyFirst_;
        reportCancel();
        view_.SetStatus(QString());
        return;
    }
    // This run's counts, from nothing, as its rows come.
    counts_ = RecoveryCounts();
    view_.ShowCounts(counts_);
    view_.Labels_Show(true);
    shown_.start();
    {
        const QMutexLocker lock(&cancelling_);
        importing_ = &inet;
    }
    keepsEarlier_ = emptyFirst_;
    bool done = false;
    WorkCopy& work = *work_;
    const bool ran = RunOperation(prompt_, {.title = kBanner, .withCause = true}, [&] {
        // The copy's own failures leave the base as it was, and say so.
        const auto onCopy = [&](const std::function<void()>& step) {
            try {
                step();
                return true;
            } catch (const Error& e) {
                state_.Continue_Error = e.Description();
                state_.Continue_Recovery = false;
                return false;
            }
        };
        if (!onCopy([&] { work.Make(); })) {
            return;
        }
        runSteps(SiteAccess{site_, password_, inet}, RecoveryBase(work.path(), chosen_),
                 emptyFirst_);
        if (!cancelled_ && state_.Continue_Recovery) {
            bool replaced = false;
            done = onCopy([&] { replaced = work.Replace([this] { return claimReplace(); }); }) &&
                   replaced;
        }
    });
    bool late = false;
    {
        const QMutexLocker lock(&cancelling_);
        importing_ = nullptr;
        late = lateCancel_;
    }
    work_.reset();
    if (ran) {
        if (done) {
            prompt_.message(QStringLiteral("Récupération réussie") + olderNote(state_) +
                                (late ? QStringLiteral("\nL'annulation est arrivée après le "
                                                       "remplacement de la base : la base Recovery "
                                                       "contient cette récupération.")
                                      : QString()),
                            kBanner, PromptIcon::Information);
        } else if (cancelled_) {
            reportCancel();
        } else {
            prompt_.message(state_.Continue_Error + kept(), kBanner, PromptIcon::Critical);
        }
    }
    if (!done) {
        view_.Labels_Show(false);
    }
    view_.SetStatus(QString());
}

bool RecoveryDriver::claimReplace() {
    const QMutexLocker lock(&cancelling_);
    if (cancelled_) {
        return false;
    }
    replacing_ = true;
    return true;
}

void RecoveryDriver::Cancel() {
    const QMutexLocker lock(&cancelling_);
    if (replacing_) {
        lateCancel_ = true;
        return;
    }
    cancelled_ = true;
    if (importing_ != nullptr) {
        importing_->Abort();
    }
}

// Said of any run that did not finish: the copy it filled is dropped.
QString RecoveryDriver::kept() const {
    return keepsEarlier_ ? QStringLiteral("\nLa base Recovery garde la récupération précédente.")
                         : QString();
}

void RecoveryDriver::reportCancel() {
    prompt_.message(QStringLiteral("Récupération annulée") + kept(), kBanner,
                    PromptIcon::Exclamation);
}

bool RecoveryDriver::stored(const QString& tablename, qint64 rows) {
    static const std::pair<const char*, qint64 RecoveryCounts::*> kCounted[] = {
        {"series", &RecoveryCounts::series},
        {"auteurs", &RecoveryCounts::auteurs},
        {"collaborateurs", &RecoveryCounts::collaborateurs},
        {"albums", &RecoveryCounts::albums},
        {"acheter", &RecoveryCounts::acheter},
        {"parabd", &RecoveryCounts::exlibris},
        {"revues", &RecoveryCounts::revues}};
    for (const auto& [name, count] : kCounted) {
        if (tablename == QLatin1String(name)) {
            counts_.*count = rows;
        }
    }
    if (shown_.elapsed() >= 40) {
        view_.ShowCounts(counts_);
        shown_.start();
    }
    return !cancelled_;
}

void RecoveryDriver::runSteps(const SiteAccess& access, const RecoveryBase& work, bool emptyFirst) {
    const QList<ImportStep>& steps = ImportSteps();
    view_.SetStatus(steps[0].status);
    if (const std::optional<QString> reply =
            Fetch_MYSQL_Table(state_, access, steps[0].tablename)) {
        QString why;
        if (emptyFirst && !Cleanup_Tables_Recovery(work, why)) {
            state_.Continue_Error = QStringLiteral("Impossible de vider la base Recovery : ") + why;
            state_.Continue_Recovery = false;
        } else {
            Store_MYSQL_Table(state_, work, steps[0].tablename, steps[0].dimension, *reply,
                              [&](qint64 rows) { return stored(steps[0].tablename, rows); });
        }
    }
    // The next step's text is up before the flag is looked at.
    view_.SetStatus(steps[1].status);
    for (qsizetype i = 1; i < steps.size(); ++i) {
        if (!state_.Continue_Recovery || cancelled_) {
            return;
        }
        if (i > 1) {
            view_.SetStatus(steps[i].status);
        }
        Import_MYSQL_Tables(state_, work, access, steps[i].tablename, steps[i].dimension,
                            [&](qint64 rows) { return stored(steps[i].tablename, rows); });
        view_.ShowCounts(counts_);
    }
    if (!state_.Continue_Recovery || cancelled_) {
        return;
    }
    // Nothing tells an empty site from one whose database could not be read.
    if (state_.emptyFromOlder.size() == steps.size()) {
        state_.Continue_Error = QStringLiteral(
                                    "Aucune table n'a été récupérée : le fichier recovery.php du "
                                    "site, d'une version antérieure, les a toutes renvoyées vides, "
                                    "ce qu'une erreur du site peut aussi donner.\n") +
                                kRepublish;
        state_.Continue_Recovery = false;
        return;
    }
    view_.SetStatus(QStringLiteral("traitement des collaborateurs ..."));
    Cleanup_Collaborateurs(state_, work);
    if (!state_.Continue_Recovery) {
        return;
    }
    view_.SetStatus(QStringLiteral("Comptage des enregistrements ..."));
    if (const std::optional<RecoveryCounts> counts = Recovery_Comptage(state_, work)) {
        view_.ShowCounts(*counts);
        view_.Labels_Show(true);
    }
}

}  // namespace kalvor::recovery
