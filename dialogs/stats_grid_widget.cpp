#include "dialogs/stats_grid_widget.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

#include "common/banner.h"
#include "common/general.h"
#include "dialogs/accessible_names.h"
#include "dialogs/cell_toggles.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "settings/stats_grid.h"

namespace kalvor {
namespace {

// Widths of the ten columns, in pixels.
constexpr int kWidths[StatsGrid::kColumns] = {267, 17, 17, 47, 40, 47, 20, 20, 20, 30};
const QColor kLockedColour(200, 200, 200);

QIcon primitiveIcon(const QStyle* style, QStyle::PrimitiveElement element, QStyle::State state) {
    QPixmap pixmap(13, 13);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QStyleOptionButton option;
    option.rect = pixmap.rect();
    option.state = state | QStyle::State_Enabled;
    style->drawPrimitive(element, &option, &painter);
    return QIcon(pixmap);
}

// Cells that act when clicked are never selected: Qt refuses to unselect the
// only selected cell, and a Toggle on it would do nothing.
bool actsWhenClicked(int column) {
    return column == StatsGrid::ColPicture || column == StatsGrid::ColType ||
           column == StatsGrid::ColAutres || column == StatsGrid::ColDown ||
           column == StatsGrid::ColUp;
}

}  // namespace

StatsGridWidget::StatsGridWidget(StatsGrid& model, Prompt& prompt, QWidget* parent)
    : QTableWidget(parent), model_(model), prompt_(prompt) {
    setObjectName(QStringLiteral("MSFlexGrid_Stats"));
    NameAs(this, QStringLiteral("Graphiques de la page Statistiques"));
    comboDown_ = primitiveIcon(style(), QStyle::PE_IndicatorArrowDown, QStyle::State_None);
    comboUp_ = primitiveIcon(style(), QStyle::PE_IndicatorArrowUp, QStyle::State_None);
    bas_ = style()->standardIcon(QStyle::SP_ArrowDown);
    haut_ = style()->standardIcon(QStyle::SP_ArrowUp);

    setRowCount(StatsGrid::kRows);
    setColumnCount(StatsGrid::kColumns);
    // A Toggle acts as a click on its cell, and selects nothing.
    CellToggles* toggles = CellToggles::Install(this, [this](const QModelIndex& cell) {
        selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
        MSFlexGrid_Stats_Click(cell.row(), cell.column());
    });
    // What the table's own selection model tells, which it no longer has.
    connect(toggles, &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                emit currentItemChanged(itemFromIndex(current), itemFromIndex(previous));
                emit currentCellChanged(current.row(), current.column(), previous.row(),
                                        previous.column());
            });
    connect(toggles, &QItemSelectionModel::selectionChanged, this,
            &QTableWidget::itemSelectionChanged);
    setHorizontalHeaderLabels({QString(), QString(), QString(), QStringLiteral(" Valeurs"),
                               QStringLiteral(" Type"), QStringLiteral(" Autres"), QString(),
                               QString(), QString(), QString()});
    // The headers left blank on screen are named for screen readers.
    const QString headerNames[StatsGrid::kColumns] = {
        QStringLiteral("Graphique"), QStringLiteral("Publier"), QStringLiteral("Publié"),
        QStringLiteral("Valeurs"),   QStringLiteral("Type"),    QStringLiteral("Autres"),
        QStringLiteral("Descendre"), QStringLiteral("Monter"),  QStringLiteral("Ordre"),
        QStringLiteral("Code")};
    for (int c = 0; c < StatsGrid::kColumns; ++c) {
        horizontalHeaderItem(c)->setData(Qt::AccessibleTextRole, headerNames[c]);
    }
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setMinimumSectionSize(12);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setIconSize(QSize(13, 13));
    setFixedHeight(horizontalHeader()->sizeHint().height() +
                   StatsGrid::kRows * verticalHeader()->defaultSectionSize() + 2 * frameWidth());
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // Tab leaves the grid for the next control; the arrows move between cells.
    setTabKeyNavigation(false);
    setWordWrap(false);

    editor_ = new QLineEdit(viewport());
    editor_->setObjectName(QStringLiteral("TextSaisie"));
    editor_->setAccessibleName(QStringLiteral("Nombre de valeurs"));
    editor_->setFrame(false);
    editor_->hide();
    editor_->installEventFilter(this);

