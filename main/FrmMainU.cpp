#include "main/FrmMainU.h"

#include "admin/FrmBackUpU.h"
#include "admin/FrmMntMenuU.h"
#include "admin/FrmRestoreU.h"
#include "app/CommonU.h"
#include "app/FrmLoginU.h"
#include "app/FrmVerU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "app/WriteRunner.h"
#include "db/Numbers.h"
#include "app/LongOperation.h"
#include "app/WaitCursor.h"
#include "controls/DBGrid.h"
#include "controls/NumberEdit.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "db/Records.h"
#include "export/FrmOutCsvAleU.h"
#include "export/FrmOutCsvDevU.h"
#include "export/FrmOutCsvU.h"
#include "export/FhirExport.h"
#include "main/PrtTaiyouU.h"
#include "messages/FrmMailMainU.h"
#include "patient/FrmSrcKanjaU.h"
#include "patient/PatientHeader.h"
#include "summary/FrmDlgTyPrnSetU.h"
#include "summary/FrmUpdTaiyouU.h"
#include "summary/TaiyouRows.h"

#include <QAction>
#include <algorithm>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {
// The files the summary editor leaves while a summary is being typed.
const char* const kAutosaveFiles[] = {"NYUBEFKEIKA.txt", "NYUKEIKA.txt", "TAIHOU.txt",
                                      "TAIJOUHO.txt",    "TAIYAKU.txt",  "KNO.txt"};
} // namespace

