// The patient CSV import on mutated files: the line split against the CSV
// quoting, the decoding of the file's lines, the check of every line, and
// what the check lets through against what the database stores.

#include "fuzz/Fuzz.h"

#include "app/CsvFile.h"
#include "app/SjisText.h"
#include "app/TextUtil.h"
#include "common/TestDb.h"
#include "db/Errors.h"
#include "db/Transaction.h"
#include "patient/KanjaCsv.h"

#include <map>
#include <set>

namespace {

const QStringList& csvLines()
{
    static const QStringList lines{
        QStringLiteral("番号,かな,氏名,性別,生年月日,郵便,住所1,住所2,TEL,携帯,FAX,MAIL,備考"),
        QStringLiteral("1,ヤマダ タロウ,山田　太郎,0,1975/04/01,100-0001,東京都千代田区１－１,,03-1234-5678,"
                       "090-1234-5678,,taro@example.jp,備考"),
        QStringLiteral("\"2\",\"ｽｽﾞｷ\",\"鈴木,\"\"花子\"\"\",1,1980/1/2,,,,,,,,"),
        QStringLiteral(" 3 ,\t\"かな\"\t, 髙橋 𠮷子 ,1,2000/2/29,,\"大阪府\r\n北区\",,,,,,①～"),
        QStringLiteral("9999999999,,最大番号,0,1868/10/23,,,,,,,,"),
        QStringLiteral("+4,,符号,1,2019/05/01"),
        QStringLiteral("\"unclosed,5,,名,0,1970/1/1"),
        QStringLiteral("\"6\",,\"山") + QChar(0) + QStringLiteral("田\",0,1970/1/1"),   // a NUL in a quoted name
        QString(),
        QStringLiteral(",,,"),
    };
    return lines;
}

QList<QByteArray> csvFiles()
{
    QList<QByteArray> files;
    QByteArray sjisFile;
    QByteArray utf8File;
    for (const QString& l : csvLines()) {
        files << sjis::encode(l) << l.toUtf8();
        sjisFile += sjis::encode(l) + "\r\n";
        utf8File += l.toUtf8() + "\n";
    }
    files << sjisFile << utf8File << "\xEF\xBB\xBF" + utf8File << QByteArray("\xEF\xBB\xBF").repeated(3) + utf8File;
    return files;
}

// A file of mutated lines.
QByteArray mutatedFile(fuzz::TMutator& m, const QList<QByteArray>& corpus)
{
    QByteArray file;
    for (int k = m.below(30); k >= 0; --k)
        file += m.bytes(corpus, fuzz::byteTokens()) + (m.chance(4) ? "\n" : "\r\n");
    return file;
}

// What the quoting writes: CR LF as one blank.
QStringList written(QStringList cells)
{
    for (QString& c : cells)
        c.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    return cells;
}

QString quotedLine(const QStringList& cells)
{
    QStringList q;
    for (const QString& c : cells)
        q << csv::quoted(c);
    return csv::line(q);
}

} // namespace

TEST(FuzzKanjaCsv, SplitFieldsQuotedAgainReadBackAndLinesHoldNoBreaks)
{
    fuzz::TMutator m(20240401);
    const QList<QByteArray> files = csvFiles();
    QString line;
    QStringList cells;
    QByteArray bytes;
    const int runs = fuzz::run(
        [&](int) {
            // Any line: its fields, quoted and joined, split into the same fields.
            line = m.text(csvLines(), fuzz::textTokens());
            const QStringList fields = kanjacsv::splitLine(line);
            if (!fields.isEmpty())
                ASSERT_EQ(kanjacsv::splitLine(quotedLine(fields)), written(fields));
            // Any cells the export quotes read back as they were written.
            cells.clear();
            for (int k = m.below(14); k >= 0; --k)
                cells << m.text(csvLines(), fuzz::textTokens());
            ASSERT_EQ(kanjacsv::splitLine(quotedLine(cells)), written(cells));
            // Any bytes: lines without breaks that come back from the same text in UTF-8.
            bytes = m.bytes(files, fuzz::byteTokens()) + mutatedFile(m, files);
            const QStringList lines = kanjacsv::decodeLines(bytes);
            for (const QString& l : lines)
                ASSERT_FALSE(l.contains(QLatin1Char('\r')) || l.contains(QLatin1Char('\n')));
            if (!lines.isEmpty())
                ASSERT_EQ(kanjacsv::decodeLines("\xEF\xBB\xBF" + lines.join(QLatin1Char('\n')).toUtf8() + "\r\n"),
                          lines);
        },
        [&] { return fuzz::show(line) + " / " + fuzz::show(cells) + " / " + fuzz::show(bytes); });
    EXPECT_GT(runs, 0);
}

namespace {

// The field values of a line as the check reads them.
QString mapped(const QStringList& fields, int column)
{
    return column >= 1 && column <= fields.size() ? textutil::trimBoth(fields.at(column - 1)) : QString();
}

kanjacsv::TMapping randomMapping(fuzz::TMutator& m)
{
    kanjacsv::TMapping map{};
    for (int i = 0; i < kanjacsv::kFieldCount; ++i)
        map[i] = m.chance(8) ? m.below(16) : i + 1;
    return map;
}

const QString TrecKanja::* const kTextMembers[] = {&TrecKanja::kana, &TrecKanja::name, nullptr, nullptr,
                                                   &TrecKanja::post, &TrecKanja::adr1, &TrecKanja::adr2,
                                                   &TrecKanja::tel,  &TrecKanja::keitai, &TrecKanja::fax,
                                                   &TrecKanja::mail, &TrecKanja::biko};

} // namespace

