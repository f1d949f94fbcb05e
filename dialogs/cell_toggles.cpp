#include "dialogs/cell_toggles.h"

#include <QAbstractItemView>

namespace kalvor {

CellToggles::CellToggles(QAbstractItemView* view, std::function<void(const QModelIndex&)> toggled)
    : QItemSelectionModel(view->model(), view), view_(view), toggled_(std::move(toggled)) {}

CellToggles* CellToggles::Install(QAbstractItemView* view,
                                  std::function<void(const QModelIndex&)> toggled) {
    QItemSelectionModel* replaced = view->selectionModel();
    auto* toggles = new CellToggles(view, std::move(toggled));
    view->setSelectionModel(toggles);
    delete replaced;
    return toggles;
}

void CellToggles::select(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) {
    const auto plain = command & ~QItemSelectionModel::SelectionFlags(QItemSelectionModel::Rows);
    if (plain == QItemSelectionModel::Select && index.isValid()) {
        if (view_->isEnabled()) {
            toggled_(index);
        }
        return;
    }
    QItemSelectionModel::select(index, command);
}

}  // namespace kalvor

namespace kalvor {

void CellToggles::select(const QItemSelection& selection,
                         QItemSelectionModel::SelectionFlags command) {
    const auto plain = command & ~QItemSelectionModel::SelectionFlags(QItemSelectionModel::Rows);
    if (!view_->isEnabled() &&
        (plain == QItemSelectionModel::Clear || plain == QItemSelectionModel::Deselect)) {
        return;
    }
    QItemSelectionModel::select(selection, command);
}

}  // namespace kalvor
