#pragma once

#include <QItemSelectionModel>
#include <functional>

class QAbstractItemView;

namespace kalvor {

// A Toggle from an assistive tool selects a cell or a row alone, by a plain
// Select that neither a click nor a key makes in a single-selection view:
// `toggled` gets that cell instead, and nothing is selected. The view's own
// current-item signals are those of this model from then on.
class CellToggles : public QItemSelectionModel {
  public:
    // Replaces the selection model of `view`; `toggled` runs only while the
    // view is enabled, as a click would.
    static CellToggles* Install(QAbstractItemView* view,
                                std::function<void(const QModelIndex&)> toggled);

    using QItemSelectionModel::select;
    void select(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override;
    // The tool clears or unselects as it selects: refused too while the view
    // is disabled.
    void select(const QItemSelection& selection,
                QItemSelectionModel::SelectionFlags command) override;

  private:
    CellToggles(QAbstractItemView* view, std::function<void(const QModelIndex&)> toggled);

    QAbstractItemView* view_;
    std::function<void(const QModelIndex&)> toggled_;
};

}  // namespace kalvor
