#include "app/CommonU.h"

#include "app/Globals.h"
#include "app/TextUtil.h"
#include "app/UntDM.h"
#include "app/WriteRunner.h"
#include "db/KanjaRecord.h"
#include "db/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <optional>

namespace CommonU {

QString iniPath() { return G().dataFolder + QStringLiteral("klov.ini"); }

QString HelpFile()
{
    const QString dir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    // Next to the program (a development build), then where the package
    // puts it (<prefix>/bin/klov, <prefix>/share/klov/help).
    for (const char* name : {"KLOV.chm", "KLOV.html", "help/index.html", "../share/klov/help/index.html"}) {
        const QString path = dir + QString::fromLatin1(name);
        if (QFileInfo::exists(path))
            return QDir::cleanPath(path);
    }
    return {};
}

// --- klov.ini ----------------------------------------------------------------
// Sections "[NAME]" and lines "KEY=value". Names match without regard to
// case; values are kept byte for byte (UTF-8), surrounding blanks included.

namespace {
bool isSection(const QString& line, QString* name = nullptr)
{
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return false;
    if (name)
        *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

bool keyOf(const QString& line, QString& key, QString& value)
{
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0 || line.trimmed().startsWith(QLatin1Char(';')))
        return false;
    key = line.left(eq).trimmed();
    value = line.mid(eq + 1);
    return true;
}

// The text of klov.ini; nothing when it is missing or cannot be used.
std::optional<QString> readText(QString* problem = nullptr)
{
    QFile f(iniPath());
    if (!f.exists())
        return std::nullopt;
    if (!f.open(QIODevice::ReadOnly)) {
        if (problem)
            *problem = f.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = f.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        if (problem)
            *problem = QStringLiteral("UTF-8 ではない文字があります");
        return std::nullopt;
    }
    return text;
}

bool readLines(QStringList& lines)
{
    std::optional<QString> read = readText();
    if (!read)
        return false;
    QString text = *read;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return true;
}

bool readValue(const QString& section, const QString& key, QString& value)
{
    QStringList lines;
    if (!readLines(lines))
        return false;
    bool inSection = false;
    for (const QString& line : lines) {
        QString name, k, v;
        if (isSection(line, &name)) {
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
        } else if (inSection && keyOf(line, k, v) && k.compare(key, Qt::CaseInsensitive) == 0) {
            value = v;
            return true;
        }
    }
    value.clear();
    return true;
}

bool writeValue(const QString& section, const QString& key, const QString& value)
{
    // A file that exists but cannot be read is left as it is: writing would
    // replace every setting in it with this one.
    if (!IniProblem().isEmpty())
        return false;
    QStringList lines;
    readLines(lines);
    const QString entry = key + QLatin1Char('=') + value;
    int sectionAt = -1, insertAt = -1;
    bool done = false;
    for (int i = 0; i < lines.size() && !done; ++i) {
        QString name, k, v;
        if (isSection(lines[i], &name)) {
            if (sectionAt >= 0)
                break;
            if (name.compare(section, Qt::CaseInsensitive) == 0)
                sectionAt = insertAt = i + 1;
        } else if (sectionAt >= 0) {
            if (keyOf(lines[i], k, v) && k.compare(key, Qt::CaseInsensitive) == 0) {
                lines[i] = entry;
                done = true;
            } else if (!lines[i].trimmed().isEmpty()) {
                insertAt = i + 1;
            }
        }
    }
    if (!done) {
        if (sectionAt < 0) {
            lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
        } else {
            lines.insert(insertAt, entry);
        }
    }
    QDir().mkpath(G().dataFolder);
    QSaveFile f(iniPath());
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
    if (!f.commit())
        return false;
    QFile::setPermissions(iniPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}
} // namespace

QString IniProblem()
{
    QString problem;
    if (readText(&problem) || problem.isEmpty())
        return {};
    return QStringLiteral("設定ファイルを読み込めません。\r\n") + QDir::toNativeSeparators(iniPath())
           + QStringLiteral("\r\n") + problem;
}

bool ReadIniStr(const QString& section, const QString& key, QString& value)
{
    QString v;
    if (!readValue(section, key, v))
        return false;
    value = v;
    return true;
}

bool ReadIniInt(const QString& section, const QString& key, int& value)
{
    QString v;
    if (!readValue(section, key, v))
        return false;
    bool ok = false;
    const int n = v.trimmed().toInt(&ok);
    value = ok ? n : 0;
    return true;
}

bool WriteIniStr(const QString& section, const QString& key, const QString& value)
{
    return writeValue(section, key, value);
}

bool WriteIniInt(const QString& section, const QString& key, int value)
{
    return writeValue(section, key, QString::number(value));
}

// --- server clock -----------------------------------------------------------

QDateTime GetServerTime()
{
    TQuery& q = dm().sharedQuery();
    q.setSql(R"(SELECT NOW() AS "SVRDTM")");
    q.open();
    const QDateTime t = q.eof() ? QDateTime::currentDateTime() : q.field("SVRDTM").asDateTime();
    q.close();
    return t;
}

// --- CSV text -----------------------------------------------------------------

QString CsvCellClean(const QString& text, const QString& replacement)
{
    QString s = textutil::trimBoth(text);
    if (s.isEmpty())
        return {};
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    s.replace(QLatin1Char('\n'), replacement);
    s.replace(QLatin1Char(','), replacement);
    return s;
}

QString CsvQuoteEscape(const QString& text)
{
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return s;
}

// --- age, integers -------------------------------------------------------------

int AgeYears(const QDate& reference, const QDate& birth)
{
    if (!reference.isValid() || !birth.isValid() || reference < birth)
        return -1;
    int years = reference.year() - birth.year();
    if (reference.month() < birth.month()
        || (reference.month() == birth.month() && reference.day() < birth.day()))
        --years;
    return years;
}

bool IsInteger(const QString& text)
{
    int i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    const QString rest = text.mid(i);
    if (rest.isEmpty())
        return false;
    int start = (rest[0] == QLatin1Char('+') || rest[0] == QLatin1Char('-')) ? 1 : 0;
    if (start >= rest.size())
        return false;
    for (int k = start; k < rest.size(); ++k)
        if (rest[k] < QLatin1Char('0') || rest[k] > QLatin1Char('9'))
            return false;
    bool ok = false;
    rest.toInt(&ok);
    return ok;
}

// --- sibling system ---------------------------------------------------------------

void RefreshPatientFromQarn(qint64 id)
{
    if (!G().qarnLink || id == 0)
        return;
    TQuery& q = dm().sharedQuery();
    q.setSql(R"(SELECT * FROM "QARN"."M_KANJA" WHERE "ID" = :ID AND "ACTKBN" = 1 AND "DELKBN" = 0)");
    q.setInt64("ID", id);
    q.open();
    if (q.eof()) {
        q.close();
        return;
    }
    const QString kana = q.field("KANA").asString();
    const QString name = q.field("NAME").asString();
    const int sex = q.field("SEX").asInteger();
    const QDate birth = q.field("BIRTH").asDate();
    const QString postcd = q.field("POSTCD").asString();
    const QString adr1 = q.field("ADR1").asString();
    const QString adr2 = q.field("ADR2").asString();
    const QString tel = q.field("TEL").asString();
    const QString fax = q.field("FAX").asString();
    const QString mail = q.field("MAIL").asString();
    const QString biko = q.field("BIKO").asString();
    q.close();

    q.setSql(R"(SELECT * FROM "KLOV"."M_KANJA" WHERE "ID" = :ID AND "ACTKBN" = 1 AND "DELKBN" = 0)");
    q.setInt64("ID", id);
    q.open();
    const bool insert = q.eof();
    int rno = 0;
    if (!insert) {
        const bool same = q.field("KNJKANA").asString() == kana && q.field("KNJNAME").asString() == name
                          && q.field("SEX").asInteger() == sex && q.field("BIRTH").asDate() == birth
                          && q.field("POSTCD").asString() == postcd && q.field("ADR1").asString() == adr1
                          && q.field("ADR2").asString() == adr2 && q.field("TEL").asString() == tel
                          && q.field("FAX").asString() == fax && q.field("MAIL").asString() == mail
                          && q.field("BIKO").asString() == biko;
        rno = q.field("RNO").asInteger();
        q.close();
        if (same)
            return;
    }
    q.close();

    // Failures are not reported: the caller goes on with what KLOV.M_KANJA
    // holds (a second workstation that inserted the same patient first
    // leaves its row, the unique current revision refusing this one).
    runWrite(nullptr, [&](TConnection& conn) {
        if (insert) {
            // The sibling record carries no mobile number.
            const TrecKanja row{kana, name, postcd, adr1, adr2, tel, QString(), fax, mail, biko, sex, birth};
            insertKanjaRevision(conn, id, row, G().user.userId);
            return;
        }
        // The sibling record has no mobile number: the stored one stays.
        q.setSql(R"(UPDATE "KLOV"."M_KANJA" SET "KNJKANA" = :KANA, "KNJNAME" = :NAME, "SEX" = :SEX,
                        "BIRTH" = TO_TIMESTAMP(:BIRTH,'YYYY-MM-DD'), "POSTCD" = :POSTCD, "ADR1" = :ADR1,
                        "ADR2" = :ADR2, "TEL" = :TEL, "FAX" = :FAX, "MAIL" = :MAIL, "BIKO" = :BIKO,
                        "UPDUSERID" = :INSUSERID, "UPDDTM" = NOW()
                    WHERE "ID" = :ID AND "RNO" = :RNO AND "ACTKBN" = 1 AND "DELKBN" = 0)");
        q.setInt("RNO", rno);
        auto textOrNull = [&q](const char* param, const QString& v, int size) {
            if (v.isEmpty())
                q.setNull(QString::fromLatin1(param), TParamType::Text, size);
            else
                q.setText(QString::fromLatin1(param), v, size);
        };
        q.setInt64("ID", id);
        textOrNull("KANA", kana, 50);
        q.setText("NAME", name, 50);
        q.setInt("SEX", sex);
        if (birth.isValid())
            q.setText("BIRTH", birth.toString(QStringLiteral("yyyy-MM-dd")), 10);
        else
            q.setNull("BIRTH", TParamType::Text, 10);
        textOrNull("POSTCD", postcd, 10);
        textOrNull("ADR1", adr1, 100);
        textOrNull("ADR2", adr2, 100);
        textOrNull("TEL", tel, 20);
        textOrNull("FAX", fax, 20);
        textOrNull("MAIL", mail, 50);
        textOrNull("BIKO", biko, 128);
        q.setText("INSUSERID", G().user.userId, 24);
        q.execSqlExpect(1);
    }, {QString(), TTxMode::Join, true});
}

} // namespace CommonU
