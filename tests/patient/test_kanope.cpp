// Patient operations: doctor selectors bound to the operation date, the
// list and edit forms, and the operation-code and doctor searches.

#include "common/TestApp.h"

#include "app/UntDM.h"
#include "controls/DBGrid.h"
#include "controls/PlPrev.h"
#include "controls/PlSetPrinter.h"
#include "db/Query.h"
#include "patient/FrmMntKanopeU.h"
#include "patient/FrmSrcDrU.h"
#include "patient/FrmSrcOpeU.h"
#include "patient/FrmUpdKanopeU.h"
#include "patient/PrtKanopeU.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPainter>
#include <QPicture>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextItem>

#include <map>

namespace {

// Replays a recorded page and keeps the texts drawn, in page units.
class TTextCapture : public QPaintDevice {
public:
    struct TText {
        QPointF pos;
        QString text;
        int height;
    };
    class TEngine : public QPaintEngine {
    public:
        TEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        Type type() const override { return QPaintEngine::User; }
        void updateState(const QPaintEngineState& s) override
        {
            if (s.state() & QPaintEngine::DirtyTransform)
                FT = s.transform();
        }
        void drawTextItem(const QPointF& p, const QTextItem& ti) override
        {
            texts.push_back({FT.map(p), ti.text(), ti.font().pixelSize()});
        }
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        std::vector<TText> texts;

    private:
        QTransform FT;
    };
    mutable TEngine engine;
    QPaintEngine* paintEngine() const override { return &engine; }

    static std::vector<TText> page(const TplPrev& prev, int n)
    {
        TTextCapture dev;
        QPainter p(&dev);
        p.drawPicture(0, 0, prev.Page(n));
        p.end();
        return dev.engine.texts;
    }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        static const QPicture reference;
        switch (m) {
        case PdmWidth: return 2100;
        case PdmHeight: return 2970;
        case PdmDpiX:
        case PdmPhysicalDpiX: return reference.logicalDpiX();
        case PdmDpiY:
        case PdmPhysicalDpiY: return reference.logicalDpiY();
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        case PdmDepth: return 32;
        case PdmNumColors: return INT_MAX;
        default: return 0;
        }
    }
};

class KanopeTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        loginAs(QStringLiteral("dr1"));
        sql(R"(INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","KNJKANA","KNJNAME","SEX","BIRTH","DELKBN")
               VALUES (2002, 1, 1, 'スズキ ハナコ', '鈴木 花子', 1, '1975-08-10', 0);
               INSERT INTO "KLOV"."M_USER" ("USERID","USERNM","USERKANA","JTYP","YSTRDTE","YENDDTE") VALUES
               ('drA', '阿部 医師', 'アベ', 0, '2000-01-01', '2099-12-31'),
               ('drB', '伊藤 医師', 'イトウ', 0, '2020-01-01', '2020-12-31'),
               ('dcC', '上田 事務', 'ウエダ', 1, '2000-01-01', '2099-12-31');
               INSERT INTO "KLOV"."M_KA" ("KACD","KANM") VALUES (10, '外科'), (20, '内科');
               INSERT INTO "KLOV"."M_DRKA" ("USERID","KACD") VALUES ('drA', 10), ('drB', 20);
               INSERT INTO "KLOV"."M_KCODE" ("KCODE","SNM") VALUES
               ('K6552', '胃切除術（悪性腫瘍手術）'), ('K672', '胆嚢摘出術'), ('K7141', '腸管癒着症手術'))");
    }

    std::unique_ptr<TFrmUpdKanope> editor(int ono = 0, int rno = 0)
    {
        auto f = std::make_unique<TFrmUpdKanope>();
        f->FID = 2002;
        f->FONO = ono;
        f->FRNO = rno;
        f->FormShow();
        return f;
    }

    static void moveDate(TFrmUpdKanope& f, const QDate& d)
    {
        f.dtpOPEDTEEnter();
        f.dtpOPEDTE->setDate(d);
        f.dtpOPEDTEExit();
    }

    QString stored(const QString& cols)
    {
        return scalar(QStringLiteral(R"(SELECT %1 FROM "KLOV"."D_KANOPE" WHERE "DELKBN" = 0 ORDER BY "ONO" DESC LIMIT 1)").arg(cols));
    }
};

} // namespace

