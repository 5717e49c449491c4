#include "summary/FrmUpdTaiyouU.h"
#include "patient/FrmSrcDrU.h"
#include "summary/FrmMyTempleU.h"
#include "summary/FrmSelNyuU.h"
#include "summary/FrmSelOldCopyU.h"

#include "app/CommonU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/TextUtil.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "app/WriteRunner.h"
#include "controls/DBGrid.h"
#include "controls/EraText.h"
#include "controls/NumberEdit.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "export/FhirExport.h"
#include "db/Numbers.h"
#include "db/Query.h"
#include "db/Records.h"
#include "patient/FrmSrcKanjaU.h"
#include "summary/FrmDspUnsavedU.h"
#include "summary/TaiyouAutosave.h"
#include "summary/TaiyouSections.h"
#include "summary/TaiyouStages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QLayout>

#include <algorithm>

using taiyouSections::kSections;

namespace {

// Index into kSections of each autosave file (files are written in their own order).
const int kFileSection[5] = {0, 1, 4, 2, 3};

const char* const kDoctorColumns[5] = {"SYUDR", "TANDR1", "TANDR2", "TANDR3", "WDR"};
const char* const kDoctorPrefixes[5] = {"主治医(ユーザーID:", "担当医1(ユーザーID:", "担当医2(ユーザーID:",
                                        "担当医3(ユーザーID:", "記載医(ユーザーID:"};

const QString kStandardTemplate = QStringLiteral(
    "＜プロフィール＞\r\n\r\n＜現病歴＞\r\n\r\n＜既往歴＞\r\n\r\n＜家族歴＞\r\n\r\n＜嗜好＞\r\n\r\n"
    "＜感染症情報＞\r\n\r\n＜免疫情報＞\r\n\r\n＜常用薬情報＞\r\n\r\n＜入院時身体所見＞\r\n\r\n＜入院時検査所見＞\r\n");

// Memo text with its line breaks as LF, no-break spaces as typed.
QString memoText(const QPlainTextEdit* m) { return textutil::memoText(m->document()->toRawText()); }

// Memo text as the database and the checks see it: lines ended by CR LF.
QString windowsText(const QPlainTextEdit* m) { return textutil::windowsLines(memoText(m)); }

} // namespace

// ---------------------------------------------------------------- opening

void TFrmUpdTaiyou::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (!FOpened) {
        FOpened = true;
        FormShow();
    }
}

void TFrmUpdTaiyou::FormShow()
{
    QScreen* scr = screen() ? screen() : QGuiApplication::primaryScreen();
    FMainWidth = scr ? scr->geometry().width() * 60 / 100 : 768;
    sizePanels();
    dbgTAIBYO->resetSort();
    dbgOPE->resetSort();
    FslDR.clear();
    for (TQuery* q : {ADOQ, ADOQR, ADOQDR, ADOQTAIBYO, ADOQOPE})
        q->setConnection(&dm().ADOCPOST);
    FToday = CommonU::GetServerTime().date();

    try {
        ADOQDR->setSql(R"(SELECT * FROM "KLOV"."M_USER" WHERE "JTYP" = 0
            AND ((:NDTE <= TO_CHAR("YENDDTE",'YYYYMMDD')) AND (:TDTE >= TO_CHAR("YSTRDTE",'YYYYMMDD'))))");

        cmbKA->clear();
        widgets::addDepartments(cmbKA, *ADOQ, true);
        cmbKA->setCurrentIndex(-1);

        ADOQ->setSql(R"(SELECT * FROM information_schema.tables WHERE table_schema = :SCH AND table_name = :TBL)");
        ADOQ->setText("SCH", QStringLiteral("QARN"), 64).setText("TBL", QStringLiteral("D_NTDATA"), 64);
        ADOQ->open();
        bbtnSrcNyu->setVisible(!ADOQ->eof());
        ADOQ->close();
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
    }
    lblDelOld->hide();

    if (FKNO != 0) {
        LoadSummary();
    } else {
        FVERNO = 1;
        lblVERNO->setText(QStringLiteral("1"));
        nedtID->setAsInt64(0);
        FWFLG = FSFLG = FKFLG = 0;
        FWUSERID.clear();
        FSUSERID.clear();
        FKUSERID.clear();
        FWDTM = FSDTM = FKDTM = FVERDTE = QDateTime();
        FWNM.clear();
        FSNM.clear();
        FKNM.clear();
        dtpNDTE->setDate(FToday);
        dtpTDTE->setDate(FToday.addDays(3));
        dtpTDTE->setChecked(false);
        cmbNSYU->setCurrentIndex(0);
        cmbKA->setCurrentIndex(-1);
        SetDoctorLists();
        edtNYURIYU->clear();
        nedtNYUCNT->setAsInteger(1);
        for (int i = 0; i < 5; ++i)
            memo(i)->clear();
        const TLoginUser& u = G().user;
        if (u.jobType == 0) {
            const int at = FslDR.indexOf(u.userId);
            if (at > 0)
                cmbWDR->setCurrentIndex(at);
        }
        showStages();
        for (QPushButton* b : {bbtnMntAl, bbtnMntDev, bbtnMntByo, bbtnMntOpe, bbtnUpdate, spbWFLG, spbSFLG, spbKFLG})
            b->setEnabled(false);
    }

    takeSnapshot();

    ShowPatient();
    dbgTAIBYO->setColumns({TGridColumn::fixed(QStringLiteral("#1"), QStringLiteral("SNO"), 24, Qt::AlignRight),
                           TGridColumn::fixed(QStringLiteral("#2"), QStringLiteral("SNO1"), 20),
                           TGridColumn::fixed(QStringLiteral("#3"), QStringLiteral("SNO2"), 20),
                           TGridColumn::fixed(QStringLiteral("ICD10"), QStringLiteral("ICD102013"), 48),
                           TGridColumn::fixed(QStringLiteral("病名"), QStringLiteral("BYONAME"), 160),
                           TGridColumn::fixed(QStringLiteral("疑い"), QStringLiteral("DISTKBNN"), 32),
                           TGridColumn::fixed(QStringLiteral("発生時期"), QStringLiteral("HJIKINM"), 120),
                           TGridColumn::fixed(QStringLiteral("終了日"), QStringLiteral("ENDDTEN"), 90),
                           TGridColumn::fixed(QStringLiteral("転帰"), QStringLiteral("TENKIN"), 38),
                           TGridColumn::rest(QStringLiteral("備考"), QStringLiteral("BIKO"), 60)},
                          22);
    auto dateOnly = [](const TField& f) {
        return f.isNull() ? QString() : f.asDate().toString(QStringLiteral("yyyy/MM/dd"));
    };
    dbgOPE->setColumns({TGridColumn::fixed(QStringLiteral("実施日"), QStringLiteral("OPEDTE"), 90).formatted(dateOnly),
                        TGridColumn::fixed(QStringLiteral("手術・処置名"), QStringLiteral("OPENM"), 200),
                        TGridColumn::fixed(QStringLiteral("Kコード"), QStringLiteral("KCODE"), 50),
                        TGridColumn::fixed(QStringLiteral("術者１"), QStringLiteral("OPEDR1NM"), 80),
                        TGridColumn::fixed(QStringLiteral("術者２"), QStringLiteral("OPEDR2NM"), 80),
                        TGridColumn::fixed(QStringLiteral("助手１"), QStringLiteral("JYO1NM"), 80),
                        TGridColumn::rest(QStringLiteral("コメント"), QStringLiteral("COMM"), 60)},
                       22);
    LoadDiagnoses();
    LoadOperations();
    sizeGridColumns();

    if (FKNO == 0) {
        nedtID->setFocus();
    } else if (!memNYUBEFKEIKA->isReadOnly()) {
        if (FRECOV)
            restoreAutosave();
        startAutosave();
    }
}

