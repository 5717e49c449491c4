#include "export/FrmOutCsvU.h"

#include "app/CommonU.h"
#include "app/MsgBox.h"
#include "app/SjisText.h"
#include "app/TextUtil.h"
#include "app/Globals.h"
#include "app/UntDM.h"
#include "controls/NumberEdit.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "db/Records.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHash>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>

#include <functional>

namespace {

const QString kAll = QStringLiteral("全て");

// Whole days from `from` to `to`, truncated towards zero; counted on the
// stored wall-clock values, so no time zone moves them.
QString daysAfter(const QDateTime& from, const QDateTime& to)
{
    if (!from.isValid() || rec::isAbsentDate(from.date()) || !to.isValid() || rec::isAbsentDate(to.date()))
        return {};
    const qint64 secs = from.date().daysTo(to.date()) * 86400 + from.time().secsTo(to.time());
    return QString::number(secs / 86400);
}

// The narrative and comment cells: line breaks and commas as "\n".
QString cleaned(const QString& text) { return CommonU::CsvCellClean(text, QStringLiteral("\\n")); }

QString cut(const TQuery& q, const char* name, int bytes)
{
    return sjis::cutToBytes(q.field(QString::fromLatin1(name)).asString(), bytes);
}

QString slash(const QDate& d) { return d.toString(QStringLiteral("yyyy/MM/dd")); }

// Runs a statement over the selected versions (given to unnest() as two
// integer arrays, so all of them come in one statement) whose rows carry
// KNO, VERNO and their 1-based slot RN; hands each row with a slot below
// `slotCount` to `fill` with its entry.
void forEachSlot(TQuery& q, std::vector<TFrmOutCsv::TrecOut>& entries, int slotCount,
                 const std::function<void(TFrmOutCsv::TrecOut&, int slot)>& fill)
{
    QStringList knos, vernos;
    QHash<QPair<int, int>, TFrmOutCsv::TrecOut*> byKey;
    for (auto& e : entries) {
        knos << QString::number(e.KNO);
        vernos << QString::number(e.VERNO);
        byKey.insert({e.KNO, e.VERNO}, &e);
    }
    q.setText(QStringLiteral("KNOS"), QLatin1Char('{') + knos.join(QLatin1Char(',')) + QLatin1Char('}'), 0);
    q.setText(QStringLiteral("VERNOS"), QLatin1Char('{') + vernos.join(QLatin1Char(',')) + QLatin1Char('}'), 0);
    q.open();
    for (; !q.eof(); q.next()) {
        TFrmOutCsv::TrecOut* e =
            byKey.value({q.field(QStringLiteral("KNO")).asInteger(), q.field(QStringLiteral("VERNO")).asInteger()});
        const int slot = q.field(QStringLiteral("RN")).asInteger() - 1;
        if (e && slot >= 0 && slot < slotCount)
            fill(*e, slot);
    }
}

const char* const kSelectedVersions = R"(unnest(CAST(:KNOS AS integer[]), CAST(:VERNOS AS integer[])) AS S("KNO", "VERNO")
  JOIN "KLOV"."D_TAIYOU" Y ON Y."KNO" = S."KNO" AND Y."VERNO" = S."VERNO")";

} // namespace

