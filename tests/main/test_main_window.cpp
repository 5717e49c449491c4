// The main window's list, filters, counters, delete rules, sibling link and
// the left-over autosave, driven offscreen on a real database.

#include "common/TestApp.h"
#include "controls/DBGrid.h"
#include "controls/NumberEdit.h"
#include "main/FrmMainU.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QHeaderView>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class MainWindowTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        sql(R"(INSERT INTO "KLOV"."M_USER" ("USERID","PASSW","USERNM","JTYP","WOK","SOK","KOK","MNTFLG","YSTRDTE","YENDDTE") VALUES
                 ('boss','pw','院長',0,1,1,1,1,'2000-01-01','2099-12-31'),
                 ('writer','pw','記載医',0,1,0,0,0,'2000-01-01','2099-12-31'),
                 ('dc','pw','クラーク',1,0,0,0,0,'2000-01-01','2099-12-31');
               INSERT INTO "KLOV"."M_KA" ("KACD","KANM","DSPKBN") VALUES (1,'内科',0),(2,'外科',0),(3,'隠し',1);
               INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","KNJNAME","KNJKANA","DELKBN") VALUES
                 (100,1,1,'山田 太郎','ヤマダ',0),(200,1,1,'鈴木 花子','スズキ',0);)");
    }
    // A summary row; tdte NULL means "not yet discharged" (the zero date).
    void summary(int kno, int verno, qint64 id, const QString& ndte, const QString& tdte, int act = 1, int del = 0,
                 int w = 0, int s = 0, int k = 0, int kacd = 1, const QString& syudr = QStringLiteral("boss"))
    {
        TQuery q(&conn());
        q.setSql(R"(INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ID","NDTE","TDTE","ACTKBN","DELKBN","WFLG","SFLG","KFLG","KACD","SYUDR","NYURIYU")
                    VALUES (:KNO,:VERNO,:ID,TO_TIMESTAMP(:N,'YYYY-MM-DD'),TO_TIMESTAMP(:T,'YYYY-MM-DD'),:A,:D,:W,:S,:K,:KA,:DR,'理由'))");
        q.setInt("KNO", kno).setInt("VERNO", verno).setInt64("ID", id).setText("N", ndte, 10);
        q.setText("T", tdte.isEmpty() ? QStringLiteral("1899-12-30") : tdte, 10);
        q.setInt("A", act).setInt("D", del).setInt("W", w).setInt("S", s).setInt("K", k).setInt("KA", kacd);
        q.setText("DR", syudr, 24);
        q.execSql();
    }
    QStringList keys(TFrmMain& m)
    {
        QStringList out;
        for (int r = 0; r < m.dbgMei->rowCount(); ++r)
            out << m.dbgMei->cellText(r, 0) + QLatin1Char('/') + m.dbgMei->cellText(r, 1);
        return out;
    }
    QString today(int offsetDays = 0)
    {
        return QDate::fromString(scalar("SELECT TO_CHAR(NOW(),'YYYY-MM-DD')"), "yyyy-MM-dd")
            .addDays(offsetDays).toString("yyyy-MM-dd");
    }
};

TEST_F(MainWindowTest, DateRangesAndTheOpenDischarge)
{
    summary(1, 1, 100, "1999-12-31", "2000-01-10");
    summary(2, 1, 100, "2024-05-01", "");
    summary(3, 1, 200, "2024-06-01", "2024-06-20");
    auto m = openMain("boss");
    EXPECT_EQ(keys(*m), (QStringList{"3/1", "2/1"})) << "admission before 2000 is out of the default range";
    EXPECT_EQ(m->lblKENSU->text(), QStringLiteral("2"));
    EXPECT_EQ(m->dbgMei->cellText(1, 6), QString()) << "no discharge date shows empty";
    EXPECT_EQ(m->dbgMei->cellText(1, 7), QString());
    EXPECT_EQ(m->dbgMei->cellText(0, 6), QStringLiteral("2024/06/20"));
    EXPECT_EQ(m->dbgMei->cellText(0, 5), QStringLiteral("2024/06/01"));
    EXPECT_EQ(m->dbgMei->cellText(0, 3), QStringLiteral("鈴木 花子"));
    m->dtpNdteF->setDate(QDate(1999, 1, 1));
    m->dtpTdteF->setDate(QDate(2030, 1, 1));   // only the open admission is inside now
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), (QStringList{"2/1"}));
    m->dtpTdteF->setDate(QDate(2000, 1, 1));
    m->nedtID->setAsInt64(100);
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), (QStringList{"2/1", "1/1"}));

    // Days, not instants: a late hour on the last day is inside; a discharge
    // range that is empty leaves out the open admission too.
    sql(R"(UPDATE "KLOV"."D_TAIYOU" SET "NDTE" = '2024-06-01 23:30', "TDTE" = '2024-06-20 23:59' WHERE "KNO" = 3)");
    m->nedtID->clear();
    m->dtpNdteF->setDate(QDate(2024, 6, 1));
    m->dtpNdteT->setDate(QDate(2024, 6, 1));
    m->dtpTdteF->setDate(QDate(2024, 6, 20));
    m->dtpTdteT->setDate(QDate(2024, 6, 20));
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), (QStringList{"3/1"}));
    m->dtpNdteF->setDate(QDate(2000, 1, 1));
    m->dtpNdteT->setDate(QDate(2099, 12, 31));
    m->dtpTdteF->setDate(QDate(2024, 6, 21));
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), QStringList()) << "from after to";
}

