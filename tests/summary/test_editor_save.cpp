// Saving and leaving the summary editor: length limits, the stricter checks
// while "記載完了" is down, what is stored of the texts, the unsaved-changes
// question on every way out, the standard template.

#include "test_editor_fixture.h"

#include "app/CommonU.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {
const QString kCloseQuestion = QStringLiteral(
    "変更された情報がありますが「登録」ボタンが押されていません。\r\nこのままだと更新されずに終了しますがよろしいですか？");
}

TEST_F(EditorTest, EachSectionTakesTwoThousandCharactersAndRefusesMore)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1);
    TFrmUpdTaiyou& f = open(1, 1);
    QPlainTextEdit* memos[5] = {f.memNYUBEFKEIKA, f.memNYUKEIKA, f.memTAIJOUHO, f.memTAIYAKU, f.memTAIHOU};
    const char* names[5] = {"入院までの経過", "入院経過", "退院時状況", "退院時投薬", "退院時方針"};
    const int pages[5] = {0, 0, 1, 1, 1};
    for (int i = 0; i < 5; ++i)
        memos[i]->setPlainText(QString(2000, QChar(0x3042 + i)));   // full-width characters
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        boxes.boxes.clear();
        const QString before = memos[i]->toPlainText();
        memos[i]->setPlainText(before + QStringLiteral("x"));
        f.pcMain->setCurrentIndex(1 - pages[i]);
        QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
        ASSERT_EQ(boxes.boxes.size(), 1);
        EXPECT_EQ(boxes.last(), QString::fromUtf8(names[i])
                                    + QStringLiteral("には2000文字までしか入力できません。\r\n（現在2001文字）"));
        EXPECT_EQ(boxes.boxes[0].kind, msg::TKind::Information);
        EXPECT_EQ(f.pcMain->currentIndex(), pages[i]);
        EXPECT_TRUE(memos[i]->hasFocus());
        EXPECT_TRUE(f.isVisible());
        memos[i]->setPlainText(before);
    }
    // counted in UTF-16 code units: a character outside the basic plane counts twice
    boxes.boxes.clear();
    const QString kept = f.memTAIHOU->toPlainText();
    f.memTAIHOU->setPlainText(QString(1999, QChar(0x3042)) + QStringLiteral("𠮷"));
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("退院時方針には2000文字までしか入力できません。\r\n（現在2001文字）"));
    // a line break counts as CR LF, as it is stored
    boxes.boxes.clear();
    f.memTAIHOU->setPlainText(QString(1000, QChar(0x3042)) + QStringLiteral("\n") + QString(999, QChar(0x3042)));
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("退院時方針には2000文字までしか入力できません。\r\n（現在2001文字）"));
    f.memTAIHOU->setPlainText(kept);

    boxes.boxes.clear();
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
    EXPECT_TRUE(boxes.boxes.isEmpty()) << boxes.last().toStdString();
    EXPECT_EQ(f.result(), QDialog::Accepted);
    const char* columns[5] = {"NYUBEFKEIKA", "NYUKEIKA", "TAIJOUHO", "TAIYAKU", "TAIHOU"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(col(QString::fromLatin1(columns[i])), QString(2000, QChar(0x3042 + i))) << columns[i];
}

TEST_F(EditorTest, WritingCompleteRequiresCountDoctorsAndAsksForEmptySections)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10", 0, R"("SYUDR" = NULL, "WDR" = NULL)");
    TFrmUpdTaiyou& f = open(1, 1);
    QPlainTextEdit* memos[5] = {f.memNYUBEFKEIKA, f.memNYUKEIKA, f.memTAIJOUHO, f.memTAIYAKU, f.memTAIHOU};
    for (QPlainTextEdit* m : memos)
        m->setPlainText(QStringLiteral(" \r\n　"));   // a full-width blank is text
    f.memTAIJOUHO->setPlainText(QStringLiteral("  \n\t"));
    f.memTAIHOU->clear();

    QTest::mouseClick(f.spbWFLG, Qt::LeftButton);
    ASSERT_TRUE(f.spbWFLG->isChecked());
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("入院回数が入力されていません。"));
    EXPECT_TRUE(f.nedtNYUCNT->hasFocus());
    f.nedtNYUCNT->setAsInteger(1);
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("主治医が選択されていません。"));
    f.cmbSYUDR->setCurrentIndex(1);
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("記載医が選択されていません。"));
    f.cmbWDR->setCurrentIndex(1);

    boxes.boxes.clear();
    boxes.answer(QMessageBox::Yes);
    boxes.answer(QMessageBox::No);
    f.pcMain->setCurrentIndex(0);
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
    EXPECT_EQ(boxes.texts(), (QStringList{QStringLiteral("退院時状況が入力されていません。\r\n登録してよろしいですか？"),
                                          QStringLiteral("退院時方針が入力されていません。\r\n登録してよろしいですか？")}));
    EXPECT_EQ(f.pcMain->currentIndex(), 1);
    EXPECT_TRUE(f.memTAIHOU->hasFocus());
    EXPECT_EQ(col("WFLG"), QStringLiteral("0"));

    boxes.boxes.clear();
    boxes.answer(QMessageBox::Yes);
    boxes.answer(QMessageBox::Yes);
    boxes.answer(QMessageBox::No);
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("退院時診断が入力されていません。\r\n登録してよろしいですか？"));
    EXPECT_EQ(col("WFLG"), QStringLiteral("0"));

    boxes.boxes.clear();
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);   // Yes to everything
    EXPECT_EQ(boxes.boxes.size(), 3);
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(col("WFLG"), QStringLiteral("1"));
}

