#include "db/Records.h"

#include "db/Query.h"

namespace rec {

bool isAbsentDate(const QDate& d) { return !d.isValid() || d < kFirstRealDate; }

QDate storedDate(const TField& f)
{
    if (f.isNull())
        return {};
    const QDate d = f.asDate();
    return isAbsentDate(d) ? QDate() : d;
}

QString yyyymmdd(const QDate& d)
{
    return (d.isValid() ? d : kZeroDate).toString(QStringLiteral("yyyyMMdd"));
}

QDate fromYyyymmdd(const QString& s)
{
    if (s.size() != 8)
        return {};
    return QDate::fromString(s, QStringLiteral("yyyyMMdd"));
}

QString rangeEnd(const QDate& d)
{
    return isAbsentDate(d) ? QStringLiteral("99999999") : yyyymmdd(d);
}

QString hjikiBuild(bool unknown, int year, int month, int day)
{
    if (unknown)
        return QStringLiteral("00000000");
    if (year <= 0)
        return {};
    if (month <= 0)
        day = 0;
    return QStringLiteral("%1%2%3")
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(day, 2, 10, QLatin1Char('0'));
}

namespace {
struct TParts {
    int y = 0, m = 0, d = 0;
};

bool split(const QString& code, TParts& p)
{
    if (code.size() != 8)
        return false;
    for (QChar c : code)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    p.y = code.left(4).toInt();
    p.m = code.mid(4, 2).toInt();
    p.d = code.right(2).toInt();
    return true;
}
} // namespace

bool hjikiValid(const QString& code)
{
    if (code.isEmpty() || code == QLatin1String("00000000"))
        return true;
    TParts p;
    if (!split(code, p) || p.y == 0)
        return false;
    if (p.m == 0)
        return p.d == 0;
    if (p.m > 12)
        return false;
    if (p.d == 0)
        return true;
    return QDate(p.y, p.m, p.d).isValid();
}

QString hjikiListText(const QString& code)
{
    if (code.isEmpty())
        return {};
    if (code == QLatin1String("00000000"))
        return QStringLiteral("不明");
    if (code.endsWith(QLatin1String("0000")))
        return code.left(4) + QStringLiteral("年頃");
    if (code.endsWith(QLatin1String("00")))
        return code.left(4) + QStringLiteral("年") + code.mid(4, 2) + QStringLiteral("月頃");
    return code.left(4) + QStringLiteral("年") + code.mid(4, 2) + QStringLiteral("月") + code.mid(6, 2)
           + QStringLiteral("日");
}

QString hjikiPrintText(const QString& code)
{
    if (code.isEmpty())
        return {};
    if (code == QLatin1String("00000000"))
        return QStringLiteral("不明");
    TParts p;
    if (!split(code, p))
        return code;
    if (p.m == 0)
        return QString::number(p.y) + QStringLiteral("年頃");
    if (p.d == 0)
        return QString::number(p.y) + QStringLiteral("年") + QString::number(p.m) + QStringLiteral("月頃");
    return QStringLiteral("%1/%2/%3").arg(p.y).arg(p.m).arg(p.d);
}

// --- SQL fragments

namespace {
QString col(const QString& alias, const QString& column)
{
    const QString quoted = QLatin1Char('"') + column + QLatin1Char('"');
    return alias.isEmpty() ? quoted : alias + QLatin1Char('.') + quoted;
}

QString skey(const QString& alias, const QString& a, const char* fa, const QString& b, const char* fb,
             int width)
{
    return QStringLiteral("CAST((TRIM(TO_CHAR(%1,'%2')) || TRIM(TO_CHAR(%3,'%4'))) AS character varying(%5))")
        .arg(col(alias, a), QLatin1String(fa), col(alias, b), QLatin1String(fb))
        .arg(width);
}

// CAST((CASE <column> WHEN k THEN 'word' … ELSE '' END) AS character varying(n))
QString cases(const QString& expr, std::initializer_list<std::pair<int, const char*>> words, int width,
              const char* otherwise = "")
{
    QString s = QStringLiteral("CAST((CASE %1").arg(expr);
    for (const auto& [k, w] : words)
        s += QStringLiteral(" WHEN %1 THEN '%2'").arg(k).arg(QString::fromUtf8(w));
    s += QStringLiteral(" ELSE '%1' END) AS character varying(%2))").arg(QString::fromUtf8(otherwise)).arg(width);
    return s;
}
} // namespace

QString skeySummary(const QString& alias)
{
    return skey(alias, QStringLiteral("KNO"), "0000000", QStringLiteral("VERNO"), "000", 10);
}

QString skeyDisease(const QString& alias)
{
    return skey(alias, QStringLiteral("BNO"), "00000", QStringLiteral("RNO"), "0000", 9);
}

QString skeyOperation(const QString& alias)
{
    return skey(alias, QStringLiteral("ONO"), "00000", QStringLiteral("RNO"), "0000", 9);
}

QString skeyMessage(const QString& alias)
{
    return QStringLiteral("CAST((TRIM(TO_CHAR(%1,'000000')) || TRIM(%2)) AS character varying(30))")
        .arg(col(alias, QStringLiteral("MESSNO")), col(alias, QStringLiteral("RUSERID")));
}

QString sqlJtypNm(const QString& a)
{
    return cases(col(a, QStringLiteral("JTYP")), {{0, "医師"}, {1, "ＤＣ"}, {9, "その他"}}, 3);
}
QString sqlKanoNm(const QString& column, const QString& a) { return cases(col(a, column), {{1, "可能"}}, 2); }
QString sqlMntMk(const QString& a) { return cases(col(a, QStringLiteral("MNTFLG")), {{1, "〇"}}, 1); }
QString sqlDelNm(const QString& a) { return cases(col(a, QStringLiteral("DELKBN")), {{1, "○"}}, 1); }
QString sqlDspMkKa(const QString& a)
{
    return cases(col(a, QStringLiteral("DSPKBN")), {{0, "○"}, {1, "×"}}, 1);
}
QString sqlDspMkDrKa(const QString& a) { return cases(col(a, QStringLiteral("DSPKBN")), {{0, "〇"}}, 1, "×"); }
QString sqlHkbnNm(const QString& a)
{
    return cases(col(a, QStringLiteral("HKBN")), {{0, "なし"}, {1, "あり"}, {2, "不詳"}}, 2);
}

QString sqlHjikiNm(const QString& a)
{
    const QString h = col(a, QStringLiteral("HJIKI"));
    return QStringLiteral(
               "CAST((CASE WHEN COALESCE(%1,'') = '' THEN ''"
               " WHEN %1 = '00000000' THEN '不明'"
               " WHEN RIGHT(%1,4) = '0000' THEN CONCAT(LEFT(%1,4),'年頃')"
               " WHEN RIGHT(%1,2) = '00' THEN CONCAT(LEFT(%1,4),'年',SUBSTR(%1,5,2),'月頃')"
               " ELSE CONCAT(LEFT(%1,4),'年',SUBSTR(%1,5,2),'月',RIGHT(%1,2),'日') END)"
               " AS character varying(12))")
        .arg(h);
}

QString sqlCircleMk(const QString& column, const QString& a) { return cases(col(a, column), {{1, "〇"}}, 1); }
QString sqlTenkiN(const QString& a)
{
    return cases(col(a, QStringLiteral("TENKI")), {{1, "軽快"}, {2, "不変"}, {3, "悪化"}, {4, "死亡"}}, 2);
}
QString sqlDistKbnN(const QString& a) { return cases(col(a, QStringLiteral("DISTKBN")), {{1, "疑い"}}, 2); }

QString sqlDateN(const QString& column, const QString& a)
{
    const QString c = col(a, column);
    return QStringLiteral("CAST((CASE WHEN %1 IS NULL OR TO_CHAR(%1,'YYYYMMDD') < '19000101' THEN ''"
                          " ELSE TO_CHAR(%1,'YYYY/MM/DD') END) AS character varying(10))")
        .arg(c);
}

QString sqlRangeEnd(const QString& column, const QString& a)
{
    const QString c = col(a, column);
    return QStringLiteral("(CASE WHEN %1 IS NULL OR TO_CHAR(%1,'YYYYMMDD') < '19000101' THEN '99999999'"
                          " ELSE TO_CHAR(%1,'YYYYMMDD') END)")
        .arg(c);
}

QString sqlSummaryDateRanges(const QString& a)
{
    return QStringLiteral(R"(%1 >= CAST(:NDTEF AS timestamp) AND %1 < CAST(:NDTET AS timestamp) + INTERVAL '1 day'
  AND ((%2 >= CAST(:TDTEF AS timestamp) AND %2 < CAST(:TDTET AS timestamp) + INTERVAL '1 day')
       OR (%2 >= TIMESTAMP '1899-01-01' AND %2 < TIMESTAMP '1900-01-01' AND CAST(:TDTEF AS date) <= CAST(:TDTET AS date))))")
        .arg(col(a, QStringLiteral("NDTE")), col(a, QStringLiteral("TDTE")));
}

void bindSummaryDateRanges(TQuery& q, const QDate& ndteF, const QDate& ndteT, const QDate& tdteF, const QDate& tdteT)
{
    const QString f = QStringLiteral("yyyy-MM-dd");
    q.setText(QStringLiteral("NDTEF"), ndteF.toString(f), 10);
    q.setText(QStringLiteral("NDTET"), ndteT.toString(f), 10);
    q.setText(QStringLiteral("TDTEF"), tdteF.toString(f), 10);
    q.setText(QStringLiteral("TDTET"), tdteT.toString(f), 10);
}

QString sqlNsyuNm(const QString& a)
{
    return cases(col(a, QStringLiteral("NSYU")), {{0, "定例"}, {1, "予定外"}}, 3);
}
QString sqlSumiMk(const QString& column, const QString& a) { return cases(col(a, column), {{1, "済"}}, 1); }
QString sqlReadMk(const QString& a)
{
    return cases(col(a, QStringLiteral("KFLG")), {{0, "未読"}, {1, "既読"}}, 2);
}
QString sqlLblMk(const QString& a) { return cases(col(a, QStringLiteral("LBLKBN")), {{1, "至急"}}, 2); }
QString sqlSexNm(const QString& a)
{
    return cases(col(a, QStringLiteral("SEX")), {{0, "男性"}, {1, "女性"}}, 2);
}

QString sqlSummaryMarks(const QString& a)
{
    return QStringLiteral(R"(%1 AS "SKEY", %2 AS "NSYUNM", %3 AS "WMK", %4 AS "SMK", %5 AS "KMK", %6 AS "TDTEN")")
        .arg(skeySummary(a), sqlNsyuNm(a), sqlSumiMk(QStringLiteral("WFLG"), a), sqlSumiMk(QStringLiteral("SFLG"), a),
             sqlSumiMk(QStringLiteral("KFLG"), a), sqlDateN(QStringLiteral("TDTE"), a));
}

QString jtypName(int jtyp)
{
    switch (jtyp) {
    case 0: return QStringLiteral("医師");
    case 1: return QStringLiteral("ＤＣ");
    case 9: return QStringLiteral("その他");
    default: return {};
    }
}

QString sexName(int sex)
{
    switch (sex) {
    case 0: return QStringLiteral("男性");
    case 1: return QStringLiteral("女性");
    default: return {};
    }
}

QString tenkiName(int tenki)
{
    switch (tenki) {
    case 1: return QStringLiteral("軽快");
    case 2: return QStringLiteral("不変");
    case 3: return QStringLiteral("悪化");
    case 4: return QStringLiteral("死亡");
    default: return {};
    }
}

QString hkbnName(int hkbn)
{
    switch (hkbn) {
    case 0: return QStringLiteral("なし");
    case 1: return QStringLiteral("あり");
    case 2: return QStringLiteral("不詳");
    default: return {};
    }
}

} // namespace rec