TEST(FuzzKanjaCsv, EveryLineIsEitherOneRecordAsReadOrOneLoggedRejection)
{
    fuzz::TMutator m(7);
    const QList<QByteArray> files = csvFiles();
    QByteArray bytes;
    fuzz::run(
        [&](int) {
            bytes = mutatedFile(m, files);
            const QStringList lines = kanjacsv::decodeLines(bytes);
            const kanjacsv::TMapping map = randomMapping(m);
            const bool header = m.chance(2);
            QStringList log;
            const auto records = kanjacsv::validate(lines, map, header, log);
            const int first = header ? 1 : 0;
            const int data = std::max<int>(0, int(lines.size()) - first);
            ASSERT_EQ(int(records.size()) + log.size(), data);
            // The rejected lines, by the number each log text starts with.
            std::set<int> rejected;
            for (const QString& t : log) {
                const int n = t.left(t.indexOf(QStringLiteral("件目の"))).toInt();
                ASSERT_TRUE(n >= 1 && n <= data) << fuzz::show(t);
                ASSERT_TRUE(rejected.insert(n).second) << fuzz::show(t);
            }
            int previous = 0;
            for (const kanjacsv::TImpRecord& r : records) {
                ASSERT_GT(r.line, previous);
                previous = r.line;
                ASSERT_FALSE(rejected.count(r.line)) << r.line;
                const QStringList f = kanjacsv::splitLine(lines.at(r.line - 1 + first));
                ASSERT_EQ(mapped(f, map[0]).toLongLong(), r.id);
                ASSERT_TRUE(r.id >= 1 && r.id <= kanjacsv::kMaxPatientId);
                for (int k = 1; k < kanjacsv::kFieldCount; ++k)
                    if (kTextMembers[k - 1])
                        ASSERT_EQ(r.row.*kTextMembers[k - 1], mapped(f, map[k])) << k;
                ASSERT_FALSE(r.row.name.isEmpty());
                ASSERT_EQ(QString::number(r.row.sex), mapped(f, map[3]));
                ASSERT_TRUE(r.row.birth.isValid());
            }
        },
        [&] { return fuzz::show(bytes); });
}

// Whatever the check lets through is stored as it was read, and a file
// that fails on its last line leaves nothing behind.
class FuzzKanjaStore : public DbTest {};

TEST_F(FuzzKanjaStore, AcceptedLinesAreStoredAsReadAndAFailedImportStoresNothing)
{
    sql(R"(CREATE FUNCTION pg_temp_fail() RETURNS trigger LANGUAGE plpgsql AS $$
             BEGIN IF NEW."KNJNAME" = '拒否' THEN RAISE EXCEPTION 'refused'; END IF; RETURN NEW; END $$;
           CREATE TRIGGER fail BEFORE INSERT ON "KLOV"."M_KANJA" FOR EACH ROW EXECUTE FUNCTION pg_temp_fail();)");
    kanjacsv::TMapping map{};
    for (int i = 0; i < kanjacsv::kFieldCount; ++i)
        map[i] = i + 1;
    fuzz::TMutator m(99);
    const QList<QByteArray> files = csvFiles();
    QByteArray bytes;
    fuzz::run(
        [&](int) {
            sql(R"(DELETE FROM "KLOV"."M_KANJA")");
            bytes = mutatedFile(m, files);
            QStringList log;
            auto records = kanjacsv::validate(kanjacsv::decodeLines(bytes), map, false, log);
            runTransaction(conn(), [&] { kanjacsv::store(conn(), records, true, QStringLiteral("admin")); });
            std::map<qint64, TrecKanja> last;
            for (const auto& r : records)
                last[r.id] = r.row;
            ASSERT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."M_KANJA" WHERE "ACTKBN" = 1)"),
                      QString::number(last.size()));
            TQuery q(&conn());
            q.setSql(R"(SELECT * FROM "KLOV"."M_KANJA" WHERE "ACTKBN" = 1 ORDER BY "ID")");
            q.open();
            for (const auto& [id, row] : last) {
                ASSERT_FALSE(q.eof());
                ASSERT_EQ(q.field("ID").asInt64(), id);
                const char* columns[] = {"KNJKANA", "KNJNAME", nullptr, nullptr, "POSTCD", "ADR1", "ADR2",
                                         "TEL", "KEITAI", "FAX", "MAIL", "BIKO"};
                for (int k = 0; k < 12; ++k)
                    if (columns[k])
                        ASSERT_EQ(q.field(columns[k]).asString(), row.*kTextMembers[k]) << columns[k];
                ASSERT_EQ(q.field("SEX").asInteger(), row.sex);
                ASSERT_EQ(q.field("BIRTH").asDate(), row.birth);
                q.next();
            }
            q.close();
            // The same lines with a refused one at the end: the table stays as it was.
            const QString before = scalar(R"(SELECT COUNT(*) FROM "KLOV"."M_KANJA")");
            records.push_back({9999, 424242, {.name = QStringLiteral("拒否"), .sex = 0, .birth = QDate(1970, 1, 1)}});
            ASSERT_THROW(runTransaction(conn(), [&] { kanjacsv::store(conn(), records, true, QStringLiteral("admin")); }),
                         EDatabaseError);
            ASSERT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."M_KANJA")"), before);
        },
        [&] { return fuzz::show(bytes); }, 3);
}
