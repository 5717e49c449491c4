// Construction of the summary editor: the patient block, the basic block,
// the narrative pages, the two lists and the bottom bar.

#include "summary/FrmUpdTaiyouU.h"
#include "patient/PatientHeader.h"
#include "patient/FrmMntAllergyU.h"
#include "patient/FrmMntDeviceU.h"
#include "patient/FrmMntKanbyoU.h"
#include "patient/FrmMntKanopeU.h"
#include "summary/FrmUpdTaiByoU.h"
#include "summary/FrmUpdTaiOpeU.h"

#include "app/Theme.h"
#include "controls/DBGrid.h"
#include "controls/CheckDateEdit.h"
#include "controls/NumberEdit.h"
#include "db/Query.h"
#include "summary/TaiyouSections.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

using taiyouSections::kSections;

// ---------------------------------------------------------------- construction

TFrmUpdTaiyou::TFrmUpdTaiyou(QWidget* parent) : TFrmOBase(parent)
{
    setObjectName(QStringLiteral("TFrmUpdTaiyou"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    auto query = [this](const char* name) {
        auto* q = new TQuery(nullptr, this);
        q->setObjectName(QString::fromLatin1(name));
        return q;
    };
    ADOQ = query("ADOQ");
    ADOQR = query("ADOQR");
    ADOQDR = query("ADOQDR");
    ADOQTAIBYO = query("ADOQTAIBYO");
    ADOQOPE = query("ADOQOPE");

    timWrite = new QTimer(this);
    timWrite->setObjectName(QStringLiteral("timWrite"));
    timWrite->setInterval(15000);
    connect(timWrite, &QTimer::timeout, this, &TFrmUpdTaiyou::WriteThreadProc);

    buildUi();
    resize(1280, 860);
}

TFrmUpdTaiyou::~TFrmUpdTaiyou() = default;

void TFrmUpdTaiyou::buildUi()
{
    auto* v = new QVBoxLayout(body());
    v->setContentsMargins(4, 4, 4, 2);
    v->setSpacing(4);
    v->addWidget(buildPatientBlock());
    v->addWidget(buildBasicBlock());

    splMain = new QSplitter(Qt::Horizontal, body());
    splMain->setObjectName(QStringLiteral("splMain"));
    splMain->setChildrenCollapsible(false);
    splMain->addWidget(buildNarrativePages());
    splMain->addWidget(buildLists());
    splMain->setStretchFactor(0, 0);
    splMain->setStretchFactor(1, 1);
    v->addWidget(splMain, 1);
    v->addWidget(buildBottomBar());
}

QWidget* TFrmUpdTaiyou::buildPatientBlock()
{
    auto* box = new QFrame(body());
    box->setObjectName(QStringLiteral("pnlKanja"));
    box->setFrameShape(QFrame::StyledPanel);
    auto* g = new QGridLayout(box);
    g->setContentsMargins(6, 4, 6, 4);
    g->setHorizontalSpacing(6);
    g->setVerticalSpacing(4);

    // First line: number, version, marker; the patient-record buttons.
    auto* title = new QLabel(QStringLiteral("退院サマリー"), box);
    QFont tf = title->font();
    tf.setPixelSize(18);
    tf.setBold(true);
    title->setFont(tf);
    lblKNO = widgets::valueLabel(box, "lblKNO", 70);
    lblKNO->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblVERNO = widgets::valueLabel(box, "lblVERNO", 30);
    lblVERNO->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblKNO->setFixedHeight(20);
    lblVERNO->setFixedHeight(20);
    lblDelOld = new QLabel(box);
    lblDelOld->setObjectName(QStringLiteral("lblDelOld"));
    QFont df = lblDelOld->font();
    df.setPixelSize(16);
    df.setBold(true);
    lblDelOld->setFont(df);
    lblDelOld->setStyleSheet(QStringLiteral("QLabel { color: red; }"));

    auto* line1 = new QHBoxLayout;
    line1->addWidget(title);
    line1->addSpacing(16);
    line1->addWidget(new QLabel(QStringLiteral("管理№"), box));
    line1->addWidget(lblKNO);
    line1->addSpacing(8);
    line1->addWidget(new QLabel(QStringLiteral("Version"), box));
    line1->addWidget(lblVERNO);
    line1->addWidget(new QLabel(QStringLiteral("版"), box));
    line1->addSpacing(12);
    line1->addWidget(lblDelOld);
    line1->addStretch(1);

    auto* grp = new QGroupBox(QStringLiteral("患者各情報画面起動"), box);
    grp->setObjectName(QStringLiteral("grpMnt"));
    auto* gh = new QHBoxLayout(grp);
    gh->setContentsMargins(4, 2, 4, 2);
    bbtnMntAl = widgets::button(grp, "bbtnMntAl", QStringLiteral("アレルギー情報"));
    bbtnMntDev = widgets::button(grp, "bbtnMntDev", QStringLiteral("デバイス情報"));
    bbtnMntByo = widgets::button(grp, "bbtnMntByo", QStringLiteral("病名登録"));
    bbtnMntOpe = widgets::button(grp, "bbtnMntOpe", QStringLiteral("手術・手技登録"));
    for (QPushButton* b : {bbtnMntAl, bbtnMntDev, bbtnMntByo, bbtnMntOpe})
        gh->addWidget(b);
    line1->addWidget(grp);
    g->addLayout(line1, 0, 0, 1, 12);

    // Second line: the patient.
    nedtID = newPatientIdEdit(box);
    bbtnIdSrc = widgets::button(box, "bbtnIdSrc", QStringLiteral("患者検索"));
    lblKNJKANA = widgets::valueLabel(box, "lblKNJKANA", 180);
    lblKNJNAME = widgets::valueLabel(box, "lblKNJNAME", 180);
    QFont nf = lblKNJNAME->font();
    nf.setPixelSize(16);
    nf.setBold(true);
    lblKNJNAME->setFont(nf);
    lblSEX = widgets::valueLabel(box, "lblSEX", 40);
    lblSEX->setAlignment(Qt::AlignCenter);
    lblAGE = widgets::valueLabel(box, "lblAGE", 34);
    lblAGE->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblBIRTH = widgets::valueLabel(box, "lblBIRTH", 190);

    int c = 0;
    g->addWidget(widgets::caption(box, QStringLiteral("患者ＩＤ")), 1, c++);
    g->addWidget(nedtID, 1, c++);
    g->addWidget(bbtnIdSrc, 1, c++);
    g->addWidget(widgets::caption(box, QStringLiteral("カナ")), 1, c++);
    g->addWidget(lblKNJKANA, 1, c++);
    g->addWidget(widgets::caption(box, QStringLiteral("氏名")), 1, c++);
    g->addWidget(lblKNJNAME, 1, c++);
    g->addWidget(widgets::caption(box, QStringLiteral("性別")), 1, c++);
    g->addWidget(lblSEX, 1, c++);
    auto* age = new QHBoxLayout;
    age->addWidget(lblAGE);
    age->addWidget(new QLabel(QStringLiteral("才"), box));
    age->addSpacing(8);
    age->addWidget(widgets::caption(box, QStringLiteral("生年月日")));
    age->addWidget(lblBIRTH);
    age->addStretch(1);
    g->addLayout(age, 1, c++, 1, 3);
    g->setColumnStretch(4, 1);
    g->setColumnStretch(6, 1);

    connect(nedtID, &TNumberEdit::entered, this, &TFrmUpdTaiyou::nedtIDEnter);
    connect(nedtID, &TNumberEdit::exited, this, &TFrmUpdTaiyou::nedtIDExit);
    connect(bbtnIdSrc, &QPushButton::clicked, this, &TFrmUpdTaiyou::bbtnIdSrcClick);
    // The patient's disease and operation lists; what they change shows in
    // this version's lists at once.
    connect(bbtnMntByo, &QPushButton::clicked, this, [this] {
        OpenKanbyoList(this, nedtID->asInt64());
        LoadDiagnoses();
    });
    connect(bbtnMntOpe, &QPushButton::clicked, this, [this] {
        OpenKanopeList(this, nedtID->asInt64());
        LoadOperations();
    });
    connect(bbtnMntAl, &QPushButton::clicked, this, [this] { OpenAllergyList(this, nedtID->asInt64()); });
    connect(bbtnMntDev, &QPushButton::clicked, this, [this] { OpenDeviceList(this, nedtID->asInt64()); });
    return box;
}

QWidget* TFrmUpdTaiyou::buildBasicBlock()
{
    pnlTop = new QFrame(body());
    pnlTop->setObjectName(QStringLiteral("pnlTop"));
    static_cast<QFrame*>(pnlTop)->setFrameShape(QFrame::StyledPanel);
    auto* v = new QVBoxLayout(pnlTop);
    v->setContentsMargins(6, 4, 6, 4);
    v->setSpacing(4);

    dtpNDTE = widgets::datePicker(pnlTop, QStringLiteral("dtpNDTE"), widgets::TDateStyle::Kanji);
    dtpTDTE = new TCheckDateEdit(pnlTop, QStringLiteral("cbTDTE"), QStringLiteral("dtpTDTEDate"),
                                 widgets::TDateStyle::Kanji);
    dtpTDTE->setObjectName(QStringLiteral("dtpTDTE"));
    bbtnSrcNyu = widgets::button(pnlTop, "bbtnSrcNyu", QStringLiteral("入院情報取込"));
    cmbNSYU = widgets::combo(pnlTop, "cmbNSYU", 70);
    cmbNSYU->addItems({QStringLiteral("定例"), QStringLiteral("予定外")});
    cmbKA = widgets::combo(pnlTop, "cmbKA", 140);
    nedtNYUCNT = new TNumberEdit(pnlTop);
    nedtNYUCNT->setObjectName(QStringLiteral("nedtNYUCNT"));
    nedtNYUCNT->setFigure(0);
    nedtNYUCNT->setMaxIntLength(4);
    nedtNYUCNT->setFixedWidth(44);
    nedtNYUCNT->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bbtnBase = widgets::button(pnlTop, "bbtnBase", QStringLiteral("基本情報登録"));

    auto* l1 = new QHBoxLayout;
    l1->addWidget(widgets::caption(pnlTop, QStringLiteral("入院日")));
    l1->addWidget(dtpNDTE);
    l1->addSpacing(6);
    l1->addWidget(widgets::caption(pnlTop, QStringLiteral("退院日")));
    l1->addWidget(dtpTDTE);
    l1->addWidget(bbtnSrcNyu);
    l1->addSpacing(6);
    l1->addWidget(widgets::caption(pnlTop, QStringLiteral("入院種別")));
    l1->addWidget(cmbNSYU);
    l1->addSpacing(6);
    l1->addWidget(widgets::caption(pnlTop, QStringLiteral("診療科")));
    l1->addWidget(cmbKA);
    l1->addSpacing(6);
    l1->addWidget(widgets::caption(pnlTop, QStringLiteral("入院回数")));
    l1->addWidget(nedtNYUCNT);
    l1->addWidget(new QLabel(QStringLiteral("回目(今回含む)"), pnlTop));
    l1->addStretch(1);
    l1->addWidget(bbtnBase);
    v->addLayout(l1);

    cmbSYUDR = widgets::combo(pnlTop, "cmbSYUDR", 110);
    cmbTANDR1 = widgets::combo(pnlTop, "cmbTANDR1", 110);
    cmbTANDR2 = widgets::combo(pnlTop, "cmbTANDR2", 110);
    cmbTANDR3 = widgets::combo(pnlTop, "cmbTANDR3", 110);
    cmbWDR = widgets::combo(pnlTop, "cmbWDR", 110);
    const char* const srcNames[5] = {"bbtnSrcSYUDR", "bbtnSrcTANDR1", "bbtnSrcTANDR2", "bbtnSrcTANDR3", "bbtnSrcWDR"};
    auto* l2 = new QHBoxLayout;
    for (int i = 0; i < 5; ++i) {
        bbtnSrcDr[i] = widgets::button(pnlTop, srcNames[i], QStringLiteral("…"), QStringLiteral("検索する場合使用してください。"));
        bbtnSrcDr[i]->setFixedWidth(24);
        connect(bbtnSrcDr[i], &QPushButton::clicked, this, [this, i] { bbtnSrcDrClick(i); });
        if (i == 0)
            l2->addWidget(widgets::caption(pnlTop, QStringLiteral("主治医")));
        else if (i == 1)
            l2->addWidget(widgets::caption(pnlTop, QStringLiteral("担当医")));
        else if (i == 4)
            l2->addWidget(widgets::caption(pnlTop, QStringLiteral("記載医")));
        l2->addWidget(doctorList(i));
        l2->addWidget(bbtnSrcDr[i]);
        l2->addSpacing(i == 0 || i == 3 ? 10 : 2);
    }
    l2->addStretch(1);
    v->addLayout(l2);

    edtNYURIYU = new QLineEdit(pnlTop);
    edtNYURIYU->setObjectName(QStringLiteral("edtNYURIYU"));
    edtNYURIYU->setMaxLength(128);
    edtNYURIYU->setStyleSheet(theme::focusEditStyle());
    auto* l3 = new QHBoxLayout;
    l3->addWidget(widgets::caption(pnlTop, QStringLiteral("主訴または入院理由")));
    l3->addWidget(edtNYURIYU, 1);
    v->addLayout(l3);

    connect(dtpNDTE, &QDateEdit::editingFinished, this, &TFrmUpdTaiyou::dtpNDTEExit);
    connect(bbtnBase, &QPushButton::clicked, this, &TFrmUpdTaiyou::bbtnBaseClick);
    connect(bbtnSrcNyu, &QPushButton::clicked, this, &TFrmUpdTaiyou::bbtnSrcNyuClick);
    return pnlTop;
}

QWidget* TFrmUpdTaiyou::buildNarrativePages()
{
    pnlMain = new QWidget(splMain);
    pnlMain->setObjectName(QStringLiteral("pnlMain"));
    auto* v = new QVBoxLayout(pnlMain);
    v->setContentsMargins(0, 0, 0, 0);
    pcMain = new QTabWidget(pnlMain);
    pcMain->setObjectName(QStringLiteral("pcMain"));
    v->addWidget(pcMain);

    const char* const memoNames[5] = {"memNYUBEFKEIKA", "memNYUKEIKA", "memTAIJOUHO", "memTAIYAKU", "memTAIHOU"};
    QPlainTextEdit** memos[5] = {&memNYUBEFKEIKA, &memNYUKEIKA, &memTAIJOUHO, &memTAIYAKU, &memTAIHOU};
    QWidget* pages[2];
    QVBoxLayout* layouts[2];
    const QString pageTitles[2] = {QStringLiteral("入院までの経過/入院経過"),
                                   QStringLiteral("退院時状況/退院時投薬/退院時方針")};
    for (int p = 0; p < 2; ++p) {
        pages[p] = new QWidget(pcMain);
        pages[p]->setObjectName(QStringLiteral("tsPage%1").arg(p + 1));
        layouts[p] = new QVBoxLayout(pages[p]);
        layouts[p]->setContentsMargins(4, 4, 4, 4);
        layouts[p]->setSpacing(2);
        pcMain->addTab(pages[p], pageTitles[p]);
    }
    for (int i = 0; i < 5; ++i) {
        QWidget* page = pages[kSections[i].page];
        auto* m = new QPlainTextEdit(page);
        m->setObjectName(QString::fromLatin1(memoNames[i]));
        m->setLineWrapMode(QPlainTextEdit::NoWrap);
        m->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        m->setTabChangesFocus(true);
        *memos[i] = m;
        auto* head = new QHBoxLayout;
        auto* l = new QLabel(QString::fromUtf8(kSections[i].title), page);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        head->addWidget(l);
        head->addStretch(1);
        if (i == 0) {
            bbtnSTpl = widgets::button(page, "bbtnSTpl", QStringLiteral("標準テンプレート"));
            bbtnKTpl = widgets::button(page, "bbtnKTpl", QStringLiteral("個人テンプレート"));
            bbtnCopy = widgets::button(page, "bbtnCopy", QStringLiteral("過去サマリ情報複写"));
            head->addWidget(bbtnSTpl);
            head->addWidget(bbtnKTpl);
            head->addWidget(bbtnCopy);
        }
        layouts[kSections[i].page]->addLayout(head);
        layouts[kSections[i].page]->addWidget(m, 1);
    }
    connect(bbtnSTpl, &QPushButton::clicked, this, &TFrmUpdTaiyou::bbtnSTplClick);
    connect(bbtnKTpl, &QPushButton::clicked, this, &TFrmUpdTaiyou::bbtnKTplClick);
    connect(bbtnCopy, &QPushButton::clicked, this, &TFrmUpdTaiyou::bbtnCopyClick);
    pnlMain->hide();
    return pnlMain;
}

QWidget* TFrmUpdTaiyou::buildLists()
{
    pnlMRight = new QWidget(splMain);
    pnlMRight->setObjectName(QStringLiteral("pnlMRight"));
    auto* v = new QVBoxLayout(pnlMRight);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(2);

    auto heading = [this](const QString& text, QPushButton* add, QPushButton* del) {
        auto* h = new QHBoxLayout;
        auto* l = new QLabel(text, pnlMRight);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        h->addWidget(l);
        h->addStretch(1);
        h->addWidget(add);
        h->addWidget(del);
        return h;
    };
    bbtnTAIBYOADD = widgets::button(pnlMRight, "bbtnTAIBYOADD", QStringLiteral("登録"));
    bbtnTAIBYODEL = widgets::button(pnlMRight, "bbtnTAIBYODEL", QStringLiteral("削除"));
    dbgTAIBYO = new TDBGrid(pnlMRight);
    dbgTAIBYO->setObjectName(QStringLiteral("dbgTAIBYO"));
    dbgTAIBYO->setQuery(ADOQTAIBYO);
    dbgTAIBYO->setContextMenuPolicy(Qt::CustomContextMenu);
    pmTAIBYO = new QMenu(dbgTAIBYO);
    pmTAIBYO->setObjectName(QStringLiteral("pmTAIBYO"));
    TBchg = pmTAIBYO->addAction(QStringLiteral("#上位移動"));
    TBchg->setObjectName(QStringLiteral("TBchg"));
    v->addLayout(heading(QStringLiteral("退院時診断一覧"), bbtnTAIBYOADD, bbtnTAIBYODEL));
    v->addWidget(dbgTAIBYO, 1);

    bbtnOPEADD = widgets::button(pnlMRight, "bbtnOPEADD", QStringLiteral("登録"));
    bbtnOPEDEL = widgets::button(pnlMRight, "bbtnOPEDEL", QStringLiteral("削除"));
    dbgOPE = new TDBGrid(pnlMRight);
    dbgOPE->setObjectName(QStringLiteral("dbgOPE"));
    dbgOPE->setQuery(ADOQOPE);
    v->addLayout(heading(QStringLiteral("記載対象手術・手技一覧"), bbtnOPEADD, bbtnOPEDEL));
    v->addWidget(dbgOPE, 1);

    connect(bbtnTAIBYODEL, &QPushButton::clicked, this, &TFrmUpdTaiyou::DeleteDiagnosis);
    connect(bbtnOPEDEL, &QPushButton::clicked, this, &TFrmUpdTaiyou::DeleteOperation);
    connect(TBchg, &QAction::triggered, this, &TFrmUpdTaiyou::MoveDiagnosisUp);
    connect(pmTAIBYO, &QMenu::aboutToShow, this, &TFrmUpdTaiyou::updateMoveUpItem);
    connect(dbgTAIBYO, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex i = dbgTAIBYO->indexAt(pos);
        if (i.isValid())
            dbgTAIBYO->setCurrentIndex(i);
        pmTAIBYO->popup(dbgTAIBYO->viewport()->mapToGlobal(pos));
    });
    // The pick dialogs. The list is read again however they end, so that
    // what other workstations attached meanwhile shows as well.
    const auto pick = [this](TFrmTaiPickBase& dlg, void (TFrmUpdTaiyou::*reload)()) {
        const TPickResult r = dlg.run(nedtID->asInt64(), FKNO, FVERNO,
                                      [this](TConnection& conn) { requireVersionAsLoaded(conn); });
        if (r == TPickResult::VersionChanged) {
            rereadAfterConflict();
            return;
        }
        if (r == TPickResult::Attached)
            FCommitted = true;
        (this->*reload)();
    };
    connect(bbtnTAIBYOADD, &QPushButton::clicked, this, [this, pick] {
        TFrmUpdTaiByo dlg(this);
        pick(dlg, &TFrmUpdTaiyou::LoadDiagnoses);
    });
    connect(bbtnOPEADD, &QPushButton::clicked, this, [this, pick] {
        TFrmUpdTaiOpe dlg(this);
        pick(dlg, &TFrmUpdTaiyou::LoadOperations);
    });
    // A double click on a diagnosis acts as "登録".
    connect(dbgTAIBYO, &TDBGrid::recordDoubleClicked, this, [this] {
        if (bbtnTAIBYOADD->isEnabled())
            bbtnTAIBYOADD->click();
    });
    pnlMRight->hide();
    return pnlMRight;
}

QWidget* TFrmUpdTaiyou::buildBottomBar()
{
    auto* bar = new QFrame(body());
    bar->setObjectName(QStringLiteral("pnlBottom"));
    bar->setFrameShape(QFrame::StyledPanel);
    auto* h = new QHBoxLayout(bar);
    h->setContentsMargins(6, 4, 6, 4);
    h->setSpacing(10);

    const char* const names[3][4] = {{"spbWFLG", "lblWSTS", "lblWUSER", "lblWDTM"},
                                     {"spbSFLG", "lblSSTS", "lblSUSER", "lblSDTM"},
                                     {"spbKFLG", "lblKSTS", "lblKUSER", "lblKDTM"}};
    const QString texts[3] = {QStringLiteral("記載完了"), QStringLiteral("承　認"), QStringLiteral("完成確認")};
    QPushButton** buttons[3] = {&spbWFLG, &spbSFLG, &spbKFLG};
    QLabel** sts[3] = {&lblWSTS, &lblSSTS, &lblKSTS};
    QLabel** users[3] = {&lblWUSER, &lblSUSER, &lblKUSER};
    QLabel** dtms[3] = {&lblWDTM, &lblSDTM, &lblKDTM};
    for (int i = 0; i < 3; ++i) {
        auto* col = new QGridLayout;
        col->setHorizontalSpacing(4);
        col->setVerticalSpacing(1);
        auto* s = new QLabel(QStringLiteral("未"), bar);
        s->setObjectName(QString::fromLatin1(names[i][1]));
        s->setAlignment(Qt::AlignCenter);
        s->setFixedHeight(16);
        auto* b = widgets::button(bar, names[i][0], texts[i]);
        b->setCheckable(true);
        b->setMinimumWidth(80);
        b->setStyleSheet(QStringLiteral("QPushButton:checked { background-color: rgb(255, 255, 200); "
                                        "border: 2px inset gray; font-weight: bold; }"));
        auto* u = new QLabel(bar);
        u->setObjectName(QString::fromLatin1(names[i][2]));
        u->setMinimumWidth(100);
        auto* d = new QLabel(bar);
        d->setObjectName(QString::fromLatin1(names[i][3]));
        d->setMinimumWidth(120);
        col->addWidget(s, 0, 0);
        col->addWidget(b, 1, 0, 2, 1);
        col->addWidget(u, 1, 1);
        col->addWidget(d, 2, 1);
        h->addLayout(col);
        *buttons[i] = b;
        *sts[i] = s;
        *users[i] = u;
        *dtms[i] = d;
        connect(b, &QPushButton::clicked, this, [this, i](bool down) { stageClicked(i, down); });
    }
    bbtnAftUpd = widgets::button(bar, "bbtnAftUpd", QStringLiteral("完成後修正"),
                        QStringLiteral("完成後Versionを上げて修正します。"));
    bbtnAftUpd->hide();
    h->addWidget(bbtnAftUpd);
    bbtnUnsaved = widgets::button(bar, "bbtnUnsaved", QStringLiteral("保存されなかった入力"),
                                  QStringLiteral("他の端末での変更により登録できなかった入力を表示します。"));
    bbtnUnsaved->setStyleSheet(QStringLiteral("QPushButton { color: rgb(192, 0, 0); font-weight: bold; }"));
    bbtnUnsaved->setMinimumHeight(32);
    bbtnUnsaved->hide();
    h->addWidget(bbtnUnsaved);
    h->addStretch(1);
    bbtnFhir = widgets::button(bar, "bbtnFhir", QStringLiteral("FHIR出力"),
                               QStringLiteral("登録済みの内容をFHIR形式（退院時サマリー）のファイルに出力します。"));
    bbtnFhir->setMinimumSize(96, 32);
    h->addWidget(bbtnFhir);
    bbtnUpdate = widgets::button(bar, "bbtnUpdate", QStringLiteral("　登　録"), QStringLiteral("登録します。"));
    bbtnClose = widgets::button(bar, "bbtnClose", QStringLiteral("閉じる"), QStringLiteral("処理を終了します。"));
    for (QPushButton* b : {bbtnUpdate, bbtnClose}) {
        b->setMinimumSize(96, 32);
        h->addWidget(b);
    }
    connect(bbtnAftUpd, &QPushButton::clicked, this, &TFrmUpdTaiyou::bbtnAftUpdClick);
    connect(bbtnUnsaved, &QPushButton::clicked, this, &TFrmUpdTaiyou::bbtnUnsavedClick);
    connect(bbtnUpdate, &QPushButton::clicked, this, &TFrmUpdTaiyou::bbtnUpdateClick);
    connect(bbtnFhir, &QPushButton::clicked, this, &TFrmUpdTaiyou::bbtnFhirClick);
    connect(bbtnClose, &QPushButton::clicked, this, &TFrmUpdTaiyou::reject);
    return bar;
}

QComboBox* TFrmUpdTaiyou::doctorList(int i) const
{
    QComboBox* const lists[5] = {cmbSYUDR, cmbTANDR1, cmbTANDR2, cmbTANDR3, cmbWDR};
    return lists[i];
}

QPlainTextEdit* TFrmUpdTaiyou::memo(int i) const
{
    QPlainTextEdit* const memos[5] = {memNYUBEFKEIKA, memNYUKEIKA, memTAIJOUHO, memTAIYAKU, memTAIHOU};
    return memos[i];
}

void TFrmUpdTaiyou::focusMemo(int i)
{
    pcMain->setCurrentIndex(kSections[i].page);
    memo(i)->setFocus();
}

bool TFrmUpdTaiyou::isNew() const { return !bbtnBase->isHidden(); }
