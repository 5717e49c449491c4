#include "patient/FrmSrcDrU.h"

#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/UntDM.h"
#include "controls/DBGrid.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "db/Records.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>

namespace {
QString slashDate(const TField& f)
{
    if (f.isNull())
        return {};
    return f.asDate().toString(QStringLiteral("yyyy/MM/dd"));
}
} // namespace

TFrmSrcDr::TFrmSrcDr(QWidget* parent) : TFrmSearchBase(parent)
{
    setObjectName(QStringLiteral("TFrmSrcDr"));
    setWindowTitle(QStringLiteral("医師検索"));
    auto* cap = new QLabel(QStringLiteral("診療科"), this);
    cap->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cmbKA = new QComboBox(this);
    cmbKA->setObjectName(QStringLiteral("cmbKA"));
    cmbKA->setMinimumWidth(200);
    criteria()->addWidget(cap, 0, 0);
    criteria()->addWidget(cmbKA, 0, 1, Qt::AlignLeft);
    edtName = addCriterion(1, QStringLiteral("氏名"), QStringLiteral("edtName"), 64);
    edtKana = addCriterion(2, QStringLiteral("カナ"), QStringLiteral("edtKana"), 64);
    auto date = [](const QString& title, const QString& field) {
        return TGridColumn::fixed(title, field, 100).formatted(slashDate);
    };
    setColumns({TGridColumn::rest(QStringLiteral("氏名"), QStringLiteral("USERNM"), 160),
                TGridColumn::fixed(QStringLiteral("カナ"), QStringLiteral("USERKANA"), 200),
                date(QStringLiteral("有効開始日"), QStringLiteral("YSTRDTE")),
                date(QStringLiteral("有効終了日"), QStringLiteral("YENDDTE"))},
               21);
    resize(720, 480);
}

void TFrmSrcDr::showEvent(QShowEvent* e)
{
    TFrmSearchBase::showEvent(e);
    if (!FLoaded)
        loadDepartments();
}

void TFrmSrcDr::loadDepartments()
{
    FLoaded = true;
    cmbKA->clear();
    cmbKA->addItem(QStringLiteral("全て"), QVariant());
    try {
        TQuery q(&dm().ADOCPOST);
        widgets::addDepartments(cmbKA, q, false);
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
    }
    cmbKA->setCurrentIndex(0);
}

void TFrmSrcDr::search(TQuery& q)
{
    const QVariant ka = cmbKA->currentData();
    const QString name = edtName->text().trimmed();
    const QString kana = edtKana->text().trimmed();
    // The criteria are bound values; ESCAPE '' keeps a backslash an
    // ordinary character while % and _ stay wildcards.
    QString sql = QStringLiteral(R"(SELECT D.* FROM "KLOV"."M_USER" D WHERE "JTYP" = 0)");
    if (ka.isValid())
        sql += QStringLiteral(R"( AND D."USERID" IN (SELECT "USERID" FROM "KLOV"."M_DRKA" WHERE "KACD" = :KACD))");
    if (!name.isEmpty())
        sql += QStringLiteral(R"( AND D."USERNM" LIKE '%' || :USERNM || '%' ESCAPE '')");
    if (!kana.isEmpty())
        sql += QStringLiteral(R"( AND D."USERKANA" LIKE '%' || :USERKANA || '%' ESCAPE '')");
    q.setSql(sql);
    if (ka.isValid())
        q.setInt(QStringLiteral("KACD"), ka.toInt());
    if (!name.isEmpty())
        q.setText(QStringLiteral("USERNM"), name, 64);
    if (!kana.isEmpty())
        q.setText(QStringLiteral("USERKANA"), kana, 64);
    q.open();
}

void TFrmSrcDr::takeRow(const TQuery& q)
{
    FUSERID = q.field(QStringLiteral("USERID")).asString();
}

bool SearchDoctor(QWidget* parent, QString& userId)
{
    TFrmSrcDr dlg(parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    userId = dlg.FUSERID;
    return true;
}
