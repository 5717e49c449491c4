#include "patient/KanjaCsv.h"

#include "app/SjisText.h"
#include "app/TextUtil.h"
#include "db/Errors.h"
#include "db/Numbers.h"
#include "db/Query.h"
#include "db/Records.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QRegularExpression>
#include <QStringDecoder>

namespace kanjacsv {

namespace {

bool isControl(QChar c) { return c.unicode() < 0x20; }

// Characters as a person counts them: a surrogate pair is one.
qsizetype charCount(const QString& s)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < s.size(); ++i)
        if (!s.at(i).isLowSurrogate() || i == 0 || !s.at(i - 1).isHighSurrogate())
            ++n;
    return n;
}

// "1975/4/1" or "1975/04/01"; an invalid date for anything else, and for a
// day the master would read back as no date.
QDate parseBirth(const QString& v)
{
    static const QRegularExpression form(QStringLiteral(R"(^(\d{4})/(\d{1,2})/(\d{1,2})$)"));
    const QRegularExpressionMatch m = form.match(v);
    if (!m.hasMatch())
        return {};
    const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    return d.isValid() && !rec::isAbsentDate(d) ? d : QDate();
}

// A patient number as the master holds it: 1 to 9999999999.
bool parseId(const QString& v, qint64* id)
{
    if (v.isEmpty() || v.size() > 11)
        return false;
    for (qsizetype i = 0; i < v.size(); ++i) {
        const QChar c = v.at(i);
        if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && !(i == 0 && c == QLatin1Char('+')))
            return false;
    }
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (!ok || n < 1 || n > kMaxPatientId)
        return false;
    *id = n;
    return true;
}

} // namespace

QStringList decodeLines(const QByteArray& bytes)
{
    QString text;
    bool sjisOk = false;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        // The decoder drops the byte-order mark, that one only.
        text = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless).decode(bytes);
    } else {
        text = sjis::decode(bytes, &sjisOk);
        if (!sjisOk) {
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString asUtf8 = utf8.decode(bytes);
            if (!utf8.hasError())
                text = asUtf8;
        }
    }
    // A NUL is no character of a text file, and the database could not hold
    // it: it is left out.
    text.remove(QChar(0));
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

QStringList readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EKlovError(path + QStringLiteral("\r\n") + file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EKlovError(path + QStringLiteral("\r\n") + file.errorString());
    return decodeLines(bytes);
}