TFrmMain::TFrmMain(QWidget* parent) : TFrmOBase(parent)
{
    setObjectName(QStringLiteral("TFrmMain"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    ADOQ = new TQuery(nullptr, this);
    ADOQ->setObjectName(QStringLiteral("ADOQ"));
    ADOQMail = new TQuery(nullptr, this);
    ADOQMail->setObjectName(QStringLiteral("ADOQMail"));
    ADOQMei = new TQuery(nullptr, this);
    ADOQMei->setObjectName(QStringLiteral("ADOQMei"));
    openSummaryEditor = [this](bool recov, int& kno, int& verno) { return OpenTaiyouEditor(this, recov, kno, verno); };
    buildMenu();

    auto* body = new QVBoxLayout(this->body());
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    buildFilterPanel(body);
    buildGrid(body);
    buildButtons(body);

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(30000);
    connect(Timer2, &QTimer::timeout, this, &TFrmMain::UpdateMailCount);
    resize(1280, 800);
}

TFrmMain::~TFrmMain() = default;

QString TFrmMain::summaryKey(int kno, int verno)
{
    return QStringLiteral("%1%2").arg(kno, 7, 10, QLatin1Char('0')).arg(verno, 3, 10, QLatin1Char('0'));
}

void TFrmMain::buildMenu()
{
    mnuMain = new QMenuBar(this);
    mnuMain->setObjectName(QStringLiteral("mnuMain"));
    layout()->setMenuBar(mnuMain);
    auto item = [](QMenu* menu, const char* name, const QString& text) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    QMenu* setting = mnuMain->addMenu(QStringLiteral("設定"));
    N2 = item(setting, "N2", QStringLiteral("マスタメンテナンス"));
    QARNLink = item(setting, "QARNLink", QStringLiteral("QARN患者連携"));
    QARNLink->setCheckable(true);
    QARNLink->setVisible(false);
    QMenu* output = mnuMain->addMenu(QStringLiteral("出力"));
    CSV1 = item(output, "CSV1", QStringLiteral("退院サマリCSV出力"));
    CSV2 = item(output, "CSV2", QStringLiteral("患者アレルギー情報CSV出力"));
    CSV3 = item(output, "CSV3", QStringLiteral("患者デバイス情報CSV出力"));
    QMenu* database = mnuMain->addMenu(QStringLiteral("データベース"));
    mmnBack = item(database, "mmnBack", QStringLiteral("データベース退避"));
    mmnRestor = item(database, "mmnRestor", QStringLiteral("データベース復元"));
    QMenu* help = mnuMain->addMenu(QStringLiteral("ヘルプ"));
    N6 = item(help, "N6", QStringLiteral("ヘルプを開く"));
    N6->setShortcut(QKeySequence(Qt::Key_F1));
    addAction(N6);
    help->addSeparator();
    N8 = item(help, "N8", QStringLiteral("バージョン情報"));

    connect(N2, &QAction::triggered, this, [this] { OpenMntMenu(this); });
    connect(CSV1, &QAction::triggered, this, [this] { TFrmOutCsv(this).exec(); });
    connect(CSV2, &QAction::triggered, this, [this] { TFrmOutCsvAle(this).exec(); });
    connect(CSV3, &QAction::triggered, this, [this] { TFrmOutCsvDev(this).exec(); });
    // A restore holds every table until it ends: the message counters, read
    // on this window's thread, would wait for it and take 中止 with them.
    // They pause while the backup or restore form is open.
    auto pgTool = [this](TFrmPgTool&& form) {
        const bool counting = Timer2->isActive();
        Timer2->stop();
        form.exec();
        if (counting) {
            Timer2->start();
            UpdateMailCount();
        }
    };
    connect(mmnBack, &QAction::triggered, this, [this, pgTool] { pgTool(TFrmBackUp(this)); });
    // What the list showed may be gone after a restore: it runs again as last built.
    connect(mmnRestor, &QAction::triggered, this, [this, pgTool] {
        pgTool(TFrmRestore(this));
        RequeryList();
    });
    connect(QARNLink, &QAction::triggered, this, &TFrmMain::QARNLinkClick);
    connect(N6, &QAction::triggered, this, &TFrmMain::N6Click);
    connect(N8, &QAction::triggered, this, &TFrmMain::N8Click);
}

void TFrmMain::buildFilterPanel(QVBoxLayout* body)
{
    auto* panel = new QWidget(this->body());
    panel->setObjectName(QStringLiteral("pnlFilter"));
    theme::setBackground(panel, theme::kCream);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);

    nedtID = newPatientIdEdit(panel);
    nedtID->setFixedWidth(100);
    bbtnIdSrc = widgets::button(panel, "bbtnIdSrc", QStringLiteral("検索"));
    edtByonm = new QLineEdit(panel);
    edtByonm->setObjectName(QStringLiteral("edtByonm"));
    edtByonm->setInputMethodHints(Qt::ImhPreferLowercase);
    edtICD10 = new QLineEdit(panel);
    edtICD10->setObjectName(QStringLiteral("edtICD10"));
    edtICD10->setAttribute(Qt::WA_InputMethodEnabled, false);
    edtICD10->setFixedWidth(80);
    cbOnlySyu = new QCheckBox(QStringLiteral("主病名のみ対象"), panel);
    cbOnlySyu->setObjectName(QStringLiteral("cbOnlySyu"));
    cmbKA = new QComboBox(panel);
    cmbKA->setObjectName(QStringLiteral("cmbKA"));
    dtpNdteF = widgets::datePicker(panel, "dtpNdteF", widgets::TDateStyle::Kanji, QDate(2000, 1, 1));
    dtpNdteT = widgets::datePicker(panel, "dtpNdteT", widgets::TDateStyle::Kanji, QDate(2099, 12, 31));
    dtpTdteF = widgets::datePicker(panel, "dtpTdteF", widgets::TDateStyle::Kanji, QDate(2000, 1, 1));
    dtpTdteT = widgets::datePicker(panel, "dtpTdteT", widgets::TDateStyle::Kanji, QDate(2099, 12, 31));
    cmbSYUDR = new QComboBox(panel);
    cmbSYUDR->setObjectName(QStringLiteral("cmbSYUDR"));
    cmbTANDR = new QComboBox(panel);
    cmbTANDR->setObjectName(QStringLiteral("cmbTANDR"));
    cmbSts = new QComboBox(panel);
    cmbSts->setObjectName(QStringLiteral("cmbSts"));
    cmbSts->addItems({QStringLiteral("全て"), QStringLiteral("記載完了前"), QStringLiteral("承認前"),
                      QStringLiteral("完成確認前"), QStringLiteral("完成確認済")});
    cb14Over = new QCheckBox(QStringLiteral("退院後14日超過のみ対象"), panel);
    cb14Over->setObjectName(QStringLiteral("cb14Over"));
    cbDispDel = new QCheckBox(QStringLiteral("削除済/旧Versionも表示"), panel);
    cbDispDel->setObjectName(QStringLiteral("cbDispDel"));
    bbtnFilter = widgets::button(panel, "bbtnFilter", QStringLiteral("　抽出"));
    bbtnFilter->setMinimumHeight(40);
    bbtnMail = widgets::button(panel, "bbtnMail", QStringLiteral("メッセージ"));
    lblNoRead = widgets::label(panel, QStringLiteral("0"), "lblNoRead");
    lblSIKYU = widgets::label(panel, QStringLiteral("0"), "lblSIKYU");
    for (QLabel* l : {lblNoRead, lblSIKYU}) {
        l->setMinimumWidth(28);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    lblSIKYU->setStyleSheet(QStringLiteral("color: red;"));
    lblUserNm = widgets::label(panel, QString(), "lblUserNm");
    lblJTyp = widgets::label(panel, QString(), "lblJTyp");
    lblKENSU = widgets::label(panel, QStringLiteral("0"), "lblKENSU");
    lblKENSU->setMinimumWidth(60);
    lblKENSU->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto row = [panel](std::initializer_list<QWidget*> widgets) {
        auto* w = new QWidget(panel);
        auto* h = new QHBoxLayout(w);
        h->setContentsMargins(0, 0, 0, 0);
        h->setSpacing(4);
        for (QWidget* x : widgets)
            h->addWidget(x);
        h->addStretch();
        return w;
    };
    grid->addWidget(widgets::label(panel, QStringLiteral("患者ID")), 0, 0);
    grid->addWidget(row({nedtID, bbtnIdSrc}), 0, 1);
    grid->addWidget(widgets::label(panel, QStringLiteral("病名")), 0, 2);
    grid->addWidget(row({edtByonm, widgets::label(panel, QStringLiteral("ICD10")), edtICD10, cbOnlySyu}), 0, 3);
    grid->addWidget(widgets::label(panel, QStringLiteral("診療科")), 1, 0);
    grid->addWidget(cmbKA, 1, 1);
    grid->addWidget(widgets::label(panel, QStringLiteral("入院日")), 1, 2);
    grid->addWidget(row({dtpNdteF, widgets::label(panel, QStringLiteral("～")), dtpNdteT}), 1, 3);
    grid->addWidget(widgets::label(panel, QStringLiteral("主治医")), 2, 0);
    grid->addWidget(cmbSYUDR, 2, 1);
    grid->addWidget(widgets::label(panel, QStringLiteral("退院日")), 2, 2);
    grid->addWidget(row({dtpTdteF, widgets::label(panel, QStringLiteral("～")), dtpTdteT}), 2, 3);
    grid->addWidget(widgets::label(panel, QStringLiteral("担当医")), 3, 0);
    grid->addWidget(cmbTANDR, 3, 1);
    grid->addWidget(widgets::label(panel, QStringLiteral("進捗")), 3, 2);
    grid->addWidget(row({cmbSts, cb14Over, cbDispDel}), 3, 3);
    grid->addWidget(bbtnFilter, 0, 4, 2, 1);
    auto* mail = row({bbtnMail, widgets::label(panel, QStringLiteral("未読")), lblNoRead, widgets::label(panel, QStringLiteral("件")),
                      widgets::label(panel, QStringLiteral("至急")), lblSIKYU, widgets::label(panel, QStringLiteral("件"))});
    grid->addWidget(mail, 0, 5);
    grid->addWidget(row({widgets::label(panel, QStringLiteral("利用者")), lblUserNm, lblJTyp}), 1, 5);
    grid->addWidget(row({widgets::label(panel, QStringLiteral("件数")), lblKENSU}), 3, 5);
    grid->setColumnStretch(3, 1);
    body->addWidget(panel);

    connect(bbtnFilter, &QPushButton::clicked, this, &TFrmMain::bbtnFilterClick);
    connect(bbtnIdSrc, &QPushButton::clicked, this, &TFrmMain::bbtnIdSrcClick);
    connect(bbtnMail, &QPushButton::clicked, this, &TFrmMain::bbtnMailClick);
}

void TFrmMain::buildGrid(QVBoxLayout* body)
{
    dbgMei = new TDBGrid(this->body());
    dbgMei->setObjectName(QStringLiteral("dbgMei"));
    QFont f(theme::kGothic);
    f.setPixelSize(15);
    dbgMei->setFont(f);
    dbgMei->setQuery(ADOQMei);
    const auto R = Qt::AlignRight, C = Qt::AlignHCenter;
    // A ten-digit patient number shows whole at the list's font.
    const int idWidth = std::max(90, QFontMetrics(f).horizontalAdvance(QStringLiteral("9999999999")) + 12);
    dbgMei->setColumns({TGridColumn::fixed(QStringLiteral("№"), QStringLiteral("KNO"), 50, R),
                        TGridColumn::fixed(QStringLiteral("Ver"), QStringLiteral("VERNO"), 32, R),
                        TGridColumn::fixed(QStringLiteral("患者ID"), QStringLiteral("ID"), idWidth),
                        TGridColumn::fixed(QStringLiteral("氏名"), QStringLiteral("KNJNAME"), 180),
                        TGridColumn::fixed(QStringLiteral("かな"), QStringLiteral("KNJKANA"), 100),
                        TGridColumn::fixed(QStringLiteral("入院日"), QStringLiteral("NDTE"), 100),
                        TGridColumn::fixed(QStringLiteral("退院日"), QStringLiteral("TDTEN"), 100),
                        TGridColumn::fixed(QStringLiteral("退院後日数"), QStringLiteral("TAFT"), 64, R),
                        TGridColumn::fixed(QStringLiteral("診療科"), QStringLiteral("KANM"), 80),
                        TGridColumn::fixed(QStringLiteral("入院種別"), QStringLiteral("NSYUNM"), 70),
                        TGridColumn::rest(QStringLiteral("主訴・入院理由"), QStringLiteral("NYURIYU"), 100),
                        TGridColumn::fixed(QStringLiteral("主治医"), QStringLiteral("SYUDRNM"), 160),
                        TGridColumn::fixed(QStringLiteral("記載"), QStringLiteral("WMK"), 32, C),
                        TGridColumn::fixed(QStringLiteral("承認"), QStringLiteral("SMK"), 32, C),
                        TGridColumn::fixed(QStringLiteral("完了"), QStringLiteral("KMK"), 32, C)},
                       46);
    dbgMei->setRowColors(taiyouRowColors);
    body->addWidget(dbgMei, 1);
    connect(dbgMei, &TDBGrid::recordDoubleClicked, this, [this] { bbtnUpdate->click(); });
}

void TFrmMain::buildButtons(QVBoxLayout* body)
{
    auto* panel = new QWidget(this->body());
    panel->setObjectName(QStringLiteral("pnlButton"));
    auto* h = new QHBoxLayout(panel);
    h->setContentsMargins(6, 4, 6, 4);
    bbtnClose = widgets::button(panel, "bbtnClose", QStringLiteral("閉じる"));
    bbtnInsert = widgets::button(panel, "bbtnInsert", QStringLiteral("　登　録"));
    bbtnUpdate = widgets::button(panel, "bbtnUpdate", QStringLiteral("　修　正"));
    bbtnDelete = widgets::button(panel, "bbtnDelete", QStringLiteral("　削　除"));
    bbtnPrint = widgets::button(panel, "bbtnPrint", QStringLiteral("　印　刷"));
    bbtnFhir = widgets::button(panel, "bbtnFhir", QStringLiteral("FHIR出力"),
                               QStringLiteral("選択したサマリをFHIR形式（退院時サマリー）のファイルに出力します。"));
    for (QPushButton* b : {bbtnClose, bbtnInsert, bbtnUpdate, bbtnDelete, bbtnPrint, bbtnFhir})
        b->setMinimumSize(100, 34);
    h->addWidget(bbtnClose);
    h->addStretch();
    h->addWidget(bbtnInsert);
    h->addWidget(bbtnUpdate);
    h->addWidget(bbtnDelete);
    h->addWidget(bbtnPrint);
    h->addWidget(bbtnFhir);
    body->addWidget(panel);

    connect(bbtnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(bbtnDelete, &QPushButton::clicked, this, &TFrmMain::bbtnDeleteClick);
    connect(bbtnPrint, &QPushButton::clicked, this, &TFrmMain::bbtnPrintClick);
    connect(bbtnFhir, &QPushButton::clicked, this, &TFrmMain::bbtnFhirClick);
    connect(bbtnInsert, &QPushButton::clicked, this, [this] {
        if (!openSummaryEditor)
            return;
        int kno = 0, verno = 1;
        openSummaryEditor(false, kno, verno);
        if (kno > 0)
            RequeryList(summaryKey(kno, verno));
    });
    connect(bbtnUpdate, &QPushButton::clicked, this, [this] {
        if (!openSummaryEditor || !ADOQMei->active() || ADOQMei->isEmpty())
            return;
        int kno = ADOQMei->field(QStringLiteral("KNO")).asInteger();
        int verno = ADOQMei->field(QStringLiteral("VERNO")).asInteger();
        if (openSummaryEditor(false, kno, verno))
            RequeryList(summaryKey(kno, verno));
    });
}

void TFrmMain::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (!FFirstShown) {
        FFirstShown = true;
        QTimer::singleShot(0, this, &TFrmMain::FormFirstShow);
    }
}

bool TFrmMain::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate && FLoggedIn)
        QTimer::singleShot(0, this, &TFrmMain::CheckAutosave);
    return TFrmOBase::event(e);
}

