#include "admin/PgTools.h"

#include "app/CommonU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/TextUtil.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "controls/Widgets.h"
#include "db/Query.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace pgtools {

QString escapePgpass(const QString& value)
{
    QString out;
    for (QChar c : value) {
        if (c == QLatin1Char(':') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

QString pgpassEntry(const TConnParams& p)
{
    return QStringList{escapePgpass(p.server), escapePgpass(p.port), escapePgpass(p.db),
                       escapePgpass(p.user), escapePgpass(p.pass)}
        .join(QLatin1Char(':'));
}

QString defaultPgpassPath() { return QDir::homePath() + QStringLiteral("/.pgpass"); }

namespace {
// The fields of a password-file line as libpq splits them (escapes undone).
QStringList pgpassFields(const QString& line)
{
    QStringList fields{QString()};
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('\\') && i + 1 < line.size())
            fields.last() += line[++i];
        else if (c == QLatin1Char(':') && fields.size() < 5)
            fields << QString();
        else
            fields.last() += c;
    }
    return fields;
}
} // namespace

QString ensurePgpassEntry(const QString& path, const TConnParams& p)
{
    QStringList lines;
    QFile in(path);
    if (in.exists()) {
        if (!in.open(QIODevice::ReadOnly))
            return in.errorString();
        lines = QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'));
        in.close();
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
    }
    const QStringList key{p.server, p.port, p.db, p.user};
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList f = pgpassFields(line);
        if (f.size() < 5)
            continue;
        bool matches = true;
        for (int i = 0; i < 4 && matches; ++i)
            matches = f[i] == QLatin1String("*") || f[i] == key[i];
        if (!matches)
            continue;
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
                                          | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        if (f[4] == p.pass && !(QFileInfo(path).permissions() & others))
            return {};
        break;
    }
    const QString entry = pgpassEntry(p);
    if (lines.isEmpty() || lines.first() != entry)
        lines.prepend(entry);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return out.errorString();
    out.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    out.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    if (!out.commit())
        return out.errorString();
    return {};
}

QStringList backupArguments(const TConnParams& p, const QString& file, bool oldServer)
{
    if (oldServer)
        return {QStringLiteral("-h"), p.server, QStringLiteral("-p"), p.port, QStringLiteral("-U"), p.user,
                QStringLiteral("-w"), QStringLiteral("-F"), QStringLiteral("c"), QStringLiteral("-b"),
                QStringLiteral("-v"), QStringLiteral("-f"), file, p.db};
    return {QStringLiteral("--host"), p.server, QStringLiteral("--port"), p.port,
            QStringLiteral("--username"), p.user, QStringLiteral("--dbname"), p.db,
            QStringLiteral("--no-password"), QStringLiteral("--format"), QStringLiteral("tar"),
            QStringLiteral("--verbose"), QStringLiteral("--file"), file};
}

QStringList restoreArguments(const TConnParams& p, const QString& file, bool oldServer)
{
    if (oldServer)
        return {QStringLiteral("-c"), QStringLiteral("--if-exists"), QStringLiteral("-1"), QStringLiteral("-e"),
                QStringLiteral("-h"), p.server,
                QStringLiteral("-p"), p.port, QStringLiteral("-U"), p.user, QStringLiteral("-w"),
                QStringLiteral("-d"), p.db, QStringLiteral("-v"), file};
    return {QStringLiteral("--host"), p.server, QStringLiteral("--port"), p.port,
            QStringLiteral("--username"), p.user, QStringLiteral("--dbname"), p.db,
            QStringLiteral("--no-password"), QStringLiteral("--clean"), QStringLiteral("--if-exists"),
            QStringLiteral("--single-transaction"), QStringLiteral("--exit-on-error"),
            QStringLiteral("--verbose"), file};
}

QStringList listArguments(const QString& file) { return {QStringLiteral("--list"), file}; }

QStringList readArguments(const QString& file) { return {QStringLiteral("-f"), QProcess::nullDevice(), file}; }

QString backupFileName(const QString& folder, const QDateTime& serverTime)
{
    return folder + QStringLiteral("/KLOV") + serverTime.toString(QStringLiteral("yyyyMMddHHmmss"))
           + QStringLiteral(".backup");
}

