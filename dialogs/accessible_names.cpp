#include "dialogs/accessible_names.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace kalvor {
namespace {

// Qt names a combo box after the item it shows, on Linux, and leaves its
// label to a relation that not every tool follows: here its own name comes
// first, as for any other control, and the item shown is its value.
class NamedComboBox : public QAccessibleWidget {
  public:
    explicit NamedComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

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
        if (action != showMenuAction() && action != pressAction()) {
            return;
        }
        if (box()->view()->isVisible()) {
            box()->hidePopup();
        } else {
            box()->showPopup();
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    QComboBox* box() const { return static_cast<QComboBox*>(object()); }
    QString shown() const {
        return box()->isEditable() ? box()->lineEdit()->text() : box()->currentText();
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
