#pragma once
// The application object. An exception that no form caught ends up here and
// is shown as a warning, and the program goes on, instead of ending it.

#include <QApplication>
#include <QTranslator>

class TKlovApplication : public QApplication {
public:
    // Every window shows the program's icon (a resource of the executable).
    TKlovApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Qt's own texts (standard buttons, file dialogs, the calendar popup,
    // context menus) in Japanese, from Qt's translations installed on the
    // machine; the locale Japanese too. False when no translation is found.
    bool installJapanese();

private:
    QTranslator FQtTranslator;
};
