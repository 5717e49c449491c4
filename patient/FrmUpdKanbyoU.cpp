#include "patient/FrmUpdKanbyoU.h"

#include "app/CommonU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/TextUtil.h"
#include "app/UntDM.h"
#include "controls/FieldText.h"
#include "controls/NumberEdit.h"
#include "db/HistoryRows.h"
#include "db/Numbers.h"
#include "db/Query.h"
#include "db/Records.h"
#include "patient/FrmSrcByoU.h"

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
QLabel* codeLabel(QWidget* parent, const QString& name, int width)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setFixedWidth(width);
    return l;
}

QDate today() { return CommonU::GetServerTime().date(); }
} // namespace

TFrmUpdKanbyo::TFrmUpdKanbyo(QWidget* parent) : TFrmPatientRecordEdit(parent)
{
    setObjectName(QStringLiteral("TFrmUpdKanbyo"));
    setWindowTitle(QStringLiteral("患者病名登録"));
    QWidget* a = recordArea();
    auto* g = new QGridLayout(a);
    g->setContentsMargins(0, 10, 0, 6);
    g->setVerticalSpacing(8);

    dtpADDDTE = precord::dateEdit(a, QStringLiteral("dtpADDDTE"));
    g->addWidget(precord::caption(a, QStringLiteral("登録日")), 0, 0);
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
    g->addWidget(precord::caption(a, QStringLiteral("病名")), 1, 0);
    g->addLayout(nameRow, 1, 1);
    auto* codeRow = new QHBoxLayout;
    lblICD10 = codeLabel(a, QStringLiteral("lblICD10"), 80);
    lblBKNO = codeLabel(a, QStringLiteral("lblBKNO"), 90);
    codeRow->addWidget(new QLabel(QStringLiteral("ICD10"), a));
    codeRow->addWidget(lblICD10);
    codeRow->addSpacing(12);
    codeRow->addWidget(new QLabel(QStringLiteral("病名管理番号"), a));
    codeRow->addWidget(lblBKNO);
    codeRow->addSpacing(12);
    codeRow->addWidget(cbFree);
    codeRow->addStretch();
    g->addLayout(codeRow, 2, 1);

    nedtHY = new TNumberEdit(a);
    nedtHY->setObjectName(QStringLiteral("nedtHY"));
    nedtHY->setFigure(0);
    nedtHY->setFixed(true);
    nedtHY->setMaxIntLength(4);
    nedtHY->setDecimalMin(TDecimal::fromInt64(0));
    nedtHY->setDecimalMax(TDecimal::fromInt64(9999));
    nedtHY->setLimit(true);
    nedtHY->setZeroVisible(false);
    nedtHY->setFixedWidth(56);
    nedtHY->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    nedtHY->setAttribute(Qt::WA_InputMethodEnabled, false);
    cmbHM = new QComboBox(a);
    cmbHM->setObjectName(QStringLiteral("cmbHM"));
    cmbHM->addItem(QStringLiteral("頃"));
    for (int m = 1; m <= 12; ++m)
        cmbHM->addItem(QString::number(m));
    cmbHD = new QComboBox(a);
    cmbHD->setObjectName(QStringLiteral("cmbHD"));
    cmbHD->addItem(QStringLiteral("頃"));
    for (int d = 1; d <= 31; ++d)
        cmbHD->addItem(QString::number(d));
    lblHM = new QLabel(QStringLiteral("月"), a);
    lblHM->setObjectName(QStringLiteral("lblHM"));
    lblHD = new QLabel(QStringLiteral("日"), a);
    lblHD->setObjectName(QStringLiteral("lblHD"));
    cbHJIKIH = new QCheckBox(QStringLiteral("発生時期不詳の場合はチェック"), a);
    cbHJIKIH->setObjectName(QStringLiteral("cbHJIKIH"));
    auto* onsetRow = new QHBoxLayout;
    onsetRow->addWidget(nedtHY);
    onsetRow->addWidget(new QLabel(QStringLiteral("年"), a));
    onsetRow->addWidget(cmbHM);
    onsetRow->addWidget(lblHM);
    onsetRow->addWidget(cmbHD);
    onsetRow->addWidget(lblHD);
    onsetRow->addSpacing(16);
    onsetRow->addWidget(cbHJIKIH);
    onsetRow->addStretch();
    g->addWidget(precord::caption(a, QStringLiteral("発生時期")), 3, 0);
    g->addLayout(onsetRow, 3, 1);

    cbENDDTE = new QCheckBox(a);
    cbENDDTE->setObjectName(QStringLiteral("cbENDDTE"));
    dtpENDDTE = precord::dateEdit(a, QStringLiteral("dtpENDDTE"));
    auto* endRow = new QHBoxLayout;
    endRow->addWidget(cbENDDTE);
    endRow->addWidget(dtpENDDTE);
    endRow->addStretch();
    g->addWidget(precord::caption(a, QStringLiteral("終了日")), 4, 0);
    g->addLayout(endRow, 4, 1);

    cmbTENKI = new QComboBox(a);
    cmbTENKI->setObjectName(QStringLiteral("cmbTENKI"));
    cmbTENKI->addItems({QString(), QStringLiteral("軽快"), QStringLiteral("不変"), QStringLiteral("悪化"),
                        QStringLiteral("死亡")});
    cmbTENKI->setFixedWidth(90);
    g->addWidget(precord::caption(a, QStringLiteral("転帰")), 5, 0);
    g->addWidget(cmbTENKI, 5, 1, Qt::AlignLeft);

    edtBIKO = new QLineEdit(a);
    edtBIKO->setObjectName(QStringLiteral("edtBIKO"));
    fieldText::setTypingLimit(edtBIKO, 50);
    g->addWidget(precord::caption(a, QStringLiteral("備考")), 6, 0);
    g->addWidget(edtBIKO, 6, 1);
    g->setColumnStretch(1, 1);
    g->setRowStretch(7, 1);

    connect(cbFree, &QCheckBox::toggled, this, [this](bool on) { edtBYONM->setReadOnly(!on); });
    connect(sbSrcByo, &QToolButton::clicked, this, &TFrmUpdKanbyo::sbSrcByoClick);
    connect(cmbHM, &QComboBox::currentIndexChanged, this, &TFrmUpdKanbyo::onsetVisibility);
    connect(cmbHD, &QComboBox::currentIndexChanged, this, &TFrmUpdKanbyo::onsetVisibility);
    connect(cbHJIKIH, &QCheckBox::toggled, this, [this](bool unknown) {
        for (QWidget* w : std::initializer_list<QWidget*>{nedtHY, cmbHM, cmbHD})
            w->setEnabled(!unknown);
    });
    connect(cbENDDTE, &QCheckBox::toggled, dtpENDDTE, &QWidget::setEnabled);
    dtpENDDTE->setEnabled(false);
    resize(860, 420);
}

