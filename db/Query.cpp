#include "db/Query.h"

#include "db/Errors.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <numeric>
#include <string_view>
#include <unordered_map>

// ---------------------------------------------------------------- parameters

namespace {
bool isIdentStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool isIdentChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }
} // namespace

TParsedSql parseNamedParams(const QString& sql)
{
    TParsedSql out;
    QString text;
    text.reserve(sql.size() + 8);
    const int n = sql.size();
    int i = 0;
    auto copyUntil = [&](int end) {
        text += sql.mid(i, end - i);
        i = end;
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'')) {
            // '…' with '' inside; E'…' also honours backslash escapes
            const bool escapes = i > 0 && (sql[i - 1] == QLatin1Char('E') || sql[i - 1] == QLatin1Char('e'))
                                 && (i < 2 || !isIdentChar(sql[i - 2]));
            int j = i + 1;
            while (j < n) {
                if (escapes && sql[j] == QLatin1Char('\\')) { j += 2; continue; }
                if (sql[j] == QLatin1Char('\'')) {
                    if (j + 1 < n && sql[j + 1] == QLatin1Char('\'')) { j += 2; continue; }
                    break;
                }
                ++j;
            }
            copyUntil(std::min(j + 1, n));
        } else if (c == QLatin1Char('"')) {
            int j = i + 1;
            while (j < n) {
                if (sql[j] == QLatin1Char('"')) {
                    if (j + 1 < n && sql[j + 1] == QLatin1Char('"')) { j += 2; continue; }
                    break;
                }
                ++j;
            }
            copyUntil(std::min(j + 1, n));
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            int j = sql.indexOf(QLatin1Char('\n'), i);
            copyUntil(j < 0 ? n : j);
        } else if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            int depth = 0, j = i;
            while (j < n) {
                if (sql[j] == QLatin1Char('/') && j + 1 < n && sql[j + 1] == QLatin1Char('*')) { ++depth; j += 2; continue; }
                if (sql[j] == QLatin1Char('*') && j + 1 < n && sql[j + 1] == QLatin1Char('/')) {
                    j += 2;
                    if (--depth == 0) break;
                    continue;
                }
                ++j;
            }
            copyUntil(std::min(j, n));
        } else if (c == QLatin1Char('$') && (i == 0 || !isIdentChar(sql[i - 1]))) {
            // dollar quoting: $tag$ … $tag$
            int j = i + 1;
            while (j < n && isIdentChar(sql[j]) && !sql[j].isDigit()) ++j;
            if (j < n && sql[j] == QLatin1Char('$')) {
                const QString tag = sql.mid(i, j - i + 1);
                int end = sql.indexOf(tag, j + 1);
                copyUntil(end < 0 ? n : end + tag.size());
            } else {
                copyUntil(i + 1);
            }
        } else if (c == QLatin1Char(':') && i + 1 < n && sql[i + 1] == QLatin1Char(':')) {
            copyUntil(i + 2);
        } else if (c == QLatin1Char(':') && i + 1 < n && isIdentStart(sql[i + 1])) {
            int j = i + 1;
            while (j < n && isIdentChar(sql[j])) ++j;
            const QString name = sql.mid(i + 1, j - i - 1).toUpper();
            int idx = out.names.indexOf(name);
            if (idx < 0) {
                out.names.append(name);
                idx = out.names.size() - 1;
            }
            text += QLatin1Char('$') + QString::number(idx + 1);
            i = j;
        } else {
            copyUntil(i + 1);
        }
    }
    out.sql = text.toUtf8();
    return out;
}

// ---------------------------------------------------------------- result set