// The left panel keeps its width; the lists take the rest.
void TFrmUpdTaiyou::sizePanels()
{
    if (layout())
        layout()->activate();
    const int rest = splMain->width() - FMainWidth - splMain->handleWidth();
    splMain->setSizes({FMainWidth, std::max(rest, 200)});
}

void TFrmUpdTaiyou::takeSnapshot()
{
    FSnap.KAIDX = cmbKA->currentIndex();
    FSnap.SYUDRIDX = cmbSYUDR->currentIndex();
    FSnap.TANDR1IDX = cmbTANDR1->currentIndex();
    FSnap.TANDR2IDX = cmbTANDR2->currentIndex();
    FSnap.TANDR3IDX = cmbTANDR3->currentIndex();
    FSnap.WDRIDX = cmbWDR->currentIndex();
    FSnap.NSYUIDX = cmbNSYU->currentIndex();
    FSnap.NYUCNT = nedtNYUCNT->asInteger();
    FSnap.NYURIYU = edtNYURIYU->text();
    FSnap.NYUBEFKEIKA = memoText(memNYUBEFKEIKA);
    FSnap.NYUKEIKA = memoText(memNYUKEIKA);
    FSnap.TAIJOUHO = memoText(memTAIJOUHO);
    FSnap.TAIYAKU = memoText(memTAIYAKU);
    FSnap.TAIHOU = memoText(memTAIHOU);
    FSnap.NDTE = dtpNDTE->date();
    FSnap.TDTE = dtpTDTE->checked() ? dtpTDTE->date() : QDate();
}

void TFrmUpdTaiyou::sizeGridColumns()
{
    dbgTAIBYO->applyWidths();
    dbgOPE->applyWidths();
}

// ---------------------------------------------------------------- patient

void TFrmUpdTaiyou::ShowPatient()
{
    const qint64 id = nedtID->asInt64();
    try {
        CommonU::RefreshPatientFromQarn(id);
    } catch (const std::exception& e) {
        // The patient is shown as stored here.
        msg::warning(this, errorWarningText(e));
    }
    for (QLabel* l : {lblKNJKANA, lblKNJNAME, lblAGE, lblBIRTH, lblSEX})
        l->clear();
    try {
        ADOQ->setSql(R"(SELECT Z.* FROM "KLOV"."M_KANJA" Z WHERE Z."ID" = :ID AND Z."ACTKBN" = 1 AND Z."DELKBN" = 0)");
        ADOQ->setInt64("ID", id);
        ADOQ->open();
        if (!ADOQ->eof()) {
            lblKNJKANA->setText(ADOQ->field("KNJKANA").asString());
            lblKNJNAME->setText(ADOQ->field("KNJNAME").asString());
            const int sex = ADOQ->field("SEX").isNull() ? -1 : ADOQ->field("SEX").asInteger();
            lblSEX->setText(sex == 0 ? QStringLiteral("男性") : sex == 1 ? QStringLiteral("女性") : QStringLiteral("不明"));
            const QDate birth = ADOQ->field("BIRTH").isNull() ? QDate() : ADOQ->field("BIRTH").asDate();
            if (birth.isValid()) {
                const QDate today = FToday.isValid() ? FToday : QDate::currentDate();
                lblAGE->setText(QString::number(CommonU::AgeYears(today, birth)));
                lblBIRTH->setText(QStringLiteral("%1(%2)年%3月%4日生")
                                      .arg(birth.year())
                                      .arg(eraText::eraYear(birth))
                                      .arg(birth.month())
                                      .arg(birth.day()));
            }
        }
        ADOQ->close();
    } catch (const std::exception& e) {
        ADOQ->close();
        msg::warning(this, errorWarningText(e));
    }
}

void TFrmUpdTaiyou::nedtIDEnter() { FID = nedtID->asInt64(); }

void TFrmUpdTaiyou::nedtIDExit()
{
    if (nedtID->asInt64() == FID)
        return;
    FID = nedtID->asInt64();
    ShowPatient();
    if (isNew())
        SetAdmissionCount();
}

