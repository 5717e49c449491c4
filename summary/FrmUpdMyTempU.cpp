#include "summary/FrmUpdMyTempU.h"

#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/TextUtil.h"
#include "app/UntDM.h"
#include "app/WriteRunner.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/Numbers.h"
#include "db/Query.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {
// The column holds 500 characters.
constexpr int kMaxNaiyo = 500;
} // namespace

TFrmUpdMyTemp::TFrmUpdMyTemp(QWidget* parent) : TFrmOBase(parent)
{
    setObjectName(QStringLiteral("TFrmUpdMyTemp"));
    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(10, 8, 10, 6);
    root->addWidget(widgets::heading(b, QStringLiteral("入院までの経過　個人テンプレート作成"), QStringLiteral("lblTitle")));

    edtMTTITLE = new QLineEdit(b);
    edtMTTITLE->setObjectName(QStringLiteral("edtMTTITLE"));
    edtMTTITLE->setMaxLength(50);
    edtMTTITLE->setToolTip(QStringLiteral("個人テンプレートタイトルを入力してください"));
    edtMTTITLE->setStatusTip(edtMTTITLE->toolTip());
    widgets::hiraganaInput(edtMTTITLE);
    memMTNAIYO = new QPlainTextEdit(b);
    memMTNAIYO->setObjectName(QStringLiteral("memMTNAIYO"));
    memMTNAIYO->setTabChangesFocus(true);
    auto* grid = new QGridLayout;
    grid->addWidget(widgets::caption(b, QStringLiteral("タイトル")), 0, 0);
    grid->addWidget(edtMTTITLE, 0, 1);
    grid->addWidget(widgets::caption(b, QStringLiteral("内　容")), 1, 0, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(memMTNAIYO, 1, 1);
    grid->setRowStretch(1, 1);
    root->addLayout(grid, 1);

    bbtnInsert = widgets::button(b, QStringLiteral("bbtnInsert"), QStringLiteral("　登　録"), QStringLiteral("登録します。"));
    bbtnClose = widgets::button(b, QStringLiteral("bbtnClose"), QStringLiteral("閉じる"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* p : {bbtnInsert, bbtnClose}) {
        p->setMinimumSize(100, 32);
        buttons->addWidget(p);
    }
    root->addLayout(buttons);

    connect(bbtnInsert, &QPushButton::clicked, this, &TFrmUpdMyTemp::bbtnInsertClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::reject);
    resize(620, 420);
}

TFrmUpdMyTemp::~TFrmUpdMyTemp() = default;

void TFrmUpdMyTemp::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (FShown)
        return;
    FShown = true;
    if (FMTNO > 0)
        loadRecord();
    edtMTTITLE->setFocus();
}

TFrmUpdMyTemp::TRead TFrmUpdMyTemp::readRecord(QString& title, QString& naiyo)
{
    FROWVER.clear();
    try {
        TQuery q(&dm().ADOCPOST);
        q.setSql(R"(SELECT T.*, CAST(T."xmin" AS text) AS "ROWVER" FROM "KLOV"."M_MYTEMPLE" T
            WHERE T."USERID" = :USERID AND T."MTNO" = :MTNO)");
        q.setText(QStringLiteral("USERID"), G().user.userId, 24).setInt(QStringLiteral("MTNO"), FMTNO);
        q.open();
        if (q.eof())
            return TRead::Removed;
        title = q.field(QStringLiteral("MTTITLE")).asString();
        naiyo = q.field(QStringLiteral("MTNAIYO")).asString();
        FROWVER = q.field(QStringLiteral("ROWVER")).asString();
        return TRead::Found;
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return TRead::Failed;
    }
}

void TFrmUpdMyTemp::loadRecord()
{
    edtMTTITLE->clear();
    memMTNAIYO->clear();
    QString title, naiyo;
    const TRead read = readRecord(title, naiyo);
    if (read == TRead::Failed)
        return;
    if (read == TRead::Removed) {
        msg::warning(this, QStringLiteral("該当データが削除されています。"));
        return;
    }
    edtMTTITLE->setText(title);
    memMTNAIYO->setPlainText(naiyo);
}

void TFrmUpdMyTemp::rereadAfterConflict()
{
    if (FMTNO == 0)
        return;
    QString title, naiyo;
    const TRead read = readRecord(title, naiyo);
    // Changed elsewhere: what is typed here goes onto it with the next save.
    if (read != TRead::Removed)
        return;
    // Removed elsewhere: the typed text stays and is saved as a new template.
    FMTNO = 0;
    msg::warning(this, QStringLiteral("該当データが削除されています。\r\n"
                                      "入力した内容は残っています。「登録」で新しいテンプレートとして登録します。"));
}

void TFrmUpdMyTemp::bbtnInsertClick()
{
    const QString typedNaiyo = textutil::windowsLines(textutil::memoText(memMTNAIYO->document()->toRawText()));
    if (edtMTTITLE->text().isEmpty()) {
        msg::warning(this, QStringLiteral("タイトル未入力です。"));
        edtMTTITLE->setFocus();
        return;
    }
    if (typedNaiyo.isEmpty()) {
        msg::warning(this, QStringLiteral("内容未入力です。"));
        memMTNAIYO->setFocus();
        return;
    }
    const QString title = textutil::trimLeft(edtMTTITLE->text());
    const QString naiyo = textutil::trimLeft(typedNaiyo);
    // Cutting the text to the column would lose what was typed: it is refused.
    if (naiyo.size() > kMaxNaiyo) {
        msg::warning(this, QStringLiteral("内容には%1文字までしか入力できません。\r\n（現在%2文字）")
                               .arg(kMaxNaiyo)
                               .arg(naiyo.size()));
        memMTNAIYO->setFocus();
        return;
    }
    const QString userId = G().user.userId;
    int mtno = FMTNO;
    const TWriteResult r = runWrite(this, [&](TConnection& conn) {
        TQuery q(&conn);
        if (mtno != 0) {
            // Only onto the template as it was shown: not removed or changed since.
            q.setSql(R"(UPDATE "KLOV"."M_MYTEMPLE" SET "MTTITLE" = :MTTITLE, "MTNAIYO" = :MTNAIYO
                WHERE "USERID" = :USERID AND "MTNO" = :MTNO AND CAST("xmin" AS text) = :ROWVER)");
            q.setText(QStringLiteral("ROWVER"), FROWVER, 0);
        } else {
            mtno = numbers::nextTemplateNo(conn, userId);
            q.setSql(R"(INSERT INTO "KLOV"."M_MYTEMPLE" ("USERID", "MTNO", "MTTITLE", "MTNAIYO")
                VALUES (:USERID, :MTNO, :MTTITLE, :MTNAIYO))");
        }
        q.setText(QStringLiteral("USERID"), userId, 24).setInt(QStringLiteral("MTNO"), mtno);
        q.setText(QStringLiteral("MTTITLE"), title, 50).setText(QStringLiteral("MTNAIYO"), naiyo, kMaxNaiyo);
        q.execSqlExpect(1);
    });
    // The typed title and content stay whatever stopped the save.
    if (r == TWriteResult::Conflict)
        rereadAfterConflict();
    if (r != TWriteResult::Done)
        return;
    FMTNO = mtno;
    accept();
}
