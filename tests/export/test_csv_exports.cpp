// The CSV exports: summaries, allergies and devices, compared byte for byte
// with the file the user should get (windows-31j, CR LF, no byte-order mark).

#include "common/PythonTool.h"
#include "common/TestApp.h"

#include "app/CsvFile.h"
#include "app/LongOperation.h"
#include "app/SjisText.h"
#include "db/Errors.h"
#include "controls/NumberEdit.h"
#include "export/FrmOutCsvAleU.h"
#include "export/FrmOutCsvDevU.h"
#include "export/FrmOutCsvU.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Runs the form's export into a file of `dir` and returns its bytes.
template <class Form>
QByteArray exportBytes(Form& f, const QTemporaryDir& dir, QString* asked = nullptr)
{
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    QFile::remove(path);
    f.FAskSaveFile = [&](QWidget*, const QString& name, const QString& title) {
        if (asked)
            *asked = name + QLatin1Char('|') + title;
        return path;
    };
    f.bbtnCSVClick();
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray crlf(const QStringList& lines) { return sjis::encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")); }

} // namespace

class CsvExportTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        loginAs(QStringLiteral("dr1"));
        sql(R"(INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","DELKBN","KNJKANA","KNJNAME") VALUES
                 (1001, 1, 0, 0, 'キュウ', '旧'), (1001, 2, 1, 0, 'ヤマダ', '山田'),
                 (1002, 1, 1, 0, 'スズキ', '鈴木');)");
    }
    QTemporaryDir dir;
};

TEST_F(CsvExportTest, AllergyFileQuotesAndOnsetTexts)
{
    // 1003 has no current patient row; the comment carries a quote and a
    // line break.
    sql(R"(INSERT INTO "KLOV"."M_ALLERGY" ("ID","RNO","HKBN","ADDDTE","ALLEHIN","HANNOU","HJIKI","KAFAMY","KAHOSP",
                  "COMM","DELKBN","DELDTM","DELUSERID","INSDTM","INSUSERID") VALUES
               (1002, 1, 1, '2024-01-02', 'そば', '発疹', '20190305', 1, 0, 'a"b' || chr(10) || 'c', 0, NULL, NULL,
                '2024-01-02 03:04:05', 'dr1'),
               (1001, 2, 0, '2024-02-03', '卵', '', '20190300', 0, 1, NULL, 1, '2024-03-04 05:06:07', 'dr1',
                '2024-02-03 00:00:00', 'dr1'),
               (1001, 1, 2, '1899-12-30', 'x', 'y', '20190000', 0, 0, '', 0, NULL, NULL, NULL, NULL),
               (1003, 1, 9, NULL, NULL, NULL, '00000000', 0, 0, NULL, 0, NULL, NULL, NULL, 'nobody'),
               (1003, 2, 0, NULL, NULL, NULL, '', 0, 0, NULL, 0, NULL, NULL, NULL, NULL))");

    TFrmOutCsvAle f;
    QString asked;
    const QString head = QStringLiteral(
        "\"患者番号\",\"患者フリガナ\",\"患者氏名\",\"管理連番\",\"アレルギー不適応反応\",\"登録日\",\"対象食品・薬品\",\"反応\","
        "\"発生時期\",\"本人・家族確認\",\"医療従事者確認\",\"コメント\",\"削除\",\"登録日時\",\"登録者ID\",\"登録者名\","
        "\"削除日時\",\"削除者ID\",\"削除者名\"");
    const QString notDeleted = QStringLiteral(",,\"\",\"\"");
    EXPECT_EQ(exportBytes(f, dir, &asked),
              crlf({QStringLiteral("\"患者アレルギー情報CSV\""), QStringLiteral("\"患者ID\",\"全て\""),
                    QStringLiteral("\"削除済\",\"除外\""), head,
                    QStringLiteral("1001,\"ヤマダ\",\"山田\",1,\"不詳\",,\"x\",\"y\",\"2019年頃\",\"\",\"\",\"\",\"\",,\"\",\"\"")
                        + notDeleted,
                    QStringLiteral("1002,\"スズキ\",\"鈴木\",1,\"あり\",2024/01/02,\"そば\",\"発疹\",\"2019年03月05日\","
                                   "\"〇\",\"\",\"a\"\"b\nc\",\"\",2024/01/02 03:04:05,\"dr1\",\"dr1先生\"")
                        + notDeleted,
                    QStringLiteral("1003,\"\",\"\",1,\"\",,\"\",\"\",\"不明\",\"\",\"\",\"\",\"\",,\"nobody\",\"\"") + notDeleted,
                    QStringLiteral("1003,\"\",\"\",2,\"なし\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",,\"\",\"\"") + notDeleted}));
    EXPECT_EQ(asked, QStringLiteral("患者アレルギー情報CSV.csv|患者アレルギー情報CSV"));
    EXPECT_EQ(boxes.last(), QStringLiteral("出力しました。"));

    // One patient with the deleted records: the deletion group is filled.
    f.nedtID->setAsInt64(1001);
    f.cbDispDel->setChecked(true);
    const QByteArray bytes = exportBytes(f, dir);
    const QList<QByteArray> lines = bytes.split('\n');
    ASSERT_EQ(lines.size(), 7);   // 3 condition lines, header, 2 records, the end
    EXPECT_EQ(lines[1], sjis::encode(QStringLiteral("\"患者ID\",1001\r")));
    EXPECT_EQ(lines[2], sjis::encode(QStringLiteral("\"削除済\",\"対象\"\r")));
    EXPECT_EQ(lines[5], sjis::encode(QStringLiteral("1001,\"ヤマダ\",\"山田\",2,\"なし\",2024/02/03,\"卵\",\"\",\"2019年03月頃\","
                                                   "\"\",\"〇\",\"\",\"削除済\",2024/02/03 00:00:00,\"dr1\",\"dr1先生\","
                                                   "2024/03/04 05:06:07,\"dr1\",\"dr1先生\"\r")));

    // Nothing matches: a notice and no file.
    f.nedtID->setAsInt64(1999);
    EXPECT_TRUE(exportBytes(f, dir).isEmpty());
    EXPECT_EQ(boxes.last(), QStringLiteral("対象となるデータは抽出されませんでした。"));
}