void TFrmUpdTaiyou::dtpNDTEExit()
{
    if (isNew())
        SetAdmissionCount();
}

void TFrmUpdTaiyou::bbtnIdSrcClick()
{
    TFrmSrcKanja dlg(this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    nedtID->setAsInt64(dlg.FintID);
    // The field is not entered and left again, so run what leaving it does.
    if (dlg.FintID != FID) {
        FID = dlg.FintID;
        ShowPatient();
        if (isNew())
            SetAdmissionCount();
    }
}

void TFrmUpdTaiyou::SetAdmissionCount()
{
    const qint64 id = nedtID->asInt64();
    try {
        ADOQ->setSql(R"(SELECT * FROM "KLOV"."D_TAIYOU" WHERE "ID" = :ID AND TO_CHAR("NDTE",'YYYYMMDD') = :NDTE)");
        ADOQ->setInt64("ID", id).setText("NDTE", rec::yyyymmdd(dtpNDTE->date()), 8);
        ADOQ->open();
        if (!ADOQ->eof()) {
            nedtNYUCNT->setAsInteger(ADOQ->field("NYUCNT").asInteger());
            ADOQ->close();
            return;
        }
        ADOQ->setSql(R"(SELECT "NYUCNT" FROM "KLOV"."D_TAIYOU" WHERE "ID" = :ID ORDER BY "NYUCNT" DESC)");
        ADOQ->setInt64("ID", id);
        ADOQ->open();
        nedtNYUCNT->setAsInteger(ADOQ->eof() ? 1 : ADOQ->field("NYUCNT").asInteger() + 1);
        ADOQ->close();
    } catch (const std::exception& e) {
        ADOQ->close();
        msg::warning(this, errorWarningText(e));
    }
}

void TFrmUpdTaiyou::SetDoctorLists()
{
    FslDR.clear();
    FslDR << QString();
    QStringList names{QString()};
    try {
        ADOQDR->close();
        ADOQDR->setText("NDTE", rec::yyyymmdd(dtpNDTE->date()), 8);
        ADOQDR->setText("TDTE", dtpTDTE->checked() ? rec::yyyymmdd(dtpTDTE->date()) : QStringLiteral("99999999"), 8);
        ADOQDR->open();
        for (; !ADOQDR->eof(); ADOQDR->next()) {
            FslDR << ADOQDR->field("USERID").asString();
            names << ADOQDR->field("USERNM").asString();
        }
        ADOQDR->close();
    } catch (const std::exception& e) {
        ADOQDR->close();
        msg::warning(this, errorWarningText(e));
    }
    for (int i = 0; i < 5; ++i) {
        doctorList(i)->clear();
        doctorList(i)->addItems(names);
        doctorList(i)->setCurrentIndex(0);
    }
}

QString TFrmUpdTaiyou::doctorId(const QComboBox* cmb) const
{
    const int i = cmb->currentIndex();
    return i > 0 && i < FslDR.size() ? FslDR.at(i) : QString();
}

// ---------------------------------------------------------------- registering

bool TFrmUpdTaiyou::CheckBase()
{
    const qint64 id = nedtID->asInt64();
    if (id == 0) {
        msg::warning(this, QStringLiteral("患者IDが入力されていません。"));
        nedtID->setFocus();
        return false;
    }
    if (cmbKA->currentIndex() < 0) {
        msg::warning(this, QStringLiteral("診療科が選択されていません。"));
        cmbKA->setFocus();
        return false;
    }
    if (dtpTDTE->checked() && dtpTDTE->date() < dtpNDTE->date()) {
        msg::warning(this, QStringLiteral("入院日が退院日より後に設定されています。"));
        dtpNDTE->setFocus();
        return false;
    }
    try {
        ADOQ->setSql(R"(SELECT Z.* FROM "KLOV"."M_KANJA" Z WHERE Z."ID" = :ID AND Z."ACTKBN" = 1 AND Z."DELKBN" = 0)");
        ADOQ->setInt64("ID", id);
        ADOQ->open();
        const bool known = !ADOQ->eof();
        ADOQ->close();
        if (!known) {
            msg::warning(this, QStringLiteral("未登録患者IDです。"));
            nedtID->setFocus();
            return false;
        }
        ADOQ->setSql(R"(SELECT D.* FROM "KLOV"."D_TAIYOU" D WHERE D."ID" = :ID AND D."KACD" = :KACD
            AND TO_CHAR(D."NDTE",'YYYYMMDD') = :NDTE AND D."KNO" <> :KNO AND D."ACTKBN" = 1 AND D."DELKBN" = 0)");
        ADOQ->setInt64("ID", id)
            .setInt("KACD", cmbKA->currentData().toInt())
            .setText("NDTE", rec::yyyymmdd(dtpNDTE->date()), 8)
            .setInt("KNO", FKNO);
        ADOQ->open();
        const bool twice = !ADOQ->eof();
        ADOQ->close();
        if (twice) {
            msg::warning(this, QStringLiteral("同一入院日・診療科で既に登録されています。"));
            return false;
        }
    } catch (const std::exception& e) {
        ADOQ->close();
        msg::warning(this, errorWarningText(e));
        return false;
    }
    return true;
}

// Binds department, dates, kind, count and the five doctors as the insert
// and the update write them.
static void bindBasics(TQuery* q, int kacd, const QDate& ndte, bool hasTdte, const QDate& tdte, int nsyu,
                       int nyucnt, const QStringList& doctors)
{
    q->setInt("KACD", kacd)
        .setText("NDTE", rec::yyyymmdd(ndte), 8)
        .setText("TDTE", hasTdte ? rec::yyyymmdd(tdte) : rec::yyyymmdd(rec::kZeroDate), 8)
        .setInt("NSYU", nsyu)
        .setInt("NYUCNT", nyucnt);
    for (int i = 0; i < 5; ++i) {
        const QString name = QString::fromLatin1(kDoctorColumns[i]);
        if (doctors.at(i).isEmpty())
            q->setNull(name, TParamType::Text, 24);
        else
            q->setText(name, doctors.at(i), 24);
    }
}

bool TFrmUpdTaiyou::InsertBase()
{
    QStringList doctors;
    for (int i = 0; i < 5; ++i)
        doctors << doctorId(doctorList(i));
    int kno = 0;
    QString rowver;
    bool twice = false;
    const TWriteResult r = write([&](TConnection& conn) {
        kno = numbers::nextKno(conn);
        // The number's lock serialises every registration: the check for a
        // second summary of the same admission is made again under it, so
        // two workstations registering the same admission make one summary.
        ADOQ->setSql(R"(SELECT D."KNO" FROM "KLOV"."D_TAIYOU" D WHERE D."ID" = :ID AND D."KACD" = :KACD
            AND TO_CHAR(D."NDTE",'YYYYMMDD') = :NDTE AND D."ACTKBN" = 1 AND D."DELKBN" = 0)");
        ADOQ->setInt64("ID", nedtID->asInt64())
            .setInt("KACD", cmbKA->currentData().toInt())
            .setText("NDTE", rec::yyyymmdd(dtpNDTE->date()), 8);
        ADOQ->open();
        twice = !ADOQ->eof();
        ADOQ->close();
        if (twice)
            return;
        ADOQ->setSql(R"(INSERT INTO "KLOV"."D_TAIYOU" ("KNO", "VERNO", "ACTKBN", "DELKBN", "KACD", "ID", "NDTE", "TDTE",
              "NSYU", "NYUCNT", "NYURIYU", "SYUDR", "TANDR1", "TANDR2", "TANDR3", "WDR", "WFLG", "SFLG", "KFLG",
              "INSDTM", "INSUSERID")
            VALUES (:KNO, :VERNO, 1, 0, :KACD, :ID, TO_TIMESTAMP(:NDTE,'YYYYMMDD'), TO_TIMESTAMP(:TDTE,'YYYYMMDD'),
              :NSYU, :NYUCNT, :NYURIYU, :SYUDR, :TANDR1, :TANDR2, :TANDR3, :WDR, 0, 0, 0,
              DATE_TRUNC('second',NOW()), :INSUSERID)
            RETURNING CAST("xmin" AS text) AS "ROWVER")");
        ADOQ->setInt("KNO", kno).setInt("VERNO", FVERNO).setInt64("ID", nedtID->asInt64());
        bindBasics(ADOQ, cmbKA->currentData().toInt(), dtpNDTE->date(), dtpTDTE->checked(), dtpTDTE->date(),
                   cmbNSYU->currentIndex(), nedtNYUCNT->asInteger(), doctors);
        ADOQ->setText("NYURIYU", textutil::trimBoth(edtNYURIYU->text()), 128);
        ADOQ->setText("INSUSERID", G().user.userId, 24);
        ADOQ->open();
        rowver = ADOQ->field("ROWVER").asString();
        ADOQ->close();
    });
    if (r != TWriteResult::Done)
        return false;
    if (twice) {
        msg::warning(this, QStringLiteral("同一入院日・診療科で既に登録されています。"));
        return false;
    }
    FKNO = kno;
    FROWVER = rowver;
    return true;
}

