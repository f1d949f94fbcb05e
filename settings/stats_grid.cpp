#include "settings/stats_grid.h"

#include <algorithm>
#include <optional>

#include "common/general.h"
#include "common/vb.h"

namespace kalvor {
namespace {

struct Default {
    const char16_t* label;
    bool used;
    int nb;
    bool percent;
    bool autres;
};

const QString kAchetesPar = QStringLiteral("Nombre d'albums achetés par ");

// ST09 and ST10 have no value count nor "Autres" bar of their own on the page.
const QString kLocked1 = QStringLiteral("ST09");
const QString kLocked2 = QStringLiteral("ST10");

// The five values stored for each chart, named after its code.
enum class Field { Use, Nb, Type, Autres, Sequence };
QString valueName(const QString& code, Field field) {
    static const char* const suffixes[] = {"_use", "_nb", "_type", "_autres", "_sequence"};
    return code + QLatin1String(suffixes[static_cast<int>(field)]);
}

std::optional<QString> readValue(const QString& name) {
    const QVariant value =
        general::Get_Registry_Value(HKEY_CURRENT_USER, StatsGrid::RegistryKey(), name);
    if (value.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toString();
}

// "1", "1.0", " 1": the use flag is set when the text reads as the number 1.
bool readsAsOne(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok && value == 1.0;
}

}  // namespace

const QString& StatsGrid::RegistryKey() {
    static const QString key = QStringLiteral("software\\Kalvor\\Stats");
    return key;
}

StatsGrid::StatsGrid() {
    setDefaults(QString(), QString(), QString(), QString());
}

void StatsGrid::setDefaults(const QString& GV_Perso1, const QString& GV_Perso2,
                            const QString& GV_Perso3, const QString& GV_Perso4) {
    const Default defaults[kRows] = {
        {u"Répartition par style", true, 12, true, true},
        {u"Répartition par éditeur", true, 12, true, true},
        {u"Nombre d'albums achetés par mois", false, 6, false, false},
        {u"Nombre d'albums par série", false, 10, false, false},
        {u"Nombre d'albums par auteur", false, 10, false, false},
        {nullptr, false, 10, true, false},
        {nullptr, false, 10, true, false},
        {nullptr, false, 10, true, false},
        {nullptr, false, 10, true, false},
        {u"Répartition éditions originales / rééditions", false, 10, true, false},
        {u"Répartition des objets ParaBD", false, 10, false, false},
    };
    const QString persos[4] = {GV_Perso1, GV_Perso2, GV_Perso3, GV_Perso4};

    rows_.clear();
    for (int n = 1; n <= kRows; ++n) {
        const Default& d = defaults[n - 1];
        StatsChart chart;
        chart.code = QStringLiteral("ST%1").arg(n, 2, 10, QLatin1Char('0'));
        chart.label = d.label ? QString::fromUtf16(d.label) : kAchetesPar + persos[n - 6];
        chart.used = d.used;
        chart.nb = d.nb;
        chart.percent = d.percent;
        chart.autres = d.autres;
        chart.sequence = n;
        rows_.push_back(chart);
    }
    findLockedRows();
}

QStringList StatsGrid::Load(const QString& GV_Perso1, const QString& GV_Perso2,
                            const QString& GV_Perso3, const QString& GV_Perso4) {
    setDefaults(GV_Perso1, GV_Perso2, GV_Perso3, GV_Perso4);
    QStringList refused;
    for (StatsChart& chart : rows_) {
        const QString& c = chart.code;
        if (const auto use = readValue(valueName(c, Field::Use))) {
            chart.used = readsAsOne(*use);
        }
        // A count that is no whole number would break require.php: the
        // default stands in for it.
        if (const auto nb = readValue(valueName(c, Field::Nb))) {
            if (const auto number = vb::WholeNumber(*nb)) {
                chart.nb = int(*number);
            } else {
                refused << valueName(c, Field::Nb);
            }
        }
        if (const auto type = readValue(valueName(c, Field::Type))) {
            chart.percent = *type == u"pct";
        }
        if (const auto autres = readValue(valueName(c, Field::Autres))) {
            chart.autres = *autres == u"1";
        }
        if (const auto sequence = readValue(valueName(c, Field::Sequence))) {
            if (const auto number = vb::WholeNumber(*sequence)) {
                chart.sequence = int(*number);
            } else {
                refused << valueName(c, Field::Sequence);
            }
        }
    }
    std::stable_sort(rows_.begin(), rows_.end(), [](const StatsChart& a, const StatsChart& b) {
        return a.sequence < b.sequence;
    });
    findLockedRows();
    return refused;
}

void StatsGrid::Save() const {
    const QString& key = RegistryKey();
    for (int r = 1; r <= kRows; ++r) {
        const StatsChart& chart = this->chart(r);
        const QString& c = chart.code;
        general::Set_Registry_Value(HKEY_CURRENT_USER, key, valueName(c, Field::Use),
                                    chart.used ? QStringLiteral("1") : QStringLiteral("0"));
        general::Set_Registry_Value(HKEY_CURRENT_USER, key, valueName(c, Field::Nb),
                                    QString::number(chart.nb));
        general::Set_Registry_Value(HKEY_CURRENT_USER, key, valueName(c, Field::Type),
                                    chart.percent ? QStringLiteral("pct") : QStringLiteral("nb"));
        general::Set_Registry_Value(HKEY_CURRENT_USER, key, valueName(c, Field::Autres),
                                    chart.autres ? QStringLiteral("1") : QStringLiteral("0"));
        general::Set_Registry_Value(HKEY_CURRENT_USER, key, valueName(c, Field::Sequence),
                                    QString::number(r));
    }
}

const StatsChart& StatsGrid::chart(int row) const {
    return rows_.at(std::size_t(row - 1));
}

StatsChart& StatsGrid::at(int row) {
    return rows_.at(std::size_t(row - 1));
}

QString StatsGrid::cellText(int row, int column) const {
    const StatsChart& c = chart(row);
    switch (column) {
        case ColLabel:
            return c.label;
        case ColUse:
            return c.used ? QStringLiteral("1") : QStringLiteral("0");
        case ColValue:
            return QString::number(c.nb);
        case ColType:
            return c.percent ? QStringLiteral("%") : QStringLiteral("nb");
        case ColAutres:
            return c.autres ? QStringLiteral("oui") : QStringLiteral("non");
        case ColSequence:
            return QString::number(c.sequence);
        case ColCode:
            return c.code;
        default:
            return QString();
    }
}

bool StatsGrid::isLocked(int row) const {
    return row == statsRows_[0] || row == statsRows_[1];
}

void StatsGrid::findLockedRows() {
    for (int r = 1; r <= kRows; ++r) {
        if (chart(r).code == kLocked1) {
            statsRows_[0] = r;
        } else if (chart(r).code == kLocked2) {
            statsRows_[1] = r;
        }
    }
}

bool StatsGrid::click(int row, int column) {
    if (row < 1 || row > kRows) {
        return false;
    }
    switch (column) {
        case ColPicture:
            at(row).used = !at(row).used;
            return true;
        case ColType:
            at(row).percent = !at(row).percent;
            return true;
        case ColAutres:
            if (isLocked(row)) {
                return false;
            }
            at(row).autres = !at(row).autres;
            return true;
        case ColDown:
            return moveDown(row);
        case ColUp:
            return moveUp(row);
        default:
            return false;
    }
}

bool StatsGrid::moveDown(int row) {
    if (row < 1 || row >= kRows) {
        return false;
    }
    move(row, row + 1);
    return true;
}

bool StatsGrid::moveUp(int row) {
    if (row <= 1 || row > kRows) {
        return false;
    }
    move(row, row - 1);
    return true;
}

// The whole row changes place, its sequence included; the lock follows the
// chart that carries it.
void StatsGrid::move(int r, int t) {
    std::swap(at(r), at(t));
    int& first = statsRows_[0];
    int& second = statsRows_[1];
    if ((first == r && second == t) || (first == t && second == r)) {
        return;
    }
    if (first == r) {
        first = t;
    } else if (second == r) {
        second = t;
    } else if (first == t) {
        first = r;
    } else if (second == t) {
        second = r;
    }
}

bool StatsGrid::isWholeNumber(const QString& text) {
    return vb::WholeNumber(text).has_value();
}

bool StatsGrid::setValue(int row, const QString& text) {
    if (row < 1 || row > kRows || isLocked(row)) {
        return false;
    }
    const auto number = vb::WholeNumber(text);
    if (!number) {
        return false;
    }
    at(row).nb = int(*number);
    return true;
}

QList<StatsEntry> StatsGrid::Entries() const {
    QList<StatsEntry> entries;
    for (const StatsChart& c : rows_) {
        entries.append(
            StatsEntry{c.code, c.used ? 1 : 0, c.nb, c.percent ? 1 : 0, c.autres ? 1 : 0});
    }
    return entries;
}

}  // namespace kalvor
