// Patient CSV import and export, driven through the forms on a real
// database (the line splitter and the checks on random input: tests/fuzz).

#include "KanjaFixture.h"

#include "app/CommonU.h"
#include "app/LongOperation.h"
#include "app/UntDM.h"
#include "app/CsvFile.h"
#include "app/SjisText.h"
#include "db/Errors.h"
#include "db/Transaction.h"
#include "patient/FrmDspErrLogU.h"
#include "patient/FrmImpKanjaU.h"
#include "patient/FrmMntKanjaU.h"
#include "patient/FrmOutKanjaU.h"
#include "patient/KanjaCsv.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray sjisLines(const QStringList& lines)
{
    QByteArray out;
    for (const QString& l : lines)
        out += sjis::encode(l) + "\r\n";
    return out;
}

} // namespace

TEST(PatientCsvLines, SplitterKeepsTrailingEmptyFieldsQuotesAndBlanks)
{
    using kanjacsv::splitLine;
    EXPECT_EQ(splitLine(QStringLiteral("1,a,")), QStringList({"1", "a", ""}));
    EXPECT_EQ(splitLine(QStringLiteral("1,a")), QStringList({"1", "a"}));
    EXPECT_EQ(splitLine(QStringLiteral("\"a,\"\"b\"\"\", c ,\t\"x\"\t,")), QStringList({"a,\"b\"", " c ", "x", ""}));
    EXPECT_EQ(splitLine(QString()), QStringList({""}));
    // Whatever csv::quoted writes reads back as it was.
    const QStringList cells{QStringLiteral("山田\"太郎\""), QStringLiteral(",,"), QString(), QStringLiteral("\"")};
    QStringList quoted;
    for (const QString& c : cells)
        quoted << csv::quoted(c);
    EXPECT_EQ(splitLine(csv::line(quoted)), cells);
}

TEST(PatientCsvLines, FilesAreWindows31jOrElseUtf8)
{
    const QString text = QStringLiteral("1,山田　太郎,ｶﾅ,①,～");
    EXPECT_EQ(kanjacsv::decodeLines(sjis::encode(text) + "\r\n2\n3\r"), QStringList({text, "2", "3"}));
    EXPECT_EQ(kanjacsv::decodeLines(text.toUtf8() + "\n"), QStringList({text}));
    EXPECT_EQ(kanjacsv::decodeLines("\xEF\xBB\xBF" + text.toUtf8()), QStringList({text}));
    bool ok = true;
    sjis::decode("\x82", &ok);   // a lead byte without its trail
    EXPECT_FALSE(ok);
}

class PatientCsvTest : public PatientTest {
protected:
    void SetUp() override
    {
        PatientTest::SetUp();
        loginAs(QStringLiteral("admin"));
        QDir().mkpath(dataFolder());
        FPath = dataFolder() + QStringLiteral("kanja.csv");
    }
    std::unique_ptr<TFrmImpKanja> openImport()
    {
        auto f = std::make_unique<TFrmImpKanja>();
        f->FAskOpenFile = [this](QWidget*, const QString& title, const QString& filter) {
            EXPECT_EQ(title, QStringLiteral("患者インポート用ＣＳＶ指定"));
            EXPECT_EQ(filter, QStringLiteral("患者取込用ＣＳＶ"));
            return FPath;
        };
        f->show();
        QApplication::processEvents();
        return f;
    }
    // Chooses the file and maps the 13 fields to columns 1 to 13.
    std::unique_ptr<TFrmImpKanja> importForm(bool header, bool update)
    {
        auto f = openImport();
        f->SpeedButton1Click();
        for (int i = 0; i < kanjacsv::kFieldCount; ++i)
            f->cmbFld[i]->setCurrentIndex(i + 1);
        f->cbHead->setChecked(header);
        f->cbUpd->setChecked(update);
        return f;
    }
    // Runs the import; the error log shown, if any.
    QStringList runImport(TFrmImpKanja& f)
    {
        QStringList log;
        boxes.onBox = [&](const msg::TBox& b) {
            if (b.text.startsWith(QStringLiteral("取込時にエラー")))
                whenModal(QStringLiteral("TFrmDspErrLog"), [&log](QWidget* w) {
                    log = static_cast<TFrmDspErrLog*>(w)->FslErrLog;
                    w->close();
                });
        };
        f.bbtnUpdateClick();
        boxes.onBox = {};
        return log;
    }
    QString patients()
    {
        return scalar(R"(SELECT string_agg("ID" || ':' || "RNO" || ':' || "ACTKBN" || ':' || "KNJNAME" || ':' ||
                             COALESCE("KEITAI",'-') || ':' || COALESCE("BIKO",'-'), ',' ORDER BY "ID","RNO")
                         FROM "KLOV"."M_KANJA")");
    }
    void failOnName(const QString& name)
    {
        sql(QStringLiteral(R"(CREATE FUNCTION pg_temp_fail() RETURNS trigger LANGUAGE plpgsql AS $$
                 BEGIN IF NEW."KNJNAME" = '%1' THEN RAISE EXCEPTION 'refused'; END IF; RETURN NEW; END $$;
               CREATE TRIGGER fail BEFORE INSERT ON "KLOV"."M_KANJA" FOR EACH ROW EXECUTE FUNCTION pg_temp_fail();)")
                .arg(name));
    }
    QString FPath;
};

