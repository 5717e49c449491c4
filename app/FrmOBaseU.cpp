#include "app/FrmOBaseU.h"

#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/Theme.h"
#include "controls/DateEdit.h"
#include "controls/NumberEdit.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

bool isMemo(const QWidget* w)
{
    return qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QTextEdit*>(w);
}

bool handleEnterKey(QWidget* form, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    if (key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))
        return false;
    QWidget* focus = form->focusWidget();
    if (!focus || isMemo(focus))
        return false;
    // A command button is pressed; a check box or radio button keeps its
    // value and Enter moves on, as from any other field.
    auto* button = qobject_cast<QAbstractButton*>(focus);
    if (button && !qobject_cast<QCheckBox*>(button) && !qobject_cast<QRadioButton*>(button)) {
        button->click();
        return true;
    }
    const bool back = key->modifiers() & Qt::ShiftModifier;
    QWidget* w = focus;
    do {
        w = back ? w->previousInFocusChain() : w->nextInFocusChain();
    } while (w != focus && !(w->window() == form && w->isVisible() && w->isEnabled()
                             && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy()));
    w->setFocus(back ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    return true;
}

TFrmOBase::TFrmOBase(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TFrmOBase"));
    setWindowTitle(msg::kCaption);
    QFont f(theme::kGothic);
    f.setPixelSize(12);
    setFont(f);
    setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    FBody = new QWidget(this);
    FBody->setObjectName(QStringLiteral("pnlBody"));
    layout->addWidget(FBody, 1);
    FStb = new QStatusBar(this);
    FStb->setObjectName(QStringLiteral("stb"));
    FStb->setSizeGripEnabled(false);
    const int widths[4] = {80, 50, 110, 200};
    for (int i = 0; i < 4; ++i) {
        FPanels[i] = new QLabel(FStb);
        FPanels[i]->setObjectName(QStringLiteral("stbPanel%1").arg(i + 1));
        FPanels[i]->setFrameShape(QFrame::StyledPanel);
        FPanels[i]->setFrameShadow(QFrame::Sunken);
        if (i < 3) {
            FPanels[i]->setFixedWidth(widths[i]);
            FPanels[i]->setAlignment(Qt::AlignCenter);
            FStb->addWidget(FPanels[i]);
        } else {
            FPanels[i]->setMinimumWidth(widths[i]);
            FPanels[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            FStb->addWidget(FPanels[i], 1);
        }
    }
    layout->addWidget(FStb);

    FTimer1 = new QTimer(this);
    FTimer1->setObjectName(QStringLiteral("Timer1"));
    FTimer1->setInterval(1000);
    connect(FTimer1, &QTimer::timeout, this, &TFrmOBase::Timer1Timer);
    FTimer1->start();
    Timer1Timer();

    // Key preview: the form sees the keys of its controls first.
    qApp->installEventFilter(this);
}

TFrmOBase::~TFrmOBase()
{
    qApp->removeEventFilter(this);
    // The derived form's members are gone by now, yet closing the window and
    // deleting the controls still takes the focus from a field, whose leave
    // (editingFinished, exited) would run the form's handler on them.
    for (auto* e : findChildren<QLineEdit*>())
        disconnect(e, &QLineEdit::editingFinished, this, nullptr);
    for (auto* e : findChildren<QAbstractSpinBox*>())
        disconnect(e, &QAbstractSpinBox::editingFinished, this, nullptr);
    for (auto* e : findChildren<TNumberEdit*>())
        disconnect(e, &TNumberEdit::exited, this, nullptr);
    for (auto* e : findChildren<TplDateEdit*>())
        disconnect(e, &TplDateEdit::exited, this, nullptr);
}

QString TFrmOBase::panelText(int index) const { return FPanels[index]->text(); }

void TFrmOBase::Timer1Timer()
{
    const QDateTime now = QDateTime::currentDateTime();
    FPanels[0]->setText(now.toString(QStringLiteral("yyyy/MM/dd")));
    FPanels[1]->setText(now.toString(QStringLiteral("HH:mm")));
    FPanels[2]->setText(G().user.userName);
}

bool TFrmOBase::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()
        && static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            close();
            return true;
        }
        if (handleEnterKey(this, event))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TFrmOBase::event(QEvent* e)
{
    // Hints of the controls go to the fourth panel.
    if (e->type() == QEvent::StatusTip) {
        FPanels[3]->setText(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    return QDialog::event(e);
}
