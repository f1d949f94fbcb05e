#include "app/site_check_tab.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "app/event_turns.h"
#include "dialogs/accessible_names.h"
#include "dialogs/cell_toggles.h"
#include "dialogs/check_report.h"
#include "platform/inet.h"
#include "platform/long_work.h"
#include "platform/prompt.h"
#include "settings/settings.h"

namespace kalvor {

SiteCheckTab::SiteCheckTab(Settings& settings, Prompt& prompt, LongWork& work,
                           std::function<void(const QString&)> showStatus, QWidget* parent)
    : QWidget(parent),
      settings_(settings),
      prompt_(prompt),
      work_(work),
      forwarded_(prompt, work),
      showStatus_(std::move(showStatus)),
      check_(forwarded_, *this) {
    setObjectName(QStringLiteral("tab_verification"));
    btn_check_files_ =
        button("btn_check_files", QStringLiteral("Analyse"), &SiteCheckTab::btn_check_files_Click);
    btn_check_files_->setToolTip(QStringLiteral(
        "Analyse la cohérence entre les fichiers utilisés et ceux présent sur le site"));
    btn_compare_files_ = button("btn_compare_files", QStringLiteral("Voir Résulats Miniatures"),
                                &SiteCheckTab::btn_compare_files_Click);
    btn_TV_Missing_plus_ = button("btn_TV_Missing_plus", QStringLiteral("+"),
                                  &SiteCheckTab::btn_TV_Missing_plus_Click);
    btn_TV_Missing_moins_ = button("btn_TV_Missing_moins", QStringLiteral("-"),
                                   &SiteCheckTab::btn_TV_Missing_moins_Click);
    btn_TV_Excess_plus_ =
        button("btn_TV_Excess_plus", QStringLiteral("+"), &SiteCheckTab::btn_TV_Excess_plus_Click);
    btn_TV_Excess_Moins_ = button("btn_TV_Excess_Moins", QStringLiteral("-"),
                                  &SiteCheckTab::btn_TV_Excess_Moins_Click);
    btn_imprimer_ = button("btn_imprimer", QStringLiteral("Imprimer le rapport d'Analyse"),
                           &SiteCheckTab::btn_imprimer_Click);
    for (QPushButton* b : {btn_compare_files_, btn_TV_Missing_plus_, btn_TV_Missing_moins_,
                           btn_TV_Excess_plus_, btn_TV_Excess_Moins_, btn_imprimer_}) {
        b->setEnabled(false);
    }
    for (QPushButton* b :
         {btn_TV_Missing_plus_, btn_TV_Missing_moins_, btn_TV_Excess_plus_, btn_TV_Excess_Moins_}) {
        b->setFixedWidth(28);
    }
    // "+" and "-" say nothing to a screen reader; the left list is the
    // missing files' or the thumbnails' as the view goes.
    btn_TV_Missing_plus_->setAccessibleName(QStringLiteral("Tout déplier (liste de gauche)"));
    btn_TV_Missing_moins_->setAccessibleName(QStringLiteral("Tout replier (liste de gauche)"));
    btn_TV_Excess_plus_->setAccessibleName(QStringLiteral("Tout déplier (fichiers non utilisés)"));
    btn_TV_Excess_Moins_->setAccessibleName(QStringLiteral("Tout replier (fichiers non utilisés)"));
    TV_missing_ = tree("TV_missing");
    TV_excess_ = tree("TV_excess");
    TV_thumbs_ = tree("TV_thumbs");
    TV_thumbs_->hide();
    NameAs(TV_missing_, QStringLiteral("Fichiers manquants"));
    NameAs(TV_excess_, QStringLiteral("Fichiers non utilisés"));
    NameAs(TV_thumbs_, QStringLiteral("Problèmes miniatures"));
    for (QTreeWidget* t : {TV_missing_, TV_excess_, TV_thumbs_}) {
        t->setHeaderLabel(t->accessibleName());  // hidden, but read all the same
    }
    lbl_TV_missing_ = new QLabel(QStringLiteral("Fichiers manquants :"));
    lbl_TV_missing_->setObjectName(QStringLiteral("lbl_TV_missing"));
    lbl_TV_excess_ = new QLabel(QStringLiteral("Fichiers non utilisés :"));
    lbl_TV_excess_->setObjectName(QStringLiteral("lbl_TV_excess"));
    lbl_lignes_ignorees_ = new QLabel;
    lbl_lignes_ignorees_->setObjectName(QStringLiteral("lbl_lignes_ignorees"));
    lbl_lignes_ignorees_->hide();
    lbl_verification_ = new QLabel;
    lbl_verification_->setObjectName(QStringLiteral("lbl_verification"));
    lbl_verification_->hide();

    auto* commands = new QHBoxLayout;
    commands->addWidget(btn_check_files_);
    commands->addWidget(btn_compare_files_);
    commands->addWidget(btn_imprimer_);
    commands->addStretch(1);

    const auto heading = [](QLabel* label, QPushButton* plus, QPushButton* minus) {
        auto* row = new QHBoxLayout;
        row->addWidget(label);
        row->addStretch(1);
        row->addWidget(plus);
        row->addWidget(minus);
        return row;
    };
    auto* grid = new QGridLayout;
    grid->addLayout(heading(lbl_TV_missing_, btn_TV_Missing_plus_, btn_TV_Missing_moins_), 0, 0);
    grid->addLayout(heading(lbl_TV_excess_, btn_TV_Excess_plus_, btn_TV_Excess_Moins_), 0, 1);
    grid->addWidget(TV_missing_, 1, 0);
    grid->addWidget(TV_excess_, 1, 1);
    grid->addWidget(TV_thumbs_, 1, 0, 1, 2);  // in the space of both

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(commands);
    layout->addLayout(grid, 1);
    layout->addWidget(lbl_lignes_ignorees_);
    layout->addWidget(lbl_verification_);
}

QPushButton* SiteCheckTab::button(const char* name, const QString& caption,
                                  void (SiteCheckTab::*click)()) {
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    connect(b, &QPushButton::clicked, this, [this, click] { (this->*click)(); });
    return b;
}

QTreeWidget* SiteCheckTab::tree(const char* name) {
    auto* t = new QTreeWidget;
    t->setObjectName(QString::fromLatin1(name));
    t->setHeaderHidden(true);
    t->setColumnCount(1);
    t->setRootIsDecorated(true);
    t->header()->setStretchLastSection(true);
    // A Toggle from an assistive tool opens or closes a kind, as the mouse
    // does on its arrow, and selects a file. A kind stays unselected, or the
    // next Toggle could not close it: Qt never unselects the only selected row.
    // Qt selects a row of a tree by its number among all rows shown, which a
    // file's own row number is not: items are selected, the only column.
    t->setSelectionBehavior(QAbstractItemView::SelectItems);
    CellToggles::Install(t, [t](const QModelIndex& index) {
        if (t->model()->hasChildren(index)) {
            t->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
            t->setExpanded(index, !t->isExpanded(index));
        } else {
            t->selectionModel()->setCurrentIndex(
                index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
    });
    return t;
}

bool SiteCheckTab::Defer_Close() {
    if (!check_.Running()) {
        return false;
    }
    check_.Stop();
    return true;
}

void SiteCheckTab::btn_check_files_Click() {
    // A press that reached the button while other work ran: nothing is
    // cleared before the check may start.
    if (work_.running()) {
        LongWork::Say_Busy(prompt_);
        return;
    }
    if (!check_.Begin(settings_)) {
        return;
    }
    const int timeout = timeoutMs_;
    work_.start(
        [this, timeout] {
            Inet inet(timeout);
            check_.Work(inet);
        },
        [this] { check_.End(); }, [this] { check_.Stop(); });
}

// ------------------------------------------------------------ view of the check

void SiteCheckTab::Show_Phase(const QString& text) {
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            if (showStatus_) {
                showStatus_(text);
            }
        },
        Qt::AutoConnection);
}

void SiteCheckTab::Enable_Check(bool enabled) {
    btn_check_files_->setEnabled(enabled);
}

void SiteCheckTab::Fill_TreeViews(const site::CheckResult& result) {
    QTreeWidget* trees[] = {TV_missing_, TV_excess_, TV_thumbs_};
    EventTurns turns;
    for (int t = 0; t < 3; ++t) {
        trees[t]->clear();
        QHash<QString, QTreeWidgetItem*> roots;
        for (const site::TreeRoot& root : site::Tree_Roots()) {
            auto* item = new QTreeWidgetItem(trees[t], QStringList{root.text});
            item->setData(0, Qt::UserRole, root.key);
            roots.insert(root.key, item);
        }
        // Those of the check that ran; a result from elsewhere makes its own.
        const QList<site::TreeNode> children = &result == &check_.result()
                                                   ? check_.treeNodes(t)
                                                   : (t == 0   ? result.Missing_Nodes()
                                                      : t == 1 ? result.Unreferenced_Nodes()
                                                               : result.Thumbnail_Nodes());
        // Tens of thousands of files go in by batches, the window answering
        // between them.
        for (qsizetype from = 0; from < children.size(); from += 500) {
            QHash<QTreeWidgetItem*, QList<QTreeWidgetItem*>> items;
            for (const site::TreeNode& node : children.mid(from, 500)) {
                QTreeWidgetItem* parent = roots.value(node.rootKey);
                if (parent == nullptr) {
                    continue;  // a kind the trees do not show
                }
                auto* item = new QTreeWidgetItem(QStringList{node.text});
                item->setData(0, Qt::UserRole, node.key);
                // A file is never told expanded, even by "+".
                item->setFlags(item->flags() | Qt::ItemNeverHasChildren);
                items[parent] << item;
            }
            for (auto it = items.cbegin(); it != items.cend(); ++it) {
                it.key()->addChildren(it.value());
            }
            turns.runWhenDue();
        }
    }
    // Said only when some are: assistive tools read a hidden label too.
    const int skipped = check_.state().malformedLines;
    lbl_lignes_ignorees_->setText(
        skipped > 0 ? QStringLiteral("%1 ligne(s) des listes du site illisible(s), ignorée(s).")
                          .arg(skipped)
                    : QString());
    lbl_lignes_ignorees_->setVisible(skipped > 0);
    // A completed check always shows the file result first.
    showFileView();
}

void SiteCheckTab::Show_Ended(const QString& text) {
    lbl_verification_->setText(text);
    lbl_verification_->show();
}

void SiteCheckTab::Enable_Results() {
    for (QPushButton* b : {btn_compare_files_, btn_TV_Missing_plus_, btn_TV_Missing_moins_,
                           btn_TV_Excess_plus_, btn_TV_Excess_Moins_, btn_imprimer_}) {
        b->setEnabled(true);
    }
}

void SiteCheckTab::Clear_Results() {
    for (QTreeWidget* t : {TV_missing_, TV_excess_, TV_thumbs_}) {
        t->clear();
    }
    lbl_lignes_ignorees_->clear();
    lbl_lignes_ignorees_->hide();
    lbl_verification_->hide();
    for (QPushButton* b : {btn_compare_files_, btn_TV_Missing_plus_, btn_TV_Missing_moins_,
                           btn_TV_Excess_plus_, btn_TV_Excess_Moins_, btn_imprimer_}) {
        b->setEnabled(false);
    }
}

// ------------------------------------------------------------ result views

void SiteCheckTab::showFileView() {
    btn_compare_files_->setText(QStringLiteral("Voir Résultats Miniatures"));
    TV_excess_->show();
    TV_missing_->show();
    TV_thumbs_->hide();
    lbl_TV_excess_->show();
    btn_TV_Excess_Moins_->show();
    btn_TV_Excess_plus_->show();
    lbl_TV_missing_->setText(QStringLiteral("Fichiers manquants :"));
    check_.GV_Vue_Fichiers = true;
}

void SiteCheckTab::showThumbnailView() {
    btn_compare_files_->setText(QStringLiteral("Voir Résultats Fichiers"));
    TV_excess_->hide();
    TV_missing_->hide();
    TV_thumbs_->show();
    lbl_TV_excess_->hide();
    lbl_TV_missing_->setText(QStringLiteral("Problèmes miniatures :"));
    btn_TV_Excess_Moins_->hide();
    btn_TV_Excess_plus_->hide();
    check_.GV_Vue_Fichiers = false;
}

void SiteCheckTab::btn_compare_files_Click() {
    if (check_.GV_Vue_Fichiers) {
        showThumbnailView();
    } else {
        showFileView();
    }
}

void SiteCheckTab::btn_TV_Missing_plus_Click() {
    (check_.GV_Vue_Fichiers ? TV_missing_ : TV_thumbs_)->expandAll();
}

void SiteCheckTab::btn_TV_Missing_moins_Click() {
    (check_.GV_Vue_Fichiers ? TV_missing_ : TV_thumbs_)->collapseAll();
}

void SiteCheckTab::btn_TV_Excess_plus_Click() {
    TV_excess_->expandAll();
}

void SiteCheckTab::btn_TV_Excess_Moins_Click() {
    TV_excess_->collapseAll();
}

void SiteCheckTab::btn_imprimer_Click() {
    site::Print_Rapport(settings_, prompt_, site::Printer_Dialog(window()),
                        check_.result().unchecked);
}

}  // namespace kalvor