TEST_F(MainWindowTest, FourteenDaysVersionsDepartmentsDoctorsAndProgress)
{
    summary(1, 1, 100, "2024-01-01", today(-15), 1, 0, 1, 1, 1);
    summary(2, 1, 100, "2024-01-01", today(-14), 1, 0, 1, 0, 0, 2, "writer");
    summary(3, 1, 200, "2024-01-01", "", 0, 0);
    summary(3, 2, 200, "2024-01-01", "", 1, 0, 1, 1, 0);
    summary(4, 1, 200, "2024-01-01", "2024-02-01", 0, 1);
    auto m = openMain("boss");
    EXPECT_EQ(keys(*m), (QStringList{"3/2", "2/1", "1/1"}));
    EXPECT_EQ(m->dbgMei->cellText(2, 7), QStringLiteral("15"));
    EXPECT_EQ(m->dbgMei->cellText(2, 12) + m->dbgMei->cellText(2, 13) + m->dbgMei->cellText(2, 14), QStringLiteral("済済済"));
    EXPECT_EQ(m->dbgMei->rowColors(2).background, QColor(166, 202, 240)) << "completion confirmed";
    EXPECT_EQ(m->dbgMei->rowColors(1).background, QColor(Qt::white));
    m->cb14Over->setChecked(true);
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), (QStringList{"1/1"})) << "more than 14 days; open admissions never";
    m->cb14Over->setChecked(false);
    m->cbDispDel->setChecked(true);
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), (QStringList{"4/1", "3/2", "3/1", "2/1", "1/1"}));
    EXPECT_EQ(m->dbgMei->rowColors(0).background, QColor(192, 192, 192));
    EXPECT_EQ(m->dbgMei->rowColors(0).selectedBackground, QColor(192, 192, 192));
    EXPECT_EQ(m->dbgMei->rowColors(2).background, QColor(230, 230, 230));
    EXPECT_EQ(m->dbgMei->rowColors(1).selectedBackground, QColor(0, 0, 128));
    m->cbDispDel->setChecked(false);
    ASSERT_EQ(m->cmbKA->count(), 3) << "hidden departments are not offered";
    m->cmbKA->setCurrentIndex(2);   // 外科
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), (QStringList{"2/1"}));
    m->cmbKA->setCurrentIndex(0);
    ASSERT_EQ(m->cmbSYUDR->itemText(2), QStringLiteral("記載医"));
    m->cmbSYUDR->setCurrentIndex(2);
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), (QStringList{"2/1"}));
    m->cmbSYUDR->setCurrentIndex(0);
    for (auto [index, expected] : std::initializer_list<std::pair<int, QStringList>>{
             {1, {}}, {2, {"2/1"}}, {3, {"3/2", "2/1"}}, {4, {"1/1"}}}) {
        m->cmbSts->setCurrentIndex(index);
        m->bbtnFilter->click();
        EXPECT_EQ(keys(*m), expected) << index;
    }
}