namespace {
TFieldKind kindOf(Oid oid)
{
    switch (oid) {
    case 20: case 21: case 23: case 26: return TFieldKind::Integer;
    case 700: case 701: case 1700: return TFieldKind::Float;
    case 16: return TFieldKind::Boolean;
    case 1082: case 1114: case 1184: return TFieldKind::DateTime;
    default: return TFieldKind::Text;
    }
}

int digits(const char*& p, int count)
{
    int v = 0;
    for (int k = 0; k < count && *p >= '0' && *p <= '9'; ++k, ++p)
        v = v * 10 + (*p - '0');
    return v;
}

// "YYYY-MM-DD[ HH:MM:SS[.ffffff]][±HH[:MM[:SS]]]" as the server sends it
// (DateStyle ISO). A date or a timestamp without zone is a wall-clock
// reading: kept as it reads, in UTC, so that no clock change of the local
// zone can make it invalid or move it. A timestamp with zone (NOW()) is an
// instant: read with its offset and given in the workstation's local time.
QDateTime parseTimestamp(const char* p, bool withZone)
{
    if (!p || !*p || !std::isdigit(static_cast<unsigned char>(*p)))
        return {};
    const int y = digits(p, 4);
    if (*p++ != '-') return {};
    const int mo = digits(p, 2);
    if (*p++ != '-') return {};
    const int d = digits(p, 2);
    int h = 0, mi = 0, s = 0, ms = 0;
    if (*p == ' ' || *p == 'T') {
        ++p;
        h = digits(p, 2);
        if (*p == ':') { ++p; mi = digits(p, 2); }
        if (*p == ':') { ++p; s = digits(p, 2); }
        if (*p == '.') {
            ++p;
            const char* start = p;
            int frac = digits(p, 3);
            for (int k = int(p - start); k < 3; ++k) frac *= 10;
            ms = frac;
            while (std::isdigit(static_cast<unsigned char>(*p)))
                ++p;
        }
    }
    const QDateTime wallClock(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
    if (!withZone)
        return wallClock;
    int offset = 0;
    if (*p == '+' || *p == '-') {
        const int sign = *p++ == '-' ? -1 : 1;
        offset = digits(p, 2) * 3600;
        if (*p == ':') { ++p; offset += digits(p, 2) * 60; }
        if (*p == ':') { ++p; offset += digits(p, 2); }
        offset *= sign;
    }
    return wallClock.addSecs(-offset).toLocalTime();
}

QString formatDateTime(const QDateTime& dt)
{
    if (!dt.isValid())
        return {};
    if (dt.time() == QTime(0, 0))
        return dt.toString(QStringLiteral("yyyy/MM/dd"));
    return dt.toString(QStringLiteral("yyyy/MM/dd H:mm:ss"));
}
} // namespace

TResultSet::TResultSet(PgResultPtr res) : FRes(std::move(res))
{
    FRows = PQntuples(FRes.get());
    const int cols = PQnfields(FRes.get());
    FNames.reserve(cols);
    FKinds.reserve(cols);
    FZoned.reserve(cols);
    for (int c = 0; c < cols; ++c) {
        FNames.push_back(QString::fromUtf8(PQfname(FRes.get(), c)));
        FKinds.push_back(kindOf(PQftype(FRes.get(), c)));
        FZoned.push_back(PQftype(FRes.get(), c) == 1184);
        const QString key = FNames.back().toUpper();
        if (!FIndex.contains(key))
            FIndex.insert(key, c);
    }
}

int TResultSet::columnIndex(const QString& name) const
{
    return FIndex.value(name.toUpper(), -1);
}

bool TResultSet::isNull(int row, int col) const { return PQgetisnull(FRes.get(), row, col); }

const char* TResultSet::raw(int row, int col) const { return PQgetvalue(FRes.get(), row, col); }

QString TResultSet::text(int row, int col) const
{
    if (isNull(row, col))
        return {};
    switch (FKinds[col]) {
    case TFieldKind::DateTime: return formatDateTime(dateTime(row, col));
    case TFieldKind::Boolean: return raw(row, col)[0] == 't' ? QStringLiteral("True") : QStringLiteral("False");
    default: return QString::fromUtf8(raw(row, col));
    }
}

QVariant TResultSet::value(int row, int col) const
{
    if (isNull(row, col))
        return {};
    switch (FKinds[col]) {
    case TFieldKind::Integer: return integer(row, col);
    case TFieldKind::Float: return number(row, col);
    case TFieldKind::Boolean: return raw(row, col)[0] == 't';
    case TFieldKind::DateTime: return dateTime(row, col);
    case TFieldKind::Text: return QString::fromUtf8(raw(row, col));
    }
    return {};
}

qint64 TResultSet::integer(int row, int col) const
{
    if (isNull(row, col))
        return 0;
    const char* p = raw(row, col);
    switch (FKinds[col]) {
    case TFieldKind::Boolean: return p[0] == 't' ? 1 : 0;
    case TFieldKind::Float: return qint64(std::strtod(p, nullptr));
    default: return std::strtoll(p, nullptr, 10);
    }
}

double TResultSet::number(int row, int col) const
{
    return isNull(row, col) ? 0.0 : std::strtod(raw(row, col), nullptr);
}

QDateTime TResultSet::dateTime(int row, int col) const
{
    return isNull(row, col) ? QDateTime() : parseTimestamp(raw(row, col), FZoned[col]);
}

TField TRecord::field(const QString& name) const
{
    const int col = FRs->columnIndex(name);
    if (col < 0)
        throw EFieldError(QStringLiteral("フィールド '%1' が見つかりません。").arg(name));
    return TField(FRs, FRow, col);
}

// ---------------------------------------------------------------- query

TQuery::TQuery(TConnection* conn, QObject* parent) : QObject(parent), FConn(conn) {}
TQuery::~TQuery() = default;

void TQuery::setSql(const QString& sql)
{
    close();
    FSql = sql;
    FSort.clear();
    FFilter = {};
    FParsed = parseNamedParams(sql);
    FParams.clear();
    for (const auto& name : FParsed.names)
        FParams[name] = TParam{};
}

TQuery::TParam& TQuery::param(const QString& name)
{
    const auto it = FParams.find(name.toUpper());
    if (it == FParams.end())
        throw EParameterError(QStringLiteral("パラメータ '%1' は文にありません。").arg(name));
    return it->second;
}

namespace {
// Cuts a text to at most `size` characters without splitting a surrogate pair.
QString cutToWidth(const QString& value, int size)
{
    if (size <= 0 || value.size() <= size)
        return value;
    int units = 0, chars = 0;
    while (units < value.size() && chars < size) {
        units += (value[units].isHighSurrogate() && units + 1 < value.size()) ? 2 : 1;
        ++chars;
    }
    return value.left(units);
}
} // namespace

TQuery& TQuery::setText(const QString& name, const QString& value, int size)
{
    TParam& p = param(name);
    p = TParam{TParamType::Text, size, true, cutToWidth(value, size).toUtf8()};
    return *this;
}

TQuery& TQuery::setInt(const QString& name, int value)
{
    param(name) = TParam{TParamType::Int32, 0, true, QByteArray::number(value)};
    return *this;
}

TQuery& TQuery::setInt64(const QString& name, qint64 value)
{
    param(name) = TParam{TParamType::Int64, 0, true, QByteArray::number(value)};
    return *this;
}

TQuery& TQuery::setDateTime(const QString& name, const QDateTime& value)
{
    TParam& p = param(name);
    p = TParam{TParamType::DateTime, 0, true, std::nullopt};
    if (value.isValid())
        p.text = value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
    return *this;
}

TQuery& TQuery::setFloat(const QString& name, double value)
{
    param(name) = TParam{TParamType::Float, 0, true, QByteArray::number(value, 'g', 17)};
    return *this;
}

TQuery& TQuery::setNull(const QString& name, TParamType type, int size)
{
    param(name) = TParam{type, size, true, std::nullopt};
    return *this;
}

TQuery& TQuery::setInt64List(const QString& name, const std::vector<qint64>& values)
{
    QByteArray text("{");
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            text += ',';
        text += QByteArray::number(values[i]);
    }
    text += '}';
    param(name) = TParam{TParamType::Text, 0, true, text};
    return *this;
}

