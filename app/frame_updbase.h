#pragma once

#include <QGroupBox>

#include "catalogue_tools/case_conversion.h"

class QCheckBox;

namespace kalvor {

class Prompt;
class Settings;

// The frame of the renamer view that converts the case of the image file
// names stored in the catalogue.
class FrameUpdbase : public QGroupBox {
    Q_OBJECT
  public:
    FrameUpdbase(Settings& settings, Prompt& prompt, QWidget* parent = nullptr);

    // The six boxes as they stand.
    caseconv::Tables Tables() const;

    void cmd_majuscule_Click();
    void cmd_minuscule_Click();

  private:
    QCheckBox* box(const char* name, const QString& caption);

    Settings& settings_;
    Prompt& prompt_;
    QCheckBox* albums_;
    QCheckBox* acheter_;
    QCheckBox* serie_;
    QCheckBox* auteur_;
    QCheckBox* exlibris_;
    QCheckBox* revues_;
};

}  // namespace kalvor