TFrmOutCsv::TFrmOutCsv(QWidget* parent)
    : TFrmOutCsvBase(parent, QStringLiteral("TFrmOutCsv"), QStringLiteral("退院サマリCSV出力"),
                     QStringLiteral("削除済/旧Versionも対象"),
                     QStringLiteral("以下の条件で抽出した退院サマリデータをCSVファイル出力します。"))
{
    QWidget* b = body();
    QGridLayout* g = conditions();
    cmbKA = widgets::combo(b, QStringLiteral("cmbKA"), 200);
    cmbSYUDR = widgets::combo(b, QStringLiteral("cmbSYUDR"), 200);
    cmbTANDR = widgets::combo(b, QStringLiteral("cmbTANDR"), 200);
    edtByonm = new QLineEdit(b);
    edtByonm->setObjectName(QStringLiteral("edtByonm"));
    edtICD10 = new QLineEdit(b);
    edtICD10->setObjectName(QStringLiteral("edtICD10"));
    cbOnlySyu = new QCheckBox(QStringLiteral("主病名のみ対象"), b);
    cbOnlySyu->setObjectName(QStringLiteral("cbOnlySyu"));
    auto date = [b](const char* name, const QDate& d) {
        return widgets::datePicker(b, QString::fromLatin1(name), widgets::TDateStyle::Slash, d);
    };
    dtpNdteF = date("dtpNdteF", QDate(2000, 1, 1));
    dtpNdteT = date("dtpNdteT", QDate(2099, 12, 31));
    dtpTdteF = date("dtpTdteF", QDate(2000, 1, 1));
    dtpTdteT = date("dtpTdteT", QDate(2099, 12, 31));
    cmbSts = widgets::combo(b, QStringLiteral("cmbSts"), 160);
    cmbSts->addItems({kAll, QStringLiteral("記載完了前"), QStringLiteral("承認前"), QStringLiteral("完成確認前"),
                      QStringLiteral("完成確認済")});
    dtpDate = date("dtpDate", QDate::currentDate());
    auto range = [b](QDateEdit* from, QDateEdit* to) {
        auto* h = new QHBoxLayout;
        h->addWidget(from);
        h->addWidget(new QLabel(QStringLiteral("～"), b));
        h->addWidget(to);
        h->addStretch();
        return h;
    };
    int row = 2;
    auto add = [&](const QString& caption, QWidget* w, QLayout* l = nullptr) {
        g->addWidget(widgets::caption(b, caption), row, 0);
        if (w)
            g->addWidget(w, row, 1, Qt::AlignLeft);
        else
            g->addLayout(l, row, 1);
        ++row;
    };
    add(QStringLiteral("診療科"), cmbKA);
    add(QStringLiteral("主治医"), cmbSYUDR);
    add(QStringLiteral("担当医"), cmbTANDR);
    add(QStringLiteral("病名"), edtByonm);
    add(QStringLiteral("ICD10"), edtICD10);
    g->addWidget(cbOnlySyu, row++, 1);
    add(QStringLiteral("入院日"), nullptr, range(dtpNdteF, dtpNdteT));
    add(QStringLiteral("退院日"), nullptr, range(dtpTdteF, dtpTdteT));
    add(QStringLiteral("進捗状況"), cmbSts);
    auto* days = new QHBoxLayout;
    days->addWidget(dtpDate);
    days->addWidget(new QLabel(QStringLiteral("左指定日付までの退院後経過日数出力"), b));
    days->addStretch();
    add(QStringLiteral("経過日数"), nullptr, days);
    g->addWidget(new QLabel(QStringLiteral("※各項目の改行は\\nに変換されます。"), b), row++, 0, 1, 4);
    g->addWidget(new QLabel(QStringLiteral("※退院時診断は４つ、手術・手技は２つまでの出力となります。"), b), row++, 0, 1, 4);
    resize(620, 560);
}

void TFrmOutCsv::showEvent(QShowEvent* e)
{
    TFrmOutCsvBase::showEvent(e);
    if (!FShown) {
        FShown = true;
        FormShow();
    }
}

void TFrmOutCsv::FormShow()
{
    dtpDate->setDate(QDate::currentDate());
    cmbKA->clear();
    cmbSYUDR->clear();
    cmbTANDR->clear();
    FslDR = QStringList{QString()};
    cmbKA->addItem(kAll);
    cmbSYUDR->addItem(kAll);
    try {
        TQuery q(&dm().ADOCPOST);
        widgets::addDepartments(cmbKA, q, true);
        q.setSql(R"(SELECT * FROM "KLOV"."M_USER" WHERE "JTYP" = 0 ORDER BY "USERID")");
        q.open();
        for (; !q.eof(); q.next()) {
            cmbSYUDR->addItem(q.field(QStringLiteral("USERNM")).asString());
            FslDR << q.field(QStringLiteral("USERID")).asString();
        }
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
    }
    for (int i = 0; i < cmbSYUDR->count(); ++i)
        cmbTANDR->addItem(cmbSYUDR->itemText(i));
    cmbKA->setCurrentIndex(0);
    cmbSYUDR->setCurrentIndex(0);
    cmbTANDR->setCurrentIndex(0);
    cmbSts->setCurrentIndex(0);
    nedtID->setFocus();
}