TQuery& TQuery::setTextList(const QString& name, const std::vector<std::optional<QString>>& values, int size)
{
    // Elements in double quotes, a quote or backslash inside escaped by a
    // backslash; NULL unquoted.
    QByteArray text("{");
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            text += ',';
        if (!values[i]) {
            text += "NULL";
            continue;
        }
        text += '"';
        for (const char c : cutToWidth(*values[i], size).toUtf8()) {
            if (c == '"' || c == '\\')
                text += '\\';
            text += c;
        }
        text += '"';
    }
    text += '}';
    param(name) = TParam{TParamType::Text, 0, true, text};
    return *this;
}

std::vector<TBoundValue> TQuery::boundValues() const
{
    std::vector<TBoundValue> values;
    values.reserve(FParsed.names.size());
    for (const auto& name : FParsed.names) {
        const TParam& p = FParams.at(name);
        if (!p.assigned)
            throw EParameterError(QStringLiteral("パラメータ '%1' の値が設定されていません。").arg(name));
        values.push_back(TBoundValue{p.type, p.text});
    }
    return values;
}

void TQuery::requireConnection() const
{
    if (!FConn)
        throw EConnectionError(QStringLiteral("クエリに接続が設定されていません。"));
}

void TQuery::open()
{
    requireConnection();
    close();
    auto res = FConn->exec(FParsed.sql, boundValues(), TStatementKind::Read);
    FRs = std::make_unique<TResultSet>(std::move(res));
    rebuildOrder();
    rebuildView(-1);
    Q_EMIT dataReset();
    Q_EMIT recordChanged();
}

