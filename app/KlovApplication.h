#pragma once
// The application object. An exception that no form caught ends up here and
// is shown as a warning, and the program goes on, instead of ending it.

#include <QApplication>

class TKlovApplication : public QApplication {
public:
    TKlovApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};
