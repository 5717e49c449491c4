#include "admin/FrmMntUserU.h"

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
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "db/Records.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

const QDate kDefaultStart(2000, 1, 1);
const QDate kDefaultEnd(2099, 12, 31);

// Every writer that may take the maintenance rights from a user holds this
// scope while it checks that another maintenance user remains and writes.
const QString kMaintenanceScope = QStringLiteral("M_USER.MNTFLG");

const QString kKeepOneOnSave =
    QStringLiteral("メンテナンス可能ユーザーは最低一人は必要です。メンテナンス可能にしてください。");
const QString kKeepOneOnDelete = QStringLiteral("メンテナンス可能ユーザーは最低一人は必要です。削除できません。");

QString listSql()
{
    return QStringLiteral(R"(SELECT * ,%1 AS "JTYPNM" ,%2 AS "WOKNM" ,%3 AS "SOKNM" ,%4 AS "KOKNM" ,%5 AS "MNTMK",
                                    CAST(U."xmin" AS text) AS "ROWVER"
                             FROM "KLOV"."M_USER" U)")
        .arg(rec::sqlJtypNm(QStringLiteral("U")), rec::sqlKanoNm(QStringLiteral("WOK"), QStringLiteral("U")),
             rec::sqlKanoNm(QStringLiteral("SOK"), QStringLiteral("U")),
             rec::sqlKanoNm(QStringLiteral("KOK"), QStringLiteral("U")), rec::sqlMntMk(QStringLiteral("U")));
}

// True when a user other than `id` holds the maintenance rights.
bool otherMaintenanceUser(TConnection& conn, const QString& id)
{
    TQuery q(&conn);
    q.setSql(R"(SELECT "USERID" FROM "KLOV"."M_USER" WHERE "MNTFLG" = 1 AND "USERID" <> :USERID LIMIT 1)");
    q.setText("USERID", id, 24);
    q.open();
    return !q.eof();
}

// True when any version of any summary names the user.
bool usedBySummaries(TConnection& conn, const QString& id)
{
    TQuery q(&conn);
    q.setSql(R"(SELECT "KNO" FROM "KLOV"."D_TAIYOU"
                WHERE "SYUDR" = :USERID OR "TANDR1" = :USERID OR "TANDR2" = :USERID OR "TANDR3" = :USERID
                   OR "WUSERID" = :USERID OR "SUSERID" = :USERID OR "KUSERID" = :USERID
                   OR "INSUSERID" = :USERID OR "UPDUSERID" = :USERID
                LIMIT 1)");
    q.setText("USERID", id, 24);
    q.open();
    return !q.eof();
}

// The rule that refuses the user's deletion, in the order they are told;
// empty when the user may go.
QString deleteRefusal(TConnection& conn, const QString& id, bool maintenance)
{
    if (usedBySummaries(conn, id))
        return QStringLiteral("既に使用されているユーザーは削除できません。");
    if (id == G().user.userId)
        return QStringLiteral("自分自身（ログイン中）は削除できません。");
    if (maintenance && !otherMaintenanceUser(conn, id))
        return kKeepOneOnDelete;
    return {};
}

QLineEdit* newEdit(QWidget* parent, const QString& name, int maxLength)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    fieldText::setTypingLimit(e, maxLength);
    return e;
}

QCheckBox* newCheck(QWidget* parent, const QString& name, const QString& text)
{
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(name);
    return c;
}

} // namespace

