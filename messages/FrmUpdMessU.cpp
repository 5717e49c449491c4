#include "messages/FrmUpdMessU.h"

#include "app/CommonU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/TextUtil.h"
#include "app/UntDM.h"
#include "app/WaitCursor.h"
#include "app/WriteRunner.h"
#include "controls/DBGrid.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/Numbers.h"
#include "db/Query.h"
#include "db/Records.h"
#include "messages/MessShared.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// Every character the content accepts is stored (NAIYO is 300 wide).
constexpr int kNaiyoMax = 300;

QString memoText(const QPlainTextEdit* m) { return textutil::memoText(m->document()->toRawText()); }
} // namespace

TFrmUpdMess::TFrmUpdMess(QWidget* parent) : TFrmOBase(parent)
{
    setObjectName(QStringLiteral("TFrmUpdMess"));
    setWindowTitle(QStringLiteral("連絡用メッセージ作成"));
    ADOQ = new TQuery(&dm().ADOCPOST, this);
    ADOQ->setObjectName(QStringLiteral("ADOQ"));

    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(8, 8, 8, 4);
    auto* panes = new QHBoxLayout;
    root->addLayout(panes, 1);

    // Left: the message.
    auto* left = new QGridLayout;
    edtKENMEI = new QLineEdit(b);
    edtKENMEI->setObjectName(QStringLiteral("edtKENMEI"));
    edtKENMEI->setMaxLength(50);
    cbLBLKBN = new QCheckBox(QStringLiteral("至急の場合はチェックしてください"), b);
    cbLBLKBN->setObjectName(QStringLiteral("cbLBLKBN"));
    memNAIYO = new QPlainTextEdit(b);
    memNAIYO->setObjectName(QStringLiteral("memNAIYO"));
    left->addWidget(widgets::caption(b, QStringLiteral("件名")), 0, 0);
    left->addWidget(edtKENMEI, 0, 1);
    left->addWidget(cbLBLKBN, 1, 1);
    left->addWidget(widgets::caption(b, QStringLiteral("内容")), 2, 0, Qt::AlignTop | Qt::AlignRight);
    left->addWidget(memNAIYO, 2, 1);
    left->setRowStretch(2, 1);
    panes->addLayout(left, 1);

    // Right: the recipient picker.
    auto* pnlRight = new QWidget(b);
    pnlRight->setObjectName(QStringLiteral("pnlRight"));
    auto* right = new QVBoxLayout(pnlRight);
    right->setContentsMargins(0, 0, 0, 0);
    auto* filter = new QHBoxLayout;
    cmbJTYP = widgets::combo(pnlRight, QStringLiteral("cmbJTYP"), 80);
    cmbJTYP->addItems({QStringLiteral("全て"), QStringLiteral("医師"), QStringLiteral("ＤＣ"), QStringLiteral("その他")});
    edtKANA = new QLineEdit(pnlRight);
    edtKANA->setObjectName(QStringLiteral("edtKANA"));
    bbtnSrc = widgets::button(pnlRight, QStringLiteral("bbtnSrc"), QStringLiteral("抽出"));
    filter->addWidget(widgets::caption(pnlRight, QStringLiteral("職種")));
    filter->addWidget(cmbJTYP);
    filter->addWidget(widgets::caption(pnlRight, QStringLiteral("かな")));
    filter->addWidget(edtKANA, 1);
    filter->addWidget(bbtnSrc);
    right->addLayout(filter);
    dbgMei = new TDBGrid(pnlRight);
    dbgMei->setObjectName(QStringLiteral("dbgMei"));
    dbgMei->setQuery(ADOQ);
    dbgMei->setColumns({TGridColumn::fixed(QStringLiteral("ユーザーID"), QStringLiteral("USERID"), 60),
                        TGridColumn::fixed(QStringLiteral("職種"), QStringLiteral("JTYPNM"), 50),
                        TGridColumn::fixed(QStringLiteral("かな"), QStringLiteral("USERKANA"), 50),
                        TGridColumn::rest(QStringLiteral("ユーザー名"), QStringLiteral("USERNM"), 100)},
                       22);
    right->addWidget(dbgMei, 2);
    auto* pick = new QHBoxLayout;
    bbtnAdd = widgets::button(pnlRight, QStringLiteral("bbtnAdd"), QStringLiteral("送信先追加"));
    bbtnDel = widgets::button(pnlRight, QStringLiteral("bbtnDel"), QStringLiteral("送信先削除"));
    pick->addWidget(bbtnAdd);
    pick->addWidget(bbtnDel);
    pick->addStretch();
    right->addLayout(pick);
    lstbSUSER = new QListWidget(pnlRight);
    lstbSUSER->setObjectName(QStringLiteral("lstbSUSER"));
    right->addWidget(lstbSUSER, 1);
    panes->addWidget(pnlRight, 1);

    auto* buttons = new QHBoxLayout;
    bbtnInsert = widgets::button(b, QStringLiteral("bbtnInsert"), QStringLiteral("　登　録"));
    bbtnClose = widgets::button(b, QStringLiteral("bbtnClose"), QStringLiteral("　閉じる"));
    for (QPushButton* p : {bbtnInsert, bbtnClose})
        p->setMinimumSize(100, 32);
    buttons->addStretch();
    buttons->addWidget(bbtnInsert);
    buttons->addWidget(bbtnClose);
    root->addLayout(buttons);

    connect(bbtnSrc, &QPushButton::clicked, this, &TFrmUpdMess::bbtnSrcClick);
    connect(bbtnAdd, &QPushButton::clicked, this, &TFrmUpdMess::bbtnAddClick);
    connect(dbgMei, &TDBGrid::recordDoubleClicked, this, &TFrmUpdMess::bbtnAddClick);
    connect(bbtnDel, &QPushButton::clicked, this, &TFrmUpdMess::bbtnDelClick);
    connect(bbtnInsert, &QPushButton::clicked, this, &TFrmUpdMess::bbtnInsertClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::reject);
    resize(1000, 560);
}

