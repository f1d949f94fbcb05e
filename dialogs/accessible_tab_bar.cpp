#include "dialogs/accessible_tab_bar.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QTabBar>
#include <QWindow>
#include <map>

namespace kalvor {
namespace {

class AccessibleTab : public QAccessibleInterface, public QAccessibleActionInterface {
  public:
    AccessibleTab(QTabBar* bar, int index) : bar_(bar), index_(index) {}

    bool isValid() const override { return bar_ != nullptr && index_ < bar_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return bar_ != nullptr ? bar_->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(bar_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) {
            return {};
        }
        if (t == QAccessible::Name) {
            const QString name = bar_->accessibleTabName(index_);
            return name.isEmpty() ? QString(bar_->tabText(index_)).remove(u'&') : name;
        }
        return t == QAccessible::Description ? bar_->tabToolTip(index_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid() || !bar_->isVisible()) {
            return {};
        }
        const QRect r = bar_->tabRect(index_);
        return QRect(bar_->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.disabled = !enabled();
        s.invisible = !bar_->isVisible() || !bar_->isTabVisible(index_);
        s.focusable = !s.disabled;
        s.selectable = !s.disabled;
        s.selected = index_ == bar_->currentIndex();
        s.focused = s.selected && bar_->hasFocus();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override {
        return enabled() ? QStringList{pressAction()} : QStringList();
    }
    void doAction(const QString& action) override {
        if (action == pressAction() && enabled()) {
            bar_->setCurrentIndex(index_);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    bool enabled() const { return isValid() && bar_->isEnabled() && bar_->isTabEnabled(index_); }

    QPointer<QTabBar> bar_;
    int index_;
};

// Qt's own tab bar gives each tab the state of the whole bar.
class AccessibleTabBar : public QAccessibleWidget {
  public:
    explicit AccessibleTabBar(QTabBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~AccessibleTabBar() override {
        for (const auto& [index, id] : tabs_) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }

    int childCount() const override { return bar()->count(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= bar()->count()) {
            return nullptr;
        }
        auto found = tabs_.find(index);
        if (found == tabs_.end()) {
            auto* tab = new AccessibleTab(bar(), index);
            found = tabs_.emplace(index, QAccessible::registerAccessibleInterface(tab)).first;
        }
        return QAccessible::accessibleInterface(found->second);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (const auto& [index, id] : tabs_) {
            if (QAccessible::accessibleInterface(id) == child) {
                return index;
            }
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const int index = bar()->tabAt(bar()->mapFromGlobal(QPoint(x, y)));
        return index >= 0 ? child(index) : nullptr;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && bar()->accessibleName().isEmpty()) {
            return QString(bar()->tabText(bar()->currentIndex())).remove(u'&');
        }
        return QAccessibleWidget::text(t);
    }

  private:
    QTabBar* bar() const { return static_cast<QTabBar*>(object()); }

    mutable std::map<int, QAccessible::Id> tabs_;
};

QAccessibleInterface* tabBars(const QString& className, QObject* object) {
    if (className == QLatin1String("QTabBar") && object->isWidgetType()) {
        return new AccessibleTabBar(static_cast<QTabBar*>(object));
    }
    return nullptr;
}

}  // namespace

void InstallAccessibleTabBars() {
    static const bool installed = [] {
        QAccessible::installFactory(tabBars);
        return true;
    }();
    (void)installed;
}

void TabStateChanged(QTabBar* bar, int index) {
    QAccessibleInterface* barInterface = QAccessible::queryAccessibleInterface(bar);
    QAccessibleInterface* tab = barInterface != nullptr ? barInterface->child(index) : nullptr;
    if (tab == nullptr) {
        return;
    }
    QAccessible::State changed;
    changed.disabled = true;
    QAccessibleStateChangeEvent event(tab, changed);
    QAccessible::updateAccessibility(&event);
}

}  // namespace kalvor
