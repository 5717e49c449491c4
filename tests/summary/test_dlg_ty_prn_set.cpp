// Print settings of the discharge summary: the texts it shows, the defaults
// at every opening and the two flags returned on OK.

#include "summary/FrmDlgTyPrnSetU.h"

#include "common/TestApp.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace {

TEST(FrmDlgTyPrnSet, ShowsTheSummaryAndReturnsTheChoices)
{
    TFrmDlgTyPrnSet dlg;
    dlg.FID = QStringLiteral("1000000001");
    dlg.FKNJNM = QStringLiteral("山本　正雄");
    dlg.FKANM = QStringLiteral("循環器内科");
    dlg.FNDTE = QStringLiteral("2024/03/15");
    dlg.FTDTE = QStringLiteral("2024/04/02");

    whenModal(QStringLiteral("TFrmDlgTyPrnSet"), [](QWidget* w) {
        auto* d = static_cast<TFrmDlgTyPrnSet*>(w);
        EXPECT_EQ(d->windowTitle(), QStringLiteral("退院サマリ作成支援"));
        EXPECT_EQ(d->lblKNJNM->text(), QStringLiteral("山本　正雄"));
        EXPECT_EQ(d->lblID->text(), QStringLiteral("1000000001"));
        EXPECT_EQ(d->lblKANM->text(), QStringLiteral("循環器内科"));
        EXPECT_EQ(d->lblNYUKIKAN->text(), QStringLiteral("2024/03/15～2024/04/02"));
        EXPECT_EQ(d->cbPrnHosp->text(), QStringLiteral("当施設情報を印字する"));
        EXPECT_EQ(d->cbPrnDtm->text(), QStringLiteral("出力日時を印字する"));
        EXPECT_TRUE(d->cbPrnHosp->isChecked());
        EXPECT_FALSE(d->cbPrnDtm->isChecked());
        d->cbPrnHosp->setChecked(false);
        d->cbPrnDtm->setChecked(true);
        d->bbtnOk->click();
    });
    ASSERT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_FALSE(dlg.FPRNHOSP);
    EXPECT_TRUE(dlg.FPRNDTM);

    // The choices are not remembered: the next opening starts from the
    // defaults, and OK returns them.
    whenModal(QStringLiteral("TFrmDlgTyPrnSet"), [](QWidget* w) {
        auto* d = static_cast<TFrmDlgTyPrnSet*>(w);
        EXPECT_TRUE(d->cbPrnHosp->isChecked());
        EXPECT_FALSE(d->cbPrnDtm->isChecked());
        d->bbtnOk->click();
    });
    ASSERT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_TRUE(dlg.FPRNHOSP);
    EXPECT_FALSE(dlg.FPRNDTM);
}

TEST(FrmDlgTyPrnSet, CancelGivesRejected)
{
    TFrmDlgTyPrnSet dlg;
    dlg.FTDTE.clear();   // still in hospital
    whenModal(QStringLiteral("TFrmDlgTyPrnSet"), [](QWidget* w) {
        auto* d = static_cast<TFrmDlgTyPrnSet*>(w);
        EXPECT_EQ(d->lblNYUKIKAN->text(), QStringLiteral("～"));
        d->findChild<QPushButton*>(QStringLiteral("bbtnCancel"))->click();
    });
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
}

} // namespace

namespace {
TEST(FrmDlgTyPrnSet, ShownAgainByTheWindowSystemKeepsTheChoices)
{
    TFrmDlgTyPrnSet dlg;
    dlg.show();
    dlg.cbPrnHosp->setChecked(false);
    dlg.cbPrnDtm->setChecked(true);
    // minimised and restored: the window system shows it again
    dlg.showMinimized();
    QApplication::processEvents();
    dlg.showNormal();
    QApplication::processEvents();
    EXPECT_FALSE(dlg.cbPrnHosp->isChecked());
    EXPECT_TRUE(dlg.cbPrnDtm->isChecked());
}
} // namespace