int TFrmOutCsv::loadEntries()
{
    TConditions c;
    c.id = nedtID->asInt64();
    const int ka = cmbKA->currentIndex() > 0 ? cmbKA->currentData().toInt() : -1;
    c.ka = ka >= 0 ? cmbKA->currentText() : QString();
    const QString syudr = cmbSYUDR->currentIndex() > 0 ? FslDR.value(cmbSYUDR->currentIndex()) : QString();
    const QString tandr = cmbTANDR->currentIndex() > 0 ? FslDR.value(cmbTANDR->currentIndex()) : QString();
    c.syudr = syudr.isEmpty() ? QString() : cmbSYUDR->currentText();
    c.tandr = tandr.isEmpty() ? QString() : cmbTANDR->currentText();
    c.byonm = edtByonm->text();
    c.icd = edtICD10->text();
    const QString n = textutil::trimBoth(c.byonm);
    const QString k = textutil::trimBoth(c.icd);
    c.onlySyu = cbOnlySyu->isChecked();
    c.dispDel = cbDispDel->isChecked();
    c.ndteF = dtpNdteF->date();
    c.ndteT = dtpNdteT->date();
    c.tdteF = dtpTdteF->date();
    c.tdteT = dtpTdteT->date();
    c.date = dtpDate->date();

    QString sql = QStringLiteral(R"(SELECT D.* , Z."KNJNAME", Z."KNJKANA" , K."KANM" ,
       SD."USERNM" AS "SYUDRNM" , TD1."USERNM" AS "TANDR1NM" , TD2."USERNM" AS "TANDR2NM" , TD3."USERNM" AS "TANDR3NM" ,
       WD."USERNM" AS "WDRNM" , WU."USERNM" AS "WUSERNM" , SU."USERNM" AS "SUSERNM" , KU."USERNM" AS "KUSERNM"
  FROM "KLOV"."D_TAIYOU" D
  LEFT JOIN "KLOV"."M_KA" K ON D."KACD" = K."KACD"
  LEFT JOIN "KLOV"."M_KANJA" Z ON D."ID" = Z."ID" AND Z."DELKBN" = 0 AND Z."ACTKBN" = 1
  LEFT JOIN "KLOV"."M_USER" SD ON D."SYUDR" = SD."USERID"
  LEFT JOIN "KLOV"."M_USER" TD1 ON D."TANDR1" = TD1."USERID"
  LEFT JOIN "KLOV"."M_USER" TD2 ON D."TANDR2" = TD2."USERID"
  LEFT JOIN "KLOV"."M_USER" TD3 ON D."TANDR3" = TD3."USERID"
  LEFT JOIN "KLOV"."M_USER" WD ON D."WDR" = WD."USERID"
  LEFT JOIN "KLOV"."M_USER" WU ON D."WUSERID" = WU."USERID"
  LEFT JOIN "KLOV"."M_USER" SU ON D."SUSERID" = SU."USERID"
  LEFT JOIN "KLOV"."M_USER" KU ON D."KUSERID" = KU."USERID"
)");
    sql += QStringLiteral(R"( WHERE D."ID" > 0)");
    if (ka >= 0)
        sql += QStringLiteral(R"( AND D."KACD" = :KACD)");
    if (!c.dispDel)
        sql += QStringLiteral(R"( AND D."DELKBN" = 0 AND D."ACTKBN" = 1)");
    if (c.id > 0)
        sql += QStringLiteral(R"( AND D."ID" = :ID)");
    sql += QStringLiteral("\n   AND ") + rec::sqlSummaryDateRanges(QStringLiteral("D"));
    if (!syudr.isEmpty())
        sql += QStringLiteral(R"( AND D."SYUDR" = :SYUDR)");
    if (!tandr.isEmpty())
        sql += QStringLiteral(R"( AND ((D."TANDR1" = :TANDR1) OR (D."TANDR2" = :TANDR2) OR (D."TANDR3" = :TANDR3)))");
    static const char* const kSts[] = {"", R"( AND D."WFLG" = 0)", R"( AND D."SFLG" = 0)", R"( AND D."KFLG" = 0)",
                                       R"( AND D."KFLG" = 1)"};
    if (cmbSts->currentIndex() > 0 && cmbSts->currentIndex() < 5)
        sql += QString::fromLatin1(kSts[cmbSts->currentIndex()]);
    // A version is exported once however many of its diagnoses match.
    if (!n.isEmpty() || !k.isEmpty()) {
        sql += QStringLiteral(R"( AND EXISTS (SELECT 1 FROM "KLOV"."D_TAIBYO" TB,
      "KLOV"."D_KANBYO" KB LEFT JOIN "KLOV"."M_NMAIN" B ON KB."BKNO" = B."BKNO"
    WHERE TB."KNO" = D."KNO" AND TB."VERNO" = D."VERNO" AND KB."ID" = D."ID" AND KB."BNO" = TB."BNO" AND KB."DELKBN" = 0)");
        if (!n.isEmpty())
            sql += QStringLiteral(R"( AND KB."BYONM" LIKE :BYONM ESCAPE '\')");
        if (!k.isEmpty())
            sql += QStringLiteral(R"( AND B."ICD102013" LIKE :ICD ESCAPE '\')");
        if (c.onlySyu)
            sql += QStringLiteral(R"( AND TB."SNO" = 1)");
        sql += QStringLiteral(")");
    }
    sql += QStringLiteral(R"( ORDER BY D."KNO" DESC, D."VERNO" DESC)");

    TQuery q(&dm().ADOCPOST);
    q.setSql(sql);
    if (ka >= 0)
        q.setInt(QStringLiteral("KACD"), ka);
    if (c.id > 0)
        q.setInt64(QStringLiteral("ID"), c.id);
    rec::bindSummaryDateRanges(q, c.ndteF, c.ndteT, c.tdteF, c.tdteT);
    if (!syudr.isEmpty())
        q.setText(QStringLiteral("SYUDR"), syudr, 24);
    if (!tandr.isEmpty())
        for (const char* p : {"TANDR1", "TANDR2", "TANDR3"})
            q.setText(QString::fromLatin1(p), tandr, 24);
    // Bound whole: a pattern cut to a width would match other rows.
    if (!n.isEmpty())
        q.setText(QStringLiteral("BYONM"), textutil::likeContains(n), 0);
    if (!k.isEmpty())
        q.setText(QStringLiteral("ICD"), textutil::likeContains(k), 0);
    q.open();

    std::vector<TrecOut> entries;
    entries.reserve(q.recordCount());
    for (; !q.eof(); q.next()) {
        TrecOut e;
        auto field = [&q](const char* name) { return q.field(QString::fromLatin1(name)); };
        e.KNO = field("KNO").asInteger();
        e.VERNO = field("VERNO").asInteger();
        e.VERDTE = field("VERDTE").asDateTime();
        e.ACTKBN = field("ACTKBN").asInteger();
        e.DELKBN = field("DELKBN").asInteger();
        e.KACD = field("KACD").asInteger();
        e.KANM = cut(q, "KANM", 24);
        e.ID = field("ID").asInt64();
        e.KNJKANA = cut(q, "KNJKANA", 64);
        e.KNJNAME = cut(q, "KNJNAME", 64);
        e.NDTE = field("NDTE").asDateTime();
        e.TDTE = field("TDTE").asDateTime();
        e.NSYU = field("NSYU").asInteger();
        e.NYUCNT = field("NYUCNT").asInteger();
        e.texts[0] = sjis::cutToBytes(cleaned(field("NYURIYU").asString()), 128);
        const char* const whole[] = {"NYUBEFKEIKA", "NYUKEIKA", "TAIJOUHO", "TAIYAKU", "TAIHOU"};
        for (int i = 0; i < 5; ++i)
            e.texts[i + 1] = cleaned(field(whole[i]).asString());
        const char* const doctors[] = {"SYUDR", "TANDR1", "TANDR2", "TANDR3", "WDR"};
        for (int i = 0; i < 5; ++i) {
            e.doctors[2 * i] = cut(q, doctors[i], 24);
            e.doctors[2 * i + 1] = cut(q, (QByteArray(doctors[i]) + "NM").constData(), 64);
        }
        const char* const stages[] = {"W", "S", "K"};
        for (int i = 0; i < 3; ++i) {
            const QByteArray s(stages[i]);
            e.stages[i].FLG = field((s + "FLG").constData()).asInteger();
            e.stages[i].USERID = cut(q, (s + "USERID").constData(), 24);
            e.stages[i].USERNM = cut(q, (s + "USERNM").constData(), 64);
            e.stages[i].DTM = field((s + "DTM").constData()).asDateTime();
        }
        entries.push_back(std::move(e));
    }
    FEntries = std::move(entries);
    FCond = c;
    if (!FEntries.empty()) {
        loadDiagnoses();
        loadOperations();
    }
    return int(FEntries.size());
}

