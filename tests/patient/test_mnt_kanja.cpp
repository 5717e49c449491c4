// Patient maintenance: loading, validation, revisions, delete, search and
// history buttons, the automatic kana.

#include "KanjaFixture.h"

#include "app/CommonU.h"
#include "app/Globals.h"
#include "controls/EraText.h"
#include "controls/DateEdit.h"
#include "controls/DBGrid.h"
#include "controls/NumberEdit.h"
#include "patient/FrmMntKanjaU.h"
#include "patient/FrmReKanjaU.h"
#include "patient/FrmSrcKanjaU.h"

#include <QApplication>
#include <QFrame>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

class MntKanjaTest : public PatientTest {
protected:
    void SetUp() override
    {
        PatientTest::SetUp();
        loginAs(QStringLiteral("doc1"));
        addPatient({.id = 7, .kana = QStringLiteral("ヤマダ"), .name = QStringLiteral("山田　太郎"), .sex = 1,
                    .adr1 = QStringLiteral("東京都"), .tel = QStringLiteral("03-1111"),
                    .keitai = QStringLiteral("090-1111")});
    }
    std::unique_ptr<TFrmMntKanja> open()
    {
        auto f = std::make_unique<TFrmMntKanja>();
        f->show();
        QApplication::processEvents();
        return f;
    }
    void load(TFrmMntKanja& f, qint64 id)
    {
        f.nedtID->setAsInt64(id);
        f.nedtIDExit();
    }
};