void TFrmMain::FormFirstShow()
{
    dbgMei->resetSort();
    ADOQ->setConnection(&dm().ADOCPOST);
    ADOQMei->setConnection(&dm().ADOCPOST);
    ADOQMail->setConnection(&dm().ADOCPOST);
    {
        TFrmLogin login(this);
        if (login.exec() != QDialog::Accepted) {
            close();
            return;
        }
    }
    lblUserNm->setText(G().user.userName);
    lblJTyp->setText(G().user.jobType == 0   ? QStringLiteral("医師")
                     : G().user.jobType == 1 ? QStringLiteral("ＤＣ")
                                             : QStringLiteral("その他"));
    Timer1Timer();
    Timer2->start();
    mmnBack->setEnabled(G().user.MNTFLG);
    mmnRestor->setEnabled(G().user.MNTFLG);

    ADOQMail->setSql(R"(SELECT COUNT(*) AS "CNT", SUM(CASE WHEN "LBLKBN" = 1 THEN 1 ELSE 0 END) AS "SIKYU"
                        FROM "KLOV"."D_MESS" WHERE "RUSERID" = :USERID AND "RDELFLG" = 0 AND "KFLG" = 0)");
    ADOQMail->setText("USERID", G().user.userId, 24);
    UpdateMailCount();

    ADOQ->setSql(R"(SELECT * FROM information_schema.tables WHERE table_schema = 'QARN' AND table_name = 'M_KANJA')");
    ADOQ->open();
    G().qarnPresent = !ADOQ->eof();
    ADOQ->close();
    G().qarnLink = false;
    if (G().qarnPresent) {
        ADOQ->setSql(R"(SELECT * FROM "KLOV"."M_SYSTEM" WHERE "CODE" = 10)");
        ADOQ->open();
        G().qarnLink = !ADOQ->eof() && ADOQ->field("NUM1").asInteger() == 1;
        ADOQ->close();
    }
    QARNLink->setVisible(G().qarnPresent);
    QARNLink->setChecked(G().qarnLink);

    loadSelectionLists();
    bbtnFilterClick();
    dbgMei->resetSort();
    nedtID->setFocus();
    FLoggedIn = true;
    CheckAutosave();
}

