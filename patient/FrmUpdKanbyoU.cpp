#include "patient/FrmUpdKanbyoU.h"

#include "app/CommonU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/TextUtil.h"
#include "app/UntDM.h"
#include "controls/CheckDateEdit.h"
#include "controls/FieldText.h"
#include "controls/NumberEdit.h"
#include "db/HistoryRows.h"
#include "db/Numbers.h"
#include "db/Query.h"
#include "db/Records.h"
#include "patient/FrmSrcByoU.h"
#include "patient/OnsetEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

namespace {
QDate today() { return CommonU::GetServerTime().date(); }
} // namespace

TFrmUpdKanbyo::TFrmUpdKanbyo(QWidget* parent) : TFrmPatientRecordEdit(parent)
{
    setObjectName(QStringLiteral("TFrmUpdKanbyo"));
    setWindowTitle(QStringLiteral("患者病名登録"));
    QWidget* a = recordArea();
    QGridLayout* g = recordGrid();

    dtpADDDTE = widgets::datePicker(a, QStringLiteral("dtpADDDTE"), widgets::TDateStyle::Slash);
    g->addWidget(widgets::caption(a, QStringLiteral("登録日")), 0, 0);
    g->addWidget(dtpADDDTE, 0, 1, Qt::AlignLeft);

    cbFree = new QCheckBox(QStringLiteral("病名フリー入力"), a);
    cbFree->setObjectName(QStringLiteral("cbFree"));
    edtBYONM = new QLineEdit(a);
    edtBYONM->setObjectName(QStringLiteral("edtBYONM"));
    fieldText::setTypingLimit(edtBYONM, 50);
    edtBYONM->setMinimumWidth(420);
    edtBYONM->setReadOnly(true);
    sbSrcByo = new QToolButton(a);
    sbSrcByo->setObjectName(QStringLiteral("sbSrcByo"));
    sbSrcByo->setText(QStringLiteral("病名検索"));
    cbDist = new QCheckBox(QStringLiteral("疑い病名"), a);
    cbDist->setObjectName(QStringLiteral("cbDist"));
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(edtBYONM, 1);
    nameRow->addWidget(sbSrcByo);
    nameRow->addWidget(cbDist);
    g->addWidget(widgets::caption(a, QStringLiteral("病名")), 1, 0);
    g->addLayout(nameRow, 1, 1);
    auto* codeRow = new QHBoxLayout;
    lblICD10 = widgets::valueLabel(a, QStringLiteral("lblICD10"), 80);
    lblICD10->setFixedWidth(80);
    lblBKNO = widgets::valueLabel(a, QStringLiteral("lblBKNO"), 90);
    lblBKNO->setFixedWidth(90);
    codeRow->addWidget(widgets::label(a, QStringLiteral("ICD10")));
    codeRow->addWidget(lblICD10);
    codeRow->addSpacing(12);
    codeRow->addWidget(widgets::label(a, QStringLiteral("病名管理番号")));
    codeRow->addWidget(lblBKNO);
    codeRow->addSpacing(12);
    codeRow->addWidget(cbFree);
    codeRow->addStretch();
    g->addLayout(codeRow, 2, 1);

    onset = new TOnsetEdit(a);
    nedtHY = onset->nedtHY;
    cmbHM = onset->cmbHM;
    lblHM = onset->lblHM;
    cmbHD = onset->cmbHD;
    lblHD = onset->lblHD;
    cbHJIKIH = onset->cbHJIKIH;
    g->addWidget(widgets::caption(a, QStringLiteral("発生時期")), 3, 0);
    g->addWidget(onset, 3, 1);

    endDate = new TCheckDateEdit(a, QStringLiteral("cbENDDTE"), QStringLiteral("dtpENDDTE"), widgets::TDateStyle::Slash);
    cbENDDTE = endDate->checkBox();
    dtpENDDTE = endDate->dateEdit();
    g->addWidget(widgets::caption(a, QStringLiteral("終了日")), 4, 0);
    g->addWidget(endDate, 4, 1);

    cmbTENKI = new QComboBox(a);
    cmbTENKI->setObjectName(QStringLiteral("cmbTENKI"));
    cmbTENKI->addItems({QString(), QStringLiteral("軽快"), QStringLiteral("不変"), QStringLiteral("悪化"),
                        QStringLiteral("死亡")});
    cmbTENKI->setFixedWidth(90);
    g->addWidget(widgets::caption(a, QStringLiteral("転帰")), 5, 0);
    g->addWidget(cmbTENKI, 5, 1, Qt::AlignLeft);

    edtBIKO = new QLineEdit(a);
    edtBIKO->setObjectName(QStringLiteral("edtBIKO"));
    fieldText::setTypingLimit(edtBIKO, 50);
    g->addWidget(widgets::caption(a, QStringLiteral("備考")), 6, 0);
    g->addWidget(edtBIKO, 6, 1);
    g->setColumnStretch(1, 1);
    g->setRowStretch(7, 1);

    connect(cbFree, &QCheckBox::toggled, this, [this](bool on) { edtBYONM->setReadOnly(!on); });
    connect(sbSrcByo, &QToolButton::clicked, this, &TFrmUpdKanbyo::sbSrcByoClick);
    resize(860, 420);
}

