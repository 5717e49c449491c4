#include "patient/FrmSrcKanjaU.h"
#include "patient/FrmMntKanjaU.h"

#include "app/TextUtil.h"
#include "controls/DBGrid.h"
#include "controls/EraText.h"
#include "db/Query.h"
#include "db/Records.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

TFrmSrcKanja::TFrmSrcKanja(QWidget* parent) : TFrmSearchBase(parent)
{
    setObjectName(QStringLiteral("TFrmSrcKanja"));
    setWindowTitle(QStringLiteral("患者検索"));

    edtName = addCriterion(0, QStringLiteral("患者カナ"), QStringLiteral("edtName"), 50);
    // Readings are typed as kana, without conversion to kanji.
    edtName->setInputMethodHints(Qt::ImhNoPredictiveText);
    edtAdr = addCriterion(1, QStringLiteral("住　　所"), QStringLiteral("edtAdr"), 50);
    edtTel = addCriterion(2, QStringLiteral("電話番号"), QStringLiteral("edtTel"), 20);
    edtTel->setAttribute(Qt::WA_InputMethodEnabled, false);
    edtTel->setInputMethodHints(Qt::ImhDialableCharactersOnly);
    for (QLineEdit* e : {edtName, edtAdr, edtTel})
        e->setMinimumWidth(240);

    rdgSex = new QGroupBox(QStringLiteral("性別"), this);
    rdgSex->setObjectName(QStringLiteral("rdgSex"));
    auto* sexLayout = new QHBoxLayout(rdgSex);
    sexLayout->setContentsMargins(8, 2, 8, 2);
    rbAll = new QRadioButton(QStringLiteral("全て"), rdgSex);
    rbAll->setObjectName(QStringLiteral("rbAll"));
    rbMale = new QRadioButton(QStringLiteral("男性"), rdgSex);
    rbMale->setObjectName(QStringLiteral("rbMale"));
    rbFemale = new QRadioButton(QStringLiteral("女性"), rdgSex);
    rbFemale->setObjectName(QStringLiteral("rbFemale"));
    FSexGroup = new QButtonGroup(this);
    FSexGroup->addButton(rbAll, 0);
    FSexGroup->addButton(rbMale, 1);
    FSexGroup->addButton(rbFemale, 2);
    for (QRadioButton* rb : {rbAll, rbMale, rbFemale})
        sexLayout->addWidget(rb);
    rbAll->setChecked(true);

    cbBirth = new QCheckBox(QStringLiteral("生年月日を条件に使用する"), this);
    cbBirth->setObjectName(QStringLiteral("cbBirth"));
    dtpBirth = new QDateEdit(QDate::currentDate(), this);
    dtpBirth->setObjectName(QStringLiteral("dtpBirth"));
    dtpBirth->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    dtpBirth->setCalendarPopup(true);
    dtpBirth->setMinimumDate(QDate(1873, 1, 1));
    dtpBirth->setEnabled(false);
    auto* birthRow = new QHBoxLayout;
    birthRow->addWidget(cbBirth);
    birthRow->addWidget(dtpBirth);
    birthRow->addStretch();

    criteria()->addWidget(rdgSex, 0, 2, 1, 1, Qt::AlignLeft);
    criteria()->addLayout(birthRow, 1, 2);
    placeSearchButton(2, 3, Qt::AlignRight);
    criteria()->setColumnStretch(2, 1);

    auto eraBirth = [](const TField& fld) {
        if (fld.isNull() || rec::isAbsentDate(fld.asDate()))
            return QString();
        return eraText::eraDate(fld.asDate());
    };
    setColumns({TGridColumn::percent(QStringLiteral("ID"), QStringLiteral("ID"), 10, Qt::AlignRight),
                TGridColumn::percent(QStringLiteral("患者名"), QStringLiteral("KNJNAME"), 14),
                TGridColumn::percent(QStringLiteral("カナ"), QStringLiteral("KNJKANA"), 11),
                TGridColumn::percent(QStringLiteral("性別"), QStringLiteral("SEXNM"), 5, Qt::AlignCenter),
                TGridColumn::percent(QStringLiteral("生年月日"), QStringLiteral("BIRTH"), 13).formatted(eraBirth),
                TGridColumn::percent(QStringLiteral("郵便番号"), QStringLiteral("POSTCD"), 8),
                TGridColumn::percent(QStringLiteral("住所"), QStringLiteral("ADR"), 16),
                TGridColumn::percent(QStringLiteral("電話番号"), QStringLiteral("TEL"), 11),
                TGridColumn::percent(QStringLiteral("携帯番号"), QStringLiteral("KEITAI"), 12)},
               21);

    setTabOrder(edtName, edtAdr);
    setTabOrder(edtAdr, edtTel);
    setTabOrder(edtTel, rbAll);
    // " 絞込" follows the criteria, then come the list and the buttons below
    // it (made before the criteria); the dialog opens on edtName.
    setTabOrder(dtpBirth, bbtnSrc);
    edtName->setFocus();

    connect(cbBirth, &QCheckBox::toggled, dtpBirth, &QWidget::setEnabled);

    resize(980, 560);
}

