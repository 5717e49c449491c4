// User maintenance: the list and editor, saving, the delete rules, the user
// CSV, and the maintenance rights against two workstations at once.

#include "common/TestApp.h"

#include "admin/FrmMntUserU.h"
#include "app/SjisText.h"
#include "controls/DBGrid.h"
#include "db/Errors.h"
#include "db/Transaction.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

namespace {
const QString kKeepOneOnSave =
    QStringLiteral("メンテナンス可能ユーザーは最低一人は必要です。メンテナンス可能にしてください。");
const QString kKeepOneOnDelete = QStringLiteral("メンテナンス可能ユーザーは最低一人は必要です。削除できません。");
} // namespace

class MntUserTest : public AppTest {
protected:
    void addUser(const QString& id, bool mnt, const QString& name = QStringLiteral("利用者"),
                 const QString& comm = {}, const QString& updUser = {})
    {
        TQuery q(&conn());
        q.setSql(R"(INSERT INTO "KLOV"."M_USER" ("USERID","PASSW","USERKANA","USERNM","JTYP","WOK","MNTFLG","COMM",
                        "YSTRDTE","YENDDTE","INSDTM","INSUSERID","UPDDTM","UPDUSERID")
                    VALUES (:ID, 'pw', 'りよう', :NM, 1, 1, :M, :C, '2010-04-01', '2030-03-31',
                        '2024-05-06 13:14:15', 'setup', '2024-07-08 09:10:11', :UPD))");
        q.setText("ID", id, 24).setText("NM", name, 64).setInt("M", mnt).setText("C", comm, 100);
        q.setText("UPD", updUser, 24).execSql();
    }
    std::unique_ptr<TFrmMntUser> open()
    {
        auto f = std::make_unique<TFrmMntUser>();
        f->show();
        QApplication::processEvents();
        return f;
    }
    void select(TFrmMntUser& f, const QString& id) { ASSERT_TRUE(f.dbgMei->locate(QStringLiteral("USERID"), id)); }
    void typeId(TFrmMntUser& f, const QString& id)
    {
        f.edtID->setText(id);
        f.edtIDExit();
    }
    QString column(const QString& id, const QString& col)
    {
        return scalar(QStringLiteral(R"(SELECT COALESCE(CAST("%1" AS text), '<null>') FROM "KLOV"."M_USER" WHERE "USERID" = '%2')")
                          .arg(col, id));
    }
    // Another workstation takes the maintenance rights from `id` under the
    // same rule and holds its transaction open for a moment.
    std::thread otherClearsMaintenance(const QString& id, std::atomic<bool>& holding)
    {
        return std::thread([this, id, &holding] {
            TConnection c;
            c.open(dataSource(), testenv::password());
            runTransaction(c, [&] {
                lockScope(c, QStringLiteral("M_USER.MNTFLG"));
                TQuery q(&c);
                q.setSql(R"(UPDATE "KLOV"."M_USER" SET "MNTFLG" = 0 WHERE "USERID" = :ID
                            AND EXISTS (SELECT 1 FROM "KLOV"."M_USER" WHERE "MNTFLG" = 1 AND "USERID" <> :ID))");
                q.setText("ID", id, 24).execSqlExpect(1);
                holding = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
            });
        });
    }
};

