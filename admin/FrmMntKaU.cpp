#include "admin/FrmMntKaU.h"

#include "admin/AdminCommon.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/SjisText.h"
#include "app/TextUtil.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "app/WaitCursor.h"
#include "app/WriteRunner.h"
#include "controls/DBGrid.h"
#include "controls/FieldText.h"
#include "controls/NumberEdit.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/Query.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <vector>

namespace {

void openDepartment(TQuery& q, int code)
{
    q.setSql(R"(SELECT * FROM "KLOV"."M_KA" WHERE "KACD" = :KACD)");
    q.setInt(QStringLiteral("KACD"), code);
    q.open();
}

} // namespace

TFrmMntKa::TFrmMntKa(QWidget* parent) : TFrmOBase(parent)
{
    theme::setupCreamForm(this, QStringLiteral("TFrmMntKa"), QStringLiteral("診療科メンテナンス"));
    ADOQMei = new TQuery(&dm().ADOCPOST, this);
    ADOQMei->setObjectName(QStringLiteral("ADOQMei"));

    QWidget* b = body();
    auto* root = new QHBoxLayout(b);
    root->setContentsMargins(8, 8, 8, 6);
    root->setSpacing(12);

    dbgMei = new TDBGrid(b);
    dbgMei->setObjectName(QStringLiteral("dbgMei"));
    dbgMei->setQuery(ADOQMei);
    root->addWidget(dbgMei, 1);

    auto* editorPanel = new QWidget(b);
    editorPanel->setMaximumWidth(480);
    auto* editor = new QVBoxLayout(editorPanel);
    editor->setContentsMargins(0, 0, 0, 0);
    auto* fields = new QGridLayout;
    fields->setVerticalSpacing(8);
    nedtCD = admin::newCodeEdit(b, QStringLiteral("nedtCD"), 80);
    edtName = new QLineEdit(b);
    edtName->setObjectName(QStringLiteral("edtName"));
    fieldText::setTypingLimit(edtName, 25);
    edtName->setMinimumWidth(260);
    edtRName = new QLineEdit(b);
    edtRName->setObjectName(QStringLiteral("edtRName"));
    fieldText::setTypingLimit(edtRName, 1);
    edtRName->setFixedWidth(40);
    cbDspFlg = new QCheckBox(QStringLiteral("表示対象から外す場合チェックしてください。"), b);
    cbDspFlg->setObjectName(QStringLiteral("cbDspFlg"));
    fields->addWidget(widgets::caption(b, QStringLiteral("診療科コード")), 0, 0);
    fields->addWidget(nedtCD, 0, 1, Qt::AlignLeft);
    fields->addWidget(widgets::caption(b, QStringLiteral("診療科名")), 1, 0);
    fields->addWidget(edtName, 1, 1);
    fields->addWidget(widgets::caption(b, QStringLiteral("略称")), 2, 0);
    fields->addWidget(edtRName, 2, 1, Qt::AlignLeft);
    fields->addWidget(cbDspFlg, 3, 1);
    editor->addLayout(fields);
    editor->addStretch();

    auto button = [b](const QString& name, const QString& text) {
        QPushButton* p = widgets::button(b, name, text);
        p->setMinimumSize(100, 32);
        return p;
    };
    bbtnInsert = button(QStringLiteral("bbtnInsert"), QStringLiteral("　更　新"));
    bbtnDelete = button(QStringLiteral("bbtnDelete"), QStringLiteral("　削　除"));
    bbtnOut = button(QStringLiteral("bbtnOut"), QStringLiteral("出力処理"));
    bbtnClose = button(QStringLiteral("bbtnClose"), QStringLiteral("閉じる"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bbtnInsert);
    buttons->addWidget(bbtnDelete);
    buttons->addWidget(bbtnOut);
    buttons->addStretch();
    buttons->addWidget(bbtnClose);
    editor->addLayout(buttons);
    root->addWidget(editorPanel);

    setTabOrder(nedtCD, edtName);
    setTabOrder(edtName, edtRName);
    setTabOrder(edtRName, cbDspFlg);
    setTabOrder(cbDspFlg, bbtnInsert);

    connect(dbgMei, &TDBGrid::currentRecordChanged, this, &TFrmMntKa::ADOQMeiAfterScroll);
    connect(nedtCD, &TNumberEdit::exited, this, &TFrmMntKa::nedtCDExit);
    connect(bbtnInsert, &QPushButton::clicked, this, &TFrmMntKa::bbtnInsertClick);
    connect(bbtnDelete, &QPushButton::clicked, this, &TFrmMntKa::bbtnDeleteClick);
    connect(bbtnOut, &QPushButton::clicked, this, &TFrmMntKa::bbtnOutClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::close);

    setWindowState(windowState() | Qt::WindowMaximized);
    resize(1000, 600);
}

TFrmMntKa::~TFrmMntKa() = default;

void TFrmMntKa::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (!FShown)
        FormShow();
}

