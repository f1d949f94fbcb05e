#pragma once

#include <QString>
#include <QTime>
#include <optional>

#include "platform/event_turns.h"
#include "sitecheck/check_result.h"
#include "sitecheck/site_check_state.h"

namespace kalvor {

class Inet;
class Prompt;
class Settings;

namespace site {

// What the check shows in the main window while it runs and at its end.
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
    SiteCheck(Inet& inet, Prompt& prompt, SiteCheckView& view);

    // Runs the check unless the site address is empty.
    void btn_check_files_Click(const Settings& settings);
    // The check itself, with the settings as they stand when it starts.
    void Check_Fichiers_Site(const Settings& settings);

    // True while a check waits for the site or compares.
    bool Running() const { return running_; }
    // Ends a running check once the request under way is answered, quietly,
    // with no result shown.
    void Stop() { stopping_ = running_; }

    const SiteCheckState& state() const { return state_; }
    const CheckResult& result() const { return result_; }

    // True while the trees are meant to show the file result, false for the
    // thumbnail result.
    bool GV_Vue_Fichiers = false;

  private:
    enum class Ending { Done, Error, Quiet };
    struct Taken;
    Ending run(const Settings& settings);
    // False, with the cause, when the work tables cannot be made afresh.
    bool prepareWorkTables(const QString& base);
    // Loads the folders' listings; how the check ends when it cannot go on.
    std::optional<Ending> listFolders(const Taken& taken);
    // Loads one listing; those not read are added to `notListed`.
    void fetchListing(const Taken& taken, const QString& script, const QString& rep, bool first,
                      QList<UnreadListing>& notListed);
    // False, with the cause, when a folder could not be compared.
    bool compare(const Taken& taken);
    void showResult(const QString& base);

    Inet& inet_;
    Prompt& prompt_;
    SiteCheckView& view_;
    SiteCheckState state_;
    CheckResult result_;
    QString cause_;  // why the check ended in error, for its message
    bool running_ = false;
    bool stopping_ = false;
    EventTurns turns_;
};

}  // namespace site
}  // namespace kalvor