    // LeaveCell
    connect(this, &QTableWidget::currentCellChanged, this, [this] { CheckTexte(); });
    connect(this, &QTableWidget::cellClicked, this, &StatsGridWidget::MSFlexGrid_Stats_Click);
    connect(this, &QTableWidget::cellDoubleClicked, this, [this] {
        if (editable()) {
            Start_Saisie(32);
        }
    });
    redraw();
    fitColumns();
}

// Each column at least its fixed width, wider where its header or its texts
// need more room in the current font.
void StatsGridWidget::fitColumns() {
    int width = 2 * frameWidth();
    for (int c = 0; c < StatsGrid::kColumns; ++c) {
        const int w =
            std::max({kWidths[c], sizeHintForColumn(c), horizontalHeader()->sectionSizeHint(c)});
        setColumnWidth(c, w);
        width += w;
    }
    setMinimumWidth(width);
}

void StatsGridWidget::Prepare_Grid(Settings& settings) {
    const QStringList refused = model_.Load(settings.PersoCaption(1), settings.PersoCaption(2),
                                            settings.PersoCaption(3), settings.PersoCaption(4));
    for (const QString& name : refused) {
        settings.GV_Erreurs += QStringLiteral("\nerreur lors de la lecture : Statistiques ") + name;
    }
    if (!refused.isEmpty()) {
        general::Write_Log(QStringLiteral("Kalvorform.Prepare_Grid"), settings.GV_Erreurs);
    }
    redraw();
    fitColumns();
    setCurrentCell(0, StatsGrid::ColPicture);
}

void StatsGridWidget::Save_Stats() {
    model_.Save();
}

