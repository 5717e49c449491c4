// Patient search: criteria as bound values, the list, OK and Cancel; and the
// patient header shared by the patient-record forms.

#include "KanjaFixture.h"

#include "app/CommonU.h"
#include "controls/DBGrid.h"
#include "patient/FrmSrcKanjaU.h"
#include "patient/PatientHeader.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

class SrcKanjaTest : public PatientTest {
protected:
    void SetUp() override
    {
        PatientTest::SetUp();
        addPatient({.id = 1, .kana = QStringLiteral("ア'イ"), .name = QStringLiteral("一"), .sex = 0,
                    .birth = QDate(1950, 1, 1), .adr1 = QStringLiteral("東京'都"), .tel = QStringLiteral("03'1")});
        addPatient({.id = 2, .kana = QStringLiteral("ア%イ"), .name = QStringLiteral("二"), .sex = 1,
                    .adr1 = QStringLiteral("大阪%府"), .keitai = QStringLiteral("090%2")});
        addPatient({.id = 3, .kana = QStringLiteral("ア_イ"), .name = QStringLiteral("三"), .sex = 1,
                    .adr1 = QStringLiteral("京都_府"), .adr2 = QStringLiteral("北区"), .tel = QStringLiteral("075_3")});
        addPatient({.id = 4, .kana = QStringLiteral("ア\\イ"), .name = QStringLiteral("四"), .sex = 0,
                    .adr1 = QStringLiteral("奈良\\県"), .tel = QStringLiteral("0742\\4")});
        addPatient({.id = 5, .kana = QStringLiteral("アXイウ"), .name = QStringLiteral("五"), .sex = 0,
                    .birth = QDate(1950, 1, 1), .adr1 = QStringLiteral("北区"), .keitai = QStringLiteral("080-5")});
        // neither a superseded nor a deleted row is found
        addPatient({.id = 6, .act = 0, .kana = QStringLiteral("ア'イ"), .name = QStringLiteral("旧")});
        addPatient({.id = 7, .act = 0, .del = 1, .kana = QStringLiteral("ア'イ"), .name = QStringLiteral("削")});
        dlg = std::make_unique<TFrmSrcKanja>();
        dlg->show();
        QApplication::processEvents();
    }
    QStringList ids()
    {
        QStringList out;
        for (int r = 0; r < dlg->dbgMei->rowCount(); ++r)
            out << dlg->dbgMei->cellText(r, 0);
        return out;
    }
    QStringList search(const QString& kana, const QString& adr = {}, const QString& tel = {})
    {
        dlg->edtName->setText(kana);
        dlg->edtAdr->setText(adr);
        dlg->edtTel->setText(tel);
        dlg->bbtnSrc->click();
        return ids();
    }
    std::unique_ptr<TFrmSrcKanja> dlg;
};

TEST_F(SrcKanjaTest, EmptyUntilSearchedThenSortedByNumber)
{
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("患者検索"));
    EXPECT_EQ(dlg->dbgMei->rowCount(), 0);
    EXPECT_FALSE(dlg->bbtnOk->isEnabled());
    EXPECT_EQ(dlg->sexIndex(), 0);
    EXPECT_FALSE(dlg->dtpBirth->isEnabled());
    EXPECT_EQ(search({}), (QStringList{"1", "2", "3", "4", "5"}));
    EXPECT_TRUE(dlg->bbtnOk->isEnabled());
    EXPECT_EQ(dlg->dbgMei->cellText(0, 3), QStringLiteral("男性"));
    EXPECT_EQ(dlg->dbgMei->cellText(1, 3), QStringLiteral("女性"));
    EXPECT_EQ(dlg->dbgMei->cellText(0, 4), QStringLiteral("昭和25年1月1日"));
    EXPECT_EQ(dlg->dbgMei->cellText(2, 6), QStringLiteral("京都_府北区"));

    // a later search keeps the order chosen by the titles
    dlg->dbgMei->titleClick(0);
    EXPECT_EQ(search({}), (QStringList{"5", "4", "3", "2", "1"}));
    // a reading typed in hiragana finds the katakana one
    EXPECT_EQ(search(QStringLiteral("あXいう")), QStringList{"5"});
    EXPECT_EQ(search(QStringLiteral("該当なし")), QStringList());
    EXPECT_FALSE(dlg->bbtnOk->isEnabled());
    dlg->bbtnOkClick();
    EXPECT_TRUE(dlg->isVisible()) << "OK without rows does nothing";
}

