#pragma once
// Statements with named parameters, and their fetched result sets with
// client-side sort, filter and locate.

#include "db/Connection.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <map>
#include <vector>

// A statement whose ":NAME" parameters have been turned into $n.
struct TParsedSql {
    QByteArray sql;
    QStringList names;   // names[n-1] is bound to $n; each name once, upper-case
};

// Finds ":NAME" parameters outside literals, quoted identifiers, comments and
// "::" casts; a repeated name is one parameter.
TParsedSql parseNamedParams(const QString& sql);

enum class TFieldKind { Integer, Float, Boolean, DateTime, Text };

// Rows fetched by one SELECT, kept whole on the client.
class TResultSet {
public:
    explicit TResultSet(PgResultPtr res);

    int rowCount() const { return FRows; }
    int columnCount() const { return int(FNames.size()); }
    const QString& columnName(int col) const { return FNames[col]; }
    TFieldKind kind(int col) const { return FKinds[col]; }
    // Case-insensitive lookup; -1 when there is no such column.
    int columnIndex(const QString& name) const;

    bool isNull(int row, int col) const;
    const char* raw(int row, int col) const;     // UTF-8 text of the server
    QString text(int row, int col) const;        // the display text
    QVariant value(int row, int col) const;      // typed; null QVariant for SQL null
    qint64 integer(int row, int col) const;
    double number(int row, int col) const;
    // A date or timestamp as it reads, in UTC; a timestamp with zone as its
    // instant, in local time.
    QDateTime dateTime(int row, int col) const;

private:
    PgResultPtr FRes;
    int FRows = 0;
    std::vector<QString> FNames;
    std::vector<TFieldKind> FKinds;
    std::vector<bool> FZoned;   // timestamp with time zone
    QHash<QString, int> FIndex;
};

// Read access to one field of one fetched row.
class TField {
public:
    TField(const TResultSet* rs, int row, int col) : FRs(rs), FRow(row), FCol(col) {}
    bool isNull() const { return FRs->isNull(FRow, FCol); }
    QString asString() const { return FRs->text(FRow, FCol); }
    int asInteger() const { return int(FRs->integer(FRow, FCol)); }
    qint64 asInt64() const { return FRs->integer(FRow, FCol); }
    double asFloat() const { return FRs->number(FRow, FCol); }
    bool asBoolean() const { return FRs->integer(FRow, FCol) != 0; }
    QDateTime asDateTime() const { return FRs->dateTime(FRow, FCol); }
    QDate asDate() const { return asDateTime().date(); }
    QVariant asVariant() const { return FRs->value(FRow, FCol); }
    TFieldKind kind() const { return FRs->kind(FCol); }

private:
    const TResultSet* FRs;
    int FRow;
    int FCol;
};

// One fetched row, as handed to a filter predicate.
class TRecord {
public:
    TRecord(const TResultSet* rs, int row) : FRs(rs), FRow(row) {}
    TField field(const QString& name) const;
    int row() const { return FRow; }

private:
    const TResultSet* FRs;
    int FRow;
};

struct TLocateOptions {
    bool caseInsensitive = true;
    bool partialKey = false;
};

// A statement on the shared connection. After open() the whole result is on
// the client; a cursor walks the rows in the current sort and filter.
class TQuery : public QObject {
    Q_OBJECT
public:
    explicit TQuery(TConnection* conn = nullptr, QObject* parent = nullptr);
    ~TQuery() override;

    void setConnection(TConnection* conn) { FConn = conn; }
    TConnection* connection() const { return FConn; }

    // Setting the statement closes the query and forgets the parameter
    // values, the sort and the filter.
    void setSql(const QString& sql);
    const QString& sql() const { return FSql; }
    QStringList paramNames() const { return FParsed.names; }

    // Parameters: type first, for text its width (a longer text is cut to it;
    // 0 = no limit), then the value.
    TQuery& setText(const QString& name, const QString& value, int size);
    TQuery& setInt(const QString& name, int value);
    TQuery& setInt64(const QString& name, qint64 value);
    // A timestamp as the value reads (its own date and time, whatever its zone).
    TQuery& setDateTime(const QString& name, const QDateTime& value);
    TQuery& setFloat(const QString& name, double value);
    TQuery& setNull(const QString& name, TParamType type, int size = 0);
    // A list of values as one text parameter in array form, for a statement
    // that reads it as CAST(:NAME AS bigint[]) or CAST(:NAME AS text[]) (many
    // rows in one statement through UNNEST). Each text is cut to `size` as
    // setText cuts it; an empty optional stands for null.
    TQuery& setInt64List(const QString& name, const std::vector<qint64>& values);
    TQuery& setTextList(const QString& name, const std::vector<std::optional<QString>>& values, int size);

    // SELECT: fetches every row, cursor on the first. Counted as a read: on
    // a connection found broken outside a transaction it runs once more.
    void open();
    int execSql();        // INSERT / UPDATE / DELETE: rows affected
    // A write whose WHERE states what the user saw: fewer than `atLeast`
    // rows affected means another workstation changed them meanwhile, and
    // EConflictError is thrown (the caller's transaction then rolls back).
    int execSqlExpect(int atLeast = 1);
    void close();
    void requery();       // runs the statement again; keeps sort and filter
    bool active() const { return bool(FRs); }

    // Cursor over the sorted and filtered rows.
    bool eof() const;
    bool bof() const { return FBof; }
    bool isEmpty() const { return recordCount() == 0; }
    int recordCount() const { return int(FView.size()); }
    int recNo() const { return FCur; }          // 0-based, -1 when empty
    void setRecNo(int recNo);
    void first();
    void last();
    void next();
    void prior();

    TField field(const QString& name) const;          // of the current record
    TField fieldAt(int recNo, const QString& name) const;
    bool hasField(const QString& name) const;
    const TResultSet* resultSet() const { return FRs.get(); }
    int rawRow(int recNo) const { return FView[recNo]; }

    // "FIELD", "FIELD DESC", or several joined by commas; empty = fetched order.
    // Stable and type-aware; nulls first when ascending.
    void setSort(const QString& order);
    const QString& sort() const { return FSort; }

    using TFilter = std::function<bool(const TRecord&)>;
    void setFilter(TFilter filter);
    void clearFilter() { setFilter({}); }
    bool filtered() const { return bool(FFilter); }

    // Moves to the first record (in the current order) whose field matches.
    bool locate(const QString& fieldName, const QVariant& value, TLocateOptions options = {});

Q_SIGNALS:
    void dataReset();       // opened, closed, sorted or filtered
    void recordChanged();   // the cursor moved to another record

private:
    struct TParam {
        TParamType type = TParamType::Text;
        int size = 0;
        bool assigned = false;
        std::optional<QByteArray> text;
    };
    TParam& param(const QString& name);
    std::vector<TBoundValue> boundValues() const;
    void requireConnection() const;
    int columnOrThrow(const QString& name) const;
    void rebuildOrder();
    void rebuildView(int keepRaw);

    TConnection* FConn = nullptr;
    QString FSql;
    TParsedSql FParsed;
    std::map<QString, TParam> FParams;
    std::unique_ptr<TResultSet> FRs;
    std::vector<int> FOrder;   // all rows in sort order
    std::vector<int> FView;    // rows of FOrder that pass the filter
    int FCur = -1;
    bool FBof = true;
    bool FEof = true;
    QString FSort;
    TFilter FFilter;
};