int TFrmSrcKanja::sexIndex() const { return FSexGroup->checkedId(); }

void TFrmSrcKanja::setSexIndex(int index)
{
    if (QAbstractButton* rb = FSexGroup->button(index))
        rb->setChecked(true);
}

void TFrmSrcKanja::search(TQuery& q)
{
    // Every criterion goes as a bound value; ESCAPE '' keeps a backslash an
    // ordinary character while % and _ stay wildcards.
    QString sql = QStringLiteral(R"(SELECT "ID", "KNJKANA", "KNJNAME", "SEX", "POSTCD",
        CAST((COALESCE("ADR1",'') || COALESCE("ADR2",'')) AS character varying(100)) AS "ADR",
        CAST((CASE WHEN "SEX" = 0 THEN '男性' WHEN "SEX" = 1 THEN '女性' ELSE '' END) AS character varying(2)) AS "SEXNM",
        "TEL", "BIRTH", "KEITAI"
        FROM "KLOV"."M_KANJA" WHERE "ACTKBN" = 1 AND "DELKBN" = 0)");
    // Readings are stored in katakana: one typed in hiragana finds them too.
    const QString kana = TAutoKana::toKatakana(textutil::trimBoth(edtName->text()));
    const QString adr = textutil::trimBoth(edtAdr->text());
    const QString tel = textutil::trimBoth(edtTel->text());
    const int sex = sexIndex();
    if (!kana.isEmpty())
        sql += QStringLiteral(R"( AND "KNJKANA" LIKE '%' || :KANA || '%' ESCAPE '')");
    if (!adr.isEmpty())
        sql += QStringLiteral(R"( AND "ADR1" LIKE '%' || :ADR || '%' ESCAPE '')");
    if (!tel.isEmpty())
        sql += QStringLiteral(R"( AND (("KEITAI" LIKE '%' || :TEL || '%' ESCAPE '') OR ("TEL" LIKE '%' || :TEL || '%' ESCAPE '')))");
    if (cbBirth->isChecked())
        sql += QStringLiteral(R"( AND "BIRTH" = :BIRTH)");
    if (sex == 1 || sex == 2)
        sql += QStringLiteral(R"( AND "SEX" = :SEX)");
    q.setSql(sql);
    if (!kana.isEmpty())
        q.setText(QStringLiteral("KANA"), kana, 50);
    if (!adr.isEmpty())
        q.setText(QStringLiteral("ADR"), adr, 100);
    if (!tel.isEmpty())
        q.setText(QStringLiteral("TEL"), tel, 20);
    if (cbBirth->isChecked())
        q.setDateTime(QStringLiteral("BIRTH"), QDateTime(dtpBirth->date(), QTime(0, 0), Qt::UTC));
    if (sex == 1 || sex == 2)
        q.setInt(QStringLiteral("SEX"), sex - 1);

    // The list is in ID order from the first search on, even when that one fails.
    setFirstSort();
    q.open();
}

void TFrmSrcKanja::takeRow(const TQuery& q) { FintID = q.field(QStringLiteral("ID")).asInt64(); }