void TFrmMain::loadSelectionLists()
{
    cmbKA->clear();
    cmbKA->addItem(QStringLiteral("全て"), 0);
    widgets::addDepartments(cmbKA, *ADOQ, true);
    cmbKA->setCurrentIndex(0);

    FslDR = {QString()};
    cmbSYUDR->clear();
    cmbSYUDR->addItem(QStringLiteral("全て"));
    ADOQ->setSql(R"(SELECT * FROM "KLOV"."M_USER" WHERE "JTYP" = 0 ORDER BY "USERID")");
    for (ADOQ->open(); !ADOQ->eof(); ADOQ->next()) {
        FslDR << ADOQ->field("USERID").asString();
        cmbSYUDR->addItem(ADOQ->field("USERNM").asString());
    }
    ADOQ->close();
    cmbTANDR->clear();
    for (int i = 0; i < cmbSYUDR->count(); ++i)
        cmbTANDR->addItem(cmbSYUDR->itemText(i));
    cmbSYUDR->setCurrentIndex(0);
    cmbTANDR->setCurrentIndex(0);
    cmbSts->setCurrentIndex(0);
}

void TFrmMain::bbtnFilterClick()
{
    TWaitCursor wait;
    const QString byonm = edtByonm->text().trimmed();
    const QString icd10 = edtICD10->text().trimmed();
    const bool diseaseFilter = !byonm.isEmpty() || !icd10.isEmpty();

    // Only what the list, its colours and its commands use: the narratives
    // stay on the server until the editor or the print reads its one row.
    // The date conditions are ranges on the columns themselves, so the
    // planner can estimate them and use the indexes.
    QString sql = QStringLiteral(R"(SELECT D."KNO", D."VERNO", D."ID", D."NDTE", D."TDTE", D."KACD", D."NYURIYU", D."SYUDR",
  D."ACTKBN", D."DELKBN", D."WFLG", D."SFLG", D."KFLG",
  Z."KNJNAME", Z."KNJKANA", K."KANM", SD."USERNM" AS "SYUDRNM",
  %1,
  (CASE WHEN TO_CHAR(D."TDTE",'YYYY') = '1899' THEN NULL ELSE CAST(NOW() AS DATE) - CAST(D."TDTE" AS DATE) END) AS "TAFT"
FROM "KLOV"."D_TAIYOU" D
  LEFT JOIN "KLOV"."M_KA" K ON D."KACD" = K."KACD"
  LEFT JOIN "KLOV"."M_KANJA" Z ON D."ID" = Z."ID" AND Z."DELKBN" = 0 AND Z."ACTKBN" = 1
  LEFT JOIN "KLOV"."M_USER" SD ON D."SYUDR" = SD."USERID"
WHERE D."ID" > 0
)")
                      .arg(rec::sqlSummaryMarks(QStringLiteral("D")));
    const int kacd = cmbKA->currentData().toInt();
    if (cmbKA->currentIndex() > 0)
        sql += QStringLiteral(R"(  AND D."KACD" = :KACD
)");
    if (!cbDispDel->isChecked())
        sql += QStringLiteral(R"(  AND D."DELKBN" = 0 AND D."ACTKBN" = 1
)");
    const qint64 id = nedtID->asInt64();
    if (id > 0)
        sql += QStringLiteral(R"(  AND D."ID" = :ID
)");
    sql += QStringLiteral("  AND ") + rec::sqlSummaryDateRanges(QStringLiteral("D")) + QLatin1Char('\n');
    const int syudr = cmbSYUDR->currentIndex();
    if (syudr > 0)
        sql += QStringLiteral(R"(  AND D."SYUDR" = :SYUDR
)");
    const int tandr = cmbTANDR->currentIndex();
    if (tandr > 0)
        sql += QStringLiteral(R"(  AND ((D."TANDR1" = :TANDR1) OR (D."TANDR2" = :TANDR2) OR (D."TANDR3" = :TANDR3))
)");
    switch (cmbSts->currentIndex()) {
    case 1: sql += QStringLiteral("  AND D.\"WFLG\" = 0\n"); break;
    case 2: sql += QStringLiteral("  AND D.\"SFLG\" = 0\n"); break;
    case 3: sql += QStringLiteral("  AND D.\"KFLG\" = 0\n"); break;
    case 4: sql += QStringLiteral("  AND D.\"KFLG\" = 1\n"); break;
    default: break;
    }
    // A version is listed once however many of its diagnoses match. The
    // typed texts are bound; their own % and _ still act as wildcards, and a
    // backslash is just a character.
    if (diseaseFilter) {
        // The references to the list's row stay in the WHERE, so that the
        // planner can make the match one join rather than a probe per row.
        sql += QStringLiteral(R"(  AND EXISTS (SELECT 1 FROM "KLOV"."D_TAIBYO" TB,
      "KLOV"."D_KANBYO" KB LEFT JOIN "KLOV"."M_NMAIN" B ON KB."BKNO" = B."BKNO"
    WHERE TB."KNO" = D."KNO" AND TB."VERNO" = D."VERNO" AND KB."ID" = D."ID" AND KB."BNO" = TB."BNO" AND KB."DELKBN" = 0
)");
        if (!byonm.isEmpty())
            sql += QStringLiteral(R"(      AND KB."BYONM" LIKE '%' || :BYONM || '%' ESCAPE ''
)");
        if (!icd10.isEmpty())
            sql += QStringLiteral(R"(      AND B."ICD102013" LIKE '%' || :ICD10 || '%' ESCAPE ''
)");
        if (cbOnlySyu->isChecked())
            sql += QStringLiteral("      AND TB.\"SNO\" = 1\n");
        sql += QStringLiteral("  )\n");
    }
    // Discharged more than 14 days ago; an open admission never.
    if (cb14Over->isChecked())
        sql += QStringLiteral(R"(  AND D."TDTE" < CAST(NOW() AS DATE) - 14
  AND (D."TDTE" < TIMESTAMP '1899-01-01' OR D."TDTE" >= TIMESTAMP '1900-01-01')
)");
    sql += QStringLiteral(R"(ORDER BY D."KNO" DESC, D."VERNO" DESC)");

    ADOQMei->setSql(sql);
    if (cmbKA->currentIndex() > 0)
        ADOQMei->setInt("KACD", kacd);
    if (id > 0)
        ADOQMei->setInt64("ID", id);
    rec::bindSummaryDateRanges(*ADOQMei, dtpNdteF->date(), dtpNdteT->date(), dtpTdteF->date(), dtpTdteT->date());
    if (syudr > 0)
        ADOQMei->setText("SYUDR", FslDR.value(syudr), 24);
    if (tandr > 0) {
        const QString dr = FslDR.value(tandr);
        ADOQMei->setText("TANDR1", dr, 24).setText("TANDR2", dr, 24).setText("TANDR3", dr, 24);
    }
    // Bound whole: a text cut to the column's width would match other rows.
    if (!byonm.isEmpty())
        ADOQMei->setText("BYONM", byonm, 0);
    if (!icd10.isEmpty())
        ADOQMei->setText("ICD10", icd10, 0);
    dbgMei->resetSort();
    runLong(this, QStringLiteral("一覧を読み込んでいます。"), [this](TLongOperation&) { ADOQMei->open(); });
    if (!ADOQMei->isEmpty())
        dbgMei->setCurrentIndex(dbgMei->model()->index(0, 0));
    showCount();
}