void StatsGridWidget::setCell(int row, int column, const QString& text, const QIcon& icon,
                              Qt::Alignment alignment) {
    QTableWidgetItem* cell = item(row, column);
    if (cell == nullptr) {
        cell = new QTableWidgetItem;
        cell->setFlags(actsWhenClicked(column) ? Qt::ItemIsEnabled
                                               : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setItem(row, column, cell);
    }
    cell->setText(text);
    cell->setIcon(icon);
    cell->setTextAlignment(alignment | Qt::AlignVCenter);
}

void StatsGridWidget::redraw() {
    const Qt::Alignment left = Qt::AlignLeft;
    const Qt::Alignment right = Qt::AlignRight;
    const Qt::Alignment centre = Qt::AlignHCenter;
    for (int r = 1; r <= StatsGrid::kRows; ++r) {
        const StatsChart& chart = model_.chart(r);
        const int row = r - 1;
        setCell(row, StatsGrid::ColLabel, chart.label, QIcon(), left);
        // The tick is drawn from its check state, which a screen reader also
        // reads, with what it ticks.
        setCell(row, StatsGrid::ColPicture, QString(), QIcon(), centre);
        QTableWidgetItem* tick = item(row, StatsGrid::ColPicture);
        tick->setData(Qt::AccessibleTextRole, QStringLiteral("Publier « %1 »").arg(chart.label));
        tick->setData(Qt::CheckStateRole, chart.used ? Qt::Checked : Qt::Unchecked);
        setCell(row, StatsGrid::ColUse, model_.cellText(r, StatsGrid::ColUse), QIcon(), left);
        setCell(row, StatsGrid::ColValue, model_.cellText(r, StatsGrid::ColValue), QIcon(), left);
        setCell(row, StatsGrid::ColType, model_.cellText(r, StatsGrid::ColType),
                chart.percent ? comboDown_ : comboUp_, right);
        setCell(row, StatsGrid::ColAutres, model_.cellText(r, StatsGrid::ColAutres),
                chart.autres ? comboDown_ : comboUp_, right);
        setCell(row, StatsGrid::ColDown, QString(), r < StatsGrid::kRows ? bas_ : QIcon(), centre);
        item(row, StatsGrid::ColDown)
            ->setData(Qt::AccessibleTextRole,
                      r < StatsGrid::kRows ? QStringLiteral("Descendre « %1 »").arg(chart.label)
                                           : QString());
        setCell(row, StatsGrid::ColUp, QString(), r > 1 ? haut_ : QIcon(), centre);
        item(row, StatsGrid::ColUp)
            ->setData(Qt::AccessibleTextRole,
                      r > 1 ? QStringLiteral("Monter « %1 »").arg(chart.label) : QString());
        setCell(row, StatsGrid::ColSequence, model_.cellText(r, StatsGrid::ColSequence), QIcon(),
                right);
        setCell(row, StatsGrid::ColCode, chart.code, QIcon(), right);
        const QBrush back = model_.isLocked(r) ? QBrush(kLockedColour) : QBrush();
        item(row, StatsGrid::ColValue)->setBackground(back);
        item(row, StatsGrid::ColAutres)->setBackground(back);
    }
}

void StatsGridWidget::MSFlexGrid_Stats_Click(int row, int column) {
    if (!model_.click(row + 1, column)) {
        return;
    }
    redraw();
    if (column == StatsGrid::ColDown || column == StatsGrid::ColUp) {
        setCurrentCell(0, StatsGrid::ColPicture);
    }
}

bool StatsGridWidget::editable() const {
    return currentColumn() == StatsGrid::ColValue && currentRow() >= 0 &&
           !model_.isLocked(currentRow() + 1);
}

void StatsGridWidget::keyPressEvent(QKeyEvent* event) {
    // Space ticks a chart as a click does, as it ticks any check box.
    const bool space = event->key() == Qt::Key_Space || event->key() == Qt::Key_Select;
    if (space && event->modifiers() == Qt::NoModifier && currentColumn() == StatsGrid::ColPicture &&
        currentRow() >= 0) {
        MSFlexGrid_Stats_Click(currentRow(), StatsGrid::ColPicture);
        return;
    }
    const QString text = event->text();
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (editable() && !text.isEmpty() && !tab && !(event->modifiers() & Qt::ControlModifier)) {
        Start_Saisie(text.at(0).unicode());
        return;
    }
    QTableWidget::keyPressEvent(event);
}

// Receiving the focus commits an open edit.
void StatsGridWidget::focusInEvent(QFocusEvent* event) {
    if (!closing_) {
        CheckTexte();
    }
    QTableWidget::focusInEvent(event);
}

void StatsGridWidget::Start_Saisie(int code) {
    QTableWidgetItem* cell = currentItem();
    if (cell == nullptr) {
        return;
    }
    editRow_ = currentRow();
    editor_->setGeometry(visualItemRect(cell));
    editor_->setText(cell->text());
    editor_->setAccessibleDescription(model_.chart(editRow_ + 1).label);
    editor_->show();
    editor_->setFocus();
    cell->setBackground(editor_->palette().color(QPalette::Base));
    if (code >= 0 && code <= 32) {
        editor_->setCursorPosition(int(editor_->text().size()));
    } else {
        editor_->setText(QString(QChar(code)));
        editor_->setCursorPosition(1);
    }
}

void StatsGridWidget::closeEditor() {
    // The grid takes the focus first: an editor hidden while it holds the
    // focus passes it on as a Tab would, and the current cell would move.
    closing_ = true;
    setFocus();
    closing_ = false;
    editor_->hide();
    editor_->clear();
    redraw();
}

void StatsGridWidget::CheckTexte() {
    if (!editor_->isVisible()) {
        return;
    }
    // The row the editor was opened on: a click elsewhere has already moved
    // the current cell when the grid reports it.
    const QString typed = editor_->text();
    model_.setValue(editRow_ + 1, typed);
    closeEditor();
    // Said once the editor is closed: the message box takes the focus.
    if (!StatsGrid::isWholeNumber(typed)) {
        prompt_.message(QStringLiteral("Veuillez entrer un nombre entier positif"), kBanner,
                        PromptIcon::Critical);
    }
}

bool StatsGridWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != editor_ || event->type() != QEvent::KeyPress) {
        return QTableWidget::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const int row = currentRow();
    const int column = currentColumn();
    auto moveTo = [this](int r, int c) {
        if (r >= 0 && r < rowCount() && c >= 0 && c < columnCount()) {
            setCurrentCell(r, c);
        }
    };
    switch (key->key()) {
        case Qt::Key_Escape:
            closeEditor();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            CheckTexte();
            return true;
        case Qt::Key_Down:
        case Qt::Key_Up:
            CheckTexte();
            moveTo(row + (key->key() == Qt::Key_Down ? 1 : -1), column);
            return true;
        case Qt::Key_Left:
            if (editor_->cursorPosition() != 0) {
                break;
            }
            CheckTexte();
            moveTo(row, column - 1);
            return true;
        case Qt::Key_Right:
            if (editor_->cursorPosition() != editor_->text().size()) {
                break;
            }
            CheckTexte();
            moveTo(row, column + 1);
            return true;
        default:
            break;
    }
    return QTableWidget::eventFilter(watched, event);
}

}  // namespace kalvor