TEST_F(MntUserTest, ListSortingEditorAndLeavingTheId)
{
    loginAs(QStringLiteral("admin"));
    addUser(QStringLiteral("b2"), false, QStringLiteral("あ"));
    addUser(QStringLiteral("a1"), false, QStringLiteral("う"));
    auto f = open();
    EXPECT_EQ(f->windowTitle(), QStringLiteral("ユーザーメンテナンス"));
    EXPECT_TRUE(f->windowState() & Qt::WindowMaximized);
    ASSERT_EQ(f->dbgMei->rowCount(), 3);
    EXPECT_EQ(f->dbgMei->cellText(0, 0), QStringLiteral("a1")) << "ordered by ID at start";
    EXPECT_EQ(f->dbgMei->cellText(0, 4), QStringLiteral("ＤＣ"));
    EXPECT_EQ(f->dbgMei->cellText(0, 5), QStringLiteral("可能"));
    EXPECT_EQ(f->dbgMei->cellText(0, 9), QStringLiteral("2010/04/01"));
    EXPECT_EQ(f->dbgMei->cellText(1, 8), QStringLiteral("〇"));
    EXPECT_EQ(f->dbgMei->cellText(2, 8), QString());
    EXPECT_EQ(f->edtID->text(), QStringLiteral("a1"));

    f->dbgMei->titleClick(3);   // name ascending ("admin先生", "あ", "う"), then descending
    EXPECT_EQ(f->dbgMei->cellText(1, 0), QStringLiteral("b2"));
    f->dbgMei->titleClick(3);
    EXPECT_EQ(f->list()->sort(), QStringLiteral("USERNM DESC"));
    EXPECT_EQ(f->dbgMei->cellText(0, 0), QStringLiteral("a1"));

    // selecting a row loads every field, the validity period included
    select(*f, QStringLiteral("b2"));
    EXPECT_EQ(f->edtName->text(), QStringLiteral("あ"));
    EXPECT_EQ(f->cmbJTYP->currentText(), QStringLiteral("ＤＣ"));
    EXPECT_TRUE(f->cbWOK->isChecked());
    EXPECT_FALSE(f->cbMntFlg->isChecked());
    EXPECT_EQ(f->dtpYStrDte->date(), QDate(2010, 4, 1));
    EXPECT_EQ(f->dtpYEndDte->date(), QDate(2030, 3, 31));

    // a new ID resets the editor; an existing one (exact case) loads it
    typeId(*f, QStringLiteral("new"));
    EXPECT_EQ(f->edtID->text(), QStringLiteral("new"));
    EXPECT_TRUE(f->edtPass->text().isEmpty() && f->edtName->text().isEmpty() && f->edtKana->text().isEmpty());
    EXPECT_EQ(f->cmbJTYP->currentText(), QStringLiteral("医師"));
    EXPECT_FALSE(f->cbWOK->isChecked() || f->cbSOK->isChecked() || f->cbKOK->isChecked() || f->cbMntFlg->isChecked());
    EXPECT_EQ(f->dtpYStrDte->date(), QDate(2000, 1, 1));
    EXPECT_EQ(f->dtpYEndDte->date(), QDate(2099, 12, 31));
    typeId(*f, QStringLiteral("  a1"));
    EXPECT_EQ(f->edtName->text(), QStringLiteral("う"));
    EXPECT_EQ(f->dtpYStrDte->date(), QDate(2010, 4, 1));
    typeId(*f, QStringLiteral("A1"));
    EXPECT_TRUE(f->edtName->text().isEmpty()) << "A1 is another user than a1";
    EXPECT_TRUE(boxes.boxes.isEmpty()) << boxes.last().toStdString();
}

TEST_F(MntUserTest, SaveInsertsUpdatesAndSkipsWhatDidNotChange)
{
    loginAs(QStringLiteral("admin"));
    addUser(QStringLiteral("u2"), false);
    auto f = open();

    typeId(*f, QStringLiteral("new"));
    f->edtID->clear();
    f->bbtnInsertClick();
    f->edtID->setText(QStringLiteral(" new "));
    f->bbtnInsertClick();
    f->edtPass->setText(QStringLiteral(" secret"));
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), (QStringList{QStringLiteral("ユーザーＩＤが未入力です。"), QStringLiteral("パスワードが未入力です。"),
                                          QStringLiteral("ユーザー名が未入力です。")}));
    f->edtName->setText(QStringLiteral("新人"));
    f->cmbJTYP->setCurrentIndex(2);
    f->cbKOK->setChecked(true);
    boxes.answer(QMessageBox::No);
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("更新します。\r\nよろしいですか？"));
    EXPECT_EQ(column(QStringLiteral("new"), QStringLiteral("USERID")), QString()) << "No writes nothing";

    f->bbtnInsertClick();
    EXPECT_EQ(column(QStringLiteral("new"), QStringLiteral("PASSW")), QStringLiteral("secret"));
    EXPECT_EQ(column(QStringLiteral("new"), QStringLiteral("JTYP")) + column(QStringLiteral("new"), QStringLiteral("KOK"))
                  + column(QStringLiteral("new"), QStringLiteral("WOK")),
              QStringLiteral("910"));
    EXPECT_EQ(column(QStringLiteral("new"), QStringLiteral("INSUSERID")), QStringLiteral("admin"));
    EXPECT_EQ(column(QStringLiteral("new"), QStringLiteral("UPDUSERID")), QStringLiteral("<null>"));
    EXPECT_EQ(column(QStringLiteral("new"), QStringLiteral("YENDDTE")), QStringLiteral("2099-12-31 00:00:00"));
    EXPECT_EQ(f->dbgMei->cellText(f->dbgMei->currentRecord(), 0), QStringLiteral("new")) << "the saved user is located";
    EXPECT_EQ(f->edtID->text(), QStringLiteral(" new ")) << "the editor keeps what was typed";
    EXPECT_EQ(boxes.boxes.size(), 5);

    // saving it again unchanged asks and writes nothing
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.boxes.size(), 6);
    EXPECT_EQ(column(QStringLiteral("new"), QStringLiteral("UPDUSERID")), QStringLiteral("<null>"));
    // a change of the validity period alone is a change
    f->dtpYEndDte->setDate(QDate(2025, 3, 31));
    f->bbtnInsertClick();
    EXPECT_EQ(column(QStringLiteral("new"), QStringLiteral("YENDDTE")), QStringLiteral("2025-03-31 00:00:00"));
    EXPECT_EQ(column(QStringLiteral("new"), QStringLiteral("UPDUSERID")), QStringLiteral("admin"));

    // editing another user keeps that user's own validity period
    select(*f, QStringLiteral("u2"));
    f->edtComm->setText(QStringLiteral("異動"));
    f->bbtnInsertClick();
    EXPECT_EQ(column(QStringLiteral("u2"), QStringLiteral("COMM")), QStringLiteral("異動"));
    EXPECT_EQ(column(QStringLiteral("u2"), QStringLiteral("YSTRDTE")), QStringLiteral("2010-04-01 00:00:00"));
    EXPECT_EQ(column(QStringLiteral("u2"), QStringLiteral("YENDDTE")), QStringLiteral("2030-03-31 00:00:00"));

    // another workstation changes u2 after it was shown: nothing is overwritten
    sql(R"(UPDATE "KLOV"."M_USER" SET "USERNM" = '他端末' WHERE "USERID" = 'u2')");
    f->edtComm->setText(QStringLiteral("上書き"));
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_EQ(column(QStringLiteral("u2"), QStringLiteral("COMM")), QStringLiteral("異動"));
    EXPECT_EQ(f->edtName->text(), QStringLiteral("他端末")) << "the editor reads the user again";
}

