// The CSV exports: summaries, allergies and devices, compared byte for byte
// with the file the user should get (windows-31j, CR LF, no byte-order mark).

#include "common/TestApp.h"

#include "app/SjisText.h"
#include "controls/NumberEdit.h"
#include "export/FrmOutCsvAleU.h"
#include "export/FrmOutCsvDevU.h"

#include <QCheckBox>
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
