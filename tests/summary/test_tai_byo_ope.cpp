// The dialogs that attach a patient's disease under a "#" number, or an
// operation, to a summary version: numbering checks, the admission-period
// lists, attaching again what was taken off, two workstations at once, and
// the editor's buttons that open them.

#include "test_editor_fixture.h"

#include "summary/FrmUpdTaiByoU.h"
#include "summary/FrmUpdTaiOpeU.h"

#include <QCheckBox>
#include <QLineEdit>
#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

class TaiPickTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        loginAs(QStringLiteral("dr1"), 0);
        addSummary(1, 1);   // 2024-04-01 to 2024-04-10
    }

    // Diseases with (BNO, onset, end); every one live.
    void addDiseases(const QString& values)
    {
        sql(QStringLiteral(R"(INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","BYONM","HJIKI","ENDDTE","DELKBN")
                              SELECT 1001, b, 1, '病名' || b, h, CAST(e AS timestamp), 0 FROM (VALUES %1) v(b, h, e))")
                .arg(values));
    }

    template <class T> std::unique_ptr<T> pick(int kno = 1)
    {
        auto d = std::make_unique<T>();
        d->FID = 1001;
        d->FKNO = kno;
        d->FVERNO = 1;
        d->show();
        return d;
    }

    // The key column of the listed rows, in the order shown (or by key).
    static QString listed(const TFrmTaiPickBase& d, const QString& key, bool byKey = false)
    {
        QList<int> keys;
        for (int r = 0; r < d.ADOQMei->recordCount(); ++r)
            keys << d.ADOQMei->fieldAt(r, key).asInteger();
        if (byKey)
            std::sort(keys.begin(), keys.end());
        QStringList out;
        for (int k : keys)
            out << QString::number(k);
        return out.join(',');
    }

    static void select(TFrmTaiPickBase& d, const QString& key, int value)
    {
        ASSERT_TRUE(d.dbgMei->locate(key, value));
    }

    QString diagnoses()
    {
        return scalar(R"(SELECT STRING_AGG("BNO" || ':' || "SNO" || COALESCE("SNO1",'') || COALESCE("SNO2",''), ' '
                         ORDER BY "BNO") FROM "KLOV"."D_TAIBYO")");
    }
};

TEST_F(TaiPickTest, NumbersAreProposedAndNeverLeaveAGap)
{
    addDiseases(R"((1,'',NULL),(2,'',NULL),(3,'',NULL))");
    sql(R"(INSERT INTO "KLOV"."D_TAIBYO" VALUES (1,1,1,1,'',''),(1,1,2,2,'',''))");
    auto d = pick<TFrmUpdTaiByo>();
    EXPECT_EQ(d->nedtSNO->asInteger(), 3);
    EXPECT_EQ(listed(*d, "BNO"), QStringLiteral("3,1,2")) << "unattached first, as sorted by #";

    select(*d, "BNO", 1);
    EXPECT_EQ(d->dbgMei->rowColors(d->ADOQMei->recNo()).background, QColor(192, 192, 192));
    EXPECT_FALSE(d->bbtnUpdate->isEnabled());
    d->bbtnUpdateClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("この病名は既に登録されています。"));

    select(*d, "BNO", 3);
    EXPECT_TRUE(d->bbtnUpdate->isEnabled());
    d->nedtSNO->setAsInteger(4);
    d->bbtnUpdate->click();
    EXPECT_EQ(boxes.last(), QStringLiteral("#が値が飛び番号になっています。#の値を正しく設定してください。"));
    d->nedtSNO->setAsInteger(0);
    d->bbtnUpdate->click();
    EXPECT_EQ(boxes.last(), QStringLiteral("#が入力されていません。"));
    d->nedtSNO->setAsInteger(2);
    d->edtSNO1->setText(QStringLiteral("  "));
    d->bbtnUpdate->click();
    EXPECT_EQ(boxes.last(), QStringLiteral("既に同一の#が存在します。#を変更してください。"));
    EXPECT_EQ(diagnoses(), QStringLiteral("1:1 2:2"));

    d->edtSNO1->setText(QStringLiteral(" a "));
    boxes.boxes.clear();
    d->bbtnUpdate->click();
    EXPECT_TRUE(boxes.boxes.isEmpty()) << boxes.last().toStdString();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(diagnoses(), QStringLiteral("1:1 2:2 3:2a"));
}

