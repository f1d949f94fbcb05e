#include "dialogs/accessible_names.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>

#include "dialogs/accessible_item_views.h"
#include "dialogs/accessible_tab_bar.h"

namespace kalvor {
namespace {

// Qt names a combo box after the item it shows, on Linux, and leaves its
// label to a relation that not every tool follows: here its own name comes
// first, as for any other control, and the item shown is its value, also
// read as its text (the bus carries no value that is not a number).
class NamedComboBox : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit NamedComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {
        // The list marks the item shown, not the one chosen when it was last
        // open.
        markShown();
        QObject::connect(box, &QComboBox::currentIndexChanged, box, [box] { markShown(box); });
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface && !box()->isEditable()) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return shown();
        }
        const QString text = QAccessibleWidget::text(t);
        return t == QAccessible::Name && text.isEmpty() ? shown() : text;
    }

    // The list of the items, and the box that takes a typed one.
    int childCount() const override { return box()->isEditable() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override {
        if (index == 0) {
            markShown();  // also where the item was set with the box's signals blocked
            return QAccessible::queryAccessibleInterface(box()->view());
        }
        if (index == 1 && box()->isEditable()) {
            return QAccessible::queryAccessibleInterface(box()->lineEdit());
        }
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child->object() == box()->view()) {
            return 0;
        }
        return box()->isEditable() && child->object() == box()->lineEdit() ? 1 : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QLineEdit* edit = box()->isEditable() ? box()->lineEdit() : nullptr;
        if (edit != nullptr &&
            QRect(edit->mapToGlobal(QPoint(0, 0)), edit->size()).contains(x, y)) {
            return child(1);
        }
        return nullptr;
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override {
        if ((action != showMenuAction() && action != pressAction()) || !box()->isEnabled()) {
            return;
        }
        if (box()->view()->isVisible()) {
            box()->hidePopup();
        } else {
            box()->showPopup();
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    // The item shown, as a text that cannot be edited.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override {
        return shown().mid(start, end < 0 ? -1 : end - start);
    }
    int characterCount() const override { return int(shown().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

  private:
    QComboBox* box() const { return static_cast<QComboBox*>(object()); }
    QString shown() const {
        return box()->isEditable() ? box()->lineEdit()->text() : box()->currentText();
    }
    void markShown() const { markShown(box()); }
    // Selected, not made current: an item current in a list reads as having
    // the focus, which only the open list's may.
    static void markShown(QComboBox* box) {
        QItemSelectionModel* list = box->view()->selectionModel();
        list->select(
            box->model()->index(box->currentIndex(), box->modelColumn(), box->rootModelIndex()),
            QItemSelectionModel::ClearAndSelect);
        if (!box->view()->isVisible()) {
            list->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        }
    }
};

QAccessibleInterface* comboBoxes(const QString& className, QObject* object) {
    if (className == QLatin1String("QComboBox") && object->isWidgetType()) {
        return new NamedComboBox(static_cast<QComboBox*>(object));
    }
    return nullptr;
}

// After the application's own factories, so that it is asked first.
void nameComboBoxes() {
    static const bool installed = [] {
        QAccessible::installFactory(comboBoxes);
        return true;
    }();
    (void)installed;
}

QString labelText(const QWidget* label) {
    QString text;
    if (const auto* l = qobject_cast<const QLabel*>(label)) {
        text = l->text();
    } else if (const auto* b = qobject_cast<const QAbstractButton*>(label)) {
        text = b->text();
    } else if (const auto* g = qobject_cast<const QGroupBox*>(label)) {
        text = g->title();
    }
    text = text.simplified();
    while (text.endsWith(u':') || text.endsWith(u' ')) {
        text.chop(1);
    }
    return text;
}

}  // namespace

void InstallAccessibleInterfaces() {
    nameComboBoxes();
    InstallAccessibleTabBars();
    InstallAccessibleItemViews();
}

void NameAs(QWidget* control, const QString& name) {
    if (qobject_cast<QComboBox*>(control) != nullptr) {
        nameComboBoxes();
    }
    control->setAccessibleName(name);
}

void NameAfter(QWidget* control, QWidget* label, const QString& qualifier) {
    if (auto* l = qobject_cast<QLabel*>(label)) {
        l->setBuddy(control);
    }
    const QString text = labelText(label);
    NameAs(control, qualifier.isEmpty() ? text : text + QStringLiteral(" (") + qualifier + u')');
}

}  // namespace kalvor
