// The FHIR discharge-summary document: each file checked against the rules of
// the national document (fixed codes and systems, the required sections once
// each, cardinalities, every reference naming an entry of the same Bundle),
// on summaries with and without diagnoses, allergies, devices and operations,
// and the refusals.

#include "common/TestApp.h"

#include "app/CommonU.h"
#include "export/FhirExport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <map>

namespace {

const QString kSectionSystem = QStringLiteral("http://jpfhir.jp/fhir/eClinicalSummary/CodeSystem/document-section");
const QStringList kRequired{"322", "342", "352", "312", "362", "333", "324", "344", "444", "424"};

// Every {"reference": …} anywhere below `v`.
void collectReferences(const QJsonValue& v, QStringList& out)
{
    if (v.isArray()) {
        for (const QJsonValue& x : v.toArray())
            collectReferences(x, out);
    } else if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
            if (it.key() == QLatin1String("reference"))
                out << it.value().toString();
            else
                collectReferences(it.value(), out);
        }
    }
}

QJsonObject firstCoding(const QJsonObject& cc) { return cc[QStringLiteral("coding")].toArray().at(0).toObject(); }

// A checked document: the entries by fullUrl and the subsections by code.
struct TDoc {
    QJsonObject bundle, composition;
    std::map<QString, QJsonObject> byUrl;
    std::map<QString, QJsonObject> sections;
    QJsonObject resource(const QJsonValue& reference) const
    {
        const auto it = byUrl.find(reference.toObject()[QStringLiteral("reference")].toString());
        return it == byUrl.end() ? QJsonObject() : it->second;
    }
    QList<QJsonObject> entries(const QString& code) const
    {
        QList<QJsonObject> out;
        const auto it = sections.find(code);
        if (it != sections.end())
            for (const QJsonValue& r : it->second[QStringLiteral("entry")].toArray())
                out << resource(r);
        return out;
    }
    QString emptyReason(const QString& code) const
    {
        const auto it = sections.find(code);
        return it == sections.end() ? QStringLiteral("(no section)")
                                    : firstCoding(it->second[QStringLiteral("emptyReason")].toObject())[QStringLiteral("code")].toString();
    }
};

