#include "settings/settings.h"

#include "platform/program_folder.h"

namespace kalvor {

const QString& Settings::PluginTintinDefaultPath() {
    static const QString path = QStringLiteral("http://www.kalvor.example/plugins/voitures");
    return path;
}

const std::array<QString, 7>& Settings::TriParaDefaults() {
    static const std::array<QString, 7> terms{QStringLiteral("typeobjet"),
                                              QStringLiteral("a.editeur"),
                                              QStringLiteral("c.num"),
                                              QStringLiteral("numero"),
                                              QStringLiteral("right(a.dl, 4), left(a.dl, 2)"),
                                              QStringLiteral("libraire"),
                                              QStringLiteral("description")};
    return terms;
}

static QStringList numbers(int from, int to) {
    QStringList list;
    for (int i = from; i <= to; ++i) {
        list << QString::number(i);
    }
    return list;
}

const QStringList& Settings::ColAccueilItems() {
    static const QStringList items{QStringLiteral("Auto"), QStringLiteral("2"), QStringLiteral("3"),
                                   QStringLiteral("4")};
    return items;
}
const QStringList& Settings::LigneAccueilItems() {
    static const QStringList items = numbers(2, 10);
    return items;
}
const QStringList& Settings::AlbumsAccueilItems() {
    static const QStringList items = numbers(6, 24);
    return items;
}

QString Settings::PersoCaption(int n) const {
    const QString* const captions[] = {&GV_Perso1, &GV_Perso2, &GV_Perso3, &GV_Perso4};
    const QString& caption = *captions[n - 1];
    return caption.isEmpty() ? QStringLiteral("Perso %1").arg(n) : caption;
}

Settings::Settings()
    : GV_App_Path(programFolder()), GV_Plugin_Tintin_Path(PluginTintinDefaultPath()) {
    QString* const tri[] = {&GV_Tri_Para_1, &GV_Tri_Para_2, &GV_Tri_Para_3, &GV_Tri_Para_4,
                            &GV_Tri_Para_5, &GV_Tri_Para_6, &GV_Tri_Para_7};
    for (int i = 0; i < 7; ++i) {
        *tri[i] = TriParaDefaults()[i];
    }
}

}  // namespace kalvor