void TFrmMain::showCount()
{
    lblKENSU->setText(QLocale(QLocale::English).toString(ADOQMei->active() ? ADOQMei->recordCount() : 0));
}

void TFrmMain::RequeryList(const QString& skey)
{
    if (ADOQMei->sql().isEmpty())
        return;
    TWaitCursor wait;
    // A title-click order lasts only until the list runs again.
    ADOQMei->close();
    ADOQMei->setSort(QString());
    dbgMei->resetSort();
    runLong(this, QStringLiteral("一覧を読み込んでいます。"), [this](TLongOperation&) { ADOQMei->requery(); });
    if (!skey.isEmpty())
        dbgMei->locate(QStringLiteral("SKEY"), skey);
    showCount();
}

void TFrmMain::bbtnDeleteClick()
{
    if (!ADOQMei->active() || ADOQMei->isEmpty())
        return;
    const int kno = ADOQMei->field("KNO").asInteger();
    const int verno = ADOQMei->field("VERNO").asInteger();
    // The rules go by the version as it is now, not as it was listed: another
    // workstation may have approved or deleted it since.
    struct {
        int actkbn = 0, delkbn = 0, wflg = 0, sflg = 0, kflg = 0;
    } row;
    try {
        ADOQ->setSql(R"(SELECT "ACTKBN", "DELKBN", "WFLG", "SFLG", "KFLG" FROM "KLOV"."D_TAIYOU"
            WHERE "KNO" = :KNO AND "VERNO" = :VERNO)");
        ADOQ->setInt("KNO", kno).setInt("VERNO", verno);
        ADOQ->open();
        if (ADOQ->eof()) {
            ADOQ->close();
            msg::warning(this, kConflictMessage);
            RequeryList();
            return;
        }
        row = {ADOQ->field("ACTKBN").asInteger(), ADOQ->field("DELKBN").asInteger(), ADOQ->field("WFLG").asInteger(),
               ADOQ->field("SFLG").asInteger(), ADOQ->field("KFLG").asInteger()};
        ADOQ->close();
    } catch (const std::exception& e) {
        ADOQ->close();
        msg::warning(this, errorWarningText(e));
        return;
    }
    const TLoginUser& u = G().user;
    const QString undo = QStringLiteral("削除後は本処理を取り消すことはできません。\r\n");
    auto refuse = [this](const QString& text) { msg::information(this, text); };
    bool yes = false;
    if (row.delkbn == 1) {
        refuse(QStringLiteral("既に削除されています。"));
        return;
    }
    if (row.kflg == 1) {
        if (!u.KOK) {
            refuse(QStringLiteral("完成確認済の退院サマリを削除するには完成確認権限が必要です。現在の権限では削除できません。"));
            return;
        }
        yes = msg::question(this, undo + QStringLiteral("既に完成確認済ですが削除してもよろしいですか？"));
    } else if (row.sflg == 1) {
        if (!u.SOK) {
            refuse(QStringLiteral("承認済の退院サマリを削除するには承認可能権限が必要です。現在の権限では削除できません。"));
            return;
        }
        yes = msg::question(this, undo + QStringLiteral("既に承認済ですが削除してもよろしいですか？"));
    } else if (row.wflg == 1) {
        if (!u.WOK) {
            refuse(QStringLiteral("記載完了済の退院サマリを削除するには記載完了権限が必要です。現在の権限では削除できません。"));
            return;
        }
        yes = msg::question(this, undo + QStringLiteral("既に記載完了済ですが削除してもよろしいですか？"));
    } else {
        yes = msg::question(this, undo + QStringLiteral("削除してもよろしいですか？"));
    }
    if (!yes)
        return;
    const TWriteResult r = runWrite(this, [&](TConnection& conn) {
        lockScope(conn, numbers::versionScope(kno, verno));
        ADOQ->setSql(R"(UPDATE "KLOV"."D_TAIYOU" SET "DELKBN" = 1, "ACTKBN" = 0 WHERE "KNO" = :KNO AND "VERNO" = :VERNO
            AND "DELKBN" = 0 AND "ACTKBN" = :ACTKBN AND "WFLG" = :WFLG AND "SFLG" = :SFLG AND "KFLG" = :KFLG)");
        ADOQ->setInt("KNO", kno).setInt("VERNO", verno).setInt("ACTKBN", row.actkbn);
        ADOQ->setInt("WFLG", row.wflg).setInt("SFLG", row.sflg).setInt("KFLG", row.kflg);
        ADOQ->execSqlExpect(1);
    });
    if (r == TWriteResult::Done)
        RequeryList(cbDispDel->isChecked() ? summaryKey(kno, verno) : QString());
    else if (r == TWriteResult::Conflict)
        RequeryList(summaryKey(kno, verno));
}