TFrmMntUser::TFrmMntUser(QWidget* parent) : TFrmOBase(parent)
{
    theme::setupCreamForm(this, QStringLiteral("TFrmMntUser"), QStringLiteral("ユーザーメンテナンス"));
    setWindowState(windowState() | Qt::WindowMaximized);

    ADOQMei = new TQuery(&dm().ADOCPOST, this);
    ADOQMei->setObjectName(QStringLiteral("ADOQMei"));

    QWidget* b = body();
    auto* root = new QHBoxLayout(b);
    root->setContentsMargins(8, 8, 8, 4);

    dbgMei = new TDBGrid(b);
    dbgMei->setObjectName(QStringLiteral("dbgMei"));
    dbgMei->setQuery(ADOQMei);
    root->addWidget(dbgMei, 1);

    auto* editor = new QWidget(b);
    editor->setObjectName(QStringLiteral("pnlEdit"));
    editor->setFixedWidth(380);
    auto* side = new QVBoxLayout(editor);
    side->setContentsMargins(8, 0, 0, 0);
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(6);

    edtID = newEdit(editor, QStringLiteral("edtID"), 24);
    edtID->setAttribute(Qt::WA_InputMethodEnabled, false);
    edtPass = newEdit(editor, QStringLiteral("edtPass"), 24);
    edtKana = newEdit(editor, QStringLiteral("edtKana"), 50);
    edtName = newEdit(editor, QStringLiteral("edtName"), 50);
    for (QLineEdit* e : {edtKana, edtName})
        widgets::hiraganaInput(e);
    cmbJTYP = widgets::combo(editor, QStringLiteral("cmbJTYP"), 120);
    cmbJTYP->addItems({QStringLiteral("医師"), QStringLiteral("ＤＣ"), QStringLiteral("その他")});
    cbWOK = newCheck(editor, QStringLiteral("cbWOK"), QStringLiteral("記載完了可能"));
    cbSOK = newCheck(editor, QStringLiteral("cbSOK"), QStringLiteral("承認可能"));
    cbKOK = newCheck(editor, QStringLiteral("cbKOK"), QStringLiteral("完成確認可能"));
    cbMntFlg = newCheck(editor, QStringLiteral("cbMntFlg"), QStringLiteral("メンテナンス可能ユーザー"));
    dtpYStrDte = widgets::datePicker(editor, QStringLiteral("dtpYStrDte"), widgets::TDateStyle::Kanji, kDefaultStart);
    dtpYEndDte = widgets::datePicker(editor, QStringLiteral("dtpYEndDte"), widgets::TDateStyle::Kanji, kDefaultEnd);
    edtComm = newEdit(editor, QStringLiteral("edtComm"), 50);

    auto* period = new QHBoxLayout;
    period->addWidget(dtpYStrDte);
    period->addWidget(new QLabel(QStringLiteral("～"), editor));
    period->addWidget(dtpYEndDte);
    period->addStretch();

    int r = 0;
    auto row = [&](const QString& caption, QWidget* w) {
        grid->addWidget(widgets::caption(editor, caption), r, 0);
        grid->addWidget(w, r++, 1);
    };
    row(QStringLiteral("ユーザーID"), edtID);
    row(QStringLiteral("パスワード"), edtPass);
    row(QStringLiteral("かな"), edtKana);
    row(QStringLiteral("ユーザー名"), edtName);
    row(QStringLiteral("職種"), cmbJTYP);
    for (QCheckBox* c : {cbWOK, cbSOK, cbKOK, cbMntFlg})
        grid->addWidget(c, r++, 1);
    grid->addWidget(widgets::caption(editor, QStringLiteral("有効期間")), r, 0);
    grid->addLayout(period, r++, 1);
    row(QStringLiteral("コメント"), edtComm);
    grid->setColumnStretch(1, 1);
    side->addLayout(grid);
    side->addStretch();

    auto command = [editor](const QString& name, const QString& text) {
        QPushButton* p = widgets::button(editor, name, text);
        p->setMinimumSize(100, 32);
        return p;
    };
    bbtnInsert = command(QStringLiteral("bbtnInsert"), QStringLiteral("　更　新"));
    bbtnDelete = command(QStringLiteral("bbtnDelete"), QStringLiteral("　削　除"));
    bbtnOut = command(QStringLiteral("bbtnOut"), QStringLiteral("出力処理"));
    bbtnClose = command(QStringLiteral("bbtnClose"), QStringLiteral("閉じる"));
    auto* buttons = new QGridLayout;
    buttons->addWidget(bbtnInsert, 0, 0);
    buttons->addWidget(bbtnDelete, 0, 1);
    buttons->addWidget(bbtnOut, 1, 0);
    buttons->addWidget(bbtnClose, 1, 1);
    side->addLayout(buttons);
    root->addWidget(editor);

    connect(ADOQMei, &TQuery::recordChanged, this, &TFrmMntUser::ADOQMeiAfterScroll);
    connect(edtID, &QLineEdit::editingFinished, this, &TFrmMntUser::edtIDExit);
    connect(bbtnInsert, &QPushButton::clicked, this, &TFrmMntUser::bbtnInsertClick);
    connect(bbtnDelete, &QPushButton::clicked, this, &TFrmMntUser::bbtnDeleteClick);
    connect(bbtnOut, &QPushButton::clicked, this, &TFrmMntUser::bbtnOutClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::close);

    resize(1200, 640);
}

