#pragma once

#include <QHash>
#include <QString>
#include <optional>

namespace kalvor {

// The catalogue application runs under Wine; its settings live in the
// prefix's user.reg. Read-only: nothing here is ever written back.
class WineRegistry {
  public:
    explicit WineRegistry(const QString& prefix);

    // $WINEPREFIX, else ~/.wine
    static QString defaultPrefix();

    bool keyExists(const QString& key) const;
    // The text of a value of a string kind (a text, an expandable string as it
    // stands); a drive path ("C:\...") comes back mapped to its Linux path.
    std::optional<QString> value(const QString& key, const QString& name) const;
    // A value present that holds no text (a number, bytes), as written.
    std::optional<QString> unreadable(const QString& key, const QString& name) const;

    // C:\Dir\file.mdb -> <prefix>/dosdevices/c:/Dir/file.mdb, resolved, each
    // part matched without regard to case as Windows does.
    QString mapDosPath(const QString& windowsPath) const;

    const QString& prefix() const { return prefix_; }

  private:
    struct Stored {
        QString text;
        bool readable = true;
        QString asWritten;
    };
    static Stored readValue(const QString& data);
    void load();

    QString prefix_;
    // folded key -> (folded name -> value)
    QHash<QString, QHash<QString, Stored>> keys_;
};

}  // namespace kalvor
