#include "db/HistoryRows.h"

#include "db/Query.h"

void retireRow(TConnection& conn, THistoryTable table, qint64 id, int no, int rno, const QString& userId)
{
    // The table's name and its record number column, fixed per kind.
    struct TShape {
        const char* table;
        const char* number;
    };
    static constexpr TShape kShapes[] = {
        {"D_KANBYO", "BNO"},
        {"D_KANOPE", "ONO"},
        {"M_ALLERGY", nullptr},
        {"M_DEVICE", nullptr},
    };
    const TShape& shape = kShapes[static_cast<int>(table)];
    const QString byNumber = shape.number
        ? QStringLiteral(R"( AND "%1" = :NO)").arg(QLatin1String(shape.number))
        : QString();
    TQuery q(&conn);
    q.setSql(QStringLiteral(R"(UPDATE "KLOV"."%1" SET "DELKBN" = 1, "DELDTM" = DATE_TRUNC('second',NOW()),
                "DELUSERID" = :DELUSERID WHERE "ID" = :ID%2 AND "RNO" = :RNO AND "DELKBN" = 0)")
                 .arg(QLatin1String(shape.table), byNumber));
    q.setText(QStringLiteral("DELUSERID"), userId, 24);
    q.setInt64(QStringLiteral("ID"), id);
    if (shape.number)
        q.setInt(QStringLiteral("NO"), no);
    q.setInt(QStringLiteral("RNO"), rno);
    q.execSqlExpect(1);
}
