#include "patient/FrmSrcByoU.h"

#include "controls/DBGrid.h"
#include "db/Query.h"

#include <QLineEdit>
#include <QShowEvent>

TFrmSrcByo::TFrmSrcByo(QWidget* parent) : TFrmSearchBase(parent)
{
    setObjectName(QStringLiteral("TFrmSrcByo"));
    setWindowTitle(QStringLiteral("病名検索"));
    edtKana = addCriterion(0, QStringLiteral("病名カナ"), QStringLiteral("edtKana"), 100);
    edtName = addCriterion(1, QStringLiteral("病名"), QStringLiteral("edtName"), 100);
    edtICD10 = addCriterion(2, QStringLiteral("ICD10"), QStringLiteral("edtICD10"), 10);
    edtICD10->setMaximumWidth(120);
    edtICD10->setMinimumWidth(120);
    edtICD10->setAttribute(Qt::WA_InputMethodEnabled, false);
    setColumns({TGridColumn::percent(QStringLiteral("病名"), QStringLiteral("BYONM"), 50),
                TGridColumn::percent(QStringLiteral("カナ"), QStringLiteral("BYOKANA"), 30),
                TGridColumn::fixed(QStringLiteral("ICD10-2013"), QStringLiteral("ICD102013"), 90),
                TGridColumn::fixed(QStringLiteral("病名CD"), QStringLiteral("BCHGCD"), 70)},
               21);
}

void TFrmSrcByo::showEvent(QShowEvent* e)
{
    TFrmSearchBase::showEvent(e);
    if (!e->spontaneous())
        edtICD10->setText(FstrICD10);
}

void TFrmSrcByo::search(TQuery& q)
{
    // The whole master comes once; the criteria filter it on the client, so
    // whatever is typed is compared as text and never becomes part of a
    // statement or an expression.
    if (!q.active()) {
        q.setSql(R"(SELECT "BKNO", "BYONM", "BYOKANA", "ICD102013", "BCHGCD" FROM "KLOV"."M_NMAIN")");
        q.open();
    }
    const QString kana = edtKana->text().trimmed();
    const QString name = edtName->text().trimmed();
    const QString code = edtICD10->text().trimmed();
    if (kana.isEmpty() && name.isEmpty() && code.isEmpty()) {
        q.clearFilter();
        return;
    }
    q.setFilter([kana, name, code](const TRecord& r) {
        return srcmatch::contains(r.field(QStringLiteral("BYOKANA")).asString(), kana)
               && srcmatch::contains(r.field(QStringLiteral("BYONM")).asString(), name)
               && srcmatch::startsWith(r.field(QStringLiteral("ICD102013")).asString(), code);
    });
}

void TFrmSrcByo::takeRow(const TQuery& q)
{
    FstrByo = q.field(QStringLiteral("BYONM")).asString().trimmed();
    FstrICD10 = q.field(QStringLiteral("ICD102013")).asString().trimmed();
    FstrBKNO = q.field(QStringLiteral("BKNO")).asString().trimmed();
}
