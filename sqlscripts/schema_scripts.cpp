#include "sqlscripts/schema_scripts.h"

#include "common/export_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "common/table_prefix.h"

#include "common/vb.h"
#include "platform/error.h"
#include "platform/system_reason.h"
#include "platform/textfile.h"
#include "sqlscripts/script_line.h"
#include "sqlscripts/sql_statements.h"

namespace kalvor::schema_scripts {
namespace {

// A script whose every line follows the chosen encoding. The old layout
// wrote only the code-list rows in UTF-8; the rest is ASCII but for the
// table comments, which a UTF-8 script now carries in UTF-8 too.
class Script {
  public:
    Script(const QString& path, bool utf8) : file_(CreateTextFile(path)), utf8_(utf8) {
        for (const QString& line : sql::ScriptHeader(utf8)) {
            Line(line);
        }
    }
    void Line(const QString& text) { ScriptLine(text).WriteTo(file_, utf8_); }
    void Box(int hyphens, const QString& title) {
        const QString rule = QStringLiteral("# ") + QString(hyphens, u'-');
        Line(rule);
        Line(title);
        Line(rule);
    }
    void Close() { file_.Close(); }

  private:
    TextFile file_;
    bool utf8_;
};

struct CodeItem {
    int model;
    int item;
    const char* label;  // UTF-8 literal
};

// List 0: the collectible object types; 1: first edition or not; 98 and 99:
// the two yes/no lists of the pages.
constexpr CodeItem kObjectTypes[] = {
    {0, 1000, "Divers"},
    {0, 1001, "Ex-Libris"},
    {0, 1002, "Portfolio"},
    {0, 1003, "Dossier de Presse"},
    {0, 1004, "Affiche"},
    {0, 1005, "Sérigraphie"},
    {0, 1006, "Lithographie"},
    {0, 1007, "Carte"},
    {0, 1008, "Timbre"},
    {0, 1009, "Marque Page"},
    {0, 1010, "Coffret"},
    {0, 1011, "Publicité / PLV"},
    {0, 1012, "Plaque émaillée"},
    {0, 1013, "Calendrier"},
    {0, 1014, "Objet promotionnel"},
    {0, 1015, "Etiquette"},
    {0, 2001, "Statuette"},
    {0, 2002, "Vaisselle"},
    {0, 2003, "Textile"},
    {0, 2004, "Véhicule"},
    {0, 3001, "Vidéo"},
    {0, 3002, "Jeux"},
    {0, 3003, "Musique"},
    {0, 4001, "Planche"},
    {0, 4002, "Dessin / Croquis"},
    {0, 4003, "Bleu"},
    {0, 4004, "Crayonné"},
    {0, 4005, "Scénario"},
    {0, 4006, "Illustration"},
    {0, 4007, "Couverture"},
};
constexpr CodeItem kOtherLists[] = {
    {1, 0, "Réédition"},  {1, 1, "Édition originale"},
    {98, 0, "Non Signé"}, {98, 1, "Signé"},
    {99, 0, "Non"},       {99, 1, "Oui"},
};

QString itemRow(const QString& prefix, const CodeItem& item) {
    return QStringLiteral("INSERT INTO %1model_item VALUES (%2, %3, '%4');")
        .arg(prefix)
        .arg(item.model)
        .arg(item.item)
        .arg(QString::fromUtf8(item.label));
}

QString charset(bool utf8) {
    return utf8 ? QStringLiteral("utf8") : QStringLiteral("latin1");
}

// The closing line of a CREATE TABLE. The charset is explicit because a
// host's default (utf8mb4 on today's servers) makes a key on a varchar(255)
// longer than MyISAM's 1000 bytes; it is also the one the script's bytes are in.
QString closing(const QString& comment, bool utf8) {
    return QStringLiteral(") ENGINE=MyISAM DEFAULT CHARSET=") + charset(utf8) +
           QStringLiteral(" COMMENT='") + comment + QStringLiteral("';");
}

// Texts take up to 255 letters, each beyond Windows-1252 written as a
// reference of up to eight characters, and comments may pass blob's 65,535
// bytes. A key on a text takes its first 255 characters: 765 bytes in utf8,
// within MyISAM's 1000.
const QStringList kSeriesColumns = {
    QStringLiteral("idserie int(8) NOT NULL default '0',"),
    QStringLiteral("titre text default NULL,"),
    QStringLiteral("style text default NULL,"),
    QStringLiteral("commentaire mediumblob,"),
    QStringLiteral("planche text default NULL,"),
    QStringLiteral("internet text default NULL,"),
    QStringLiteral("encours int(2) default '0',"),
};

const QStringList kAuteursColumns = {
    QStringLiteral("idauteur int(4) NOT NULL default '0',"),
    QStringLiteral("nom text default NULL,"),
    QStringLiteral("prenom text default NULL,"),
    QStringLiteral("photo text default NULL,"),
    QStringLiteral("datenaissance date default '0000-00-00',"),
    QStringLiteral("datedeces date default '0000-00-00',"),
    QStringLiteral("pays text default NULL,"),
    QStringLiteral("pseudo text default NULL,"),
    QStringLiteral("commentaire mediumblob,"),
    QStringLiteral("scenario int(1) default '0',"),
    QStringLiteral("dessin int(1) default '0',"),
    QStringLiteral("couleur int(1) default '0',"),
    QStringLiteral("internet text default NULL,"),
    QStringLiteral("display text default NULL,"),
    QStringLiteral("PRIMARY KEY  (idauteur),"),
    QStringLiteral("UNIQUE KEY idauteur (idauteur),"),
    QStringLiteral("key idauteur_2(idauteur),"),
    QStringLiteral("key display(display(255))"),
};

const QStringList kAlbumsColumns = {
    QStringLiteral("idalbum int(8) NOT NULL default '0',"),
    QStringLiteral("num integer(8) default NULL,"),
    QStringLiteral("titre text default NULL,"),
    QStringLiteral("idserie int(8) default '0',"),
    QStringLiteral("iddessinateur int(8) default '0',"),
    QStringLiteral("idscenariste int(8) default '0',"),
    QStringLiteral("dateachat date default NULL,"),
    QStringLiteral("editeur text default NULL,"),
    QStringLiteral("format int(8) default '0',"),
    QStringLiteral("collection text default NULL,"),
    QStringLiteral("coteactuelle int(6) default NULL,"),
    QStringLiteral("reference text default NULL,"),
    QStringLiteral("dl varchar(7) default NULL,"),
    QStringLiteral("couverture text default NULL,"),
    QStringLiteral("notealbum varchar(50) default NULL,"),
    QStringLiteral("idcoloriste int(8) default '0',"),
    QStringLiteral("broche int(4) default '0',"),
    QStringLiteral("nbpages int(4) default NULL,"),
    QStringLiteral("numa text default NULL,"),
    QStringLiteral("verso text default NULL,"),
    QStringLiteral("edo int(1) default '0',"),
    QStringLiteral("integrale int(1) default '0',"),
    QStringLiteral("dedicace text default NULL,"),
    QStringLiteral("commentaire mediumblob,"),
    QStringLiteral("perso1 text default NULL,"),
    QStringLiteral("perso2 text default NULL,"),
    QStringLiteral("perso3 text default NULL,"),
    QStringLiteral("perso4 int(8) default '0',"),
    QStringLiteral("horsserie int(1) default '0',"),
    QStringLiteral("editionlimitee int(1) default '0',"),
};

const QStringList kSeriesKeys = {QStringLiteral("PRIMARY KEY  (idserie),"),
                                 QStringLiteral("key idserie(idserie),"),
                                 QStringLiteral("KEY style (style(255))")};

const QStringList kAlbumsKeys = {QStringLiteral("PRIMARY KEY  (idalbum),"),
                                 QStringLiteral("UNIQUE KEY idalbum (idalbum),"),
                                 QStringLiteral("KEY idalbum_2(idalbum),"),
                                 QStringLiteral("KEY idserie (idserie),"),
                                 QStringLiteral("KEY iddessinateur (iddessinateur),"),
                                 QStringLiteral("KEY idscenariste (idscenariste),"),
                                 QStringLiteral("KEY idcoloriste (idcoloriste),"),
                                 QStringLiteral("KEY dateachat(dateachat),"),
                                 QStringLiteral("KEY horsserie(horsserie),"),
                                 QStringLiteral("KEY editeur(editeur(255)),"),
                                 QStringLiteral("KEY collection(collection(255)),"),
                                 QStringLiteral("KEY notealbum(notealbum)")};

const QStringList kParabdLines = {
    QStringLiteral("  idparabd int(8) NOT NULL default '0',"),
    QStringLiteral("  idalbum int(8) default '0',"),
    QStringLiteral("  idserie int(8) default '0',"),
    QStringLiteral("  description text default NULL,"),
    QStringLiteral("  iddessinateur int(8) default '0',"),
    QStringLiteral("  dl varchar(7) default '',"),
    QStringLiteral("  numero int(4) default '0',"),
    QStringLiteral("  nombre int(4) default '0',"),
    // A dimension is a number written with up to fifteen digits, a sign, a
    // point and an exponent.
    QStringLiteral("  largeur varchar(24) default NULL,"),
    QStringLiteral("  longueur varchar(24) default NULL,"),
    QStringLiteral("  libraire text default NULL,"),
    QStringLiteral("  editeur text default NULL,"),
    QStringLiteral("  signe int(1) default '0',"),
    QStringLiteral("  hc int(1) default '0',"),
    QStringLiteral("  ea int(1) default '0',"),
    QStringLiteral("  tireapart int(1) default '0',"),
    QStringLiteral("  typeobjet int(3) default '0',"),
    QStringLiteral("  typecouleur int(1) default '0',"),
    QStringLiteral("  imageex text default NULL,"),
    QStringLiteral("  commentaire mediumblob,"),
    QStringLiteral("  idscenariste int(8) default '0',"),
    QStringLiteral("  idcoloriste int(8) default '0',"),
    QStringLiteral("  dateachat date default '0000-00-00',"),
    QStringLiteral("  PRIMARY KEY  (idparabd),"),
    QStringLiteral("  UNIQUE KEY idparabd (idparabd),"),
    QStringLiteral("  key idparabd_2(idparabd, idalbum, idserie, iddessinateur)"),
};

const QStringList kRevuesLines = {
    QStringLiteral("idrevue int(8) NOT NULL default '0',"),
    QStringLiteral("idserie int(8) default '0',"),
    QStringLiteral("num integer(8) default NULL,"),
    QStringLiteral("date date default '0000-00-00',"),
    QStringLiteral("editeur text default NULL,"),
    QStringLiteral("periodicite text default NULL,"),
    // The catalogue's AuNumero is a text ("Abonnement", "Au numéro"), which an int drops.
    QStringLiteral("reliure text default NULL,"),
    QStringLiteral("prix_achat int(6) default NULL,"),
    QStringLiteral("cote int(6) default NULL,"),
    QStringLiteral("commentaire mediumblob,"),
    QStringLiteral("serie1 text default NULL,"),
    QStringLiteral("serie2 text default NULL,"),
    QStringLiteral("serie3 text default NULL,"),
    QStringLiteral("serie4 text default NULL,"),
    QStringLiteral("sujet1 text default NULL,"),
    QStringLiteral("sujet2 text default NULL,"),
    QStringLiteral("sujet3 text default NULL,"),
    QStringLiteral("sujet4 text default NULL,"),
    QStringLiteral("sujet5 text default NULL,"),
    QStringLiteral("couverture text default NULL,"),
    QStringLiteral("PRIMARY KEY  (idrevue),"),
    QStringLiteral("UNIQUE KEY idalbum (idrevue),"),
    QStringLiteral("KEY idserie (idserie),"),
    QStringLiteral("key editeur(editeur(255))"),
};

// The tables in the order the removal script drops them.
const QStringList kDropOrder = {
    QStringLiteral("albums"),     QStringLiteral("acheter"),        QStringLiteral("parabd"),
    QStringLiteral("auteurs"),    QStringLiteral("auteurs2"),       QStringLiteral("auteurs3"),
    QStringLiteral("series"),     QStringLiteral("series2"),        QStringLiteral("series3"),
    QStringLiteral("series4"),    QStringLiteral("kalvor"),         QStringLiteral("model"),
    QStringLiteral("model_item"), QStringLiteral("collaborateurs"), QStringLiteral("revues"),
};

void table(Script& s, const QString& prefix, const QString& name, const QStringList& lines) {
    s.Line(QStringLiteral("CREATE TABLE ") + prefix + name + QStringLiteral(" ("));
    for (const QString& line : lines) {
        s.Line(line);
    }
}

void writeTables(const QString& path, const QString& p, bool utf8) {
    Script s(path, utf8);
    const auto series = [&](const QString& name, const QString& title, const QStringList& keys,
                            const QString& comment) {
        s.Box(31, title);
        table(s, p, name, kSeriesColumns + keys);
        s.Line(closing(comment, utf8));
    };
    const QStringList plainKeys = {QStringLiteral("PRIMARY KEY  (idserie),"),
                                   QStringLiteral("key idserie(idserie)")};
    series(QStringLiteral("series"), QStringLiteral("# Structure de la table `series` "),
           kSeriesKeys, QStringLiteral("table séries basée sur ormelo 4.22"));
    series(QStringLiteral("series2"), QStringLiteral("# Structure de la table `series2`"),
           plainKeys,
           QStringLiteral("table séries pour les albums à acheter basée sur ormelo 4.22"));
    series(QStringLiteral("series3"), QStringLiteral("# Structure de la table `series3`"),
           plainKeys, QStringLiteral("table séries pour le parabd basée sur ormelo 4.22"));
    series(QStringLiteral("series4"), QStringLiteral("# Structure de la table `series4`"),
           plainKeys, QStringLiteral("table séries pour les revues basée sur ormelo 4.22"));

    const auto auteurs = [&](const QString& name, const QString& title, const QString& comment) {
        s.Box(32, title);
        table(s, p, name, kAuteursColumns);
        s.Line(closing(comment, utf8));
    };
    auteurs(QStringLiteral("auteurs"), QStringLiteral("# Structure de la table `auteurs` "),
            QStringLiteral("table auteurs basée sur ormelo 4.22"));
    auteurs(QStringLiteral("auteurs2"), QStringLiteral("# Structure de la table `auteurs2`"),
            QStringLiteral("table auteurs pour les albums à acheter basée sur ormelo 4.22"));
    auteurs(QStringLiteral("auteurs3"), QStringLiteral("# Structure de la table `auteurs3`"),
            QStringLiteral("table auteurs pour le parabd basée sur ormelo 4.22"));

    s.Box(30, QStringLiteral("# Structure de la table `albums`"));
    table(s, p, QStringLiteral("albums"), kAlbumsColumns + kAlbumsKeys);
    s.Line(closing(QStringLiteral("table albums basée sur ormelo 4.22"), utf8));

    s.Box(31, QStringLiteral("# Structure de la table `acheter`"));
    table(s, p, QStringLiteral("acheter"),
          kAlbumsColumns + QStringList{QStringLiteral("PRIMARY KEY  (idalbum),"),
                                       QStringLiteral("UNIQUE KEY idalbum (idalbum),"),
                                       QStringLiteral("key idalbum_2(idalbum),"),
                                       QStringLiteral("KEY idserie (idserie),"),
                                       QStringLiteral("KEY iddessinateur (iddessinateur),"),
                                       QStringLiteral("KEY idscenariste (idscenariste),"),
                                       QStringLiteral("KEY idcoloriste (idcoloriste),"),
                                       QStringLiteral("KEY notealbum(notealbum)")});
    s.Line(closing(QStringLiteral("table acheter basée sur ormelo 4.22"), utf8));

    s.Box(31, QStringLiteral("# Structure de la table `parabd` "));
    table(s, p, QStringLiteral("parabd"), kParabdLines);
    s.Line(closing(QStringLiteral("table parabd basée sur ormelo 4.22"), utf8));

    s.Box(32, QStringLiteral("# Table parametres "));
    table(s, p, QStringLiteral("kalvor"),
          {QStringLiteral("  last_update date default '0000-00-00'")});
    s.Line(closing(QStringLiteral("parametres de kalvor"), utf8));
    s.Line(QStringLiteral("INSERT INTO ") + p + QStringLiteral("kalvor VALUES ('") +
           vb::Now().date().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("');"));

    s.Box(32, QStringLiteral("# Table Model"));
    table(s, p, QStringLiteral("model"),
          {QStringLiteral("  model int(2) NOT NULL default '0',"),
           QStringLiteral("  model_desc varchar(255) default NULL,"),
           QStringLiteral("  PRIMARY KEY  (model)")});
    s.Line(closing(QStringLiteral("table parent structure Kalvor"), utf8));
    for (const char* row :
         {"model VALUES (0, 'Type d\\'objet Parabd');", "model VALUES (1, 'eo');",
          "model VALUES (98, 'SignéNonSigné');", "model VALUES (99, 'OuiNon');"}) {
        s.Line(QStringLiteral("INSERT INTO ") + p + QString::fromUtf8(row));
    }

    s.Box(32, QStringLiteral("# Table Model_Item"));
    table(s, p, QStringLiteral("model_item"),
          {QStringLiteral("  model int(2) NOT NULL default '0',"),
           QStringLiteral("  model_item int(3) NOT NULL default '0',"),
           QStringLiteral("  item_desc varchar(255) default NULL,"),
           QStringLiteral("  PRIMARY KEY  (model,model_item),"),
           QStringLiteral("  UNIQUE KEY model_item (model,model_item),"),
           QStringLiteral("  KEY model (model)")});
    s.Line(closing(QStringLiteral("table enfant structure Kalvor"), utf8));
    for (const CodeItem& item : kObjectTypes) {
        s.Line(itemRow(p, item));
    }
    for (const CodeItem& item : kOtherLists) {
        s.Line(itemRow(p, item));
    }

    s.Box(32, QStringLiteral("# Table Collaborateurs"));
    s.Line(QStringLiteral("CREATE TABLE `") + p + QStringLiteral("collaborateurs` ("));
    s.Line(QStringLiteral("  `idalbum` INT (8) DEFAULT '0' NOT NULL, "));
    s.Line(QStringLiteral("  `idauteur` INT (8) DEFAULT '0' NOT NULL, "));
    s.Line(QStringLiteral("  `typecollaboration` TINYINT (3) DEFAULT '0' NOT NULL, "));
    s.Line(QStringLiteral("  PRIMARY KEY(`idalbum`,`idauteur`,`typecollaboration`), "));
    s.Line(QStringLiteral("  INDEX(`idalbum`,`idauteur`,`typecollaboration`)"));
    s.Line(QStringLiteral(")  ENGINE=MyISAM DEFAULT CHARSET=") + charset(utf8) +
           QStringLiteral(" COMMENT = 'table collaborateurs basée sur ormelo 5';"));

    s.Box(32, QStringLiteral("# Table Revues"));
    table(s, p, QStringLiteral("revues"), kRevuesLines);
    s.Line(closing(QStringLiteral("table albums basée sur ormelo 4.22"), utf8));
    s.Close();
}

void writeDeleteTables(const QString& path, const QString& p, bool utf8) {
    Script s(path, utf8);
    s.Box(32, QStringLiteral("# Suppression des tables "));
    // IF EXISTS: the removal must also clear what is left of a partial schema.
    for (const QString& name : kDropOrder) {
        s.Line(QStringLiteral("DROP TABLE IF EXISTS `") + p + name + QStringLiteral("`;"));
    }
    s.Close();
}

// Runs `statement` only where `table` has the index `index` (or has it not),
// so that the script can run again: through a prepared statement, which
// MySQL takes as MariaDB does.
void byIndex(Script& s, const QString& table, const QString& index, bool present,
             const QString& statement) {
    s.Line(QStringLiteral("SET @kalvor_index = (SELECT IF(COUNT(*) %1 0, '%2', 'DO 0') FROM "
                          "information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE() AND "
                          "TABLE_NAME = '%3' AND INDEX_NAME = '%4');")
               .arg(present ? QStringLiteral(">") : QStringLiteral("="))
               .arg(statement, table, index));
    s.Line(QStringLiteral("PREPARE kalvor_index FROM @kalvor_index;"));
    s.Line(QStringLiteral("EXECUTE kalvor_index;"));
    s.Line(QStringLiteral("DEALLOCATE PREPARE kalvor_index;"));
}

// Sites made before the texts were text and the comments mediumblob. A key
// on a text is made again on its first 255 characters, which MySQL requires
// and MariaDB would otherwise choose itself; a site may lack it.
void widenTexts(Script& s, const QString& p, const QString& name, const QStringList& lines) {
    QStringList changes;
    for (QString line : lines) {
        line = line.trimmed();
        if (line.endsWith(u','))
            line.chop(1);
        if (line.contains(QLatin1String("(255))"))) {
            const QString key = line.section(u' ', 1).section(u'(', 0, 0).trimmed();
            byIndex(s, p + name, key, true,
                    QStringLiteral("ALTER TABLE %1 DROP KEY %2").arg(p + name, key));
            changes << QStringLiteral("  ADD ") + line + u',';
        } else if (line.contains(QLatin1String(" text ")) ||
                   line.contains(QLatin1String(" mediumblob"))) {
            changes << QStringLiteral("  MODIFY ") + line + u',';
        }
    }
    changes.last().chop(1);
    changes.last() += u';';
    s.Line(QStringLiteral("ALTER TABLE ") + p + name);
    for (const QString& line : changes)
        s.Line(line);
}

void writeUpgrade(const QString& path, const QString& p, bool utf8) {
    Script s(path, utf8);
    s.Line(QStringLiteral("ALTER TABLE ") + p + QStringLiteral("model_item CHANGE "));
    s.Line(QStringLiteral("  model_item model_item int(3) NOT NULL default '0';"));
    s.Box(32, QStringLiteral("# Table PARABD"));
    s.Line(QStringLiteral("ALTER TABLE ") + p + QStringLiteral("parabd "));
    for (const char* line : {
             "  CHANGE idalbum idalbum int(8) default NULL default '0',",
             "  CHANGE idserie idserie int(8) default NULL default '0',",
             "  CHANGE description description text default NULL,",
             "  CHANGE iddessinateur iddessinateur int(8) default NULL default '0',",
             "  CHANGE dl dl varchar(7) default NULL default '',",
             "  CHANGE numero numero int(4) default NULL default '0',",
             "  CHANGE nombre nombre int(4) default NULL default '0',",
             "  CHANGE largeur largeur varchar(24) default NULL,",
             "  CHANGE longueur longueur varchar(24) default NULL,",
             "  CHANGE libraire libraire text default NULL,",
             "  CHANGE editeur editeur text default NULL,",
             "  CHANGE signe signe int(1) default NULL default '0',",
             "  CHANGE hc hc int(1) default NULL default '0',",
             "  CHANGE ea ea int(1) default NULL default '0',",
             "  CHANGE tireapart tireapart int(1) default NULL default '0',",
             "  CHANGE typeobjet typeobjet int(3) default NULL default '0',",
             "  CHANGE typecouleur typecouleur int(1) default NULL default '0',",
             "  CHANGE imageex imageex text default NULL,",
             "  CHANGE commentaire commentaire mediumblob default NULL,",
             "  CHANGE idscenariste idscenariste int(8) default NULL default '0',",
             "  CHANGE idcoloriste idcoloriste int(8) default NULL default '0',",
             "  CHANGE dateachat dateachat date default '0000-00-00';",
         }) {
        s.Line(QString::fromUtf8(line));
    }
    s.Box(32, QStringLiteral("# Table Model_Item"));
    s.Line(QStringLiteral("delete from ") + p + QStringLiteral("model_item where model = 0;"));
    for (const CodeItem& item : kObjectTypes) {
        s.Line(itemRow(p, item));
    }
    // The older single types 0-5, as the data exports map them too.
    constexpr int kOldToNew[][2] = {{0, 1001}, {1, 1009}, {2, 2001},
                                    {3, 1004}, {4, 1000}, {5, 1002}};
    for (const auto& move : kOldToNew) {
        s.Line(QStringLiteral("update %1parabd set typeobjet = %2 where typeobjet=%3;")
                   .arg(p)
                   .arg(move[1])
                   .arg(move[0]));
    }
    s.Line(QStringLiteral("delete from ") + p +
           QStringLiteral("model_item where model = 0 and model_item <= 5;"));
    // Sites made with reliure int(4) stored 0 for every "Au numéro" text.
    s.Box(32, QStringLiteral("# Table Revues"));
    s.Line(QStringLiteral("ALTER TABLE ") + p +
           QStringLiteral("revues CHANGE reliure reliure text default NULL;"));
    // The rating pages look albums up by their rating.
    s.Box(32, QStringLiteral("# Index des notes"));
    for (const QString& table : {QStringLiteral("albums"), QStringLiteral("acheter")}) {
        byIndex(s, p + table, QStringLiteral("notealbum"), false,
                QStringLiteral("ALTER TABLE %1 ADD KEY notealbum(notealbum)").arg(p + table));
    }
    s.Box(32, QStringLiteral("# Textes longs"));
    for (const QString& name : {QStringLiteral("series"), QStringLiteral("series2"),
                                QStringLiteral("series3"), QStringLiteral("series4")})
        widenTexts(s, p, name, name == u"series" ? kSeriesColumns + kSeriesKeys : kSeriesColumns);
    for (const QString& name :
         {QStringLiteral("auteurs"), QStringLiteral("auteurs2"), QStringLiteral("auteurs3")})
        widenTexts(s, p, name, kAuteursColumns);
    widenTexts(s, p, QStringLiteral("albums"), kAlbumsColumns + kAlbumsKeys);
    widenTexts(s, p, QStringLiteral("acheter"), kAlbumsColumns);
    widenTexts(s, p, QStringLiteral("revues"), kRevuesLines);
    s.Close();
}

}  // namespace

QString ScriptsFolder(const QString& GV_Export) {
    return GV_Export + QStringLiteral("/scripts");
}

QString MakeScriptsFolder(const QString& GV_Export) {
    RequireExportFolder(GV_Export);
    const QString folder = ScriptsFolder(GV_Export);
    if (!QFileInfo(folder).isDir()) {
        // Only the last level is made: a missing export folder is an error.
        if (!QFileInfo(GV_Export).isDir()) {
            throw Error(err::PathNotFound,
                        QStringLiteral("Chemin d'accès introuvable : %1").arg(folder));
        }
        MakeFolder(folder);
    }
    return folder;
}

void Create_Tables_Sql(const SchemaScriptSettings& settings) {
    RequireTablePrefix(settings.GV_Prefixe_Table);
    const QString folder = MakeScriptsFolder(settings.GV_Export);
    const QString& prefix = settings.GV_Prefixe_Table;
    writeTables(folder + QStringLiteral("/tables.sql"), prefix, settings.opt_utf8);
    writeDeleteTables(folder + QStringLiteral("/delete_tables.sql"), prefix, settings.opt_utf8);
    writeUpgrade(folder + QStringLiteral("/evolution_version173_a_version181.sql"), prefix,
                 settings.opt_utf8);
}

}  // namespace kalvor::schema_scripts