int TQuery::execSql()
{
    requireConnection();
    close();
    auto res = FConn->exec(FParsed.sql, boundValues());
    const char* n = PQcmdTuples(res.get());
    return n && *n ? std::atoi(n) : 0;
}

int TQuery::execSqlExpect(int atLeast)
{
    const int n = execSql();
    if (n < atLeast)
        throw EConflictError(QStringLiteral("%1 row(s) affected, %2 expected: %3")
                                 .arg(n)
                                 .arg(atLeast)
                                 .arg(FSql.simplified().left(120)));
    return n;
}

void TQuery::close()
{
    if (!FRs)
        return;
    FRs.reset();
    FOrder.clear();
    FView.clear();
    FCur = -1;
    FBof = FEof = true;
    Q_EMIT dataReset();
}

// Sort and filter are members, so a new open applies them again.
void TQuery::requery() { open(); }

bool TQuery::eof() const { return FEof || FView.empty(); }

void TQuery::setRecNo(int recNo)
{
    if (FView.empty())
        return;
    recNo = std::clamp(recNo, 0, int(FView.size()) - 1);
    const bool moved = recNo != FCur;
    FCur = recNo;
    FBof = FEof = false;
    if (moved)
        Q_EMIT recordChanged();
}

void TQuery::first()
{
    setRecNo(0);
    FBof = true;
    FEof = FView.empty();
}

void TQuery::last()
{
    setRecNo(int(FView.size()) - 1);
    FEof = true;
    FBof = FView.empty();
}

void TQuery::next()
{
    if (FView.empty() || FCur >= int(FView.size()) - 1) {
        FEof = true;
        return;
    }
    setRecNo(FCur + 1);
}

void TQuery::prior()
{
    if (FView.empty() || FCur <= 0) {
        FBof = true;
        return;
    }
    setRecNo(FCur - 1);
}

int TQuery::columnOrThrow(const QString& name) const
{
    if (!FRs)
        throw EFieldError(QStringLiteral("クエリが開かれていません。"));
    const int col = FRs->columnIndex(name);
    if (col < 0)
        throw EFieldError(QStringLiteral("フィールド '%1' が見つかりません。").arg(name));
    return col;
}

bool TQuery::hasField(const QString& name) const { return FRs && FRs->columnIndex(name) >= 0; }

TField TQuery::field(const QString& name) const
{
    const int col = columnOrThrow(name);
    if (FCur < 0)
        throw EFieldError(QStringLiteral("現在のレコードがありません。"));
    return TField(FRs.get(), FView[FCur], col);
}

TField TQuery::fieldAt(int recNo, const QString& name) const
{
    const int col = columnOrThrow(name);
    if (recNo < 0 || recNo >= int(FView.size()))
        throw EFieldError(QStringLiteral("レコード %1 はありません。").arg(recNo));
    return TField(FRs.get(), FView[recNo], col);
}

// ---------------------------------------------------------------- sort, filter, locate