QString TFrmUpdKanbyo::onsetCode() const { return onset->code(); }

bool TFrmUpdKanbyo::loadRecord()
{
    TQuery q(&dm().ADOCPOST);
    q.setSql(R"(SELECT D.*, B."ICD102013" FROM "KLOV"."D_KANBYO" D
                LEFT JOIN "KLOV"."M_NMAIN" B ON D."BKNO" = B."BKNO"
                WHERE D."ID" = :ID AND D."BNO" = :BNO AND D."DELKBN" = 0)");
    q.setInt64(QStringLiteral("ID"), FID).setInt(QStringLiteral("BNO"), FBNO);
    q.open();

    const QDate now = today();
    if (q.eof()) {
        dtpADDDTE->setDate(now);
        cbFree->setChecked(false);
        cbDist->setChecked(false);
        edtBYONM->clear();
        lblICD10->clear();
        lblBKNO->clear();
        onset->clear();
        endDate->setChecked(false);
        endDate->setDate(now);
        cmbTENKI->setCurrentIndex(0);
        edtBIKO->clear();
    } else {
        dtpADDDTE->setDate(q.field(QStringLiteral("ADDDTE")).asDate());
        const QString bkno = q.field(QStringLiteral("BKNO")).asString();
        if (!bkno.trimmed().isEmpty()) {
            cbFree->setChecked(false);
            lblICD10->setText(q.field(QStringLiteral("ICD102013")).asString());
            lblBKNO->setText(bkno);
        } else {
            cbFree->setChecked(true);
            lblICD10->clear();
            lblBKNO->clear();
        }
        fieldText::showStored(edtBYONM, q.field(QStringLiteral("BYONM")).asString());
        cbDist->setChecked(q.field(QStringLiteral("DISTKBN")).asInteger() == 1);
        onset->load(q.field(QStringLiteral("HJIKI")).asString());
        const QDate end = q.field(QStringLiteral("ENDDTE")).isNull() ? QDate() : q.field(QStringLiteral("ENDDTE")).asDate();
        endDate->setChecked(!rec::isAbsentDate(end));
        endDate->setDate(rec::isAbsentDate(end) ? now : end);
        const int tenki = q.field(QStringLiteral("TENKI")).asInteger();
        cmbTENKI->setCurrentIndex(tenki >= 0 && tenki <= 4 ? tenki : 0);
        fieldText::showStored(edtBIKO, q.field(QStringLiteral("BIKO")).asString());
    }
    dtpADDDTE->setFocus();
    return !q.eof();
}

void TFrmUpdKanbyo::sbSrcByoClick()
{
    TFrmSrcByo dlg(this);
    dlg.FstrICD10 = lblICD10->text();
    if (dlg.exec() != QDialog::Accepted)
        return;
    cbFree->setChecked(false);
    fieldText::showStored(edtBYONM, dlg.FstrByo);
    lblICD10->setText(dlg.FstrICD10);
    lblBKNO->setText(dlg.FstrBKNO);
}

bool TFrmUpdKanbyo::isChanged()
{
    TQuery q(&dm().ADOCPOST);
    q.setSql(R"(SELECT * FROM "KLOV"."D_KANBYO" WHERE "ID" = :ID AND "BNO" = :BNO AND "RNO" = :RNO
                         AND "DELKBN" = 0)");
    q.setInt64(QStringLiteral("ID"), FID).setInt(QStringLiteral("BNO"), FBNO).setInt(QStringLiteral("RNO"), FRNO);
    q.open();
    if (q.eof())
        return true;
    const auto s = [&q](const char* f) { return q.field(QLatin1String(f)).asString(); };
    const auto i = [&q](const char* f) { return q.field(QLatin1String(f)).asInteger(); };
    const auto d = [&q](const char* f) {
        const TField fld = q.field(QLatin1String(f));
        return fld.isNull() ? QDate() : fld.asDate();
    };
    if (textutil::trimLeft(edtBYONM->text()) != s("BYONM"))
        return true;
    if (cbFree->isChecked() ? !lblBKNO->text().isEmpty() : (lblBKNO->text().isEmpty() || lblBKNO->text() != s("BKNO")))
        return true;
    if (int(cbDist->isChecked()) != i("DISTKBN"))
        return true;
    if (dtpADDDTE->date() != d("ADDDTE"))
        return true;
    if (onsetCode() != s("HJIKI"))
        return true;
    const QDate end = d("ENDDTE");
    if (endDate->checked() ? endDate->date() != end : !rec::isAbsentDate(end))
        return true;
    if (std::max(cmbTENKI->currentIndex(), 0) != i("TENKI"))
        return true;
    return edtBIKO->text() != s("BIKO");
}

