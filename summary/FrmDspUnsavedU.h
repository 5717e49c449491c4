#pragma once
// Texts a save could not store because another workstation changed the
// record first: shown read-only beside the form they were typed in, to be
// copied from, so that nothing has to be typed again.

#include "app/FrmOBaseU.h"

#include <QList>
#include <QString>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

struct TUnsavedText {
    QString name;      // the column; also the end of the control names
    QString caption;   // the field as the form calls it
    QString text;      // as typed, line breaks as LF
    bool oneLine = false;   // typed into a one-line field: a low box
};

class TFrmDspUnsaved : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmDspUnsaved(QWidget* parent = nullptr);

    // Shows the texts (one read-only box with a copy button each, named
    // "memUnsaved" and "bbtnCopy" followed by the entry's name) under the note.
    void setTexts(const QList<TUnsavedText>& texts, const QString& note);
    // The box of an entry, or null when it is not shown.
    QPlainTextEdit* textBox(const QString& name) const;

    QLabel* lblNote;
    QPushButton* bbtnClose;

private:
    QWidget* FList;
    QVBoxLayout* FListLayout;
};