// The rules every document must keep, whatever the summary holds.
TDoc check(const QJsonObject& b)
{
    TDoc d;
    d.bundle = b;
    EXPECT_EQ(b["resourceType"].toString(), "Bundle");
    EXPECT_EQ(b["type"].toString(), "document");
    EXPECT_FALSE(b["timestamp"].toString().isEmpty());
    EXPECT_FALSE(b["identifier"].toObject()["value"].toString().isEmpty());
    const QRegularExpression urn(QStringLiteral("^urn:uuid:[0-9a-f]{8}-[0-9a-f]{4}-5[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$"));
    const QJsonArray entries = b["entry"].toArray();
    for (const QJsonValue& e : entries) {
        const QString url = e["fullUrl"].toString();
        EXPECT_TRUE(urn.match(url).hasMatch()) << url.toStdString();
        EXPECT_TRUE(d.byUrl.emplace(url, e["resource"].toObject()).second) << "fullUrl twice: " << url.toStdString();
        EXPECT_EQ(e["resource"]["id"].toString(), url.mid(9));
    }
    QStringList refs;
    collectReferences(b, refs);
    for (const QString& r : refs)
        EXPECT_TRUE(d.byUrl.count(r)) << "reference without entry: " << r.toStdString();

    const QJsonObject c = entries.at(0)["resource"].toObject();
    d.composition = c;
    EXPECT_EQ(c["resourceType"].toString(), "Composition") << "the Composition comes first";
    EXPECT_EQ(c["status"].toString(), "final");
    EXPECT_EQ(c["title"].toString(), QStringLiteral("退院時サマリー"));
    for (const QJsonObject& cc : {c["type"].toObject(), c["category"].toArray().at(0).toObject()}) {
        EXPECT_EQ(firstCoding(cc)["system"].toString(), "http://jpfhir.jp/fhir/Common/CodeSystem/doc-typecodes");
        EXPECT_EQ(firstCoding(cc)["code"].toString(), "18842-5");
        EXPECT_EQ(firstCoding(cc)["display"].toString(), QStringLiteral("退院時サマリー"));
    }
    EXPECT_EQ(c["extension"][0]["url"].toString(),
              "http://hl7.org/fhir/StructureDefinition/composition-clinicaldocument-versionNumber");
    EXPECT_EQ(c["identifier"]["system"].toString(), "http://jpfhir.jp/fhir/core/IdSystem/resourceInstance-identifier");
    EXPECT_TRUE(QRegularExpression("^\\d{10}-\\d{4}-\\d{8}$").match(c["identifier"]["value"].toString()).hasMatch());
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d(Z|[+-]\\d\\d:\\d\\d)$")
                    .match(c["date"].toString()).hasMatch())
        << c["date"].toString().toStdString();
    EXPECT_EQ(d.resource(c["subject"])["resourceType"].toString(), "Patient");
    EXPECT_EQ(d.resource(c["encounter"])["resourceType"].toString(), "Encounter");
    EXPECT_EQ(d.resource(c["custodian"])["resourceType"].toString(), "Organization");
    QStringList authorTypes;
    for (const QJsonValue& a : c["author"].toArray())
        authorTypes << d.resource(a)["resourceType"].toString();
    EXPECT_EQ(authorTypes.count("Practitioner"), 1);
    EXPECT_GE(authorTypes.count("Organization"), 1);

    const QJsonArray top = c["section"].toArray();
    EXPECT_EQ(top.size(), 1);
    EXPECT_EQ(firstCoding(top.at(0)["code"].toObject())["code"].toString(), "300");
    for (const QJsonValue& s : top.at(0)["section"].toArray()) {
        const QJsonObject o = s.toObject();
        const QJsonObject code = firstCoding(o["code"].toObject());
        EXPECT_EQ(code["system"].toString(), kSectionSystem);
        EXPECT_TRUE(d.sections.emplace(code["code"].toString(), o).second) << "section twice: " << code["code"].toString().toStdString();
        EXPECT_FALSE(o["title"].toString().isEmpty());
        EXPECT_EQ(o["text"]["status"].toString(), "additional");
        const QString div = o["text"]["div"].toString();
        EXPECT_TRUE(div.startsWith("<div xmlns=\"http://www.w3.org/1999/xhtml\">") && div.endsWith("</div>"));
        EXPECT_FALSE(o.contains("entry") && o.contains("emptyReason")) << "entries or an empty reason, not both";
    }
    for (const QString& code : kRequired)
        EXPECT_TRUE(d.sections.count(code)) << "required section missing: " << code.toStdString();
    return d;
}

} // namespace

class FhirExportTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        loginAs(QStringLiteral("dr1"));
        sql(R"(UPDATE "KLOV"."M_USER" SET "USERNM" = '医師　一郎' WHERE "USERID" = 'dr1';
               INSERT INTO "KLOV"."M_HOSP" ("HOSPNO","HOSPNM","HOSPADR","POSTCD","TEL") VALUES
                 (1234567,'さくら台病院','千葉県千葉市緑区１－２','266-0099','043-000-0000');
               INSERT INTO "KLOV"."M_KA" ("KACD","KANM") VALUES (1,'循環器内科');
               INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","DELKBN","KNJNAME","KNJKANA","SEX","BIRTH","ADR1") VALUES
                 (100,1,1,0,'山田　太郎','ヤマダ　タロウ',0,'1950-04-01','千葉市');
               INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ACTKBN","ID","KACD","NDTE","TDTE","WFLG","WDR","NYURIYU",
                                              "NYUBEFKEIKA","NYUKEIKA","TAIYAKU") VALUES
                 (7,2,1,100,1,'2026-11-01','2026-11-20 23:30',1,'dr1','胸痛',E'BNP < 100 & 安定\r\n次の行\u0001',
                  '経過良好','');)");
        FAsk = [this](QWidget*, const QString&) { return dir.path(); };
    }
    void diagnosesOperationsAllergiesDevices()
    {
        sql(R"(INSERT INTO "KLOV"."M_NMAIN" ("BKNO","BYONM","ICD102013") VALUES ('D1','急性心筋梗塞','I21.9');
               INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","BKNO","BYONM","DISTKBN","HJIKI","TENKI","DELKBN") VALUES
                 (100,1,1,'D1','急性心筋梗塞',0,'20261100',1,0), (100,2,1,NULL,'肺炎',1,'00000000',0,0),
                 (100,3,1,NULL,'削除済の病名',0,'',0,1);
               INSERT INTO "KLOV"."D_TAIBYO" ("KNO","VERNO","BNO","SNO","SNO1") VALUES (7,2,1,1,NULL),(7,2,2,2,'a'),(7,2,3,3,NULL);
               INSERT INTO "KLOV"."D_KANOPE" ("ID","ONO","RNO","OPEDTE","OPENM","KCODE","OPEDR1") VALUES
                 (100,1,1,'2026-11-03','経皮的冠動脈形成術','K546','dr1');
               INSERT INTO "KLOV"."D_TAIOPE" ("KNO","VERNO","ONO","RNO") VALUES (7,2,1,1);
               INSERT INTO "KLOV"."M_ALLERGY" ("ID","RNO","HKBN","ADDDTE","ALLEHIN","HANNOU","KAFAMY") VALUES
                 (100,1,1,'2026-01-01','ペニシリン','発疹',1), (100,2,2,'2026-02-01','造影剤',NULL,0);
               INSERT INTO "KLOV"."M_DEVICE" ("ID","RNO","ADDDTE","DEVICE") VALUES (100,1,'2026-11-03','冠動脈ステント');)");
    }
    // Exports (7, 2) and reads the file back; an empty object when none was written.
    QJsonObject exported()
    {
        const QString path = fhir::exportSummary(nullptr, 7, 2, FAsk);
        QFile f(path);
        if (path.isEmpty() || !f.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(f.readAll()).object();
    }
    QTemporaryDir dir;
    fhir::TAskFolder FAsk;
};