void TFrmMntKa::FormShow()
{
    FShown = true;
    dbgMei->setColumns({TGridColumn::percent(QStringLiteral("CD"), QStringLiteral("KACD"), 20, Qt::AlignRight),
                        TGridColumn::percent(QStringLiteral("診療科名"), QStringLiteral("KANM"), 40),
                        TGridColumn::percent(QStringLiteral("略称"), QStringLiteral("KARNM"), 20),
                        TGridColumn::percent(QStringLiteral("表示"), QStringLiteral("DSPMK"), 20, Qt::AlignCenter)},
                       22);
    dbgMei->resetSort();
    openList();
    ADOQMei->first();
    ADOQMeiAfterScroll();
    nedtCD->setFocus();
}

void TFrmMntKa::openList()
{
    try {
        TWaitCursor wait;
        if (!ADOQMei->active() || ADOQMei->sql().isEmpty()) {
            ADOQMei->setSql(R"(SELECT * ,CAST((CASE WHEN "DSPKBN" = 0 THEN '○' WHEN "DSPKBN" = 1 THEN '×' ELSE '' END)
                                 AS character varying(1)) AS "DSPMK" FROM "KLOV"."M_KA")");
            ADOQMei->open();
        } else {
            ADOQMei->requery();
        }
    } catch (const std::exception& e) {
        ADOQMei->close();
        msg::warning(this, errorWarningText(e));
        return;
    }
    dbgMei->reapplySort();
}

TFrmMntKa::TSeen TFrmMntKa::seenOf(const TQuery& q)
{
    TSeen s;
    s.code = q.field(QStringLiteral("KACD")).asInteger();
    s.exists = true;
    s.name = q.field(QStringLiteral("KANM")).asString();
    s.rname = q.field(QStringLiteral("KARNM")).asString();
    s.dspkbn = q.field(QStringLiteral("DSPKBN")).asInteger();
    return s;
}

void TFrmMntKa::showSeen(const TSeen& seen)
{
    FSeen = seen;
    nedtCD->setAsInteger(seen.code);
    fieldText::showStored(edtName, seen.name);
    fieldText::showStored(edtRName, seen.rname);
    cbDspFlg->setChecked(seen.dspkbn == 1);
}

void TFrmMntKa::ADOQMeiAfterScroll()
{
    if (FLoading || !ADOQMei->active() || ADOQMei->isEmpty())
        return;
    showSeen(seenOf(*ADOQMei));
}

void TFrmMntKa::nedtCDExit()
{
    const int code = nedtCD->asInteger();
    try {
        TQuery q(&dm().ADOCPOST);
        openDepartment(q, code);
        if (q.eof()) {
            FSeen = TSeen{code, false, {}, {}, 0};
            edtName->clear();
            edtRName->clear();
            cbDspFlg->setChecked(false);
            return;
        }
        showSeen(seenOf(q));
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return;
    }
    FLoading = true;
    dbgMei->locate(QStringLiteral("KACD"), code);
    FLoading = false;
}

