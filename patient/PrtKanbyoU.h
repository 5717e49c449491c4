#pragma once
// The printed disease list of a patient ("患者病名印刷").

#include "patient/PrintKit.h"

#include <QDate>
#include <QString>
#include <vector>

class QWidget;
class TplPrev;
class TplSetPrinter;

// One live disease as printed; texts already cut to their byte capacity.
struct TrecData {
    int BNO = 0;
    QString BYONM;      // at most 100 bytes of windows-31j
    int DISTKBN = 0;
    QString ICD10;      // at most 5 characters
    QString HJIKI;      // 8 characters
    QDate ADDDTE;
    int TENKI = 0;
    QString BIKO;       // at most 128 bytes of windows-31j
};

// The live diseases of the patient in BNO order (history rows never).
std::vector<TrecData> ReadKanbyoPrintData(qint64 id);

// Draws the whole document (BeginDoc is the caller's) onto the recorder.
void DrawKanbyo(TplPrev& prev, const prthead::TPrtPatient& patient, const std::vector<TrecData>& aryData,
                const QDateTime& printedAt);

// Reads, checks and records the document; false (with the reason shown)
// when there is nothing to print. The caller shows the preview.
bool PrtKanbyo(QWidget* parent, TplPrev& prev, TplSetPrinter& setPrinter, qint64 id);

namespace prtkanbyo {
inline constexpr int kNameWidth = prtkit::kDiseaseNameWidth;
// The font size of the name cell (prtkit::diseaseNameSize).
inline int nameFontSize(TplPrev& prev, const QString& name) { return prtkit::diseaseNameSize(prev, name); }
} // namespace prtkanbyo