bool listHoldsKlov(const QString& listing)
{
    static const QRegularExpression schema(QStringLiteral(R"(^\d+; \d+ \d+ SCHEMA - KLOV )"),
                                           QRegularExpression::MultilineOption);
    return schema.match(listing).hasMatch();
}

QString checksumFileName(const QString& archive) { return archive + QStringLiteral(".sha256"); }

QByteArray checksumLine(const QByteArray& sha256, const QString& archive)
{
    return sha256.toHex() + "  " + QFileInfo(archive).fileName().toUtf8() + '\n';
}

QByteArray readChecksum(const QString& checksumFile)
{
    QFile f(checksumFile);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray hex = f.read(64);
    static const QRegularExpression digits(QStringLiteral("^[0-9a-fA-F]{64}$"));
    if (!digits.match(QString::fromLatin1(hex)).hasMatch())
        return {};
    return QByteArray::fromHex(hex);
}

qint64 processIo(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/io").arg(pid));
    if (pid <= 0 || !f.open(QIODevice::ReadOnly))
        return -1;
    qint64 total = -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("rchar:") || line.startsWith("wchar:"))
            total = qMax<qint64>(total, 0) + line.mid(6).trimmed().toLongLong();
    }
    return total;
}

} // namespace pgtools

// --- the base form --------------------------------------------------------------

namespace {
const QString kSection = QStringLiteral("BACKUP");
} // namespace

// A checksum being computed.
struct TFrmPgTool::THashRun {
    QFile file;
    QCryptographicHash hash{QCryptographicHash::Sha256};
    std::function<void(const THashResult&)> done;
    bool cancelled = false;
};

TFrmPgTool::~TFrmPgTool() = default;

TFrmPgTool::TFrmPgTool(QWidget* parent, const QString& objectName, const QString& caption,
                       const QString& tool, const QString& exeKey)
    : TFrmOBase(parent), FTool(tool), FExeKey(exeKey)
{
    theme::setupCreamForm(this, objectName, caption);
    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(16, 12, 16, 8);
    FGrid = new QGridLayout;
    FGrid->setVerticalSpacing(6);
    auto edit = [b](const char* name, int width) {
        auto* e = new QLineEdit(b);
        e->setObjectName(QString::fromLatin1(name));
        e->setMinimumWidth(width);
        e->setAttribute(Qt::WA_InputMethodEnabled, false);
        return e;
    };
    edtServer = edit("edtServer", 200);
    edtDb = edit("edtDb", 200);
    edtPort = edit("edtPort", 80);
    edtDb->setText(QStringLiteral("postgres"));
    edtPort->setText(QStringLiteral("5432"));
    edtUser = edit("edtUser", 200);
    edtPass = edit("edtPass", 200);
    edtPass->setEchoMode(QLineEdit::Password);
    cbPostVer = new QCheckBox(QStringLiteral("PostgtrSQLのバージョンが9.2以前の場合はチェックしてください。"), b);
    cbPostVer->setObjectName(QStringLiteral("cbPostVer"));

    auto row = [&](const QString& caption, QWidget* w) {
        FGrid->addWidget(widgets::caption(b, caption), FNextRow, 0);
        FGrid->addWidget(w, FNextRow++, 1, Qt::AlignLeft);
    };
    row(QStringLiteral("サーバー名"), edtServer);
    row(QStringLiteral("DataBase"), edtDb);
    row(QStringLiteral("Port"), edtPort);
    row(QStringLiteral("ユーザーID"), edtUser);
    row(QStringLiteral("パスワード"), edtPass);
    FGrid->addWidget(widgets::label(b, QStringLiteral("ユーザーIDとパスワードはデータベース設計時の\nユーザーIDとパスワードです。")),
                     FNextRow++, 1);
    edtExePath = addPathRow(tool + QStringLiteral("を指定してください。"), QStringLiteral("edtExePath"),
                            QStringLiteral("epbExePath"), epbExePath);
    FGrid->addWidget(widgets::label(b, QStringLiteral("(参考)　/usr/lib/postgresql/15/bin")), FNextRow++, 1);
    FGrid->addWidget(cbPostVer, 99, 1);
    FGrid->setColumnStretch(1, 1);
    root->addLayout(FGrid);

    lblStatus = widgets::label(b, QString(), QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);
    root->addWidget(lblStatus);
    memLog = new QPlainTextEdit(b);
    memLog->setObjectName(QStringLiteral("memLog"));
    memLog->setReadOnly(true);
    memLog->setMinimumHeight(120);
    root->addWidget(memLog, 1);

    bbtnParamSave = widgets::button(b, QStringLiteral("bbtnParamSave"), QStringLiteral("　保　存"));
    bbtnBackUp = widgets::button(b, QStringLiteral("bbtnBackUp"), QStringLiteral("　実　行"));
    bbtnCancel = widgets::button(b, QStringLiteral("bbtnCancel"), QStringLiteral("　中　止"));
    bbtnClose = widgets::button(b, QStringLiteral("bbtnClose"), QStringLiteral(" 閉じる"));
    bbtnCancel->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* p : {bbtnParamSave, bbtnBackUp, bbtnCancel}) {
        p->setMinimumSize(100, 32);
        buttons->addWidget(p);
    }
    buttons->addStretch();
    bbtnClose->setMinimumSize(100, 32);
    buttons->addWidget(bbtnClose);
    root->addLayout(buttons);

    FPoll = new QTimer(this);
    FPoll->setInterval(1000);
    connect(FPoll, &QTimer::timeout, this, &TFrmPgTool::pollTool);
    connect(bbtnParamSave, &QPushButton::clicked, this, &TFrmPgTool::bbtnParamSaveClick);
    connect(bbtnBackUp, &QPushButton::clicked, this, &TFrmPgTool::bbtnBackUpClick);
    connect(bbtnCancel, &QPushButton::clicked, this, &TFrmPgTool::bbtnCancelClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::close);
    connect(epbExePath, &QToolButton::clicked, this, &TFrmPgTool::epbExePathClick);
    resize(640, 600);
}