void TFrmMntKa::requeryAt(int code)
{
    FLoading = true;
    openList();
    const bool found = dbgMei->locate(QStringLiteral("KACD"), code);
    FLoading = false;
    FSeen = found ? seenOf(*ADOQMei) : TSeen{code, false, {}, {}, 0};
}

void TFrmMntKa::bbtnInsertClick()
{
    const int code = nedtCD->asInteger();
    const QString name = textutil::trimLeft(edtName->text());
    const QString rname = textutil::trimLeft(edtRName->text());
    if (code == 0) {
        msg::warning(this, QStringLiteral("診療科コードが未入力です。"));
        nedtCD->setFocus();
        return;
    }
    if (name.isEmpty()) {
        msg::warning(this, QStringLiteral("診療科名が未入力です。"));
        edtName->setFocus();
        return;
    }
    if (rname.isEmpty()) {
        msg::warning(this, QStringLiteral("診療科略称が未入力です。"));
        edtRName->setFocus();
        return;
    }
    if (!msg::question(this, QStringLiteral("更新します。\r\nよろしいですか？")))
        return;
    // What the user saw of this code: a code typed without being looked up
    // counts as one that does not exist yet.
    const TSeen seen = FSeen.code == code ? FSeen : TSeen{code, false, {}, {}, 0};
    const int dspkbn = cbDspFlg->isChecked() ? 1 : 0;
    const TWriteResult r = runWrite(this, [&](TConnection& conn) {
        TQuery q(&conn);
        openDepartment(q, code);
        if (q.eof() == seen.exists)
            throw EConflictError(QStringLiteral("department %1 registered or deleted meanwhile").arg(code));
        if (seen.exists) {
            const QString insUser = q.field(QStringLiteral("INSUSERID")).asString();
            q.setSql(R"(UPDATE "KLOV"."M_KA" SET "KANM" = :KANM, "KARNM" = :KARNM, "DSPKBN" = :DSPKBN ,
                               "INSUSERID" = :INSUSERID, "UPDDTM" = NOW(), "UPDUSERID" = :UPDUSERID
                         WHERE "KACD" = :KACD AND COALESCE("KANM", '') = :OKANM
                           AND COALESCE("KARNM", '') = :OKARNM AND "DSPKBN" = :ODSPKBN)");
            q.setText(QStringLiteral("INSUSERID"), insUser, 24);
            q.setText(QStringLiteral("OKANM"), seen.name, 0);
            q.setText(QStringLiteral("OKARNM"), seen.rname, 0);
            q.setInt(QStringLiteral("ODSPKBN"), seen.dspkbn);
        } else {
            q.setSql(R"(INSERT INTO "KLOV"."M_KA" ( "KACD", "KANM", "KARNM", "DSPKBN", "INSDTM", "INSUSERID", "UPDDTM", "UPDUSERID")
                         VALUES (:KACD,:KANM,:KARNM,:DSPKBN, NOW() ,:INSUSERID, NOW() ,:UPDUSERID))");
            q.setText(QStringLiteral("INSUSERID"), G().user.userId, 24);
        }
        q.setInt(QStringLiteral("KACD"), code);
        q.setText(QStringLiteral("KANM"), name, 50);
        q.setText(QStringLiteral("KARNM"), rname, 2);
        q.setInt(QStringLiteral("DSPKBN"), dspkbn);
        q.setText(QStringLiteral("UPDUSERID"), G().user.userId, 24);
        q.execSqlExpect(1);
    }, {QStringLiteral("更新に失敗しました。")});
    requeryAt(code);
    if (r == TWriteResult::Conflict)
        nedtCDExit();   // show what is stored now
    nedtCD->setFocus();
}

