// The maintenance menu and its department, doctor-department and hospital
// screens, driven offscreen on a real database.

#include "admin/FrmMntDrKaU.h"
#include "admin/FrmMntHospU.h"
#include "admin/FrmMntKaU.h"
#include "admin/FrmMntMenuU.h"
#include "app/SjisText.h"
#include "common/TestApp.h"
#include "controls/DBGrid.h"
#include "controls/NumberEdit.h"
#include "db/Errors.h"
#include "main/FrmMainU.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

class MntTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        loginAs(QStringLiteral("admin"));
        sql(R"(INSERT INTO "KLOV"."M_USER" ("USERID","PASSW","USERNM","JTYP","YSTRDTE","YENDDTE") VALUES
                 ('drA','pw','医師Ａ',0,'2000-01-01','2099-12-31'), ('dc','pw','クラーク',1,'2000-01-01','2099-12-31');
               INSERT INTO "KLOV"."M_KA" ("KACD","KANM","KARNM","DSPKBN","INSUSERID") VALUES
                 (1,'内科','内',0,'setup'), (2,'外科','外',0,'setup'), (3,'旧科','旧',1,'setup');
               INSERT INTO "KLOV"."M_DRKA" ("USERID","KACD") VALUES ('drA',1), ('drA',2), ('admin',2);)");
    }
    QStringList column(const TDBGrid* g, int c)
    {
        QStringList out;
        for (int r = 0; r < g->rowCount(); ++r)
            out << g->cellText(r, c);
        return out;
    }
    QString departments() { return scalar(R"(SELECT STRING_AGG("KACD" || ':' || "KANM" || ':' || "DSPKBN", ',' ORDER BY "KACD") FROM "KLOV"."M_KA")"); }
    QString pairs() { return scalar(R"(SELECT STRING_AGG("USERID" || ':' || "KACD", ',' ORDER BY "USERID","KACD") FROM "KLOV"."M_DRKA")"); }
};

TEST_F(MntTest, MenuButtonsFollowTheMaintenanceFlagEachTimeItIsShown)
{
    G().user.MNTFLG = false;
    TFrmMntMenu menu;
    menu.show();
    const QList<QPushButton*> mntOnly{menu.bbtn01, menu.bbtn02, menu.bbtn04, menu.bbtn05, menu.bbtn99};
    const QList<QPushButton*> always{menu.bbtn03, menu.bbtn06, menu.bbtn07, menu.bbtn08, menu.bbtn09, menu.bbtnClose};
    for (QPushButton* b : mntOnly)
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    for (QPushButton* b : always)
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    // A button for everyone opens its screen.
    whenModal(QStringLiteral("TFrmMntKanja"), [](QWidget* w) { w->close(); });
    menu.bbtn03->click();
    menu.hide();
    G().user.MNTFLG = true;
    menu.show();
    for (QPushButton* b : mntOnly)
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    whenModal(QStringLiteral("TFrmMntKa"), [](QWidget* w) { w->close(); });
    menu.bbtn05->click();
    whenModal(QStringLiteral("TFrmMntUser"), [](QWidget* w) { w->close(); });
    menu.bbtn01->click();
    whenModal(QStringLiteral("TFrmImpKanja"), [](QWidget* w) { w->close(); });
    menu.bbtn99->click();
    EXPECT_TRUE(boxes.texts().isEmpty());

    // The main window's "マスタメンテナンス" opens the menu.
    TFrmMain main;
    bool opened = false;
    whenModal(QStringLiteral("TFrmMntMenu"), [&](QWidget* w) { opened = true; w->close(); });
    main.N2->trigger();
    EXPECT_TRUE(opened);
}

