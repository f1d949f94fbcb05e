#include "platform/registry/registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "platform/system_reason.h"

namespace kalvor {
namespace {

QString normalizeKey(QString key) {
    key.replace(u'/', u'\\');
    while (key.startsWith(u'\\')) {
        key.remove(0, 1);
    }
    while (key.endsWith(u'\\')) {
        key.chop(1);
    }
    return key;
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

std::unique_ptr<Registry>& current() {
    static std::unique_ptr<Registry> registry;
    return registry;
}

// Writes bytes to path through a temporary file of the same folder, mode 0600.
QString writeAtomically(const QString& path, const QByteArray& bytes) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        return QStringLiteral("impossible de créer le dossier %1").arg(folder);
    }
    QByteArray tmpl = QFile::encodeName(path + QStringLiteral(".XXXXXX"));
    const int fd = mkstemp(tmpl.data());
    if (fd < 0) {
        return SystemReason(errno);
    }
    fchmod(fd, 0600);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const QString reason = SystemReason(errno);
            ::close(fd);
            ::unlink(tmpl.constData());
            return reason;
        }
        done += n;
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const QString reason = SystemReason(errno);
        ::unlink(tmpl.constData());
        return reason;
    }
    if (::rename(tmpl.constData(), QFile::encodeName(path).constData()) != 0) {
        const QString reason = SystemReason(errno);
        ::unlink(tmpl.constData());
        return reason;
    }
    return {};
}

}  // namespace

Registry::Registry(const QString& storePath, const QString& winePrefix)
    : storePath_(storePath), wine_(std::make_unique<WineRegistry>(winePrefix)) {
    load();
}

QString Registry::defaultStorePath() {
    const QString env = qEnvironmentVariable("KALVOR_REGISTRY");
    if (!env.isEmpty()) {
        return env;
    }
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty()) {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return base + QStringLiteral("/kalvor/registry.reg");
}

Registry& Registry::currentUser() {
    if (!current()) {
        reopenCurrentUser();
    }
    return *current();
}

void Registry::reopenCurrentUser() {
    current() = std::make_unique<Registry>(defaultStorePath(), WineRegistry::defaultPrefix());
}

void Registry::load() {
    QFile file(storePath_);
    if (!file.exists()) {
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        const int errnum = errno;
        writable_ = false;
        problem_ = QStringLiteral(
                       "Le fichier des réglages %1 ne peut pas être lu (%2). Les réglages de "
                       "cette session ne seront pas enregistrés.")
                       .arg(storePath_, FileReason(file, errnum));
        return;
    }
    reg::Document doc = reg::parse(file.readAll());
    for (reg::Key& key : doc.keys) {
        key.path = normalizeKey(key.path);
        reg::Key* existing = findKey(key.path);
        if (existing == nullptr) {
            keys_.append(key);
            continue;
        }
        for (const reg::Value& v : key.values) {
            existing->values.append(v);
        }
    }
    if (!doc.problems.isEmpty()) {
        problem_ = QStringLiteral(
                       "Le fichier des réglages %1 est en partie illisible (%2). Les valeurs "
                       "lisibles sont conservées ; une copie du fichier sera gardée sous %1.bak.")
                       .arg(storePath_, doc.problems.mid(0, 3).join(QStringLiteral(", ")));
    }
}

QString Registry::takeProblem() {
    if (problemTaken_) {
        return {};
    }
    problemTaken_ = true;
    return problem_;
}

bool Registry::isCatalogueApplicationKey(const QString& key) {
    return key.startsWith(QStringLiteral("Software\\Orme"), Qt::CaseInsensitive);
}

reg::Key* Registry::findKey(const QString& key) {
    const QString k = normalizeKey(key);
    for (reg::Key& candidate : keys_) {
        if (sameName(candidate.path, k)) {
            return &candidate;
        }
    }
    return nullptr;
}

const reg::Key* Registry::findKey(const QString& key) const {
    return const_cast<Registry*>(this)->findKey(key);
}

bool Registry::keyExists(const QString& key) const {
    // A key holding only sub-keys exists too, as it does on Windows.
    const QString k = normalizeKey(key);
    const QString below = k + u'\\';
    for (const reg::Key& candidate : keys_) {
        if (sameName(candidate.path, k) || candidate.path.startsWith(below, Qt::CaseInsensitive)) {
            return true;
        }
    }
    return isCatalogueApplicationKey(k) && wine_->keyExists(key);
}

bool Registry::createKey(const QString& key) {
    // The catalogue application's keys are only read, never made here.
    if (keyExists(key) || isCatalogueApplicationKey(normalizeKey(key))) {
        return true;
    }
    if (!writable_) {
        return false;
    }
    keys_.append(reg::Key{normalizeKey(key), {}});
    save();
    return writable_;
}

std::optional<QString> Registry::value(const QString& key, const QString& name) const {
    if (const reg::Key* k = findKey(key)) {
        for (const reg::Value& v : k->values) {
            if (v.isText && sameName(v.name, name)) {
                return v.text;
            }
        }
    }
    if (isCatalogueApplicationKey(normalizeKey(key))) {
        return wine_->value(key, name);
    }
    return std::nullopt;
}

void Registry::setValue(const QString& key, const QString& name, const QString& text) {
    if (!writable_) {
        return;
    }
    reg::Key* k = findKey(key);
    if (k == nullptr) {
        keys_.append(reg::Key{normalizeKey(key), {}});
        k = &keys_.last();
    }
    for (reg::Value& v : k->values) {
        if (sameName(v.name, name)) {
            if (v.isText && v.text == text) {
                return;
            }
            v.isText = true;
            v.text = text;
            save();
            return;
        }
    }
    k->values.append(reg::Value{name, text, true, {}});
    save();
}

void Registry::save() {
    if (!backupDone_ && QFile::exists(storePath_)) {
        // The first save of a run keeps the previous file: a hand edit gone
        // wrong is never lost without a trace.
        const QString backup = storePath_ + QStringLiteral(".bak");
        QFile::remove(backup);
        if (QFile::copy(storePath_, backup)) {
            QFile::setPermissions(backup, QFile::ReadOwner | QFile::WriteOwner);
        }
    }
    backupDone_ = true;
    const QString failure = writeAtomically(storePath_, reg::serialize(keys_));
    if (!failure.isEmpty() && problem_.isEmpty()) {
        problem_ = QStringLiteral("Les réglages ne peuvent pas être enregistrés dans %1 (%2).")
                       .arg(storePath_, failure);
        problemTaken_ = false;
    }
}

}  // namespace kalvor