TEST_F(KanopeTest, DateChangeEmptiesDoctorsOutsideTheirValidity)
{
    auto f = editor();
    EXPECT_EQ(f->FslDR, (QStringList{QString(), QStringLiteral("dr1"), QStringLiteral("drA")}));
    EXPECT_EQ(f->cmbOPEDR1->count(), 3);
    EXPECT_EQ(f->cmbOPEDR1->itemText(0), QString());

    moveDate(*f, QDate(2020, 6, 1));
    ASSERT_TRUE(f->FslDR.contains(QStringLiteral("drB")));
    ASSERT_TRUE(f->selectDoctor(f->cmbOPEDR1, QStringLiteral("drA")));
    ASSERT_TRUE(f->selectDoctor(f->cmbOPEDR2, QStringLiteral("drB")));
    ASSERT_TRUE(f->selectDoctor(f->cmbJYO1, QStringLiteral("drB")));
    EXPECT_TRUE(boxes.boxes.isEmpty());

    moveDate(*f, QDate(2021, 6, 1));
    EXPECT_EQ(boxes.texts(), (QStringList{QStringLiteral("指定した実施日が術者2の有効期間から外れたため未設定となります。"),
                                          QStringLiteral("指定した実施日が助手1の有効期間から外れたため未設定となります。")}));
    EXPECT_EQ(f->chosenDoctor(f->cmbOPEDR1), QStringLiteral("drA"));
    EXPECT_EQ(f->cmbOPEDR2->currentIndex(), 0);

    // Moving back brings drB into the list but does not choose him again.
    boxes.boxes.clear();
    moveDate(*f, QDate(2020, 6, 1));
    EXPECT_TRUE(boxes.boxes.isEmpty());
    EXPECT_TRUE(f->chosenDoctor(f->cmbOPEDR2).isEmpty());
    EXPECT_TRUE(f->chosenDoctor(f->cmbJYO1).isEmpty());

    // A date typed and not yet left is taken in before the save.
    f->edtOPENM->setText(QStringLiteral("胆嚢摘出術"));
    ASSERT_TRUE(f->selectDoctor(f->cmbOPEDR2, QStringLiteral("drB")));
    f->dtpOPEDTE->setDate(QDate(2022, 1, 5));
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("指定した実施日が術者2の有効期間から外れたため未設定となります。")});
    EXPECT_EQ(stored(R"(TO_CHAR("OPEDTE",'YYYYMMDD') || '|' || "OPEDR1" || '|' || "OPEDR2")"), QStringLiteral("20220105|drA|"));
}

TEST_F(KanopeTest, ADateChosenInTheCalendarRebuildsTheDoctorsAsTyping)
{
    auto f = editor();
    ASSERT_FALSE(f->FslDR.contains(QStringLiteral("drB")));
    f->dtpOPEDTEEnter();
    QCalendarWidget* cal = f->dtpOPEDTE->calendarWidget();
    cal->setSelectedDate(QDate(2020, 6, 1));
    Q_EMIT cal->clicked(QDate(2020, 6, 1));
    QApplication::processEvents();
    EXPECT_EQ(f->dtpOPEDTE->date(), QDate(2020, 6, 1));
    EXPECT_TRUE(f->FslDR.contains(QStringLiteral("drB")));
}