TEST_F(MntKanjaTest, ShowLoadAndBadges)
{
    auto f = open();
    EXPECT_EQ(f->windowTitle(), QStringLiteral("患者メンテナンス"));
    EXPECT_FALSE(f->shpSts->isVisible()) << "no badge for number 0";
    EXPECT_FALSE(f->bbtnDelete->isEnabled());
    EXPECT_TRUE(f->lblKLinkMes->text().isEmpty());

    load(*f, 7);
    EXPECT_TRUE(f->shpSts->isVisible());
    EXPECT_EQ(f->lblSts->text(), QStringLiteral("更　新"));
    EXPECT_EQ(f->shpSts->palette().color(QPalette::Window), QColor(0, 128, 0));
    EXPECT_TRUE(f->bbtnDelete->isEnabled());
    EXPECT_EQ(f->edtName->text(), QStringLiteral("山田　太郎"));
    EXPECT_EQ(f->edtKana->text(), QStringLiteral("ヤマダ"));
    EXPECT_EQ(f->sexIndex(), 1);
    EXPECT_EQ(f->pdeBirth->storedDateTime().date(), QDate(1975, 4, 1));
    EXPECT_EQ(f->edtKeitai->text(), QStringLiteral("090-1111"));
    EXPECT_EQ(f->lblBIRTH->text(), QStringLiteral("1975/4/1 (昭和50年4月1日)"));
    EXPECT_EQ(f->lblAGE->text(), QString::number(CommonU::AgeYears(QDate::currentDate(), QDate(1975, 4, 1))));

    load(*f, 8);
    EXPECT_EQ(f->lblSts->text(), QStringLiteral("新　規"));
    EXPECT_EQ(f->shpSts->palette().color(QPalette::Window), QColor(0, 0, 255));
    EXPECT_FALSE(f->bbtnDelete->isEnabled());
    EXPECT_TRUE(f->edtName->text().isEmpty());
    EXPECT_TRUE(f->edtKeitai->text().isEmpty());
    EXPECT_EQ(f->sexIndex(), 0);
    EXPECT_TRUE(f->pdeBirth->isEmpty());
    EXPECT_TRUE(f->lblAGE->text().isEmpty());
    EXPECT_TRUE(f->lblBIRTH->text().isEmpty());

    // passing through the number field without changing it keeps the typing
    load(*f, 7);
    f->edtTEL->setText(QStringLiteral("typed"));
    f->nedtIDExit();
    EXPECT_EQ(f->edtTEL->text(), QStringLiteral("typed"));
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

TEST_F(MntKanjaTest, ValidationInOrderAndNoOnTheConfirmation)
{
    auto f = open();
    f->bbtnInsert->click();
    load(*f, 9);
    f->edtName->setText(QStringLiteral("   "));
    f->bbtnInsert->click();
    f->edtName->setText(QStringLiteral(" 新人"));
    f->bbtnInsert->click();
    EXPECT_EQ(boxes.texts(), (QStringList{QStringLiteral("患者番号が未入力です。"), QStringLiteral("氏名が未入力です。"),
                                          QStringLiteral("生年月日が未入力です。")}));
    for (const auto& b : boxes.boxes)
        EXPECT_EQ(b.kind, msg::TKind::Warning);

    f->pdeBirth->setDate(QDate(2000, 2, 29));
    boxes.answer(QMessageBox::No);
    f->bbtnInsert->click();
    EXPECT_EQ(boxes.boxes.last().kind, msg::TKind::Question);
    EXPECT_EQ(boxes.last(), QStringLiteral("更新します。\r\nよろしいですか？"));
    EXPECT_EQ(revisions(9), QString()) << "No writes nothing";
}

TEST_F(MntKanjaTest, NewPatientIsStoredTrimmedWithNulls)
{
    auto f = open();
    load(*f, 9999999999LL);
    f->edtName->setText(QStringLiteral("  鈴木 花子 "));
    f->edtKana->setText(QStringLiteral(" スズキ"));
    f->rbFemale->setChecked(true);
    f->pdeBirth->setDate(QDate(1990, 12, 31));
    f->edtAdr1->setText(QStringLiteral("   "));
    f->edtEMail->setText(QStringLiteral("a'b\\c@example.jp"));
    f->bbtnInsert->click();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("更新します。\r\nよろしいですか？")});
    EXPECT_EQ(revisions(9999999999LL), QStringLiteral("1:1:0"));
    EXPECT_EQ(scalar(R"(SELECT "KNJNAME" || '|' || "KNJKANA" || '|' || "SEX" || '|' || to_char("BIRTH", 'YYYY-MM-DD HH24:MI')
                        || '|' || "MAIL" || '|' || "INSUSERID" || '|' || ("ADR1" IS NULL) || ("POSTCD" IS NULL) || ("INSDTM" IS NOT NULL)
                        FROM "KLOV"."M_KANJA" WHERE "ID" = 9999999999)"),
              QStringLiteral("鈴木 花子 |スズキ|1|1990-12-31 00:00|a'b\\c@example.jp|doc1|truetruetrue"));
    EXPECT_EQ(f->lblSts->text(), QStringLiteral("更　新"));
    EXPECT_TRUE(f->bbtnDelete->isEnabled());
    EXPECT_EQ(f->edtName->text(), QStringLiteral("鈴木 花子 "));
}

TEST_F(MntKanjaTest, UnchangedWritesNothingAndEachChangeIsARevision)
{
    auto f = open();
    load(*f, 7);
    f->edtKana->setText(QStringLiteral(" ヤマダ"));   // leading blanks do not count as a change
    f->bbtnInsert->click();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("更新します。\r\nよろしいですか？")});
    EXPECT_EQ(revisions(7), QStringLiteral("1:1:0"));

    f->edtKeitai->setText(QStringLiteral("090-2222"));
    f->bbtnInsert->click();
    EXPECT_EQ(revisions(7), QStringLiteral("1:0:0,2:1:0"));
    EXPECT_EQ(scalar(R"(SELECT "UPDUSERID" || (("UPDDTM" IS NOT NULL)::text) FROM "KLOV"."M_KANJA" WHERE "ID" = 7 AND "RNO" = 1)"),
              QStringLiteral("doc1true"));
    EXPECT_EQ(scalar(R"(SELECT "KEITAI" || "KNJNAME" || "TEL" FROM "KLOV"."M_KANJA" WHERE "ID" = 7 AND "ACTKBN" = 1)"),
              QStringLiteral("090-2222山田　太郎03-1111"));
    EXPECT_TRUE(f->nedtID->hasFocus() || !f->isActiveWindow());

    f->pdeBirth->setDate(QDate(1975, 4, 2));
    f->bbtnInsert->click();
    EXPECT_EQ(revisions(7), QStringLiteral("1:0:0,2:0:0,3:1:0"));
    EXPECT_EQ(boxes.boxes.size(), 3);
}