namespace {
struct TSortKey {
    int col;
    bool desc;
    TFieldKind kind;
    std::vector<qint64> ints;         // Integer, Boolean
    std::vector<double> reals;        // Float
    std::vector<const char*> texts;   // Text, DateTime; nullptr for null
    std::vector<char> nulls;
};

// The rows in the order of one key: (value, row) pairs sorted side by side
// in memory, the row number breaking ties so that equal values keep the
// fetched order. Nulls first when ascending. `cmp` gives <0, 0, >0.
template <class V, class Cmp>
void sortByOneKey(const TSortKey& k, const std::vector<V>& values, Cmp cmp, std::vector<int>& order)
{
    struct TItem {
        V value;
        int row;
        bool null;
    };
    const int rows = int(order.size());
    std::vector<TItem> items(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r)
        items[r] = {values[r], r, k.nulls[r] != 0};
    const bool desc = k.desc;
    std::sort(items.begin(), items.end(), [&](const TItem& a, const TItem& b) {
        int c = 0;
        if (a.null || b.null)
            c = a.null == b.null ? 0 : (a.null ? -1 : 1);
        else
            c = cmp(a.value, b.value);
        if (c != 0)
            return desc ? c > 0 : c < 0;
        return a.row < b.row;
    });
    for (int r = 0; r < rows; ++r)
        order[r] = items[r].row;
}

// A text with its first sixteen bytes as two numbers, so that most
// comparisons need not follow the pointer (five kana or kanji fit).
struct TTextKey {
    quint64 head = 0;
    quint64 next = 0;
    const char* text = nullptr;
};

TTextKey textKey(const char* s)
{
    TTextKey k{0, 0, s};
    if (!s)
        return k;
    int i = 0;
    for (; i < 8 && s[i]; ++i)
        k.head = (k.head << 8) | static_cast<unsigned char>(s[i]);
    if (i < 8) {
        // An empty text stays 0 (a shift by the whole width is undefined).
        if (i > 0)
            k.head <<= 8 * (8 - i);
        return k;
    }
    for (; i < 16 && s[i]; ++i)
        k.next = (k.next << 8) | static_cast<unsigned char>(s[i]);
    if (i > 8)
        k.next <<= 8 * (16 - i);
    return k;
}

int compareText(const TTextKey& a, const TTextKey& b)
{
    if (a.head != b.head)
        return a.head < b.head ? -1 : 1;
    if (a.next != b.next)
        return a.next < b.next ? -1 : 1;
    // Equal heads ending in a zero byte are equal texts shorter than sixteen.
    if ((a.next & 0xff) == 0)
        return 0;
    return std::strcmp(a.text + 16, b.text + 16);
}

// The rows in the order of one text key. The distinct values are sorted
// once and the rows then placed by the rank of their value, in fetched order
// within a value (a counting sort): a list of 100,000 rows holds each name a
// few times, and equal values cost no comparison at all.
void sortByText(const TSortKey& k, std::vector<int>& order)
{
    const int rows = int(order.size());
    std::unordered_map<std::string_view, int> ids;
    ids.reserve(static_cast<size_t>(rows));
    std::vector<int> idOf(static_cast<size_t>(rows), -1);
    std::vector<TTextKey> distinct;
    for (int r = 0; r < rows; ++r) {
        if (k.nulls[r])
            continue;
        const auto [it, added] = ids.try_emplace(std::string_view(k.texts[r]), int(distinct.size()));
        if (added)
            distinct.push_back(textKey(k.texts[r]));
        idOf[r] = it->second;
    }
    const int values = int(distinct.size());
    std::vector<int> byValue(static_cast<size_t>(values));
    std::iota(byValue.begin(), byValue.end(), 0);
    std::sort(byValue.begin(), byValue.end(),
              [&](int a, int b) { return compareText(distinct[a], distinct[b]) < 0; });
    // Buckets: nulls first when ascending, last when descending.
    std::vector<int> bucketOf(static_cast<size_t>(values));
    for (int i = 0; i < values; ++i)
        bucketOf[byValue[i]] = k.desc ? values - 1 - i : i + 1;
    auto bucket = [&](int r) { return idOf[r] < 0 ? (k.desc ? values : 0) : bucketOf[idOf[r]]; };
    std::vector<int> start(static_cast<size_t>(values) + 2, 0);
    for (int r = 0; r < rows; ++r)
        ++start[bucket(r) + 1];
    for (int b = 0; b <= values; ++b)
        start[b + 1] += start[b];
    for (int r = 0; r < rows; ++r)
        order[start[bucket(r)]++] = r;
}
} // namespace

void TQuery::setSort(const QString& order)
{
    FSort = order.trimmed();
    if (!FRs)
        return;
    const int keep = FCur >= 0 ? FView[FCur] : -1;
    rebuildOrder();
    rebuildView(keep);
    Q_EMIT dataReset();
}

