// User maintenance: the list and editor, saving, the delete rules, the user
// CSV, and the maintenance rights against two workstations at once.

#include "common/PythonTool.h"
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
    // Stored columns of a user joined by "|" ("-" for null; empty when there is no such user).
    QString stored(const QString& id, const QString& cols)
    {
        QStringList parts;
        for (const QString& c : cols.split(QLatin1Char(',')))
            parts << QStringLiteral(R"(COALESCE(CAST("%1" AS text), '-'))").arg(c);
        return scalar(QStringLiteral(R"(SELECT %1 FROM "KLOV"."M_USER" WHERE "USERID" = '%2')")
                          .arg(parts.join(QStringLiteral(" || '|' || ")), id));
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
    ASSERT_EQ(f->dbgMei->rowCount(), 3);
    EXPECT_EQ(f->dbgMei->cellText(0, 0) + f->dbgMei->cellText(0, 4) + f->dbgMei->cellText(0, 9) + f->dbgMei->cellText(1, 8),
              QStringLiteral("a1ＤＣ2010/04/01〇")) << "ordered by ID at start";
    f->dbgMei->titleClick(3);   // by name ("admin先生", "あ", "う"), then the other way round
    EXPECT_EQ(f->dbgMei->cellText(1, 0), QStringLiteral("b2"));
    f->dbgMei->titleClick(3);
    EXPECT_EQ(f->dbgMei->cellText(0, 0), QStringLiteral("a1"));

    // selecting a row loads the validity period too
    select(*f, QStringLiteral("b2"));
    EXPECT_EQ(f->edtName->text() + f->cmbJTYP->currentText(), QStringLiteral("あＤＣ"));
    EXPECT_TRUE(f->cbWOK->isChecked() && !f->cbMntFlg->isChecked());
    EXPECT_EQ(f->dtpYStrDte->date(), QDate(2010, 4, 1));
    EXPECT_EQ(f->dtpYEndDte->date(), QDate(2030, 3, 31));

    // a new ID resets the editor; an existing one (in its exact case) loads it
    typeId(*f, QStringLiteral("new"));
    EXPECT_TRUE(f->edtPass->text().isEmpty() && f->edtName->text().isEmpty() && f->edtKana->text().isEmpty());
    EXPECT_EQ(f->cmbJTYP->currentText(), QStringLiteral("医師"));
    EXPECT_FALSE(f->cbWOK->isChecked() || f->cbSOK->isChecked() || f->cbKOK->isChecked() || f->cbMntFlg->isChecked());
    EXPECT_EQ(f->dtpYStrDte->date(), QDate(2000, 1, 1));
    EXPECT_EQ(f->dtpYEndDte->date(), QDate(2099, 12, 31));
    typeId(*f, QStringLiteral("  a1"));
    EXPECT_EQ(f->edtName->text(), QStringLiteral("う"));
    typeId(*f, QStringLiteral("A1"));
    EXPECT_TRUE(f->edtName->text().isEmpty()) << "A1 is another user than a1";
    EXPECT_TRUE(boxes.boxes.isEmpty()) << boxes.last().toStdString();
}