TEST_F(MntKanjaTest, AFailedSaveRollsBackAndKeepsTheTyping)
{
    sql(R"(CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN RAISE EXCEPTION 'no'; END $$;
           CREATE TRIGGER refuse BEFORE INSERT ON "KLOV"."M_KANJA" FOR EACH ROW EXECUTE FUNCTION refuse())");
    auto f = open();
    load(*f, 7);
    f->edtName->setText(QStringLiteral("変更後"));
    f->bbtnInsert->click();
    EXPECT_EQ(boxes.last(), QStringLiteral("更新に失敗しました。"));
    EXPECT_EQ(boxes.boxes.last().kind, msg::TKind::Warning);
    EXPECT_EQ(revisions(7), QStringLiteral("1:1:0")) << "the retirement was rolled back";
    EXPECT_EQ(f->edtName->text(), QStringLiteral("変更後"));
    EXPECT_FALSE(dm().ADOCPOST.inTransaction());
}

TEST_F(MntKanjaTest, DeleteThenRegisterAgainContinuesTheRevisions)
{
    addPatient({.id = 7, .rno = 2, .act = 0, .kana = QStringLiteral("ヤマダ"), .name = QStringLiteral("旧")});
    auto f = open();
    load(*f, 7);
    f->bbtnDelete->click();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("削除します。\r\nよろしいですか？")});
    EXPECT_EQ(revisions(7), QStringLiteral("1:0:1,2:0:0"));
    EXPECT_EQ(scalar(R"(SELECT "UPDUSERID" FROM "KLOV"."M_KANJA" WHERE "ID" = 7 AND "RNO" = 1)"), QStringLiteral("doc1"));
    EXPECT_TRUE(f->shpSts->isVisible());
    EXPECT_EQ(f->lblSts->text(), QStringLiteral("新　規"));
    EXPECT_TRUE(f->edtName->text().isEmpty());
    EXPECT_FALSE(f->bbtnDelete->isEnabled());

    f->edtName->setText(QStringLiteral("山田　次郎"));
    f->pdeBirth->setDate(QDate(1980, 1, 1));
    f->bbtnInsert->click();
    EXPECT_EQ(revisions(7), QStringLiteral("1:0:1,2:0:0,3:1:0"));

    // the history opened from the form shows the deleted row with its mark
    whenModal(QStringLiteral("TFrmReKanja"), [](QWidget* w) {
        auto* re = static_cast<TFrmReKanja*>(w);
        EXPECT_EQ(re->nedtID->asInt64(), 7);
        ASSERT_EQ(re->dbgMei->rowCount(), 3);
        EXPECT_EQ(re->dbgMei->cellText(0, 4), QStringLiteral("○"));
        EXPECT_EQ(re->dbgMei->rowColors(0).background, QColor(192, 192, 192));
        EXPECT_EQ(re->dbgMei->cellText(2, 4), QString());
        EXPECT_EQ(re->dbgMei->rowColors(2).background, QColor(Qt::white));
        re->close();
    });
    f->bbtnRe->click();
}

TEST_F(MntKanjaTest, DeleteIsRefusedForSummariesAndUnknownNumbers)
{
    sql(R"(INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ACTKBN","DELKBN","ID") VALUES (1, 1, 0, 1, 7))");
    auto f = open();
    load(*f, 7);
    f->bbtnDelete->click();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("この患者の退院サマリ情報があります。削除できません。")});
    EXPECT_EQ(revisions(7), QStringLiteral("1:1:0"));

    f->nedtID->setAsInt64(8);   // typed, not yet loaded
    f->bbtnDeleteClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("存在しない患者番号です。"));
}