TEST_F(MntUserTest, MaintenanceRightsAndTheDeleteRules)
{
    loginAs(QStringLiteral("admin"));
    addUser(QStringLiteral("u2"), false);
    auto f = open();

    // the only maintenance user keeps the rights and cannot delete itself
    select(*f, QStringLiteral("admin"));
    f->cbMntFlg->setChecked(false);
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.last(), kKeepOneOnSave);
    EXPECT_EQ(column(QStringLiteral("admin"), QStringLiteral("MNTFLG")), QStringLiteral("1"));
    f->bbtnDeleteClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("自分自身（ログイン中）は削除できません。"));

    // a user named in any of the nine columns of any summary version stays
    const QStringList columns{"SYUDR", "TANDR1", "TANDR2", "TANDR3", "WUSERID", "SUSERID", "KUSERID", "INSUSERID",
                              "UPDUSERID"};
    for (const QString& col : columns) {
        TQuery q(&conn());
        q.setSql(QStringLiteral(R"(INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","%1") VALUES (5, 2, :U))").arg(col));
        q.setText("U", QStringLiteral("u2"), 24).execSql();
        select(*f, QStringLiteral("u2"));
        f->bbtnDeleteClick();
        EXPECT_EQ(boxes.last(), QStringLiteral("既に使用されているユーザーは削除できません。")) << col.toStdString();
        sql(R"(DELETE FROM "KLOV"."D_TAIYOU")");
    }

    // the selected row is deleted, whatever was typed into the ID field since
    const int before = boxes.boxes.size();
    select(*f, QStringLiteral("u2"));
    f->edtID->setText(QStringLiteral("admin"));
    f->bbtnDeleteClick();
    ASSERT_EQ(boxes.boxes.size(), before + 1);
    EXPECT_EQ(boxes.last(), QStringLiteral("ユーザーＩＤ「u2」を削除します。\r\nよろしいですか？"));
    EXPECT_EQ(column(QStringLiteral("u2"), QStringLiteral("USERID")), QString());
    EXPECT_EQ(column(QStringLiteral("admin"), QStringLiteral("USERID")), QStringLiteral("admin"));
    EXPECT_EQ(f->dbgMei->rowCount(), 1);

    // an operator without the rights cannot delete the last one who has them
    loginAs(QStringLiteral("op"), 0, true, true, true, false);
    f->FormShow();
    select(*f, QStringLiteral("admin"));
    f->bbtnDeleteClick();
    EXPECT_EQ(boxes.last(), kKeepOneOnDelete);
    EXPECT_EQ(column(QStringLiteral("admin"), QStringLiteral("USERID")), QStringLiteral("admin"));

    sql(R"(DELETE FROM "KLOV"."M_USER")");
    f->FormShow();
    f->bbtnDeleteClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("ユーザーが存在しません。"));
}

