#include "patient/FrmSrcKanjaU.h"

#include "app/FrmOBaseU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "app/WaitCursor.h"
#include "controls/DBGrid.h"
#include "controls/EraText.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "db/Records.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFrmSrcKanja::TFrmSrcKanja(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TFrmSrcKanja"));
    setWindowTitle(QStringLiteral("患者検索"));
    theme::setBackground(this, theme::kCream);
    QFont f(theme::kGothic);
    f.setPixelSize(12);
    setFont(f);
    setStyleSheet(theme::focusEditStyle());
    ADOQ = new TQuery(&dm().ADOCPOST, this);
    ADOQ->setObjectName(QStringLiteral("ADOQ"));

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(10, 10, 10, 10);

    auto* criteria = new QGridLayout;
    criteria->setHorizontalSpacing(8);
    auto caption = [this](const QString& text) {
        auto* l = new QLabel(text, this);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };
    edtName = new QLineEdit(this);
    edtName->setObjectName(QStringLiteral("edtName"));
    edtName->setMaxLength(50);
    // Readings are typed as kana, without conversion to kanji.
    edtName->setInputMethodHints(Qt::ImhNoPredictiveText);
    edtAdr = new QLineEdit(this);
    edtAdr->setObjectName(QStringLiteral("edtAdr"));
    edtAdr->setMaxLength(50);
    edtTel = new QLineEdit(this);
    edtTel->setObjectName(QStringLiteral("edtTel"));
    edtTel->setMaxLength(20);
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

    bbtnSrc = new QPushButton(QStringLiteral(" 絞込"), this);
    bbtnSrc->setObjectName(QStringLiteral("bbtnSrc"));
    bbtnSrc->setAutoDefault(false);
    bbtnSrc->setMinimumSize(96, 30);

    criteria->addWidget(caption(QStringLiteral("患者カナ")), 0, 0);
    criteria->addWidget(edtName, 0, 1);
    criteria->addWidget(caption(QStringLiteral("住　　所")), 1, 0);
    criteria->addWidget(edtAdr, 1, 1);
    criteria->addWidget(caption(QStringLiteral("電話番号")), 2, 0);
    criteria->addWidget(edtTel, 2, 1);
    criteria->addWidget(rdgSex, 0, 2, 1, 1, Qt::AlignLeft);
    criteria->addLayout(birthRow, 1, 2);
    criteria->addWidget(bbtnSrc, 2, 3, Qt::AlignRight);
    criteria->setColumnStretch(2, 1);
    root->addLayout(criteria);

    dbgMei = new TDBGrid(this);
    dbgMei->setObjectName(QStringLiteral("dbgMei"));
    dbgMei->setQuery(ADOQ);
    auto eraBirth = [](const TField& fld) {
        if (fld.isNull() || rec::isAbsentDate(fld.asDate()))
            return QString();
        return eraText::eraDate(fld.asDate());
    };
    dbgMei->setColumns({TGridColumn::percent(QStringLiteral("ID"), QStringLiteral("ID"), 10, Qt::AlignRight),
                        TGridColumn::percent(QStringLiteral("患者名"), QStringLiteral("KNJNAME"), 14),
                        TGridColumn::percent(QStringLiteral("カナ"), QStringLiteral("KNJKANA"), 11),
                        TGridColumn::percent(QStringLiteral("性別"), QStringLiteral("SEXNM"), 5, Qt::AlignCenter),
                        TGridColumn::percent(QStringLiteral("生年月日"), QStringLiteral("BIRTH"), 13).formatted(eraBirth),
                        TGridColumn::percent(QStringLiteral("郵便番号"), QStringLiteral("POSTCD"), 8),
                        TGridColumn::percent(QStringLiteral("住所"), QStringLiteral("ADR"), 16),
                        TGridColumn::percent(QStringLiteral("電話番号"), QStringLiteral("TEL"), 11),
                        TGridColumn::percent(QStringLiteral("携帯番号"), QStringLiteral("KEITAI"), 12)},
                       21);
    root->addWidget(dbgMei, 1);

    bbtnOk = new QPushButton(QStringLiteral(" 選 択"), this);
    bbtnOk->setObjectName(QStringLiteral("bbtnOk"));
    bbtnOk->setEnabled(false);
    bbtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    bbtnCancel->setObjectName(QStringLiteral("bbtnCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* p : {bbtnOk, bbtnCancel}) {
        p->setAutoDefault(false);
        p->setMinimumSize(96, 30);
        buttons->addWidget(p);
    }
    root->addLayout(buttons);

    setTabOrder(edtName, edtAdr);
    setTabOrder(edtAdr, edtTel);
    setTabOrder(edtTel, rbAll);

    connect(cbBirth, &QCheckBox::toggled, dtpBirth, &QWidget::setEnabled);
    connect(bbtnSrc, &QPushButton::clicked, this, &TFrmSrcKanja::bbtnSrcClick);
    connect(bbtnOk, &QPushButton::clicked, this, &TFrmSrcKanja::bbtnOkClick);
    connect(bbtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(dbgMei, &TDBGrid::recordDoubleClicked, this, &TFrmSrcKanja::bbtnOkClick);
    // Key preview: the dialog sees the keys of its controls first.
    qApp->installEventFilter(this);

    resize(980, 560);
}

TFrmSrcKanja::~TFrmSrcKanja() { qApp->removeEventFilter(this); }

int TFrmSrcKanja::sexIndex() const { return FSexGroup->checkedId(); }

void TFrmSrcKanja::setSexIndex(int index)
{
    if (QAbstractButton* rb = FSexGroup->button(index))
        rb->setChecked(true);
}

bool TFrmSrcKanja::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()
        && static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        // Enter on the list chooses its row; elsewhere it moves to the next control.
        if (enter && focusWidget() == dbgMei) {
            bbtnOkClick();
            return true;
        }
        if (handleEnterKey(this, event))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmSrcKanja::bbtnSrcClick()
{
    // Every criterion goes as a bound value; ESCAPE '' keeps a backslash an
    // ordinary character while % and _ stay wildcards.
    QString sql = QStringLiteral(R"(SELECT "ID", "KNJKANA", "KNJNAME", "SEX", "POSTCD",
        CAST((COALESCE("ADR1",'') || COALESCE("ADR2",'')) AS character varying(100)) AS "ADR",
        CAST((CASE WHEN "SEX" = 0 THEN '男性' WHEN "SEX" = 1 THEN '女性' ELSE '' END) AS character varying(2)) AS "SEXNM",
        "TEL", "BIRTH", "KEITAI"
        FROM "KLOV"."M_KANJA" WHERE "ACTKBN" = 1 AND "DELKBN" = 0)");
    const QString kana = edtName->text().trimmed();
    const QString adr = edtAdr->text().trimmed();
    const QString tel = edtTel->text().trimmed();
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
    ADOQ->setSql(sql);
    if (!kana.isEmpty())
        ADOQ->setText(QStringLiteral("KANA"), kana, 50);
    if (!adr.isEmpty())
        ADOQ->setText(QStringLiteral("ADR"), adr, 100);
    if (!tel.isEmpty())
        ADOQ->setText(QStringLiteral("TEL"), tel, 20);
    if (cbBirth->isChecked())
        ADOQ->setDateTime(QStringLiteral("BIRTH"), QDateTime(dtpBirth->date(), QTime(0, 0)));
    if (sex == 1 || sex == 2)
        ADOQ->setInt(QStringLiteral("SEX"), sex - 1);

    if (!FSearched) {
        dbgMei->setSortState(QStringLiteral("ID"), true);
        FSearched = true;
    }
    try {
        TWaitCursor wait;
        ADOQ->open();
    } catch (const std::exception& e) {
        ADOQ->close();
        bbtnOk->setEnabled(false);
        msg::warning(this, errorWarningText(e));
        return;
    }
    // A new search keeps the order the user chose by the column titles.
    const QString field = dbgMei->sortField();
    if (!field.isEmpty())
        ADOQ->setSort(dbgMei->sortAsc() ? field : field + QStringLiteral(" DESC"));
    ADOQ->first();
    bbtnOk->setEnabled(!ADOQ->isEmpty());
    dbgMei->setFocus();
}

void TFrmSrcKanja::bbtnOkClick()
{
    if (!ADOQ->active() || ADOQ->isEmpty() || ADOQ->recNo() < 0)
        return;
    FintID = ADOQ->field(QStringLiteral("ID")).asInt64();
    accept();
}
