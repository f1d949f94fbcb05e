#include "platform/registry/registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/save_file.h"
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

reg::Key* findIn(QList<reg::Key>& keys, const QString& normalized) {
    const auto k = std::find_if(keys.begin(), keys.end(), [&](const reg::Key& candidate) {
        return sameName(candidate.path, normalized);
    });
    return k == keys.end() ? nullptr : &*k;
}

// The first value of that name.
template <typename Values>
auto findValue(Values& values, const QString& name) {
    return std::find_if(values.begin(), values.end(),
                        [&](const reg::Value& v) { return sameName(v.name, name); });
}

// The keys of a parsed file, one entry per key however often it appears.
QList<reg::Key> keysOf(const reg::Document& doc) {
    QList<reg::Key> keys;
    for (reg::Key key : doc.keys) {
        key.path = normalizeKey(key.path);
        if (reg::Key* existing = findIn(keys, key.path)) {
            existing->values.append(key.values);
        } else {
            keys.append(key);
        }
    }
    return keys;
}

void apply(QList<reg::Key>& keys, const QString& key, const QString& name, const QString& text) {
    reg::Key* k = findIn(keys, key);
    if (k == nullptr) {
        keys.append(reg::Key{key, {}});
        k = &keys.last();
    }
    if (const auto v = findValue(k->values, name); v != k->values.end()) {
        v->readable = true;
        v->text = text;
        v->rawData.clear();
    } else {
        k->values.append(reg::Value{name, text, true, {}});
    }
}

void apply(QList<reg::Key>& keys, const QString& key) {
    if (findIn(keys, key) == nullptr) {
        keys.append(reg::Key{key, {}});
    }
}

QString unreadableProblem(const QString& store, const QStringList& problems, const QString& copy) {
    return QStringLiteral(
               "Le fichier des réglages %1 est en partie illisible (%2). Les valeurs "
               "lisibles sont conservées ; une copie du fichier est gardée sous %3.")
        .arg(store, problems.mid(0, 3).join(QStringLiteral(", ")), copy);
}

QString uncopiedProblem(const QString& store, const QStringList& problems, const QString& copy,
                        const QString& reason) {
    return QStringLiteral(
               "Le fichier des réglages %1 est en partie illisible (%2) et sa copie n'a pas pu "
               "être gardée sous %3 (%4). Les réglages de cette session ne seront pas "
               "enregistrés.")
        .arg(store, problems.mid(0, 3).join(QStringLiteral(", ")), copy, reason);
}

QString uncopied(const QString& copy, const QString& reason) {
    return QStringLiteral("le fichier, en partie illisible, n'a pas pu être copié sous %1 : %2")
        .arg(copy, reason);
}

// Writes bytes into a file that must not exist yet; errno, or 0.
int createOnly(const QString& path, const QByteArray& bytes) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return errno;
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            ::close(fd);
            ::unlink(QFile::encodeName(path).constData());
            return error;
        }
        done += n;
    }
    // Closed whether or not the sync succeeded.
    int error = ::fsync(fd) == 0 ? 0 : errno;
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(QFile::encodeName(path).constData());
    }
    return error;
}

// A store found unreadable in part is kept, before any save replaces it,
// under a name that no later run writes over: the first free one of
// store.illisible-1, -2, ... A copy that already holds these bytes serves
// again. The copy's name; `reason` says why it could not be made.
QString keepUnreadableCopy(const QString& store, const QByteArray& bytes, QString& reason) {
    QString name;
    for (int n = 1; n <= 999; ++n) {
        name = store + QStringLiteral(".illisible-%1").arg(n);
        QFile existing(name);
        if (QFileInfo(name).isSymLink() || existing.exists()) {
            if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes) {
                return name;
            }
            continue;
        }
        const int error = createOnly(name, bytes);
        if (error == EEXIST) {
            continue;
        }
        if (error != 0) {
            reason = SystemReason(error);
        }
        return name;
    }
    reason = QStringLiteral("trop de copies déjà gardées");
    return name;
}