TEST_F(SrcKanjaTest, OpensOnTheKanaAndEnterFollowsTheCriteria)
{
    EXPECT_EQ(dlg->focusWidget(), dlg->edtName);
    // Enter moves through the criteria to " 絞込", the list and the buttons.
    QStringList order;
    QWidget* w = dlg->edtName;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() && w->isVisible())
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != dlg->edtName);
    EXPECT_EQ(order, (QStringList{"edtName", "edtAdr", "edtTel", "rbAll", "rbMale", "rbFemale", "cbBirth", "dtpBirth",
                                  "bbtnSrc", "dbgMei", "bbtnOk", "bbtnCancel"}));
}

TEST_F(SrcKanjaTest, AwkwardCharactersAreBoundAndMatchAsLike)
{
    EXPECT_EQ(search(QStringLiteral("'")), QStringList{"1"});
    EXPECT_EQ(search(QStringLiteral("\\")), QStringList{"4"}) << "a backslash is an ordinary character";
    EXPECT_EQ(search(QStringLiteral("ア\\イ")), QStringList{"4"});
    EXPECT_EQ(search(QStringLiteral("%")), (QStringList{"1", "2", "3", "4", "5"})) << "% stays a wildcard";
    EXPECT_EQ(search(QStringLiteral("ア_イ")), (QStringList{"1", "2", "3", "4", "5"})) << "_ matches any one character";
    EXPECT_EQ(search(QStringLiteral("イウ")), QStringList{"5"});
    EXPECT_EQ(search(QStringLiteral("' OR '1'='1")), QStringList());
    EXPECT_EQ(search(QStringLiteral("  Xイウ  ")), QStringList{"5"}) << "criteria are trimmed";
    // only blanks are trimmed: a full-width space is part of the criterion
    EXPECT_EQ(search(QStringLiteral("\u3000")), QStringList()) << "a full-width space is a criterion";
    EXPECT_EQ(search(QStringLiteral("\u3000Xイウ")), QStringList());
    EXPECT_EQ(search({}, QStringLiteral("\u3000")), QStringList());
    EXPECT_EQ(search({}, {}, QStringLiteral("\u3000")), QStringList());
    addPatient({.id = 9, .kana = QStringLiteral("ヤマ\u3000タロウ"), .name = QStringLiteral("九"),
                .adr1 = QStringLiteral("横浜市\u3000中区"), .tel = QStringLiteral("045\u3000")});
    EXPECT_EQ(search(QStringLiteral(" \u3000タ ")), QStringList{"9"});
    EXPECT_EQ(search({}, QStringLiteral("\u3000")), QStringList{"9"});
    EXPECT_EQ(search({}, {}, QStringLiteral(" 045\u3000 ")), QStringList{"9"});
    sql(R"(DELETE FROM "KLOV"."M_KANJA" WHERE "ID" = 9)");

    // address: the first line only
    EXPECT_EQ(search({}, QStringLiteral("'")), QStringList{"1"});
    EXPECT_EQ(search({}, QStringLiteral("\\")), QStringList{"4"});
    EXPECT_EQ(search({}, QStringLiteral("北区")), QStringList{"5"});
    EXPECT_EQ(search({}, QStringLiteral("_府")), (QStringList{"2", "3"}));
    // telephone: home or mobile
    EXPECT_EQ(search({}, {}, QStringLiteral("'")), QStringList{"1"});
    EXPECT_EQ(search({}, {}, QStringLiteral("%2")), (QStringList{"2", "4"})) << "% stays a wildcard";
    EXPECT_EQ(search({}, {}, QStringLiteral("90%2")), QStringList{"2"});
    EXPECT_EQ(search({}, {}, QStringLiteral("\\4")), QStringList{"4"});
    EXPECT_EQ(search({}, {}, QStringLiteral("0_")), (QStringList{"1", "2", "3", "4", "5"}));
    // all at once, with every awkward character
    EXPECT_EQ(search(QStringLiteral("'%_\\"), QStringLiteral("'%_\\"), QStringLiteral("'%_\\")), QStringList());
    EXPECT_TRUE(boxes.boxes.isEmpty()) << boxes.last().toStdString();
}

