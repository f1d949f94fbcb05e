#pragma once

class QTabBar;

namespace kalvor {

// Tab bars whose tabs tell assistive tools when they are disabled and refuse
// their Press then, as they refuse a click.
void InstallAccessibleTabBars();

// Tells assistive tools that tab `index` of `bar` was enabled or disabled.
void TabStateChanged(QTabBar* bar, int index);

}  // namespace kalvor
