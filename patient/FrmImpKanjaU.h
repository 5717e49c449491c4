#pragma once
// Patients loaded in bulk from a CSV file: the file's columns mapped to the
// patient fields, every line checked, the good ones stored as new patients
// or new revisions in one transaction, the rejected ones listed. Checking
// and storing show their progress and can be stopped (nothing is stored).

#include "app/CsvFile.h"
#include "app/FrmOBaseU.h"
#include "patient/KanjaCsv.h"

#include <QStringList>
#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

// Told when the user stops the import: the transaction was rolled back.
inline const QString kCancelledImport = QStringLiteral("取込を中止しました。患者情報は登録していません。");

class TFrmImpKanja : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmImpKanja(QWidget* parent = nullptr);

    QLineEdit* edtPath;
    QToolButton* SpeedButton1;
    // cmbFld1 .. cmbFld13 as cmbFld[0] .. cmbFld[12].
    std::array<QComboBox*, kanjacsv::kFieldCount> cmbFld{};
    QCheckBox* cbHead;
    QCheckBox* cbUpd;
    QPushButton* bbtnUpdate;
    QPushButton* bbtnClose;

    csv::TAskOpenFile FAskOpenFile = csv::askOpenFile;

    void SpeedButton1Click();
    // Leaving the path field.
    void edtPathExit();
    void bbtnUpdateClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    // Reads the file and refills the mapping lists from its first line.
    bool loadFile(const QString& path);
    void resetLists();
    void saveSettings();

    QStringList FslFile;   // lines of the file last loaded
    QStringList FslLog;    // rejected lines of the last import
    QString FLoadedPath;
    bool FFirstShown = false;
};

// Opens the import modally (the maintenance menu's "患者CSV取込").
void OpenImpKanja(QWidget* parent);