void TQuery::rebuildOrder()
{
    const int rows = FRs->rowCount();
    FOrder.resize(rows);
    for (int r = 0; r < rows; ++r)
        FOrder[r] = r;
    if (FSort.isEmpty())
        return;

    std::vector<TSortKey> keys;
    for (const QString& part : FSort.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        QStringList words = part.simplified().split(QLatin1Char(' '));
        bool desc = false;
        if (words.size() > 1) {
            const QString dir = words.takeLast().toUpper();
            if (dir != QLatin1String("DESC") && dir != QLatin1String("ASC"))
                throw EFieldError(QStringLiteral("並び順 '%1' は使えません。").arg(part));
            desc = dir == QLatin1String("DESC");
        }
        const int col = columnOrThrow(words.join(QLatin1Char(' ')));
        TSortKey key{col, desc, FRs->kind(col), {}, {}, {}, {}};
        key.nulls.resize(rows);
        for (int r = 0; r < rows; ++r)
            key.nulls[r] = FRs->isNull(r, col);
        if (key.kind == TFieldKind::Integer || key.kind == TFieldKind::Boolean) {
            key.ints.resize(rows);
            for (int r = 0; r < rows; ++r)
                key.ints[r] = FRs->integer(r, col);
        } else if (key.kind == TFieldKind::Float) {
            key.reals.resize(rows);
            for (int r = 0; r < rows; ++r)
                key.reals[r] = FRs->number(r, col);
        } else {
            key.texts.resize(rows);
            for (int r = 0; r < rows; ++r)
                key.texts[r] = FRs->raw(r, col);
        }
        keys.push_back(std::move(key));
    }

    // Text and ISO timestamps compare as UTF-8 bytes: code point order, and
    // date order for timestamps.
    if (keys.size() == 1) {
        const TSortKey& k = keys.front();
        auto three = [](auto a, auto b) { return a < b ? -1 : (b < a ? 1 : 0); };
        if (!k.ints.empty()) {
            sortByOneKey(k, k.ints, three, FOrder);
        } else if (!k.reals.empty()) {
            sortByOneKey(k, k.reals, three, FOrder);
        } else {
            sortByText(k, FOrder);
        }
        return;
    }
    std::stable_sort(FOrder.begin(), FOrder.end(), [&](int a, int b) {
        for (const auto& k : keys) {
            const bool na = k.nulls[a], nb = k.nulls[b];
            int c = 0;
            if (na || nb) {
                c = na == nb ? 0 : (na ? -1 : 1);
            } else if (!k.ints.empty()) {
                c = k.ints[a] < k.ints[b] ? -1 : (k.ints[a] > k.ints[b] ? 1 : 0);
            } else if (!k.reals.empty()) {
                c = k.reals[a] < k.reals[b] ? -1 : (k.reals[a] > k.reals[b] ? 1 : 0);
            } else {
                c = std::strcmp(k.texts[a], k.texts[b]);
            }
            if (c != 0)
                return k.desc ? c > 0 : c < 0;
        }
        return false;
    });
}

void TQuery::rebuildView(int keepRaw)
{
    FView.clear();
    FView.reserve(FOrder.size());
    int cur = -1;
    for (int raw : FOrder) {
        if (FFilter && !FFilter(TRecord(FRs.get(), raw)))
            continue;
        if (raw == keepRaw)
            cur = int(FView.size());
        FView.push_back(raw);
    }
    FCur = FView.empty() ? -1 : std::max(cur, 0);
    FBof = FCur <= 0;
    FEof = FView.empty();
}

void TQuery::setFilter(TFilter filter)
{
    FFilter = std::move(filter);
    if (!FRs)
        return;
    rebuildView(-1);
    Q_EMIT dataReset();
    Q_EMIT recordChanged();
}

bool TQuery::locate(const QString& fieldName, const QVariant& value, TLocateOptions options)
{
    const int col = columnOrThrow(fieldName);
    const QString wanted = value.toString();
    const Qt::CaseSensitivity cs = options.caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const bool numeric = FRs->kind(col) == TFieldKind::Integer && !options.partialKey;
    bool okNum = false;
    const qint64 wantedNum = numeric ? wanted.trimmed().toLongLong(&okNum) : 0;
    for (int i = 0; i < int(FView.size()); ++i) {
        const int raw = FView[i];
        if (FRs->isNull(raw, col)) {
            if (value.isNull()) {
                setRecNo(i);
                FBof = FEof = false;
                return true;
            }
            continue;
        }
        bool hit;
        if (numeric)
            hit = okNum && FRs->integer(raw, col) == wantedNum;
        else {
            const QString have = FRs->text(raw, col);
            hit = options.partialKey ? have.startsWith(wanted, cs)
                                     : have.compare(wanted, cs) == 0;
        }
        if (hit) {
            setRecNo(i);
            FBof = FEof = false;
            return true;
        }
    }
    return false;
}