void TFrmPgTool::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (!FShown)
        FormShow();
}

void TFrmPgTool::FormShow()
{
    FShown = true;
    auto read = [](const QString& key, QLineEdit* e, const QString& whenEmpty = {}) {
        QString v;
        if (CommonU::ReadIniStr(kSection, key, v))
            e->setText(v.isEmpty() ? whenEmpty : v);
    };
    read(QStringLiteral("SERVER"), edtServer);
    read(QStringLiteral("DB"), edtDb, QStringLiteral("postgres"));
    read(QStringLiteral("PORT"), edtPort, QStringLiteral("5432"));
    read(QStringLiteral("USER"), edtUser);
    read(QStringLiteral("PASS"), edtPass);
    read(FExeKey, edtExePath);
    int old = 0;
    if (CommonU::ReadIniInt(kSection, QStringLiteral("POSTVER"), old))
        cbPostVer->setChecked(old == 1);
    loadTarget();
}

void TFrmPgTool::bbtnParamSaveClick()
{
    CommonU::WriteIniStr(kSection, QStringLiteral("SERVER"), edtServer->text());
    CommonU::WriteIniStr(kSection, QStringLiteral("DB"), edtDb->text());
    CommonU::WriteIniStr(kSection, QStringLiteral("PORT"), edtPort->text());
    CommonU::WriteIniStr(kSection, QStringLiteral("USER"), edtUser->text());
    CommonU::WriteIniStr(kSection, QStringLiteral("PASS"), edtPass->text());
    CommonU::WriteIniStr(kSection, FExeKey, edtExePath->text());
    saveTarget();
    CommonU::WriteIniInt(kSection, QStringLiteral("POSTVER"), cbPostVer->isChecked() ? 1 : 0);
    const QString problem = CommonU::IniProblem();
    if (!problem.isEmpty()) {
        msg::warning(this, problem);
        return;
    }
    msg::information(this, QStringLiteral("設定保存しました。"));
}

pgtools::TConnParams TFrmPgTool::params() const
{
    using textutil::trimBoth;
    return {trimBoth(edtServer->text()), trimBoth(edtPort->text()), trimBoth(edtDb->text()),
            trimBoth(edtUser->text()), trimBoth(edtPass->text())};
}

