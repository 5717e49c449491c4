#include "patient/FrmOutKanjaU.h"

#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/SjisText.h"
#include "app/TextUtil.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "app/WaitCursor.h"
#include "controls/NumberEdit.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "db/Records.h"
#include "patient/PatientHeader.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFrmOutKanja::TFrmOutKanja(QWidget* parent) : TFrmOBase(parent)
{
    theme::setupCreamForm(this, QStringLiteral("TFrmOutKanja"), QStringLiteral("患者情報出力処理"));

    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(12, 10, 12, 8);
    root->setSpacing(8);

    nedtIDFr = newPatientIdEdit(b);
    nedtIDFr->setObjectName(QStringLiteral("nedtIDFr"));
    nedtIDTo = newPatientIdEdit(b);
    nedtIDTo->setObjectName(QStringLiteral("nedtIDTo"));
    dtpBIRTHFr = widgets::datePicker(b, QStringLiteral("dtpBIRTHFr"), widgets::TDateStyle::Slash, QDate(1900, 1, 1));
    dtpBIRTHTo = widgets::datePicker(b, QStringLiteral("dtpBIRTHTo"), widgets::TDateStyle::Slash, QDate(2099, 12, 31));
    cmbSEX = widgets::combo(b, QStringLiteral("cmbSEX"), 90);
    cmbSEX->addItems({QStringLiteral("全て"), QStringLiteral("男性"), QStringLiteral("女性")});
    edtPost = new QLineEdit(b);
    edtPost->setObjectName(QStringLiteral("edtPost"));
    edtPost->setMaxLength(10);
    edtPost->setFixedWidth(100);
    edtPost->setAttribute(Qt::WA_InputMethodEnabled, false);
    edtAdr = new QLineEdit(b);
    edtAdr->setObjectName(QStringLiteral("edtAdr"));
    edtAdr->setMinimumWidth(320);

    auto range = [b](QWidget* from, QWidget* to) {
        auto* row = new QHBoxLayout;
        row->addWidget(from);
        row->addWidget(widgets::label(b, QStringLiteral("～")));
        row->addWidget(to);
        row->addStretch();
        return row;
    };
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    int r = 0;
    grid->addWidget(widgets::caption(b, QStringLiteral("患者番号")), r, 0);
    grid->addLayout(range(nedtIDFr, nedtIDTo), r++, 1);
    grid->addWidget(widgets::caption(b, QStringLiteral("生年月日")), r, 0);
    grid->addLayout(range(dtpBIRTHFr, dtpBIRTHTo), r++, 1);
    grid->addWidget(widgets::caption(b, QStringLiteral("性別")), r, 0);
    grid->addWidget(cmbSEX, r++, 1, Qt::AlignLeft);
    grid->addWidget(widgets::caption(b, QStringLiteral("郵便番号")), r, 0);
    grid->addWidget(edtPost, r++, 1, Qt::AlignLeft);
    grid->addWidget(widgets::caption(b, QStringLiteral("住所")), r, 0);
    grid->addWidget(edtAdr, r++, 1);
    grid->addWidget(widgets::label(b, QStringLiteral("※郵便番号は前方一致、住所は部分一致で抽出します")), r++, 1);
    grid->setColumnStretch(1, 1);
    root->addLayout(grid);
    root->addStretch();

    bbtnOut = widgets::button(b, QStringLiteral("bbtnOut"), QStringLiteral("　実　行"));
    bbtnClose = widgets::button(b, QStringLiteral("bbtnClose"), QStringLiteral("閉じる"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bbtnOut);
    buttons->addStretch();
    buttons->addWidget(bbtnClose);
    root->addLayout(buttons);

    connect(bbtnOut, &QPushButton::clicked, this, &TFrmOutKanja::bbtnOutClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::close);
    resize(520, 300);
}

void TFrmOutKanja::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (FFirstShown)
        return;
    FFirstShown = true;
    nedtIDFr->setAsInt64(0);
    nedtIDTo->setAsInt64(9999999999LL);
    nedtIDFr->setFocus();
}