TEST_F(TaiPickTest, APatientWithoutDiseasesIsToldSo)
{
    auto d = pick<TFrmUpdTaiByo>();
    EXPECT_EQ(d->nedtSNO->asInteger(), 1);
    d->bbtnUpdate->click();
    EXPECT_EQ(boxes.last(), QStringLiteral("この患者で登録されている病名がありません。まずは患者病名登録を行ってください。"));
}

TEST_F(TaiPickTest, DiseasesOfTheStayAreListed)
{
    addSummary(2, 1, 1001, 2, "2024-04-01", "1899-12-30");   // still in hospital
    addDiseases(R"((1,'20240320','2024-04-01'),  -- ends on the admission day
                   (2,'20240410','1899-12-30'),  -- starts on the discharge day
                   (3,'20240402','2024-04-05'),  -- strictly inside the stay
                   (4,'20240101','2024-03-31'),  -- ended the day before
                   (5,'20190000',NULL),          -- year only, no end at all
                   (6,'','1899-12-30'),          -- no onset
                   (7,'20240411','1899-12-30')   -- starts after the discharge
                   )");
    auto d = pick<TFrmUpdTaiByo>();
    EXPECT_EQ(listed(*d, "BNO", true), QStringLiteral("1,2,5,6"));
    d->cbAllDisp->setChecked(true);
    EXPECT_EQ(listed(*d, "BNO", true), QStringLiteral("1,2,3,4,5,6,7"));

    auto open = pick<TFrmUpdTaiByo>(2);
    EXPECT_EQ(listed(*open, "BNO", true), QStringLiteral("1,2,3,5,6,7")) << "only what ended before the admission is left out";
}

TEST_F(TaiPickTest, OperationsOfTheStayAndOneTakenOffAttachedAgain)
{
    addSummary(2, 1, 1001, 2, "2024-04-01", "1899-12-30");
    sql(R"(INSERT INTO "KLOV"."D_KANOPE" ("ID","ONO","RNO","OPEDTE","OPENM","DELKBN") VALUES
             (1001,1,1,'2024-04-01','入院日',0),(1001,2,1,'2024-04-10','退院日',0),
             (1001,3,1,'2024-04-11','翌日',0),(1001,4,1,'2024-03-31','前日',0),(1001,5,1,'2299-12-31','遠い先',0);
           INSERT INTO "KLOV"."D_TAIOPE" ("KNO","VERNO","ONO","RNO","DELKBN") VALUES (1,1,2,1,1),(1,1,1,1,0);)");
    auto d = pick<TFrmUpdTaiOpe>();
    EXPECT_EQ(listed(*d, "ONO"), QStringLiteral("1,2"));
    EXPECT_EQ(d->windowTitle(), QStringLiteral("退院サマリ記載対象手術・手技登録"));
    d->cbAllDisp->setChecked(true);
    EXPECT_EQ(listed(*d, "ONO"), QStringLiteral("4,1,2,3,5"));
    EXPECT_EQ(listed(*pick<TFrmUpdTaiOpe>(2), "ONO"), QStringLiteral("1,2,3,5")) << "an open stay runs to 2300-12-31";

    select(*d, "ONO", 1);
    EXPECT_FALSE(d->bbtnUpdate->isEnabled());
    d->bbtnUpdateClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("この手術・手技は既に登録されています。"));
    select(*d, "ONO", 2);
    EXPECT_TRUE(d->bbtnUpdate->isEnabled()) << "taken off the version, so not attached";
    d->bbtnUpdate->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(scalar(R"(SELECT STRING_AGG("RNO" || ':' || "DELKBN" || ':' || COALESCE("INSUSERID",''), ' ' ORDER BY "RNO")
                        FROM "KLOV"."D_TAIOPE" WHERE "ONO" = 2)"),
              QStringLiteral("1:1: 2:0:dr1"));
}