TEST_F(CsvExportTest, DeviceFile)
{
    sql(R"(INSERT INTO "KLOV"."M_DEVICE" ("ID","RNO","ADDDTE","DEVICE","COMM","DELKBN","DELDTM","DELUSERID","INSDTM","INSUSERID") VALUES
             (1002, 1, '2023-05-06', 'ペースメーカー', 'メモ"1"', 0, NULL, NULL, '2023-05-06 07:08:09', 'dr1'),
             (1001, 1, '2022-01-01', 'ステント', NULL, 1, '2022-02-02 10:11:12', 'dr1', '2022-01-01 00:00:00', 'dr1'))");
    TFrmOutCsvDev f;
    f.cbDispDel->setChecked(true);
    QString asked;
    EXPECT_EQ(exportBytes(f, dir, &asked),
              crlf({QStringLiteral("\"患者デバイス情報CSV\""), QStringLiteral("\"患者ID\",\"全て\""),
                    QStringLiteral("\"削除済\",\"対象\""),
                    QStringLiteral("\"患者番号\",\"患者フリガナ\",\"患者氏名\",\"管理連番\",\"装着日\",\"デバイス\",\"コメント\","
                                   "\"削除\",\"登録日時\",\"登録者ID\",\"登録者名\",\"削除日時\",\"削除者ID\",\"削除者名\""),
                    QStringLiteral("1001,\"ヤマダ\",\"山田\",1,2022/01/01,\"ステント\",\"\",\"削除済\",2022/01/01 00:00:00,"
                                   "\"dr1\",\"dr1先生\",2022/02/02 10:11:12,\"dr1\",\"dr1先生\""),
                    QStringLiteral("1002,\"スズキ\",\"鈴木\",1,2023/05/06,\"ペースメーカー\",\"メモ\"\"1\"\"\",\"\","
                                   "2023/05/06 07:08:09,\"dr1\",\"dr1先生\",,\"\",\"\"")}));
    EXPECT_EQ(asked, QStringLiteral("患者デバイス情報CSV.csv|患者デバイス情報CSV"));
}

