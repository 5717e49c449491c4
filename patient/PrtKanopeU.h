#pragma once
// The printed operation list of a patient ("手術情報印刷").

#include "patient/PrintKit.h"

#include <QDate>
#include <QString>
#include <vector>

class QWidget;
class TplPrev;
class TplSetPrinter;

using prtkit::TrecOpe;

// The live operations of the patient by date (history rows never).
std::vector<TrecOpe> ReadKanopePrintData(qint64 id);

// "surgeon1 surgeon2/assistant1 assistant2", leaving out what is not there.
QString KanopeDoctorsText(const TrecOpe& r);

// Draws the whole document (BeginDoc is the caller's) onto the recorder.
void DrawKanope(TplPrev& prev, const prthead::TPrtPatient& patient, const std::vector<TrecOpe>& aryData,
                const QDateTime& printedAt);

// Reads, checks and records the document; false (with the reason shown)
// when there is nothing to print. The caller shows the preview.
bool PrtKanope(QWidget* parent, TplPrev& prev, TplSetPrinter& setPrinter, qint64 id);
