#pragma once

namespace kalvor {

// Lists, trees and grids whose items read as their view reads: disabled
// inside a disabled view, and focused only while their view has the focus.
void InstallAccessibleItemViews();

}  // namespace kalvor
