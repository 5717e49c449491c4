#include "patient/FrmUpdKanopeU.h"

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
#include "patient/FrmSrcDrU.h"
#include "patient/FrmSrcOpeU.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

namespace {
// Messages when a stored doctor cannot be shown, and when a new date leaves
// a chosen doctor's validity; in selector order.
const char* const kStoredGone[4] = {
    "術者1が削除、又は有効期間が変更されたため設定できませんでした。",
    "術者2が削除、又は有効期間が変更されたため設定できませんでした。",
    "助手1が削除、又は有効期間が変更されたため設定できませんでした。",
    "助手2が削除、又は有効期間が変更されたため設定できませんでした。",
};
const char* const kDateOutside[4] = {
    "指定した実施日が術者1の有効期間から外れたため未設定となります。",
    "指定した実施日が術者2の有効期間から外れたため未設定となります。",
    "指定した実施日が助手1の有効期間から外れたため未設定となります。",
    "指定した実施日が助手2の有効期間から外れたため未設定となります。",
};
const char* const kStoredFields[4] = {"OPEDR1", "OPEDR2", "JYO1", "JYO2"};
} // namespace

TFrmUpdKanope::TFrmUpdKanope(QWidget* parent) : TFrmPatientRecordEdit(parent), FSearchDoctor(SearchDoctor)
{
    setObjectName(QStringLiteral("TFrmUpdKanope"));
    setWindowTitle(QStringLiteral("患者手術・処置登録"));
    QWidget* a = recordArea();
    QGridLayout* g = recordGrid();

    dtpOPEDTE = widgets::datePicker(a, QStringLiteral("dtpOPEDTE"), widgets::TDateStyle::Slash);
    g->addWidget(widgets::caption(a, QStringLiteral("実施日")), 0, 0);
    g->addWidget(dtpOPEDTE, 0, 1, Qt::AlignLeft);

    edtOPENM = new QLineEdit(a);
    edtOPENM->setObjectName(QStringLiteral("edtOPENM"));
    fieldText::setTypingLimit(edtOPENM, 50);
    edtOPENM->setMinimumWidth(420);
    sbSrcOpe = new QToolButton(a);
    sbSrcOpe->setObjectName(QStringLiteral("sbSrcOpe"));
    sbSrcOpe->setText(QStringLiteral("手術検索"));
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(edtOPENM, 1);
    nameRow->addWidget(sbSrcOpe);
    g->addWidget(widgets::caption(a, QStringLiteral("手術・処置名")), 1, 0);
    g->addLayout(nameRow, 1, 1);

    edtKCODE = new QLineEdit(a);
    edtKCODE->setObjectName(QStringLiteral("edtKCODE"));
    fieldText::setTypingLimit(edtKCODE, 12);
    edtKCODE->setFixedWidth(120);
    edtKCODE->setAttribute(Qt::WA_InputMethodEnabled, false);
    g->addWidget(widgets::caption(a, QStringLiteral("Kコード")), 2, 0);
    g->addWidget(edtKCODE, 2, 1, Qt::AlignLeft);

    auto selector = [a](const QString& name) {
        auto* c = new QComboBox(a);
        c->setObjectName(name);
        c->setMinimumWidth(180);
        return c;
    };
    auto searchButton = [a](const QString& name) {
        auto* b = new QPushButton(QStringLiteral("検索"), a);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    cmbOPEDR1 = selector(QStringLiteral("cmbOPEDR1"));
    cmbOPEDR2 = selector(QStringLiteral("cmbOPEDR2"));
    cmbJYO1 = selector(QStringLiteral("cmbJYO1"));
    cmbJYO2 = selector(QStringLiteral("cmbJYO2"));
    bbtnSrcDr1 = searchButton(QStringLiteral("bbtnSrcDr1"));
    bbtnSrcDr2 = searchButton(QStringLiteral("bbtnSrcDr2"));
    BitBtn1 = searchButton(QStringLiteral("BitBtn1"));
    BitBtn2 = searchButton(QStringLiteral("BitBtn2"));
    const std::array<const char*, 4> titles = {"術者１", "術者２", "助手１", "助手２"};
    const std::array<QPushButton*, 4> buttons = {bbtnSrcDr1, bbtnSrcDr2, BitBtn1, BitBtn2};
    const auto cmbs = doctorSelectors();
    for (int i = 0; i < 4; ++i) {
        auto* row = new QHBoxLayout;
        row->addWidget(cmbs[i]);
        row->addWidget(buttons[i]);
        row->addStretch();
        g->addWidget(widgets::caption(a, QString::fromUtf8(titles[i])), 3 + i, 0);
        g->addLayout(row, 3 + i, 1);
        QComboBox* cmb = cmbs[i];
        connect(buttons[i], &QPushButton::clicked, this, [this, cmb] { srcDoctorClick(cmb); });
    }

    memCOMM = new QPlainTextEdit(a);
    memCOMM->setObjectName(QStringLiteral("memCOMM"));
    memCOMM->setFixedHeight(70);
    g->addWidget(widgets::caption(a, QStringLiteral("コメント")), 7, 0, Qt::AlignTop | Qt::AlignRight);
    g->addWidget(memCOMM, 7, 1);
    g->setColumnStretch(1, 1);
    g->setRowStretch(8, 1);

    connect(sbSrcOpe, &QToolButton::clicked, this, &TFrmUpdKanope::sbSrcOpeClick);
    dtpOPEDTE->installEventFilter(this);
    // A date chosen in the calendar runs what leaving a typed date runs.
    connect(dtpOPEDTE->calendarWidget(), &QCalendarWidget::clicked, this, &TFrmUpdKanope::dtpOPEDTEExit,
            Qt::QueuedConnection);
    connect(dtpOPEDTE->calendarWidget(), &QCalendarWidget::activated, this, &TFrmUpdKanope::dtpOPEDTEExit,
            Qt::QueuedConnection);
    resize(820, 480);
}

bool TFrmUpdKanope::eventFilter(QObject* watched, QEvent* event)
{
    // The calendar popup taking and giving back the focus is no leaving or
    // entering of the field.
    const bool focus = event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut;
    if (watched == dtpOPEDTE && focus && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        if (event->type() == QEvent::FocusIn)
            dtpOPEDTEEnter();
        else
            dtpOPEDTEExit();
    }
    return TFrmPatientRecordEdit::eventFilter(watched, event);
}

QString TFrmUpdKanope::chosenDoctor(const QComboBox* cmb) const
{
    const int i = cmb->currentIndex();
    return i >= 0 && i < FslDR.size() ? FslDR.at(i) : QString();
}

bool TFrmUpdKanope::selectDoctor(QComboBox* cmb, const QString& userId)
{
    const int i = userId.isEmpty() ? 0 : FslDR.indexOf(userId);
    cmb->setCurrentIndex(i > 0 ? i : 0);
    return userId.isEmpty() || i > 0;
}

void TFrmUpdKanope::buildDoctorList(const QDate& date)
{
    TQuery q(&dm().ADOCPOST);
    q.setSql(R"(SELECT * FROM "KLOV"."M_USER" WHERE "JTYP" = 0
                AND :DTE BETWEEN TO_CHAR("YSTRDTE",'YYYYMMDD') AND TO_CHAR("YENDDTE",'YYYYMMDD'))");
    q.setText(QStringLiteral("DTE"), rec::yyyymmdd(date), 8);
    q.open();
    FslDR = {QString()};
    QStringList names{QString()};
    for (; !q.eof(); q.next()) {
        FslDR << q.field(QStringLiteral("USERID")).asString();
        names << q.field(QStringLiteral("USERNM")).asString();
    }
    for (QComboBox* cmb : doctorSelectors()) {
        cmb->clear();
        cmb->addItems(names);
        cmb->setCurrentIndex(0);
    }
}

bool TFrmUpdKanope::loadRecord()
{
    TQuery q(&dm().ADOCPOST);
    q.setSql(R"(SELECT * FROM "KLOV"."D_KANOPE" D WHERE D."ID" = :ID AND D."ONO" = :ONO AND D."DELKBN" = 0)");
    q.setInt64(QStringLiteral("ID"), FID).setInt(QStringLiteral("ONO"), FONO);
    q.open();
    if (q.eof()) {
        const QDate today = CommonU::GetServerTime().date();
        dtpOPEDTE->setDate(today);
        edtOPENM->clear();
        edtKCODE->clear();
        memCOMM->clear();
        buildDoctorList(today);
    } else {
        const QDate date = q.field(QStringLiteral("OPEDTE")).asDate();
        dtpOPEDTE->setDate(date);
        fieldText::showStored(edtOPENM, q.field(QStringLiteral("OPENM")).asString());
        fieldText::showStored(edtKCODE, q.field(QStringLiteral("KCODE")).asString());
        memCOMM->setPlainText(q.field(QStringLiteral("COMM")).asString());
        buildDoctorList(date);
        const auto cmbs = doctorSelectors();
        for (int i = 0; i < 4; ++i) {
            const QString stored = q.field(QLatin1String(kStoredFields[i])).asString();
            if (!stored.isEmpty() && !selectDoctor(cmbs[i], stored))
                msg::warning(this, QString::fromUtf8(kStoredGone[i]));
        }
    }
    FEnterDate = dtpOPEDTE->date();
    dtpOPEDTE->setFocus();
    return !q.eof();
}

void TFrmUpdKanope::dtpOPEDTEEnter() { FEnterDate = dtpOPEDTE->date(); }

void TFrmUpdKanope::dtpOPEDTEExit()
{
    const QDate date = dtpOPEDTE->date();
    if (date == FEnterDate)
        return;
    FEnterDate = date;
    const auto cmbs = doctorSelectors();
    std::array<QString, 4> chosen;
    for (int i = 0; i < 4; ++i)
        chosen[i] = chosenDoctor(cmbs[i]);
    try {
        buildDoctorList(date);
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return;
    }
    for (int i = 0; i < 4; ++i)
        if (!selectDoctor(cmbs[i], chosen[i]))
            msg::warning(this, QString::fromUtf8(kDateOutside[i]));
}

void TFrmUpdKanope::sbSrcOpeClick()
{
    TFrmSrcOpe dlg(this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    fieldText::showStored(edtOPENM, dlg.FstrSNM);
    fieldText::showStored(edtKCODE, dlg.FstrKCODE);
}

void TFrmUpdKanope::srcDoctorClick(QComboBox* cmb)
{
    QString userId;
    if (FSearchDoctor && FSearchDoctor(this, userId))
        selectDoctor(cmb, userId);   // not valid on the date: left empty, silently
}

void TFrmUpdKanope::commitPendingInput()
{
    // A date typed but not yet left still rebuilds the doctor list first.
    dtpOPEDTEExit();
}

bool TFrmUpdKanope::isChanged()
{
    TQuery q(&dm().ADOCPOST);
    q.setSql(R"(SELECT * FROM "KLOV"."D_KANOPE" WHERE "ID" = :ID AND "ONO" = :ONO AND "RNO" = :RNO
                         AND "DELKBN" = 0)");
    q.setInt64(QStringLiteral("ID"), FID).setInt(QStringLiteral("ONO"), FONO).setInt(QStringLiteral("RNO"), FRNO);
    q.open();
    if (q.eof())
        return true;
    const auto s = [&q](const char* f) { return q.field(QLatin1String(f)).asString(); };
    if (dtpOPEDTE->date() != q.field(QStringLiteral("OPEDTE")).asDate())
        return true;
    if (edtKCODE->text() != s("KCODE") || edtOPENM->text() != s("OPENM"))
        return true;
    const auto cmbs = doctorSelectors();
    for (int i = 0; i < 4; ++i)
        if (chosenDoctor(cmbs[i]) != s(kStoredFields[i]))
            return true;
    return memCOMM->toPlainText() != s("COMM");
}

bool TFrmUpdKanope::validate()
{
    if (textutil::trimLeft(edtOPENM->text()).isEmpty()) {
        msg::warning(this, QStringLiteral("手術・処置名未入力です。"));
        edtOPENM->setFocus();
        return false;
    }
    if (chosenDoctor(cmbOPEDR1).isEmpty()
        && !msg::question(this, QStringLiteral("術者1が選択されていませんがよろしいですか？"))) {
        cmbOPEDR1->setFocus();
        return false;
    }
    return true;
}

void TFrmUpdKanope::saveRows(TConnection& conn)
{
    const QString user = G().user.userId;
    if (FONO > 0) {
        retireRow(conn, THistoryTable::Kanope, FID, FONO, FRNO, user);
        FNewONO = FONO;
        FNewRNO = numbers::nextKanopeRno(conn, FID, FONO);
    } else {
        // Numbers count over every row of the patient, history included,
        // so a number is never given twice.
        FNewONO = numbers::nextKanopeOno(conn, FID);
        FNewRNO = 1;
    }

    TQuery ins(&conn);
    ins.setSql(R"(INSERT INTO "KLOV"."D_KANOPE" ("ID", "ONO", "RNO", "OPEDTE", "OPENM", "KCODE", "OPEDR1", "OPEDR2",
                  "JYO1", "JYO2", "COMM", "DELKBN", "INSDTM", "INSUSERID")
                  VALUES (:ID, :ONO, :RNO, TO_TIMESTAMP(:OPEDTE,'YYYYMMDD'), :OPENM, :KCODE, :OPEDR1, :OPEDR2,
                  :JYO1, :JYO2, :COMM, 0, DATE_TRUNC('second',NOW()), :UPDUSERID))");
    ins.setInt64(QStringLiteral("ID"), FID).setInt(QStringLiteral("ONO"), FNewONO).setInt(QStringLiteral("RNO"), FNewRNO);
    ins.setText(QStringLiteral("OPEDTE"), rec::yyyymmdd(dtpOPEDTE->date()), 8);
    ins.setText(QStringLiteral("OPENM"), textutil::trimLeft(edtOPENM->text()), 200);
    ins.setText(QStringLiteral("KCODE"), edtKCODE->text().trimmed(), 12);
    const auto cmbs = doctorSelectors();
    for (int i = 0; i < 4; ++i)
        ins.setText(QLatin1String(kStoredFields[i]), chosenDoctor(cmbs[i]), 24);
    ins.setText(QStringLiteral("COMM"), textutil::trimLeft(memCOMM->toPlainText()), 200);
    ins.setText(QStringLiteral("UPDUSERID"), user, 24);
    ins.execSql();
}

void TFrmUpdKanope::commitNumbers()
{
    FONO = FNewONO;
    FRNO = FNewRNO;
}
