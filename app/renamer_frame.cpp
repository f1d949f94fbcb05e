#include "app/renamer_frame.h"

#include <QButtonGroup>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <memory>

#include "app/dir_list_box.h"
#include "app/drive_list_box.h"
#include "app/file_list_box.h"
#include "app/frame_updbase.h"
#include "app/tool_work.h"
#include "catalogue_tools/collaborators_check.h"
#include "dialogs/accessible_names.h"
#include "dialogs/cell_toggles.h"
#include "dialogs/held_text.h"

namespace kalvor {

RenamerFrame::RenamerFrame(Settings& settings, Prompt& prompt, LongWork& work, QWidget* parent)
    : QWidget(parent), settings_(settings), prompt_(prompt), work_(work) {
    setObjectName(QStringLiteral("FrameRenommer"));
    drive_ = new DriveListBox;
    dir_ = new DirListBox;
    file_ = new FileListBox;
    NameAs(drive_, QStringLiteral("Disque"));
    NameAs(dir_, QStringLiteral("Répertoires"));
    NameAs(file_, QStringLiteral("Fichiers"));
    connect(drive_, &DriveListBox::driveChanged, this, &RenamerFrame::Drive1_Change);
    connect(dir_, &DirListBox::pathChanged, this, &RenamerFrame::Dir1_Change);
    // An assistive tool's Toggle chooses the file "Convertir" renames, or
    // marks a folder: only while the lists take input, as a click.
    for (QListWidget* list : std::initializer_list<QListWidget*>{file_, dir_}) {
        CellToggles::Install(list, [list](const QModelIndex& index) {
            list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        });
    }

    auto* left = new QVBoxLayout;
    left->addWidget(buildConversion());
    left->addWidget(buildSelection());
    auto* convertir = new QPushButton(QStringLiteral("Convertir"));
    convertir->setObjectName(QStringLiteral("btn_convertir"));
    connect(convertir, &QPushButton::clicked, this, &RenamerFrame::btn_convertir_Click);
    left->addWidget(convertir);
    left->addStretch(1);

    auto* folders = new QVBoxLayout;
    folders->addWidget(drive_);
    folders->addWidget(dir_, 1);

    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addLayout(folders, 1);
    top->addWidget(file_, 1);

    updbase_ = new FrameUpdbase(settings_, prompt_, work_);
    auto* collaborateurs = new QPushButton(
        QStringLiteral("Vérifier la cohérence des collaborateurs de la base Orme Lo'"));
    collaborateurs->setObjectName(QStringLiteral("btn_collaborateurs"));
    connect(collaborateurs, &QPushButton::clicked, this, &RenamerFrame::btn_collaborateurs_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(updbase_);
    layout->addWidget(collaborateurs, 0, Qt::AlignLeft);

    // Until the start-up says otherwise, the lists show the current folder.
    const QString current = QDir::currentPath();
    drive_->setDriveOf(current);
    dir_->setPath(current);
}

QRadioButton* RenamerFrame::option(const char* name, const QString& caption) {
    auto* button = new QRadioButton(caption);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QWidget* RenamerFrame::buildConversion() {
    auto* frame = new QGroupBox(QStringLiteral(" Conversion "));
    frame->setObjectName(QStringLiteral("frame_typeconversion"));
    auto* grid = new QGridLayout(frame);
    auto* group = new QButtonGroup(frame);
    majuscule_ = option("opt_majuscule", QStringLiteral("majuscule"));
    minuscule_ = option("opt_minuscule", QStringLiteral("minuscule"));
    caractere_ = option("opt_caractere", QStringLiteral("Remplacer"));
    for (QRadioButton* b : {majuscule_, minuscule_, caractere_}) {
        group->addButton(b);
    }
    from_ = new QLineEdit;
    from_->setObjectName(QStringLiteral("box_caract_from"));
    to_ = new QLineEdit;
    to_->setObjectName(QStringLiteral("box_caract_to"));
    auto* par = new QLabel(QStringLiteral("par"));
    par->setObjectName(QStringLiteral("lbl_par"));
    // Named after their labels, not after the frame.
    from_->setAccessibleName(caractere_->text());
    par->setBuddy(to_);
    to_->setAccessibleName(par->text());
    // Typing a text to replace chooses the replacement.
    for (QLineEdit* box : {from_, to_}) {
        KeepTextWhileDisabled(box);
        connect(box, &QLineEdit::textChanged, caractere_, [this, box] {
            if (box->isEnabled()) {
                caractere_->setChecked(true);
            }
        });
    }
    grid->addWidget(majuscule_, 0, 0, 1, 4);
    grid->addWidget(minuscule_, 1, 0, 1, 4);
    grid->addWidget(caractere_, 2, 0);
    grid->addWidget(from_, 2, 1);
    grid->addWidget(par, 2, 2);
    grid->addWidget(to_, 2, 3);
    return frame;
}

QWidget* RenamerFrame::buildSelection() {
    auto* frame = new QGroupBox(QStringLiteral("Sélection"));
    frame->setObjectName(QStringLiteral("frame_selectionconversion"));
    auto* layout = new QVBoxLayout(frame);
    auto* group = new QButtonGroup(frame);
    repertoire_ = option("opt_repertoire", QStringLiteral("Un répertoire complet"));
    fichier_ = option("opt_fichier", QStringLiteral("Un fichier"));
    group->addButton(repertoire_);
    group->addButton(fichier_);
    layout->addWidget(repertoire_);
    layout->addWidget(fichier_);
    fichier_->setChecked(true);
    // The file list serves the single-file mode only.
    connect(fichier_, &QRadioButton::toggled, file_, &QWidget::setVisible);
    return frame;
}

void RenamerFrame::Form_Load(const QString& GV_Rep_Base) {
    QString folder = GV_Rep_Base;
    while (folder.size() > 1 && folder.endsWith(u'/')) {
        folder.chop(1);
    }
    // The lists open on the catalogue's folder; the process's current folder
    // stays, or every relative path it was given would name another file.
    folder = folder.isEmpty() || !QDir(folder).exists() ? QDir::currentPath()
                                                        : QDir(folder).canonicalPath();
    file_->show();
    drive_->setDriveOf(folder);
    dir_->setPath(folder);
    file_->setPath(dir_->Path());
}

renamer::Request RenamerFrame::Request() const {
    renamer::Request r;
    if (minuscule_->isChecked()) {
        r.conversion = renamer::Conversion::Minuscule;
    } else if (majuscule_->isChecked()) {
        r.conversion = renamer::Conversion::Majuscule;
    } else if (caractere_->isChecked()) {
        r.conversion = renamer::Conversion::Caractere;
    }
    if (fichier_->isChecked()) {
        r.selection = renamer::Selection::Fichier;
    } else if (repertoire_->isChecked()) {
        r.selection = renamer::Selection::Repertoire;
    }
    r.from = from_->text();
    r.to = to_->text();
    r.folder = dir_->Path();
    r.file = file_->FileName();
    return r;
}

void RenamerFrame::Drive1_Change(const QString& root) {
    dir_->setPath(folderOfDrive_.value(root, root));
}

void RenamerFrame::Dir1_Change(const QString& path) {
    folderOfDrive_[drive_->DriveOf(path)] = path;
    file_->setPath(path);
}

void RenamerFrame::btn_convertir_Click() {
    auto folder = std::make_shared<QString>();
    auto names = std::make_shared<QStringList>();
    StartTool(
        work_, prompt_,
        [this, request = Request(), folder, names](Prompt& prompt) {
            *folder = renamer::btn_convertir_Click(request, settings_, prompt);
            if (!folder->isEmpty()) {
                *names = FileListBox::Listed(*folder);
            }
        },
        [this, folder, names] {
            if (folder->isEmpty()) {
                return;
            }
            // The folder may have a new name; the lists show what is there
            // now, its files as the work listed them.
            {
                const QSignalBlocker quiet(dir_);
                dir_->setPath(*folder);
            }
            folderOfDrive_[drive_->DriveOf(dir_->Path())] = dir_->Path();
            file_->setListed(dir_->Path(), *names);
        });
}

void RenamerFrame::btn_collaborateurs_Click() {
    StartTool(work_, prompt_, [this](Prompt& prompt) {
        collaborators::btn_collaborateurs_Click(settings_, prompt);
    });
}

}  // namespace kalvor