TEST_F(PatientCsvTest, ImportStoresGoodLinesListsBadOnesAndRemembersTheMapping)
{
    addPatient({.id = 7, .name = QStringLiteral("既存　患者"), .keitai = QStringLiteral("090")});
    const QString tail = QStringLiteral(",1975/04/01,100-0001,東京都,,03-1,090-1,03-2,a@b.jp,");
    writeFile(FPath, sjisLines({
        QStringLiteral("番号,かな,氏名,性別,生年月日,郵便,住所1,住所2,TEL,携帯,FAX,MAIL,備考"),
        QStringLiteral("1, ヤマダ ,\"山田,\"\"太郎\"\"\",0") + tail,          // remarks column empty
        QStringLiteral("2147483648,,大番号,1,1980/1/2,,,,,,,,NULL\\{備考\"あり}"),
        QStringLiteral("9999999999,,最大番号,1,1980/01/02,,,,,,,,"),
        QStringLiteral("7,,上書きしない,0") + tail,
        QStringLiteral("10000000000,,桁あふれ,0") + tail,
        QStringLiteral("abc,,文字,0") + tail,
        QStringLiteral("0,,ゼロ,0") + tail,
        QStringLiteral("3,") + QString(51, QChar(u'ア')) + QStringLiteral(",長いかな,0") + tail,
        QStringLiteral("4,,  ,0") + tail,
        QStringLiteral("5,,性別,2") + tail,
        QStringLiteral("6,,生年月日,0,,"),
        QStringLiteral("8,,不正日,0,1975/02/30,"),
        QStringLiteral("9,,郵便,0,1975/04/01,100-00001-1"),
    }));
    auto f = importForm(true, false);
    EXPECT_EQ(f->cmbFld[12]->count(), 14);   // "対象項目無し" and 13 columns
    EXPECT_EQ(runImport(*f), QStringList({
        QStringLiteral("5件目の患者番号が数値ではありません。（10000000000）"),
        QStringLiteral("6件目の患者番号が数値ではありません。（abc）"),
        QStringLiteral("7件目の患者番号が数値ではありません。（0）"),
        QStringLiteral("8件目のかなが長すぎます。（") + QString(51, QChar(u'ア')) + QStringLiteral("）"),
        QStringLiteral("9件目の氏名が未入力です。"),
        QStringLiteral("10件目の性別が0又は1ではありません。（2）"),
        QStringLiteral("11件目の生年月日が未入力です。"),
        QStringLiteral("12件目の生年月日が不正です。（1975/02/30）"),
        QStringLiteral("13件目の郵便番号が長すぎます。（100-00001-1）"),
    }));
    EXPECT_EQ(boxes.texts(), QStringList({QStringLiteral("実行します。よろしいですか？"),
                                          QStringLiteral("取込時にエラーがありました。エラーログを表示します。")}));
    EXPECT_EQ(patients(), QStringLiteral("1:1:1:山田,\"太郎\":090-1:-,7:1:1:既存　患者:090:-,"
                                         "2147483648:1:1:大番号:-:NULL\\{備考\"あり},9999999999:1:1:最大番号:-:-"));
    EXPECT_EQ(scalar(R"(SELECT "KNJKANA" || '|' || "ADR1" || '|' || COALESCE("ADR2",'null') || '|' ||
                            to_char("BIRTH",'YYYY-MM-DD') FROM "KLOV"."M_KANJA" WHERE "ID" = 1)"),
              QStringLiteral("ヤマダ|東京都|null|1975-04-01"));

    // The settings come back with the file on the next show.
    auto again = openImport();
    EXPECT_EQ(again->edtPath->text(), FPath);
    EXPECT_EQ(again->cmbFld[12]->currentIndex(), 13);
    EXPECT_TRUE(again->cbHead->isChecked());
    EXPECT_FALSE(again->cbUpd->isChecked());
}