TEST_F(MainWindowTest, DiseaseSearchIsDistinctAndBound)
{
    summary(1, 1, 100, "2024-01-01", "2024-01-10");
    summary(2, 1, 200, "2024-01-01", "2024-01-10");
    sql(R"(INSERT INTO "KLOV"."M_NMAIN" ("BKNO","BYONM","ICD102013") VALUES ('B1','肺炎','J18.9'),('B2','胃炎','K29.7');
           INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","BKNO","BYONM","DELKBN") VALUES
             (100,1,1,'B1','細菌性肺炎 5%',0),(100,2,1,'B1','誤嚥性肺炎',0),(200,1,1,'B2','O''Brien胃炎 100%\x',0);
           INSERT INTO "KLOV"."D_TAIBYO" ("KNO","VERNO","BNO","SNO") VALUES (1,1,1,1),(1,1,2,2),(2,1,1,2);)");
    auto m = openMain("boss");
    m->edtByonm->setText(QStringLiteral(" 肺炎 "));
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), (QStringList{"1/1"})) << "listed once although two diseases match";
    m->edtByonm->setText(QStringLiteral("O'Brien"));
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), (QStringList{"2/1"})) << "a quotation mark is just a character";
    m->edtByonm->setText(QStringLiteral("100%\\"));
    m->bbtnFilter->click();
    EXPECT_TRUE(boxes.boxes.isEmpty()) << boxes.last().toStdString();
    m->edtByonm->setText(QStringLiteral("\\%"));
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), (QStringList{"2/1"})) << "a backslash escapes nothing";
    m->edtByonm->setText(QStringLiteral("細%肺"));
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), (QStringList{"1/1"})) << "the user's % still matches anything";
    m->edtByonm->setText(QStringLiteral("') OR 1=1 --"));
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), QStringList{});
    m->edtByonm->clear();
    m->edtICD10->setText(QStringLiteral("K29"));
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), (QStringList{"2/1"}));
    m->edtICD10->setText(QStringLiteral("J18"));
    m->cbOnlySyu->setChecked(true);
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), (QStringList{"1/1"}));
    m->edtICD10->setText(QStringLiteral("K29"));
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), QStringList{}) << "K29 is #2 only";
}

TEST_F(MainWindowTest, DeleteFollowsTheStageAndTheRights)
{
    summary(1, 1, 100, "2024-01-01", "2024-01-10", 0, 0, 1, 1, 1);
    summary(1, 2, 100, "2024-01-01", "2024-01-10", 1, 0, 1, 1, 1);
    summary(2, 1, 100, "2024-01-01", "2024-01-10", 1, 0, 1, 0, 0);
    auto m = openMain("writer");
    ASSERT_EQ(keys(*m), (QStringList{"2/1", "1/2"}));
    m->dbgMei->selectRow(1);
    m->bbtnDelete->click();
    EXPECT_EQ(boxes.last(), QStringLiteral("完成確認済の退院サマリを削除するには完成確認権限が必要です。現在の権限では削除できません。"));
    EXPECT_EQ(boxes.boxes.last().kind, msg::TKind::Information);
    EXPECT_EQ(scalar(R"(SELECT SUM("DELKBN") FROM "KLOV"."D_TAIYOU")"), QStringLiteral("0"));
    m->dbgMei->selectRow(0);
    boxes.answer(QMessageBox::No);
    m->bbtnDelete->click();
    EXPECT_EQ(boxes.last(), QStringLiteral("削除後は本処理を取り消すことはできません。\r\n既に記載完了済ですが削除してもよろしいですか？"));
    EXPECT_EQ(scalar(R"(SELECT SUM("DELKBN") FROM "KLOV"."D_TAIYOU")"), QStringLiteral("0"));
    m->close();
    m.reset();

    m = openMain("boss");
    m->cbDispDel->setChecked(true);
    m->bbtnFilter->click();
    ASSERT_EQ(keys(*m), (QStringList{"2/1", "1/2", "1/1"}));
    m->dbgMei->selectRow(1);
    m->bbtnDelete->click();   // answered Yes
    EXPECT_EQ(boxes.last(), QStringLiteral("削除後は本処理を取り消すことはできません。\r\n既に完成確認済ですが削除してもよろしいですか？"));
    EXPECT_EQ(scalar(R"(SELECT string_agg("KNO" || '/' || "VERNO" || ':' || "DELKBN" || "ACTKBN", ',' ORDER BY "KNO","VERNO") FROM "KLOV"."D_TAIYOU")"),
              QStringLiteral("1/1:00,1/2:10,2/1:01")) << "only the selected version";
    EXPECT_EQ(m->ADOQMei->field("SKEY").asString(), QStringLiteral("0000001002")) << "the deleted row stays selected";
    m->bbtnDelete->click();
    EXPECT_EQ(boxes.last(), QStringLiteral("既に削除されています。"));
}

