#pragma once

#include <QList>
#include <QString>
#include <memory>
#include <optional>

#include "platform/registry/reg_file.h"
#include "platform/registry/wine_registry.h"

namespace kalvor {

// HKEY_CURRENT_USER, kept in a .reg text file, written back in the encoding it
// was found in. Key and value names compare without regard to case. A file
// read only in part is first copied beside it, under a name no save writes
// over. Another process may write the same file while this one runs: a save
// reads the file again under a lock and applies only what this object
// changed, then writes it whole to a temporary file renamed over the store
// (through a symbolic link, if the store is one; mode 0600: it holds the MySQL
// password). A change is saved at once, unless a Batch is open. The catalogue
// application's keys are also looked up, read-only, in the Wine prefix.
class Registry {
  public:
    // Changes made while a batch is open are saved together, once, when the
    // outermost batch ends.
    class Batch {
      public:
        explicit Batch(Registry& registry);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        // Ends the batch now. False when the store could not be written
        // (takeProblem() says why); an inner batch leaves it to the outermost.
        bool commit();

      private:
        Registry* registry_;
    };

    Registry(const QString& storePath, const QString& winePrefix);

    // $KALVOR_REGISTRY, else $XDG_CONFIG_HOME/kalvor/registry.reg
    static QString defaultStorePath();

    // The process's HKEY_CURRENT_USER, opened on first use from the
    // environment; reopenCurrentUser() reads the environment again.
    static Registry& currentUser();
    static void reopenCurrentUser();

    // The file as it is now, with this object's unsaved changes over it:
    // another process (a scheduled export) may have written it since. A file
    // that no longer parses is left to the next save, which says so.
    void reload();
    // Removes what a killed save left beside the store (its whole new text
    // under "registry.reg.XXXXXX"), when no save is running.
    void removeKilledSaves() const;

    bool keyExists(const QString& key) const;
    // False when the key cannot be created (the store cannot be written).
    // An empty key lives in this object only: the file gets it with a value.
    bool createKey(const QString& key);
    std::optional<QString> value(const QString& key, const QString& name) const;
    void setValue(const QString& key, const QString& name, const QString& text);

    // A French description of what went wrong reading or writing the store,
    // and of each value read that holds no text, given once: the caller shows
    // it, later calls return "" until another fault.
    QString takeProblem();
    const QString& storePath() const { return storePath_; }
    // Saves now what is unsaved, inside a batch too: for a value that must
    // be on disk before what depends on it goes. False as a save is.
    bool saveNow() { return save(); }
    bool inBatch() const { return batchDepth_ > 0; }
    // How many times the store file was written by this object.
    int writes() const { return writes_; }

  private:
    reg::Key* findKey(const QString& key);
    const reg::Key* findKey(const QString& key) const;
    static bool isCatalogueApplicationKey(const QString& key);
    // A change this object made, applied again to the file read at save.
    struct Change {
        QString key;
        QString name;
        QString text;
    };

    void load();
    void record(const Change& change);
    bool save();
    QString write();
    void setProblem(const QString& problem);
    void noteUnreadable(const QString& key, const QString& name, const QString& data,
                        const QString& file) const;

    QString storePath_;
    std::unique_ptr<WineRegistry> wine_;
    QList<reg::Key> keys_;
    QList<Change> changes_;  // not yet saved
    QStringList madeKeys_;   // by createKey: never written, a key needs a value
    QByteArray seen_;        // the file as last read or written here
    reg::Encoding encoding_ = reg::Encoding::Utf8;
    QString problem_;
    mutable QStringList unreadableValues_;
    bool writable_ = true;  // false when the store exists but could not be read
    QString unwritable_;    // why, when it is not
    bool refused_ = false;  // a change was made that the store cannot take
    bool backupDone_ = false;
    int batchDepth_ = 0;
    int writes_ = 0;
};

}  // namespace kalvor
