#include "patient/FrmUpdAllergyU.h"

#include "app/CommonU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/TextUtil.h"
#include "app/UntDM.h"
#include "controls/FieldText.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/HistoryRows.h"
#include "db/Numbers.h"
#include "db/Query.h"
#include "db/Records.h"
#include "patient/OnsetEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace {
constexpr int kNone = 0;

QLineEdit* textField(QWidget* parent, const QString& name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    fieldText::setTypingLimit(e, 50);
    return e;
}

// The live entry being edited (none for a new entry).
void openEntry(TQuery& q, qint64 id, int rno)
{
    q.setSql(R"(SELECT * FROM "KLOV"."M_ALLERGY" WHERE "ID" = :ID AND "RNO" = :RNO AND "DELKBN" = 0)");
    q.setInt64(QStringLiteral("ID"), id).setInt(QStringLiteral("RNO"), rno);
    q.open();
}

enum class TLive { None, Present, Every };

// Opens the patient's live entries of the kind ("なし", "あり"/"不詳" or
// both), newest first, and returns their RNOs; the cursor stays on the first.
QList<int> liveEntries(TQuery& q, qint64 id, TLive which)
{
    switch (which) {
    case TLive::None:
        q.setSql(R"(SELECT * FROM "KLOV"."M_ALLERGY" WHERE "ID" = :ID AND "DELKBN" = 0
                    AND "HKBN" = 0 ORDER BY "RNO" DESC)");
        break;
    case TLive::Present:
        q.setSql(R"(SELECT * FROM "KLOV"."M_ALLERGY" WHERE "ID" = :ID AND "DELKBN" = 0
                    AND "HKBN" <> 0 ORDER BY "RNO" DESC)");
        break;
    case TLive::Every:
        q.setSql(R"(SELECT * FROM "KLOV"."M_ALLERGY" WHERE "ID" = :ID AND "DELKBN" = 0 ORDER BY "RNO" DESC)");
        break;
    }
    q.setInt64(QStringLiteral("ID"), id);
    q.open();
    QList<int> rnos;
    for (int i = 0; i < q.recordCount(); ++i)
        rnos << q.fieldAt(i, QStringLiteral("RNO")).asInteger();
    return rnos;
}
} // namespace