TEST_F(MainWindowTest, CountersLinkAndHiddenItems)
{
    sql(R"(INSERT INTO "KLOV"."D_MESS" ("MESSNO","RUSERID","SUSERID","LBLKBN","KFLG","RDELFLG") VALUES
             (1,'dc','boss',1,0,0),(2,'dc','boss',0,0,0),(3,'dc','boss',1,1,0),(4,'dc','boss',1,0,1),(5,'boss','dc',1,0,0))");
    auto m = openMain("dc");
    EXPECT_EQ(m->lblNoRead->text(), QStringLiteral("2"));
    EXPECT_EQ(m->lblSIKYU->text(), QStringLiteral("1"));
    EXPECT_EQ(m->lblJTyp->text(), QStringLiteral("ＤＣ"));
    EXPECT_FALSE(m->mmnBack->isEnabled());
    EXPECT_FALSE(m->QARNLink->isVisible());
    sql(R"(DELETE FROM "KLOV"."D_MESS")");
    m->UpdateMailCount();
    EXPECT_EQ(m->lblNoRead->text(), QStringLiteral("0"));
    EXPECT_EQ(m->lblSIKYU->text(), QStringLiteral("0"));
    m->close();
    m.reset();

    loadQarn();
    m = openMain("boss");
    EXPECT_TRUE(m->mmnBack->isEnabled());
    ASSERT_TRUE(m->QARNLink->isVisible());
    EXPECT_FALSE(m->QARNLink->isChecked());
    m->QARNLink->trigger();
    EXPECT_EQ(boxes.last(), QStringLiteral("今後QARNと患者情報連携します。"));
    EXPECT_TRUE(G().qarnLink);
    EXPECT_EQ(scalar(R"(SELECT "NUM1" || "STR1" FROM "KLOV"."M_SYSTEM" WHERE "CODE" = 10)"), QStringLiteral("1QARN患者属性連携フラグ"));
    m->QARNLink->trigger();
    EXPECT_EQ(boxes.last(), QStringLiteral("今後QARNと患者情報連携しません。"));
    EXPECT_EQ(scalar(R"(SELECT COUNT(*)::text || MAX("NUM1")::text FROM "KLOV"."M_SYSTEM")"), QStringLiteral("10"));

    // a switch that cannot be stored changes nothing
    sql(R"(CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN RAISE EXCEPTION 'no'; END $$;
           CREATE TRIGGER refuse BEFORE UPDATE ON "KLOV"."M_SYSTEM" FOR EACH ROW EXECUTE FUNCTION refuse())");
    m->QARNLink->trigger();
    EXPECT_TRUE(boxes.last().startsWith(QStringLiteral("EQueryError\r\n"))) << boxes.last().toStdString();
    EXPECT_FALSE(m->QARNLink->isChecked());
    EXPECT_FALSE(G().qarnLink);
}

TEST_F(MainWindowTest, LeftOverAutosaveRefusedDeletesTheFiles)
{
    QDir().mkpath(dataFolder());
    const QStringList files = {"NYUBEFKEIKA.txt", "NYUKEIKA.txt", "TAIHOU.txt", "TAIJOUHO.txt", "TAIYAKU.txt", "KNO.txt"};
    for (const QString& f : files) {
        QFile file(dataFolder() + f);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(f == "KNO.txt" ? "12\r\n3\r\n" : "text\r\n");
    }
    boxes.answer(QMessageBox::No);
    auto m = openMain("boss");
    ASSERT_TRUE(waitFor([&] { return !boxes.boxes.isEmpty(); }));
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("本端末で前回入力中に異常終了しています。復元し入力継続しますか？"));
    for (const QString& f : files)
        EXPECT_FALSE(QFile::exists(dataFolder() + f)) << f.toStdString();
    // a key file with no summary number asks nothing
    QFile key(dataFolder() + "KNO.txt");
    ASSERT_TRUE(key.open(QIODevice::WriteOnly));
    key.write("x\r\n1\r\n");
    key.close();
    m->CheckAutosave();
    EXPECT_EQ(boxes.boxes.size(), 1);
}