TEST_F(PatientCsvTest, OverwriteWritesOnlyChangedPatientsAndAFailureStoresNothing)
{
    writeFile(FPath, sjisLines({QStringLiteral("1,,一郎,0,1970/01/01,,,,,090,,,"),
                                QStringLiteral("2,,二郎,0,1970/01/01,,,,,,,,")}));
    auto f = importForm(false, true);
    runImport(*f);
    EXPECT_EQ(boxes.last(), QStringLiteral("取込終了しました。"));
    // The same file again: every record equals its current row.
    runImport(*f);
    EXPECT_EQ(patients(), QStringLiteral("1:1:1:一郎:090:-,2:1:1:二郎:-:-"));
    // Only the changed mobile number makes a revision; a patient repeated
    // in the file is compared with what its earlier line stored.
    writeFile(FPath, sjisLines({QStringLiteral("1,,一郎,0,1970/01/01,,,,,080,,,"),
                                QStringLiteral("2,,二郎,0,1970/01/01,,,,,,,,"),
                                QStringLiteral("1,,一郎,0,1970/01/01,,,,,070,,,"),
                                QStringLiteral("1,,一郎,0,1970/01/01,,,,,070,,,")}));
    runImport(*f);
    EXPECT_EQ(patients(), QStringLiteral("1:1:0:一郎:090:-,1:2:0:一郎:080:-,1:3:1:一郎:070:-,2:1:1:二郎:-:-"));

    // A database error on the last line undoes the whole file and keeps the settings.
    CommonU::WriteIniInt(QStringLiteral("IMPKANJA"), QStringLiteral("CBUPD"), 0);
    failOnName(QStringLiteral("失敗"));
    writeFile(FPath, sjisLines({QStringLiteral("3,,三郎,0,1970/01/01"), QStringLiteral("1,,一郎,1,1970/01/01"),
                                QStringLiteral("4,,失敗,0,1970/01/01")}));
    const QString before = patients();
    boxes.boxes.clear();
    runImport(*f);
    EXPECT_EQ(boxes.texts(), QStringList({QStringLiteral("実行します。よろしいですか？"), QStringLiteral("更新に失敗しました。")}));
    EXPECT_EQ(patients(), before);
    int upd = -1;
    CommonU::ReadIniInt(QStringLiteral("IMPKANJA"), QStringLiteral("CBUPD"), upd);
    EXPECT_EQ(upd, 0);
}

TEST_F(PatientCsvTest, AnImportStoppedHalfWayStoresNothing)
{
    addPatient({.id = 3, .name = QStringLiteral("三郎")});
    writeFile(FPath, sjisLines({QStringLiteral("1,,一郎,0,1970/01/01"), QStringLiteral("2,,二郎,0,1970/01/01"),
                                QStringLiteral("3,,三郎改,0,1970/01/01")}));
    auto f = importForm(false, true);
    const QString before = patients();
    // Another workstation holds patient 3: the import waits there, with 1
    // and 2 written, until 中止.
    conn().beginTrans();
    TQuery hold(&conn());
    hold.setSql(R"(SELECT * FROM "KLOV"."M_KANJA" WHERE "ID" = 3 FOR UPDATE)");
    hold.open();
    whenModal(QStringLiteral("FrmProgress"), [](QWidget* w) { static_cast<TFrmProgress*>(w)->btnCancel->click(); });
    runImport(*f);
    conn().rollbackTrans();
    EXPECT_EQ(boxes.texts(), QStringList({QStringLiteral("実行します。よろしいですか？"), kCancelledImport}));
    EXPECT_EQ(patients(), before);
    EXPECT_FALSE(dm().ADOCPOST.inTransaction());
}