TEST_F(KanopeTest, SurgeonQuestionAndEmptyDoctorColumns)
{
    auto f = editor();
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("手術・処置名未入力です。")});
    f->edtOPENM->setText(QStringLiteral("  腹腔鏡検査"));
    f->edtKCODE->setText(QStringLiteral(" K636 "));
    f->memCOMM->setPlainText(QStringLiteral("  一行目\n二行目"));
    boxes.boxes.clear();
    boxes.answer(QMessageBox::No);
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("術者1が選択されていませんがよろしいですか？")});
    EXPECT_EQ(boxes.boxes.last().kind, msg::TKind::Question);
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_KANOPE")"), QStringLiteral("0"));

    f->bbtnInsertClick();   // Yes
    ASSERT_EQ(f->result(), QDialog::Accepted);
    EXPECT_EQ(f->FONO, 1);
    EXPECT_EQ(f->FRNO, 1);
    EXPECT_EQ(stored(R"("OPENM" || '|' || "KCODE" || '|' || "COMM")"), QStringLiteral("腹腔鏡検査|K636|一行目\n二行目"));
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_KANOPE"
                        WHERE "OPEDR1" = '' AND "OPEDR2" = '' AND "JYO1" = '' AND "JYO2" = '')"),
              QStringLiteral("1"));

    // Unchanged: the notice, nothing written.
    auto g = editor(1, 1);
    boxes.boxes.clear();
    g->bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("変更された項目がありません。")});
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_KANOPE")"), QStringLiteral("1"));
}

TEST_F(KanopeTest, StoredDoctorNoLongerValidIsReported)
{
    sql(R"(INSERT INTO "KLOV"."D_KANOPE" ("ID","ONO","RNO","OPEDTE","OPENM","KCODE","OPEDR1","OPEDR2","JYO1","JYO2","COMM","DELKBN")
           VALUES (2002, 1, 1, '2020-06-01', '虫垂切除術', 'K718', 'drA', 'drB', 'gone', '', '', 0);
           UPDATE "KLOV"."M_USER" SET "YENDDTE" = '2019-12-31' WHERE "USERID" = 'drB')");
    auto f = editor(1, 1);
    EXPECT_EQ(boxes.texts(), (QStringList{QStringLiteral("術者2が削除、又は有効期間が変更されたため設定できませんでした。"),
                                          QStringLiteral("助手1が削除、又は有効期間が変更されたため設定できませんでした。")}));
    EXPECT_EQ(f->bbtnInsert->text(), QStringLiteral("　修　正"));
    EXPECT_EQ(f->chosenDoctor(f->cmbOPEDR1), QStringLiteral("drA"));
    EXPECT_TRUE(f->chosenDoctor(f->cmbOPEDR2).isEmpty());
    // The emptied selectors are a change; the save stores them empty.
    f->bbtnInsertClick();
    ASSERT_EQ(f->result(), QDialog::Accepted);
    EXPECT_EQ(f->FRNO, 2);
    EXPECT_EQ(stored(R"("RNO" || '|' || "OPEDR1" || '|' || "OPEDR2" || '|' || "JYO1")"), QStringLiteral("2|drA||"));
}

TEST_F(KanopeTest, DoctorSearchChoosesOnlyDoctorsValidOnTheDate)
{
    auto f = editor();
    f->FSearchDoctor = SearchDoctor;   // the real dialog
    whenModal(QStringLiteral("TFrmSrcDr"), [](QWidget* w) {
        auto* s = static_cast<TFrmSrcDr*>(w);
        EXPECT_EQ(s->cmbKA->currentText(), QStringLiteral("全て"));
        EXPECT_EQ(s->cmbKA->count(), 3);
        s->cmbKA->setCurrentIndex(2);   // 内科
        s->bbtnSrcClick();
        ASSERT_EQ(s->query()->recordCount(), 1);
        s->bbtnOkClick();
    });
    f->srcDoctorClick(f->cmbOPEDR1);
    EXPECT_TRUE(f->chosenDoctor(f->cmbOPEDR1).isEmpty());   // drB is not valid today
    EXPECT_TRUE(boxes.boxes.isEmpty());

    whenModal(QStringLiteral("TFrmSrcDr"), [](QWidget* w) {
        auto* s = static_cast<TFrmSrcDr*>(w);
        s->edtKana->setText(QStringLiteral("ア"));
        s->bbtnSrcClick();
        ASSERT_EQ(s->query()->recordCount(), 1);
        s->bbtnOkClick();
    });
    f->srcDoctorClick(f->cmbJYO2);
    EXPECT_EQ(f->chosenDoctor(f->cmbJYO2), QStringLiteral("drA"));
}