// The other workstation writes without the version's lock, so only the
// table's key can keep the two apart.
TEST_F(TaiPickTest, TwoWorkstationsAttachingOneNumberAtOnceMakeOneRow)
{
    addDiseases(R"((1,'',NULL),(2,'',NULL))");
    sql(R"(INSERT INTO "KLOV"."D_TAIBYO" VALUES (1,1,1,1,'',''))");
    auto d = pick<TFrmUpdTaiByo>();
    select(*d, "BNO", 2);

    std::promise<void> inserted;
    std::thread other([&] {
        TConnection c, watch;
        c.open(dataSource(), testenv::password());
        watch.open(dataSource(), testenv::password());
        c.beginTrans();
        c.execDirect(R"(INSERT INTO "KLOV"."D_TAIBYO" VALUES (1,1,2,2,'',''))");
        inserted.set_value();
        // Commit once this workstation's commit waits for ours (10 s at most).
        TQuery q(&watch);
        q.setSql(R"(SELECT COUNT(*) AS "N" FROM pg_stat_activity
                    WHERE datname = current_database() AND wait_event_type = 'Lock')");
        for (int i = 0; i < 200; ++i) {
            q.open();
            const bool waiting = q.field("N").asInteger() > 0;
            q.close();
            if (waiting)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        c.commitTrans();
    });
    inserted.get_future().wait();
    d->bbtnUpdate->click();
    other.join();

    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_NE(d->result(), QDialog::Accepted);
    EXPECT_EQ(diagnoses(), QStringLiteral("1:1 2:2"));
    ASSERT_EQ(d->ADOQMei->field("BNO").asInteger(), 2) << "the row stays selected";
    EXPECT_TRUE(d->attached(d->ADOQMei->recNo())) << "the list is read again";
}

TEST_F(TaiPickTest, TheEditorsButtonsOpenThemAndReadTheirListsAgain)
{
    addDiseases(R"((1,'',NULL))");
    sql(R"(INSERT INTO "KLOV"."D_KANOPE" ("ID","ONO","RNO","OPEDTE","OPENM","DELKBN") VALUES
             (1001,1,1,'2024-04-05','虫垂切除',0))");
    TFrmUpdTaiyou& f = open(1, 1);
    for (const char* name : {"TFrmUpdTaiByo", "TFrmUpdTaiOpe"})
        whenModal(QString::fromLatin1(name), [](QWidget* w) {
            auto* d = static_cast<TFrmTaiPickBase*>(w);
            d->bbtnUpdate->click();
            if (d->isVisible())
                d->reject();
        });
    f.bbtnTAIBYOADD->click();
    f.bbtnOPEADD->click();
    EXPECT_EQ(f.dbgTAIBYO->rowCount(), 1);
    EXPECT_EQ(f.dbgOPE->rowCount(), 1);
    EXPECT_TRUE(f.FCommitted);

    // Completed elsewhere while the dialog is open: nothing is attached and
    // the editor reads the version again.
    sql(R"(INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","BYONM","HJIKI","DELKBN") VALUES (1001,2,1,'次','',0))");
    whenModal(QStringLiteral("TFrmUpdTaiByo"), [this](QWidget* w) {
        auto* d = static_cast<TFrmUpdTaiByo*>(w);
        ASSERT_TRUE(d->dbgMei->locate(QStringLiteral("BNO"), 2));
        sql(R"(UPDATE "KLOV"."D_TAIYOU" SET "WFLG" = 1, "SFLG" = 1, "KFLG" = 1)");
        d->bbtnUpdate->click();
        if (d->isVisible())
            d->reject();
    });
    f.bbtnTAIBYOADD->click();
    EXPECT_TRUE(boxes.texts().contains(kConflictMessage));
    EXPECT_EQ(diagnoses(), QStringLiteral("1:1"));
    EXPECT_FALSE(f.bbtnTAIBYOADD->isEnabled());
}