// The file a save replaces: the target of the store when it is a symbolic
// link, so that the link stays.
QString resolveLinks(const QString& path) {
    QString target = path;
    for (int depth = 0; depth < 40 && QFileInfo(target).isSymLink(); ++depth) {
        target = QFileInfo(target).symLinkTarget();
    }
    return target;
}

// Held while a save reads the store again and replaces it, so that two
// processes saving at once keep each other's changes. A lock file beside the
// store, since the store itself is replaced by each save.
class StoreLock {
  public:
    ~StoreLock() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    // Another save holds it for a moment only; a process stuck with it
    // must not freeze this one for ever.
    QString acquire(const QString& path) { return acquire(path, 200); }
    // Without waiting: "" when held.
    QString tryAcquire(const QString& path) { return acquire(path, 0); }

  private:
    QString acquire(const QString& path, int patience) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) {
            return SystemReason(errno);
        }
        for (int tries = 0;; ++tries) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
                return {};
            }
            const int error = errno;
            if (error == EINTR) {
                continue;
            }
            if (error != EWOULDBLOCK) {
                return SystemReason(error);
            }
            if (tries == patience) {
                return QStringLiteral("le fichier est tenu par un autre programme");
            }
            ::usleep(50000);
        }
    }

    int fd_ = -1;
};

// Replaces the file at path with bytes, whole or not at all, mode 0600 (it
// holds the MySQL password). QSaveFile would give it the permissions of the
// file it replaces, or the umask's.
QString saveWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (QString failure = OpenSaveFile(file); !failure.isEmpty()) {
        return failure;
    }
    errno = 0;
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(bytes) != bytes.size()) {
        return FileReason(file, errno);
    }
    if (QString failure = FlushSaveFile(file); !failure.isEmpty()) {
        return failure;
    }
    return CommitSaveFile(file);
}

}  // namespace

Registry::Batch::Batch(Registry& registry) : registry_(&registry) {
    ++registry.batchDepth_;
}

Registry::Batch::~Batch() {
    commit();
}

bool Registry::Batch::commit() {
    Registry* registry = std::exchange(registry_, nullptr);
    if (registry == nullptr) {
        return true;
    }
    return --registry->batchDepth_ > 0 || registry->save();
}

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
        unwritable_ =
            QStringLiteral("le fichier ne peut pas être lu : ") + FileReason(file, errnum);
        problem_ = QStringLiteral(
                       "Le fichier des réglages %1 ne peut pas être lu (%2). Les réglages de "
                       "cette session ne seront pas enregistrés.")
                       .arg(storePath_, FileReason(file, errnum));
        return;
    }
    seen_ = file.readAll();
    const reg::Document doc = reg::parse(seen_);
    keys_ = keysOf(doc);
    encoding_ = doc.encoding;
    if (!doc.problems.isEmpty()) {
        QString reason;
        const QString copy = keepUnreadableCopy(storePath_, seen_, reason);
        if (reason.isEmpty()) {
            problem_ = unreadableProblem(storePath_, doc.problems, copy);
        } else {
            // What could not be read must not be lost with the next save.
            writable_ = false;
            unwritable_ = uncopied(copy, reason);
            problem_ = uncopiedProblem(storePath_, doc.problems, copy, reason);
        }
    }
}

void Registry::reload() {
    QFile file(storePath_);
    QByteArray bytes;
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            return;
        }
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            return;
        }
    }
    if (bytes == seen_) {
        return;
    }
    const reg::Document doc = reg::parse(bytes);
    if (!doc.problems.isEmpty()) {
        return;
    }
    keys_ = keysOf(doc);
    encoding_ = doc.encoding;
    seen_ = bytes;
    for (const Change& c : changes_) {
        apply(keys_, c.key, c.name, c.text);
    }
    for (const QString& made : madeKeys_) {
        apply(keys_, made);
    }
}

