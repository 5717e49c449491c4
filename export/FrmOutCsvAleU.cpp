#include "export/FrmOutCsvAleU.h"

#include "app/SjisText.h"
#include "db/Query.h"
#include "db/Records.h"

TFrmOutCsvAle::TFrmOutCsvAle(QWidget* parent)
    : TFrmOutCsvPatRec(parent, QStringLiteral("TFrmOutCsvAle"), QStringLiteral("患者アレルギー情報CSV出力"))
{
}

QString TFrmOutCsvAle::extraColumns() const
{
    return QStringLiteral(R"(, %1 AS "HKBNNM", %2 AS "HJIKINM")")
        .arg(rec::sqlHkbnNm(QStringLiteral("AL")), rec::sqlHjikiNm(QStringLiteral("AL")));
}

QStringList TFrmOutCsvAle::middleTitles() const
{
    return {QStringLiteral("アレルギー不適応反応"), QStringLiteral("登録日"),         QStringLiteral("対象食品・薬品"),
            QStringLiteral("反応"),                 QStringLiteral("発生時期"),       QStringLiteral("本人・家族確認"),
            QStringLiteral("医療従事者確認"),       QStringLiteral("コメント")};
}

QStringList TFrmOutCsvAle::middleCells(const TQuery& q) const
{
    auto text = [&q](const char* name, int bytes) {
        const QString v = q.field(QString::fromLatin1(name)).asString();
        return csv::quotedAsStored(bytes > 0 ? sjis::cutToBytes(v, bytes) : v);
    };
    const QString circle = QStringLiteral("〇");
    return {text("HKBNNM", 8),
            outcsv::dateCell(q.field(QStringLiteral("ADDDTE")).asDateTime()),
            text("ALLEHIN", 128),
            text("HANNOU", 128),
            text("HJIKINM", 0),
            outcsv::markCell(q.field(QStringLiteral("KAFAMY")).asInteger() != 0, circle),
            outcsv::markCell(q.field(QStringLiteral("KAHOSP")).asInteger() != 0, circle),
            text("COMM", 200)};
}