void TFrmMain::bbtnPrintClick()
{
    if (!ADOQMei->active() || ADOQMei->isEmpty())
        return;
    TFrmDlgTyPrnSet dlg(this);
    dlg.FID = ADOQMei->field("ID").asString();
    dlg.FKNJNM = ADOQMei->field("KNJNAME").asString();
    dlg.FKANM = ADOQMei->field("KANM").asString();
    dlg.FNDTE = ADOQMei->field("NDTE").asDate().toString(QStringLiteral("yyyy/MM/dd"));
    dlg.FTDTE = ADOQMei->field("TDTEN").asString();
    if (dlg.exec() != QDialog::Accepted)
        return;
    PrintTaiyou(this, ADOQMei->field("KNO").asInteger(), ADOQMei->field("VERNO").asInteger(), dlg.FPRNHOSP,
                dlg.FPRNDTM);
}

void TFrmMain::bbtnFhirClick()
{
    if (!ADOQMei->active() || ADOQMei->isEmpty())
        return;
    fhir::exportSummary(this, ADOQMei->field(QStringLiteral("KNO")).asInteger(),
                        ADOQMei->field(QStringLiteral("VERNO")).asInteger(), FAskFhirFolder);
}

void TFrmMain::bbtnIdSrcClick()
{
    TFrmSrcKanja src(this);
    src.exec();
    nedtID->setAsInt64(src.FintID);
}

