#include "summary/FrmUpdTaiByoU.h"

#include "app/MsgBox.h"
#include "app/TextUtil.h"
#include "controls/DBGrid.h"
#include "controls/NumberEdit.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "db/Records.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

TFrmUpdTaiByo::TFrmUpdTaiByo(QWidget* parent)
    : TFrmTaiPickBase(parent, QStringLiteral("退院サマリ退院時診断登録"), QStringLiteral("有効期間外の病名もすべて表示する"))
{
    setObjectName(QStringLiteral("TFrmUpdTaiByo"));
    nedtSNO = new TNumberEdit(body());
    nedtSNO->setObjectName(QStringLiteral("nedtSNO"));
    nedtSNO->setFigure(0);
    nedtSNO->setMaxIntLength(4);
    nedtSNO->setZeroVisible(false);
    nedtSNO->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    nedtSNO->setFixedWidth(48);
    const auto subNumber = [this](const char* name) {
        auto* e = new QLineEdit(body());
        e->setObjectName(QString::fromLatin1(name));
        e->setMaxLength(4);
        e->setFixedWidth(48);
        e->setAttribute(Qt::WA_InputMethodEnabled, false);
        return e;
    };
    edtSNO1 = subNumber("edtSNO1");
    edtSNO2 = subNumber("edtSNO2");
    int at = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{new QLabel(QStringLiteral(" ＃"), body()), nedtSNO, edtSNO1, edtSNO2})
        bottomBar()->insertWidget(at++, w);
}

QList<TGridColumn> TFrmUpdTaiByo::gridColumns() const
{
    using C = TGridColumn;
    return {C::fixed(QStringLiteral("#"), QStringLiteral("SNO"), 32, Qt::AlignRight),
            C::fixed(QStringLiteral("#1"), QStringLiteral("SNO1"), 32),
            C::fixed(QStringLiteral("#2"), QStringLiteral("SNO2"), 32),
            C::fixed(QStringLiteral("登録日"), QStringLiteral("ADDDTE"), 120),
            C::fixed(QStringLiteral("ICD10"), QStringLiteral("ICD102013"), 60),
            C::fixed(QStringLiteral("病名"), QStringLiteral("BYONM"), 200),
            C::fixed(QStringLiteral("疑い"), QStringLiteral("DISTKBNN"), 60),
            C::fixed(QStringLiteral("発生時期"), QStringLiteral("HJIKINM"), 120),
            C::fixed(QStringLiteral("終了日"), QStringLiteral("ENDDTEN"), 120),
            C::fixed(QStringLiteral("転帰"), QStringLiteral("TENKIN"), 86),
            C::rest(QStringLiteral("備考"), QStringLiteral("BIKO"), 60)};
}

QString TFrmUpdTaiByo::listSql(bool all) const
{
    const QString b = QStringLiteral("B");
    QString sql = QStringLiteral(R"(SELECT B.*, T."SNO", T."SNO1", T."SNO2", M."ICD102013",
          %1 AS "TENKIN", %2 AS "HJIKINM", %3 AS "DISTKBNN", %4 AS "ENDDTEN"
        FROM "KLOV"."D_KANBYO" B
        LEFT JOIN "KLOV"."M_NMAIN" M ON B."BKNO" = M."BKNO"
        LEFT JOIN "KLOV"."D_TAIBYO" T ON T."KNO" = :KNO AND T."VERNO" = :VERNO AND B."BNO" = T."BNO"
        WHERE B."ID" = :ID AND B."DELKBN" = 0)")
                      .arg(rec::sqlTenkiN(b), rec::sqlHjikiNm(b), rec::sqlDistKbnN(b),
                           rec::sqlDateN(QStringLiteral("ENDDTE"), b));
    if (all)
        return sql;
    // The onset compares as text: a partial onset ("2019" + zeros) and an
    // empty one come before every date; an absent end is open.
    const QString end = rec::sqlRangeEnd(QStringLiteral("ENDDTE"), b);
    if (rec::isAbsentDate(FTDTE))
        return sql + QStringLiteral(" AND :NDTE <= %1").arg(end);
    return sql + QStringLiteral(R"( AND ((:NDTE BETWEEN COALESCE(B."HJIKI",'') AND %1)
        OR (:TDTE BETWEEN COALESCE(B."HJIKI",'') AND %1)))").arg(end);
}

void TFrmUpdTaiByo::bindList(TQuery& q) const
{
    q.setInt64(QStringLiteral("ID"), FID).setInt(QStringLiteral("KNO"), FKNO).setInt(QStringLiteral("VERNO"), FVERNO);
    if (q.paramNames().contains(QStringLiteral("NDTE")))
        q.setText(QStringLiteral("NDTE"), rec::yyyymmdd(FNDTE), 8);
    if (q.paramNames().contains(QStringLiteral("TDTE")))
        q.setText(QStringLiteral("TDTE"), rec::yyyymmdd(FTDTE), 8);
}

