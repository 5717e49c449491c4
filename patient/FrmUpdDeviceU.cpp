#include "patient/FrmUpdDeviceU.h"

#include "app/CommonU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/TextUtil.h"
#include "app/UntDM.h"
#include "controls/FieldText.h"
#include "controls/Widgets.h"
#include "db/HistoryRows.h"
#include "db/Numbers.h"
#include "db/Query.h"
#include "db/Records.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {
// The live entry being edited (none for a new entry).
void openEntry(TQuery& q, qint64 id, int rno)
{
    q.setSql(R"(SELECT * FROM "KLOV"."M_DEVICE" WHERE "ID" = :ID AND "RNO" = :RNO AND "DELKBN" = 0)");
    q.setInt64(QStringLiteral("ID"), id).setInt(QStringLiteral("RNO"), rno);
    q.open();
}
} // namespace

TFrmUpdDevice::TFrmUpdDevice(QWidget* parent) : TFrmPatientRecordEdit(parent)
{
    setObjectName(QStringLiteral("TFrmUpdDevice"));
    setWindowTitle(QStringLiteral("患者デバイス情報登録"));
    QWidget* a = recordArea();
    QGridLayout* g = recordGrid();
    dtpADDDTE = widgets::datePicker(a, QStringLiteral("dtpADDDTE"), widgets::TDateStyle::Slash);
    edtDEVICE = new QLineEdit(a);
    edtDEVICE->setObjectName(QStringLiteral("edtDEVICE"));
    fieldText::setTypingLimit(edtDEVICE, 50);
    edtCOMM = new QLineEdit(a);
    edtCOMM->setObjectName(QStringLiteral("edtCOMM"));
    fieldText::setTypingLimit(edtCOMM, 50);
    g->addWidget(widgets::caption(a, QStringLiteral("装着日")), 0, 0);
    g->addWidget(dtpADDDTE, 0, 1, Qt::AlignLeft);
    g->addWidget(widgets::caption(a, QStringLiteral("デバイス")), 1, 0);
    g->addWidget(edtDEVICE, 1, 1);
    g->addWidget(widgets::caption(a, QStringLiteral("コメント")), 2, 0);
    g->addWidget(edtCOMM, 2, 1);
    g->setColumnStretch(1, 1);
    g->setRowStretch(3, 1);
    resize(760, 300);
}

bool TFrmUpdDevice::loadRecord()
{
    TQuery q(&dm().ADOCPOST);
    openEntry(q, FID, FRNO);
    if (q.eof()) {
        dtpADDDTE->setDate(CommonU::GetServerTime().date());
        edtDEVICE->clear();
        edtCOMM->clear();
    } else {
        dtpADDDTE->setDate(q.field(QStringLiteral("ADDDTE")).asDate());
        fieldText::showStored(edtDEVICE, q.field(QStringLiteral("DEVICE")).asString());
        fieldText::showStored(edtCOMM, q.field(QStringLiteral("COMM")).asString());
    }
    dtpADDDTE->setFocus();
    return !q.eof();
}

bool TFrmUpdDevice::isChanged()
{
    TQuery q(&dm().ADOCPOST);
    openEntry(q, FID, FRNO);
    return q.eof() || dtpADDDTE->date() != q.field(QStringLiteral("ADDDTE")).asDate()
        || edtDEVICE->text() != q.field(QStringLiteral("DEVICE")).asString()
        || edtCOMM->text() != q.field(QStringLiteral("COMM")).asString();
}

bool TFrmUpdDevice::validate()
{
    if (!textutil::trimLeft(edtDEVICE->text()).isEmpty())
        return true;
    msg::warning(this, QStringLiteral("デバイス未入力です。"));
    edtDEVICE->setFocus();
    return false;
}

void TFrmUpdDevice::saveRows(TConnection& conn)
{
    const QString user = G().user.userId;
    FNewRNO = numbers::nextDeviceRno(conn, FID);
    if (FRNO > 0)
        retireRow(conn, THistoryTable::Device, FID, 0, FRNO, user);
    TQuery q(&conn);
    q.setSql(R"(INSERT INTO "KLOV"."M_DEVICE" ("ID", "RNO", "ADDDTE", "DEVICE", "COMM", "DELKBN", "INSDTM", "INSUSERID")
                VALUES (:ID, :RNO, TO_TIMESTAMP(:ADDDTE,'YYYYMMDD'), :DEVICE, :COMM, 0, DATE_TRUNC('second',NOW()),
                :UPDUSERID))");
    q.setInt64(QStringLiteral("ID"), FID).setInt(QStringLiteral("RNO"), FNewRNO);
    q.setText(QStringLiteral("ADDDTE"), rec::yyyymmdd(dtpADDDTE->date()), 8);
    q.setText(QStringLiteral("DEVICE"), textutil::trimLeft(edtDEVICE->text()), 100);
    q.setText(QStringLiteral("COMM"), textutil::trimLeft(edtCOMM->text()), 100);
    q.setText(QStringLiteral("UPDUSERID"), user, 24);
    q.execSql();
}