TEST_F(PatientCsvTest, AnImportLongerThanTheServersLockTableStoresEveryPatientUnderFewLocks)
{
    // More patients than a server with the default lock table can hold a
    // lock each for (64 per connection); one has a deleted revision.
    constexpr int kPatients = 15000;
    addPatient({.id = 2, .act = 0, .del = 1, .name = QStringLiteral("削除済")});
    QByteArray bytes;
    for (int i = 1; i <= kPatients; ++i)
        bytes += QByteArray::number(i) + ",,P" + QByteArray::number(i) + ",1,1980/01/02\r\n";
    writeFile(FPath, bytes);
    auto f = importForm(false, false);
    TQuery pid(&dm().ADOCPOST);
    pid.setSql(R"(SELECT pg_backend_pid() AS PID)");
    pid.open();
    const int importer = pid.field("PID").asInteger();
    // The locks the import's session holds, sampled while it runs.
    int most = 0, samples = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        most = std::max(most, scalar(QStringLiteral("SELECT count(*) FROM pg_locks WHERE pid = %1").arg(importer)).toInt());
        ++samples;
    });
    sampler.start(20);
    runImport(*f);
    sampler.stop();
    EXPECT_EQ(boxes.last(), QStringLiteral("取込終了しました。"));
    EXPECT_EQ(scalar(R"(SELECT count(*) || ':' || sum("RNO") FROM "KLOV"."M_KANJA" WHERE "ACTKBN" = 1)"),
              QStringLiteral("%1:%2").arg(kPatients).arg(kPatients + 1));
    EXPECT_GT(samples, 0);
    EXPECT_LT(most, 32);
}

TEST_F(PatientCsvTest, ExportWritesTheSelectedPatientsAsWindows31jLines)
{
    addPatient({.id = 2, .kana = QStringLiteral("ア") + QString(30, QChar(u'イ')), .name = QStringLiteral("\"引用\"太郎"),
                .sex = 1, .birth = QDate(1960, 2, 29), .adr1 = QStringLiteral("大阪府50%_引"),
                .keitai = QStringLiteral("090-2")});
    addPatient({.id = 3, .name = QStringLiteral("三人目"), .adr1 = QStringLiteral("大阪府5000"), .keitai = QStringLiteral("090-3")});
    addPatient({.id = 4, .name = QStringLiteral("東京"), .adr1 = QStringLiteral("東京都")});
    sql(R"(UPDATE "KLOV"."M_KANJA" SET "POSTCD" = '5%0-1' WHERE "ID" = 2;
           UPDATE "KLOV"."M_KANJA" SET "POSTCD" = '590-1' WHERE "ID" = 3)");
    TFrmMntKanja mnt;
    mnt.show();
    TFrmOutKanja* out = nullptr;
    QString savedTo;
    QList<QByteArray> files;
    auto readSaved = [&] {
        QFile f(savedTo);
        files << (f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
    };
    whenModal(QStringLiteral("TFrmOutKanja"), [&](QWidget* w) {
        out = static_cast<TFrmOutKanja*>(w);
        out->FAskSaveFile = [&](QWidget*, const QString& name, const QString& title) {
            EXPECT_EQ(name, QStringLiteral("患者情報CSV.csv"));
            EXPECT_EQ(title, QStringLiteral("患者情報CSV"));
            return savedTo = dataFolder() + name;
        };
        // The address's own % and _ match only themselves; ADR2 is empty.
        out->edtAdr->setText(QStringLiteral("50%_"));
        out->bbtnOutClick();
        readSaved();
        out->edtAdr->clear();
        out->edtPost->setText(QStringLiteral("5%"));
        out->bbtnOutClick();
        readSaved();
        out->edtPost->setText(QStringLiteral("なし"));
        out->bbtnOutClick();
        w->close();
    });
    mnt.bbtnOut->click();
    ASSERT_FALSE(savedTo.isEmpty());
    EXPECT_EQ(boxes.texts(), QStringList({QStringLiteral("正常に出力しました。"), QStringLiteral("正常に出力しました。"),
                                          QStringLiteral("出力対象データがありません。")}));
    // Kana cut to 50 bytes: "ア" and 24 "イ" (a 26th character would split).
    const QByteArray expected =
        QByteArray("\"\x8a\xb3\x8e\xd2ID\",") + sjis::encode(QStringLiteral(
            "\"かな\",\"氏名\",\"生年月日\",\"性別\",\"郵便番号\",\"住所１\",\"住所２\",\"電話番号\",\"携帯番号\",\"FAX\",\"MAIL\",\"備考\"\r\n"
            "2,\"ア")) + sjis::encode(QString(24, QChar(u'イ')))
        + sjis::encode(QStringLiteral("\",\"\"\"引用\"\"太郎\",1960/02/29,\"女性\",\"5%0-1\",\"大阪府50%_引\",\"\",\"\",\"090-2\",\"\",\"\",\"\"\r\n"));
    EXPECT_EQ(files, QList<QByteArray>({expected, expected}));
}
