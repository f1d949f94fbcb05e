#include "sitecheck/site_check.h"

#include <algorithm>

#include "common/banner.h"
#include "common/operation.h"
#include "platform/error.h"
#include "platform/inet.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "sitecheck/site_comparison.h"
#include "sitecheck/site_listing.h"
#include "sitecheck/site_work_tables.h"

namespace kalvor::site {

namespace {

QString listingLines(const QList<UnreadListing>& listings) {
    QString text;
    for (const UnreadListing& listing : listings) {
        text += (listing.script == kScriptThumbs ? QStringLiteral("\n- miniatures « ")
                                                 : QStringLiteral("\n- images « ")) +
                listing.rep + QStringLiteral(" » (") + listing.script + QStringLiteral(".php) : ") +
                listing.reason;
    }
    return text;
}

// The listings asked once the site answered the first, in order.
QList<std::pair<const QString*, QString>> laterListings(const CompareOptions& options) {
    QList<std::pair<const QString*, QString>> listings;
    for (const char* rep : {"versos", "photos", "planches", "dedicaces"}) {
        listings.append({&kScriptFiles, QString::fromLatin1(rep)});
    }
    if (options.parabd) {
        listings.append({&kScriptFiles, QStringLiteral("parabd")});
    }
    if (options.revues) {
        listings.append({&kScriptFiles, QStringLiteral("revues")});
    }
    for (const char* rep : {"dedicaces", "versos", "photos", "planches", "couvertures"}) {
        listings.append({&kScriptThumbs, QString::fromLatin1(rep)});
    }
    if (options.parabd) {
        listings.append({&kScriptThumbs, QStringLiteral("parabd")});
    }
    if (options.revues) {
        listings.append({&kScriptThumbs, QStringLiteral("revues")});
    }
    return listings;
}

// The reason given for a folder the site says it cannot open.
QString invalidFolderReason() {
    return QStringLiteral("réponse « ") + kInvalidFolder + QStringLiteral(" »");
}

CompareOptions options(const auto& taken) {
    return {taken.albums, taken.acheter, taken.collaborateurs, taken.parabd, taken.revues};
}

}  // namespace

QString Unread_Listings_Text(const QList<UnreadListing>& unread) {
    return QStringLiteral(
               "Ces listes du site n'ont pas pu être lues : le résultat ne tient pas compte de "
               "leurs répertoires.") +
           listingLines(unread);
}

QString No_Listing_Text(const QList<UnreadListing>& notListed) {
    const bool invalidFolder =
        std::any_of(notListed.begin(), notListed.end(),
                    [](const UnreadListing& l) { return l.reason == invalidFolderReason(); });
    return QStringLiteral("aucun répertoire d'images du site n'a pu être listé. Vérifiez ") +
           (invalidFolder ? QStringLiteral("les répertoires de l'onglet « 5. Répertoires » et ")
                          : QString()) +
           QStringLiteral("les fichiers check_files.php et check_thumbs.php du site.") +
           listingLines(notListed);
}

QString Ended_Text(const CheckResult& result, const QTime& at) {
    QString text = QStringLiteral(
                       "Vérification terminée à %1 : %2 fichier(s) manquant(s), %3 fichier(s) non "
                       "référencé(s), %4 problème(s) de miniature")
                       .arg(at.toString(QStringLiteral("HH:mm")))
                       .arg(result.missing.size())
                       .arg(result.unreferenced.size())
                       .arg(result.thumbnails.size());
    // Counts of folders not compared would read as all present.
    if (!result.unchecked.isEmpty()) {
        text += QStringLiteral(" ; %1 liste(s) du site non lue(s), leurs dossiers non vérifiés")
                    .arg(result.unchecked.size());
    }
    return text + u'.';
}

SiteCheck::SiteCheck(Prompt& prompt, SiteCheckView& view) : prompt_(prompt), view_(view) {}

bool SiteCheck::Begin(const Settings& settings) {
    if (running_) {
        return false;
    }
    if (settings.box_site.isEmpty()) {
        prompt_.message(QStringLiteral("Veuillez renseigner l'URL de votre site"), kBanner,
                        PromptIcon::Exclamation);
        return false;
    }
    running_ = true;
    stopping_ = false;
    taken_ =
        Taken{settings.GV_Chemin_Base,  settings.box_site,         settings.box_prefix,
              settings.opt_albums == 1, settings.opt_acheter == 1, settings.Opt_Collaborateurs == 1,
              settings.opt_parabd == 1, settings.opt_revues == 1};
    prompt_.setBusy(true);
    view_.Enable_Check(false);
    // The work tables are rebuilt from here on: the earlier result is no
    // longer there to show or print, even while the site is waited for.
    result_ = CheckResult();
    for (QList<TreeNode>& nodes : nodes_) {
        nodes.clear();
    }
    view_.Clear_Results();
    view_.Show_Phase(QStringLiteral("Création des tables temporaires ..."));
    cause_.clear();
    return true;
}

void SiteCheck::Work(Inet& inet) {
    {
        const QMutexLocker lock(&stopMutex_);
        inet_ = &inet;
    }
    ending_ = Ending::Error;
    if (const std::optional<Failure> failure = Attempt([&] { ending_ = run(taken_); })) {
        ending_ = Ending::Error;
        cause_ = failure->description;
    }
    const QMutexLocker lock(&stopMutex_);
    inet_ = nullptr;
}

void SiteCheck::End() {
    if (ending_ == Ending::Done && !stopping_) {
        showResult();
    }
    prompt_.setBusy(false);
    if (ending_ == Ending::Error && !stopping_) {
        prompt_.message(QStringLiteral("La vérification du site a échoué : ") + cause_, kBanner,
                        PromptIcon::Critical);
    }
    view_.Enable_Check(true);
    view_.Show_Phase(taken_.base);
    running_ = false;
    stopping_ = false;
}

void SiteCheck::Stop() {
    const QMutexLocker lock(&stopMutex_);
    if (!running_) {
        return;
    }
    stopping_ = true;
    if (inet_ != nullptr) {
        inet_->Abort();
    }
}

SiteCheck::Ending SiteCheck::run(const Taken& taken) {
    if (!prepareWorkTables(taken.base)) {
        return Ending::Error;
    }
    view_.Show_Phase(QStringLiteral("Recherche des informations sur le site ..."));
    state_ = SiteCheckState();
    if (const std::optional<Ending> ending = listFolders(taken)) {
        return *ending;
    }
    // A folder not listed whole is not compared: its images would all be
    // missing, its thumbnails without image.
    Forget_Unread_Listings(taken.base, state_.unread);
    view_.Show_Phase(QStringLiteral("Comparaison ..."));
    if (!compare(taken)) {
        return Ending::Error;
    }
    if (stopping_) {
        return Ending::Quiet;
    }
    readResult(taken.base);
    return stopping_ ? Ending::Quiet : Ending::Done;
}

bool SiteCheck::prepareWorkTables(const QString& base) {
    if (Drop_Tables_Temp(base, prompt_, &cause_) && Create_Tables_Temp(base, prompt_, &cause_)) {
        return true;
    }
    cause_ = QStringLiteral("les tables de travail n'ont pas pu être préparées dans la base ") +
             base + QStringLiteral(" : ") + cause_;
    return false;
}

std::optional<SiteCheck::Ending> SiteCheck::listFolders(const Taken& taken) {
    // Every listing not read, in the order asked: what a check that read none
    // names, each with what happened to it.
    QList<UnreadListing> notListed;
    fetchListing(taken, kScriptFiles, QStringLiteral("couvertures"), true, notListed);
    if (stopping_) {
        return Ending::Quiet;
    }
    if (!state_.GV_Site_OK) {
        prompt_.message(QStringLiteral("Erreur lors de la lecture des fichiers du site.\nVérifiez "
                                       "que le fichier ") +
                            kScriptFiles +
                            QStringLiteral(".php est présent sur votre site : générez les "
                                           "fichiers PHP (onglet « 7. Génération ») et "
                                           "publiez-les à nouveau."),
                        kBanner, PromptIcon::Critical);
        return Ending::Quiet;
    }
    // The site answered the first: a later listing that fails leaves out
    // its folder only.
    for (const auto& [script, rep] : laterListings(options(taken))) {
        if (stopping_) {
            return Ending::Quiet;
        }
        fetchListing(taken, *script, rep, false, notListed);
    }
    if (stopping_) {
        return Ending::Quiet;
    }
    if (state_.GV_Nb_Rep == 0) {
        cause_ = No_Listing_Text(notListed);
        return Ending::Error;
    }
    return std::nullopt;
}

void SiteCheck::fetchListing(const Taken& taken, const QString& script, const QString& rep,
                             bool first, QList<UnreadListing>& notListed) {
    const qsizetype unread = state_.unread.size();
    try {
        if (Get_Fichiers_Site(*inet_, taken.site, taken.base, script,
                              script == kScriptFiles ? kTableFiles : kTableThumbs, rep,
                              state_) == ListingOutcome::NotListed &&
            state_.unread.size() == unread) {
            notListed.append({script, rep, invalidFolderReason()});
        }
    } catch (const Error& e) {
        // The first listing's failure is the check's.
        if (first) {
            throw;
        }
        state_.unread.append({script, rep, e.Description()});
    }
    notListed.append(state_.unread.mid(unread));
}

// A stop is heard between two statements, each a fraction of the whole.
bool SiteCheck::compare(const Taken& taken) {
    for (const CatalogueReference& ref : Catalogue_References(taken.base, options(taken))) {
        if (stopping_) {
            return true;
        }
        if (!Unchecked_Files(state_.unread, ref.rep).isEmpty()) {
            continue;
        }
        if (!Compare_Fichiers(taken.base, ref.rep, ref.sql, prompt_)) {
            cause_ = QStringLiteral("la comparaison des fichiers « ") + ref.rep +
                     QStringLiteral(" » avec la base n'a pas abouti.");
            return false;
        }
    }
    if (!stopping_) {
        Compare_Miniatures(taken.base, taken.prefix, prompt_);
    }
    return true;
}

void SiteCheck::readResult(const QString& base) {
    try {
        Read_Check_Result(base, result_);
    } catch (const Error& e) {
        // What could be read is shown all the same.
        prompt_.message(QString::number(e.Number()) + e.Description(), QString(), PromptIcon::None);
    }
    result_.unchecked = state_.unread;
    // Tens of thousands of nodes: made here, off the window's thread.
    nodes_[0] = result_.Missing_Nodes();
    nodes_[1] = result_.Unreferenced_Nodes();
    nodes_[2] = result_.Thumbnail_Nodes();
}

void SiteCheck::showResult() {
    view_.Fill_TreeViews(result_);
    GV_Vue_Fichiers = true;
    view_.Enable_Results();
    view_.Show_Ended(Ended_Text(result_, QTime::currentTime()));
    QStringList notes;
    if (!state_.unread.isEmpty()) {
        notes << Unread_Listings_Text(state_.unread);
    }
    if (!state_.olderScripts.isEmpty() || !state_.uncountedScripts.isEmpty()) {
        notes << Older_Listings_Text(state_);
    }
    if (!notes.isEmpty()) {
        prompt_.message(notes.join(QStringLiteral("\n\n")), kBanner, PromptIcon::Exclamation);
    }
}

}  // namespace kalvor::site