TEST_F(EditorTest, WithoutWritingCompleteEmptyTextsAndMissingDoctorsAreAccepted)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10", 0, R"("SYUDR" = NULL, "WDR" = NULL)");
    TFrmUpdTaiyou& f = open(1, 1);
    for (QPlainTextEdit* m : {f.memNYUBEFKEIKA, f.memNYUKEIKA, f.memTAIJOUHO, f.memTAIYAKU, f.memTAIHOU})
        m->clear();
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
    EXPECT_TRUE(boxes.boxes.isEmpty());
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(col("NYUBEFKEIKA"), QString());
}

TEST_F(EditorTest, LeadingBlanksAndBreaksAreDroppedTrailingOnesKept)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1);
    TFrmUpdTaiyou& f = open(1, 1);
    f.memNYUBEFKEIKA->setPlainText(QStringLiteral(" \n\t\n  本文\n　二行目 \n\n"));
    f.memTAIYAKU->setPlainText(QStringLiteral("\n\n"));
    f.edtNYURIYU->setText(QStringLiteral("  胸痛  "));
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
    ASSERT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(col("NYUBEFKEIKA"), QStringLiteral("本文\r\n　二行目 \r\n\r\n"));
    EXPECT_EQ(col("TAIYAKU"), QString());
    EXPECT_EQ(col("NYURIYU"), QStringLiteral("胸痛  "));
    EXPECT_EQ(col("UPDUSERID"), QStringLiteral("dr1"));
}

TEST_F(EditorTest, NoBreakSpacesStayAsTheyWere)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10", 1, R"("NYUKEIKA" = E'\u00A0字下げ\u00A0本文\r\n次行')");
    const QString stored = QStringLiteral("\u00A0字下げ\u00A0本文\r\n次行");
    ASSERT_EQ(col("NYUKEIKA"), stored);
    TFrmUpdTaiyou& f = open(1, 1);
    EXPECT_FALSE(f.IsChanged());
    f.WriteThreadProc();
    QFile file(dataFolder() + QStringLiteral("NYUKEIKA.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), (stored + QStringLiteral("\r\n")).toUtf8());
    f.memTAIYAKU->setPlainText(QStringLiteral("変更"));
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
    ASSERT_EQ(f.result(), QDialog::Accepted) << boxes.texts().join('|').toStdString();
    EXPECT_EQ(col("NYUKEIKA"), stored) << "a text nobody touched is stored unchanged";
    EXPECT_EQ(col("TAIYAKU"), QStringLiteral("変更"));
}

TEST_F(EditorTest, SavingRewritesTheBasicDataAndClosesWithOk)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1);
    TFrmUpdTaiyou& f = open(1, 1);
    f.cmbKA->setCurrentIndex(1);
    f.dtpTDTE->setChecked(false);
    f.cmbNSYU->setCurrentIndex(1);
    f.cmbTANDR3->setCurrentIndex(2);
    f.cmbSYUDR->setCurrentIndex(0);
    f.nedtNYUCNT->setAsInteger(4);
    EXPECT_TRUE(f.IsChanged());
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(col("KACD"), QStringLiteral("2"));
    EXPECT_EQ(time("TDTE"), QStringLiteral("1899-12-30 00:00:00"));
    EXPECT_EQ(col("NSYU"), QStringLiteral("1"));
    EXPECT_EQ(col("TANDR3"), QStringLiteral("dr2"));
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_TAIYOU" WHERE "SYUDR" IS NULL)"), QStringLiteral("1"));
    EXPECT_EQ(col("NYUCNT"), QStringLiteral("4"));
    EXPECT_EQ(col("WFLG"), QStringLiteral("0"));
    EXPECT_EQ(time("WDTM"), QStringLiteral("1899-12-30 00:00:00"));
    EXPECT_EQ(time("VERDTE"), QStringLiteral("1899-12-30 00:00:00"));
}

