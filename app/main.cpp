#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow w;
    w.setObjectName(QStringLiteral("TFrmMain"));
    w.setWindowTitle(QStringLiteral("退院サマリー作成支援"));
    w.showMaximized();
    return app.exec();
}