TEST_F(MainWindowTest, RestColumnWidthRule)
{
    auto m = openMain("boss");
    m->dbgMei->resize(1600, 400);
    int others = 0;
    for (int c = 0; c < 15; ++c)
        if (c != 10)
            others += m->dbgMei->columnWidth(c);
    // the patient number takes what a ten-digit number needs, at least 90
    const int id = m->dbgMei->columnWidth(2);
    EXPECT_GE(id, 90);
    EXPECT_GE(id, QFontMetrics(m->dbgMei->font()).horizontalAdvance(QStringLiteral("1000000009")) + 8);
    EXPECT_EQ(others, 50 + 32 + id + 180 + 100 + 100 + 100 + 64 + 80 + 70 + 160 + 32 * 3);
    EXPECT_EQ(m->dbgMei->columnWidth(10), 1600 - others - 46);
    m->dbgMei->resize(900, 400);
    EXPECT_EQ(m->dbgMei->columnWidth(10), 100);
}

TEST_F(MainWindowTest, TitleClicksSortUntilTheListRunsAgain)
{
    summary(1, 1, 200, "2024-01-01", "2024-01-10");
    summary(2, 1, 100, "2024-01-02", "2024-01-10");
    summary(3, 1, 200, "2024-01-03", "2024-01-10");
    auto m = openMain("boss");
    ASSERT_EQ(keys(*m), (QStringList{"3/1", "2/1", "1/1"}));
    QHeaderView* titles = m->dbgMei->horizontalHeader();
    Q_EMIT titles->sectionClicked(2);   // 患者ID
    EXPECT_EQ(m->dbgMei->cellText(0, 2), QStringLiteral("100")) << "first click ascending";
    Q_EMIT titles->sectionClicked(2);
    EXPECT_EQ(m->dbgMei->cellText(2, 2), QStringLiteral("100")) << "second click descending";
    Q_EMIT titles->sectionClicked(0);
    EXPECT_EQ(keys(*m), (QStringList{"1/1", "2/1", "3/1"})) << "another title starts ascending";

    // a change made from the window runs the list again in its own order
    m->openSummaryEditor = [this](bool recov, int& kno, int& verno) {
        EXPECT_FALSE(recov);
        EXPECT_EQ(kno, 0);
        EXPECT_EQ(verno, 1);
        summary(4, 1, 100, "2024-01-04", "");
        kno = 4;
        return false;   // a saved summary counts whatever the result
    };
    m->bbtnInsert->click();
    EXPECT_EQ(keys(*m), (QStringList{"4/1", "3/1", "2/1", "1/1"}));
    EXPECT_EQ(m->ADOQMei->field("SKEY").asString(), QStringLiteral("0000004001"));
    EXPECT_EQ(m->lblKENSU->text(), QStringLiteral("4"));
    Q_EMIT titles->sectionClicked(0);
    EXPECT_EQ(keys(*m), (QStringList{"1/1", "2/1", "3/1", "4/1"})) << "the next click is ascending again";

    m->openSummaryEditor = [](bool, int& kno, int& verno) {
        EXPECT_EQ(kno, 2);
        EXPECT_EQ(verno, 1);
        return true;
    };
    m->dbgMei->selectRow(1);
    m->bbtnUpdate->click();
    EXPECT_EQ(keys(*m), (QStringList{"4/1", "3/1", "2/1", "1/1"}));
    EXPECT_EQ(m->ADOQMei->field("SKEY").asString(), QStringLiteral("0000002001"));
}

