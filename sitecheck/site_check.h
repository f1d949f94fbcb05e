#pragma once

#include <QMutex>
#include <QString>
#include <QTime>
#include <atomic>
#include <optional>

#include "sitecheck/check_result.h"
#include "sitecheck/site_check_state.h"

namespace kalvor {

class Inet;
class Prompt;
class Settings;

namespace site {

// What the check shows in the main window while it runs and at its end.
// Show_Phase may be called from the work's thread; the rest from the
// thread that began the check.
class SiteCheckView {
  public:
    virtual ~SiteCheckView() = default;
    virtual void Show_Phase(const QString& text) = 0;  // panel 1 of the status bar
    virtual void Enable_Check(bool enabled) = 0;       // the button that starts it
    virtual void Fill_TreeViews(const CheckResult& result) = 0;
    virtual void Enable_Results() = 0;  // the view toggle, the buttons of the trees, the report
    // When a check starts: no result shown, none to print until it completes.
    virtual void Clear_Results() {}
    // Once a check has completed: what it found, in a few words.
    virtual void Show_Ended(const QString& text) { (void)text; }
};

// What a completed check says of itself, `at` the time it ended.
QString Ended_Text(const CheckResult& result, const QTime& at);

// The message that names the listings a check went on without, and why.
QString Unread_Listings_Text(const QList<UnreadListing>& unread);
// Why a check that could list no folder failed: each listing asked, and what
// happened to it.
QString No_Listing_Text(const QList<UnreadListing>& notListed);

// The site file check: the listings of the site's image and thumbnail
// folders are loaded into the work tables of the catalogue, compared with the
// image names the catalogue references, and the result shown.
class SiteCheck {
  public:
    SiteCheck(Prompt& prompt, SiteCheckView& view);

    // A check in three parts, for a window that runs the long one on a
    // thread of its own. Begin (false when the address is empty or a check
    // runs) takes the settings and clears the earlier result; Work, on the
    // work's thread with `inet` made there, asks the site and compares; End
    // shows how it went.
    bool Begin(const Settings& settings);
    void Work(Inet& inet);
    void End();

    // True while a check waits for the site or compares.
    bool Running() const { return running_; }
    // Ends a running check at once, the request under way dropped, quietly,
    // with no result shown. Any thread.
    void Stop();

    const SiteCheckState& state() const { return state_; }
    const CheckResult& result() const { return result_; }
    // The result's missing files, files not referenced and thumbnail
    // problems as the trees show them, made with the result.
    const QList<TreeNode>& treeNodes(int tree) const { return nodes_[tree]; }

    // True while the trees are meant to show the file result, false for the
    // thumbnail result.
    bool GV_Vue_Fichiers = false;

  private:
    enum class Ending { Done, Error, Quiet };
    // The settings as they stood when the check began.
    struct Taken {
        QString base;
        QString site;
        QString prefix;
        bool albums = false;
        bool acheter = false;
        bool collaborateurs = false;
        bool parabd = false;
        bool revues = false;
    };
    Ending run(const Taken& taken);
    // False, with the cause, when the work tables cannot be made afresh.
    bool prepareWorkTables(const QString& base);
    // Loads the folders' listings; how the check ends when it cannot go on.
    std::optional<Ending> listFolders(const Taken& taken);
    // Loads one listing; those not read are added to `notListed`.
    void fetchListing(const Taken& taken, const QString& script, const QString& rep, bool first,
                      QList<UnreadListing>& notListed);
    // False, with the cause, when a folder could not be compared.
    bool compare(const Taken& taken);
    void readResult(const QString& base);
    void showResult();

    Prompt& prompt_;
    SiteCheckView& view_;
    SiteCheckState state_;
    CheckResult result_;
    QList<TreeNode> nodes_[3];
    Taken taken_;
    Ending ending_ = Ending::Error;
    QString cause_;  // why the check ended in error, for its message
    bool running_ = false;
    std::atomic<bool> stopping_{false};
    QMutex stopMutex_;      // over inet_
    Inet* inet_ = nullptr;  // while Work runs
};

}  // namespace site
}  // namespace kalvor
