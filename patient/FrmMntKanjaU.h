#pragma once
// Patient maintenance: register, change and delete a patient. A change never
// edits a stored row: the current revision is retired and a new one inserted.

#include "app/FrmOBaseU.h"

#include <QDate>

class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class TNumberEdit;
class TplDateEdit;

// Feeds the kana field from the input-method compositions of the name field:
// a committed composition appends its reading (the last kana pre-edit text
// shown before conversion, as full-width katakana), a commit without a
// reading appends one half-width space, and emptying the name empties the
// kana. The kana field stays freely editable.
class TAutoKana : public QObject {
    Q_OBJECT
public:
    TAutoKana(QLineEdit* name, QLineEdit* kana, QObject* parent = nullptr);

    // Hiragana and half-width katakana turned into full-width katakana;
    // everything else kept.
    static QString toKatakana(const QString& text);
    // True when the text is a reading: kana and the prolonged sound mark only.
    static bool isReading(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* FName;
    QLineEdit* FKana;
    QString FReading;   // last kana pre-edit of the running composition
};

class TFrmMntKanja : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmMntKanja(QWidget* parent = nullptr);
    ~TFrmMntKanja() override;

    TNumberEdit* nedtID;
    QLineEdit* edtKana;
    QLineEdit* edtName;
    QGroupBox* rgSex;
    QRadioButton* rbMale;
    QRadioButton* rbFemale;
    TplDateEdit* pdeBirth;
    QLabel* lblAGE;
    QLabel* lblBIRTH;
    QLineEdit* edtPost;
    QLineEdit* edtAdr1;
    QLineEdit* edtAdr2;
    QLineEdit* edtTEL;
    QLineEdit* edtKeitai;
    QLineEdit* edtFAX;
    QLineEdit* edtEMail;
    QLineEdit* edtBiko;
    QFrame* shpSts;
    QLabel* lblSts;
    QLabel* lblKLinkMes;
    QPushButton* bbtnInsert;
    QPushButton* bbtnDelete;
    QToolButton* sbSrc;
    QPushButton* bbtnRe;
    QPushButton* bbtnOut;
    QPushButton* bbtnClose;

    // Sex as the item index of rgSex: 0 "男性", 1 "女性".
    int sexIndex() const;
    void setSexIndex(int index);

    // Loads the patient whose number is in nedtID (badge, fields, delete
    // button, age and birth labels).
    void LoadKanja();
    // Leaving the number field: loads when the number is not the one shown.
    void nedtIDExit();
    // Refreshes lblAGE and lblBIRTH from pdeBirth.
    void pdeBirthExit();
    void bbtnInsertClick();
    void bbtnDeleteClick();
    void sbSrcClick();
    void bbtnReClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    // The form's values as they are stored: leading blanks removed.
    struct TValues {
        QString kana, name, post, adr1, adr2, tel, keitai, fax, mail, biko;
        int sex = 0;
        QDate birth;
    };
    TValues formValues() const;
    void showBirth(const QDate& birth);
    void setBadge(bool update);
    bool unchanged(qint64 id, const TValues& v);
    bool save(qint64 id, const TValues& v);
    bool remove(qint64 id);

    QButtonGroup* FSexGroup;
    bool FFirstShown = false;
    qint64 FLoadedID = -1;   // number shown, -1 before the first load
    int FLoadedSex = 0;      // stored SEX of the loaded row (-1 when null)
    int FLoadedRNO = 0;      // revision shown, 0 when the number has no current row
};