TEST_F(FhirExportTest, AFullSummaryBecomesAValidDocument)
{
    diagnosesOperationsAllergiesDevices();
    const QJsonObject b = exported();
    ASSERT_FALSE(b.isEmpty()) << boxes.texts().join('|').toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("100_7_2.json")));
    EXPECT_TRUE(boxes.last().startsWith(QStringLiteral("FHIR形式（退院時サマリー）で出力しました。")));
    QString remembered;
    CommonU::ReadIniStr("FHIR", "OUTPATH", remembered);
    EXPECT_EQ(remembered, dir.path());
    const TDoc d = check(b);

    EXPECT_EQ(d.composition["extension"][0]["valueString"].toString(), "2");
    EXPECT_EQ(d.composition["identifier"]["value"].toString(), "1211234567-2026-00000007")
        << "prefecture 12 (千葉県), medical fee table 1, the code; the discharge year; the summary number";
    EXPECT_EQ(d.composition["event"][0]["period"]["start"].toString(), "2026-11-01");
    EXPECT_EQ(d.composition["event"][0]["period"]["end"].toString(), "2026-11-20") << "a late hour keeps its day";

    const QJsonObject patient = d.resource(d.composition["subject"]);
    EXPECT_EQ(patient["identifier"][0]["system"].toString(), "urn:oid:1.2.392.100495.20.3.51.11211234567");
    EXPECT_EQ(patient["identifier"][0]["value"].toString(), "100");
    EXPECT_EQ(patient["name"][0]["family"].toString(), QStringLiteral("山田"));
    EXPECT_EQ(patient["name"][0]["given"][0].toString(), QStringLiteral("太郎"));
    EXPECT_EQ(patient["name"][1]["extension"][0]["valueCode"].toString(), "SYL");
    EXPECT_EQ(patient["gender"].toString(), "male");
    EXPECT_EQ(patient["birthDate"].toString(), "1950-04-01");
    const QJsonObject enc = d.resource(d.composition["encounter"]);
    EXPECT_EQ(enc["class"]["code"].toString(), "IMP");
    EXPECT_EQ(d.resource(enc["serviceProvider"])["name"].toString(), QStringLiteral("循環器内科"));

    // Diagnoses: the deleted disease is left out; ICD-10 where the master has it.
    const auto conditions = d.entries("344");
    ASSERT_EQ(conditions.size(), 2);
    EXPECT_EQ(firstCoding(conditions[0]["code"].toObject())["system"].toString(), "http://hl7.org/fhir/sid/icd-10");
    EXPECT_EQ(firstCoding(conditions[0]["code"].toObject())["code"].toString(), "I21.9");
    EXPECT_EQ(conditions[0]["onsetDateTime"].toString(), "2026-11");
    EXPECT_EQ(conditions[1]["code"]["text"].toString(), QStringLiteral("肺炎疑い"));
    EXPECT_FALSE(conditions[1]["code"].toObject().contains("coding"));
    EXPECT_EQ(firstCoding(conditions[1]["verificationStatus"].toObject())["code"].toString(), "provisional");
    EXPECT_EQ(conditions[1]["onsetString"].toString(), QStringLiteral("不明"));

    const auto procedures = d.entries("730");
    ASSERT_EQ(procedures.size(), 1);
    EXPECT_EQ(procedures[0]["performedDateTime"].toString(), "2026-11-03");
    EXPECT_EQ(d.entries("333").size(), 1) << "the course refers to the operations too";

    const auto allergies = d.entries("510");
    ASSERT_EQ(allergies.size(), 2);
    EXPECT_EQ(allergies[0]["code"]["text"].toString(), QStringLiteral("ペニシリン"));
    EXPECT_EQ(allergies[0]["reaction"][0]["manifestation"][0]["text"].toString(), QStringLiteral("発疹"));
    EXPECT_EQ(firstCoding(allergies[1]["verificationStatus"].toObject())["code"].toString(), "unconfirmed");

    const auto uses = d.entries("810");
    ASSERT_EQ(uses.size(), 1);
    EXPECT_EQ(d.resource(uses[0]["device"])["deviceName"][0]["name"].toString(), QStringLiteral("冠動脈ステント"));

    // Narratives escaped, line breaks kept, characters XML refuses left out;
    // an empty one says so with its reason.
    EXPECT_EQ(d.sections.at("362")["text"]["div"].toString(),
              QStringLiteral("<div xmlns=\"http://www.w3.org/1999/xhtml\">BNP &lt; 100 &amp; 安定<br/>次の行</div>"));
    EXPECT_EQ(d.emptyReason("444"), "unavailable");
    EXPECT_EQ(d.emptyReason("342"), "unavailable");

    // Asked before a file is replaced; the same version gives the same ids again.
    boxes.answer(QMessageBox::No);
    EXPECT_TRUE(fhir::exportSummary(nullptr, 7, 2, FAsk).isEmpty()) << "an existing file is kept when the answer is no";
    EXPECT_TRUE(boxes.last().startsWith(QStringLiteral("同じ名前のファイルが既に存在します。上書きしますか？")));
    const QJsonObject second = exported();
    EXPECT_EQ(second["entry"][0]["fullUrl"], b["entry"][0]["fullUrl"]);
    EXPECT_EQ(second["entry"].toArray().size(), b["entry"].toArray().size());
}