TEST_F(MntUserTest, TwoWorkstationsTakingTheLastTwoMaintenanceRights)
{
    loginAs(QStringLiteral("op"), 0, true, true, true, false);
    addUser(QStringLiteral("m1"), true);
    addUser(QStringLiteral("m2"), true);
    addUser(QStringLiteral("m3"), true);
    auto f = open();

    // the save waits for the other workstation, then sees that m1 would be the last
    std::atomic<bool> holding{false};
    std::thread other = otherClearsMaintenance(QStringLiteral("m2"), holding);
    ASSERT_TRUE(waitFor([&] { return holding.load(); }));
    sql(R"(UPDATE "KLOV"."M_USER" SET "MNTFLG" = 0 WHERE "USERID" = 'm3')");
    select(*f, QStringLiteral("m1"));
    f->cbMntFlg->setChecked(false);
    f->bbtnInsertClick();
    other.join();
    EXPECT_EQ(boxes.last(), kKeepOneOnSave);
    EXPECT_EQ(column(QStringLiteral("m1"), QStringLiteral("MNTFLG")), QStringLiteral("1"));
    EXPECT_EQ(column(QStringLiteral("m2"), QStringLiteral("MNTFLG")), QStringLiteral("0"));

    // the same for a delete
    sql(R"(UPDATE "KLOV"."M_USER" SET "MNTFLG" = 1)");
    f->FormShow();
    holding = false;
    other = otherClearsMaintenance(QStringLiteral("m2"), holding);
    ASSERT_TRUE(waitFor([&] { return holding.load(); }));
    sql(R"(UPDATE "KLOV"."M_USER" SET "MNTFLG" = 0 WHERE "USERID" IN ('m3', 'op'))");
    f->FormShow();
    select(*f, QStringLiteral("m1"));
    f->bbtnDeleteClick();
    other.join();
    EXPECT_EQ(boxes.last(), kKeepOneOnDelete);
    EXPECT_EQ(column(QStringLiteral("m1"), QStringLiteral("MNTFLG")), QStringLiteral("1"));
}

TEST_F(MntUserTest, UserCsvBytes)
{
    loginAs(QStringLiteral("admin"));
    // 65 bytes: the cut to 64 drops the whole last kanji
    const QString longName = QStringLiteral("a") + QString(32, QChar(0x6F22));
    addUser(QStringLiteral("q1"), false, QStringLiteral("山田\"太郎\""), QStringLiteral("引用\"符"), QStringLiteral("admin"));
    addUser(QStringLiteral("q2"), false, longName);
    sql(R"(UPDATE "KLOV"."M_USER" SET "UPDUSERID" = NULL, "JTYP" = 5 WHERE "USERID" = 'q2')");
    auto f = open();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    QString proposed, filter;
    f->FAskSaveFile = [&](QWidget*, const QString& name, const QString& title) {
        proposed = name;
        filter = title;
        return QString();
    };
    f->bbtnOutClick();
    EXPECT_EQ(proposed, QStringLiteral("ユーザ情報CSV.csv"));
    EXPECT_EQ(filter, QStringLiteral("ユーザ情報CSV"));
    EXPECT_TRUE(boxes.boxes.isEmpty()) << "cancel ends quietly";

    f->FAskSaveFile = [&](QWidget*, const QString&, const QString&) { return path; };
    f->bbtnOutClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("正常に出力しました。"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();

    const QString expected = QStringLiteral(
        "\"ユーザーID\",\"パスワード\",\"ふりがな\",\"ユーザー名\",\"職種\",\"記載完了\",\"承認\",\"完成確認\","
        "\"メンテナンス権限\",\"コメント\",\"有効開始日\",\"有効終了日\",\"登録ユーザーID\",\"登録日時\",\"更新ユーザーID\",\"更新日時\"\r\n"
        "\"admin\",\"pw\",\"admin先生\",\"admin先生\",\"医師\",\"可能\",\"可能\",\"可能\",\"メンテ可能\",\"\",2000/01/01,2099/12/31,\"\",,\"\",\r\n"
        "\"q1\",\"pw\",\"りよう\",\"山田\"\"太郎\"\"\",\"ＤＣ\",\"可能\",\"\",\"\",\"\",\"引用\"\"符\",2010/04/01,2030/03/31,"
        "\"setup\",2024/05/06,\"admin\",2024/07/08\r\n"
        "\"q2\",\"pw\",\"りよう\",\"a%1\",\"その他\",\"可能\",\"\",\"\",\"\",\"\",2010/04/01,2030/03/31,\"setup\",2024/05/06,\"\",\r\n")
        .arg(QString(31, QChar(0x6F22)));
    EXPECT_EQ(bytes, sjis::encode(expected));
    EXPECT_TRUE(bytes.startsWith("\"\x83\x86\x81\x5b\x83\x55\x81\x5b" "ID\"")) << "Shift-JIS, no byte-order mark";
}