TFrmUpdAllergy::TFrmUpdAllergy(QWidget* parent) : TFrmPatientRecordEdit(parent)
{
    setObjectName(QStringLiteral("TFrmUpdAllergy"));
    setWindowTitle(QStringLiteral("患者アレルギー登録"));
    QWidget* a = recordArea();
    QGridLayout* g = recordGrid();

    dtpADDDTE = widgets::datePicker(a, QStringLiteral("dtpADDDTE"), widgets::TDateStyle::Slash);
    g->addWidget(widgets::caption(a, QStringLiteral("登録日")), 0, 0);
    g->addWidget(dtpADDDTE, 0, 1, Qt::AlignLeft);
    cmbHKBN = widgets::combo(a, QStringLiteral("cmbHKBN"), 90);
    cmbHKBN->addItems({QStringLiteral("なし"), QStringLiteral("あり"), QStringLiteral("不詳")});
    g->addWidget(widgets::caption(a, QStringLiteral("アレルギー・不適応反応")), 1, 0);
    g->addWidget(cmbHKBN, 1, 1, Qt::AlignLeft);

    grpAlle = new QGroupBox(a);
    grpAlle->setObjectName(QStringLiteral("grpAlle"));
    auto* d = new QGridLayout(grpAlle);
    edtALLEHIN = textField(grpAlle, QStringLiteral("edtALLEHIN"));
    edtALLEHIN->setMinimumWidth(420);
    edtHANNOU = textField(grpAlle, QStringLiteral("edtHANNOU"));
    onset = new TOnsetEdit(grpAlle);
    cbKAFAMY = new QCheckBox(QStringLiteral("本人・家族確認"), grpAlle);
    cbKAFAMY->setObjectName(QStringLiteral("cbKAFAMY"));
    cbKAHOSP = new QCheckBox(QStringLiteral("医療従事者確認"), grpAlle);
    cbKAHOSP->setObjectName(QStringLiteral("cbKAHOSP"));
    edtCOMM = textField(grpAlle, QStringLiteral("edtCOMM"));
    auto* confirm = new QHBoxLayout;
    confirm->addWidget(cbKAFAMY);
    confirm->addSpacing(16);
    confirm->addWidget(cbKAHOSP);
    confirm->addStretch();
    d->addWidget(widgets::caption(grpAlle, QStringLiteral("対象食品・薬品等")), 0, 0);
    d->addWidget(edtALLEHIN, 0, 1);
    d->addWidget(widgets::caption(grpAlle, QStringLiteral("反応")), 1, 0);
    d->addWidget(edtHANNOU, 1, 1);
    d->addWidget(widgets::caption(grpAlle, QStringLiteral("発生時期")), 2, 0);
    d->addWidget(onset, 2, 1);
    d->addWidget(widgets::caption(grpAlle, QStringLiteral("確認")), 3, 0);
    d->addLayout(confirm, 3, 1);
    d->addWidget(widgets::caption(grpAlle, QStringLiteral("コメント")), 4, 0);
    d->addWidget(edtCOMM, 4, 1);
    d->setColumnStretch(1, 1);
    g->addWidget(grpAlle, 2, 0, 1, 2);
    g->setColumnStretch(1, 1);
    g->setRowStretch(3, 1);

    connect(cmbHKBN, &QComboBox::currentIndexChanged, this,
            [this](int kind) { grpAlle->setVisible(kind == 1 || kind == 2); });
    grpAlle->hide();
    resize(860, 460);
}

void TFrmUpdAllergy::clearDetails()
{
    edtALLEHIN->clear();
    edtHANNOU->clear();
    onset->clear();
    cbKAFAMY->setChecked(false);
    cbKAHOSP->setChecked(false);
    edtCOMM->clear();
}

bool TFrmUpdAllergy::loadRecord()
{
    TQuery q(&dm().ADOCPOST);
    openEntry(q, FID, FRNO);
    clearDetails();
    if (q.eof()) {
        dtpADDDTE->setDate(CommonU::GetServerTime().date());
        cmbHKBN->setCurrentIndex(-1);
    } else {
        dtpADDDTE->setDate(q.field(QStringLiteral("ADDDTE")).asDate());
        const int kind = q.field(QStringLiteral("HKBN")).asInteger();
        cmbHKBN->setCurrentIndex(kind >= 0 && kind <= 2 ? kind : -1);
        if (kind == 1 || kind == 2) {
            fieldText::showStored(edtALLEHIN, q.field(QStringLiteral("ALLEHIN")).asString());
            fieldText::showStored(edtHANNOU, q.field(QStringLiteral("HANNOU")).asString());
            onset->load(q.field(QStringLiteral("HJIKI")).asString());
            cbKAFAMY->setChecked(q.field(QStringLiteral("KAFAMY")).asInteger() == 1);
            cbKAHOSP->setChecked(q.field(QStringLiteral("KAHOSP")).asInteger() == 1);
            fieldText::showStored(edtCOMM, q.field(QStringLiteral("COMM")).asString());
        }
    }
    grpAlle->setVisible(cmbHKBN->currentIndex() == 1 || cmbHKBN->currentIndex() == 2);
    dtpADDDTE->setFocus();
    return !q.eof();
}