TFrmMntUser::~TFrmMntUser() = default;

int TFrmMntUser::jobTypeOfIndex(int index) { return index == 0 ? 0 : index == 1 ? 1 : 9; }

int TFrmMntUser::indexOfJobType(int jtyp) { return jtyp == 0 ? 0 : jtyp == 1 ? 1 : 2; }

void TFrmMntUser::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (!FShown)
        FormShow();
}

void TFrmMntUser::FormShow()
{
    FShown = true;
    const auto center = Qt::AlignHCenter | Qt::AlignVCenter;
    dbgMei->setColumns({TGridColumn::percent(QStringLiteral("ユーザーID"), QStringLiteral("USERID"), 8),
                        TGridColumn::percent(QStringLiteral("パスワード"), QStringLiteral("PASSW"), 8),
                        TGridColumn::percent(QStringLiteral("かな"), QStringLiteral("USERKANA"), 8),
                        TGridColumn::percent(QStringLiteral("ユーザー名"), QStringLiteral("USERNM"), 12),
                        TGridColumn::percent(QStringLiteral("職種"), QStringLiteral("JTYPNM"), 5),
                        TGridColumn::percent(QStringLiteral("記載完了"), QStringLiteral("WOKNM"), 5),
                        TGridColumn::percent(QStringLiteral("承認"), QStringLiteral("SOKNM"), 5),
                        TGridColumn::percent(QStringLiteral("完成確認"), QStringLiteral("KOKNM"), 5),
                        TGridColumn::percent(QStringLiteral("メンテ可能"), QStringLiteral("MNTMK"), 5, center),
                        TGridColumn::percent(QStringLiteral("有効開始日"), QStringLiteral("YSTRDTE"), 10),
                        TGridColumn::percent(QStringLiteral("有効終了日"), QStringLiteral("YENDDTE"), 10),
                        TGridColumn::percent(QStringLiteral("コメント"), QStringLiteral("COMM"), 10)},
                       22);
    dbgMei->resetSort();
    openList();
    edtID->setFocus();
}

void TFrmMntUser::openList()
{
    try {
        TWaitCursor wait;
        ADOQMei->setSql(listSql());
        ADOQMei->open();
    } catch (const std::exception& e) {
        ADOQMei->close();
        msg::warning(this, errorWarningText(e));
        return;
    }
    dbgMei->reapplySort();
    ADOQMei->first();
}

void TFrmMntUser::ADOQMeiAfterScroll()
{
    if (!FScrollAttached || !ADOQMei->active() || ADOQMei->isEmpty())
        return;
    const TQuery& q = *ADOQMei;
    fieldText::showStored(edtID, q.field("USERID").asString());
    fieldText::showStored(edtPass, q.field("PASSW").asString());
    fieldText::showStored(edtKana, q.field("USERKANA").asString());
    fieldText::showStored(edtName, q.field("USERNM").asString());
    cmbJTYP->setCurrentIndex(indexOfJobType(q.field("JTYP").asInteger()));
    cbWOK->setChecked(q.field("WOK").asInteger() == 1);
    cbSOK->setChecked(q.field("SOK").asInteger() == 1);
    cbKOK->setChecked(q.field("KOK").asInteger() == 1);
    cbMntFlg->setChecked(q.field("MNTFLG").asInteger() == 1);
    // The pickers show the user's own period, so that a save keeps it.
    const QDate start = rec::storedDate(q.field("YSTRDTE"));
    const QDate end = rec::storedDate(q.field("YENDDTE"));
    dtpYStrDte->setDate(start.isValid() ? start : kDefaultStart);
    dtpYEndDte->setDate(end.isValid() ? end : kDefaultEnd);
    fieldText::showStored(edtComm, q.field("COMM").asString());
    FSeen = TSeen{q.field("USERID").asString(), q.field("ROWVER").asString()};
}

bool TFrmMntUser::locateUser(const QString& id)
{
    // IDs are told apart by case: "abc" never stands for "ABC".
    return ADOQMei->active() && ADOQMei->locate(QStringLiteral("USERID"), id, {false, false});
}

