#pragma once

#include <functional>

class QWidget;

namespace kalvor {

struct DataExports;
class FormBinding;
class LongWork;
class StatsGrid;
class StatsGridWidget;

// The tabs of the main window with the settings and commands, each bound
// through `bind`.
namespace tabs {

QWidget* Configuration(FormBinding& bind);
QWidget* Options1(FormBinding& bind);
QWidget* Options2(FormBinding& bind);
QWidget* Repertoires(FormBinding& bind);
QWidget* Miniatures(FormBinding& bind);
// `grid` shows `stats`, which the configuration file carries; the data
// exports run as `work`, `recount` after each.
QWidget* Generation(FormBinding& bind, const DataExports& exports, StatsGridWidget& grid,
                    StatsGrid& stats, LongWork& work, const std::function<void()>& recount);

}  // namespace tabs
}  // namespace kalvor