void Registry::removeKilledSaves() const {
    const QFileInfo target(resolveLinks(storePath_));
    const QString name = target.fileName();
    QStringList left;
    for (const QString& entry :
         target.dir().entryList({name + QStringLiteral(".*")}, QDir::Files | QDir::Hidden)) {
        if (IsSaveTemporary(name, entry)) {
            left << entry;
        }
    }
    if (left.isEmpty()) {
        return;
    }
    // A save running now holds the lock while its temporary file exists.
    StoreLock lock;
    if (!lock.tryAcquire(target.filePath() + QStringLiteral(".lock")).isEmpty()) {
        return;
    }
    for (const QString& entry : left) {
        QFile::remove(target.dir().filePath(entry));
    }
}

QString Registry::takeProblem() {
    QStringList problems = unreadableValues_;
    unreadableValues_.clear();
    if (!problem_.isEmpty()) {
        problems.prepend(std::exchange(problem_, QString()));
    }
    return problems.join(u'\n');
}

void Registry::setProblem(const QString& problem) {
    if (problem_.isEmpty()) {
        problem_ = problem;
    }
}

bool Registry::isCatalogueApplicationKey(const QString& key) {
    return key.startsWith(QStringLiteral("Software\\Orme"), Qt::CaseInsensitive);
}

reg::Key* Registry::findKey(const QString& key) {
    return findIn(keys_, normalizeKey(key));
}

const reg::Key* Registry::findKey(const QString& key) const {
    return const_cast<Registry*>(this)->findKey(key);
}

bool Registry::keyExists(const QString& key) const {
    // A key holding only sub-keys exists too, as it does on Windows.
    const QString k = normalizeKey(key);
    const QString below = k + u'\\';
    const bool here = std::any_of(keys_.begin(), keys_.end(), [&](const reg::Key& candidate) {
        return sameName(candidate.path, k) || candidate.path.startsWith(below, Qt::CaseInsensitive);
    });
    return here || (isCatalogueApplicationKey(k) && wine_->keyExists(key));
}

bool Registry::createKey(const QString& key) {
    // The catalogue application's keys are only read, never made here.
    if (keyExists(key) || isCatalogueApplicationKey(normalizeKey(key))) {
        return true;
    }
    if (!writable_) {
        return false;
    }
    // Held here only: an empty key says nothing to a later run, and a run
    // that saves no value (a refused scheduled run) leaves the file, and its
    // lock, as they were.
    madeKeys_ << normalizeKey(key);
    apply(keys_, madeKeys_.last());
    return true;
}

std::optional<QString> Registry::value(const QString& key, const QString& name) const {
    if (const reg::Key* k = findKey(key)) {
        const reg::Value* unreadable = nullptr;
        for (const reg::Value& v : k->values) {
            if (!sameName(v.name, name)) {
                continue;
            }
            if (v.readable) {
                return v.text;
            }
            unreadable = unreadable == nullptr ? &v : unreadable;
        }
        if (unreadable != nullptr) {
            noteUnreadable(key, name, unreadable->rawData, storePath_);
            return std::nullopt;
        }
    }
    if (isCatalogueApplicationKey(normalizeKey(key))) {
        if (const auto data = wine_->unreadable(key, name)) {
            noteUnreadable(key, name, *data, wine_->prefix() + QStringLiteral("/user.reg"));
        }
        return wine_->value(key, name);
    }
    return std::nullopt;
}

void Registry::noteUnreadable(const QString& key, const QString& name, const QString& data,
                              const QString& file) const {
    const QString shown = data.size() > 40 ? data.left(40) + QStringLiteral("…") : data;
    const QString what = reg::isCutUtf16(data)
                             ? QStringLiteral("est un texte coupé (nombre impair d'octets)")
                             : QStringLiteral("n'est pas un texte");
    const QString note = QStringLiteral(
                             "La valeur « %1 » de la clé %2 (%3) %4 : %5. Elle est "
                             "lue comme absente.")
                             .arg(name, normalizeKey(key), file, what, shown);
    if (!unreadableValues_.contains(note)) {
        unreadableValues_ << note;
    }
}

