#include "dialogs/frm_about.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace kalvor {
namespace {

TEST(FrmAbout, ShowsTheProductAndTheFileVersionAndClosesOnOk) {
    FrmAbout* about = FrmAbout::ShowDefault();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(FrmAbout::ShowDefault(), about);  // one instance
    EXPECT_EQ(about->windowTitle(), "A propos de Kalvor");
    EXPECT_EQ(about->lblVersion()->text(), "version 1.7");
    about->cmdOK()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(FrmAbout::Default(), nullptr);
}

}  // namespace
}  // namespace kalvor
