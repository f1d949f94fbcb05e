#include "dialogs/frm_choix_dir.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "dialogs/accessible_names.h"
#include "dialogs/cell_toggles.h"
#include "settings/settings.h"

namespace kalvor {
namespace {
QPointer<FrmChoixDir> defaultInstance;

constexpr int kPathRole = Qt::UserRole;
constexpr int kPopulatedRole = Qt::UserRole + 1;

bool isUsableFolder(const QString& path) {
    const QFileInfo info(path);
    return !path.isEmpty() && info.isDir() && info.isReadable();
}

QString childPath(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

bool isUnder(const QString& path, const QString& root) {
    return path == root || root == u"/" || path.startsWith(root + QLatin1Char('/'));
}
}  // namespace

FrmChoixDir::FrmChoixDir(Settings& settings, QWidget* reference)
    : QDialog(nullptr), settings_(settings) {
    setObjectName(QStringLiteral("frmChoixDir"));
    setWindowTitle(QStringLiteral("Choix d'un répertoire"));

    auto* frame = new QGroupBox(QStringLiteral("Choisissez un répertoire :"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    drives_ = new QComboBox(frame);
    drives_->setObjectName(QStringLiteral("DriveList"));
    drives_->addItems(Drives());
    dirs_ = new QTreeWidget(frame);
    dirs_->setObjectName(QStringLiteral("DirList"));
    dirs_->setHeaderHidden(true);
    dirs_->setColumnCount(1);
    dirs_->setHeaderLabel(QStringLiteral("Répertoires"));  // what a screen reader says of it
    files_ = new QListWidget(frame);
    files_->setObjectName(QStringLiteral("FileList"));
    files_->setSelectionMode(QAbstractItemView::NoSelection);

    auto* frameLayout = new QVBoxLayout(frame);
    auto* disque = new QLabel(QStringLiteral("Disque :"), frame);
    NameAfter(drives_, disque);
    frameLayout->addWidget(disque);
    frameLayout->addWidget(drives_);
    auto* lists = new QHBoxLayout;
    auto* dirColumn = new QVBoxLayout;
    auto* repertoires = new QLabel(QStringLiteral("Répertoires :"), frame);
    NameAfter(dirs_, repertoires);
    dirColumn->addWidget(repertoires);
    dirColumn->addWidget(dirs_);
    auto* fileColumn = new QVBoxLayout;
    auto* fichiers = new QLabel(QStringLiteral("Liste des fichiers "), frame);
    NameAfter(files_, fichiers);
    fileColumn->addWidget(fichiers);
    fileColumn->addWidget(files_);
    lists->addLayout(dirColumn, 3);
    lists->addLayout(fileColumn, 2);
    frameLayout->addLayout(lists);

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(style()->standardIcon(QStyle::SP_DirOpenIcon).pixmap(32, 32));
    lbPath_ = new QLabel(this);
    lbPath_->setObjectName(QStringLiteral("lbPath"));
    lbPath_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* chosen = new QHBoxLayout;
    chosen->addWidget(image);
    auto* chosenText = new QVBoxLayout;
    chosenText->addWidget(new QLabel(QStringLiteral("Répertoire sélectionné :"), this));
    chosenText->addWidget(lbPath_);
    chosen->addLayout(chosenText, 1);

    ok_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"),
                          this);
    ok_->setObjectName(QStringLiteral("btOK"));
    annuler_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                               QStringLiteral("Annuler"), this);
    annuler_->setObjectName(QStringLiteral("btAnnuler"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(annuler_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addLayout(chosen);
    layout->addLayout(buttons);
    resize(560, 420);

    connect(drives_, &QComboBox::activated, this,
            [this](int index) { DriveList_Change(drives_->itemText(index)); });
    connect(dirs_, &QTreeWidget::itemExpanded, this, &FrmChoixDir::populate);
    // A folder reached by the keys is chosen as one clicked: Space and
    // Return choose it again, and a Toggle from an assistive tool moves to it.
    // Items, not rows: Qt would select a row by its number among all rows.
    dirs_->setSelectionBehavior(QAbstractItemView::SelectItems);
    CellToggles::Install(dirs_, [this](const QModelIndex& index) {
        dirs_->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        DirList_Click(index.data(kPathRole).toString());
    });
    dirs_->installEventFilter(this);
    connect(dirs_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (moving_ || !current.isValid()) {
                    return;
                }
                dirPath_ = current.data(kPathRole).toString();
                driveFolders_.insert(drive_, dirPath_);
                DirList_Change();
                ok_->setEnabled(isUsableFolder(dirPath_));
            });
    connect(dirs_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { DirList_Click(item->data(0, kPathRole).toString()); });
    connect(ok_, &QPushButton::clicked, this, &FrmChoixDir::btOK_Click);
    connect(annuler_, &QPushButton::clicked, this, &FrmChoixDir::btAnnuler_Click);

    // Form_Load
    drive_ = driveOf(QDir::currentPath());
    drives_->setCurrentIndex(drives_->findText(drive_));
    const QString& exportFolder = settings_.GV_Export;
    if (!exportFolder.isEmpty()) {
        lbPath_->setText(exportFolder);
    }
    // A folder that no longer exists opens the lists on the current folder.
    setDirPath(isUsableFolder(exportFolder) ? exportFolder : QDir::currentPath());
    if (!exportFolder.isEmpty()) {
        lbPath_->setText(exportFolder);
    } else {
        lbPath_->clear();
    }
    centreOn(reference);
    ok_->setEnabled(false);
}

FrmChoixDir* FrmChoixDir::ShowDefault(Settings& settings, QWidget* reference) {
    if (!defaultInstance) {
        defaultInstance = new FrmChoixDir(settings, reference);
        defaultInstance->setAttribute(Qt::WA_DeleteOnClose);
    }
    defaultInstance->show();
    defaultInstance->raise();
    defaultInstance->activateWindow();
    return defaultInstance;
}

FrmChoixDir* FrmChoixDir::Default() {
    return defaultInstance;
}

QStringList FrmChoixDir::Drives() {
    QStringList others;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        // Files bound into a container are mount points too: folders only.
        if (volume.isValid() && volume.isReady() && root != u"/" && QFileInfo(root).isDir() &&
            !others.contains(root)) {
            others << root;
        }
    }
    others.sort();
    return QStringList{QStringLiteral("/")} + others;
}

QString FrmChoixDir::driveOf(const QString& path) const {
    QString best = QStringLiteral("/");
    for (int i = 0; i < drives_->count(); ++i) {
        const QString root = drives_->itemText(i);
        if (isUnder(path, root) && root.size() > best.size()) {
            best = root;
        }
    }
    return best;
}

void FrmChoixDir::centreOn(QWidget* reference) {
    if (reference == nullptr) {
        return;
    }
    const QRect frame = reference->frameGeometry();
    move(frame.left() + (frame.width() - width()) / 2,
         frame.top() + (frame.height() - height()) / 2);
}

void FrmChoixDir::populate(QTreeWidgetItem* item) {
    if (item == nullptr || item->data(0, kPopulatedRole).toBool()) {
        return;
    }
    item->setData(0, kPopulatedRole, true);
    const QString folder = item->data(0, kPathRole).toString();
    const QStringList names =
        QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        auto* child = new QTreeWidgetItem(item, QStringList{name});
        child->setData(0, kPathRole, childPath(folder, name));
        child->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
        child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QTreeWidgetItem* FrmChoixDir::folderItem(const QString& path) {
    const QString root = isUnder(path, drive_) ? drive_ : driveOf(path);
    dirs_->clear();
    auto* item = new QTreeWidgetItem(dirs_, QStringList{root});
    item->setData(0, kPathRole, root);
    item->setIcon(0, style()->standardIcon(QStyle::SP_DriveHDIcon));
    const QStringList parts = path.mid(root.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        populate(item);
        item->setExpanded(true);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount() && next == nullptr; ++i) {
            if (item->child(i)->text(0) == part) {
                next = item->child(i);
            }
        }
        if (next == nullptr) {  // hidden folder: not listed, reached all the same
            next = new QTreeWidgetItem(item, QStringList{part});
            next->setData(0, kPathRole, childPath(item->data(0, kPathRole).toString(), part));
        }
        next->setIcon(0, style()->standardIcon(QStyle::SP_DirOpenIcon));
        item = next;
    }
    populate(item);
    item->setExpanded(true);
    return item;
}

void FrmChoixDir::setDirPath(const QString& path) {
    if (!isUsableFolder(path)) {
        return;
    }
    const QString folder = QDir::cleanPath(QDir(path).absolutePath());
    moving_ = true;
    QTreeWidgetItem* item = folderItem(folder);
    dirs_->setCurrentItem(item);
    dirs_->scrollToItem(item);
    moving_ = false;
    dirPath_ = folder;
    driveFolders_.insert(drive_, folder);
    DirList_Change();
}

void FrmChoixDir::DriveList_Change(const QString& drive) {
    // A drive without a medium, or one that cannot be read: nothing moves.
    if (!isUsableFolder(drive)) {
        const QSignalBlocker block(drives_);
        drives_->setCurrentIndex(drives_->findText(drive_));
        return;
    }
    QString folder = driveFolders_.value(drive, drive);
    if (!isUsableFolder(folder)) {
        folder = drive;
    }
    drive_ = drive;
    {
        const QSignalBlocker block(drives_);
        drives_->setCurrentIndex(drives_->findText(drive_));
    }
    setDirPath(folder);
}

void FrmChoixDir::DirList_Change() {
    lbPath_->setText(dirPath_);
    files_->clear();
    files_->addItems(QDir(dirPath_).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
}

void FrmChoixDir::DirList_Click(const QString& folder) {
    if (folder != dirPath_) {
        setDirPath(folder);
    } else {
        DirList_Change();
    }
    ok_->setEnabled(isUsableFolder(dirPath_) && lbPath_->text() == dirPath_);
}

bool FrmChoixDir::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dirs_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // Return stays in the list: OK is pressed on its own.
        if ((key == Qt::Key_Space || key == Qt::Key_Select || key == Qt::Key_Return ||
             key == Qt::Key_Enter) &&
            dirs_->currentItem() != nullptr) {
            DirList_Click(dirs_->currentItem()->data(0, kPathRole).toString());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FrmChoixDir::btOK_Click() {
    settings_.GV_Export = lbPath_->text();
    settings_.box_phpexport = settings_.GV_Export;
    emit exportChosen(settings_.GV_Export);
    close();
}

void FrmChoixDir::btAnnuler_Click() {
    close();
}

}  // namespace kalvor