void Registry::setValue(const QString& key, const QString& name, const QString& text) {
    if (const reg::Key* k = findKey(key)) {
        const auto v = findValue(k->values, name);
        if (v != k->values.end() && v->readable && v->text == text) {
            return;
        }
    }
    if (!writable_) {
        // Lost, and said so by the save that would have kept it.
        refused_ = true;
        if (batchDepth_ == 0) {
            save();
        }
        return;
    }
    record(Change{normalizeKey(key), name, text});
}

void Registry::record(const Change& change) {
    apply(keys_, change.key, change.name, change.text);
    auto same = [&](const Change& c) {
        return sameName(c.key, change.key) && sameName(c.name, change.name);
    };
    auto earlier = std::find_if(changes_.begin(), changes_.end(), same);
    if (earlier != changes_.end()) {
        earlier->text = change.text;
    } else {
        changes_.append(change);
    }
    if (batchDepth_ == 0) {
        save();
    }
}

bool Registry::save() {
    if (std::exchange(refused_, false)) {
        setProblem(QStringLiteral("Les réglages ne peuvent pas être enregistrés dans %1 (%2).")
                       .arg(storePath_, unwritable_));
        return false;
    }
    if (changes_.isEmpty()) {
        return true;
    }
    const QString failure = write();
    if (!failure.isEmpty()) {
        // The changes stay: the next save tries them again.
        setProblem(QStringLiteral("Les réglages ne peuvent pas être enregistrés dans %1 (%2).")
                       .arg(storePath_, failure));
        return false;
    }
    changes_.clear();
    ++writes_;
    return true;
}

QString Registry::write() {
    const QString target = resolveLinks(storePath_);
    const QString folder = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(folder)) {
        return QStringLiteral("impossible de créer le dossier %1").arg(folder);
    }
    StoreLock lock;
    const QString lockPath = target + QStringLiteral(".lock");
    if (const QString failure = lock.acquire(lockPath); !failure.isEmpty()) {
        return QStringLiteral("verrou %1 : %2").arg(lockPath, failure);
    }

    // What is on disk now, with what another process wrote since the load.
    QList<reg::Key> keys;
    reg::Encoding encoding = encoding_;
    QFile file(target);
    const bool exists = file.exists();
    if (exists) {
        if (!file.open(QIODevice::ReadOnly)) {
            return QStringLiteral("le fichier ne peut pas être relu : ") + file.errorString();
        }
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            return QStringLiteral("le fichier ne peut pas être relu : ") + file.errorString();
        }
        file.close();
        const reg::Document doc = reg::parse(bytes);
        keys = keysOf(doc);
        encoding = doc.encoding;
        if (bytes != seen_ && !doc.problems.isEmpty()) {
            // Edited meanwhile, and badly: say so and keep that text too.
            QString reason;
            const QString copy = keepUnreadableCopy(storePath_, bytes, reason);
            if (!reason.isEmpty()) {
                return uncopied(copy, reason);
            }
            setProblem(unreadableProblem(storePath_, doc.problems, copy));
        }
    }
    if (!backupDone_ && exists) {
        // The first save of a run keeps the previous file: a hand edit gone
        // wrong is never lost without a trace.
        const QString backup = storePath_ + QStringLiteral(".bak");
        QFile::remove(backup);
        if (QFile::copy(target, backup)) {
            QFile::setPermissions(backup, QFile::ReadOwner | QFile::WriteOwner);
        }
    }
    backupDone_ = true;

    for (const Change& c : changes_) {
        apply(keys, c.key, c.name, c.text);
    }
    // Written back as it was found: the registry editor of Windows reads its
    // own UTF-16 files, and so does a person's editor.
    const QByteArray bytes = reg::serialize(keys, encoding);
    if (const QString failure = saveWhole(target, bytes); !failure.isEmpty()) {
        return failure;
    }
    keys_ = keys;
    for (const QString& made : madeKeys_) {
        apply(keys_, made);
    }
    seen_ = bytes;
    encoding_ = encoding;
    return {};
}

}  // namespace kalvor