void TFrmMntUser::refresh(const QString& id, bool reload)
{
    FScrollAttached = reload;
    openList();
    locateUser(id);
    FScrollAttached = true;
}

void TFrmMntUser::setDefaults()
{
    for (QLineEdit* e : {edtPass, edtKana, edtName, edtComm})
        e->clear();
    cmbJTYP->setCurrentIndex(0);
    for (QCheckBox* c : {cbWOK, cbSOK, cbKOK, cbMntFlg})
        c->setChecked(false);
    dtpYStrDte->setDate(kDefaultStart);
    dtpYEndDte->setDate(kDefaultEnd);
    FSeen.reset();
}

QString TFrmMntUser::editedId() const
{
    const QString typed = edtID->text();
    const QString trimmed = textutil::trimBoth(typed);
    if (FSeen && (typed == FSeen->id || trimmed == FSeen->id))
        return FSeen->id;
    return trimmed;
}

void TFrmMntUser::edtIDExit()
{
    const QString id = editedId();
    try {
        TQuery q(&dm().ADOCPOST);
        q.setSql(R"(SELECT "USERID" FROM "KLOV"."M_USER" WHERE "USERID" = :USERID)");
        q.setText("USERID", id, 24);
        q.open();
        if (!q.eof()) {
            // A user registered elsewhere since the list was read shows after reading it again.
            bool found = locateUser(id);
            if (!found) {
                refresh(id, false);
                found = locateUser(id);
            }
            if (found)
                ADOQMeiAfterScroll();
            return;
        }
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return;
    }
    setDefaults();
}

TFrmMntUser::TValues TFrmMntUser::editorValues() const
{
    TValues v;
    v.id = editedId();
    v.pass = textutil::trimLeft(edtPass->text());
    v.kana = edtKana->text();
    v.name = edtName->text();
    v.comm = edtComm->text();
    v.jtyp = jobTypeOfIndex(cmbJTYP->currentIndex());
    v.wok = cbWOK->isChecked();
    v.sok = cbSOK->isChecked();
    v.kok = cbKOK->isChecked();
    v.mnt = cbMntFlg->isChecked();
    v.start = dtpYStrDte->date();
    v.end = dtpYEndDte->date();
    return v;
}

bool TFrmMntUser::unchanged(const TValues& v)
{
    TQuery q(&dm().ADOCPOST);
    q.setSql(R"(SELECT * FROM "KLOV"."M_USER" WHERE "USERID" = :USERID)");
    q.setText("USERID", v.id, 24);
    q.open();
    if (q.eof())
        return false;
    auto flag = [&q](const char* name) { return q.field(QString::fromLatin1(name)).asInteger() == 1; };
    return q.field("PASSW").asString() == v.pass && q.field("USERNM").asString() == v.name
           && q.field("USERKANA").asString() == v.kana && q.field("JTYP").asInteger() == v.jtyp
           && flag("WOK") == v.wok && flag("SOK") == v.sok && flag("KOK") == v.kok && flag("MNTFLG") == v.mnt
           && q.field("COMM").asString() == v.comm && rec::storedDate(q.field("YSTRDTE")) == v.start
           && rec::storedDate(q.field("YENDDTE")) == v.end;
}

