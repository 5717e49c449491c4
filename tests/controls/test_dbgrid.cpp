// The list grid: columns and widths, title-click sorting, relocation after a
// new run, the row-colour callback and the cursor kept in step with the view.

#include "common/TestApp.h"
#include "controls/DBGrid.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

class GridTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        sql(R"(CREATE TABLE L (K text, N integer, S text, F integer);
               INSERT INTO L VALUES ('a', 3, 'さ', 0), ('b', 1, 'あ', 1), ('c', 2, 'か', 0), ('d', 2, 'い', 0))");
        q = std::make_unique<TQuery>(&conn());
        q->setSql(R"(SELECT K AS "SKEY", N AS "N", S AS "S", F AS "F" FROM L ORDER BY K)");
        grid.resize(500, 300);
        grid.show();
        grid.setQuery(q.get());
        grid.setColumns({TGridColumn::fixed("キー", "SKEY", 50),
                         TGridColumn::percent("数", "N", 30, Qt::AlignRight),
                         TGridColumn::rest("文字", "S", 100),
                         TGridColumn::fixed("旗", "F", 40, Qt::AlignCenter)
                             .formatted([](const TField& f) { return f.asInteger() ? QStringLiteral("済") : QString(); })},
                        22);
        q->open();
    }
    QStringList column(int c)
    {
        QStringList out;
        for (int r = 0; r < grid.rowCount(); ++r)
            out << grid.cellText(r, c);
        return out;
    }
    TDBGrid grid;
    std::unique_ptr<TQuery> q;
};

TEST_F(GridTest, ColumnsWidthsAndTexts)
{
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("数"));
    EXPECT_EQ(grid.columnWidth(0), 50);
    EXPECT_EQ(grid.columnWidth(1), (500 - 22) * 30 / 100);
    EXPECT_EQ(grid.columnWidth(2), 500 - 22 - 50 - 143 - 40);
    EXPECT_EQ(column(3), (QStringList{"", "済", "", ""}));
    grid.resize(250, 300);
    EXPECT_EQ(grid.columnWidth(2), 100) << "the rest never drops below its minimum";
    EXPECT_EQ(grid.model()->data(grid.model()->index(0, 1), Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
              Qt::AlignRight);
}

TEST_F(GridTest, TitleClicksSortAndReverse)
{
    grid.horizontalHeader()->sectionClicked(1);
    EXPECT_EQ(q->sort(), QStringLiteral("N"));
    EXPECT_EQ(column(1), (QStringList{"1", "2", "2", "3"}));
    grid.titleClick(1);
    EXPECT_EQ(q->sort(), QStringLiteral("N DESC"));
    EXPECT_EQ(column(0), (QStringList{"a", "c", "d", "b"})) << "equal keys keep their order";
    grid.titleClick(2);
    EXPECT_EQ(q->sort(), QStringLiteral("S")) << "another column starts ascending";
    EXPECT_EQ(column(2), (QStringList{"あ", "い", "か", "さ"}));
    grid.titleClick(1);
    EXPECT_EQ(q->sort(), QStringLiteral("N"));
    // nothing happens on an empty list
    q->setFilter([](const TRecord&) { return false; });
    grid.titleClick(2);
    EXPECT_EQ(q->sort(), QStringLiteral("N"));
    EXPECT_EQ(grid.sortField(), QStringLiteral("N"));
}

TEST_F(GridTest, RelocateAfterARunKeepsTheSort)
{
    grid.titleClick(2);
    grid.titleClick(2);   // S DESC
    sql(R"(INSERT INTO L VALUES ('e', 9, 'ん', 0))");
    q->requery();
    EXPECT_EQ(column(2).first(), QStringLiteral("ん"));
    ASSERT_TRUE(grid.locate("SKEY", QStringLiteral("c")));
    EXPECT_EQ(grid.currentRecord(), 2);
    EXPECT_EQ(grid.currentIndex().row(), 2);
    EXPECT_EQ(q->field("N").asInteger(), 2);
    EXPECT_FALSE(grid.locate("SKEY", QStringLiteral("zz")));
}

TEST_F(GridTest, CursorFollowsTheViewAndColoursComeFromTheCallback)
{
    QSignalSpy moved(&grid, &TDBGrid::currentRecordChanged);
    grid.selectRow(3);
    EXPECT_EQ(q->recNo(), 3);
    EXPECT_EQ(q->field("SKEY").asString(), QStringLiteral("d"));
    EXPECT_GE(moved.count(), 1);
    q->first();
    EXPECT_EQ(grid.currentIndex().row(), 0);

    TRowColors plain = grid.rowColors(0);
    EXPECT_EQ(plain.background, QColor(Qt::white));
    EXPECT_EQ(plain.selectedBackground, QColor(0, 0, 128));
    EXPECT_EQ(plain.selectedText, QColor(Qt::white));
    grid.setRowColors([](const TQuery& query, int rec, TRowColors& c) {
        if (query.fieldAt(rec, "F").asInteger() == 1) {
            c.background = QColor(192, 192, 192);
            c.selectedBackground = QColor(192, 192, 192);
        }
    });
    EXPECT_EQ(grid.rowColors(1).background, QColor(192, 192, 192));
    EXPECT_EQ(grid.rowColors(0).background, QColor(Qt::white));
    // the painted row shows the colour
    grid.show();
    grid.selectRow(0);
    const QImage img = grid.grab().toImage();
    const QRect r = grid.visualRect(grid.model()->index(1, 1));
    EXPECT_EQ(img.pixelColor(r.center() + QPoint(0, grid.horizontalHeader()->height() + 1) - QPoint(r.width() / 3, 0)),
              QColor(192, 192, 192));

    QSignalSpy dbl(&grid, &TDBGrid::recordDoubleClicked);
    const QPoint at = grid.visualRect(grid.model()->index(2, 0)).center();
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(dbl.count(), 1);
    EXPECT_EQ(q->recNo(), 2);
}
