#pragma once
// The patient strip at the top of the patient-record forms: kana, name, sex,
// age and birth date of the patient's current row.

#include <QWidget>

class QHBoxLayout;
class QLabel;
class QToolButton;
class TNumberEdit;

class TPatientHeader : public QWidget {
    Q_OBJECT
public:
    explicit TPatientHeader(QWidget* parent = nullptr);

    QLabel* lblKNJKANA;
    QLabel* lblKNJNAME;
    QLabel* lblSEX;
    QLabel* lblAGE;
    QLabel* lblBIRTH;

    // Reads the current row (ACTKBN = 1, DELKBN = 0) of the patient on the
    // shared connection and shows it; every label is emptied when there is
    // none. Returns whether the patient was found. Database errors propagate.
    bool load(qint64 id);
    // Empties every label.
    void clear();
    bool found() const { return FFound; }
    qint64 patientId() const { return FID; }

    // Owners put their own labels and buttons to the right of the header.
    void addExtra(QWidget* w, int stretch = 0);
    QHBoxLayout* extraLayout() const { return FExtra; }

    // "男性" for 0, "女性" for 1, "不明" otherwise.
    static QString sexText(int sex);

    // The word after the age ("歳" unless the form says otherwise).
    void setAgeUnit(const QString& unit);

private:
    QHBoxLayout* FExtra;
    QLabel* FAgeUnit;
    bool FFound = false;
    qint64 FID = 0;
};

// The patient-number field ("nedtID") of the forms that pick a patient: up to
// ten digits, right-aligned, empty for 0, typed without the input method.
TNumberEdit* newPatientIdEdit(QWidget* parent);

// The patient choice at the top of the forms that pick a patient: "患者ID"
// with its number field and "患者検索" (bbtnIdSrc), then the header. The
// owner adds the layout and connects the field and the button.
struct TPatientPick {
    TNumberEdit* nedtID;
    QToolButton* bbtnIdSrc;
    TPatientHeader* header;
    QHBoxLayout* layout;
};
TPatientPick newPatientPick(QWidget* parent);