void TFrmMntUser::writeUser(TConnection& conn, const TValues& v, QString& refusal)
{
    // Two workstations taking the rights from the last two maintenance users
    // at once: the second one waits here and then sees the first one's write.
    lockScope(conn, kMaintenanceScope);
    if (!v.mnt && !otherMaintenanceUser(conn, v.id)) {
        refusal = kKeepOneOnSave;
        return;
    }
    TQuery q(&conn);
    const bool update = FSeen && FSeen->id == v.id;
    if (update) {
        q.setSql(R"(UPDATE "KLOV"."M_USER" SET "PASSW" = :PASSW, "PASSCDTE" = DATE_TRUNC('day',NOW()),
                           "USERKANA" = :USERKANA, "USERNM" = :USERNM, "JTYP" = :JTYP, "WOK" = :WOK, "SOK" = :SOK,
                           "KOK" = :KOK, "MNTFLG" = :MNTFLG, "COMM" = :COMM,
                           "YSTRDTE" = TO_TIMESTAMP(:YSTRDTE,'YYYYMMDD'), "YENDDTE" = TO_TIMESTAMP(:YENDDTE,'YYYYMMDD'),
                           "UPDDTM" = DATE_TRUNC('second',NOW()), "UPDUSERID" = :UPDUSERID
                    WHERE "USERID" = :USERID AND CAST("xmin" AS text) = :ROWVER)");
        q.setText("ROWVER", FSeen->rowVer, 0);
    } else {
        // A user registered meanwhile by another workstation makes this a
        // second row with its key: refused as a conflict.
        q.setSql(R"(INSERT INTO "KLOV"."M_USER" ("USERID", "PASSW", "PASSCDTE", "USERKANA", "USERNM", "JTYP", "WOK",
                           "SOK", "KOK", "MNTFLG", "COMM", "YSTRDTE", "YENDDTE", "INSDTM", "INSUSERID", "UPDDTM", "UPDUSERID")
                    VALUES (:USERID, :PASSW, DATE_TRUNC('day',NOW()), :USERKANA, :USERNM, :JTYP, :WOK, :SOK, :KOK,
                            :MNTFLG, :COMM, TO_TIMESTAMP(:YSTRDTE,'YYYYMMDD'), TO_TIMESTAMP(:YENDDTE,'YYYYMMDD'),
                            DATE_TRUNC('second',NOW()), :UPDUSERID, NULL, NULL))");
    }
    q.setText("USERID", v.id, 24).setText("PASSW", v.pass, 24);
    q.setText("USERKANA", v.kana, 64).setText("USERNM", v.name, 64).setText("COMM", v.comm, 100);
    q.setInt("JTYP", v.jtyp).setInt("WOK", v.wok).setInt("SOK", v.sok).setInt("KOK", v.kok).setInt("MNTFLG", v.mnt);
    q.setText("YSTRDTE", rec::yyyymmdd(v.start), 8).setText("YENDDTE", rec::yyyymmdd(v.end), 8);
    q.setText("UPDUSERID", G().user.userId, 24);
    q.execSqlExpect(1);
}

void TFrmMntUser::bbtnInsertClick()
{
    const TValues v = editorValues();
    if (textutil::trimBoth(edtID->text()).isEmpty()) {
        msg::warning(this, QStringLiteral("ユーザーＩＤが未入力です。"));
        edtID->setFocus();
        return;
    }
    if (v.pass.isEmpty()) {
        msg::warning(this, QStringLiteral("パスワードが未入力です。"));
        edtPass->setFocus();
        return;
    }
    if (textutil::trimLeft(v.name).isEmpty()) {
        msg::warning(this, QStringLiteral("ユーザー名が未入力です。"));
        edtName->setFocus();
        return;
    }
    try {
        if (!v.mnt && !otherMaintenanceUser(dm().ADOCPOST, v.id)) {
            msg::warning(this, kKeepOneOnSave);
            cbMntFlg->setFocus();
            return;
        }
        if (!msg::question(this, QStringLiteral("更新します。\r\nよろしいですか？")))
            return;
        if (unchanged(v))
            return;
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return;
    }

    QString refusal;
    const TWriteResult r = runWrite(this, [&](TConnection& conn) { writeUser(conn, v, refusal); },
                                    {QStringLiteral("更新に失敗しました。")});
    const bool saved = r == TWriteResult::Done && refusal.isEmpty();
    if (!refusal.isEmpty())
        msg::warning(this, refusal);
    // After a conflict the editor shows the user as stored now; otherwise
    // it keeps what was typed.
    refresh(v.id, r == TWriteResult::Conflict);
    if (saved && ADOQMei->active() && !ADOQMei->isEmpty() && ADOQMei->field("USERID").asString() == v.id)
        FSeen = TSeen{v.id, ADOQMei->field("ROWVER").asString()};
    edtID->setFocus();
}