void TFrmOutKanja::bbtnOutClick()
{
    QString sql = QStringLiteral(R"(SELECT * FROM "KLOV"."M_KANJA" WHERE "ACTKBN" = 1 AND "DELKBN" = 0
        AND "ID" BETWEEN :IDF AND :IDT
        AND "BIRTH" BETWEEN TO_TIMESTAMP(:BIRTHF,'YYYYMMDD') AND TO_TIMESTAMP(:BIRTHT,'YYYYMMDD'))");
    if (cmbSEX->currentIndex() == 1)
        sql += QStringLiteral(R"( AND "SEX" = 0)");
    else if (cmbSEX->currentIndex() == 2)
        sql += QStringLiteral(R"( AND "SEX" = 1)");
    // The criteria are bound; their own % and _ match only themselves.
    const QString post = textutil::trimBoth(edtPost->text());
    const QString adr = textutil::trimBoth(edtAdr->text());
    if (!post.isEmpty())
        sql += QStringLiteral(R"( AND "POSTCD" LIKE :POST ESCAPE '\')");
    if (!adr.isEmpty())
        sql += QStringLiteral(R"( AND (COALESCE("ADR1",'') || COALESCE("ADR2",'') LIKE :ADR ESCAPE '\'))");
    sql += QStringLiteral(R"( ORDER BY "ID")");

    QStringList lines{csv::line({csv::quoted(QStringLiteral("患者ID")), csv::quoted(QStringLiteral("かな")),
                                 csv::quoted(QStringLiteral("氏名")), csv::quoted(QStringLiteral("生年月日")),
                                 csv::quoted(QStringLiteral("性別")), csv::quoted(QStringLiteral("郵便番号")),
                                 csv::quoted(QStringLiteral("住所１")), csv::quoted(QStringLiteral("住所２")),
                                 csv::quoted(QStringLiteral("電話番号")), csv::quoted(QStringLiteral("携帯番号")),
                                 csv::quoted(QStringLiteral("FAX")), csv::quoted(QStringLiteral("MAIL")),
                                 csv::quoted(QStringLiteral("備考"))})};
    try {
        TWaitCursor wait;
        TQuery q(&dm().ADOCPOST);
        q.setSql(sql);
        q.setInt64("IDF", nedtIDFr->asInt64());
        q.setInt64("IDT", nedtIDTo->asInt64());
        q.setText("BIRTHF", rec::yyyymmdd(dtpBIRTHFr->date()), 8);
        q.setText("BIRTHT", rec::yyyymmdd(dtpBIRTHTo->date()), 8);
        if (!post.isEmpty())
            q.setText("POST", textutil::likeLiteral(post) + QLatin1Char('%'), 0);
        if (!adr.isEmpty())
            q.setText("ADR", textutil::likeContains(adr), 0);
        q.open();
        auto cell = [&q](const char* field, int bytes) {
            return csv::quoted(sjis::cutToBytes(q.field(QString::fromLatin1(field)).asString(), bytes));
        };
        for (; !q.eof(); q.next()) {
            const TField birth = q.field("BIRTH");
            const QDate d = birth.isNull() ? QDate() : birth.asDate();
            const QString sex = q.field("SEX").isNull() ? QString() : q.field("SEX").asString();
            lines << csv::line({QString::number(q.field("ID").asInt64()), cell("KNJKANA", 50), cell("KNJNAME", 50),
                                d.isValid() && !rec::isAbsentDate(d) ? d.toString(QStringLiteral("yyyy/MM/dd")) : QString(),
                                csv::quoted(sex == QLatin1String("0")   ? QStringLiteral("男性")
                                            : sex == QLatin1String("1") ? QStringLiteral("女性")
                                                                        : QStringLiteral("不明")),
                                cell("POSTCD", 10), cell("ADR1", 60), cell("ADR2", 60), cell("TEL", 20),
                                cell("KEITAI", 20), cell("FAX", 20), cell("MAIL", 50), cell("BIKO", 100)});
        }
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return;
    }
    if (lines.size() == 1) {
        msg::information(this, QStringLiteral("出力対象データがありません。"));
        nedtIDFr->setFocus();
        return;
    }
    const QString path = FAskSaveFile(this, QStringLiteral("患者情報CSV.csv"), QStringLiteral("患者情報CSV"));
    if (path.isEmpty())
        return;
    if (!csv::writeReporting(this, path, lines))
        return;
    msg::information(this, QStringLiteral("正常に出力しました。"));
}