void TFrmPgTool::bbtnBackUpClick()
{
    if (running())
        return;
    auto refuse = [this](QWidget* field, const QString& text) {
        msg::warning(this, text);
        field->setFocus();
        return false;
    };
    auto blank = [](const QLineEdit* e) { return textutil::trimBoth(e->text()).isEmpty(); };
    const QString exe = textutil::trimBoth(edtExePath->text());
    const bool ok =
        (!blank(edtServer) || refuse(edtServer, QStringLiteral("サーバー名が未入力です。")))
        && (!blank(edtDb) || refuse(edtDb, QStringLiteral("DataBaseが未入力です。")))
        && (!blank(edtPort) || refuse(edtPort, QStringLiteral("Portが未入力です。")))
        && (CommonU::IsInteger(edtPort->text()) || refuse(edtPort, QStringLiteral("Portが数値以外です。")))
        && (!blank(edtUser) || refuse(edtUser, QStringLiteral("ユーザーIDが未入力です。")))
        && (!blank(edtPass) || refuse(edtPass, QStringLiteral("パスワードが未入力です。")))
        && (!exe.isEmpty() || refuse(edtExePath, FTool + QStringLiteral("が未指定です。")))
        && (QFileInfo(exe).isFile() || refuse(edtExePath, FTool + QStringLiteral("の指定が間違っています。")))
        && checkTarget();
    if (!ok || !msg::question(this, runQuestion()))
        return;
    const QString problem = pgtools::ensurePgpassEntry(FPassFile, params());
    if (!problem.isEmpty()) {
        msg::warning(this, QStringLiteral("パスワードファイルを書き込めませんでした。\n") + FPassFile + QLatin1Char('\n') + problem);
        return;
    }
    run();
}

bool TFrmPgTool::running() const { return FProc != nullptr || FHash != nullptr; }

void TFrmPgTool::startTool(const QStringList& arguments, std::function<void(const TToolResult&)> done)
{
    static int runs = 0;
    FAppName = QStringLiteral("KLOV %1 %2.%3").arg(FTool).arg(QCoreApplication::applicationPid()).arg(++runs);
    FStopping = FCancelled = FStalled = FEnding = false;
    FHolders.clear();
    FOutput.clear();
    FDone = std::move(done);
    FLastArguments = arguments;
    FslErrLog.clear();
    bbtnBackUp->setEnabled(false);
    bbtnCancel->setEnabled(true);
    lblStatus->setText(FTool + QStringLiteral(" を実行中です。"));

    auto* proc = new QProcess(this);
    FProc = proc;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSFILE"), FPassFile);
    env.insert(QStringLiteral("PGAPPNAME"), FAppName);
    env.remove(QStringLiteral("PGPASSWORD"));
    proc->setProcessEnvironment(env);
    proc->setProcessChannelMode(QProcess::MergedChannels);
    connect(proc, &QProcess::readyRead, this, [this, proc] {
        const QString text = QString::fromLocal8Bit(proc->readAll());
        FOutput += text;
        memLog->moveCursor(QTextCursor::End);
        memLog->insertPlainText(text);
    });
    connect(proc, &QProcess::finished, this, [this, proc] { toolFinished(proc, true); });
    connect(proc, &QProcess::errorOccurred, this, [this, proc](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            toolFinished(proc, false);
    });
    proc->start(textutil::trimBoth(edtExePath->text()), arguments);
    if (FProc) {
        FSeenIo = -1;
        FSeenOutput = 0;
        FQuiet.start();
        FPoll->setInterval(1000);
        FPoll->start();
    }
}

void TFrmPgTool::toolFinished(QProcess* proc, bool started)
{
    if (FProc != proc || FEnding)
        return;
    FOutput += QString::fromLocal8Bit(proc->readAll());
    FStarted = started;
    // A stopped tool is done with only once its server session is gone:
    // until then its transaction may still hold the tables.
    if (started && FStopping && endSessions() > 0) {
        FEnding = true;
        FEndTries = 0;
        FPoll->setInterval(200);
        FPoll->start();
        return;
    }
    completeTool();
}

