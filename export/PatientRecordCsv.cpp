#include "export/PatientRecordCsv.h"

#include "app/SjisText.h"
#include "app/Globals.h"
#include "app/UntDM.h"
#include "controls/NumberEdit.h"
#include "db/Query.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>

TFrmOutCsvPatRec::TFrmOutCsvPatRec(QWidget* parent, const QString& objectName, const QString& title)
    : TFrmOutCsvBase(parent, objectName, title, QStringLiteral("削除済情報も出力対象とする"))
{
    conditions()->addWidget(new QLabel(QStringLiteral("※未指定は全件対象です。"), body()), 1, 1);
    resize(460, 200);
}

int TFrmOutCsvPatRec::loadEntries()
{
    const qint64 id = nedtID->asInt64();
    const bool withDeleted = cbDispDel->isChecked();
    const QString a = alias();
    QString sql = QStringLiteral(R"(SELECT %1.* , Z."KNJKANA", Z."KNJNAME" , IU."USERNM" AS "INSUNM", DU."USERNM" AS "DELUNM" %3
  FROM "KLOV"."%2" %1
  LEFT JOIN "KLOV"."M_KANJA" Z ON %1."ID" = Z."ID" AND Z."ACTKBN" = 1 AND Z."DELKBN" = 0
  LEFT JOIN "KLOV"."M_USER" IU ON %1."INSUSERID" = IU."USERID"
  LEFT JOIN "KLOV"."M_USER" DU ON %1."DELUSERID" = DU."USERID"
 WHERE %1."ID" > 0)")
                      .arg(a, table(), extraColumns());
    if (!withDeleted)
        sql += QStringLiteral(R"( AND %1."DELKBN" = 0)").arg(a);
    if (id > 0)
        sql += QStringLiteral(R"( AND %1."ID" = :ID)").arg(a);
    sql += QStringLiteral(R"( ORDER BY %1."ID", %1."RNO")").arg(a);

    TQuery q(&dm().ADOCPOST);
    q.setSql(sql);
    if (id > 0)
        q.setInt64(QStringLiteral("ID"), id);
    q.open();
    QStringList rows;
    auto text = [&q](const char* name, int bytes) {
        return csv::quotedAsStored(sjis::cutToBytes(q.field(QString::fromLatin1(name)).asString(), bytes));
    };
    for (; !q.eof(); q.next()) {
        const bool deleted = q.field(QStringLiteral("DELKBN")).asInteger() != 0;
        QStringList cells{QString::number(q.field(QStringLiteral("ID")).asInt64()), text("KNJKANA", 128),
                          text("KNJNAME", 128), QString::number(q.field(QStringLiteral("RNO")).asInteger())};
        cells << middleCells(q);
        cells << outcsv::markCell(deleted, QStringLiteral("削除済"))
              << outcsv::timeCell(q.field(QStringLiteral("INSDTM")).asDateTime()) << text("INSUSERID", 24)
              << text("INSUNM", 64);
        if (deleted)
            cells << outcsv::timeCell(q.field(QStringLiteral("DELDTM")).asDateTime()) << text("DELUSERID", 24)
                  << text("DELUNM", 64);
        else
            cells << QString() << csv::quoted({}) << csv::quoted({});
        rows << csv::line(cells);
    }
    FRows = rows;
    FLoadedID = id;
    FLoadedDel = withDeleted;
    return int(FRows.size());
}

QStringList TFrmOutCsvPatRec::buildLines() const
{
    QStringList titles{QStringLiteral("患者番号"), QStringLiteral("患者フリガナ"), QStringLiteral("患者氏名"),
                       QStringLiteral("管理連番")};
    titles << middleTitles();
    titles << QStringLiteral("削除") << QStringLiteral("登録日時") << QStringLiteral("登録者ID")
           << QStringLiteral("登録者名") << QStringLiteral("削除日時") << QStringLiteral("削除者ID")
           << QStringLiteral("削除者名");
    QStringList lines{csv::quoted(title()), outcsv::patientCondition(FLoadedID),
                      csv::line({csv::quoted(QStringLiteral("削除済")),
                                 csv::quoted(FLoadedDel ? QStringLiteral("対象") : QStringLiteral("除外"))}),
                      outcsv::headerLine(titles)};
    return lines + FRows;
}