TEST_F(SrcKanjaTest, SexAndBirthCriteria)
{
    dlg->setSexIndex(2);
    EXPECT_EQ(search({}), (QStringList{"2", "3"}));
    dlg->setSexIndex(1);
    EXPECT_EQ(search({}), (QStringList{"1", "4", "5"}));
    dlg->cbBirth->setChecked(true);
    EXPECT_TRUE(dlg->dtpBirth->isEnabled());
    dlg->dtpBirth->setDate(QDate(1950, 1, 1));
    EXPECT_EQ(search({}), (QStringList{"1", "5"}));
    EXPECT_EQ(search(QStringLiteral("X")), QStringList{"5"});
    // a midnight that Japan's summer time of 1948 skipped is a birth date all the same
    sql(R"(UPDATE "KLOV"."M_KANJA" SET "BIRTH" = '1948-05-02' WHERE "ID" = 4)");
    dlg->dtpBirth->setDate(QDate(1948, 5, 2));
    EXPECT_EQ(search({}), QStringList{"4"});
    dlg->setSexIndex(0);
    dlg->cbBirth->setChecked(false);
    EXPECT_EQ(search({}).size(), 5);
}

TEST_F(SrcKanjaTest, OkAndDoubleClickReturnTheNumberCancelDoesNot)
{
    search(QStringLiteral("ア"));
    dlg->dbgMei->setCurrentIndex(dlg->dbgMei->model()->index(2, 0));
    dlg->bbtnOk->click();
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(dlg->FintID, 3);

    TFrmSrcKanja second;
    second.show();
    second.edtName->setText(QStringLiteral("イウ"));
    second.bbtnSrc->click();
    emit second.dbgMei->recordDoubleClicked();
    EXPECT_EQ(second.result(), QDialog::Accepted);
    EXPECT_EQ(second.FintID, 5);

    TFrmSrcKanja third;
    third.show();
    third.bbtnSrc->click();
    third.bbtnCancel->click();
    EXPECT_EQ(third.result(), QDialog::Rejected);
    EXPECT_EQ(third.FintID, 0);
}

// --- patient header -------------------------------------------------------------

TEST_F(SrcKanjaTest, PatientHeaderShowsTheCurrentRow)
{
    addPatient({.id = 8, .kana = QStringLiteral("フメイ"), .name = QStringLiteral("不明"), .sex = 2,
                .birth = QDate(2019, 5, 1)});
    TPatientHeader h;
    auto* extra = new QLabel(QStringLiteral("付記"));
    h.addExtra(extra);
    EXPECT_EQ(extra->parentWidget(), &h);

    EXPECT_TRUE(h.load(3));
    EXPECT_EQ(h.lblKNJKANA->text(), QStringLiteral("ア_イ"));
    EXPECT_EQ(h.lblKNJNAME->text(), QStringLiteral("三"));
    EXPECT_EQ(h.lblSEX->text(), QStringLiteral("女性"));
    EXPECT_EQ(h.lblBIRTH->text(), QStringLiteral("1975/4/1 (昭和50年4月1日)"));
    EXPECT_EQ(h.lblAGE->text(), QString::number(CommonU::AgeYears(QDate::currentDate(), QDate(1975, 4, 1))));

    EXPECT_TRUE(h.load(8));
    EXPECT_EQ(h.lblSEX->text(), QStringLiteral("不明"));
    EXPECT_EQ(h.lblBIRTH->text(), QStringLiteral("2019/5/1 (令和1年5月1日)"));

    EXPECT_FALSE(h.load(6)) << "a superseded row is not the patient";
    EXPECT_FALSE(h.found());
    for (QLabel* l : {h.lblKNJKANA, h.lblKNJNAME, h.lblSEX, h.lblAGE, h.lblBIRTH})
        EXPECT_TRUE(l->text().isEmpty()) << l->objectName().toStdString();
}