void TFrmOutCsv::loadDiagnoses()
{
    // The first four diagnoses of every selected version, in # order; the
    // disease is the summary patient's live one (absent when it was deleted).
    TQuery q(&dm().ADOCPOST);
    q.setSql(QStringLiteral(R"(SELECT * FROM (
SELECT T."KNO", T."VERNO", T."SNO", T."SNO1", T."SNO2", B."ADDDTE", B."BKNO", B."DISTKBN", B."BYONM", B."BIKO",
       M."ICD102013", %1 AS "TENKIN", %2 AS "HJIKINM",
       ROW_NUMBER() OVER (PARTITION BY T."KNO", T."VERNO" ORDER BY T."SNO", T."SNO1", T."SNO2") AS "RN"
  FROM %3
  JOIN "KLOV"."D_TAIBYO" T ON T."KNO" = S."KNO" AND T."VERNO" = S."VERNO"
  LEFT JOIN "KLOV"."D_KANBYO" B ON B."ID" = Y."ID" AND T."BNO" = B."BNO" AND B."DELKBN" = 0
  LEFT JOIN "KLOV"."M_NMAIN" M ON B."BKNO" = M."BKNO") X
 WHERE "RN" <= 4 ORDER BY "KNO", "VERNO", "RN")")
                 .arg(rec::sqlTenkiN(QStringLiteral("B")), rec::sqlHjikiNm(QStringLiteral("B")),
                      QString::fromLatin1(kSelectedVersions)));
    auto field = [&q](const char* name) { return q.field(QString::fromLatin1(name)); };
    forEachSlot(q, FEntries, 4, [&](TrecOut& e, int slot) {
        TrecDiag& d = e.diags[slot];
        d.SNO = field("SNO").asInteger();
        d.SNO1 = cut(q, "SNO1", 4);
        d.SNO2 = cut(q, "SNO2", 4);
        d.ADDDTE = field("ADDDTE").asDateTime();
        d.BKNO = cut(q, "BKNO", 8);
        d.DISTKBN = field("DISTKBN").asInteger();
        d.BYONM = cut(q, "BYONM", 60);
        d.HJIKINM = field("HJIKINM").asString();
        d.TENKIN = field("TENKIN").asString();
        d.BIKO = sjis::cutToBytes(cleaned(field("BIKO").asString()), 128);
        d.ICD102013 = cut(q, "ICD102013", 5);
    });
}

