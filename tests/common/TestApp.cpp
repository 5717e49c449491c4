#include "common/TestApp.h"

#include "app/FrmLoginU.h"
#include "main/FrmMainU.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

void AppTest::SetUp()
{
    DbTest::SetUp();
    FTmp = std::make_unique<QTemporaryDir>();
    TKlovGlobals& g = G();
    g = TKlovGlobals{};
    qputenv("XDG_DATA_HOME", FTmp->path().toLocal8Bit());
    g.dataFolder = defaultDataFolder();
    g.dbSource = dataSource();
    g.dbPass = testenv::password();
    FDm = std::make_unique<TdmMAIN>();
    FDm->connectDb(g.dbSource, g.dbPass);
    g.dm = FDm.get();
}

void AppTest::TearDown()
{
    G() = TKlovGlobals{};
    FDm.reset();
    FTmp.reset();
    DbTest::TearDown();
}

void AppTest::loginAs(const QString& userId, int jobType, bool wok, bool sok, bool kok, bool mnt)
{
    TQuery q(&conn());
    q.setSql(R"(INSERT INTO "KLOV"."M_USER" ("USERID","PASSW","USERNM","USERKANA","JTYP","WOK","SOK","KOK","MNTFLG","YSTRDTE","YENDDTE")
                VALUES (:ID, 'pw', :NM, :NM, :J, :W, :S, :K, :M, '2000-01-01', '2099-12-31') ON CONFLICT DO NOTHING)");
    q.setText("ID", userId, 24).setText("NM", userId + QStringLiteral("先生"), 64);
    q.setInt("J", jobType).setInt("W", wok).setInt("S", sok).setInt("K", kok).setInt("M", mnt);
    q.execSql();
    TLoginUser& u = G().user;
    u.userId = userId;
    u.userName = userId + QStringLiteral("先生");
    u.jobType = jobType;
    u.WOK = wok;
    u.SOK = sok;
    u.KOK = kok;
    u.MNTFLG = mnt;
}

std::unique_ptr<TFrmMain> AppTest::openMain(const QString& user)
{
    auto main = std::make_unique<TFrmMain>();
    whenModal(QStringLiteral("TFrmLogin"), [user](QWidget* w) {
        auto* login = static_cast<TFrmLogin*>(w);
        login->edtUser->setText(user);
        login->edtPass->setText(QStringLiteral("pw"));
        QTimer::singleShot(0, [login] { login->Button1->click(); });
    });
    main->show();
    EXPECT_TRUE(waitFor([&] { return main->loggedIn(); }));
    return main;
}

bool waitFor(std::function<bool()> done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void whenModal(const QString& objectName, std::function<void(QWidget*)> action, int timeoutMs)
{
    auto* timer = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && (w->objectName() == objectName || objectName.isEmpty()) && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(w);
        } else if (started->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal dialog " << objectName.toStdString();
            if (w)
                w->close();
        }
    });
    timer->start();
}