void TFrmMain::UpdateMailCount()
{
    if (ADOQMail->sql().isEmpty())
        return;
    try {
        ADOQMail->open();
        const bool row = !ADOQMail->eof();
        lblNoRead->setText(QString::number(row ? ADOQMail->field("CNT").asInteger() : 0));
        lblSIKYU->setText(QString::number(row ? ADOQMail->field("SIKYU").asInteger() : 0));
        ADOQMail->close();
    } catch (const EDatabaseError&) {
        // the next tick tries again
    }
}

void TFrmMain::bbtnMailClick()
{
    {
        TFrmMailMain mail(this);
        mail.exec();
    }
    UpdateMailCount();
}

void TFrmMain::QARNLinkClick()
{
    const bool link = QARNLink->isChecked();
    const TWriteResult r = runWrite(this, [&](TConnection& conn) {
        // Two workstations switching at once both find no row: the second
        // insert updates the row the first one made.
        lockScope(conn, QStringLiteral("KLOV.M_SYSTEM:10"));
        ADOQ->setSql(R"(SELECT * FROM "KLOV"."M_SYSTEM" WHERE "CODE" = 10)");
        ADOQ->open();
        const bool exists = !ADOQ->eof();
        ADOQ->close();
        if (!exists)
            ADOQ->setSql(R"(INSERT INTO "KLOV"."M_SYSTEM" ("CODE","NUM1","STR1") VALUES (10,:LFLG,'QARN患者属性連携フラグ'))");
        else
            ADOQ->setSql(R"(UPDATE "KLOV"."M_SYSTEM" SET "NUM1" = :LFLG WHERE "CODE" = 10)");
        ADOQ->setInt("LFLG", link ? 1 : 0);
        ADOQ->execSqlExpect(1);
    });
    // All or nothing: the menu item and the program's flag follow only a
    // stored switch.
    if (r != TWriteResult::Done) {
        QARNLink->setChecked(!link);
        return;
    }
    G().qarnLink = link;
    msg::information(this, link ? QStringLiteral("今後QARNと患者情報連携します。")
                                : QStringLiteral("今後QARNと患者情報連携しません。"));
}

void TFrmMain::CheckAutosave()
{
    if (FCheckingAutosave || !FLoggedIn)
        return;
    const QString dir = G().dataFolder;
    QFile file(dir + QStringLiteral("KNO.txt"));
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return;
    QTextStream in(&file);
    int kno = in.readLine().trimmed().toInt();
    int verno = in.readLine().trimmed().toInt();
    file.close();
    if (kno == 0)
        return;
    FCheckingAutosave = true;
    if (!msg::question(this, QStringLiteral("本端末で前回入力中に異常終了しています。復元し入力継続しますか？"))) {
        for (const char* name : kAutosaveFiles)
            QFile::remove(dir + QString::fromLatin1(name));
    } else if (openSummaryEditor && openSummaryEditor(true, kno, verno)) {
        RequeryList();
    }
    FCheckingAutosave = false;
}

QString TFrmMain::helpFile()
{
    return CommonU::HelpFile();
}

void TFrmMain::N6Click()
{
    const QString file = helpFile();
    if (!file.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

void TFrmMain::N8Click()
{
    TFrmVer ver(this);
    ver.FstrName = TFrmVer::productName();
    ver.exec();
}
