#include "common/vb.h"
#include "platform/registry/registry.h"
#include "settings/settings.h"
#include "settings/settings_store.h"

namespace kalvor {

using store::Key;
using store::save;
using store::write;

// In the order the file has always been written: new values are added to a
// key in the order they are first written.
bool Settings::save_Config() {
    Registry::Batch batch(Registry::currentUser());

    save(*this, Key::Titre);
    write(Key::Repertoire, Opt_Absolu()    ? QStringLiteral("absolu")
                           : Opt_Sousrep() ? QStringLiteral("sousrep")
                                           : QStringLiteral("relatif"));
    for (int i : store::kBoxOrder) {
        save(*this, store::imageKinds()[i].rep);
    }
    save(*this, Key::Require);
    save(*this, Key::Export);

    const bool thumbs = opt_miniatures == 1;
    if (thumbs) {
        save(*this, Key::Prefix);
    }
    for (int i : {store::kCouvertures, store::kVersos, store::kPlanches, store::kPhotos,
                  store::kDedicaces, store::kParabd, store::kRevues}) {
        const store::ImageKind& k = store::imageKinds()[i];
        write(k.thumb, thumbs ? this->*k.thumbVar : QString());
    }

    write(Key::Email, opt_email == 1 ? box_email : QString());
    write(Key::SitePrincipal, opt_quitter == 1 ? box_siteprincipal : QString());
    for (Key k : {Key::Stats, Key::NbCol, Key::Collection, Key::Verso, Key::Host, Key::Login,
                  Key::Password, Key::Base, Key::PrefixeTable, Key::Manuel}) {
        save(*this, k);
    }

    const bool split = Opt_split_yes();
    write(Key::Split, split ? QStringLiteral("true") : QStringLiteral("false"));
    // A window closed while its box still holds a text that is no number
    // keeps the group last accepted.
    const QString group = vb::WholeNumber(box_SplitGroup) ? box_SplitGroup : splitGroupAccepted;
    write(Key::SplitGroup, split ? group : QStringLiteral("500"));

    for (Key k = Key::Eo; k <= Key::NbListe; k = store::next(k)) {
        if (k != Key::Miniature) {
            save(*this, k);
        }
    }
    for (Key k = Key::Perso1; k <= Key::Perso4; k = store::next(k)) {
        save(*this, k);
    }
    save(*this, Key::Miniature);

    Save_LastRun();

    save(*this, Key::SeriesAccueil);
    save(*this, Key::ImageAccueil);
    if (opt_image_accueil != 1) {
        write(Key::ColAccueil, QString());
        write(Key::LigneAccueil, QString());
    } else if (box_col_accueil == u"Auto") {
        write(Key::ColAccueil, QStringLiteral("1"));
        write(Key::LigneAccueil, box_albums_accueil);
    } else {
        write(Key::ColAccueil, box_col_accueil);
        write(Key::LigneAccueil, box_ligne_accueil);
    }

    for (Key k : {Key::Commentaire, Key::Imprimer, Key::BaspageUse, Key::BaspageHaut, Key::Auteur,
                  Key::DediPlace, Key::Site}) {
        save(*this, k);
    }
    write(Key::OptPathParabd, opt_path_parabd() ? QStringLiteral("1") : QStringLiteral("2"));
    save(*this, Key::PluginTintinId);
    save(*this, Key::PluginTintin);
    write(Key::Latin1, opt_latin1() ? QStringLiteral("True") : QStringLiteral("False"));
    for (Key k = Key::TriPara1; k <= Key::TriPara7; k = store::next(k)) {
        save(*this, k);
    }
    return batch.commit();
}

namespace {
constexpr std::array<Key, 6> kMarks{
    Key::LastRun, Key::LastId, Key::LastIdPara, Key::LastIdRevue, Key::LastCollaborateurs,
    Key::LastFull};
}

std::array<QString, 6> Settings::marks() const {
    return {GV_LastRun,
            QString::number(GV_LastId),
            QString::number(GV_LastIdPara),
            QString::number(GV_LastIdRevue),
            GV_LastCollaborateurs,
            GV_LastFull};
}

QString Settings::MarkName(Mark mark) {
    return QString::fromLatin1(store::row(kMarks[std::size_t(mark)]).name);
}

std::optional<Settings::Mark> Settings::MarkNamed(const QString& name) {
    for (std::size_t i = 0; i < kMarks.size(); ++i) {
        if (name.compare(MarkName(Mark(i)), Qt::CaseInsensitive) == 0) {
            return Mark(i);
        }
    }
    return std::nullopt;
}

bool Settings::Write_Marks(const MarkTexts& marks) {
    Registry& registry = Registry::currentUser();
    registry.reload();
    Registry::Batch batch(registry);
    for (const auto& [mark, text] : marks) {
        write(kMarks[std::size_t(mark)], text);
    }
    if (!batch.commit()) {
        return false;
    }
    // Inside another batch (the start's) the commit only defers: the marks
    // are on disk before the scripts they describe are taken as published.
    return !registry.inBatch() || registry.saveNow();
}

Settings::MarkTexts Settings::Stored_Marks(const MarkTexts& marks) {
    Registry::currentUser().reload();
    MarkTexts stored;
    for (const auto& mark : marks) {
        stored.append(
            {mark.first, store::read(kMarks[std::size_t(mark.first)]).value_or(QString())});
    }
    return stored;
}

void Settings::Marks_Saved() {
    savedMarks_ = marks();
}

bool Settings::Save_LastRun() {
    if (!GV_LastRun_Changed) {
        return true;
    }
    const std::array<QString, 6> now = marks();
    Registry::Batch batch(Registry::currentUser());
    for (std::size_t i = 0; i < kMarks.size(); ++i) {
        if (!savedMarks_ || (*savedMarks_)[i] != now[i]) {
            save(*this, kMarks[i]);
        }
    }
    if (!batch.commit()) {
        // Left as unsaved: the store keeps them and the next save tries again.
        return false;
    }
    savedMarks_ = now;
    return true;
}

}  // namespace kalvor