TEST_F(FhirExportTest, WithoutDiagnosesAllergiesNoneOrUnrecordedAndNoDevices)
{
    // Nothing recorded: no diagnoses, allergies not asked, no device section.
    TDoc d = check(exported());
    EXPECT_EQ(d.emptyReason("344"), "unavailable");
    EXPECT_EQ(d.emptyReason("510"), "notasked");
    EXPECT_FALSE(d.sections.count("810"));
    EXPECT_FALSE(d.sections.count("730"));

    // "なし" as the earliest entry: known to have none, whatever follows.
    sql(R"(INSERT INTO "KLOV"."M_ALLERGY" ("ID","RNO","HKBN","ADDDTE","ALLEHIN") VALUES
             (100,1,0,'2026-01-01',NULL), (100,2,1,'2026-03-01','卵');)");
    d = check(exported());
    EXPECT_EQ(d.emptyReason("510"), "nilknown");
    EXPECT_TRUE(d.entries("510").isEmpty());
    for (const auto& [url, r] : d.byUrl)
        EXPECT_NE(r["resourceType"].toString(), "AllergyIntolerance");
}

TEST_F(FhirExportTest, RefusedWhenTheDocumentCannotBeWhole)
{
    const auto refused = [&](const QString& setup, const QString& message) {
        sql(setup);
        boxes.boxes.clear();
        EXPECT_TRUE(fhir::exportSummary(nullptr, 7, 2, FAsk).isEmpty());
        EXPECT_EQ(boxes.texts(), QStringList{message});
        EXPECT_TRUE(QDir(dir.path()).isEmpty());
    };
    refused(R"(UPDATE "KLOV"."D_TAIYOU" SET "TDTE" = '1899-12-30')",
            QStringLiteral("退院日が入力されていないため、FHIR出力できません。\r\n退院時サマリーには退院日が必要です。"));
    refused(R"(UPDATE "KLOV"."D_TAIYOU" SET "TDTE" = '2026-11-20', "WFLG" = 0)",
            QStringLiteral("記載完了していないサマリはFHIR出力できません。"));
    refused(R"(UPDATE "KLOV"."D_TAIYOU" SET "WFLG" = 1; UPDATE "KLOV"."M_HOSP" SET "HOSPADR" = '緑区')",
            QStringLiteral("施設情報の医療機関コード（または住所の都道府県）が登録されていないため、FHIR出力できません。\r\n"
                           "施設情報メンテで登録してください。"));
    refused(R"(UPDATE "KLOV"."M_HOSP" SET "HOSPADR" = '千葉県'; UPDATE "KLOV"."D_TAIYOU" SET "DELKBN" = 1)",
            QStringLiteral("削除済のサマリはFHIR出力できません。"));
    refused(R"(DELETE FROM "KLOV"."D_TAIYOU")",
            QStringLiteral("このサマリは存在しません。他の端末で削除された可能性があります。"));

    EXPECT_EQ(fhir::institutionNumber(1311234567LL, QString()), "1311234567") << "ten digits as they are";
    EXPECT_EQ(fhir::institutionNumber(12345678, QStringLiteral("東京都")), "") << "eight digits are neither";
    EXPECT_EQ(fhir::institutionNumber(5, QStringLiteral("北海道札幌市")), "0110000005");
}