TEST_F(MntKanjaTest, BirthAfterTodayShowsAgeMinusOne)
{
    auto f = open();
    load(*f, 9);
    const QDate future = QDate::currentDate().addDays(1);
    f->pdeBirth->setDate(future);
    f->pdeBirthExit();
    EXPECT_EQ(f->lblAGE->text(), QStringLiteral("-1"));
    EXPECT_EQ(f->lblBIRTH->text(), eraText::birthText(future));
    f->pdeBirth->setEditEmpty();
    f->pdeBirthExit();
    EXPECT_TRUE(f->lblAGE->text().isEmpty());
}

TEST_F(MntKanjaTest, SearchCancelKeepsTheFormAndOkLoadsThePatient)
{
    auto f = open();
    load(*f, 7);
    f->edtName->setText(QStringLiteral("入力中"));
    whenModal(QStringLiteral("TFrmSrcKanja"), [](QWidget* w) {
        auto* s = static_cast<TFrmSrcKanja*>(w);
        s->bbtnSrc->click();
        EXPECT_EQ(s->dbgMei->rowCount(), 1);
        s->bbtnCancel->click();
    });
    f->sbSrc->click();
    EXPECT_EQ(f->nedtID->asInt64(), 7);
    EXPECT_EQ(f->edtName->text(), QStringLiteral("入力中"));

    addPatient({.id = 12, .kana = QStringLiteral("サトウ"), .name = QStringLiteral("佐藤")});
    load(*f, 0);
    whenModal(QStringLiteral("TFrmSrcKanja"), [](QWidget* w) {
        auto* s = static_cast<TFrmSrcKanja*>(w);
        s->edtName->setText(QStringLiteral("サト"));
        s->bbtnSrc->click();
        s->bbtnOk->click();
    });
    f->sbSrc->click();
    EXPECT_EQ(f->nedtID->asInt64(), 12);
    EXPECT_EQ(f->edtName->text(), QStringLiteral("佐藤"));
    EXPECT_EQ(f->lblSts->text(), QStringLiteral("更　新"));
}