TEST_F(MntUserTest, SaveInsertsUpdatesAndSkipsWhatDidNotChange)
{
    loginAs(QStringLiteral("admin"));
    addUser(QStringLiteral("u2"), false);
    addUser(QStringLiteral("u3 "), false);
    auto f = open();
    const QString cols = QStringLiteral("PASSW,JTYP,WOK,KOK,INSUSERID,UPDUSERID,YENDDTE");

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
    EXPECT_EQ(stored(QStringLiteral("new"), cols), QString()) << "No writes nothing";

    f->bbtnInsertClick();
    EXPECT_EQ(stored(QStringLiteral("new"), cols), QStringLiteral("secret|9|0|1|admin|-|2099-12-31 00:00:00"));
    EXPECT_EQ(f->dbgMei->cellText(f->dbgMei->currentRecord(), 0), QStringLiteral("new")) << "the saved user is located";
    EXPECT_EQ(f->edtID->text(), QStringLiteral(" new ")) << "the editor keeps what was typed";
    // saving it unchanged asks and writes nothing; a new validity period alone is a change
    f->bbtnInsertClick();
    EXPECT_EQ(stored(QStringLiteral("new"), QStringLiteral("UPDUSERID")), QStringLiteral("-"));
    f->dtpYEndDte->setDate(QDate(2025, 3, 31));
    f->bbtnInsertClick();
    EXPECT_EQ(stored(QStringLiteral("new"), QStringLiteral("UPDUSERID,YENDDTE")), QStringLiteral("admin|2025-03-31 00:00:00"));
    EXPECT_EQ(boxes.boxes.size(), 7);

    // editing another user keeps that user's own validity period
    select(*f, QStringLiteral("u2"));
    f->edtComm->setText(QStringLiteral("異動"));
    f->bbtnInsertClick();
    EXPECT_EQ(stored(QStringLiteral("u2"), QStringLiteral("COMM,YSTRDTE,YENDDTE")),
              QStringLiteral("異動|2010-04-01 00:00:00|2030-03-31 00:00:00"));

    // another workstation changes u2 after it was shown: nothing is overwritten
    sql(R"(UPDATE "KLOV"."M_USER" SET "USERNM" = '他端末' WHERE "USERID" = 'u2')");
    f->edtComm->setText(QStringLiteral("上書き"));
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_EQ(stored(QStringLiteral("u2"), QStringLiteral("COMM")), QStringLiteral("異動"));
    EXPECT_EQ(f->edtName->text(), QStringLiteral("他端末")) << "the editor reads the user again";

    // a stored ID ending in a blank is that user's key: leaving the ID field
    // keeps the user, saving updates it and adds no user "u3"
    select(*f, QStringLiteral("u3 "));
    f->edtIDExit();
    f->edtComm->setText(QStringLiteral("空白"));
    f->bbtnInsertClick();
    EXPECT_EQ(scalar(R"(SELECT STRING_AGG('[' || "USERID" || ']' || COALESCE("COMM", '-'), ',') FROM "KLOV"."M_USER"
                        WHERE "USERID" LIKE 'u3%')"),
              QStringLiteral("[u3 ]空白"));
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
    EXPECT_EQ(stored(QStringLiteral("admin"), QStringLiteral("MNTFLG")), QStringLiteral("1"));
    f->bbtnDeleteClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("自分自身（ログイン中）は削除できません。"));

    // a user named in any of the nine columns of any summary version stays
    for (const char* col : {"SYUDR", "TANDR1", "TANDR2", "TANDR3", "WUSERID", "SUSERID", "KUSERID", "INSUSERID", "UPDUSERID"}) {
        sql(QStringLiteral(R"(INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","%1") VALUES (5, 2, 'u2'))").arg(QLatin1String(col)));
        select(*f, QStringLiteral("u2"));
        f->bbtnDeleteClick();
        EXPECT_EQ(boxes.last(), QStringLiteral("既に使用されているユーザーは削除できません。")) << col;
        sql(R"(DELETE FROM "KLOV"."D_TAIYOU")");
    }

    // the selected row is deleted, whatever was typed into the ID field since
    select(*f, QStringLiteral("u2"));
    f->edtID->setText(QStringLiteral("admin"));
    f->bbtnDeleteClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("ユーザーＩＤ「u2」を削除します。\r\nよろしいですか？"));
    EXPECT_EQ(scalar(R"(SELECT STRING_AGG("USERID", ',') FROM "KLOV"."M_USER")"), QStringLiteral("admin"));
    EXPECT_EQ(f->dbgMei->rowCount(), 1);

    // an operator without the rights cannot delete the last one who has them
    loginAs(QStringLiteral("op"), 0, true, true, true, false);
    f->FormShow();
    select(*f, QStringLiteral("admin"));
    f->bbtnDeleteClick();
    EXPECT_EQ(boxes.last(), kKeepOneOnDelete);

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
    auto f = open();
    // The save, then the delete, of m1 waits for the other workstation and
    // then sees that m1 would be the last.
    for (const bool deleting : {false, true}) {
        sql(R"(UPDATE "KLOV"."M_USER" SET "MNTFLG" = 1 WHERE "USERID" <> 'op')");
        f->FormShow();
        std::atomic<bool> holding{false};
        std::thread other = otherClearsMaintenance(QStringLiteral("m2"), holding);
        ASSERT_TRUE(waitFor([&] { return holding.load(); }));
        select(*f, QStringLiteral("m1"));
        f->cbMntFlg->setChecked(false);
        deleting ? f->bbtnDeleteClick() : f->bbtnInsertClick();
        other.join();
        EXPECT_EQ(boxes.last(), deleting ? kKeepOneOnDelete : kKeepOneOnSave);
        EXPECT_EQ(stored(QStringLiteral("m1"), QStringLiteral("MNTFLG")) + stored(QStringLiteral("m2"), QStringLiteral("MNTFLG")),
                  QStringLiteral("10"));
    }
}