bool TFrmUpdKanbyo::confirmChange()
{
    TQuery q(&dm().ADOCPOST);
    q.setSql(R"(SELECT * FROM "KLOV"."D_TAIBYO" WHERE "KNO" IN
                (SELECT "KNO" FROM "KLOV"."D_TAIYOU" WHERE "ID" = :ID AND "DELKBN" = 0 AND "ACTKBN" = 1 AND "KFLG" = 1)
                AND "BNO" = :BNO)");
    q.setInt64(QStringLiteral("ID"), FID).setInt(QStringLiteral("BNO"), FBNO);
    q.open();
    if (q.eof())
        return true;
    return msg::question(this, QStringLiteral("本病名を使用して作成した完成済の退院サマリがあります。\r\n"
                                              "修正により過去に印刷したサマリと内容に差異が出る可能性がありますがよろしいですか？"));
}

bool TFrmUpdKanbyo::validate()
{
    const auto fail = [this](const QString& text, QWidget* focus) {
        msg::warning(this, text);
        focus->setFocus();
        return false;
    };
    if (textutil::trimLeft(edtBYONM->text()).isEmpty())
        return fail(QStringLiteral("病名未入力です。"), edtBYONM);
    if (const auto problem = onset->problem())
        return fail(problem->text, problem->focus);
    if (endDate->checked() && onset->isAfter(endDate->date()))
        return fail(QStringLiteral("発生時期が終了日より大きくなっています。"), dtpADDDTE);
    return true;
}

void TFrmUpdKanbyo::saveRows(TConnection& conn)
{
    const QString user = G().user.userId;
    if (FBNO > 0) {
        retireRow(conn, THistoryTable::Kanbyo, FID, FBNO, FRNO, user);
        FNewBNO = FBNO;
        FNewRNO = numbers::nextKanbyoRno(conn, FID, FBNO);
    } else {
        // Numbers count over every row of the patient, history included,
        // so a number is never given twice.
        FNewBNO = numbers::nextKanbyoBno(conn, FID);
        FNewRNO = 1;
    }

    TQuery ins(&conn);
    ins.setSql(R"(INSERT INTO "KLOV"."D_KANBYO" ("ID", "BNO", "RNO", "ADDDTE", "BKNO", "DISTKBN", "BYONM", "HJIKI",
                  "ENDDTE", "TENKI", "BIKO", "DELKBN", "INSDTM", "INSUSERID")
                  VALUES (:ID, :BNO, :RNO, TO_TIMESTAMP(:ADDDTE,'YYYYMMDD'), :BKNO, :DISTKBN, :BYONM, :HJIKI,
                  TO_TIMESTAMP(:ENDDTE,'YYYYMMDD'), :TENKI, :BIKO, 0, DATE_TRUNC('second',NOW()), :UPDUSERID))");
    ins.setInt64(QStringLiteral("ID"), FID).setInt(QStringLiteral("BNO"), FNewBNO).setInt(QStringLiteral("RNO"), FNewRNO);
    ins.setText(QStringLiteral("ADDDTE"), rec::yyyymmdd(dtpADDDTE->date()), 8);
    ins.setText(QStringLiteral("BKNO"), lblBKNO->text(), 8);
    ins.setInt(QStringLiteral("DISTKBN"), cbDist->isChecked() ? 1 : 0);
    ins.setText(QStringLiteral("BYONM"), textutil::trimLeft(edtBYONM->text()), 200);
    ins.setText(QStringLiteral("HJIKI"), onsetCode(), 8);
    ins.setText(QStringLiteral("ENDDTE"), endDate->checked() ? rec::yyyymmdd(endDate->date()) : rec::yyyymmdd(rec::kZeroDate), 8);
    ins.setInt(QStringLiteral("TENKI"), std::max(cmbTENKI->currentIndex(), 0));
    ins.setText(QStringLiteral("BIKO"), textutil::trimLeft(edtBIKO->text()), 100);
    ins.setText(QStringLiteral("UPDUSERID"), user, 24);
    ins.execSql();
}

void TFrmUpdKanbyo::commitNumbers()
{
    FBNO = FNewBNO;
    FRNO = FNewRNO;
}
