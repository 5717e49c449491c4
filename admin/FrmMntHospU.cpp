#include "admin/FrmMntHospU.h"

#include "admin/AdminCommon.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/TextUtil.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "app/WriteRunner.h"
#include "controls/FieldText.h"
#include "controls/NumberEdit.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "db/Transaction.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
// The text columns in the order of the form.
const char* const kTextColumns[] = {"HOSPNM", "HOSPKANA", "POSTCD", "HOSPADR", "TEL", "FAX", "BIKO"};
} // namespace

TFrmMntHosp::TFrmMntHosp(QWidget* parent) : TFrmOBase(parent)
{
    theme::setupCreamForm(this, QStringLiteral("TFrmMntHosp"), QStringLiteral("施設情報メンテナンス"));

    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(16, 12, 16, 8);
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(8);
    auto edit = [b](const QString& name, int maxLength, int width) {
        auto* e = new QLineEdit(b);
        e->setObjectName(name);
        fieldText::setTypingLimit(e, maxLength);
        e->setMinimumWidth(width);
        return e;
    };
    nedtHOSPNO = admin::newCodeEdit(b, QStringLiteral("nedtHOSPNO"), 110);
    edtHOSPNM = edit(QStringLiteral("edtHOSPNM"), 50, 380);
    edtHOSPKANA = edit(QStringLiteral("edtHOSPKANA"), 50, 380);
    edtPOSTCD = edit(QStringLiteral("edtPOSTCD"), 10, 90);
    edtHOSPADR = edit(QStringLiteral("edtHOSPADR"), 100, 480);
    edtTEL = edit(QStringLiteral("edtTEL"), 20, 160);
    edtFAX = edit(QStringLiteral("edtFAX"), 20, 160);
    edtBIKO = edit(QStringLiteral("edtBIKO"), 100, 480);
    edtPOSTCD->setMaximumWidth(90);
    for (QLineEdit* e : {edtPOSTCD, edtTEL, edtFAX})
        e->setAttribute(Qt::WA_InputMethodEnabled, false);
    auto* postRow = new QHBoxLayout;
    postRow->addWidget(edtPOSTCD);
    postRow->addWidget(widgets::label(b, QStringLiteral("(XXX-XXXX)")));
    postRow->addStretch();

    int r = 0;
    auto row = [&](const QString& caption, QWidget* w) {
        grid->addWidget(widgets::caption(b, caption), r, 0);
        grid->addWidget(w, r++, 1, Qt::AlignLeft);
    };
    row(QStringLiteral("医療機関コード"), nedtHOSPNO);
    row(QStringLiteral("病院名"), edtHOSPNM);
    row(QStringLiteral("病院名カナ"), edtHOSPKANA);
    grid->addWidget(widgets::caption(b, QStringLiteral("郵便番号")), r, 0);
    grid->addLayout(postRow, r++, 1);
    row(QStringLiteral("住　所"), edtHOSPADR);
    row(QStringLiteral("TEL"), edtTEL);
    row(QStringLiteral("FAX"), edtFAX);
    row(QStringLiteral("備　考"), edtBIKO);
    grid->setColumnStretch(1, 1);
    root->addLayout(grid);
    root->addStretch();

    bbtnInsert = widgets::button(b, QStringLiteral("bbtnInsert"), QStringLiteral("　更　新"));
    bbtnClose = widgets::button(b, QStringLiteral("bbtnClose"), QStringLiteral("閉じる"));
    for (QPushButton* p : {bbtnInsert, bbtnClose})
        p->setMinimumSize(100, 32);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bbtnInsert);
    buttons->addStretch();
    buttons->addWidget(bbtnClose);
    root->addLayout(buttons);

    connect(bbtnInsert, &QPushButton::clicked, this, &TFrmMntHosp::bbtnInsertClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::close);
    resize(640, 400);
}

void TFrmMntHosp::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (!FShown)
        FormShow();
}