TEST_F(EditorTest, EveryWayOutAsksWhenSomethingChangedAndDeletesTheAutosave)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1);
    TFrmUpdTaiyou& f = open(1, 1);
    const QString keyFile = dataFolder() + QStringLiteral("KNO.txt");
    f.WriteThreadProc();
    ASSERT_TRUE(QFile::exists(keyFile));

    f.memNYUKEIKA->appendPlainText(QStringLiteral("追記"));
    // Escape
    boxes.answer(QMessageBox::No);
    f.memNYUKEIKA->setFocus();
    QTest::keyClick(f.memNYUKEIKA, Qt::Key_Escape);
    EXPECT_EQ(boxes.texts(), QStringList{kCloseQuestion});
    EXPECT_TRUE(f.isVisible());
    // the window's close box
    boxes.answer(QMessageBox::No);
    EXPECT_FALSE(f.close());
    EXPECT_EQ(boxes.boxes.size(), 2);
    EXPECT_EQ(boxes.last(), kCloseQuestion);
    EXPECT_TRUE(f.isVisible());
    // "閉じる"
    boxes.answer(QMessageBox::No);
    QTest::mouseClick(f.bbtnClose, Qt::LeftButton);
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(QFile::exists(keyFile));
    QTest::mouseClick(f.bbtnClose, Qt::LeftButton);   // Yes
    EXPECT_EQ(boxes.boxes.size(), 4);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.result(), QDialog::Rejected);
    EXPECT_FALSE(QFile::exists(keyFile));
    EXPECT_FALSE(QFile::exists(dataFolder() + QStringLiteral("NYUKEIKA.txt")));
    EXPECT_EQ(col("NYUKEIKA"), QStringLiteral("経過2"));

    // nothing changed: the close box closes at once and the files go too
    boxes.boxes.clear();
    TFrmUpdTaiyou& g = open(1, 1);
    g.WriteThreadProc();
    EXPECT_TRUE(g.close());
    EXPECT_TRUE(boxes.boxes.isEmpty());
    EXPECT_FALSE(QFile::exists(keyFile));
}

TEST_F(EditorTest, TheStandardTemplateGoesInFrontOfTheText)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1);
    TFrmUpdTaiyou& f = open(1, 1);
    boxes.answer(QMessageBox::No);
    QTest::mouseClick(f.bbtnSTpl, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("入院までの経過に標準テンプレートを反映させますか？"));
    EXPECT_EQ(f.memNYUBEFKEIKA->toPlainText(), QStringLiteral("経過1"));
    QTest::mouseClick(f.bbtnSTpl, Qt::LeftButton);
    EXPECT_EQ(f.memNYUBEFKEIKA->toPlainText(),
              QStringLiteral("＜プロフィール＞\n\n＜現病歴＞\n\n＜既往歴＞\n\n＜家族歴＞\n\n＜嗜好＞\n\n＜感染症情報＞\n\n"
                             "＜免疫情報＞\n\n＜常用薬情報＞\n\n＜入院時身体所見＞\n\n＜入院時検査所見＞\n経過1"));
    EXPECT_TRUE(f.memNYUBEFKEIKA->hasFocus());
}

TEST_F(EditorTest, TheFhirButtonWritesWhatIsStored)
{
    loginAs(QStringLiteral("dr1"), 0);
    sql(R"(INSERT INTO "KLOV"."M_HOSP" ("HOSPNO","HOSPNM","HOSPADR") VALUES (1234567,'病院','大阪府大阪市'))");
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10", 1, R"("WFLG" = 1)");
    QTemporaryDir out;
    TFrmUpdTaiyou& f = open(1, 1);
    f.FAskFhirFolder = [&](QWidget*, const QString&) { return out.path(); };
    f.memNYUKEIKA->setPlainText(QStringLiteral("まだ登録していない経過"));
    boxes.answer(QMessageBox::No);
    f.bbtnFhir->click();
    EXPECT_EQ(boxes.last(), QStringLiteral("変更された情報がありますが「登録」ボタンが押されていません。\r\n"
                                           "登録済みの内容を出力しますがよろしいですか？"));
    EXPECT_TRUE(QDir(out.path()).isEmpty());
    f.bbtnFhir->click();
    QFile file(out.filePath(QStringLiteral("1001_1_1.json")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << boxes.texts().join('|').toStdString();
    const QByteArray json = file.readAll();
    EXPECT_TRUE(json.contains(QStringLiteral("経過2").toUtf8()));
    EXPECT_FALSE(json.contains(QStringLiteral("まだ登録していない経過").toUtf8()));
}
