#include "patient/FrmSrcOpeU.h"

#include "controls/DBGrid.h"
#include "db/Query.h"

#include <QLineEdit>

TFrmSrcOpe::TFrmSrcOpe(QWidget* parent) : TFrmSearchBase(parent)
{
    setObjectName(QStringLiteral("TFrmSrcOpe"));
    setWindowTitle(QStringLiteral("手術検索"));
    edtName = addCriterion(0, QStringLiteral("名称"), QStringLiteral("edtName"), 100);
    edtKCODE = addCriterion(1, QStringLiteral("Kコード"), QStringLiteral("edtKCODE"), 12);
    edtKCODE->setMaximumWidth(120);
    edtKCODE->setMinimumWidth(120);
    edtKCODE->setAttribute(Qt::WA_InputMethodEnabled, false);
    setColumns({TGridColumn::rest(QStringLiteral("名称"), QStringLiteral("SNM"), 200),
                TGridColumn::fixed(QStringLiteral("Kコード"), QStringLiteral("KCODE"), 120)},
               21);
}

void TFrmSrcOpe::search(TQuery& q)
{
    // The whole master comes once; the criteria filter it on the client.
    if (!q.active()) {
        q.setSql(R"(SELECT "KCODE", "SNM" FROM "KLOV"."M_KCODE")");
        q.open();
    }
    const QString name = edtName->text().trimmed();
    const QString code = edtKCODE->text().trimmed();
    if (name.isEmpty() && code.isEmpty()) {
        q.clearFilter();
        return;
    }
    q.setFilter([name, code](const TRecord& r) {
        return srcmatch::contains(r.field(QStringLiteral("SNM")).asString(), name)
               && srcmatch::startsWith(r.field(QStringLiteral("KCODE")).asString(), code);
    });
}

void TFrmSrcOpe::takeRow(const TQuery& q)
{
    FstrSNM = q.field(QStringLiteral("SNM")).asString().trimmed();
    FstrKCODE = q.field(QStringLiteral("KCODE")).asString().trimmed();
}