void TFrmUpdKanbyo::onsetVisibility()
{
    const bool monthKnown = cmbHM->currentIndex() != 0;
    cmbHD->setVisible(monthKnown);
    lblHM->setVisible(monthKnown);
    lblHD->setVisible(monthKnown && cmbHD->currentIndex() != 0);
}

QString TFrmUpdKanbyo::onsetCode() const
{
    // An unselected month or day is unknown; a day under an unknown month
    // is dropped by the code itself.
    return rec::hjikiBuild(cbHJIKIH->isChecked(), nedtHY->asInteger(), std::max(cmbHM->currentIndex(), 0),
                           std::max(cmbHD->currentIndex(), 0));
}

void TFrmUpdKanbyo::loadRecord()
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
        nedtHY->setAsInteger(0);
        cmbHM->setCurrentIndex(-1);
        cmbHD->setCurrentIndex(-1);
        cbHJIKIH->setChecked(false);
        cbENDDTE->setChecked(false);
        dtpENDDTE->setDate(now);
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
        const QString h = q.field(QStringLiteral("HJIKI")).asString();
        cbHJIKIH->setChecked(h == QLatin1String("00000000"));
        if (h.isEmpty() || h == QLatin1String("00000000")) {
            nedtHY->setAsInteger(0);
            cmbHM->setCurrentIndex(-1);
            cmbHD->setCurrentIndex(-1);
        } else {
            nedtHY->setAsInteger(h.left(4).toInt());
            cmbHM->setCurrentIndex(std::clamp(h.mid(4, 2).toInt(), 0, 12));
            cmbHD->setCurrentIndex(std::clamp(h.mid(6, 2).toInt(), 0, 31));
        }
        const QDate end = q.field(QStringLiteral("ENDDTE")).isNull() ? QDate() : q.field(QStringLiteral("ENDDTE")).asDate();
        cbENDDTE->setChecked(!rec::isAbsentDate(end));
        dtpENDDTE->setDate(rec::isAbsentDate(end) ? now : end);
        const int tenki = q.field(QStringLiteral("TENKI")).asInteger();
        cmbTENKI->setCurrentIndex(tenki >= 0 && tenki <= 4 ? tenki : 0);
        fieldText::showStored(edtBIKO, q.field(QStringLiteral("BIKO")).asString());
    }
    onsetVisibility();
    dtpADDDTE->setFocus();
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
    if (cbENDDTE->isChecked() ? dtpENDDTE->date() != end : !rec::isAbsentDate(end))
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
    if (!cbHJIKIH->isChecked()) {
        const int y = nedtHY->asInteger();
        const int m = cmbHM->currentIndex();
        const int dd = cmbHD->currentIndex();
        if (y < 1900)
            return fail(QStringLiteral("発生時期（年）は西暦で正しく入力してください。"), nedtHY);
        if (m < 0)
            return fail(QStringLiteral("発生時期（月）を選択してください。"), cmbHM);
        if (m > 0 && dd < 0)
            return fail(QStringLiteral("発生時期（日）を選択してください。"), cmbHD);
        if (!QDate(y, m > 0 ? m : 1, m > 0 && dd > 0 ? dd : 1).isValid())
            return fail(QStringLiteral("発生時期が正しい日付ではありません。"), nedtHY);
    }
    const QString onset = onsetCode();
    if (cbENDDTE->isChecked() && onset != QLatin1String("00000000")
        && rec::yyyymmdd(dtpENDDTE->date()).toInt() < onset.toInt())
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
    ins.setText(QStringLiteral("ENDDTE"), cbENDDTE->isChecked() ? rec::yyyymmdd(dtpENDDTE->date()) : rec::yyyymmdd(rec::kZeroDate), 8);
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