void TFrmOutCsv::loadOperations()
{
    // The first two operations attached to every selected version (those
    // taken off the summary are left out), in the editor's order.
    TQuery q(&dm().ADOCPOST);
    q.setSql(QStringLiteral(R"(SELECT * FROM (
SELECT O."KNO", O."VERNO", D."OPEDTE", D."OPENM", D."OPEDR1", D."OPEDR2", D."JYO1", D."JYO2", D."COMM", D."KCODE",
       O1."USERNM" AS "OPEDR1NM", O2."USERNM" AS "OPEDR2NM", J1."USERNM" AS "JYO1NM", J2."USERNM" AS "JYO2NM",
       ROW_NUMBER() OVER (PARTITION BY O."KNO", O."VERNO" ORDER BY D."OPEDTE", O."ONO", O."RNO") AS "RN"
  FROM %1
  JOIN "KLOV"."D_TAIOPE" O ON O."KNO" = S."KNO" AND O."VERNO" = S."VERNO" AND O."DELKBN" = 0
  LEFT JOIN "KLOV"."D_KANOPE" D ON D."ID" = Y."ID" AND O."ONO" = D."ONO" AND D."DELKBN" = 0
  LEFT JOIN "KLOV"."M_USER" O1 ON D."OPEDR1" = O1."USERID"
  LEFT JOIN "KLOV"."M_USER" O2 ON D."OPEDR2" = O2."USERID"
  LEFT JOIN "KLOV"."M_USER" J1 ON D."JYO1" = J1."USERID"
  LEFT JOIN "KLOV"."M_USER" J2 ON D."JYO2" = J2."USERID") X
 WHERE "RN" <= 2 ORDER BY "KNO", "VERNO", "RN")")
                 .arg(QString::fromLatin1(kSelectedVersions)));
    auto field = [&q](const char* name) { return q.field(QString::fromLatin1(name)); };
    forEachSlot(q, FEntries, 2, [&](TrecOut& e, int slot) {
        TrecOpe& o = e.opes[slot];
        o.OPEDTE = field("OPEDTE").asDateTime();
        o.OPENM = cut(q, "OPENM", 200);
        o.OPEDR1 = cut(q, "OPEDR1", 24);
        o.OPEDR1NM = cut(q, "OPEDR1NM", 64);
        o.OPEDR2 = cut(q, "OPEDR2", 24);
        o.OPEDR2NM = cut(q, "OPEDR2NM", 64);
        o.JYO1 = cut(q, "JYO1", 24);
        o.JYO1NM = cut(q, "JYO1NM", 64);
        o.JYO2 = cut(q, "JYO2", 24);
        o.JYO2NM = cut(q, "JYO2NM", 64);
        o.COMM = sjis::cutToBytes(cleaned(field("COMM").asString()), 200);
        o.KCODE = cut(q, "KCODE", 12);
    });
}