TEST_F(MntTest, DepartmentListSaveAndWhatTheUserSaw)
{
    TFrmMntKa frm;
    frm.show();
    EXPECT_EQ(column(frm.dbgMei, 0), QStringList({"1", "2", "3"}));
    EXPECT_EQ(column(frm.dbgMei, 3), QStringList({"○", "○", "×"}));
    EXPECT_EQ(frm.edtName->text(), QStringLiteral("内科"));   // the first row is in the editor

    // Empty fields are refused in order.
    frm.nedtCD->setAsInteger(0);
    frm.bbtnInsertClick();
    frm.nedtCD->setAsInteger(9);
    frm.nedtCDExit();
    frm.bbtnInsertClick();
    frm.edtName->setText(QStringLiteral("眼科"));
    frm.bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), QStringList({"診療科コードが未入力です。", "診療科名が未入力です。", "診療科略称が未入力です。"}));

    boxes.boxes.clear();
    frm.edtRName->setText(QStringLiteral("眼"));
    frm.cbDspFlg->setChecked(true);
    frm.bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), QStringList({"更新します。\r\nよろしいですか？"}));
    EXPECT_EQ(scalar(R"(SELECT "KANM" || "KARNM" || "DSPKBN" || "INSUSERID" || "UPDUSERID" FROM "KLOV"."M_KA" WHERE "KACD" = 9)"),
              QStringLiteral("眼科眼1adminadmin"));
    EXPECT_EQ(frm.ADOQMei->field("KACD").asInteger(), 9);

    // A change keeps the registering user.
    frm.nedtCD->setAsInteger(2);
    frm.nedtCDExit();
    EXPECT_EQ(frm.edtName->text(), QStringLiteral("外科"));
    frm.edtName->setText(QStringLiteral("一般外科"));
    frm.bbtnInsertClick();
    EXPECT_EQ(scalar(R"(SELECT "KANM" || "INSUSERID" || "UPDUSERID" FROM "KLOV"."M_KA" WHERE "KACD" = 2)"),
              QStringLiteral("一般外科setupadmin"));

    // Another workstation changes department 1 after this one read it, and
    // registers 7 after this one found it free: neither is overwritten.
    boxes.boxes.clear();
    frm.nedtCD->setAsInteger(1);
    frm.nedtCDExit();
    sql(R"(UPDATE "KLOV"."M_KA" SET "KANM" = '総合内科' WHERE "KACD" = 1)");
    frm.edtName->setText(QStringLiteral("内科Ｘ"));
    frm.bbtnInsertClick();
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_EQ(frm.edtName->text(), QStringLiteral("総合内科"));   // read again
    frm.nedtCD->setAsInteger(7);
    frm.nedtCDExit();
    sql(R"(INSERT INTO "KLOV"."M_KA" ("KACD","KANM","KARNM") VALUES (7,'他端末','他'))");
    frm.edtName->setText(QStringLiteral("皮膚科"));
    frm.edtRName->setText(QStringLiteral("皮"));
    frm.bbtnInsertClick();
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_EQ(departments(), QStringLiteral("1:総合内科:0,2:一般外科:0,3:旧科:1,7:他端末:0,9:眼科:1"));
}

TEST_F(MntTest, DepartmentDeleteRefusedWhileAnySummaryUsesIt)
{
    // A deleted old version still counts.
    sql(R"(INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ID","KACD","ACTKBN","DELKBN") VALUES (1,1,100,1,0,1))");
    TFrmMntKa frm;
    frm.show();
    frm.dbgMei->locate("KACD", 1);
    frm.bbtnDeleteClick();
    EXPECT_EQ(boxes.texts(), QStringList({"既にこの診療科で入院登録がされています。削除できません。"}));

    // A summary saved elsewhere while the question is open is found inside
    // the deletion's transaction.
    boxes.boxes.clear();
    frm.dbgMei->locate("KACD", 2);
    boxes.onBox = [this](const msg::TBox& b) {
        if (b.kind == msg::TKind::Question)
            sql(R"(INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ID","KACD","ACTKBN") VALUES (2,1,100,2,1))");
    };
    frm.bbtnDeleteClick();
    boxes.onBox = {};
    EXPECT_EQ(boxes.texts(), QStringList({"外科を削除します。\r\nよろしいですか？",
                                          "既にこの診療科で入院登録がされています。削除できません。"}));

    // An unused department goes with its doctor assignments; No keeps it.
    frm.dbgMei->locate("KACD", 3);
    sql(R"(INSERT INTO "KLOV"."M_DRKA" ("USERID","KACD") VALUES ('drA',3))");
    boxes.answer(QMessageBox::No);
    frm.bbtnDeleteClick();
    EXPECT_EQ(pairs(), QStringLiteral("admin:2,drA:1,drA:2,drA:3"));
    frm.dbgMei->locate("KACD", 3);
    frm.bbtnDeleteClick();
    EXPECT_EQ(departments(), QStringLiteral("1:内科:0,2:外科:0"));
    EXPECT_EQ(pairs(), QStringLiteral("admin:2,drA:1,drA:2"));
    EXPECT_EQ(column(frm.dbgMei, 0), QStringList({"1", "2"}));
}

