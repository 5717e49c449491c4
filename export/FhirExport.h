#pragma once
// A discharge summary version as an HL7 FHIR R4 document: a Bundle of type
// "document" whose first entry is the Composition "退院時サマリー" of the
// Japanese national discharge-summary document, followed by the patient, the
// admission, the writing doctor, the hospital and department, and the
// diagnoses, operations, allergies and devices the sections refer to. One
// file per version, "<患者ID>_<KNO>_<VERNO>.json".

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <functional>

class QWidget;
class TPrtTaiyou;

namespace fhir {

// Why a loaded version cannot become a document (deleted, writing not
// complete, no discharge date, no medical institution code); empty when it can.
QString refusal(const TPrtTaiyou& s);

// The document of a loaded version, stamped with `at` (its offset kept).
// Resource ids are name-based UUIDs of the hospital, the summary, the
// version and the resource, so every export of a version carries the same
// ids and each reference names an entry of the same document.
QJsonObject buildDocument(const TPrtTaiyou& s, const QDateTime& at);

// "<患者ID>_<KNO>_<VERNO>.json"
QString fileName(const TPrtTaiyou& s);

// The 10-digit insurance medical institution number: a code of ten digits as
// it is; a seven-digit medical institution code behind the prefecture number
// of the address and the medical fee table "1". Empty when neither works.
QString institutionNumber(qint64 hospno, const QString& address);

// Asks for the output folder, starting at `start`; empty when cancelled.
using TAskFolder = std::function<QString(QWidget* parent, const QString& start)>;

// The "FHIR出力" button: reads (kno, verno), refuses with a message when it
// cannot be a document, asks for the folder (the last one is kept in
// klov.ini, [FHIR] OUTPATH), asks before replacing a file of the same name
// and writes it whole or not at all. The written path, or empty.
QString exportSummary(QWidget* parent, int kno, int verno, const TAskFolder& askFolder = {});

} // namespace fhir