void TFrmUpdTaiyou::ShowEditPanels()
{
    pnlMain->show();
    pnlMRight->show();
    sizePanels();
    for (QPushButton* b : {bbtnMntAl, bbtnMntDev, bbtnMntByo, bbtnMntOpe, bbtnUpdate})
        b->setEnabled(true);
    enableStageButtonsByPermission();
    nedtID->setEnabled(false);
    bbtnIdSrc->setEnabled(false);
    bbtnBase->hide();
    lblKNO->setText(QString::number(FKNO));
    lblVERNO->setText(QString::number(FVERNO));
    LoadDiagnoses();
    LoadOperations();
}

void TFrmUpdTaiyou::bbtnBaseClick()
{
    if (!CheckBase() || !InsertBase())
        return;
    ShowEditPanels();
    startAutosave();
}

// ---------------------------------------------------------------- loading

void TFrmUpdTaiyou::LoadSummary()
{
    ShowEditPanels();
    try {
        ADOQR->setSql(R"(SELECT D.*, W."USERNM" AS "WNM", S."USERNM" AS "SNM", K."USERNM" AS "KNM",
              CAST(D."xmin" AS text) AS "ROWVER"
            FROM "KLOV"."D_TAIYOU" D
            LEFT JOIN "KLOV"."M_USER" W ON D."WUSERID" = W."USERID"
            LEFT JOIN "KLOV"."M_USER" S ON D."SUSERID" = S."USERID"
            LEFT JOIN "KLOV"."M_USER" K ON D."KUSERID" = K."USERID"
            WHERE D."KNO" = :KNO AND D."VERNO" = :VERNO)");
        ADOQR->setInt("KNO", FKNO).setInt("VERNO", FVERNO);
        ADOQR->open();
    } catch (const std::exception& e) {
        ADOQR->close();
        msg::warning(this, errorWarningText(e));
        SetEditable(false);
        return;
    }
    if (ADOQR->eof()) {
        ADOQR->close();
        msg::warning(this, QStringLiteral("データ矛盾が発生しました。再登録が必要です。"));
        // Nothing to edit: no save, no autosave of a summary that is not there.
        SetEditable(false);
        return;
    }
    const TQuery& r = *ADOQR;
    auto text = [&r](const char* name) { return r.field(QString::fromLatin1(name)).asString(); };
    auto integer = [&r](const char* name) {
        const TField f = r.field(QString::fromLatin1(name));
        return f.isNull() ? 0 : f.asInteger();
    };
    auto when = [&r](const char* name) {
        const TField f = r.field(QString::fromLatin1(name));
        return f.isNull() ? QDateTime() : f.asDateTime();
    };

    FACTKBN = integer("ACTKBN");
    FDELKBN = integer("DELKBN");
    FROWVER = text("ROWVER");
    if (FDELKBN == 1) {
        lblDelOld->setText(QStringLiteral("削除済"));
        lblDelOld->show();
    } else if (FACTKBN == 0) {
        lblDelOld->setText(QStringLiteral("旧Version"));
        lblDelOld->show();
    } else {
        lblDelOld->hide();
    }

    FWFLG = integer("WFLG");
    FSFLG = integer("SFLG");
    FKFLG = integer("KFLG");
    FWUSERID = text("WUSERID");
    FSUSERID = text("SUSERID");
    FKUSERID = text("KUSERID");
    FWDTM = when("WDTM");
    FSDTM = when("SDTM");
    FKDTM = when("KDTM");
    FVERDTE = when("VERDTE");
    FWNM = text("WNM");
    FSNM = text("SNM");
    FKNM = text("KNM");
    lblVERNO->setText(QString::number(FVERNO));

    nedtID->setAsInt64(r.field("ID").isNull() ? 0 : r.field("ID").asInt64());
    FID = nedtID->asInt64();
    const QDate ndte = when("NDTE").date();
    dtpNDTE->setDate(ndte.isValid() ? ndte : FToday);
    const QDate tdte = when("TDTE").date();
    if (tdte.isValid() && !rec::isAbsentDate(tdte)) {
        dtpTDTE->setDate(tdte);
        dtpTDTE->setChecked(true);
    } else {
        dtpTDTE->setDate(dtpNDTE->date().addDays(3));
        dtpTDTE->setChecked(false);
    }
    cmbNSYU->setCurrentIndex(integer("NSYU"));
    cmbKA->setCurrentIndex(r.field("KACD").isNull() ? -1 : cmbKA->findData(integer("KACD")));

    SetDoctorLists();

    nedtNYUCNT->setAsInteger(integer("NYUCNT"));
    edtNYURIYU->setText(text("NYURIYU"));
    for (int i = 0; i < 5; ++i)
        memo(i)->setPlainText(text(kSections[i].column));

    QStringList missing;
    for (int i = 0; i < 5; ++i) {
        const QString id = text(kDoctorColumns[i]).trimmed();
        if (id.isEmpty())
            continue;
        const int at = FslDR.indexOf(id);
        if (at > 0)
            doctorList(i)->setCurrentIndex(at);
        else
            missing << QString::fromUtf8(kDoctorPrefixes[i]) + id
                           + QStringLiteral(")が削除または有効期限変更等の理由により存在しません。");
    }
    ADOQR->close();
    for (const QString& m : missing)
        msg::warning(this, m);

    for (QPushButton* b : {bbtnMntAl, bbtnMntDev, bbtnMntByo, bbtnMntOpe})
        b->setEnabled(true);

    showStages();
    applyEditability(FACTKBN, FDELKBN);
}

