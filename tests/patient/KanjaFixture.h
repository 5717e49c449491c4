#pragma once
// Rows of M_KANJA for the patient form tests.

#include "common/TestApp.h"

#include <QDate>

class PatientTest : public AppTest {
protected:
    struct TPatientRow {
        qint64 id = 0;
        int rno = 1;
        int act = 1;
        int del = 0;
        QString kana;
        QString name;
        int sex = 0;
        QDate birth = QDate(1975, 4, 1);
        QString adr1;
        QString adr2;
        QString tel;
        QString keitai;
    };

    void addPatient(const TPatientRow& p)
    {
        TQuery q(&conn());
        q.setSql(R"(INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","DELKBN","KNJKANA","KNJNAME","SEX","BIRTH",
                        "ADR1","ADR2","TEL","KEITAI","INSUSERID","INSDTM")
                    VALUES (:ID, :RNO, :ACT, :DEL, :KANA, :NAME, :SEX, TO_TIMESTAMP(:BIRTH,'YYYYMMDD'),
                        :ADR1, :ADR2, :TEL, :KEITAI, 'setup', NOW()))");
        q.setInt64("ID", p.id).setInt("RNO", p.rno).setInt("ACT", p.act).setInt("DEL", p.del);
        q.setText("KANA", p.kana, 50).setText("NAME", p.name, 50).setInt("SEX", p.sex);
        q.setText("BIRTH", p.birth.toString(QStringLiteral("yyyyMMdd")), 8);
        q.setText("ADR1", p.adr1, 100).setText("ADR2", p.adr2, 100);
        q.setText("TEL", p.tel, 20).setText("KEITAI", p.keitai, 20);
        q.execSql();
    }

    // "RNO:ACTKBN:DELKBN" of every row of the patient, in RNO order.
    QString revisions(qint64 id)
    {
        return scalar(QStringLiteral(R"(SELECT string_agg("RNO" || ':' || "ACTKBN" || ':' || "DELKBN", ',' ORDER BY "RNO")
                                        FROM "KLOV"."M_KANJA" WHERE "ID" = %1)").arg(id));
    }
};