QStringList TFrmOutCsv::buildLines() const
{
    using csv::quoted;
    const TConditions& c = FCond;
    auto cond = [](const QString& title, const QString& value) { return csv::line({quoted(title), value}); };
    auto orAll = [](const QString& v) { return quoted(v.isEmpty() ? kAll : v); };
    auto contains = [](const QString& typed) {
        return quoted(textutil::trimBoth(typed).isEmpty() ? kAll : QStringLiteral("「") + typed + QStringLiteral("」を含む"));
    };
    QStringList lines{
        quoted(QStringLiteral("退院サマリ情報CSV")),
        cond(QStringLiteral("患者ID"), c.id != 0 ? QString::number(c.id) : quoted(kAll)),
        cond(QStringLiteral("診療科"), orAll(c.ka)),
        cond(QStringLiteral("主治医"), orAll(c.syudr)),
        cond(QStringLiteral("担当医"), orAll(c.tandr)),
        cond(QStringLiteral("病名"), contains(c.byonm)),
        cond(QStringLiteral("ICD10"), contains(c.icd)),
        cond(QStringLiteral("病名絞込"), quoted(c.onlySyu ? QStringLiteral("主病名のみ対象") : kAll)),
        cond(QStringLiteral("入院日"), quoted(slash(c.ndteF) + QStringLiteral(" ～ ") + slash(c.ndteT))),
        cond(QStringLiteral("退院日"), quoted(slash(c.tdteF) + QStringLiteral(" ～ ") + slash(c.tdteT))),
        cond(QStringLiteral("削除済/旧Version"), quoted(c.dispDel ? QStringLiteral("対象") : QStringLiteral("除外"))),
        cond(QStringLiteral("経過日数算出日付"), slash(c.date)),
        cond(QStringLiteral("経過日数算出日"), slash(c.date)),
    };

    QStringList titles{
        "管理番号", "Version", "Version確定日", "旧Version", "削除", "診療科CD", "診療科名", "患者ID", "患者フリガナ",
        "患者氏名", "入院日", "退院日", "入院種別", "入院回数", "主訴・入院理由", "入院までの経過", "入院経過",
        "退院時状況", "退院時使用薬剤", "退院時方針", "主治医ID", "主治医", "担当医1ID", "担当医1", "担当医2ID",
        "担当医2", "担当医3ID", "担当医3", "記載医ID", "記載医", "記載", "記載完了者ID", "記載完了者", "記載完了日時",
        "記載完了まで経過日数", "承認", "承認者ID", "承認者", "承認日時", "承認まで経過日数", "完成確認",
        "完成確認者ID", "完成確認者", "完成確認日時", "完成確認まで経過日数", "退院後経過日数"};
    const QStringList diagTitles{"#1", "#2", "#3", "病名登録日", "病名管理番号", "病名", "疑い", "発生時期", "転帰",
                                 "病名備考", "ICD10"};
    const QStringList opeTitles{"手術日", "術名", "術者1ID", "術者1", "術者2ID", "術者2", "助手1ID", "助手1",
                                "助手2ID", "助手2", "手術備考", "Kコード"};
    for (int i = 0; i < 4; ++i)
        titles << diagTitles;
    for (int i = 0; i < 2; ++i)
        titles << opeTitles;
    lines << outcsv::headerLine(titles);

    const QDateTime countDay(c.date, QTime(0, 0));
    const QString stageMarks[] = {QStringLiteral("記載済"), QStringLiteral("承認済"), QStringLiteral("完成確認済")};
    for (const TrecOut& e : FEntries) {
        QStringList cells{QString::number(e.KNO), QString::number(e.VERNO), outcsv::dateCell(e.VERDTE),
                          outcsv::markCell(e.ACTKBN == 0, QStringLiteral("旧Version")),
                          outcsv::markCell(e.DELKBN != 0, QStringLiteral("削除済")), QString::number(e.KACD),
                          quoted(e.KANM), QString::number(e.ID), quoted(e.KNJKANA), quoted(e.KNJNAME),
                          outcsv::dateCell(e.NDTE), outcsv::dateCell(e.TDTE),
                          quoted(e.NSYU == 0 ? QStringLiteral("定例") : e.NSYU == 1 ? QStringLiteral("予定外") : QString()),
                          QString::number(e.NYUCNT)};
        for (const QString& t : e.texts)
            cells << quoted(t);
        for (const QString& d : e.doctors)
            cells << quoted(d);
        for (int i = 0; i < 3; ++i) {
            const TrecStage& s = e.stages[i];
            if (s.FLG != 0)
                cells << quoted(stageMarks[i]) << quoted(s.USERID) << quoted(s.USERNM) << outcsv::dateCell(s.DTM)
                      << daysAfter(e.TDTE, s.DTM);
            else
                cells << quoted({}) << quoted({}) << quoted({}) << QString() << QString();
        }
        cells << daysAfter(e.TDTE, countDay);
        for (const TrecDiag& d : e.diags) {
            if (d.SNO != 0)
                cells << QString::number(d.SNO) << quoted(d.SNO1) << quoted(d.SNO2) << outcsv::dateCell(d.ADDDTE)
                      << quoted(d.BKNO) << quoted(d.BYONM) << outcsv::markCell(d.DISTKBN != 0, QStringLiteral("疑い"))
                      << quoted(d.HJIKINM) << quoted(d.TENKIN) << quoted(d.BIKO) << quoted(d.ICD102013);
            else
                cells << QString() << quoted({}) << quoted({}) << QString() << quoted({}) << quoted({}) << quoted({})
                      << quoted({}) << quoted({}) << quoted({}) << quoted({});
        }
        for (const TrecOpe& o : e.opes) {
            if (o.OPEDTE.isValid() && !rec::isAbsentDate(o.OPEDTE.date()))
                cells << outcsv::dateCell(o.OPEDTE) << quoted(o.OPENM) << quoted(o.OPEDR1) << quoted(o.OPEDR1NM)
                      << quoted(o.OPEDR2) << quoted(o.OPEDR2NM) << quoted(o.JYO1) << quoted(o.JYO1NM)
                      << quoted(o.JYO2) << quoted(o.JYO2NM) << quoted(o.COMM) << quoted(o.KCODE);
            else {
                cells << QString();
                for (int i = 0; i < 11; ++i)
                    cells << quoted({});
            }
        }
        lines << csv::line(cells);
    }
    return lines;
}