TEST_F(MainWindowTest, InitialFiltersAndLongSearchTexts)
{
    summary(1, 1, 100, "2024-01-01", "2024-01-10");
    summary(2, 1, 200, "2024-01-01", "2024-01-10");
    sql(R"(INSERT INTO "KLOV"."M_NMAIN" ("BKNO","BYONM","ICD102013") VALUES ('B1','肺炎','J18.9'),('B2','胃炎','K29.7');
           INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","BKNO","BYONM","DELKBN") VALUES
             (100,1,1,'B1','肺炎',0),(200,1,1,'B2','胃炎',0);
           INSERT INTO "KLOV"."D_TAIBYO" ("KNO","VERNO","BNO","SNO") VALUES (1,1,1,1),(2,1,1,1);)");
    auto m = openMain("boss");
    EXPECT_EQ(m->dtpNdteF->date(), QDate(2000, 1, 1));
    EXPECT_EQ(m->dtpNdteT->date(), QDate(2099, 12, 31));
    EXPECT_EQ(m->dtpTdteF->date(), QDate(2000, 1, 1));
    EXPECT_EQ(m->dtpTdteT->date(), QDate(2099, 12, 31));
    for (QComboBox* c : {m->cmbKA, m->cmbSYUDR, m->cmbTANDR, m->cmbSts}) {
        EXPECT_EQ(c->currentIndex(), 0) << c->objectName().toStdString();
        EXPECT_EQ(c->currentText(), QStringLiteral("全て")) << c->objectName().toStdString();
    }
    EXPECT_EQ(m->cmbSts->count(), 5);
    EXPECT_EQ(m->cmbTANDR->count(), m->cmbSYUDR->count());
    for (QCheckBox* c : {m->cbOnlySyu, m->cb14Over, m->cbDispDel})
        EXPECT_FALSE(c->isChecked()) << c->objectName().toStdString();
    EXPECT_EQ(m->nedtID->asInt64(), 0);
    EXPECT_EQ(m->bbtnFilter->text(), QStringLiteral("　抽出"));

    // the typed text is searched whole, however long
    m->edtICD10->setText(QStringLiteral("%%%%%%%%%%J18"));
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), (QStringList{"1/1"}));
    m->edtICD10->clear();
    m->edtByonm->setText(QString(200, QLatin1Char('%')) + QStringLiteral("胃炎"));
    m->bbtnFilter->click();
    EXPECT_EQ(keys(*m), (QStringList{"2/1"}));
}

TEST_F(MainWindowTest, DeleteGoesByTheStageStoredNow)
{
    summary(1, 1, 100, "2024-01-01", "2024-01-10", 1, 0, 1, 0, 0);
    auto m = openMain("writer");
    ASSERT_EQ(keys(*m), (QStringList{"1/1"}));
    // approved at another workstation after the list was read
    sql(R"(UPDATE "KLOV"."D_TAIYOU" SET "SFLG" = 1)");
    m->bbtnDelete->click();
    EXPECT_EQ(boxes.last(), QStringLiteral("承認済の退院サマリを削除するには承認可能権限が必要です。現在の権限では削除できません。"));
    EXPECT_EQ(scalar(R"(SELECT "DELKBN" FROM "KLOV"."D_TAIYOU")"), QStringLiteral("0"));
    m->close();
    m.reset();

    // confirmed elsewhere while the question was on the screen
    m = openMain("boss");
    boxes.onBox = [this](const msg::TBox& box) {
        if (box.kind == msg::TKind::Question)
            sql(R"(UPDATE "KLOV"."D_TAIYOU" SET "KFLG" = 1)");
    };
    m->bbtnDelete->click();
    boxes.onBox = {};
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_EQ(scalar(R"(SELECT "DELKBN"::text || "KFLG" FROM "KLOV"."D_TAIYOU")"), QStringLiteral("01"));
}

TEST_F(MainWindowTest, ThePatientNumberTakesWholeNumbersOfTenDigits)
{
    auto m = openMain("boss");
    QApplication::setActiveWindow(m.get());
    m->nedtID->setFocus();
    QTest::keyClicks(m->nedtID, QStringLiteral("12.5"));
    m->edtByonm->setFocus();
    EXPECT_EQ(m->nedtID->text(), QStringLiteral("12"));
    m->nedtID->setAsInt64(0);
    m->nedtID->setFocus();
    QTest::keyClicks(m->nedtID, QStringLiteral("123456789012"));
    EXPECT_EQ(m->nedtID->asInt64(), 1234567890LL);
}

TEST_F(MainWindowTest, TheFhirButtonWritesTheSelectedVersion)
{
    sql(R"(INSERT INTO "KLOV"."M_HOSP" ("HOSPNO","HOSPNM","HOSPADR") VALUES (1234567,'病院','東京都港区');
           UPDATE "KLOV"."M_USER" SET "USERNM" = '院長' WHERE "USERID" = 'boss';)");
    summary(4, 3, 200, "2024-03-01", "2024-03-15", 1, 0, 1);
    sql(R"(UPDATE "KLOV"."D_TAIYOU" SET "WDR" = 'boss')");
    auto m = openMain("boss");
    QTemporaryDir out;
    m->FAskFhirFolder = [&](QWidget*, const QString&) { return out.path(); };
    ASSERT_EQ(keys(*m), (QStringList{"4/3"}));
    m->bbtnFhir->click();
    EXPECT_EQ(boxes.last(), QStringLiteral("FHIR形式（退院時サマリー）で出力しました。\r\n") + out.filePath("200_4_3.json"));
    EXPECT_TRUE(QFile::exists(out.filePath("200_4_3.json")));
}
