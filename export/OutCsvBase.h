#pragma once
// What the CSV export forms share: the patient-number condition with its
// search, the deleted-records check box, the " CSV出力" and " 閉じる" buttons,
// and the export run itself: load everything as a long operation (progress
// window, 中止), stop on a database error, tell the user when nothing
// matched, ask for the file, write it line by line with its progress and
// report.

#include "app/CsvFile.h"
#include "app/FrmOBaseU.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>

class QCheckBox;
class QGridLayout;
class QPushButton;
class QToolButton;
class TNumberEdit;

// Told when the user stops the writing of the file: it was not written (a
// file of that name is left as it was).
inline const QString kCancelledExport = QStringLiteral("CSV出力を中止しました。ファイルは出力していません。");

class TFrmOutCsvBase : public TFrmOBase {
    Q_OBJECT
public:
    // `intro`, when given, is a line of explanation above the patient number.
    TFrmOutCsvBase(QWidget* parent, const QString& objectName, const QString& title, const QString& delCaption,
                   const QString& intro = {});

    TNumberEdit* nedtID;
    QToolButton* bbtnIdSrc;
    QCheckBox* cbDispDel;
    QPushButton* bbtnCSV;
    QPushButton* bbtnClose;

    // Asks where the CSV goes; tests answer it.
    csv::TAskSaveFile FAskSaveFile = csv::askSaveFile;

    void bbtnIdSrcClick();
    void bbtnCSVClick();

protected:
    // The grid of the conditions; row 0 holds the patient number.
    QGridLayout* conditions() const { return FConditions; }
    // Loads the entries of the conditions on screen (database errors
    // propagate) and returns how many there are.
    virtual int loadEntries() = 0;
    // Every line of the file: conditions, header, one line per entry.
    virtual QStringList buildLines() const = 0;
    virtual QString fileName() const = 0;
    virtual QString filterTitle() const = 0;

private:
    QGridLayout* FConditions;
};

namespace outcsv {

// "yyyy/MM/dd"; empty for an absent (zero) or missing date.
QString dateCell(const QDateTime& d);
// "yyyy/MM/dd hh:mm:ss"; empty for an absent or missing moment.
QString timeCell(const QDateTime& d);
// The patient condition line: the number unquoted, or "全て".
QString patientCondition(qint64 id);
// The cell of a flag: `mark` quoted when set, else an empty quoted cell.
QString markCell(bool set, const QString& mark);
// The quoted titles joined into the header line.
QString headerLine(const QStringList& titles);

} // namespace outcsv
