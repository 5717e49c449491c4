#pragma once
// The base of the main window and of every list, edit, export, import and
// message form: caption, font, the status bar with date, time, user and hint,
// Enter to the next field, Escape to close.

#include <QDialog>

class QLabel;
class QStatusBar;
class QTimer;
class QVBoxLayout;

class TFrmOBase : public QDialog {
    Q_OBJECT
public:
    explicit TFrmOBase(QWidget* parent = nullptr);
    ~TFrmOBase() override;

    QStatusBar* stb() const { return FStb; }
    // The area above the status bar where a derived form lays out its controls.
    QWidget* body() const { return FBody; }
    // Panels of the status bar: 0 date, 1 time, 2 user name, 3 hint.
    QString panelText(int index) const;

    // Runs the clock step (the timer calls it every second).
    void Timer1Timer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* e) override;

private:
    QWidget* FBody;
    QStatusBar* FStb;
    QLabel* FPanels[4];
    QTimer* FTimer1;
};

// True when the widget takes Enter as a line break (a multi-line memo).
bool isMemo(const QWidget* w);
// Enter moves to the next control; on a button Enter presses it. Returns true
// when the key was consumed. Shared by the base form and the small dialogs.
bool handleEnterKey(QWidget* form, QEvent* event);