TEST_F(MntUserTest, UserCsvBytes)
{
    loginAs(QStringLiteral("admin"));
    // 65 bytes: the cut to 64 drops the whole last kanji
    const QString longName = QStringLiteral("a") + QString(32, QChar(0x6F22));
    addUser(QStringLiteral("q1"), false, QStringLiteral("山田\"太郎\""), QStringLiteral("引用\"符"), QStringLiteral("admin"));
    addUser(QStringLiteral("q2"), false, longName, QStringLiteral("c1\r\nc2\nc3"));
    sql(R"(UPDATE "KLOV"."M_USER" SET "JTYP" = 5 WHERE "USERID" = 'q2')");
    auto f = open();

    QTemporaryDir dir;
    QString asked, answer;   // cancelled first
    f->FAskSaveFile = [&](QWidget*, const QString& name, const QString& title) {
        asked = name + QLatin1Char('|') + title;
        return answer;
    };
    f->bbtnOutClick();
    EXPECT_EQ(asked, QStringLiteral("ユーザ情報CSV.csv|ユーザ情報CSV"));
    EXPECT_TRUE(boxes.boxes.isEmpty()) << "cancel ends quietly";
    answer = dir.filePath(QStringLiteral("out.csv"));
    f->bbtnOutClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("正常に出力しました。"));
    QFile file(answer);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();

    const QString expected = QStringLiteral(
        "\"ユーザーID\",\"パスワード\",\"ふりがな\",\"ユーザー名\",\"職種\",\"記載完了\",\"承認\",\"完成確認\","
        "\"メンテナンス権限\",\"コメント\",\"有効開始日\",\"有効終了日\",\"登録ユーザーID\",\"登録日時\",\"更新ユーザーID\",\"更新日時\"\r\n"
        "\"admin\",\"pw\",\"admin先生\",\"admin先生\",\"医師\",\"可能\",\"可能\",\"可能\",\"メンテ可能\",\"\",2000/01/01,2099/12/31,\"\",,\"\",\r\n"
        "\"q1\",\"pw\",\"りよう\",\"山田\"\"太郎\"\"\",\"ＤＣ\",\"可能\",\"\",\"\",\"\",\"引用\"\"符\",2010/04/01,2030/03/31,"
        "\"setup\",2024/05/06,\"admin\",2024/07/08\r\n"
        "\"q2\",\"pw\",\"りよう\",\"a%1\",\"その他\",\"可能\",\"\",\"\",\"\",\"c1\r\nc2\nc3\",2010/04/01,2030/03/31,"
        "\"setup\",2024/05/06,\"\",\r\n")
        .arg(QString(31, QChar(0x6F22)));
    EXPECT_EQ(bytes, sjis::encode(expected));
    EXPECT_TRUE(bytes.startsWith("\"\x83\x86\x81\x5b\x83\x55\x81\x5b" "ID\"")) << "Shift-JIS, no byte-order mark";
    // Line breaks stay inside the quoted field: Python's csv module reads
    // the comment back as stored.
    const QList<QStringList> rows = pytool::csvRows(answer);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[3].value(9), QStringLiteral("c1\r\nc2\nc3"));
    EXPECT_EQ(rows[2].value(3), QStringLiteral("山田\"太郎\""));
}