TEST_F(FhirExportTest, StampedWithTheServersInstantAndTheWorkstationsOffset)
{
    // The server's session shows its clock 14 hours ahead of UTC, far from
    // either zone the workstation may be in.
    dm().ADOCPOST.execDirect(QStringLiteral("SET TimeZone = 'Etc/GMT-14'"));
    const QJsonObject b = exported();
    ASSERT_FALSE(b.isEmpty()) << boxes.texts().join('|').toStdString();
    const QDateTime now = QDateTime::currentDateTime();
    for (const QString& t : {b["timestamp"].toString(), b["meta"]["lastUpdated"].toString(),
                             b["entry"][0]["resource"]["date"].toString()}) {
        const QDateTime at = QDateTime::fromString(t, Qt::ISODate);
        EXPECT_LT(std::abs(at.secsTo(now)), 60) << t.toStdString();
        EXPECT_EQ(at.offsetFromUtc(), now.offsetFromUtc()) << t.toStdString();
    }
}

TEST_F(FhirExportTest, NoStringHoldsAControlCharacterOtherThanTabCrLf)
{
    // A remark with a vertical tab and an escape pasted in; a device comment
    // of control characters only.
    diagnosesOperationsAllergiesDevices();
    sql(R"(UPDATE "KLOV"."D_KANBYO" SET "BIKO" = E'前回\u000B再発\u001B（\t注意）\r\n以上' WHERE "BNO" = 1;
           UPDATE "KLOV"."M_DEVICE" SET "COMM" = E'\u0007\u0002';)");
    const QJsonObject b = exported();
    ASSERT_FALSE(b.isEmpty()) << boxes.texts().join('|').toStdString();
    std::function<void(const QJsonValue&)> walk = [&](const QJsonValue& v) {
        if (v.isArray()) {
            for (const QJsonValue& x : v.toArray())
                walk(x);
        } else if (v.isObject()) {
            for (const QJsonValue& x : v.toObject())
                walk(x);
        } else if (v.isString()) {
            const QString s = v.toString();
            EXPECT_FALSE(s.isEmpty());
            for (const QChar c : s)
                EXPECT_TRUE(c.unicode() >= 0x20 || c == u'\t' || c == u'\r' || c == u'\n')
                    << "U+" << QString::number(c.unicode(), 16).toStdString() << " in " << s.toStdString();
        }
    };
    walk(b);
    const TDoc d = check(b);
    const QJsonArray notes = d.entries("344")[0]["note"].toArray();
    ASSERT_EQ(notes.size(), 3);
    EXPECT_EQ(notes[2]["text"].toString(), QStringLiteral("前回再発（\t注意）\r\n以上"));
    EXPECT_FALSE(d.entries("810")[0].contains("note")) << "nothing left to note";
}