QStringList splitLine(const QString& line)
{
    const QString s = line + QStringLiteral(",999");
    const qsizetype n = s.size();
    QStringList fields;
    qsizetype i = 0;
    while (i < n) {
        while (i < n && isControl(s.at(i)))
            ++i;
        if (i >= n)
            break;
        QString field;
        if (s.at(i) == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (s.at(i) == QLatin1Char('"')) {
                    if (i + 1 < n && s.at(i + 1) == QLatin1Char('"')) {
                        field += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += s.at(i++);
            }
        } else {
            const qsizetype start = i;
            while (i < n && s.at(i) != QLatin1Char(',') && !isControl(s.at(i)))
                ++i;
            field = s.mid(start, i - start);
        }
        fields << field;
        while (i < n && isControl(s.at(i)))
            ++i;
        if (i < n && s.at(i) == QLatin1Char(',')) {
            ++i;
            while (i < n && isControl(s.at(i)))
                ++i;
        }
    }
    // The field ",999" added; an unclosed quote may have swallowed it.
    if (!fields.isEmpty())
        fields.removeLast();
    return fields;
}

std::vector<TImpRecord> validate(const QStringList& lines, const TMapping& map, bool header, QStringList& log,
                                 const std::function<void(int)>& progress)
{
    std::vector<TImpRecord> out;
    const qsizetype first = header ? 1 : 0;
    for (qsizetype li = first; li < lines.size(); ++li) {
        if (progress)
            progress(int(li));
        const QStringList f = splitLine(lines.at(li));
        auto value = [&](int field) {
            const int col = map[field];
            return col >= 1 && col <= f.size() ? textutil::trimBoth(f.at(col - 1)) : QString();
        };
        const QString n = QString::number(li - first + 1);
        auto reject = [&](const QString& what, const QString& v) {
            log << n + QStringLiteral("件目の") + what + QStringLiteral("（") + v + QStringLiteral("）");
        };
        TImpRecord r;
        r.line = int(li - first + 1);
        const QString id = value(0);
        if (!parseId(id, &r.id)) {
            reject(QStringLiteral("患者番号が数値ではありません。"), id);
            continue;
        }
        r.row.kana = value(1);
        if (charCount(r.row.kana) > 50) {
            reject(QStringLiteral("かなが長すぎます。"), r.row.kana);
            continue;
        }
        r.row.name = value(2);
        if (r.row.name.isEmpty()) {
            log << n + QStringLiteral("件目の氏名が未入力です。");
            continue;
        }
        if (charCount(r.row.name) > 50) {
            reject(QStringLiteral("氏名名が長すぎます。"), r.row.name);
            continue;
        }
        const QString sex = value(3);
        if (sex != QLatin1String("0") && sex != QLatin1String("1")) {
            reject(QStringLiteral("性別が0又は1ではありません。"), sex);
            continue;
        }
        r.row.sex = sex.toInt();
        const QString birth = value(4);
        if (birth.isEmpty()) {
            log << n + QStringLiteral("件目の生年月日が未入力です。");
            continue;
        }
        r.row.birth = parseBirth(birth);
        if (!r.row.birth.isValid()) {
            reject(QStringLiteral("生年月日が不正です。"), birth);
            continue;
        }
        struct TLimit {
            QString TrecKanja::* member;
            int limit;
            const char16_t* what;
        };
        static const TLimit limits[] = {
            {&TrecKanja::post, 10, u"郵便番号が長すぎます。"}, {&TrecKanja::adr1, 60, u"住所１が長すぎます。"},
            {&TrecKanja::adr2, 60, u"住所２が長すぎます。"},   {&TrecKanja::tel, 20, u"TELが長すぎます。"},
            {&TrecKanja::keitai, 20, u"携帯番号が長すぎます。"}, {&TrecKanja::fax, 20, u"FAXが長すぎます。"},
            {&TrecKanja::mail, 50, u"MAILが長すぎます。"},     {&TrecKanja::biko, 128, u"備考が長すぎます。"},
        };
        bool ok = true;
        for (int k = 0; k < 8 && ok; ++k) {
            QString& v = r.row.*limits[k].member;
            v = value(5 + k);
            if (charCount(v) > limits[k].limit) {
                reject(QString::fromUtf16(limits[k].what), v);
                ok = false;
            }
        }
        if (ok)
            out.push_back(std::move(r));
    }
    return out;
}

TStoreCount store(TConnection& conn, const std::vector<TImpRecord>& records, bool update, const QString& userId,
                  const std::function<void(int)>& progress)
{
    // Records are written in chunks of distinct patients, a few statements
    // each; a patient repeated in the file starts a new chunk, so that it is
    // compared with what its earlier line stored.
    constexpr std::size_t kChunk = 500;
    TStoreCount count;
    // One lock for the whole file, taken before the first patient is read.
    const numbers::TKanjaRnoLock rnos(conn);
    TQuery q(&conn);
    TQuery retire(&conn);
    retire.setSql(R"(UPDATE "KLOV"."M_KANJA" SET "ACTKBN" = 0, "UPDDTM" = NOW(), "UPDUSERID" = :UPDUSERID
                     WHERE "ID" = :ID AND "RNO" = :RNO AND "ACTKBN" = 1 AND "DELKBN" = 0)");
    retire.setText("UPDUSERID", userId, 24);
    int done = 0;
    std::size_t next = 0;
    while (next < records.size()) {
        std::vector<qint64> ids;
        QSet<qint64> seen;
        const std::size_t first = next;
        while (next < records.size() && ids.size() < kChunk && !seen.contains(records[next].id)) {
            seen.insert(records[next].id);
            ids.push_back(records[next++].id);
        }
        // The current revision of each, looked up through its index (OFFSET 0
        // keeps the lookup per patient whatever the planner guesses of a table
        // filling up in this very transaction).
        q.setSql(R"(SELECT K.* FROM UNNEST(CAST(:IDS AS bigint[])) AS L("ID")
                    CROSS JOIN LATERAL (SELECT * FROM "KLOV"."M_KANJA"
                        WHERE "ID" = L."ID" AND "ACTKBN" = 1 AND "DELKBN" = 0 OFFSET 0) K)");
        q.setInt64List("IDS", ids);
        q.open();
        QHash<qint64, int> current;
        current.reserve(q.recordCount());
        for (int i = 0; i < q.recordCount(); ++i)
            current.insert(q.fieldAt(i, "ID").asInt64(), i);
        std::vector<std::pair<qint64, const TrecKanja*>> inserts;
        for (std::size_t k = first; k < next; ++k) {
            const TImpRecord& r = records[k];
            if (progress)
                progress(done++);
            const auto found = current.constFind(r.id);
            if (found != current.constEnd()) {
                if (!update) {
                    ++count.skipped;
                    continue;
                }
                const int row = *found;
                auto same = [&q, row](const char* field, const QString& v) {
                    return q.fieldAt(row, QString::fromLatin1(field)).asString() == v;
                };
                const TField birth = q.fieldAt(row, "BIRTH");
                const QDate stored = birth.isNull() || rec::isAbsentDate(birth.asDate()) ? QDate() : birth.asDate();
                const int sex = q.fieldAt(row, "SEX").isNull() ? -1 : q.fieldAt(row, "SEX").asInteger();
                const TrecKanja& v = r.row;
                if (same("KNJKANA", v.kana) && same("KNJNAME", v.name) && sex == v.sex && stored == v.birth
                    && same("POSTCD", v.post) && same("ADR1", v.adr1) && same("ADR2", v.adr2) && same("TEL", v.tel)
                    && same("KEITAI", v.keitai) && same("FAX", v.fax) && same("MAIL", v.mail) && same("BIKO", v.biko)) {
                    ++count.skipped;
                    continue;
                }
                // The changed patient's current revision is retired by its key.
                retire.setInt64("ID", r.id);
                retire.setInt("RNO", q.fieldAt(row, "RNO").asInteger());
                retire.execSqlExpect(1);
            }
            inserts.emplace_back(r.id, &r.row);
        }
        q.close();
        insertKanjaRevisions(rnos, conn, inserts, userId);
        count.inserted += int(inserts.size());
    }
    return count;
}

} // namespace kanjacsv
