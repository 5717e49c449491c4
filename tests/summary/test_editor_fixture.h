#pragma once
// Shared set-up of the summary editor tests: departments, a patient, doctors
// with and without a current validity period, summaries put straight into the
// tables, and an editor shown on a given version.

#include "common/TestApp.h"
#include "controls/NumberEdit.h"
#include "controls/DBGrid.h"
#include "summary/FrmUpdTaiyouU.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

class EditorTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        sql(R"(INSERT INTO "KLOV"."M_KA" ("KACD","KANM","DSPKBN") VALUES (1,'内科',0),(2,'外科',0),(3,'旧科',1);
               INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","KNJKANA","KNJNAME","SEX","BIRTH","DELKBN")
                 VALUES (1001,1,1,'ヤマダ タロウ','山田 太郎',0,'1975-04-01',0),
                        (1002,1,1,'スズキ ハナコ','鈴木 花子',1,'1990-01-08',0);
               INSERT INTO "KLOV"."M_USER" ("USERID","PASSW","USERNM","USERKANA","JTYP","WOK","SOK","KOK","MNTFLG","YSTRDTE","YENDDTE")
                 VALUES ('dr1','pw','医師 一郎','イシ',0,1,1,1,0,'2000-01-01','2099-12-31'),
                        ('dr2','pw','医師 二郎','イシ',0,1,1,1,0,'2000-01-01','2099-12-31'),
                        ('drold','pw','退職 医師','タイ',0,1,1,1,0,'2000-01-01','2010-12-31'),
                        ('dc9','pw','事務 九子','ジム',1,1,0,0,0,'2000-01-01','2099-12-31');)");
    }

    void TearDown() override
    {
        FForm.reset();
        AppTest::TearDown();
    }

    // A summary row with the stage columns as a save leaves them when unset.
    void addSummary(int kno, int verno, qint64 id = 1001, int kacd = 1, const QString& ndte = "2024-04-01",
                    const QString& tdte = "2024-04-10", int nyucnt = 1, const QString& more = {})
    {
        sql(QStringLiteral(R"(INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ACTKBN","DELKBN","KACD","ID","NDTE","TDTE",
                 "NSYU","NYUCNT","NYURIYU","NYUBEFKEIKA","NYUKEIKA","TAIJOUHO","TAIYAKU","TAIHOU",
                 "SYUDR","WDR","WFLG","SFLG","KFLG")
               VALUES (%1,%2,1,0,%3,%4,'%5','%6',0,%7,'発熱','経過1','経過2','状況','投薬','方針','dr1','dr1',0,0,0))")
                .arg(kno).arg(verno).arg(kacd).arg(id).arg(ndte, tdte).arg(nyucnt));
        if (!more.isEmpty())
            sql(QStringLiteral(R"(UPDATE "KLOV"."D_TAIYOU" SET %1 WHERE "KNO" = %2 AND "VERNO" = %3)")
                    .arg(more).arg(kno).arg(verno));
    }

    // Shows the editor on a version (kno 0: a new summary).
    TFrmUpdTaiyou& open(int kno = 0, int verno = 1, bool recov = false)
    {
        FForm = std::make_unique<TFrmUpdTaiyou>();
        FForm->FKNO = kno;
        FForm->FVERNO = verno;
        FForm->FRECOV = recov;
        FForm->show();
        QApplication::setActiveWindow(FForm.get());
        return *FForm;
    }
    TFrmUpdTaiyou& form() { return *FForm; }

    // Value of one column of a summary row.
    QString col(const QString& column, int kno = 1, int verno = 1)
    {
        return scalar(QStringLiteral(R"(SELECT "%1" FROM "KLOV"."D_TAIYOU" WHERE "KNO" = %2 AND "VERNO" = %3)")
                          .arg(column).arg(kno).arg(verno));
    }

    // A timestamp column as "yyyy-mm-dd hh:mm:ss".
    QString time(const QString& column, int kno = 1, int verno = 1)
    {
        return scalar(QStringLiteral(R"(SELECT TO_CHAR("%1",'YYYY-MM-DD HH24:MI:SS') FROM "KLOV"."D_TAIYOU"
                                         WHERE "KNO" = %2 AND "VERNO" = %3)")
                          .arg(column).arg(kno).arg(verno));
    }

    // Types into a field and leaves it for another, as a user would.
    static void typeAndLeave(QWidget* field, const QString& text, QWidget* next)
    {
        field->setFocus();
        QTest::keyClicks(field, text);
        next->setFocus();
        QApplication::processEvents();
    }

    std::unique_ptr<TFrmUpdTaiyou> FForm;
};
