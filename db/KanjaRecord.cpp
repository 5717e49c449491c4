#include "db/KanjaRecord.h"

#include "db/Numbers.h"
#include "db/Query.h"

#include <optional>

namespace {

// The one statement: every column a list, so that one patient or many are
// written alike, in one statement.
void insertRows(TConnection& conn, const std::vector<std::pair<qint64, const TrecKanja*>>& rows,
                const std::vector<int>& rnos, const QString& userId)
{
    TQuery q(&conn);
    q.setSql(R"(INSERT INTO "KLOV"."M_KANJA" ("ID", "RNO", "ACTKBN", "KNJKANA", "KNJNAME", "SEX", "BIRTH",
                    "POSTCD", "ADR1", "ADR2", "TEL", "KEITAI", "FAX", "MAIL", "BIKO", "DELKBN", "INSUSERID", "INSDTM")
                SELECT R."ID", R."RNO", 1, R."KANA", R."NAME", R."SEX", TO_TIMESTAMP(R."BIRTH",'YYYY-MM-DD'), R."POSTCD",
                    R."ADR1", R."ADR2", R."TEL", R."KEITAI", R."FAX", R."MAIL", R."BIKO", 0, :INSUSERID, NOW()
                FROM UNNEST(CAST(:ID AS bigint[]), CAST(:RNO AS integer[]), CAST(:KANA AS text[]), CAST(:NAME AS text[]),
                    CAST(:SEX AS integer[]), CAST(:BIRTH AS text[]), CAST(:POSTCD AS text[]), CAST(:ADR1 AS text[]),
                    CAST(:ADR2 AS text[]), CAST(:TEL AS text[]), CAST(:KEITAI AS text[]), CAST(:FAX AS text[]),
                    CAST(:MAIL AS text[]), CAST(:BIKO AS text[]))
                    AS R("ID", "RNO", "KANA", "NAME", "SEX", "BIRTH", "POSTCD", "ADR1", "ADR2", "TEL", "KEITAI", "FAX",
                         "MAIL", "BIKO"))");
    using TList = std::vector<std::optional<QString>>;
    // Empty texts are stored as null.
    struct TColumn {
        const char* param;
        QString TrecKanja::* member;
        int size;
        TList values;
    };
    TColumn columns[] = {
        {"KANA", &TrecKanja::kana, 50, {}}, {"POSTCD", &TrecKanja::post, 10, {}}, {"ADR1", &TrecKanja::adr1, 100, {}},
        {"ADR2", &TrecKanja::adr2, 100, {}}, {"TEL", &TrecKanja::tel, 20, {}},    {"KEITAI", &TrecKanja::keitai, 20, {}},
        {"FAX", &TrecKanja::fax, 20, {}},    {"MAIL", &TrecKanja::mail, 50, {}},  {"BIKO", &TrecKanja::biko, 128, {}},
    };
    std::vector<qint64> ids, numbers;
    TList names, sexes, births;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TrecKanja& row = *rows[i].second;
        ids.push_back(rows[i].first);
        numbers.push_back(rnos[i]);
        names.emplace_back(row.name);   // always as text
        sexes.push_back(row.sex >= 0 ? std::optional<QString>(QString::number(row.sex)) : std::nullopt);
        births.push_back(row.birth.isValid() ? std::optional<QString>(row.birth.toString(QStringLiteral("yyyy-MM-dd")))
                                             : std::nullopt);
        for (TColumn& c : columns) {
            const QString& v = row.*c.member;
            c.values.push_back(v.isEmpty() ? std::nullopt : std::optional<QString>(v));
        }
    }
    q.setInt64List(QStringLiteral("ID"), ids);
    q.setInt64List(QStringLiteral("RNO"), numbers);
    q.setTextList(QStringLiteral("NAME"), names, 50);
    q.setTextList(QStringLiteral("SEX"), sexes, 0);
    q.setTextList(QStringLiteral("BIRTH"), births, 10);
    for (const TColumn& c : columns)
        q.setTextList(QString::fromLatin1(c.param), c.values, c.size);
    q.setText(QStringLiteral("INSUSERID"), userId, 24);
    q.execSqlExpect(int(rows.size()));
}

} // namespace

void insertKanjaRevision(TConnection& conn, qint64 id, const TrecKanja& row, const QString& userId)
{
    insertRows(conn, {{id, &row}}, {numbers::nextKanjaRno(conn, id)}, userId);
}

void insertKanjaRevisions(const numbers::TKanjaRnoLock& rnos, TConnection& conn,
                          const std::vector<std::pair<qint64, const TrecKanja*>>& rows, const QString& userId)
{
    if (rows.empty())
        return;
    std::vector<qint64> ids;
    ids.reserve(rows.size());
    for (const auto& r : rows)
        ids.push_back(r.first);
    insertRows(conn, rows, rnos.next(ids), userId);
}