TEST_F(CsvExportTest, AllergyAndDeviceTextsReadBackAsStored)
{
    // A comment with CR LF and a lone LF, a text with a quote: Python's csv
    // module reads each cell back as stored.
    sql(R"(INSERT INTO "KLOV"."M_ALLERGY" ("ID","RNO","HKBN","ALLEHIN","COMM","DELKBN")
               VALUES (1002, 1, 1, 'そ"ば', 'c1' || chr(13) || chr(10) || 'c2' || chr(10) || 'c3', 0);
           INSERT INTO "KLOV"."M_DEVICE" ("ID","RNO","DEVICE","COMM","DELKBN")
               VALUES (1002, 1, 'そ"ば', 'c1' || chr(13) || chr(10) || 'c2' || chr(10) || 'c3', 0))");
    TFrmOutCsvAle ale;
    TFrmOutCsvDev dev;
    const std::pair<TFrmOutCsvBase*, QString> files[] = {{&ale, QStringLiteral("対象食品・薬品")},
                                                          {&dev, QStringLiteral("デバイス")}};
    for (const auto& [f, textTitle] : files) {
        exportBytes(*f, dir);
        const QList<QStringList> rows = pytool::csvRows(dir.filePath(QStringLiteral("out.csv")));
        ASSERT_EQ(rows.size(), 5) << qPrintable(f->objectName());
        const QStringList& head = rows[3];
        ASSERT_EQ(rows[4].size(), head.size());
        EXPECT_EQ(rows[4].value(head.indexOf(QStringLiteral("コメント"))), QStringLiteral("c1\r\nc2\nc3"));
        EXPECT_EQ(rows[4].value(head.indexOf(textTitle)), QStringLiteral("そ\"ば"));
    }
}

