#include "db/KanjaRecord.h"

#include "db/Numbers.h"
#include "db/Query.h"

void insertKanjaRevision(TConnection& conn, qint64 id, const TrecKanja& row, const QString& userId)
{
    TQuery q(&conn);
    q.setSql(R"(INSERT INTO "KLOV"."M_KANJA" ("ID", "RNO", "ACTKBN", "KNJKANA", "KNJNAME", "SEX", "BIRTH",
                    "POSTCD", "ADR1", "ADR2", "TEL", "KEITAI", "FAX", "MAIL", "BIKO", "DELKBN", "INSUSERID", "INSDTM")
                VALUES (:ID, :RNO, 1, :KANA, :NAME, :SEX, TO_TIMESTAMP(:BIRTH,'YYYY-MM-DD'), :POSTCD, :ADR1, :ADR2,
                    :TEL, :KEITAI, :FAX, :MAIL, :BIKO, 0, :INSUSERID, NOW()))");
    auto text = [&q](const char* param, const QString& v, int size) {
        if (v.isEmpty())
            q.setNull(QString::fromLatin1(param), TParamType::Text, size);
        else
            q.setText(QString::fromLatin1(param), v, size);
    };
    q.setInt64(QStringLiteral("ID"), id);
    q.setInt(QStringLiteral("RNO"), numbers::nextKanjaRno(conn, id));
    text("KANA", row.kana, 50);
    q.setText(QStringLiteral("NAME"), row.name, 50);
    if (row.sex >= 0)
        q.setInt(QStringLiteral("SEX"), row.sex);
    else
        q.setNull(QStringLiteral("SEX"), TParamType::Int32);
    if (row.birth.isValid())
        q.setText(QStringLiteral("BIRTH"), row.birth.toString(QStringLiteral("yyyy-MM-dd")), 10);
    else
        q.setNull(QStringLiteral("BIRTH"), TParamType::Text, 10);
    text("POSTCD", row.post, 10);
    text("ADR1", row.adr1, 100);
    text("ADR2", row.adr2, 100);
    text("TEL", row.tel, 20);
    text("KEITAI", row.keitai, 20);
    text("FAX", row.fax, 20);
    text("MAIL", row.mail, 50);
    text("BIKO", row.biko, 128);
    q.setText(QStringLiteral("INSUSERID"), userId, 24);
    q.execSql();
}