bool TFrmUpdTaiByo::attached(int recNo) const
{
    const TField sno = ADOQMei->fieldAt(recNo, QStringLiteral("SNO"));
    return !sno.isNull() && sno.asInteger() > 0;
}

void TFrmUpdTaiByo::prepare()
{
    try {
        ADOQ->setSql(R"(SELECT * FROM "KLOV"."D_TAIBYO" WHERE "KNO" = :KNO AND "VERNO" = :VERNO
            ORDER BY "SNO" DESC LIMIT 1)");
        ADOQ->setInt("KNO", FKNO).setInt("VERNO", FVERNO);
        ADOQ->open();
        nedtSNO->setAsInteger(ADOQ->eof() ? 1 : ADOQ->field("SNO").asInteger() + 1);
        ADOQ->close();
    } catch (const std::exception& e) {
        ADOQ->close();
        msg::warning(this, errorWarningText(e));
    }
}

void TFrmUpdTaiByo::focusFirst() { nedtSNO->setFocus(); }

QString TFrmUpdTaiByo::emptyMessage() const
{
    return QStringLiteral("この患者で登録されている病名がありません。まずは患者病名登録を行ってください。");
}

QString TFrmUpdTaiByo::attachedMessage() const { return QStringLiteral("この病名は既に登録されています。"); }

bool TFrmUpdTaiByo::checkInput()
{
    // Numbers start at 1; a row under "#0" would read as not attached.
    if (nedtSNO->asInteger() >= 1)
        return true;
    msg::warning(this, QStringLiteral("#が入力されていません。"));
    nedtSNO->setFocus();
    return false;
}

QString TFrmUpdTaiByo::attachCurrent(TConnection& conn)
{
    const int sno = nedtSNO->asInteger();
    const QString sno1 = textutil::trimBoth(edtSNO1->text());
    const QString sno2 = textutil::trimBoth(edtSNO2->text());
    const int bno = ADOQMei->field(QStringLiteral("BNO")).asInteger();
    TQuery q(&conn);
    const auto exists = [&q](const QString& sql, const std::function<void(TQuery&)>& bind) {
        q.setSql(sql);
        bind(q);
        q.open();
        const bool found = !q.eof();
        q.close();
        return found;
    };
    // Absent sub-numbers count as empty ones, as the version's key has it.
    if (exists(QStringLiteral(R"(SELECT * FROM "KLOV"."D_TAIBYO" WHERE "KNO" = :KNO AND "VERNO" = :VERNO
                   AND "SNO" = :SNO AND COALESCE("SNO1",'') = :SNO1 AND COALESCE("SNO2",'') = :SNO2)"),
               [&](TQuery& s) {
                   s.setInt("KNO", FKNO).setInt("VERNO", FVERNO).setInt("SNO", sno);
                   s.setText("SNO1", sno1, 4).setText("SNO2", sno2, 4);
               }))
        return QStringLiteral("既に同一の#が存在します。#を変更してください。");
    if (sno >= 2
        && !exists(QStringLiteral(R"(SELECT * FROM "KLOV"."D_TAIBYO" WHERE "KNO" = :KNO AND "VERNO" = :VERNO
                       AND "SNO" = :SNO)"),
                   [&](TQuery& s) { s.setInt("KNO", FKNO).setInt("VERNO", FVERNO).setInt("SNO", sno - 1); }))
        return QStringLiteral("#が値が飛び番号になっています。#の値を正しく設定してください。");

    // The disease must still be live and not yet on the version, as listed.
    q.setSql(R"(INSERT INTO "KLOV"."D_TAIBYO" ("KNO", "VERNO", "BNO", "SNO", "SNO1", "SNO2")
        SELECT :KNO, :VERNO, :BNO, :SNO, :SNO1, :SNO2
        WHERE EXISTS (SELECT 1 FROM "KLOV"."D_KANBYO" WHERE "ID" = :ID AND "BNO" = :BNO AND "DELKBN" = 0)
          AND NOT EXISTS (SELECT 1 FROM "KLOV"."D_TAIBYO" WHERE "KNO" = :KNO AND "VERNO" = :VERNO AND "BNO" = :BNO))");
    q.setInt("KNO", FKNO).setInt("VERNO", FVERNO).setInt("BNO", bno).setInt("SNO", sno);
    q.setText("SNO1", sno1, 4).setText("SNO2", sno2, 4).setInt64("ID", FID);
    q.execSqlExpect(1);
    return {};
}
