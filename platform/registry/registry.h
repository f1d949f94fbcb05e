#pragma once

#include <QList>
#include <QString>
#include <memory>
#include <optional>

#include "platform/registry/reg_file.h"
#include "platform/registry/wine_registry.h"

namespace kalvor {

// HKEY_CURRENT_USER, kept in a .reg text file. Key and value names compare
// without regard to case. Every change is written through at once, whole, to a
// temporary file renamed over the store (mode 0600: it holds the MySQL
// password). The catalogue application's keys are also looked up, read-only,
// in the Wine prefix.
class Registry {
  public:
    Registry(const QString& storePath, const QString& winePrefix);

    // $KALVOR_REGISTRY, else $XDG_CONFIG_HOME/kalvor/registry.reg
    static QString defaultStorePath();

    // The process's HKEY_CURRENT_USER, opened on first use from the
    // environment; reopenCurrentUser() reads the environment again.
    static Registry& currentUser();
    static void reopenCurrentUser();

    bool keyExists(const QString& key) const;
    // False when the key cannot be created (the store cannot be written).
    bool createKey(const QString& key);
    std::optional<QString> value(const QString& key, const QString& name) const;
    void setValue(const QString& key, const QString& name, const QString& text);

    // A French description of what went wrong reading or writing the store,
    // given once: the caller shows it, later calls return "".
    QString takeProblem();
    const QString& storePath() const { return storePath_; }

  private:
    reg::Key* findKey(const QString& key);
    const reg::Key* findKey(const QString& key) const;
    static bool isCatalogueApplicationKey(const QString& key);
    void load();
    void save();

    QString storePath_;
    std::unique_ptr<WineRegistry> wine_;
    QList<reg::Key> keys_;
    QString problem_;
    bool problemTaken_ = false;
    bool writable_ = true;  // false when the store exists but could not be read
    bool backupDone_ = false;
};

}  // namespace kalvor