TEST_F(MntTest, DepartmentCsvIsShiftJisWithCrLfAndEscapedQuotes)
{
    // A line break in a name stays inside its quoted field.
    sql(R"(UPDATE "KLOV"."M_KA" SET "KANM" = '外"' || chr(13) || chr(10) || '科' WHERE "KACD" = 2;
           INSERT INTO "KLOV"."M_KA" ("KACD","KANM","KARNM","DSPKBN") VALUES (10, REPEAT('長', 25), 'ｱｲ', 0))");
    TFrmMntKa frm;
    const QString path = FTmp->filePath(QStringLiteral("ka.csv"));
    QStringList asked;
    frm.FAskSaveFile = [&](QWidget*, const QString& name, const QString& title) {
        asked << name << title;
        return asked.size() > 2 ? path : QString();
    };
    frm.show();
    frm.bbtnOutClick();   // cancelled: nothing written, nothing said
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(boxes.boxes.isEmpty());
    frm.bbtnOutClick();
    EXPECT_EQ(asked, QStringList({"診療科情報CSV.csv", "診療科情報CSV", "診療科情報CSV.csv", "診療科情報CSV"}));
    EXPECT_EQ(boxes.texts(), QStringList({"正常に出力しました。"}));

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("\"\x90\x66\x97\xc3\x89\xc8\x83\x52\x81\x5b\x83\x68\","));   // "診療科コード", no BOM
    const QString expected = QStringLiteral("\"診療科コード\",\"診療科名\",\"診療科略称\",\"表示区分\"\r\n"
                                            "1,\"内科\",\"内\",\"表示\"\r\n"
                                            "2,\"外\"\"\r\n科\",\"外\",\"表示\"\r\n"
                                            "3,\"旧科\",\"旧\",\"非表示\"\r\n"
                                            "10,\"")
                             + QString(24, QChar(0x9577)) + QStringLiteral("\",\"ｱｲ\",\"表示\"\r\n");
    EXPECT_EQ(bytes, sjis::encode(expected));
}

