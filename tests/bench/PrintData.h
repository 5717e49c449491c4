#pragma once
// Printed summaries for the print benchmark: one patient, one summary whose
// courses are long ordinary Japanese narratives, and single paragraphs of a
// given length.

#include "Bench.h"

#include "db/Query.h"
#include "db/Transaction.h"

#include <QString>
#include <QStringList>

namespace bench {

// A paragraph of `chars` characters of clinical Japanese with half-width
// figures and units, as a course is written.
inline QString japaneseParagraph(int chars, int seed = 0)
{
    static const QStringList sentences{
        QStringLiteral("第%1病日、血圧128/76mmHg、脈拍72回/分、体温36.8℃。"),
        QStringLiteral("食事摂取は良好で、リハビリテーションを継続した（歩行器にて50m）。"),
        QStringLiteral("CRP 0.%1mg/dLと改善を認め、抗菌薬はセフトリアキソンから内服へ変更した。"),
        QStringLiteral("夜間の不眠を訴えたため、「眠剤」を追加し経過観察とした。"),
        QStringLiteral("家族へ病状を説明し、退院後の生活について相談した。"),
    };
    QString s;
    for (int i = seed; s.size() < chars; ++i)
        s += sentences[i % sentences.size()].contains(QLatin1String("%1"))
            ? sentences[i % sentences.size()].arg(i % 97 + 1)
            : sentences[i % sentences.size()];
    s.truncate(chars);
    return s;
}

// Paragraphs of about 120 characters, `count` of them, one per line.
inline QString japaneseCourse(int count)
{
    QStringList paras;
    for (int i = 0; i < count; ++i)
        paras << japaneseParagraph(100 + (i * 37) % 60, i);
    return paras.join(QLatin1Char('\n'));
}

// Patient 1001 with summary (kno, 1) whose two courses hold the texts.
inline void addPrintedSummary(TBench& b, int kno, const QString& before, const QString& course)
{
    b.sql(QStringLiteral(R"(INSERT INTO "KLOV"."M_KA" ("KACD","KANM") VALUES (10,'内科') ON CONFLICT DO NOTHING;
        INSERT INTO "KLOV"."M_USER" ("USERID","USERNM") VALUES ('s1','外科　一郎') ON CONFLICT DO NOTHING;
        INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","DELKBN","KNJKANA","KNJNAME","SEX","BIRTH","POSTCD","ADR1","ADR2","TEL","KEITAI")
          VALUES (1001,1,1,0,'やまだ　はなこ','山田　花子',1,'1975-04-01','123-4567','東京都千代田区','一丁目1番','','090-1111-2222')
          ON CONFLICT DO NOTHING;)"));
    runTransaction(b.conn(), [&] {
        TQuery q;
        q.setConnection(&b.conn());
        q.setSql(QStringLiteral(R"(INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ACTKBN","DELKBN","KACD","ID","NDTE","TDTE",
            "NSYU","NYUCNT","NYURIYU","SYUDR","TANDR1","TANDR2","WDR","SFLG","KFLG","NYUBEFKEIKA","NYUKEIKA","TAIJOUHO")
          VALUES (:kno,1,1,0,10,1001,'2024-01-05','2024-02-01',1,2,'胸痛','dr1','s1','s1','dr1',0,0,:before,:course,'独歩にて退院。'))"));
        q.setInt(QStringLiteral("kno"), kno);
        q.setText(QStringLiteral("before"), before, 0);
        q.setText(QStringLiteral("course"), course, 0);
        q.execSql();
    });
}

} // namespace bench