// ---------------------------------------------------------------- saving

bool TFrmUpdTaiyou::CheckInput()
{
    if (!CheckBase())
        return false;
    for (int i = 0; i < 5; ++i) {
        const qsizetype n = windowsText(memo(i)).size();
        if (n > 2000) {
            msg::information(this, QString::fromUtf8(kSections[i].name)
                                       + QStringLiteral("には2000文字までしか入力できません。\r\n（現在")
                                       + QString::number(n) + QStringLiteral("文字）"));
            focusMemo(i);
            return false;
        }
    }
    if (!spbWFLG->isChecked())
        return true;
    if (nedtNYUCNT->asInteger() == 0) {
        msg::warning(this, QStringLiteral("入院回数が入力されていません。"));
        nedtNYUCNT->setFocus();
        return false;
    }
    if (cmbSYUDR->currentIndex() <= 0) {
        msg::warning(this, QStringLiteral("主治医が選択されていません。"));
        cmbSYUDR->setFocus();
        return false;
    }
    if (cmbWDR->currentIndex() <= 0) {
        msg::warning(this, QStringLiteral("記載医が選択されていません。"));
        cmbWDR->setFocus();
        return false;
    }
    for (int i = 0; i < 5; ++i) {
        if (!textutil::trimLeft(memoText(memo(i))).isEmpty())
            continue;
        if (!msg::question(this, QString::fromUtf8(kSections[i].name)
                                     + QStringLiteral("が入力されていません。\r\n登録してよろしいですか？"))) {
            focusMemo(i);
            return false;
        }
    }
    if (ADOQTAIBYO->active() && ADOQTAIBYO->isEmpty()
        && !msg::question(this, QStringLiteral("退院時診断が入力されていません。\r\n登録してよろしいですか？")))
        return false;
    return true;
}