void TFrmPgTool::completeTool()
{
    QProcess* proc = FProc;
    FPoll->stop();
    TToolResult r;
    r.started = FStarted;
    r.ok = FStarted && proc->exitStatus() == QProcess::NormalExit && proc->exitCode() == 0;
    r.cancelled = FCancelled && !r.ok;
    r.stalled = FStalled && !r.ok;
    r.holders = FHolders;
    r.output = FOutput;
    FslErrLog = FOutput.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    FProc = nullptr;
    FEnding = false;
    proc->deleteLater();
    lblStatus->clear();
    // The next step may start another tool.
    const auto done = std::move(FDone);
    FDone = {};
    done(r);
}

void TFrmPgTool::endRun()
{
    bbtnBackUp->setEnabled(true);
    bbtnCancel->setEnabled(false);
}

QLineEdit* TFrmPgTool::addPathRow(const QString& caption, const QString& editName, const QString& buttonName,
                                  QToolButton*& button)
{
    QWidget* b = body();
    FGrid->addWidget(widgets::label(b, caption), FNextRow++, 1);
    auto* e = new QLineEdit(b);
    e->setObjectName(editName);
    e->setMinimumWidth(420);
    button = new QToolButton(b);
    button->setObjectName(buttonName);
    button->setText(QStringLiteral("…"));
    auto* row = new QHBoxLayout;
    row->addWidget(e, 1);
    row->addWidget(button);
    FGrid->addLayout(row, FNextRow++, 1);
    return e;
}

QString TFrmPgTool::toolMessages(const QString& output)
{
    constexpr int kLines = 12;
    QStringList all = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const qsizetype firstError = all.indexOf(QRegularExpression(QStringLiteral(".*(error|エラー):.*")));
    if (firstError >= 0)
        all = all.mid(firstError, kLines);
    else if (all.size() > kLines)
        all = all.mid(all.size() - kLines);
    return all.join(QLatin1Char('\n'));
}

QString TFrmPgTool::stallText(const TToolResult& r) const
{
    QString text = QStringLiteral("%1が%2秒間進まないため停止しました。").arg(FTool).arg(FStallSeconds);
    if (!r.holders.isEmpty())
        text += QStringLiteral("他の端末の接続（%1）がデータを使用中でした。その端末の処理が終わってから、もう一度実行してください。")
                    .arg(r.holders);
    return text;
}

// While the tool waits for a lock, says whose connection holds it; stops a
// tool that has made no progress for FStallSeconds. Progress is output, the
// tool reading or writing (its archive, its connection), or its server
// session working on a statement; a session waiting for a lock or for the
// tool itself is not.
void TFrmPgTool::pollTool()
{
    if (!FProc)
        return;
    if (FEnding) {
        if (endSessions() == 0 || ++FEndTries >= 50)
            completeTool();
        return;
    }
    if (FStopping)
        return;
    bool working = false;
    QString holders;
    try {
        TQuery q(&dm().ADOCPOST);
        q.setSql(R"(SELECT (SELECT COUNT(*) FROM "pg_stat_activity" w
                            WHERE w."application_name" = :APP AND w."state" = 'active'
                              AND COALESCE(w."wait_event_type", '') NOT IN ('Lock', 'Client')) AS "WORKING",
                           (SELECT STRING_AGG(COALESCE(NULLIF(b."application_name", ''), '?') || ' / '
                                              || COALESCE(HOST(b."client_addr"), 'local'), ', ')
                            FROM "pg_stat_activity" r, "pg_stat_activity" b
                            WHERE r."application_name" = :APP AND r."wait_event_type" = 'Lock'
                              AND b."pid" = ANY(PG_BLOCKING_PIDS(r."pid"))) AS "HOLDERS")");
        q.setText(QStringLiteral("APP"), FAppName, 64);
        q.open();
        working = q.field(QStringLiteral("WORKING")).asInteger() > 0;
        holders = q.field(QStringLiteral("HOLDERS")).asString();
        q.close();
    } catch (const std::exception&) {
        // The tool's server may not be the program's: the watchdog then
        // goes by the tool's own reading and writing.
    }
    lblStatus->setText(holders.isEmpty()
                           ? FTool + QStringLiteral(" を実行中です。")
                           : QStringLiteral("他の端末の接続（%1）がデータを使用中のため、その終了を待っています。"
                                            "中止するとデータベースは元のままです。%2秒以上待っても終わらない場合は中止します。")
                                 .arg(holders)
                                 .arg(FStallSeconds));
    const qint64 io = pgtools::processIo(FProc->processId());
    if (working || io != FSeenIo || FOutput.size() != FSeenOutput) {
        FSeenIo = io;
        FSeenOutput = FOutput.size();
        FQuiet.start();
    } else if (FQuiet.hasExpired(qint64(FStallSeconds) * 1000)) {
        FHolders = holders;
        stopTool(true);
    }
}