TEST_F(KanopeTest, DoctorSearchCriteriaAreValues)
{
    TFrmSrcDr s;
    s.show();
    s.bbtnSrcClick();
    // Doctors only, sorted by kana, whatever their validity.
    ASSERT_EQ(s.query()->recordCount(), 3);
    EXPECT_EQ(s.dbgMei->cellText(1, 0), QStringLiteral("阿部 医師"));
    EXPECT_EQ(s.dbgMei->cellText(2, 2), QStringLiteral("2020/01/01"));
    s.edtName->setText(QStringLiteral("' OR ''='"));
    s.bbtnSrcClick();
    EXPECT_EQ(s.query()->recordCount(), 0);
    EXPECT_TRUE(boxes.boxes.isEmpty());
    s.edtName->setText(QStringLiteral("伊藤"));
    s.bbtnSrcClick();
    ASSERT_EQ(s.query()->recordCount(), 1);
    s.bbtnOkClick();
    EXPECT_EQ(s.FUSERID, QStringLiteral("drB"));
}

TEST_F(KanopeTest, OperationCodeSearch)
{
    TFrmSrcOpe s;
    s.edtName->setText(QStringLiteral("術"));
    s.bbtnSrcClick();
    ASSERT_EQ(s.query()->recordCount(), 3);
    s.edtName->clear();
    s.edtKCODE->setText(QStringLiteral("k6"));
    s.bbtnSrcClick();
    ASSERT_EQ(s.query()->recordCount(), 2);
    s.edtKCODE->setText(QStringLiteral("'"));
    s.bbtnSrcClick();
    EXPECT_EQ(s.query()->recordCount(), 0);
    s.edtKCODE->setText(QStringLiteral("K67"));
    s.bbtnSrcClick();
    s.bbtnOkClick();
    EXPECT_EQ(s.FstrSNM, QStringLiteral("胆嚢摘出術"));
    EXPECT_EQ(s.FstrKCODE, QStringLiteral("K672"));
}

TEST_F(KanopeTest, ListAddChangeDeleteWithoutSummaryCheck)
{
    TFrmMntKanope list;
    list.FID = 2002;
    list.FormShow();
    whenModal(QStringLiteral("TFrmUpdKanope"), [](QWidget* w) {
        auto* f = static_cast<TFrmUpdKanope*>(w);
        whenModal(QStringLiteral("TFrmSrcOpe"), [](QWidget* w2) {
            auto* s = static_cast<TFrmSrcOpe*>(w2);
            s->edtKCODE->setText(QStringLiteral("K6552"));
            s->bbtnSrcClick();
            s->bbtnOkClick();
        });
        f->sbSrcOpeClick();
        EXPECT_EQ(f->edtOPENM->text(), QStringLiteral("胃切除術（悪性腫瘍手術）"));
        f->selectDoctor(f->cmbOPEDR1, QStringLiteral("dr1"));
        f->bbtnInsertClick();
    });
    list.bbtnInsertClick();
    ASSERT_EQ(list.query()->recordCount(), 1);
    EXPECT_EQ(list.query()->field(QStringLiteral("SKEY")).asString(), QStringLiteral("000010001"));
    EXPECT_EQ(list.query()->field(QStringLiteral("OPEDR1NM")).asString(), QStringLiteral("dr1先生"));
    EXPECT_EQ(list.query()->field(QStringLiteral("KCODE")).asString(), QStringLiteral("K6552"));

    whenModal(QStringLiteral("TFrmUpdKanope"), [](QWidget* w) {
        auto* f = static_cast<TFrmUpdKanope*>(w);
        f->selectDoctor(f->cmbJYO1, QStringLiteral("drA"));
        f->bbtnInsertClick();
    });
    list.bbtnUpdateClick();
    EXPECT_EQ(list.query()->field(QStringLiteral("SKEY")).asString(), QStringLiteral("000010002"));
    EXPECT_EQ(list.query()->field(QStringLiteral("JYO1NM")).asString(), QStringLiteral("阿部 医師"));

    // Summaries listing the operation do not stop the deletion.
    sql(R"(INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ACTKBN","ID","KFLG") VALUES (3, 1, 1, 2002, 1);
           INSERT INTO "KLOV"."D_TAIOPE" ("KNO","VERNO","ONO","RNO") VALUES (3, 1, 1, 1))");
    list.bbtnDeleteClick();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("削除前に印刷した退院サマリがあった場合、今後の印刷と差異が出てしまいます。\r\n"
                                                        "「胃切除術（悪性腫瘍手術）」を削除してよろしいですか？")});
    EXPECT_TRUE(list.query()->isEmpty());
    EXPECT_EQ(scalar(R"(SELECT STRING_AGG("ONO" || '/' || "RNO" || '/' || "DELKBN", ' ' ORDER BY "RNO") FROM "KLOV"."D_KANOPE")"),
              QStringLiteral("1/1/1 1/2/1"));
}

