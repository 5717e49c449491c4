#include "patient/FrmMntAllergyU.h"

#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "controls/DBGrid.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/HistoryRows.h"
#include "db/Query.h"
#include "db/Records.h"
#include "patient/FrmUpdAllergyU.h"
#include "patient/PatientHeader.h"
#include "patient/PrtEntriesU.h"

#include <QColor>
#include <QHBoxLayout>
#include <QLabel>

namespace {
// The date of the patient's live "none" entry; invalid when there is none.
QDate noAllergyDate(qint64 id)
{
    TQuery q(&dm().ADOCPOST);
    q.setSql(R"(SELECT "ADDDTE" FROM "KLOV"."M_ALLERGY" WHERE "ID" = :ID AND "DELKBN" = 0 AND "HKBN" = 0
                ORDER BY "RNO" DESC LIMIT 1)");
    q.setInt64(QStringLiteral("ID"), id);
    q.open();
    if (q.eof() || q.field(QStringLiteral("ADDDTE")).isNull())
        return {};
    return q.field(QStringLiteral("ADDDTE")).asDate();
}
} // namespace

TFrmMntAllergy::TFrmMntAllergy(QWidget* parent) : TFrmPatientRecordList(parent)
{
    setObjectName(QStringLiteral("TFrmMntAllergy"));
    setWindowTitle(QStringLiteral("アレルギー"));
    lblAlle = widgets::label(nullptr, QStringLiteral("アレルギー無"), QStringLiteral("lblAlle"));
    theme::setBackground(lblAlle, QColor(144, 238, 144));   // light green
    lblAlle->setMargin(4);
    lblInsDte = widgets::label(nullptr, QString(), QStringLiteral("lblInsDte"));
    header->addExtra(lblAlle);
    header->addExtra(lblInsDte);
    header->extraLayout()->addStretch();
    lblAlle->hide();
    lblInsDte->hide();
}

QString TFrmMntAllergy::listSql(bool history) const
{
    QString sql = QStringLiteral(R"(SELECT AL.*, IU."USERNM" AS "INSUNM", DU."USERNM" AS "DELUNM", %1 AS "HKBNNM",
        %2 AS "HJIKINM", %3 AS "KAFAMYMK", %4 AS "KAHOSPMK"
        FROM "KLOV"."M_ALLERGY" AL
        LEFT JOIN "KLOV"."M_USER" IU ON AL."INSUSERID" = IU."USERID"
        LEFT JOIN "KLOV"."M_USER" DU ON AL."DELUSERID" = DU."USERID"
        WHERE AL."ID" = :ID)")
                      .arg(rec::sqlHkbnNm(QStringLiteral("AL")), rec::sqlHjikiNm(QStringLiteral("AL")),
                           rec::sqlCircleMk(QStringLiteral("KAFAMY"), QStringLiteral("AL")),
                           rec::sqlCircleMk(QStringLiteral("KAHOSP"), QStringLiteral("AL")));
    if (!history)
        sql += QStringLiteral(R"( AND AL."DELKBN" = 0)");
    return sql;
}

QList<TGridColumn> TFrmMntAllergy::gridColumns() const
{
    using C = TGridColumn;
    return {C::fixed(QStringLiteral("№"), QStringLiteral("RNO"), 32, Qt::AlignRight),
            C::fixed(QStringLiteral("反応区分"), QStringLiteral("HKBNNM"), 70),
            C::fixed(QStringLiteral("登録日"), QStringLiteral("ADDDTE"), 100),
            C::fixed(QStringLiteral("対象品"), QStringLiteral("ALLEHIN"), 200),
            C::fixed(QStringLiteral("反応"), QStringLiteral("HANNOU"), 200),
            C::fixed(QStringLiteral("発生時期"), QStringLiteral("HJIKINM"), 140),
            C::fixed(QStringLiteral("本人家族申告"), QStringLiteral("KAFAMYMK"), 86, Qt::AlignCenter),
            C::fixed(QStringLiteral("医療者確認"), QStringLiteral("KAHOSPMK"), 86, Qt::AlignCenter),
            C::rest(QStringLiteral("コメント"), QStringLiteral("COMM"), 60),
            C::fixed(QStringLiteral("更新日時"), QStringLiteral("INSDTM"), 144),
            C::fixed(QStringLiteral("更新者"), QStringLiteral("INSUNM"), 120),
            C::fixed(QStringLiteral("削除日時"), QStringLiteral("DELDTM"), 144),
            C::fixed(QStringLiteral("削除者"), QStringLiteral("DELUNM"), 120)};
}

std::optional<QVariant> TFrmMntAllergy::runEditor(qint64 id, bool newRecord)
{
    TFrmUpdAllergy dlg(this);
    dlg.FID = id;
    if (!newRecord)
        dlg.FRNO = query()->field(QStringLiteral("RNO")).asInteger();
    const int result = runModal(dlg);
    return precord::editorOutcome(result, dlg.FRNO);
}

QString TFrmMntAllergy::deleteQuestion() const
{
    const QString what = query()->field(QStringLiteral("HKBN")).asInteger() == 0
        ? QStringLiteral("アレルギーなし")
        : query()->field(QStringLiteral("ALLEHIN")).asString();
    return QStringLiteral("削除前に印刷した退院サマリがあった場合、今後の印刷と差異が出てしまいます。\r\n「") + what
        + QStringLiteral("」を削除してよろしいですか？");
}

void TFrmMntAllergy::deleteCurrent(TConnection& conn)
{
    retireRow(conn, THistoryTable::Allergy, query()->field(QStringLiteral("ID")).asInt64(), 0,
              query()->field(QStringLiteral("RNO")).asInteger(), G().user.userId);
}

bool TFrmMntAllergy::drawPrint(qint64 id) { return PrtAllergy(this, *plPrev1, *plSetPrinter1, id); }

void TFrmMntAllergy::loadHeader(qint64 id)
{
    TFrmPatientRecordList::loadHeader(id);
    QDate none;
    if (header->found()) {
        try {
            none = noAllergyDate(id);
        } catch (const std::exception& e) {
            msg::warning(this, errorWarningText(e));
        }
    }
    lblAlle->setVisible(none.isValid());
    lblInsDte->setVisible(none.isValid());
    lblInsDte->setText(none.isValid() ? QStringLiteral("登録日：") + none.toString(QStringLiteral("yyyy/MM/dd"))
                                      : QString());
}

void OpenAllergyList(QWidget* parent, qint64 id)
{
    TFrmMntAllergy dlg(parent);
    dlg.FID = id;
    dlg.exec();
}