bool TFrmUpdAllergy::isChanged()
{
    TQuery q(&dm().ADOCPOST);
    openEntry(q, FID, FRNO);
    if (q.eof())
        return true;
    const auto s = [&q](const char* f) { return q.field(QLatin1String(f)).asString(); };
    const auto i = [&q](const char* f) { return q.field(QLatin1String(f)).asInteger(); };
    const int kind = cmbHKBN->currentIndex();
    if (kind != i("HKBN") || dtpADDDTE->date() != q.field(QStringLiteral("ADDDTE")).asDate())
        return true;
    if (edtALLEHIN->text() != s("ALLEHIN") || edtHANNOU->text() != s("HANNOU"))
        return true;
    if (kind == 1 || kind == 2) {
        if (onset->code() != s("HJIKI") || int(cbKAFAMY->isChecked()) != i("KAFAMY")
            || int(cbKAHOSP->isChecked()) != i("KAHOSP") || edtCOMM->text() != s("COMM"))
            return true;
    }
    return false;
}

bool TFrmUpdAllergy::validate()
{
    if (cmbHKBN->currentIndex() < 0) {
        msg::warning(this, QStringLiteral("アレルギー・不適応反応未選択です。"));
        cmbHKBN->setFocus();
        return false;
    }
    return cmbHKBN->currentIndex() == kNone ? validateNone() : validatePresent();
}

bool TFrmUpdAllergy::validateNone()
{
    const auto stop = [this] {
        cmbHKBN->setFocus();
        return false;
    };
    TQuery q(&dm().ADOCPOST);
    const QList<int> present = liveEntries(q, FID, TLive::Present);
    if (!present.isEmpty()
        && !msg::question(this, QStringLiteral("既にアレルギーあり又は不詳で登録された情報があります。\r\n"
                                               "このまま登録した場合そのデータは失われますがよろしいですか？")))
        return stop();
    // Every live entry goes with this save: these are the ones the user was told of.
    FAsked = present + liveEntries(q, FID, TLive::None);
    if (q.eof())
        return true;
    if (q.field(QStringLiteral("ADDDTE")).asDate() != dtpADDDTE->date())
        return msg::question(this, QStringLiteral("別の登録日でアレルギーありで登録されています。\r\n"
                                                  "今回の登録日で上書き登録されますがよろしいですか？"))
            || stop();
    msg::information(this, QStringLiteral("既に同一登録日でアレルギーなし登録された情報があります。"));
    return stop();
}

bool TFrmUpdAllergy::validatePresent()
{
    TQuery q(&dm().ADOCPOST);
    // The "なし" entries go with this save: these are the ones the user was told of.
    FAsked = liveEntries(q, FID, TLive::None);
    if (!FAsked.isEmpty()
        && !msg::question(this, QStringLiteral("現在この患者はアレルギーなしで登録されています。\r\n"
                                               "登録してよろしいですか？"))) {
        cmbHKBN->setFocus();
        return false;
    }
    const QString substance = textutil::trimLeft(edtALLEHIN->text());
    if (substance.isEmpty()) {
        msg::warning(this, QStringLiteral("対象食品・薬品等未入力です。"));
        edtALLEHIN->setFocus();
        return false;
    }
    if (textutil::trimLeft(edtHANNOU->text()).isEmpty()
        && !msg::question(this, QStringLiteral("反応未入力ですがよろしいですか？"))) {
        edtALLEHIN->setFocus();
        return false;
    }
    if (const auto problem = onset->problem()) {
        msg::warning(this, problem->text);
        problem->focus->setFocus();
        return false;
    }
    if (!cbKAFAMY->isChecked() && !cbKAHOSP->isChecked()
        && !msg::question(this, QStringLiteral("本人・家族確認か医療従事者確認どちらも未確認ですがよろしいですか？。"))) {
        onset->cmbHD->setFocus();
        return false;
    }
    // Earlier entries of the patient count too, history rows included.
    q.setSql(R"(SELECT * FROM "KLOV"."M_ALLERGY" WHERE "ID" = :ID AND "RNO" <> :RNO AND "ALLEHIN" = :ALLEHIN)");
    q.setInt64(QStringLiteral("ID"), FID).setInt(QStringLiteral("RNO"), FRNO);
    q.setText(QStringLiteral("ALLEHIN"), substance, 64);
    q.open();
    if (!q.eof()
        && !msg::question(this, QStringLiteral("同名の対象食品・薬品等の登録があります。登録してもよろしいですか？"))) {
        edtALLEHIN->setFocus();
        return false;
    }
    return true;
}