QList<QStringList> TFrmMntHosp::readRows(TConnection& conn)
{
    TQuery q(&conn);
    q.setSql(R"(SELECT * FROM "KLOV"."M_HOSP" ORDER BY "HOSPNO", "HOSPNM", "HOSPKANA", "POSTCD", "HOSPADR", "TEL", "FAX", "BIKO")");
    q.open();
    QList<QStringList> rows;
    for (; !q.eof(); q.next()) {
        QStringList row{q.field(QStringLiteral("HOSPNO")).isNull() ? QString()
                                                                    : QString::number(q.field(QStringLiteral("HOSPNO")).asInteger())};
        for (const char* c : kTextColumns)
            row << q.field(QString::fromLatin1(c)).asString();
        rows << row;
    }
    return rows;
}

void TFrmMntHosp::FormShow()
{
    FShown = true;
    try {
        FSeen = readRows(dm().ADOCPOST);
    } catch (const std::exception& e) {
        FSeen.clear();
        msg::warning(this, errorWarningText(e));
    }
    QLineEdit* const edits[] = {edtHOSPNM, edtHOSPKANA, edtPOSTCD, edtHOSPADR, edtTEL, edtFAX, edtBIKO};
    const QStringList first = FSeen.isEmpty() ? QStringList() : FSeen.first();
    nedtHOSPNO->setAsInteger(first.isEmpty() ? 0 : first[0].toInt());
    for (int i = 0; i < 7; ++i)
        fieldText::showStored(edits[i], first.isEmpty() ? QString() : first[i + 1]);
    nedtHOSPNO->setFocus();
}

void TFrmMntHosp::bbtnInsertClick()
{
    if (nedtHOSPNO->asInteger() == 0
        && !msg::question(this, QStringLiteral("医療機関番号未登録ですがよろしいですか？"))) {
        nedtHOSPNO->setFocus();
        return;
    }
    if (textutil::trimLeft(edtHOSPNM->text()).isEmpty()) {
        msg::warning(this, QStringLiteral("病院名未入力です。"));
        edtHOSPNM->setFocus();
        return;
    }
    const TWriteResult r = runWrite(this, [&](TConnection& conn) {
        // One writer at a time: two saves at once would each delete the row
        // they saw and leave two rows behind.
        lockScope(conn, QStringLiteral("M_HOSP"));
        if (readRows(conn) != FSeen)
            throw EConflictError(QStringLiteral("hospital data changed meanwhile"));
        TQuery q(&conn);
        q.setSql(R"(DELETE FROM "KLOV"."M_HOSP")");
        q.execSqlExpect(int(FSeen.size()));
        q.setSql(R"(INSERT INTO "KLOV"."M_HOSP" ("HOSPNO","HOSPNM","HOSPKANA","POSTCD","HOSPADR","TEL","FAX","BIKO")
                     VALUES (:HOSPNO,:HOSPNM,:HOSPKANA,:POSTCD,:HOSPADR,:TEL,:FAX,:BIKO))");
        q.setInt(QStringLiteral("HOSPNO"), nedtHOSPNO->asInteger());
        q.setText(QStringLiteral("HOSPNM"), edtHOSPNM->text(), 128);
        q.setText(QStringLiteral("HOSPKANA"), edtHOSPKANA->text(), 128);
        q.setText(QStringLiteral("POSTCD"), edtPOSTCD->text(), 12);
        q.setText(QStringLiteral("HOSPADR"), edtHOSPADR->text(), 128);
        q.setText(QStringLiteral("TEL"), edtTEL->text(), 48);
        q.setText(QStringLiteral("FAX"), edtFAX->text(), 48);
        q.setText(QStringLiteral("BIKO"), edtBIKO->text(), 128);
        q.execSqlExpect(1);
    }, {QStringLiteral("更新に失敗しました。")});
    if (r == TWriteResult::Done) {
        msg::information(this, QStringLiteral("更新しました。"));
        FormShow();
    } else if (r == TWriteResult::Conflict) {
        FormShow();
    }
}
