#pragma once

#include <QGroupBox>

#include "catalogue_tools/case_conversion.h"

class QCheckBox;

namespace kalvor {

class LongWork;
class Prompt;
class Settings;

// The frame of the renamer view that converts the case of the image file
// names stored in the catalogue, as the window's long work.
class FrameUpdbase : public QGroupBox {
    Q_OBJECT
  public:
    FrameUpdbase(Settings& settings, Prompt& prompt, LongWork& work, QWidget* parent = nullptr);

    // The six boxes as they stand.
    caseconv::Tables Tables() const;

    void cmd_majuscule_Click();
    void cmd_minuscule_Click();

  private:
    QCheckBox* box(const char* name, const QString& caption);
    void convert(void (*click)(Settings&, const caseconv::Tables&, Prompt&));

    Settings& settings_;
    Prompt& prompt_;
    LongWork& work_;
    QCheckBox* albums_;
    QCheckBox* acheter_;
    QCheckBox* serie_;
    QCheckBox* auteur_;
    QCheckBox* exlibris_;
    QCheckBox* revues_;
};

}  // namespace kalvor