int TFrmPgTool::endSessions()
{
    try {
        TQuery q(&dm().ADOCPOST);
        q.setSql(R"(SELECT PG_TERMINATE_BACKEND("pid") AS "SIGNALLED" FROM "pg_stat_activity"
                    WHERE "application_name" = :APP)");
        q.setText(QStringLiteral("APP"), FAppName, 64);
        q.open();
        const int n = q.recordCount();
        q.close();
        return n;
    } catch (const std::exception&) {
        return 0;
    }
}

// Its session goes first: the open transaction is rolled back and nothing
// the tool did stays. The process is killed too, whether it reads an archive,
// waits for its server or loops.
void TFrmPgTool::stopTool(bool stalled)
{
    if (!FProc || FStopping)
        return;
    FStopping = true;
    FStalled = stalled;
    FCancelled = !stalled;
    lblStatus->setText(QStringLiteral("中止しています。"));
    endSessions();
    FProc->kill();
}

void TFrmPgTool::bbtnCancelClick()
{
    if (FHash)
        FHash->cancelled = true;
    stopTool(false);
}

// --- the checksum -----------------------------------------------------------

void TFrmPgTool::hashFile(const QString& path, std::function<void(const THashResult&)> done)
{
    FHash = std::make_unique<THashRun>();
    FHash->file.setFileName(path);
    FHash->done = std::move(done);
    bbtnBackUp->setEnabled(false);
    bbtnCancel->setEnabled(true);
    lblStatus->setText(QStringLiteral("バックアップファイルを確認しています。"));
    if (!FHash->file.open(QIODevice::ReadOnly)) {
        THashResult r;
        r.error = FHash->file.errorString();
        const auto run = std::move(FHash);
        run->done(r);
        return;
    }
    QTimer::singleShot(0, this, &TFrmPgTool::hashStep);
}

void TFrmPgTool::hashStep()
{
    constexpr qint64 kPiece = 4 << 20;
    THashRun& h = *FHash;
    THashResult r;
    r.cancelled = h.cancelled;
    if (!r.cancelled) {
        const QByteArray piece = h.file.read(kPiece);
        if (h.file.error() != QFileDevice::NoError) {
            r.error = h.file.errorString();
        } else {
            h.hash.addData(piece);
            if (!piece.isEmpty() && !h.file.atEnd()) {
                lblStatus->setText(QStringLiteral("バックアップファイルを確認しています。（%1%）")
                                       .arg(h.file.pos() * 100 / qMax<qint64>(h.file.size(), 1)));
                QTimer::singleShot(0, this, &TFrmPgTool::hashStep);
                return;
            }
            r.ok = true;
            r.sha256 = h.hash.result();
        }
    }
    lblStatus->clear();
    const auto run = std::move(FHash);
    run->done(r);
}

void TFrmPgTool::closeEvent(QCloseEvent* e)
{
    if (running()) {
        e->ignore();
        return;
    }
    TFrmOBase::closeEvent(e);
}

void TFrmPgTool::reject()
{
    if (!running())
        TFrmOBase::reject();
}

void TFrmPgTool::epbExePathClick()
{
    const QString f = QFileDialog::getOpenFileName(this, FTool + QStringLiteral("指定"), edtExePath->text(),
                                                   QStringLiteral("%1 (%1)").arg(FTool));
    if (!f.isEmpty())
        edtExePath->setText(QDir::toNativeSeparators(f));
}