TEST_F(KanopeTest, PrintedOperationNameFillsItsColumn)
{
    // The name flows between the rules at 350 and 850 (9 pt, 32 apart,
    // 5 below the row top at 456); the comment keeps to 1325-1925.
    TplSetPrinter setPrinter;
    TplPrev prev;
    prthead::beginDocument(prev, setPrinter, QStringLiteral("手術情報印刷"));
    prev.FontSize(9);
    const double charW = prev.TextWidthF(QStringLiteral("術"));
    TrecOpe r;
    r.OPEDTE = QDate(2023, 4, 1);
    r.OPENM = QString(40, QChar(0x8853));     // 40 x "術", several lines
    r.COMM = QString(40, QChar(0x8A18));      // 40 x "記"
    prthead::TPrtPatient patient;
    patient.id = 2002;
    patient.name = QStringLiteral("鈴木 花子");
    DrawKanope(prev, patient, {r}, QDateTime(QDate(2024, 3, 31), QTime(9, 0)));
    prev.EndDoc();
    ASSERT_EQ(prev.PageCount(), 1);

    std::map<int, std::vector<TTextCapture::TText>> nameLines, commLines;
    for (const auto& t : TTextCapture::page(prev, 1)) {
        if (t.height != TplPrev::PointsToHeight(9) || t.pos.y() < 456)
            continue;
        if (t.text.contains(QChar(0x8853)))
            nameLines[qRound(t.pos.y())].push_back(t);
        else if (t.text.contains(QChar(0x8A18)))
            commLines[qRound(t.pos.y())].push_back(t);
    }
    ASSERT_GE(nameLines.size(), 3u);
    int printed = 0;
    for (const auto& [y, items] : nameLines) {
        double left = 1e9, right = 0;
        for (const auto& t : items) {
            left = std::min(left, t.pos.x());
            right = std::max(right, t.pos.x() + charW * t.text.size());
            printed += int(t.text.size());
        }
        EXPECT_NEAR(left, 350, 0.5) << y;
        EXPECT_LE(right, 850 + 0.5) << y;
        if (y != nameLines.rbegin()->first)   // lines broken early end at the rule
            EXPECT_NEAR(right, 850, 1.0) << y;
    }
    EXPECT_EQ(printed, 40);
    ASSERT_FALSE(commLines.empty());
    for (const auto& [y, items] : commLines)
        for (const auto& t : items) {
            EXPECT_GE(t.pos.x(), 1325 - 0.5);
            EXPECT_LE(t.pos.x() + charW * t.text.size(), 1925 + 0.5);
        }
    // Both flows begin on the same line.
    EXPECT_EQ(nameLines.begin()->first, commLines.begin()->first);
}