bool TFrmUpdTaiyou::UpdateSummary()
{
    using namespace taiyouStages;
    const QDateTime saveTime = CommonU::GetServerTime();
    const QString userId = G().user.userId;
    const TStage w = onSave({FWFLG, FWUSERID, FWDTM}, spbWFLG->isChecked(), userId, saveTime);
    const TStage s = onSave({FSFLG, FSUSERID, FSDTM}, spbSFLG->isChecked(), userId, saveTime);
    const TStage k = onSave({FKFLG, FKUSERID, FKDTM}, spbKFLG->isChecked(), userId, saveTime);
    const QDateTime verdte = verdteOnSave(FKFLG, spbKFLG->isChecked(), FVERDTE, saveTime);
    QStringList doctors;
    for (int i = 0; i < 5; ++i)
        doctors << doctorId(doctorList(i));
    // The save goes through only onto the version as it was loaded: still
    // current and live, its stages and its revision unchanged.
    const TWriteResult r = write([&](TConnection& conn) {
        requireVersionAsLoaded(conn);
        ADOQ->setSql(R"(UPDATE "KLOV"."D_TAIYOU" SET "KACD" = :KACD, "NDTE" = TO_TIMESTAMP(:NDTE,'YYYYMMDD'),
              "TDTE" = TO_TIMESTAMP(:TDTE,'YYYYMMDD'), "NSYU" = :NSYU, "NYUCNT" = :NYUCNT, "NYURIYU" = :NYURIYU,
              "NYUBEFKEIKA" = :NYUBEFKEIKA, "NYUKEIKA" = :NYUKEIKA, "TAIJOUHO" = :TAIJOUHO, "TAIYAKU" = :TAIYAKU,
              "TAIHOU" = :TAIHOU, "SYUDR" = :SYUDR, "TANDR1" = :TANDR1, "TANDR2" = :TANDR2, "TANDR3" = :TANDR3,
              "WDR" = :WDR,
              "WFLG" = :WFLG, "WUSERID" = :WUSERID, "WDTM" = TO_TIMESTAMP(:WDTM,'YYYYMMDDHH24MISS'),
              "SFLG" = :SFLG, "SUSERID" = :SUSERID, "SDTM" = TO_TIMESTAMP(:SDTM,'YYYYMMDDHH24MISS'),
              "KFLG" = :KFLG, "KUSERID" = :KUSERID, "KDTM" = TO_TIMESTAMP(:KDTM,'YYYYMMDDHH24MISS'),
              "VERDTE" = TO_TIMESTAMP(:VERDTE,'YYYYMMDDHH24MISS'),
              "UPDDTM" = DATE_TRUNC('second',NOW()), "UPDUSERID" = :UPDUSERID
            WHERE "KNO" = :KNO AND "VERNO" = :VERNO AND "ACTKBN" = 1 AND "DELKBN" = 0
              AND "WFLG" = :OLDWFLG AND "SFLG" = :OLDSFLG AND "KFLG" = :OLDKFLG AND CAST("xmin" AS text) = :ROWVER)");
        bindBasics(ADOQ, cmbKA->currentData().toInt(), dtpNDTE->date(), dtpTDTE->checked(), dtpTDTE->date(),
                   cmbNSYU->currentIndex(), nedtNYUCNT->asInteger(), doctors);
        ADOQ->setText("NYURIYU", textutil::trimLeft(edtNYURIYU->text()), 128);
        // Every character the editor accepts (2000 per section) is stored.
        for (int i = 0; i < 5; ++i)
            ADOQ->setText(QString::fromLatin1(kSections[i].column), textutil::trimLeft(windowsText(memo(i))), 2000);
        ADOQ->setInt("WFLG", w.flag).setText("WUSERID", w.user, 24).setText("WDTM", stamp(w.time), 14);
        ADOQ->setInt("SFLG", s.flag).setText("SUSERID", s.user, 24).setText("SDTM", stamp(s.time), 14);
        ADOQ->setInt("KFLG", k.flag).setText("KUSERID", k.user, 24).setText("KDTM", stamp(k.time), 14);
        ADOQ->setText("VERDTE", stamp(verdte), 14);
        ADOQ->setText("UPDUSERID", userId, 24).setInt("KNO", FKNO).setInt("VERNO", FVERNO);
        ADOQ->setInt("OLDWFLG", FWFLG).setInt("OLDSFLG", FSFLG).setInt("OLDKFLG", FKFLG);
        ADOQ->setText("ROWVER", FROWVER, 0);
        ADOQ->execSqlExpect(1);
    });
    if (r == TWriteResult::Conflict)
        rereadAfterConflict();
    return r == TWriteResult::Done;
}

TWriteResult TFrmUpdTaiyou::write(const std::function<void(TConnection&)>& work)
{
    const TWriteResult r = runWrite(this, work);
    if (r == TWriteResult::Done)
        FCommitted = true;
    return r;
}

void TFrmUpdTaiyou::requireVersionAsLoaded(TConnection& conn)
{
    lockScope(conn, numbers::versionScope(FKNO, FVERNO));
    TQuery q(&conn);
    q.setSql(R"(SELECT "KNO" FROM "KLOV"."D_TAIYOU" WHERE "KNO" = :KNO AND "VERNO" = :VERNO
        AND "ACTKBN" = 1 AND "DELKBN" = 0 AND "WFLG" = :WFLG AND "SFLG" = :SFLG AND "KFLG" = :KFLG)");
    q.setInt("KNO", FKNO).setInt("VERNO", FVERNO);
    q.setInt("WFLG", FWFLG).setInt("SFLG", FSFLG).setInt("KFLG", FKFLG);
    q.open();
    if (q.eof())
        throw EConflictError(QStringLiteral("summary %1 version %2 is no longer as loaded").arg(FKNO).arg(FVERNO));
}

void TFrmUpdTaiyou::rereadAfterConflict()
{
    // What the user typed: a field that differs from what it showed when
    // loaded. A field left alone takes what the other workstation stored.
    QString typed[6];
    for (int i = 0; i < 5; ++i)
        typed[i] = memoText(memo(i));
    typed[5] = edtNYURIYU->text();
    const QString seen[6] = {FSnap.NYUBEFKEIKA, FSnap.NYUKEIKA, FSnap.TAIJOUHO,
                             FSnap.TAIYAKU,     FSnap.TAIHOU,   FSnap.NYURIYU};
    LoadSummary();
    takeSnapshot();
    const QString stored[6] = {FSnap.NYUBEFKEIKA, FSnap.NYUKEIKA, FSnap.TAIJOUHO,
                               FSnap.TAIYAKU,     FSnap.TAIHOU,   FSnap.NYURIYU};
    const bool editable = !memNYUBEFKEIKA->isReadOnly();
    bool lost = false;
    for (int i = 0; i < 6; ++i) {
        if (typed[i] == seen[i] || typed[i] == stored[i])
            continue;
        if (editable) {
            if (i < 5)
                memo(i)->setPlainText(typed[i]);
            else
                edtNYURIYU->setText(typed[i]);
        } else {
            FUnsaved[i] = typed[i];
            lost = true;
        }
    }
    if (editable)
        return;
    // Nothing more can be saved onto this version.
    timWrite->stop();
    if (lost)
        showUnsaved();
}

