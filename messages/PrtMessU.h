#pragma once
// The printed message "連絡メッセージ印刷": number and sending time, the
// urgent mark, sender and recipient, subject and the content in a frame that
// runs over as many pages as it needs.

#include <QDateTime>
#include <QString>

class QWidget;
class TplPrev;
class TplSetPrinter;

struct TrecMess {
    int MESSNO = 0;
    QDateTime SDTM;
    bool urgent = false;   // LBLKBN = 1
    QString SUSERID;
    QString SUSERNM;
    QString RUSERID;
    QString RUSERNM;
    QString KENMEI;
    QString NAIYO;
};

// Records the document of one message (recording begun and ended here).
void DrawMess(TplPrev& prev, TplSetPrinter& setPrinter, const TrecMess& m);