TEST_F(MntTest, DoctorDepartmentsHiddenShownPairOnceAndGoneDepartments)
{
    TFrmMntDrKa frm;
    frm.show();
    QStringList items;
    for (int i = 0; i < frm.cmbKA->count(); ++i)
        items << frm.cmbKA->itemText(i);
    EXPECT_EQ(items, QStringList({"内科", "外科", "旧科"}));   // hidden ones too
    EXPECT_EQ(frm.FslDR, QStringList({"admin", "drA"}));      // doctors only
    EXPECT_EQ(frm.cmbDR->itemText(1), QStringLiteral("医師Ａ(drA)"));
    EXPECT_EQ(frm.cmbDR->currentIndex(), -1);
    EXPECT_EQ(frm.dbgMei->rowCount(), 0);

    frm.bbtnInsertClick();
    frm.cmbDR->setCurrentIndex(1);
    EXPECT_EQ(column(frm.dbgMei, 1), QStringList({"内科", "外科"}));
    frm.cmbKA->setCurrentIndex(-1);
    frm.bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), QStringList({"医師が選択されていません。", "所属診療科が選択されていません。"}));

    // Choosing a row chooses its department; registering it again is refused.
    boxes.boxes.clear();
    frm.dbgMei->locate("KACD", 2);
    EXPECT_EQ(frm.cmbKA->currentText(), QStringLiteral("外科"));
    frm.bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), QStringList({"既に登録済みの診療科です。"}));
    frm.cmbKA->setCurrentIndex(2);
    frm.bbtnInsertClick();
    EXPECT_EQ(column(frm.dbgMei, 2), QStringList({"〇", "〇", "×"}));
    EXPECT_EQ(frm.ADOQMei->field("KACD").asInteger(), 3);

    // A department deleted elsewhere after the combo was filled is not assigned.
    boxes.boxes.clear();
    frm.dbgMei->locate("KACD", 1);
    sql(R"(DELETE FROM "KLOV"."M_DRKA" WHERE "USERID" = 'drA' AND "KACD" = 1; DELETE FROM "KLOV"."M_KA" WHERE "KACD" = 1)");
    frm.bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), QStringList({kConflictMessage}));
    EXPECT_EQ(frm.cmbKA->count(), 2);
    EXPECT_EQ(frm.cmbDR->currentIndex(), 1);   // the doctor stays chosen

    // Delete asks; a row deleted elsewhere meanwhile is said so.
    boxes.boxes.clear();
    frm.dbgMei->locate("KACD", 3);
    frm.bbtnDeleteClick();
    EXPECT_EQ(pairs(), QStringLiteral("admin:2,drA:2"));
    frm.dbgMei->locate("KACD", 2);
    sql(R"(DELETE FROM "KLOV"."M_DRKA" WHERE "USERID" = 'drA')");
    frm.bbtnDeleteClick();
    EXPECT_EQ(boxes.texts(), QStringList({"削除してよりしいですか？", "削除してよりしいですか？", kConflictMessage}));
    EXPECT_EQ(frm.dbgMei->rowCount(), 0);
}

TEST_F(MntTest, HospitalCodeZeroAsksOnceAndTheRowIsReplacedWhole)
{
    sql(R"(INSERT INTO "KLOV"."M_HOSP" ("HOSPNO","HOSPNM","TEL") VALUES (1312345678,'旧病院','03-0000'))");
    TFrmMntHosp frm;
    frm.show();
    EXPECT_EQ(frm.nedtHOSPNO->asInteger(), 1312345678);
    EXPECT_EQ(frm.edtTEL->text(), QStringLiteral("03-0000"));

    frm.nedtHOSPNO->setAsInteger(0);
    boxes.answer(QMessageBox::No);
    frm.bbtnInsertClick();
    EXPECT_EQ(scalar(R"(SELECT "HOSPNM" FROM "KLOV"."M_HOSP")"), QStringLiteral("旧病院"));
    frm.edtHOSPNM->setText(QStringLiteral("   "));
    frm.bbtnInsertClick();
    frm.edtHOSPNM->setText(QStringLiteral("新病院"));
    frm.edtBIKO->setText(QStringLiteral("備考'\""));
    frm.bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), QStringList({"医療機関番号未登録ですがよろしいですか？", "医療機関番号未登録ですがよろしいですか？",
                                          "病院名未入力です。", "医療機関番号未登録ですがよろしいですか？", "更新しました。"}));
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) || ':' || MAX("HOSPNO") || MAX("HOSPNM") || MAX("TEL") || MAX("BIKO") FROM "KLOV"."M_HOSP")"),
              QStringLiteral("1:0新病院03-0000備考'\""));

    // Changed elsewhere after this form read it: nothing written, read again.
    boxes.boxes.clear();
    sql(R"(UPDATE "KLOV"."M_HOSP" SET "HOSPNM" = '他端末病院')");
    frm.nedtHOSPNO->setAsInteger(99);
    frm.bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), QStringList({kConflictMessage}));
    EXPECT_EQ(frm.edtHOSPNM->text(), QStringLiteral("他端末病院"));
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) || ':' || MAX("HOSPNO") FROM "KLOV"."M_HOSP")"), QStringLiteral("1:0"));
}