TFrmUpdMess::~TFrmUpdMess() = default;

void TFrmUpdMess::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (!FShown)
        FormShow();
}

void TFrmUpdMess::FormShow()
{
    FShown = true;
    FslUSERID.clear();
    lstbSUSER->clear();
    // The picker is in kana order.
    dbgMei->setSortState(QStringLiteral("USERKANA"), true);
    bbtnSrcClick();
    edtKENMEI->setFocus();
}

void TFrmUpdMess::bbtnSrcClick()
{
    static const int kJtyp[] = {-1, 0, 1, 9};
    const int jtyp = kJtyp[std::clamp(cmbJTYP->currentIndex(), 0, 3)];
    const QString kana = edtKANA->text().trimmed();
    // Only users valid today, the sender included.
    QString sql = QStringLiteral(R"(SELECT *, %1 AS "JTYPNM" FROM "KLOV"."M_USER" U
 WHERE :DTE BETWEEN TO_CHAR("YSTRDTE",'YYYYMMDD') AND TO_CHAR("YENDDTE",'YYYYMMDD')
)")
                      .arg(rec::sqlJtypNm());
    if (jtyp >= 0)
        sql += QStringLiteral("   AND \"JTYP\" = :JTYP\n");
    if (!kana.isEmpty())
        sql += QStringLiteral(R"(   AND "USERKANA" LIKE :KANA ESCAPE '\'
)");
    try {
        TWaitCursor wait;
        ADOQ->setSql(sql);
        ADOQ->setText(QStringLiteral("DTE"), rec::yyyymmdd(CommonU::GetServerTime().date()), 8);
        if (jtyp >= 0)
            ADOQ->setInt(QStringLiteral("JTYP"), jtyp);
        if (!kana.isEmpty())
            ADOQ->setText(QStringLiteral("KANA"), textutil::likeContains(kana), 0);
        ADOQ->open();
    } catch (const std::exception& e) {
        ADOQ->close();
        msg::warning(this, errorWarningText(e));
        return;
    }
    dbgMei->reapplySort();
    ADOQ->first();
}

void TFrmUpdMess::bbtnAddClick()
{
    if (!ADOQ->active() || ADOQ->isEmpty())
        return;
    const QString id = ADOQ->field(QStringLiteral("USERID")).asString().trimmed();
    if (FslUSERID.contains(id))
        return;
    FslUSERID << id;
    lstbSUSER->addItem(ADOQ->field(QStringLiteral("USERNM")).asString());
}

void TFrmUpdMess::bbtnDelClick()
{
    const int row = lstbSUSER->currentRow();
    if (row < 0 || row >= FslUSERID.size() || !lstbSUSER->currentItem()->isSelected())
        return;
    FslUSERID.removeAt(row);
    delete lstbSUSER->takeItem(row);
}

void TFrmUpdMess::bbtnInsertClick()
{
    if (FslUSERID.isEmpty()) {
        msg::warning(this, QStringLiteral("送信先が登録されていません。"));
        return;
    }
    const QString kenmei = edtKENMEI->text();
    if (textutil::trimBoth(kenmei).isEmpty() && !msg::question(this, QStringLiteral("件名が入力されていませんがよろしいですか？")))
        return;
    const QString naiyo = textutil::trimLeft(textutil::windowsLines(memoText(memNAIYO)));
    if (textutil::trimBoth(naiyo).isEmpty() && !msg::question(this, QStringLiteral("内容が入力されていませんがよろしいですか？")))
        return;
    if (naiyo.size() > kNaiyoMax) {
        msg::information(this, QStringLiteral("内容には%1文字までしか入力できません。\r\n（現在%2文字）")
                                   .arg(kNaiyoMax)
                                   .arg(naiyo.size()));
        memNAIYO->setFocus();
        return;
    }

    const QString me = G().user.userId;
    const int urgent = cbLBLKBN->isChecked() ? 1 : 0;
    int messno = 0;
    const TWriteResult r = runWrite(this, [&](TConnection& conn) {
        messno = numbers::nextMessno(conn);
        TQuery q(&conn);
        q.setSql(R"(INSERT INTO "KLOV"."D_MESS" ("MESSNO","RUSERID","SUSERID","SDTM","KENMEI","NAIYO","LBLKBN",
                "KFLG","KDTM","RDELFLG","RDELDTM","SDELFLG","SDELDTM")
            VALUES (:MESSNO,:RUSERID,:SUSERID,DATE_TRUNC('second',NOW()),:KENMEI,:NAIYO,:LBLKBN,0,NULL,0,NULL,0,NULL))");
        for (const QString& ruser : std::as_const(FslUSERID)) {
            q.setInt(QStringLiteral("MESSNO"), messno).setText(QStringLiteral("RUSERID"), ruser, 24);
            q.setText(QStringLiteral("SUSERID"), me, 24).setText(QStringLiteral("KENMEI"), kenmei, 64);
            q.setText(QStringLiteral("NAIYO"), naiyo, kNaiyoMax).setInt(QStringLiteral("LBLKBN"), urgent);
            q.execSqlExpect(1);
        }
    });
    if (r != TWriteResult::Done)
        return;
    FMESSNO = messno;
    accept();
}
