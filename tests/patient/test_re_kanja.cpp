// Patient history: every revision, the filter by number, the row colours and
// the detail pane.

#include "KanjaFixture.h"

#include "controls/DBGrid.h"
#include "controls/NumberEdit.h"
#include "db/Query.h"
#include "patient/FrmReKanjaU.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

class ReKanjaTest : public PatientTest {
protected:
    void SetUp() override
    {
        PatientTest::SetUp();
        addPatient({.id = 30, .rno = 1, .act = 0, .kana = QStringLiteral("アオキ"), .name = QStringLiteral("青木 旧")});
        addPatient({.id = 30, .rno = 2, .act = 1, .kana = QStringLiteral("アオキ"), .name = QStringLiteral("青木"),
                    .sex = 1, .birth = QDate(1989, 1, 8), .adr1 = QStringLiteral("大阪府"), .tel = QStringLiteral("06-1")});
        addPatient({.id = 4, .rno = 1, .act = 0, .del = 1, .kana = QStringLiteral("イトウ"), .name = QStringLiteral("伊藤")});
        sql(R"(UPDATE "KLOV"."M_KANJA" SET "UPDUSERID" = 'clerk', "UPDDTM" = '2024-05-06 07:08:09' WHERE "ID" = 4)");
    }
    std::unique_ptr<TFrmReKanja> open(qint64 id)
    {
        auto f = std::make_unique<TFrmReKanja>();
        f->FintID = id;
        f->resize(1080, 600);
        f->show();
        QApplication::processEvents();
        return f;
    }
    QStringList column(TFrmReKanja& f, int c)
    {
        QStringList out;
        for (int r = 0; r < f.dbgMei->rowCount(); ++r)
            out << f.dbgMei->cellText(r, c);
        return out;
    }
};

TEST_F(ReKanjaTest, AllRowsSortedByNumberWithColoursAndWidths)
{
    auto f = open(0);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("患者メンテナンス履歴"));
    EXPECT_TRUE(f->nedtID->text().isEmpty());
    EXPECT_EQ(column(*f, 0), (QStringList{"4", "30", "30"}));
    EXPECT_EQ(column(*f, 1), (QStringList{"1", "1", "2"}));
    EXPECT_EQ(column(*f, 4), (QStringList{"○", "", ""}));
    EXPECT_EQ(column(*f, 6), (QStringList{"setup", "setup", "setup"}));
    QStringList titles;
    for (int c = 0; c < 7; ++c)
        titles << f->dbgMei->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    EXPECT_EQ(titles, (QStringList{"患者番号", "連番", "カナ", "氏名", "削除", "登録日時", "登録ﾕｰｻﾞｰID"}));
    EXPECT_EQ(f->dbgMei->sortField(), QStringLiteral("ID"));

    const TRowColors deleted = f->dbgMei->rowColors(0);
    EXPECT_EQ(deleted.background, QColor(192, 192, 192));
    EXPECT_EQ(f->dbgMei->rowColors(1).background, QColor(0xD4, 0xD4, 0xD4));
    EXPECT_EQ(f->dbgMei->rowColors(2).background, QColor(Qt::white));
    EXPECT_EQ(deleted.selectedText, QColor(Qt::blue));

    const int usable = f->dbgMei->width() - 22;
    const int shares[7] = {15, 8, 12, 25, 7, 18, 15};
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(f->dbgMei->columnWidth(c), usable * shares[c] / 100) << c;
}

TEST_F(ReKanjaTest, FilterByNumberAndRunAgain)
{
    auto f = open(30);
    EXPECT_EQ(f->nedtID->text(), QStringLiteral("30"));
    EXPECT_EQ(column(*f, 1), (QStringList{"1", "2"}));

    addPatient({.id = 30, .rno = 3, .act = 0, .kana = QStringLiteral("アオキ"), .name = QStringLiteral("新")});
    f->nedtID->setAsInt64(30);
    f->bbtnFilter->click();
    EXPECT_EQ(column(*f, 1), (QStringList{"1", "2", "3"})) << "the filter button runs the list again";

    f->nedtID->setAsInt64(0);
    f->bbtnFilter->click();
    EXPECT_EQ(f->dbgMei->rowCount(), 4);

    f->nedtID->setAsInt64(5);
    f->bbtnFilter->click();
    EXPECT_EQ(f->dbgMei->rowCount(), 0);
    EXPECT_TRUE(f->lblID->text().isEmpty());
    EXPECT_TRUE(f->lblKNJNAME->text().isEmpty());
    EXPECT_TRUE(f->lblINSDTM->text().isEmpty());
    EXPECT_FALSE(f->lblDelSts->isVisible());
}

TEST_F(ReKanjaTest, DetailPaneFollowsTheRow)
{
    auto f = open(0);
    // deleted row
    f->dbgMei->setCurrentIndex(f->dbgMei->model()->index(0, 0));
    EXPECT_TRUE(f->lblDelSts->isVisible());
    EXPECT_EQ(f->lblDelSts->text(), QStringLiteral("削除済"));
    EXPECT_EQ(f->lblDelSts->palette().color(QPalette::Window), QColor(Qt::red));
    EXPECT_EQ(f->lblUPDDTM->text(), QStringLiteral("2024-05-06 07:08:09"));
    EXPECT_EQ(f->lblUPDUSERID->text(), QStringLiteral("clerk"));
    // superseded row
    f->dbgMei->setCurrentIndex(f->dbgMei->model()->index(1, 0));
    EXPECT_EQ(f->lblDelSts->text(), QStringLiteral("修正済"));
    EXPECT_EQ(f->lblDelSts->palette().color(QPalette::Window), QColor(0, 128, 0));
    EXPECT_EQ(f->lblKNJNAME->text(), QStringLiteral("青木 旧"));
    EXPECT_EQ(f->lblSEX->text(), QStringLiteral("男性"));
    EXPECT_TRUE(f->lblUPDDTM->text().isEmpty());
    // current row
    f->dbgMei->setCurrentIndex(f->dbgMei->model()->index(2, 0));
    EXPECT_FALSE(f->lblDelSts->isVisible());
    EXPECT_EQ(f->lblID->text(), QStringLiteral("30"));
    EXPECT_EQ(f->lblKNJKANA->text(), QStringLiteral("アオキ"));
    EXPECT_EQ(f->lblBIRTH->text(), QStringLiteral("平成1年1月8日"));
    EXPECT_EQ(f->lblSEX->text(), QStringLiteral("女性"));
    EXPECT_EQ(f->lblADR1->text(), QStringLiteral("大阪府"));
    EXPECT_EQ(f->lblTEL->text(), QStringLiteral("06-1"));
    EXPECT_EQ(f->lblINSUSERID->text(), QStringLiteral("setup"));
    EXPECT_EQ(f->lblINSDTM->text().size(), 19);
}