void TFrmMntUser::bbtnDeleteClick()
{
    if (!ADOQMei->active() || ADOQMei->isEmpty()) {
        msg::warning(this, QStringLiteral("ユーザーが存在しません。"));
        return;
    }
    // The checks, the question and the delete all concern the selected row,
    // whatever has been typed into the ID field since.
    const QString id = ADOQMei->field("USERID").asString();
    const bool maintenance = ADOQMei->field("MNTFLG").asInteger() == 1;
    const QString rowVer = ADOQMei->field("ROWVER").asString();
    try {
        const QString refusal = deleteRefusal(dm().ADOCPOST, id, maintenance);
        if (!refusal.isEmpty()) {
            msg::warning(this, refusal);
            return;
        }
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return;
    }
    if (!msg::question(this, QStringLiteral("ユーザーＩＤ「%1」を削除します。\r\nよろしいですか？").arg(id)))
        return;

    QString refusal;
    runWrite(this, [&](TConnection& conn) {
        lockScope(conn, kMaintenanceScope);
        refusal = deleteRefusal(conn, id, maintenance);
        if (!refusal.isEmpty())
            return;
        TQuery q(&conn);
        q.setSql(R"(DELETE FROM "KLOV"."M_USER" WHERE "USERID" = :USERID AND CAST("xmin" AS text) = :ROWVER)");
        q.setText("USERID", id, 24).setText("ROWVER", rowVer, 0);
        q.execSqlExpect(1);
    }, {QStringLiteral("削除に失敗しました。")});
    if (!refusal.isEmpty())
        msg::warning(this, refusal);
    openList();
    edtID->setFocus();
}

QStringList userCsvLines(TQuery& users)
{
    auto text = [&users](const char* name, int bytes) {
        return csv::quotedAsStored(sjis::cutToBytes(users.field(QString::fromLatin1(name)).asString(), bytes));
    };
    auto date = [&users](const char* name) {
        const TField f = users.field(QString::fromLatin1(name));
        return f.isNull() ? QString() : f.asDate().toString(QStringLiteral("yyyy/MM/dd"));
    };
    auto when = [&users](const char* name, const char* yes) {
        return csv::quoted(users.field(QString::fromLatin1(name)).asInteger() == 1 ? QString::fromUtf8(yes) : QString());
    };

    QStringList titles;
    for (const char* t : {"ユーザーID", "パスワード", "ふりがな", "ユーザー名", "職種", "記載完了", "承認", "完成確認",
                          "メンテナンス権限", "コメント", "有効開始日", "有効終了日", "登録ユーザーID", "登録日時",
                          "更新ユーザーID", "更新日時"})
        titles << csv::quoted(QString::fromUtf8(t));
    QStringList lines{csv::line(titles)};

    for (users.first(); !users.eof(); users.next()) {
        const int jtyp = users.field("JTYP").asInteger();
        const QString job = jtyp == 0 ? QStringLiteral("医師") : jtyp == 1 ? QStringLiteral("ＤＣ") : QStringLiteral("その他");
        QStringList cells{text("USERID", 24), text("PASSW", 24), text("USERKANA", 64), text("USERNM", 64),
                          csv::quoted(job), when("WOK", "可能"), when("SOK", "可能"), when("KOK", "可能"),
                          when("MNTFLG", "メンテ可能"), text("COMM", 100), date("YSTRDTE"), date("YENDDTE"),
                          text("INSUSERID", 24), date("INSDTM")};
        if (!textutil::trimBoth(users.field("UPDUSERID").asString()).isEmpty())
            cells << text("UPDUSERID", 24) << date("UPDDTM");
        else
            cells << csv::quoted(QString()) << QString();
        lines << csv::line(cells);
    }
    return lines;
}

void TFrmMntUser::bbtnOutClick()
{
    QStringList lines;
    try {
        TWaitCursor wait;
        TQuery q(&dm().ADOCPOST);
        q.setSql(R"(SELECT * FROM "KLOV"."M_USER" ORDER BY "USERID")");
        q.open();
        lines = userCsvLines(q);
    } catch (const std::exception&) {
        msg::warning(this, QStringLiteral("ユーザー抽出に失敗しました。"));
        return;
    }
    const QString path = FAskSaveFile(this, QStringLiteral("ユーザ情報CSV.csv"), QStringLiteral("ユーザ情報CSV"));
    if (path.isEmpty())
        return;
    if (!csv::writeReporting(this, path, lines))
        return;
    msg::information(this, QStringLiteral("正常に出力しました。"));
}

void OpenUserMaintenance(QWidget* parent)
{
    TFrmMntUser frm(parent);
    frm.exec();
}