void TFrmUpdAllergy::saveRows(TConnection& conn)
{
    const QString user = G().user.userId;
    const int kind = cmbHKBN->currentIndex();
    // The patient's entries are written one workstation at a time from here
    // on (the number allocation holds the patient), so the rule that a "なし"
    // entry never lives beside the others holds for saves made at once.
    FNewRNO = numbers::nextAllergyRno(conn, FID);

    // The questions were answered before this transaction. Under the lock,
    // every entry this save retires must be one the user was told of; one
    // registered meanwhile by another workstation stops the save.
    FAskedChanged = false;
    TQuery q(&conn);
    for (const int rno : liveEntries(q, FID, kind == kNone ? TLive::Every : TLive::None)) {
        if (!FAsked.contains(rno)) {
            FAskedChanged = true;
            throw EConflictError(QStringLiteral("allergy entry %1/%2 registered after the question").arg(FID).arg(rno));
        }
    }

    if (FRNO > 0)
        retireRow(conn, THistoryTable::Allergy, FID, 0, FRNO, user);
    q.setSql(kind == kNone
                 ? QStringLiteral(R"(UPDATE "KLOV"."M_ALLERGY" SET "DELKBN" = 1, "DELDTM" = DATE_TRUNC('second',NOW()),
                       "DELUSERID" = :UPDUSERID WHERE "ID" = :ID AND "DELKBN" = 0)")
                 : QStringLiteral(R"(UPDATE "KLOV"."M_ALLERGY" SET "DELKBN" = 1, "DELDTM" = DATE_TRUNC('second',NOW()),
                       "DELUSERID" = :UPDUSERID WHERE "ID" = :ID AND "HKBN" = 0 AND "DELKBN" = 0)"));
    q.setText(QStringLiteral("UPDUSERID"), user, 24);
    q.setInt64(QStringLiteral("ID"), FID);
    q.execSql();

    const bool details = kind != kNone;
    q.setSql(R"(INSERT INTO "KLOV"."M_ALLERGY" ("ID", "RNO", "HKBN", "ADDDTE", "ALLEHIN", "HANNOU", "HJIKI",
                "KAFAMY", "KAHOSP", "COMM", "DELKBN", "INSDTM", "INSUSERID")
                VALUES (:ID, :RNO, :HKBN, TO_TIMESTAMP(:ADDDTE,'YYYYMMDD'), :ALLEHIN, :HANNOU, :HJIKI,
                :KAFAMY, :KAHOSP, :COMM, 0, DATE_TRUNC('second',NOW()), :UPDUSERID))");
    q.setInt64(QStringLiteral("ID"), FID).setInt(QStringLiteral("RNO"), FNewRNO).setInt(QStringLiteral("HKBN"), kind);
    q.setText(QStringLiteral("ADDDTE"), rec::yyyymmdd(dtpADDDTE->date()), 8);
    q.setText(QStringLiteral("ALLEHIN"), details ? textutil::trimLeft(edtALLEHIN->text()) : QString(), 64);
    q.setText(QStringLiteral("HANNOU"), details ? textutil::trimLeft(edtHANNOU->text()) : QString(), 64);
    q.setText(QStringLiteral("HJIKI"), details ? onset->code() : QString(), 8);
    q.setInt(QStringLiteral("KAFAMY"), cbKAFAMY->isChecked() ? 1 : 0);
    q.setInt(QStringLiteral("KAHOSP"), cbKAHOSP->isChecked() ? 1 : 0);
    q.setText(QStringLiteral("COMM"), textutil::trimLeft(edtCOMM->text()), 100);
    q.setText(QStringLiteral("UPDUSERID"), user, 24);
    q.execSql();
}
