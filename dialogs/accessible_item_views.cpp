#include "dialogs/accessible_item_views.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QHash>
#include <QPointer>
#include <map>

namespace kalvor {
namespace {

// Qt's own interface of an item view, kept whole, its items wrapped: Qt
// gives an item no disabled state, and marks the current one focused
// wherever the focus is.
class AccessibleItem : public QAccessibleInterface {
  public:
    AccessibleItem(QAbstractItemView* view, QAccessible::Id item) : view_(view), item_(item) {}

    QAccessibleInterface* item() const {
        return view_ != nullptr ? QAccessible::accessibleInterface(item_) : nullptr;
    }

    bool isValid() const override { return item() != nullptr && item()->isValid(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return isValid() ? item()->window() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(view_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        return isValid() ? item()->text(t) : QString();
    }
    void setText(QAccessible::Text t, const QString& text) override {
        if (isValid() && view_->isEnabled()) {
            item()->setText(t, text);
        }
    }
    QRect rect() const override { return isValid() ? item()->rect() : QRect(); }
    QAccessible::Role role() const override {
        return isValid() ? item()->role() : QAccessible::NoRole;
    }
    QAccessible::State state() const override {
        if (!isValid()) {
            QAccessible::State s;
            s.invalid = true;
            return s;
        }
        QAccessible::State s = item()->state();
        if (!view_->isEnabled()) {
            s.disabled = true;
            s.focusable = false;
            s.selectable = false;
        }
        s.focused = s.focused && view_->hasFocus();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return isValid() ? item()->interface_cast(type) : nullptr;
    }

  private:
    QPointer<QAbstractItemView> view_;
    QAccessible::Id item_;
};

class AccessibleItemView : public QAccessibleInterface, public QAccessibleTableInterface {
  public:
    AccessibleItemView(QAbstractItemView* view, QAccessibleInterface* qt)
        : view_(view), qt_(QAccessible::uniqueId(qt)) {}
    ~AccessibleItemView() override {
        for (const auto& [item, wrapped] : items_) {
            QAccessible::deleteAccessibleInterface(wrapped);
        }
        QAccessible::deleteAccessibleInterface(qt_);
    }

    bool isValid() const override { return qt() != nullptr && qt()->isValid(); }
    QObject* object() const override { return view_.data(); }
    QWindow* window() const override { return qt()->window(); }
    QVector<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation match) const override {
        return qt()->relations(match);
    }
    QAccessibleInterface* focusChild() const override { return wrap(qt()->focusChild()); }
    QAccessibleInterface* parent() const override { return qt()->parent(); }
    QAccessibleInterface* child(int index) const override { return wrap(qt()->child(index)); }
    int childCount() const override { return qt()->childCount(); }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return qt()->indexOfChild(unwrap(child));
    }
    QAccessibleInterface* childAt(int x, int y) const override { return wrap(qt()->childAt(x, y)); }
    QString text(QAccessible::Text t) const override { return qt()->text(t); }
    void setText(QAccessible::Text t, const QString& text) override { qt()->setText(t, text); }
    QRect rect() const override { return qt()->rect(); }
    QAccessible::Role role() const override { return qt()->role(); }
    QAccessible::State state() const override { return qt()->state(); }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface) {
            return qt()->tableInterface() != nullptr ? static_cast<QAccessibleTableInterface*>(this)
                                                     : nullptr;
        }
        return qt()->interface_cast(type);
    }

    QAccessibleInterface* caption() const override { return table()->caption(); }
    QAccessibleInterface* summary() const override { return table()->summary(); }
    QAccessibleInterface* cellAt(int row, int column) const override {
        return wrap(table()->cellAt(row, column));
    }
    int selectedCellCount() const override { return table()->selectedCellCount(); }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> cells = table()->selectedCells();
        for (QAccessibleInterface*& cell : cells) {
            cell = wrap(cell);
        }
        return cells;
    }
    QString columnDescription(int column) const override {
        return table()->columnDescription(column);
    }
    QString rowDescription(int row) const override { return table()->rowDescription(row); }
    int selectedColumnCount() const override { return table()->selectedColumnCount(); }
    int selectedRowCount() const override { return table()->selectedRowCount(); }
    int columnCount() const override { return table()->columnCount(); }
    int rowCount() const override { return table()->rowCount(); }
    QList<int> selectedColumns() const override { return table()->selectedColumns(); }
    QList<int> selectedRows() const override { return table()->selectedRows(); }
    bool isColumnSelected(int column) const override { return table()->isColumnSelected(column); }
    bool isRowSelected(int row) const override { return table()->isRowSelected(row); }
    bool selectRow(int row) override { return table()->selectRow(row); }
    bool selectColumn(int column) override { return table()->selectColumn(column); }
    bool unselectRow(int row) override { return table()->unselectRow(row); }
    bool unselectColumn(int column) override { return table()->unselectColumn(column); }
    // Qt drops the items of the rows gone: so do their wrappers.
    void modelChange(QAccessibleTableModelChangeEvent* event) override {
        table()->modelChange(event);
        for (auto it = items_.begin(); it != items_.end();) {
            if (QAccessible::accessibleInterface(it->first) == nullptr) {
                unwrapped_.remove(QAccessible::accessibleInterface(it->second));
                QAccessible::deleteAccessibleInterface(it->second);
                it = items_.erase(it);
            } else {
                ++it;
            }
        }
    }

  private:
    QAccessibleInterface* qt() const { return QAccessible::accessibleInterface(qt_); }
    QAccessibleTableInterface* table() const { return qt()->tableInterface(); }

    QAccessibleInterface* wrap(QAccessibleInterface* item) const {
        if (item == nullptr || item->object() != nullptr) {
            return item;  // a widget has its own state
        }
        const QAccessible::Id id = QAccessible::uniqueId(item);
        auto found = items_.find(id);
        if (found == items_.end()) {
            auto* wrapped = new AccessibleItem(view_.data(), id);
            unwrapped_.insert(wrapped, id);
            found = items_.emplace(id, QAccessible::registerAccessibleInterface(wrapped)).first;
        }
        return QAccessible::accessibleInterface(found->second);
    }
    const QAccessibleInterface* unwrap(const QAccessibleInterface* child) const {
        const auto found = unwrapped_.constFind(child);
        return found != unwrapped_.constEnd() ? QAccessible::accessibleInterface(*found) : child;
    }

    QPointer<QAbstractItemView> view_;
    QAccessible::Id qt_;
    // Qt's item to its wrapper, and back.
    mutable std::map<QAccessible::Id, QAccessible::Id> items_;
    mutable QHash<const QAccessibleInterface*, QAccessible::Id> unwrapped_;
};

bool askingQt = false;

QAccessibleInterface* itemViews(const QString& className, QObject* object) {
    auto* view = qobject_cast<QAbstractItemView*>(object);
    if (askingQt || view == nullptr ||
        (className != QLatin1String("QTableView") && className != QLatin1String("QTreeView") &&
         className != QLatin1String("QListView"))) {
        return nullptr;
    }
    // Qt's interface is made, and cached, by Qt's own factory; the view's
    // entry then names ours.
    askingQt = true;
    QAccessibleInterface* qt = QAccessible::queryAccessibleInterface(object);
    askingQt = false;
    return qt != nullptr ? new AccessibleItemView(view, qt) : nullptr;
}

}  // namespace

void InstallAccessibleItemViews() {
    static const bool installed = [] {
        QAccessible::installFactory(itemViews);
        return true;
    }();
    (void)installed;
}

}  // namespace kalvor