void TFrmMntKa::bbtnDeleteClick()
{
    if (!ADOQMei->active() || ADOQMei->isEmpty()) {
        msg::warning(this, QStringLiteral("診療科が存在しません。"));
        return;
    }
    const TSeen row = seenOf(*ADOQMei);
    const QString usedText = QStringLiteral("既にこの診療科で入院登録がされています。削除できません。");
    auto usedBySummary = [&row](TConnection& conn) {
        TQuery q(&conn);
        q.setSql(R"(SELECT "KNO" FROM "KLOV"."D_TAIYOU" WHERE "KACD" = :KACD LIMIT 1)");
        q.setInt(QStringLiteral("KACD"), row.code);
        q.open();
        return !q.eof();
    };
    try {
        if (usedBySummary(dm().ADOCPOST)) {
            msg::warning(this, usedText);
            return;
        }
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return;
    }
    if (!msg::question(this, row.name + QStringLiteral("を削除します。\r\nよろしいですか？")))
        return;
    bool used = false;
    const TWriteResult r = runWrite(this, [&](TConnection& conn) {
        TQuery q(&conn);
        // Summaries being saved elsewhere finish first, and none starts until
        // this commits: a summary cannot take the department while it goes.
        q.setSql(R"(LOCK TABLE "KLOV"."D_TAIYOU" IN SHARE MODE)");
        q.execSql();
        used = usedBySummary(conn);
        if (used)
            return;
        q.setSql(R"(DELETE FROM "KLOV"."M_KA" WHERE "KACD" = :KACD AND COALESCE("KANM", '') = :OKANM
                      AND COALESCE("KARNM", '') = :OKARNM AND "DSPKBN" = :ODSPKBN)");
        q.setInt(QStringLiteral("KACD"), row.code);
        q.setText(QStringLiteral("OKANM"), row.name, 0);
        q.setText(QStringLiteral("OKARNM"), row.rname, 0);
        q.setInt(QStringLiteral("ODSPKBN"), row.dspkbn);
        q.execSqlExpect(1);
        q.setSql(R"(DELETE FROM "KLOV"."M_DRKA" WHERE "KACD" = :KACD)");
        q.setInt(QStringLiteral("KACD"), row.code);
        q.execSql();
    }, {QStringLiteral("削除に失敗しました。")});
    if (r == TWriteResult::Done && used)
        msg::warning(this, usedText);
    openList();
    ADOQMeiAfterScroll();
    nedtCD->setFocus();
}

void TFrmMntKa::bbtnOutClick()
{
    struct TRow {
        int code;
        QString name;
        QString rname;
        int dspkbn;
    };
    std::vector<TRow> rows;
    try {
        TWaitCursor wait;
        TQuery q(&dm().ADOCPOST);
        q.setSql(R"(SELECT* FROM "KLOV"."M_KA" ORDER BY "KACD")");
        q.open();
        for (; !q.eof(); q.next())
            rows.push_back({q.field(QStringLiteral("KACD")).asInteger(),
                            sjis::cutToBytes(q.field(QStringLiteral("KANM")).asString(), 48),
                            sjis::cutToBytes(q.field(QStringLiteral("KARNM")).asString(), 2),
                            q.field(QStringLiteral("DSPKBN")).asInteger()});
    } catch (const std::exception&) {
        msg::warning(this, QStringLiteral("診療科情報抽出に失敗しました。"));
        return;
    }
    QStringList lines{csv::line({csv::quoted(QStringLiteral("診療科コード")), csv::quoted(QStringLiteral("診療科名")),
                                 csv::quoted(QStringLiteral("診療科略称")), csv::quoted(QStringLiteral("表示区分"))})};
    for (const TRow& row : rows)
        lines << csv::line({QString::number(row.code), csv::quotedAsStored(row.name), csv::quotedAsStored(row.rname),
                            csv::quoted(row.dspkbn != 0 ? QStringLiteral("非表示") : QStringLiteral("表示"))});
    const QString path = FAskSaveFile(this, QStringLiteral("診療科情報CSV.csv"), QStringLiteral("診療科情報CSV"));
    if (path.isEmpty())
        return;
    if (!csv::writeReporting(this, path, lines))
        return;
    msg::information(this, QStringLiteral("正常に出力しました。"));
}