bool TFrmUpdTaiyou::hasUnsaved() const
{
    return std::any_of(FUnsaved.begin(), FUnsaved.end(), [](const QString& t) { return !t.isEmpty(); });
}

void TFrmUpdTaiyou::showUnsaved()
{
    bbtnUnsaved->setVisible(hasUnsaved());
    if (!hasUnsaved()) {
        if (frmUnsaved)
            frmUnsaved->close();
        return;
    }
    QList<TUnsavedText> texts;
    for (int i = 0; i < 6; ++i) {
        if (FUnsaved[i].isEmpty())
            continue;
        if (i < 5)
            texts.append({QString::fromLatin1(kSections[i].column), QString::fromUtf8(kSections[i].name), FUnsaved[i]});
        else
            texts.append({QStringLiteral("NYURIYU"), QStringLiteral("主訴または入院理由"), FUnsaved[i], true});
    }
    QString note = QStringLiteral("他の端末でこのサマリが変更されたため、次の入力は登録されていません。\n"
                                  "必要な部分をコピーしてお使いください。");
    if (!bbtnAftUpd->isHidden())
        note += QStringLiteral("\n「完成後修正」を押すと、新しいVersionの入力欄に入ります（登録するまで保存されません）。");
    if (!frmUnsaved)
        frmUnsaved = new TFrmDspUnsaved(this);
    frmUnsaved->setTexts(texts, note);
    frmUnsaved->show();
    frmUnsaved->raise();
}

void TFrmUpdTaiyou::bbtnUnsavedClick() { showUnsaved(); }

// The texts kept aside go into the fields of the version just made, as
// changes not yet registered.
void TFrmUpdTaiyou::carryUnsaved()
{
    if (!hasUnsaved() || memNYUBEFKEIKA->isReadOnly())
        return;
    for (int i = 0; i < 6; ++i) {
        if (FUnsaved[i].isEmpty())
            continue;
        if (i < 5)
            memo(i)->setPlainText(FUnsaved[i]);
        else
            edtNYURIYU->setText(FUnsaved[i]);
        FUnsaved[i].clear();
    }
    showUnsaved();
    msg::information(this, QStringLiteral("保存されなかった入力を新しいVersionに入れました。\r\n"
                                          "内容を確かめて「登録」してください。"));
}

bool TFrmUpdTaiyou::IsChanged() const
{
    if (spbWFLG->isChecked() != (FWFLG == 1) || spbSFLG->isChecked() != (FSFLG == 1)
        || spbKFLG->isChecked() != (FKFLG == 1))
        return true;
    if (dtpNDTE->date() != FSnap.NDTE)
        return true;
    if (dtpTDTE->checked() ? dtpTDTE->date() != FSnap.TDTE : FSnap.TDTE.isValid())
        return true;
    if (cmbKA->currentIndex() != FSnap.KAIDX || cmbSYUDR->currentIndex() != FSnap.SYUDRIDX
        || cmbTANDR1->currentIndex() != FSnap.TANDR1IDX || cmbTANDR2->currentIndex() != FSnap.TANDR2IDX
        || cmbTANDR3->currentIndex() != FSnap.TANDR3IDX || cmbWDR->currentIndex() != FSnap.WDRIDX
        || cmbNSYU->currentIndex() != FSnap.NSYUIDX)
        return true;
    if (nedtNYUCNT->asInteger() != FSnap.NYUCNT || edtNYURIYU->text() != FSnap.NYURIYU)
        return true;
    return memoText(memNYUBEFKEIKA) != FSnap.NYUBEFKEIKA || memoText(memNYUKEIKA) != FSnap.NYUKEIKA
        || memoText(memTAIJOUHO) != FSnap.TAIJOUHO || memoText(memTAIYAKU) != FSnap.TAIYAKU
        || memoText(memTAIHOU) != FSnap.TAIHOU;
}

void TFrmUpdTaiyou::bbtnUpdateClick()
{
    if (!CheckInput() || !UpdateSummary())
        return;
    timWrite->stop();
    deleteAutosave();
    accept();
}

void TFrmUpdTaiyou::bbtnFhirClick()
{
    if (FKNO == 0 || isNew()) {
        msg::warning(this, QStringLiteral("このサマリはまだ登録されていません。登録後にFHIR出力してください。"));
        return;
    }
    if (IsChanged()
        && !msg::question(this, QStringLiteral("変更された情報がありますが「登録」ボタンが押されていません。\r\n"
                                               "登録済みの内容を出力しますがよろしいですか？")))
        return;
    fhir::exportSummary(this, FKNO, FVERNO, FAskFhirFolder);
}

// ---------------------------------------------------------------- closing

// "閉じる", Escape and the window's close box all end here.
void TFrmUpdTaiyou::reject()
{
    if (IsChanged()) {
        if (!msg::question(this, QStringLiteral("変更された情報がありますが「登録」ボタンが押されていません。\r\n"
                                                "このままだと更新されずに終了しますがよろしいですか？")))
            return;
    } else if (hasUnsaved()
               && !msg::question(this, QStringLiteral("保存されなかった入力があります。\r\n"
                                                      "閉じると失われますがよろしいですか？"))) {
        return;
    }
    timWrite->stop();
    deleteAutosave();
    TFrmOBase::reject();
}

void TFrmUpdTaiyou::done(int r)
{
    timWrite->stop();
    if (frmUnsaved)
        frmUnsaved->close();
    TFrmOBase::done(r);
}

// ---------------------------------------------------------------- templates

void TFrmUpdTaiyou::bbtnSTplClick()
{
    if (!msg::question(this, QStringLiteral("入院までの経過に標準テンプレートを反映させますか？")))
        return;
    memNYUBEFKEIKA->setPlainText(kStandardTemplate + windowsText(memNYUBEFKEIKA));
    focusMemo(0);
}