TEST_F(CsvExportTest, SummaryFileSlotsDaysAndCleanedTexts)
{
    // Version 1 of summary 1: six diagnoses (one taken off the patient's
    // list), three operations plus one taken off the summary, written complete
    // 2 days 5 hours after discharge. Summary 2 is not discharged. Summary 3
    // is superseded and deleted.
    sql(R"(INSERT INTO "KLOV"."M_KA" ("KACD","KANM","DSPKBN") VALUES (1, '循環器内科外来第一診療科室', 0);
           INSERT INTO "KLOV"."M_NMAIN" ("BKNO","BYONM","ICD102013") VALUES ('B1', '高血圧症', 'I10');
           INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","ADDDTE","BKNO","DISTKBN","BYONM","HJIKI","TENKI","BIKO","DELKBN") VALUES
             (1001, 1, 1, '2024-01-05', 'B1', 1, repeat('病', 30) || 'a', '20230400', 1, ' x,y ', 0),
             (1001, 2, 1, '2024-01-07', 'B1', 0, '高血圧', '', 0, NULL, 0),
             (1001, 3, 1, '2024-01-01', NULL, 0, '消えた病名', '', 0, NULL, 1),
             (1001, 4, 1, '2024-01-06', NULL, 0, 'かぜ', NULL, 0, NULL, 0),
             (1001, 5, 1, '2024-01-06', NULL, 0, '五番目', NULL, 0, NULL, 0),
             (1001, 6, 1, '2024-01-06', NULL, 0, '六番目', NULL, 0, NULL, 0);
           INSERT INTO "KLOV"."D_KANOPE" ("ID","ONO","RNO","OPEDTE","OPENM","KCODE","OPEDR1","COMM","DELKBN") VALUES
             (1001, 1, 1, '2024-01-03', '手術B', NULL, NULL, NULL, 0),
             (1001, 2, 1, '2024-01-02', '虫垂切除', 'K718', 'dr1', 'c"1', 0),
             (1001, 3, 1, '2024-01-04', '手術C', NULL, NULL, NULL, 0),
             (1001, 4, 1, '2024-01-01', '外した手術', NULL, NULL, NULL, 0);
           INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ACTKBN","DELKBN","KACD","ID","NDTE","TDTE","NSYU","NYUCNT",
               "NYURIYU","NYUBEFKEIKA","SYUDR","WDR","WFLG","WUSERID","WDTM","VERDTE") VALUES
             (1, 1, 1, 0, 1, 1001, '2024-01-01', '2024-01-10', 1, 2, '胸痛', ' 行1' || chr(13) || chr(10) || '"行2",続き ',
              'dr1', 'dr1', 1, 'dr1', '2024-01-12 05:00:00', '2024-01-10'),
             (2, 1, 1, 0, 1, 1001, '2024-02-01', '1899-12-30', 0, 0, NULL, NULL, NULL, NULL, 0, NULL, NULL, NULL),
             (3, 1, 0, 0, 1, 1001, '2024-03-01', '2024-03-02', 0, 0, NULL, NULL, NULL, NULL, 0, NULL, NULL, NULL),
             (3, 2, 1, 1, 1, 1001, '2024-03-01', '2024-03-02', 0, 0, NULL, NULL, NULL, NULL, 0, NULL, NULL, NULL);
           INSERT INTO "KLOV"."D_TAIBYO" ("KNO","VERNO","BNO","SNO","SNO1","SNO2") VALUES
             (1, 1, 5, 3, '', ''), (1, 1, 1, 1, '', ''), (1, 1, 3, 1, '1', ''), (1, 1, 2, 2, '', ''),
             (1, 1, 4, 1, '2', ''), (1, 1, 6, 4, '', '');
           INSERT INTO "KLOV"."D_TAIOPE" ("KNO","VERNO","ONO","RNO","DELKBN") VALUES
             (1, 1, 1, 1, 0), (1, 1, 2, 1, 0), (1, 1, 3, 1, 0), (1, 1, 4, 1, 1);)");
    TFrmOutCsv f;
    f.show();
    QApplication::processEvents();
    f.dtpDate->setDate(QDate(2024, 1, 20));

    const QString ka = QStringLiteral("\"循環器内科外来第一診療科\"");   // 24 bytes
    const QString noStage = QStringLiteral("\"\",\"\",\"\",,");
    const QString noDiag = QStringLiteral(",,\"\",\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\"");
    const QString noOpe = QStringLiteral(",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"");
    QStringList lines{
        QStringLiteral("\"退院サマリ情報CSV\""), QStringLiteral("\"患者ID\",\"全て\""), QStringLiteral("\"診療科\",\"全て\""),
        QStringLiteral("\"主治医\",\"全て\""), QStringLiteral("\"担当医\",\"全て\""), QStringLiteral("\"病名\",\"全て\""),
        QStringLiteral("\"ICD10\",\"全て\""), QStringLiteral("\"病名絞込\",\"全て\""),
        QStringLiteral("\"入院日\",\"2000/01/01 ～ 2099/12/31\""), QStringLiteral("\"退院日\",\"2000/01/01 ～ 2099/12/31\""),
        QStringLiteral("\"削除済/旧Version\",\"除外\""), QStringLiteral("\"経過日数算出日付\",2024/01/20"),
        QStringLiteral("\"経過日数算出日\",2024/01/20")};
    QStringList titles = QStringLiteral(
        "管理番号,Version,Version確定日,旧Version,削除,診療科CD,診療科名,患者ID,患者フリガナ,患者氏名,入院日,退院日,"
        "入院種別,入院回数,主訴・入院理由,入院までの経過,入院経過,退院時状況,退院時使用薬剤,退院時方針,主治医ID,主治医,"
        "担当医1ID,担当医1,担当医2ID,担当医2,担当医3ID,担当医3,記載医ID,記載医,記載,記載完了者ID,記載完了者,記載完了日時,"
        "記載完了まで経過日数,承認,承認者ID,承認者,承認日時,承認まで経過日数,完成確認,完成確認者ID,完成確認者,完成確認日時,"
        "完成確認まで経過日数,退院後経過日数").split(QLatin1Char(','));
    for (int i = 0; i < 4; ++i)
        titles << QStringLiteral("#1,#2,#3,病名登録日,病名管理番号,病名,疑い,発生時期,転帰,病名備考,ICD10").split(QLatin1Char(','));
    for (int i = 0; i < 2; ++i)
        titles << QStringLiteral("手術日,術名,術者1ID,術者1,術者2ID,術者2,助手1ID,助手1,助手2ID,助手2,手術備考,Kコード")
                      .split(QLatin1Char(','));
    ASSERT_EQ(titles.size(), 114);
    lines << QLatin1Char('"') + titles.join(QStringLiteral("\",\"")) + QLatin1Char('"');
    lines << QStringLiteral("2,1,,\"\",\"\",1,%1,1001,\"ヤマダ\",\"山田\",2024/02/01,,\"定例\",0,\"\",\"\",\"\",\"\",\"\",\"\","
                            "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",%2%3%4")
                     .arg(ka, noStage + QLatin1Char(','), noStage + QLatin1Char(','), noStage + QLatin1Char(','))
                 + noDiag.repeated(4) + noOpe.repeated(2);
    lines << QStringLiteral("1,1,2024/01/10,\"\",\"\",1,%1,1001,\"ヤマダ\",\"山田\",2024/01/01,2024/01/10,\"予定外\",2,"
                            "\"胸痛\",\"行1\\n\"\"行2\"\"\\n続き\",\"\",\"\",\"\",\"\",\"dr1\",\"dr1先生\",\"\",\"\",\"\",\"\","
                            "\"\",\"\",\"dr1\",\"dr1先生\",\"記載済\",\"dr1\",\"dr1先生\",2024/01/12,2,%2%3"
                            ",1,\"\",\"\",2024/01/05,\"B1\",\"%4\",\"疑い\",\"2023年04月頃\",\"軽快\",\"x\\ny\",\"I10\","
                            "1,\"1\",\"\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\","
                            "1,\"2\",\"\",2024/01/06,\"\",\"かぜ\",\"\",\"\",\"\",\"\",\"\","
                            "2,\"\",\"\",2024/01/07,\"B1\",\"高血圧\",\"\",\"\",\"\",\"\",\"I10\","
                            "2024/01/02,\"虫垂切除\",\"dr1\",\"dr1先生\",\"\",\"\",\"\",\"\",\"\",\"\",\"c\"\"1\",\"K718\","
                            "2024/01/03,\"手術B\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"")
                     .arg(ka, noStage + QLatin1Char(','), noStage + QStringLiteral(",10"), QString(30, QChar(0x75C5)));
    QString asked;
    const QByteArray bytes = exportBytes(f, dir, &asked);
    EXPECT_EQ(bytes, crlf(lines));
    EXPECT_EQ(asked, QStringLiteral("退院サマリCSV.csv|退院サマリCSV"));
    EXPECT_EQ(boxes.last(), QStringLiteral("出力しました。"));
    for (const QByteArray& l : bytes.split('\n').mid(14, 2))
        EXPECT_EQ(l.count(',') + 1, 114) << "every line as wide as the header";

    // Superseded and deleted versions with the check box; the disease filter
    // limited to main diagnoses.
    f.cbDispDel->setChecked(true);
    QList<QByteArray> all = exportBytes(f, dir).split('\n');
    ASSERT_EQ(all.size(), 14 + 5);
    EXPECT_TRUE(all[14].startsWith(sjis::encode(QStringLiteral("3,2,,\"\",\"削除済\","))));
    EXPECT_TRUE(all[15].startsWith(sjis::encode(QStringLiteral("3,1,,\"旧Version\",\"\","))));
    f.cbDispDel->setChecked(false);
    f.edtByonm->setText(QStringLiteral(" 高血圧 "));
    all = exportBytes(f, dir).split('\n');
    ASSERT_EQ(all.size(), 14 + 2);
    EXPECT_EQ(all[5], sjis::encode(QStringLiteral("\"病名\",\"「 高血圧 」を含む\"\r")));
    f.cbOnlySyu->setChecked(true);
    EXPECT_TRUE(exportBytes(f, dir).isEmpty()) << "高血圧 is #2";
    EXPECT_EQ(boxes.last(), QStringLiteral("対象となるデータは抽出されませんでした。"));
    f.cbOnlySyu->setChecked(false);
    f.edtByonm->setText(QStringLiteral("高%"));
    EXPECT_TRUE(exportBytes(f, dir).isEmpty()) << "a % in the filter is a percent sign";
}

TEST_F(CsvExportTest, AStoppedExportWritesNoFile)
{
    // Stopped while the file is written: a file of that name keeps its old
    // bytes, and nothing is left beside it.
    const QString path = dir.filePath(QStringLiteral("keep.csv"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    const QStringList lines(2000, QStringLiteral("\"a\",\"b\""));
    EXPECT_THROW(csv::writeLines(path, lines, nullptr, [](int written) {
        if (written >= 1000)
            throw ECancelled();
    }), ECancelled);
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({QStringLiteral("keep.csv")}));

    // Stopped while the summaries load (another workstation holds the
    // table): no question for a file, no word.
    TFrmOutCsv f;
    f.show();
    conn().beginTrans();
    conn().execDirect(QStringLiteral(R"(LOCK TABLE "KLOV"."D_TAIYOU" IN ACCESS EXCLUSIVE MODE)"));
    whenModal(QStringLiteral("FrmProgress"), [](QWidget* w) { static_cast<TFrmProgress*>(w)->btnCancel->click(); });
    bool asked = false;
    f.FAskSaveFile = [&](QWidget*, const QString&, const QString&) {
        asked = true;
        return QString();
    };
    boxes.boxes.clear();
    f.bbtnCSVClick();
    conn().rollbackTrans();
    EXPECT_FALSE(asked);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.last().toStdString();
}