TEST_F(MntKanjaTest, SiblingLinkNotice)
{
    loadQarn();
    G().qarnLink = true;
    auto f = open();
    EXPECT_EQ(f->lblKLinkMes->text(), QStringLiteral("患者連携しているため登録・修正はQARNで行ってください"));
    EXPECT_TRUE(f->bbtnInsert->isEnabled());
    load(*f, 7);
    EXPECT_EQ(f->lblSts->text(), QStringLiteral("更　新"));
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

// --- automatic kana -----------------------------------------------------------

namespace {
void preedit(QWidget* w, const QString& text)
{
    QInputMethodEvent e(text, {});
    QApplication::sendEvent(w, &e);
}
void commit(QWidget* w, const QString& text, const QString& nextPreedit = {})
{
    QInputMethodEvent e(nextPreedit, {});
    e.setCommitString(text);
    QApplication::sendEvent(w, &e);
}
} // namespace

TEST_F(MntKanjaTest, CompositionsFillTheKana)
{
    auto f = open();
    load(*f, 9);
    QLineEdit* name = f->edtName;
    name->setFocus();
    preedit(name, QStringLiteral("や"));
    preedit(name, QStringLiteral("やま"));
    preedit(name, QStringLiteral("やまd"));
    preedit(name, QStringLiteral("やまだ"));
    preedit(name, QStringLiteral("山田"));   // converted: the reading stays the kana before
    commit(name, QStringLiteral("山田"));
    EXPECT_EQ(name->text(), QStringLiteral("山田"));
    EXPECT_EQ(f->edtKana->text(), QStringLiteral("ヤマダ"));

    commit(name, QStringLiteral("　"));        // a commit without a reading
    EXPECT_EQ(f->edtKana->text(), QStringLiteral("ヤマダ "));

    preedit(name, QStringLiteral("はなこ"));
    preedit(name, QStringLiteral("花子"));
    commit(name, QStringLiteral("花子"), QStringLiteral("ゝ"));   // a new composition starts at once
    commit(name, QStringLiteral("ゝ"));
    EXPECT_EQ(f->edtKana->text(), QStringLiteral("ヤマダ ハナコヽ"));

    preedit(name, QStringLiteral("かな"));
    preedit(name, QString());                   // composition cancelled
    commit(name, QStringLiteral("x"));
    EXPECT_EQ(f->edtKana->text(), QStringLiteral("ヤマダ ハナコヽ "));

    f->edtKana->setText(QStringLiteral("手入力"));   // the kana stays editable
    name->clear();
    EXPECT_TRUE(f->edtKana->text().isEmpty());
}

TEST_F(MntKanjaTest, AHalfWidthReadingIsStoredAsFullWidthKatakana)
{
    EXPECT_EQ(TAutoKana::toKatakana(QStringLiteral("ｶﾞｯｺｳ ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ ｳﾞ ｱﾞﾟ ﾃﾞﾝﾜ")),
              QStringLiteral("ガッコウ パピプペポ ヴ ア゛゜ デンワ"));
    EXPECT_EQ(TAutoKana::toKatakana(QStringLiteral("ﾂﾞﾄﾞｯﾞ")), QStringLiteral("ヅドッ゛"));
    EXPECT_EQ(TAutoKana::toKatakana(QStringLiteral("ﾞやまだ")), QStringLiteral("゛ヤマダ"));

    auto f = open();
    load(*f, 9);
    QLineEdit* name = f->edtName;
    name->setFocus();
    preedit(name, QStringLiteral("ﾔﾏﾀﾞ"));
    preedit(name, QStringLiteral("山田"));
    commit(name, QStringLiteral("山田"));
    EXPECT_EQ(f->edtKana->text(), QStringLiteral("ヤマダ"));
}

TEST_F(MntKanjaTest, ASaveOrDeleteOntoARevisionChangedElsewhereIsRefused)
{
    auto f = open();
    load(*f, 7);
    f->edtName->setText(QStringLiteral("こちらの変更"));
    sql(R"(UPDATE "KLOV"."M_KANJA" SET "ACTKBN" = 0 WHERE "ID" = 7;
           INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","KNJNAME","DELKBN") VALUES (7,2,1,'他端末の変更',0);)");
    f->bbtnInsert->click();
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_EQ(revisions(7), QStringLiteral("1:0:0,2:1:0"));
    EXPECT_EQ(f->edtName->text(), QStringLiteral("他端末の変更")) << "the patient is read again";

    sql(R"(UPDATE "KLOV"."M_KANJA" SET "ACTKBN" = 0 WHERE "ID" = 7 AND "RNO" = 2;
           INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","KNJNAME","DELKBN") VALUES (7,3,1,'再変更',0);)");
    f->bbtnDelete->click();
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_EQ(revisions(7), QStringLiteral("1:0:0,2:0:0,3:1:0"));

    // a number registered elsewhere while this form showed it as new
    load(*f, 8);
    f->edtName->setText(QStringLiteral("新患者"));
    f->pdeBirth->setDate(QDate(1980, 1, 1));
    sql(R"(INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","KNJNAME","DELKBN") VALUES (8,1,1,'先に登録',0))");
    f->bbtnInsert->click();
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_EQ(revisions(8), QStringLiteral("1:1:0"));
}

TEST_F(MntKanjaTest, ABirthDateTheFieldRefusesIsNeverThePreviousPatients)
{
    addPatient({.id = 9, .name = QStringLiteral("古い記録"), .birth = QDate(1800, 1, 1)});
    auto f = open();
    load(*f, 7);
    ASSERT_FALSE(f->pdeBirth->isEmpty());
    load(*f, 9);
    EXPECT_TRUE(f->pdeBirth->isEmpty());
    EXPECT_EQ(f->edtName->text(), QStringLiteral("古い記録"));
}