void TFrmUpdTaiyou::bbtnKTplClick()
{
    TFrmMyTemple dlg(this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    InsertMyTemplate(dlg.FMTNO);
    focusMemo(0);
}

void TFrmUpdTaiyou::InsertMyTemplate(int mtno)
{
    try {
        ADOQ->setSql(R"(SELECT * FROM "KLOV"."M_MYTEMPLE" WHERE "USERID" = :USERID AND "MTNO" = :MTNO)");
        ADOQ->setText("USERID", G().user.userId, 24).setInt("MTNO", mtno);
        ADOQ->open();
        if (!ADOQ->eof())
            memNYUBEFKEIKA->setPlainText(ADOQ->field("MTNAIYO").asString() + QStringLiteral("\r\n")
                                         + windowsText(memNYUBEFKEIKA));
        ADOQ->close();
    } catch (const std::exception& e) {
        ADOQ->close();
        msg::warning(this, errorWarningText(e));
    }
}

// ---------------------------------------------------------------- copy and admission pick-up

void TFrmUpdTaiyou::bbtnCopyClick()
{
    TFrmSelOldCopy dlg(this);
    dlg.FID = nedtID->asInt64();
    dlg.FBKNO = FKNO;
    if (dlg.exec() != QDialog::Accepted)
        return;
    if (!msg::question(this, QStringLiteral("選択した情報を現在のサマリに複写しますか？\r\n"
                                            "※現在入力されている情報がある場合は上書きされます")))
        return;
    CopySections(dlg.FKNO, dlg.FVERNO, dlg.sections());
}

void TFrmUpdTaiyou::CopySections(int kno, int verno, const std::array<bool, 5>& sections)
{
    QString source[5];
    bool found = false;
    try {
        ADOQ->setSql(R"(SELECT * FROM "KLOV"."D_TAIYOU" WHERE "KNO" = :KNO AND "VERNO" = :VERNO)");
        ADOQ->setInt("KNO", kno).setInt("VERNO", verno);
        ADOQ->open();
        found = !ADOQ->eof();
        for (int i = 0; found && i < 5; ++i)
            source[i] = ADOQ->field(QString::fromLatin1(kSections[i].column)).asString();
        ADOQ->close();
    } catch (const std::exception& e) {
        ADOQ->close();
        msg::warning(this, errorWarningText(e));
        return;
    }
    if (!found) {
        msg::warning(this, QStringLiteral("複写元情報の取得に失敗しました。"));
        return;
    }
    for (int i = 0; i < 5; ++i)
        if (sections[i])
            memo(i)->setPlainText(source[i]);
}

void TFrmUpdTaiyou::bbtnSrcNyuClick()
{
    const qint64 id = nedtID->asInt64();
    if (id == 0) {
        msg::warning(this, QStringLiteral("患者ID未入力です。"));
        nedtID->setFocus();
        return;
    }
    TFrmSelNyu dlg(this);
    dlg.FID = id;
    if (dlg.exec() != QDialog::Accepted)
        return;
    // The calendar day as the sibling system stored it: the time of day is dropped.
    dtpNDTE->setDate(dlg.FNYUDTM.date());
    const QDate tdte = dlg.FTAIDTM.date();
    const bool discharged = tdte.isValid() && !rec::isAbsentDate(tdte);
    if (discharged)
        dtpTDTE->setDate(tdte);
    dtpTDTE->setChecked(discharged);
    // The admission names its department whether or not it has ended; one
    // this program does not offer leaves the choice as it was.
    const int ka = cmbKA->findData(dlg.FKACD);
    if (dlg.FKACD != 0 && ka >= 0)
        cmbKA->setCurrentIndex(ka);
    // The admission date was set without passing through its field.
    if (isNew())
        SetAdmissionCount();
}

// ---------------------------------------------------------------- autosave

void TFrmUpdTaiyou::startAutosave() { timWrite->start(); }

void TFrmUpdTaiyou::WriteThreadProc()
{
    taiyouAutosave::TTexts texts;
    for (int f = 0; f < 5; ++f)
        texts.sections[f] = memoText(memo(kFileSection[f]));
    texts.kno = FKNO;
    texts.verno = FVERNO;
    QString error;
    if (taiyouAutosave::writeAll(G().dataFolder, texts, &error)) {
        FAutosaveWarned = false;
        return;
    }
    // Say it once per run of failures; the next tick tries again.
    if (FAutosaveWarned)
        return;
    FAutosaveWarned = true;
    msg::warning(this, QStringLiteral("EFCreateError\r\n") + error);
}

void TFrmUpdTaiyou::restoreAutosave()
{
    for (int f = 0; f < 5; ++f) {
        // A missing file leaves its memo as loaded.
        if (const auto text = taiyouAutosave::readForMemo(G().dataFolder + taiyouAutosave::kSectionFiles[f]))
            memo(kFileSection[f])->setPlainText(*text);
    }
}

void TFrmUpdTaiyou::deleteAutosave() { taiyouAutosave::removeAll(G().dataFolder); }

// ---------------------------------------------------------------- opener

bool OpenTaiyouEditor(QWidget* parent, bool recov, int& kno, int& verno)
{
    TFrmUpdTaiyou frm(parent);
    frm.FRECOV = recov;
    frm.FKNO = kno;
    frm.FVERNO = verno;
    frm.setWindowState(frm.windowState() | Qt::WindowMaximized);
    const bool ok = frm.exec() == QDialog::Accepted;
    kno = frm.FKNO;
    verno = frm.FVERNO;
    return ok || frm.FCommitted;
}

void TFrmUpdTaiyou::bbtnSrcDrClick(int list)
{
    QString userId;
    if (!SearchDoctor(this, userId))
        return;
    const int at = FslDR.indexOf(userId);
    doctorList(list)->setCurrentIndex(at > 0 ? at : 0);
}
